#include "panels/buttons.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "draw/font.h"
#include "draw/theme.h"
#include "support/debug_log.h"

namespace {

constexpr int payload_limit = 5999;

// A decimal number with an optional sign; saturates instead of overflowing.
// *end is the first character after the digits.
int read_decimal(const char* text, const char** end)
{
    const char* p = text;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (value < INT_MAX) value = std::min<long long>(INT_MAX, value * 10 + (*p - '0'));
    *end = p;
    return static_cast<int>(negative ? -value : value);
}

// The number after the first `skip` characters of a tag name; 0 when the
// name is shorter than that.
int tag_number(const char* name, std::size_t skip, const char** end)
{
    static const char empty[] = "";
    if (!name || std::strlen(name) < skip) {
        *end = empty;
        return 0;
    }
    return read_decimal(name + skip, end);
}

bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

void blanks_to_spaces(std::string& s)
{
    for (char& c : s)
        if (c == '\t' || c == '\n') c = ' ';
}

struct pad_entry {
    const char* label;
    const char* command;
    int exit_bit;  // 0: never lit by the exits
    int x, y, width, height;
};

// In the order of tarv_direction_buttons::button.
const pad_entry pad_table[tarv_direction_buttons::COUNT] = {
    {"NW", "nwest", 128, 0, 33, 31, 31}, {"N", "north", 1, 33, 33, 31, 31},   {"NE", "neast", 2, 66, 33, 31, 31},
    {"W", "west", 64, 0, 66, 31, 31},    {"Out", "out", 0, 33, 66, 31, 31},   {"E", "east", 4, 66, 66, 31, 31},
    {"SW", "swest", 32, 0, 99, 31, 31},  {"S", "south", 16, 33, 99, 31, 31},  {"SE", "seast", 8, 66, 99, 31, 31},
    {"Up", "up", 256, 49, 0, 48, 31},    {"Down", "down", 512, 0, 0, 48, 31},
};

void wire(tarv_command_button& button, tarv_button_actions& actions)
{
    button.send_command = [&actions](const std::string& command) {
        if (actions.send_command) actions.send_command(command.c_str(), true);
    };
    button.after_click = [&actions] {
        if (actions.after_click) actions.after_click();
    };
}

}  // namespace

// Direction pad

tarv_direction_buttons::tarv_direction_buttons(tarv_button_actions actions) : actions_(std::move(actions))
{
    shown = false;
    for (auto& b : buttons_) {
        wire(b, actions_);
        b.Show(false);
    }
}

int tarv_direction_buttons::exit_bit(int index)
{
    return index >= 0 && index < COUNT ? pad_table[index].exit_bit : 0;
}

void tarv_direction_buttons::show(bool shown_now)
{
    if (shown_now) layout();
    for (auto& b : buttons_) b.Show(shown_now);
}

void tarv_direction_buttons::layout()
{
    for (int i = 0; i < COUNT; ++i) {
        const pad_entry& e = pad_table[i];
        buttons_[i].set_geometry(x + e.x, y + e.y, e.width, e.height);
    }
}

void tarv_direction_buttons::redraw_all()
{
    for (auto& b : buttons_) b.build_images();
}

void tarv_direction_buttons::setup_labels()
{
    for (int i = 0; i < COUNT; ++i) buttons_[i].set_command(pad_table[i].label, pad_table[i].command, false);
    buttons_[OUT].set_lit(true);
    disable_all();
}

void tarv_direction_buttons::enable_all()
{
    for (auto& b : buttons_) b.set_enabled(true);
}

void tarv_direction_buttons::disable_all()
{
    for (auto& b : buttons_) b.set_enabled(false);
}

void tarv_direction_buttons::set_exits(int mask)
{
    mask &= 0xffff;
    for (int i = 0; i < COUNT; ++i) {
        if (i == OUT) continue;
        const bool lit = (mask & pad_table[i].exit_bit) != 0;
        if (buttons_[i].lit() != lit) buttons_[i].set_lit(lit);
    }
}

void tarv_direction_buttons::apply(bool enabled_now, int mask)
{
    // Re-enabling an enabled pad would drop the hover of the button under the pointer.
    if (enabled_now != enabled()) {
        if (enabled_now) enable_all();
        else disable_all();
    }
    set_exits(mask);
}

// Hint column

tarv_hint_buttons::tarv_hint_buttons(tarv_button_actions actions) : actions_(std::move(actions))
{
    shown = false;
    for (auto& b : buttons_) {
        wire(b, actions_);
        b.Show(false);
    }
}

void tarv_hint_buttons::show(bool shown_now)
{
    if (shown_now) {
        layout();
        return;
    }
    for (auto& b : buttons_) b.Show(false);
}

void tarv_hint_buttons::layout()
{
    if (!shown) return;
    int a = y;
    bool previous_visible = false;
    for (auto& b : buttons_) {
        const bool visible = b.state != tarv_image_button::DISABLED;
        if (b.IsShown() != visible) b.Show(visible);
        if (visible) {
            if (!previous_visible) a += 16;
            b.set_geometry(x, a, button_width, button_height);
            b.Refresh();
            a += 33;
        }
        previous_visible = visible;
    }
}

void tarv_hint_buttons::redraw_all()
{
    for (auto& b : buttons_) b.build_images();
}

void tarv_hint_buttons::setup_button(const char* tag_name, const char* data)
{
    const char* after = nullptr;
    const int number = tag_number(tag_name, 1, &after);
    if (number < 1 || number > button_count) {
        TARV_LOG(2, "Warning in tarv_hint_buttons::setup_button(), requested button number %d is bogus.  Ignoring.\n",
                 number);
        return;
    }
    if (*after == 't') return;
    if (!data) data = "";
    const char* newline = std::strchr(data, '\n');
    const std::size_t label_length =
        std::min<std::size_t>(newline ? newline - data : std::strlen(data), payload_limit);
    const std::string label(data, label_length);
    tarv_command_button& b = buttons_[number - 1];
    if (newline && newline[1]) {
        b.set_command(label.c_str(), newline + 1, true);
        b.set_lit(true);
    } else {
        b.set_command("", nullptr, false);
        b.set_lit(false);
    }
    if (shown) layout();
}

void tarv_hint_buttons::clear_all()
{
    for (auto& b : buttons_) b.set_command("", nullptr, false);
    if (shown) layout();
}

void tarv_hint_buttons::set_connect_quit()
{
    buttons_[0].set_command("Connect", "connect", true);
    buttons_[0].set_lit(true);
    buttons_[button_count - 1].set_command("Quit", "quit", true);
    buttons_[button_count - 1].set_lit(true);
    if (shown) layout();
}

void tarv_hint_buttons::flash_all()
{
    for (auto& b : buttons_) b.start_flash();
}

// Function-key button

tarv_fkey_button::tarv_fkey_button(int number, tarv_button_actions* actions)
    : tarv_image_button(number, "image button"), number_(number), actions_(actions)
{
    set_text(nullptr, false);
}

void tarv_fkey_button::set_text(const char* text, bool active)
{
    text_.assign(text ? text : "", text ? std::min<std::size_t>(std::strlen(text), button_text_limit) : 0);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "f%02d", number_);
    key_command_ = buffer;
    std::snprintf(buffer, sizeof buffer, "F%d", number_);
    number_label_ = buffer;
    active_ = active;
    wrap_label();
    build_images();
}

void tarv_fkey_button::set_active(bool active)
{
    active_ = active;
    build_images();
}

void tarv_fkey_button::update_content(bool)
{
    wrap_label();
    build_images();
}

void tarv_fkey_button::wrap_label()
{
    line1_.clear();
    line2_.clear();
    if (text_.empty()) return;
    const std::string& t = text_;
    const int fit_width = width() - 2;
    const std::size_t n = static_cast<std::size_t>(tarv_button_fit_count(panel_font, t.c_str(), fit_width));
    std::size_t first_word = 0;
    while (first_word < t.size() && !is_blank(t[first_word])) ++first_word;

    std::size_t second = std::string::npos;  // where the second line starts
    if (n < first_word) {
        line1_ = t.substr(0, n);
        if (first_word < t.size()) second = first_word;
    } else if (n >= t.size()) {
        line1_ = t;
    } else {
        std::size_t pos = n;
        while (pos > 0 && !is_blank(t[pos])) --pos;
        while (pos > 0 && is_blank(t[pos - 1])) --pos;
        line1_ = t.substr(0, pos);
        second = pos;
    }
    blanks_to_spaces(line1_);
    if (line1_.size() > static_cast<std::size_t>(payload_limit)) line1_.resize(payload_limit);

    if (second == std::string::npos) return;
    while (second < t.size() && is_blank(t[second])) ++second;
    const char* rest = t.c_str() + second;
    const int m = tarv_button_fit_count(panel_font, rest, fit_width);
    if (m <= 0) return;
    line2_.assign(rest, std::min(m, 98));
    blanks_to_spaces(line2_);
    // A cut-off fragment of up to two characters after the last space is dropped.
    if (m >= 2) {
        for (int p = m - 1; p >= m - 3 && p > 0; --p) {
            if (static_cast<std::size_t>(p) < line2_.size() && line2_[p] == ' ') {
                line2_.resize(p);
                break;
            }
        }
    }
}

void tarv_fkey_button::decorate(tarv_bitmap& work, const tarv_color& label_color) const
{
    int t = 1;
    if (small_font) {
        int w = 0, h = 0;
        small_font->GetTextExtent(number_label_.c_str(), &w, &h);
        work.DrawTextTransparent(*small_font, number_label_.c_str(), 2, 2, color_white);
        t = h + 1;
    }
    if (!active_ || !panel_font) return;
    int w1 = 0, h1 = 0;
    panel_font->GetTextExtent(line1_.c_str(), &w1, &h1);
    work.DrawTextTransparent(*panel_font, line1_.c_str(), 2, t, label_color);
    work.DrawTextTransparent(*panel_font, line2_.c_str(), 2, t + h1 - 1, label_color);
}

void tarv_fkey_button::build_images()
{
    const tarv_button_theme& th = *current_button_theme;
    const int w = width(), h = height();
    tarv_bitmap work(w, h);

    tarv_draw_button_face(work, w, h, th[THEME_PRESSED_FACE], 2);
    work.DrawFrame(th[THEME_PRESSED_HOVER_FRAME], w, h);
    decorate(work, th[THEME_PRESSED_LABEL]);
    set_down_image(work);
    set_down_hover_image(work);

    if (active_) {
        tarv_draw_button_face(work, w, h, th[THEME_LIT_FACE], 1);
        decorate(work, th[THEME_LIT_LABEL]);
    } else {
        tarv_draw_button_face(work, w, h, th[THEME_DISABLED_FACE], 1);
        decorate(work, color_white);
    }
    set_up_image(work);

    if (active_) {
        tarv_draw_button_face(work, w, h, th[THEME_LIT_HOVER_FACE], 1);
        work.DrawFrame(th[THEME_LIT_HOVER_FRAME], w, h);
        decorate(work, th[THEME_LIT_HOVER_LABEL]);
    } else {
        tarv_draw_button_face(work, w, h, th[THEME_UNLIT_FACE], 1);
        work.DrawFrame(th[THEME_UNLIT_HOVER_FRAME], w, h);
        decorate(work, color_white);
    }
    set_up_hover_image(work);

    tarv_draw_button_face(work, w, h, th[THEME_DISABLED_FACE], 1);
    decorate(work, th[THEME_DISABLED_LABEL]);
    set_disabled_image(work);
}

void tarv_fkey_button::click()
{
    if (actions_ && actions_->playing && actions_->playing() && actions_->send_command)
        actions_->send_command(key_command_.c_str(), false);
    if (actions_ && actions_->after_click) actions_->after_click();
}

// Function-key row

tarv_fkey_manager::tarv_fkey_manager(tarv_button_actions actions)
    : actions_(std::move(actions)),
      keys_{{tarv_fkey_button(1, &actions_), tarv_fkey_button(2, &actions_), tarv_fkey_button(3, &actions_),
             tarv_fkey_button(4, &actions_), tarv_fkey_button(5, &actions_), tarv_fkey_button(6, &actions_),
             tarv_fkey_button(7, &actions_), tarv_fkey_button(8, &actions_)}}
{
    shown = false;
    for (auto& k : keys_) k.Show(false);
}

void tarv_fkey_manager::show(bool shown_now)
{
    for (auto& k : keys_) k.Show(shown_now);
}

void tarv_fkey_manager::layout()
{
    int a = height - 5;
    int step = height - 2;
    if (a <= 0) {
        a = 1;
        step = 4;
    }
    for (int i = 0; i < key_count; ++i) keys_[i].set_geometry(x + 3 + i * step, y + 3, a, a);
}

void tarv_fkey_manager::redraw_all()
{
    for (auto& k : keys_) k.build_images();
}

void tarv_fkey_manager::setup_button(const char* tag_name, const char* data)
{
    const char* after = nullptr;
    const int number = tag_number(tag_name, 2, &after);
    if (number >= 9 && number <= 12) return;
    if (number < 1 || number > key_count) {
        TARV_LOG(2,
                 "Warning in tarv_fkey_manager::setup_button(), requested button number %d is bogus.  Ignoring.\n",
                 number);
        return;
    }
    if (!data) data = "";
    while (*data == '\n') ++data;
    const char* newline = std::strchr(data, '\n');
    const std::size_t length = std::min<std::size_t>(newline ? newline - data : std::strlen(data), payload_limit);
    const std::string text(data, length);
    if (!text.empty()) keys_[number - 1].set_text(text.c_str(), true);
    else keys_[number - 1].clear_text();
}

void tarv_fkey_manager::set_active(bool active)
{
    for (auto& k : keys_) k.set_active(active);
}
