#include "connection/status_values.h"

#include "support/util.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

bool is_separator(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

const char* skip_separators(const char* p)
{
    while (is_separator(*p)) ++p;
    return p;
}

long long clamp_value(long long v)
{
    return std::clamp<long long>(v, -tarv_status_values::value_limit, tarv_status_values::value_limit);
}

// Reads up to `count` numbers into `out`; returns how many were there.
int read_numbers(const char* data, int* out, int count)
{
    const char* p = data ? data : "";
    int n = 0;
    while (n < count) {
        p = skip_separators(p);
        if (!*p) break;
        out[n++] = tarv_status_read_number(p, &p);
    }
    return n;
}

}  // namespace

int tarv_status_read_number(const char* word, const char** end)
{
    // strtol's rule on one field: optional sign, then digits up to the first
    // other character; saturating, so no length of digits can overflow.
    const char* p = word;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    long long v = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (v <= tarv_status_values::value_limit) v = v * 10 + (*p - '0');
    if (end) {
        while (*p && !is_separator(*p)) ++p;
        *end = p;
    }
    return static_cast<int>(clamp_value(negative ? -v : v));
}

void tarv_status_values::reset_status_display()
{
    hp = -1;
    hp_max = 1;
    mana = -1;
    mana_max = 1;
    move = -1;
    move_max = 1;
    std::fill(std::begin(exp), std::end(exp), 0);
    enemy_percent = -1;
    enemy_name = "(no enemy)";
}

void tarv_status_values::reset_status_bar()
{
    ping_average = 0;
    ping_count = 0;
    ping_index = 0;
    std::fill(std::begin(ping_samples), std::end(ping_samples), 0);
    std::fill(std::begin(icons), std::end(icons), 0);
}

tarv_status_values::hp_result tarv_status_values::set_hp(const char* data)
{
    int* fields[6] = {&hp, &hp_max, &mana, &mana_max, &move, &move_max};
    int read[6];
    hp_result result;
    result.given = read_numbers(data, read, 6);
    for (int i = 0; i < result.given; ++i) {
        if (*fields[i] != read[i]) result.changed = true;
        *fields[i] = read[i];
    }
    return result;
}

bool tarv_status_values::set_exp(const char* data)
{
    int read[exp_count] = {0};
    read_numbers(data, read, exp_count);
    std::sort(std::begin(read), std::end(read), std::greater<int>());
    bool changed = !std::equal(std::begin(read), std::end(read), std::begin(exp));
    std::copy(std::begin(read), std::end(read), std::begin(exp));
    return changed;
}

tarv_status_values::enemy_result tarv_status_values::set_enemy(const char* data)
{
    enemy_result result;
    const char* p = skip_separators(data ? data : "");
    int percent = tarv_status_read_number(p, &p);
    result.percent_changed = percent != enemy_percent;
    enemy_percent = percent;
    const char* name = next_arg(data ? data : "");
    if (!name) return result;
    result.name_given = true;
    std::size_t length = strnlen(name, static_cast<std::size_t>(max_enemy_name));
    if (enemy_name.compare(0, std::string::npos, name, length) != 0) {
        enemy_name.assign(name, length);
        result.name_changed = true;
    }
    return result;
}

void tarv_status_values::clear_enemy()
{
    enemy_percent = -1;
    enemy_name = "(no enemy)";
}

void tarv_status_values::set_icons(const char* data)
{
    const char* p = data ? data : "";
    for (int i = 0; i < icon_count; ++i) {
        icons[i] = *p == '1' ? 1 : 0;
        if (*p) ++p;
    }
}

void tarv_status_values::add_ping_sample(long long milliseconds)
{
    ping_samples[ping_index] = static_cast<int>(std::clamp<long long>(milliseconds, 0, value_limit));
    if (ping_count < ping_sample_count) ++ping_count;
    ping_index = (ping_index + 1) % ping_sample_count;
    long long sum = 0;
    for (int i = 0; i < ping_count; ++i) sum += ping_samples[i];
    ping_average = static_cast<int>(sum / ping_count);
}
