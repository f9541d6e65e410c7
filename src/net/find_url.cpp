#include "net/find_url.h"

#include <cstring>

namespace {

bool is_url_char(unsigned char c)
{
    if (c < 35 || c > 126) return false;
    return c != '\'' && c != '*' && c != '`' && c != '<' && c != '>';
}

bool has_prefix(std::string_view text, std::size_t at, const char* prefix)
{
    std::size_t n = std::strlen(prefix);
    return at <= text.size() && text.size() - at >= n && text.compare(at, n, prefix) == 0;
}

bool scheme_at(std::string_view text, std::size_t at)
{
    return has_prefix(text, at, "http://") || has_prefix(text, at, "https://") || has_prefix(text, at, "ftp://");
}

bool is_digit_1_9(char c) { return c >= '1' && c <= '9'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_lower(char c) { return c >= 'a' && c <= 'z'; }

// A bare address needs a host ending such as ".org": two to four lowercase
// letters followed by the end, a "/" or a port.
bool has_host_ending(std::string_view url)
{
    for (std::size_t dot = 0; dot < url.size(); ++dot) {
        if (url[dot] != '.') continue;
        std::size_t i = dot + 1;
        while (i < url.size() && is_lower(url[i])) ++i;
        std::size_t letters = i - dot - 1;
        if (letters < 2 || letters > 4) continue;
        if (i == url.size() || url[i] == '/') return true;
        if (url[i] != ':' || i + 1 >= url.size() || !is_digit_1_9(url[i + 1])) continue;
        std::size_t p = i + 2;
        while (p < url.size() && is_digit(url[p])) ++p;
        if (p == url.size() || url[p] == '/') return true;
    }
    return false;
}

// Bracket kinds: 0 round, 1 square, 2 curly; -1 for anything else.
int opening_kind(char c) { return c == '(' ? 0 : c == '[' ? 1 : c == '{' ? 2 : -1; }
int closing_kind(char c) { return c == ')' ? 0 : c == ']' ? 1 : c == '}' ? 2 : -1; }

} // namespace

int tarv_find_url_at(std::string_view text, int position, tarv_text_buffer& result, int* start, int* end)
{
    if (position < 0 || static_cast<std::size_t>(position) >= text.size()) return 0;
    if (!is_url_char(static_cast<unsigned char>(text[position]))) return 0;

    std::size_t s = position;
    while (!scheme_at(text, s) && s > 0 && is_url_char(static_cast<unsigned char>(text[s - 1]))) --s;
    std::size_t e = position;
    while (e + 1 < text.size() && is_url_char(static_cast<unsigned char>(text[e + 1]))) ++e;

    // Punctuation around an address in prose belongs to the prose.
    int open[3] = {0, 0, 0};
    // The walk left stops at a scheme, so brackets right before it are
    // counted here: "[http://x.org]" loses its closing bracket too.
    for (std::size_t b = s; b > 0 && opening_kind(text[b - 1]) >= 0; --b) ++open[opening_kind(text[b - 1])];
    while (s <= e) {
        char c = text[s];
        if (opening_kind(c) >= 0) ++open[opening_kind(c)];
        else if (closing_kind(c) >= 0) --open[closing_kind(c)];
        else if (c != ',' && c != '.' && c != '?') break;
        ++s;
    }
    while (e >= s && s < text.size()) {
        char c = text[e];
        int kind = closing_kind(c);
        if (c == ',' || c == '.' || c == '?') {
            // trailing punctuation
        } else if (kind >= 0 && open[kind] > 0) {
            --open[kind];
        } else {
            break;
        }
        if (e == 0) return 0;
        --e;
    }

    std::size_t pos = position;
    if (s > e || pos < s || pos > e) return 0;
    std::string_view url = text.substr(s, e - s + 1);
    bool scheme = scheme_at(text, s);
    if (!scheme) {
        std::size_t at = url.find('@');
        if (at != std::string_view::npos && at + 1 < url.size()) return 0;
    }
    if (url.find('.') == std::string_view::npos) return 0;
    if (url.size() > static_cast<std::size_t>(tarv_text_buffer::max_length)) return 0;

    if (!scheme && !has_prefix(url, 0, "www.")) {
        if (url.find("..") != std::string_view::npos) return 0;
        for (std::size_t i = 0; i < url.size(); ++i)
            if (url[i] == ':' && (i + 1 >= url.size() || !is_digit_1_9(url[i + 1]))) return 0;
        if (!has_host_ending(url)) return 0;
    }

    result.clear();
    result.append(url.data(), url.size());
    if (start) *start = static_cast<int>(s);
    if (end) *end = static_cast<int>(e);
    return 1;
}
