#include "support/text_buffer.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

bool tarv_text_buffer::append(const char* text)
{
    if (!text) return true;
    return append(text, std::strlen(text));
}

bool tarv_text_buffer::append(const char* text, std::size_t n)
{
    if (!text) return true;
    // Stop at an embedded terminator so length always matches strlen(data).
    n = strnlen(text, n);
    std::size_t room = static_cast<std::size_t>(max_length - length);
    bool fits = n <= room;
    if (!fits) n = room;
    std::memcpy(data + length, text, n);
    length += static_cast<int>(n);
    data[length] = 0;
    return fits;
}

bool tarv_text_buffer::append_char(char c)
{
    if (c == 0) return true;
    if (length >= max_length) return false;
    data[length++] = c;
    data[length] = 0;
    return true;
}

bool tarv_text_buffer::append_format(const char* format, ...)
{
    if (!format) return true;
    int room = capacity - length;
    std::va_list args;
    va_start(args, format);
    int written = std::vsnprintf(data + length, static_cast<std::size_t>(room), format, args);
    va_end(args);
    if (written < 0) {
        data[length] = 0;
        return false;
    }
    if (written >= room) {
        length += static_cast<int>(strnlen(data + length, static_cast<std::size_t>(room - 1)));
        return false;
    }
    // A formatted zero byte would otherwise leave length past the visible text.
    length += static_cast<int>(strnlen(data + length, static_cast<std::size_t>(written)));
    return true;
}
