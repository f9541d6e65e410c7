#include "support/util.h"

#include "support/debug_log.h"
#include "support/text_buffer.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int module_utilities = 1;
constexpr unsigned class_overflow = 2;
constexpr unsigned class_copy = 4;
constexpr int max_word_positions = 400;

inline bool is_word_end(char c)
{
    return c == 0 || c == ' ' || c == '\t' || c == '\n';
}

inline bool is_separator(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

inline char fold(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

int fget_line(std::FILE* file, char* buffer, int size)
{
    if (!file || !buffer || size < 2) {
        if (buffer && size == 1) buffer[0] = 0;
        tarv_debug_log_flagged("Error in fget_line(), no file or buffer too small.", class_overflow, module_utilities);
        return 0;
    }
    int c = std::getc(file);
    if (c == EOF) return 0;
    if (c == '\n' || c == 0) {
        buffer[0] = 0;
        return 1;
    }
    int stored = 0;
    for (;;) {
        if (c != '\r') buffer[stored++] = static_cast<char>(c);
        c = std::getc(file);
        if (stored == size - 1) {
            buffer[stored] = 0;
            // Keep the first character that did not fit for the next call;
            // only a line end may be consumed here.
            if (c != '\n' && c != 0 && c != EOF) std::ungetc(c, file);
            tarv_debug_log_flagged("Warning in fget_line(), string overflow.  String was:", class_overflow,
                                   module_utilities);
            tarv_debug_log_flagged(buffer, class_overflow, module_utilities);
            return size;
        }
        if (c == '\n' || c == 0 || c == EOF) {
            buffer[stored] = 0;
            return stored + 1;
        }
    }
}

const char* next_arg(const char* text)
{
    if (!text) {
        tarv_debug_log_flagged("Error in next_arg(), NULL pointer passed in.", LOG_CLASS_VERBOSE, module_utilities);
        return nullptr;
    }
    while (is_separator(*text)) ++text;
    if (!*text) return nullptr;
    while (!is_word_end(*text)) ++text;
    while (is_separator(*text)) ++text;
    return *text ? text : nullptr;
}

int word_equals(const char* a, const char* b)
{
    if (!a || !b) return 0;
    for (int i = 0; i < max_word_positions; ++i) {
        bool end_a = is_word_end(a[i]);
        bool end_b = is_word_end(b[i]);
        if (end_a || end_b) return end_a && end_b ? 1 : 0;
        if (fold(a[i]) != fold(b[i])) return 0;
    }
    return 0;
}

int word_is_prefix(const char* word, const char* keyword)
{
    if (!word || !keyword) return 0;
    if (is_word_end(word[0]) || fold(word[0]) != fold(keyword[0])) return 0;
    for (int i = 1; i < max_word_positions; ++i) {
        if (is_word_end(word[i])) return i;
        // A keyword that ended differs from any word character, so this
        // never reads past the keyword's terminator.
        if (fold(word[i]) != fold(keyword[i])) return 0;
    }
    return 0;
}

int word_abbrev(const char* word, const char* keyword, int minimum)
{
    int length = word_is_prefix(word, keyword);
    if (length == 0) return 0;
    if (length >= minimum || minimum <= 0 || is_word_end(keyword[length])) return length;
    return 0;
}

int word_in_list(const char* word, const char* list)
{
    if (!word || !list) return 0;
    for (const char* p = list; p; p = next_arg(p))
        if (word_equals(word, p)) return 1;
    return 0;
}

int parse_leading_int(const char* text, int* out)
{
    if (!text) return 0;
    bool digit = text[0] >= '0' && text[0] <= '9';
    bool minus = text[0] == '-' && text[1] >= '0' && text[1] <= '9';
    if (!digit && !minus && text[0] != '+') return 0;
    long value = std::strtol(text, nullptr, 10);
    if (value > INT_MAX) value = INT_MAX;
    if (value < INT_MIN) value = INT_MIN;
    if (out) *out = static_cast<int>(value);
    return 1;
}

int safe_strcpy(char* dest, const char* src, int size)
{
    if (!dest) {
        tarv_debug_log_flagged("Error in safe_strcpy(), NULL dest.", class_copy, module_utilities);
        return 0;
    }
    if (size <= 0) {
        tarv_debug_log_flagged("Error in safe_strcpy(), dest too short.", class_copy, module_utilities);
        return 0;
    }
    if (!src) {
        dest[0] = 0;
        tarv_debug_log_flagged("Error in safe_strcpy(), NULL src.", class_copy, module_utilities);
        return 0;
    }
    for (int i = 0; i < size; ++i) {
        dest[i] = src[i];
        if (!src[i]) return 1;
    }
    dest[size - 1] = 0;
    tarv_text_buffer message;
    message.append("Error in safe_strcpy(), src overflow. String was: ->");
    message.append(src);
    message.append("<-");
    tarv_debug_log_flagged(message.c_str(), class_copy, module_utilities);
    return 0;
}

int base64_append(tarv_text_buffer& buffer, const unsigned char* data, int length)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    if (!data) return 0;
    for (int i = 0; i < length && !buffer.full(); i += 3) {
        int left = length - i;
        unsigned group = static_cast<unsigned>(data[i]) << 16;
        if (left > 1) group |= static_cast<unsigned>(data[i + 1]) << 8;
        if (left > 2) group |= data[i + 2];
        char out[4] = {alphabet[(group >> 18) & 63], alphabet[(group >> 12) & 63],
                       left > 1 ? alphabet[(group >> 6) & 63] : '=', left > 2 ? alphabet[group & 63] : '='};
        for (char c : out) buffer.append_char(c);
    }
    return buffer.length < tarv_text_buffer::max_length ? 1 : 0;
}

int base64_append_text(tarv_text_buffer& buffer, const char* text)
{
    if (!text) return 0;
    return base64_append(buffer, reinterpret_cast<const unsigned char*>(text), static_cast<int>(std::strlen(text)));
}

std::uint32_t tarv_hash_text(const char* text)
{
    if (!text) text = "";
    std::uint32_t h = 1564184925u;
    auto mix = [&h](unsigned char b) {
        h += b;
        h += h << 10;
        h ^= h >> 6;
    };
    std::uint32_t length = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p, ++length) mix(*p);
    for (int shift = 0; shift < 32; shift += 8) mix(static_cast<unsigned char>(length >> shift));
    h += h << 3;
    h ^= h >> 11;
    h += h << 15;
    return h;
}

int tarv_hex_digit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int tarv_direction_angle(int dx, int dy)
{
    if (dx == 0 && dy == 0) return 90;
    double ratio = std::fabs(static_cast<double>(dy) / (dx + 0.001));
    int a = static_cast<int>(std::floor(std::atan(ratio) * 360.0 / 6.2832 + 0.5));
    int angle;
    if (dx >= 0 && dy < 0)
        angle = -a;
    else if (dx < 0 && dy >= 0)
        angle = 180 - a;
    else if (dx < 0 && dy < 0)
        angle = a - 180;
    else
        angle = a;
    while (angle < 0) angle += 360;
    while (angle > 360) angle -= 360;
    return angle;
}
