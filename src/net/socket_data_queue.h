// First-in, first-out byte queue of fixed-size buffers. Drained buffers go
// to one process-wide free list and are reused, never freed.
#pragma once

struct tarv_text_buffer;

struct private_socket_queue_buffer {
    static constexpr int data_size = 4072;

    int write_count = 0;
    int read_position = 0;
    private_socket_queue_buffer* next = nullptr;
    unsigned char data[data_size];

    // A cleared buffer from the free list, or a new one; nullptr when memory
    // runs out.
    static private_socket_queue_buffer* get_buffer();
    static void return_buffer(private_socket_queue_buffer* buffer);
    // Idle buffers on the free list (for tests and figures).
    static int free_count();
};

class tarv_socket_data_queue {
public:
    tarv_socket_data_queue() = default;
    ~tarv_socket_data_queue() { clear_queue(); }
    tarv_socket_data_queue(const tarv_socket_data_queue&) = delete;
    tarv_socket_data_queue& operator=(const tarv_socket_data_queue&) = delete;

    // 0 or less: no limit.
    void set_buffer_limit(int limit) { buffer_limit_ = limit; }
    int buffer_limit() const { return buffer_limit_; }
    int buffer_count() const { return buffer_count_; }
    int is_full() const { return full_flag_; }
    bool has_write_buffer() const { return write_buffer_ != nullptr; }

    int try_create_new_buffer();
    int append_byte(unsigned char byte);
    int append_bytes(const void* data, int length);
    int append_string(const char* text);
    int read_block(void* destination, int size);
    int is_empty() const;
    void clear_queue();

    int get_line(tarv_text_buffer& text);
    int copy_text_without_remove(tarv_text_buffer& text) const;
    int get_remaining_space() const;
    int queued_bytes() const;

    // Read and write counts of the oldest buffer (tests): -1 without one.
    int first_read_position() const { return first_ ? first_->read_position : -1; }
    int first_write_count() const { return first_ ? first_->write_count : -1; }

private:
    // Unlinks the drained first buffer; true when copying may go on.
    bool drop_drained_first();
    int take(void* destination, int size, const char* operation, bool stop_at_newline, bool* saw_newline);

    private_socket_queue_buffer* first_ = nullptr;
    private_socket_queue_buffer* write_buffer_ = nullptr;
    int buffer_limit_ = 0;
    int buffer_count_ = 0;
    int full_flag_ = 0;
};
