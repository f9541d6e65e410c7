#include "net/socket_data_queue.h"

#include "support/debug_log.h"
#include "support/text_buffer.h"

#include <mutex>
#include <new>

namespace {

constexpr int module_queue = 2;

// The free list is shared by every queue; the updater thread and tests may
// use queues on different threads, so it is guarded.
std::mutex free_mutex;
private_socket_queue_buffer* free_head = nullptr;
int free_buffers = 0;

void log_queue(const char* text) { tarv_debug_log_flagged(text, LOG_CLASS_ERROR, module_queue); }

} // namespace

private_socket_queue_buffer* private_socket_queue_buffer::get_buffer()
{
    private_socket_queue_buffer* buffer = nullptr;
    {
        std::lock_guard<std::mutex> lock(free_mutex);
        if (free_head) {
            buffer = free_head;
            free_head = buffer->next;
            --free_buffers;
        }
    }
    if (!buffer) buffer = new (std::nothrow) private_socket_queue_buffer;
    if (!buffer) return nullptr;
    buffer->write_count = 0;
    buffer->read_position = 0;
    buffer->next = nullptr;
    buffer->data[0] = 0;
    return buffer;
}

void private_socket_queue_buffer::return_buffer(private_socket_queue_buffer* buffer)
{
    if (!buffer) return;
    std::lock_guard<std::mutex> lock(free_mutex);
    buffer->next = free_head;
    free_head = buffer;
    ++free_buffers;
}

int private_socket_queue_buffer::free_count()
{
    std::lock_guard<std::mutex> lock(free_mutex);
    return free_buffers;
}

int tarv_socket_data_queue::try_create_new_buffer()
{
    if (buffer_limit_ > 0 && buffer_count_ >= buffer_limit_) {
        full_flag_ = 1;
        return 0;
    }
    private_socket_queue_buffer* buffer = private_socket_queue_buffer::get_buffer();
    if (!buffer) {
        log_queue("Error in tarv_socket_data_queue::try_create_new_buffer(), memory allocation fail in "
                  "private_socket_queue_buffer::get_buffer().");
        return 0;
    }
    if (!first_) {
        first_ = buffer;
    } else {
        private_socket_queue_buffer* last = first_;
        while (last->next) last = last->next;
        last->next = buffer;
    }
    write_buffer_ = buffer;
    full_flag_ = 0;
    ++buffer_count_;
    return 1;
}

int tarv_socket_data_queue::append_byte(unsigned char byte)
{
    if (!write_buffer_ && !try_create_new_buffer()) return 0;
    write_buffer_->data[write_buffer_->write_count++] = byte;
    if (write_buffer_->write_count >= private_socket_queue_buffer::data_size) write_buffer_ = nullptr;
    return 1;
}

int tarv_socket_data_queue::append_bytes(const void* data, int length)
{
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    int stored = 0;
    while (bytes && stored < length && append_byte(bytes[stored])) ++stored;
    return stored;
}

int tarv_socket_data_queue::append_string(const char* text)
{
    int stored = 0;
    while (text && text[stored] && append_byte(static_cast<unsigned char>(text[stored]))) ++stored;
    return stored;
}

bool tarv_socket_data_queue::drop_drained_first()
{
    private_socket_queue_buffer* drained = first_;
    first_ = drained->next;
    if (write_buffer_ == drained) write_buffer_ = nullptr;
    --buffer_count_;
    full_flag_ = 0;
    private_socket_queue_buffer::return_buffer(drained);
    return first_ != nullptr;
}

int tarv_socket_data_queue::take(void* destination, int size, const char* operation, bool stop_at_newline,
                                 bool* saw_newline)
{
    tarv_text_buffer message;
    if (!first_) return 0;
    if (first_->read_position >= first_->write_count) {
        if (first_->next) {
            message.append_format("Warning in tarv_socket_data_queue::%s(), top buffer empty in list of other buffers.",
                                  operation);
            log_queue(message.c_str());
        }
        return 0;
    }
    unsigned char* out = static_cast<unsigned char*>(destination);
    int copied = 0;
    while (copied < size && first_) {
        private_socket_queue_buffer* top = first_;
        while (copied < size && top->read_position < top->write_count) {
            unsigned char byte = top->data[top->read_position++];
            if (stop_at_newline && byte == '\n') {
                *saw_newline = true;
                break;
            }
            out[copied++] = byte;
        }
        if (top->read_position < top->write_count) break;
        if (top->write_count >= private_socket_queue_buffer::data_size) {
            if (!drop_drained_first()) break;
            if (saw_newline && *saw_newline) break;
            continue;
        }
        // A partly filled buffer is the write buffer and must be the last.
        if (top->next) {
            message.append_format("Warning in tarv_socket_data_queue::%s(), more buffers in list than expected.",
                                  operation);
            log_queue(message.c_str());
        }
        break;
    }
    return copied;
}

int tarv_socket_data_queue::read_block(void* destination, int size)
{
    if (!destination || size <= 0) return 0;
    return take(destination, size, "read_block", false, nullptr);
}

int tarv_socket_data_queue::get_line(tarv_text_buffer& text)
{
    text.clear();
    bool newline = false;
    int taken = take(text.data, tarv_text_buffer::max_length, "get_line", true, &newline);
    text.length = taken;
    text.data[taken] = 0;
    if (!newline && taken >= tarv_text_buffer::max_length)
        log_queue("Warning in tarv_socket_data_queue::get_line(), dest buffer full.");
    return taken;
}

int tarv_socket_data_queue::is_empty() const
{
    if (!first_) return 1;
    return !first_->next && first_->read_position >= first_->write_count;
}

void tarv_socket_data_queue::clear_queue()
{
    while (first_) {
        private_socket_queue_buffer* next = first_->next;
        private_socket_queue_buffer::return_buffer(first_);
        first_ = next;
    }
    write_buffer_ = nullptr;
    buffer_count_ = 0;
    full_flag_ = 0;
}

int tarv_socket_data_queue::copy_text_without_remove(tarv_text_buffer& text) const
{
    text.clear();
    if (!first_) return 1;
    if (first_->read_position >= first_->write_count && first_->next) {
        log_queue("Warning in tarv_socket_data_queue::copy_text_without_remove(), top buffer empty in list of other "
                  "buffers.");
        return 0;
    }
    for (const private_socket_queue_buffer* b = first_; b; b = b->next) {
        for (int i = b->read_position; i < b->write_count; ++i) {
            if (b->data[i] == 0) {
                log_queue("Warning in tarv_socket_data_queue::copy_text_without_remove(), bailing on data zero.");
                return 0;
            }
            if (text.length >= tarv_text_buffer::max_length) {
                log_queue("Warning in tarv_socket_data_queue::copy_text_without_remove(), dest buffer full.");
                return 0;
            }
            text.data[text.length++] = static_cast<char>(b->data[i]);
            text.data[text.length] = 0;
        }
    }
    return 1;
}

int tarv_socket_data_queue::get_remaining_space() const
{
    if (buffer_limit_ < 0) return -1;
    long space = static_cast<long>(buffer_limit_) * private_socket_queue_buffer::data_size;
    for (const private_socket_queue_buffer* b = first_; b; b = b->next) space -= b->write_count;
    if (space < 0) {
        log_queue("Warning in tarv_socket_data_queue::get_remaining_space(), negative available space?");
        return 0;
    }
    return static_cast<int>(space);
}

int tarv_socket_data_queue::queued_bytes() const
{
    if (first_ && first_->read_position >= first_->write_count && first_->next)
        log_queue("Warning in tarv_socket_data_queue::queued_bytes(), top buffer empty in list of other buffers.");
    int total = 0;
    for (const private_socket_queue_buffer* b = first_; b; b = b->next) total += b->write_count - b->read_position;
    return total;
}
