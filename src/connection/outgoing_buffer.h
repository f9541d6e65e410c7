// The bytes waiting to be written to the game server: a fixed 10000-byte
// buffer, not a C string. A partial write leaves the unsent rest, in order,
// at the front.
#pragma once

class tarv_outgoing_buffer {
public:
    static constexpr int capacity = 10000;

    // Copies what fits and returns the number of bytes copied; a text that
    // does not fit is cut and the buffer-full error logged.
    int append(const char* text, int length);
    int free_space() const { return capacity - length_; }
    // Drops the first n bytes (a write took them).
    void consume(int n);
    void clear() { length_ = 0; }

    const char* data() const { return data_; }
    int length() const { return length_; }

private:
    char data_[capacity];
    int length_ = 0;
};
