#include "connection/outgoing_buffer.h"

#include "support/debug_log.h"

#include <cstring>

int tarv_outgoing_buffer::append(const char* text, int length)
{
    if (!text || length <= 0) return 0;
    int free = capacity - length_;
    int n = length;
    if (length >= free) {
        TARV_LOG(2, "Error in append_outgoing_string() - not enough space in outgoing buffer?\n");
        n = free;
    }
    std::memcpy(data_ + length_, text, static_cast<size_t>(n));
    length_ += n;
    return n;
}

void tarv_outgoing_buffer::consume(int n)
{
    if (n <= 0) return;
    if (n >= length_) {
        length_ = 0;
        return;
    }
    std::memmove(data_, data_ + n, static_cast<size_t>(length_ - n));
    length_ -= n;
}
