// Bounded 6000-byte text buffer: at most 5999 characters plus the terminator.
// Whatever does not fit is cut.
#pragma once

#include <cstddef>

struct tarv_text_buffer {
    static constexpr int capacity = 6000;
    static constexpr int max_length = capacity - 1;

    char data[capacity] = {0};
    int length = 0;

    void clear() { length = 0; data[0] = 0; }
    const char* c_str() const { return data; }
    bool empty() const { return length == 0; }
    bool full() const { return length >= max_length; }

    // Each returns true when everything fitted.
    bool append(const char* text);
    bool append(const char* text, std::size_t n);
    bool append_char(char c);
    bool append_format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void assign(const char* text) { clear(); append(text); }
};
