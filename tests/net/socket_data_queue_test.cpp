#include "net/socket_data_queue.h"
#include "support/text_buffer.h"

#include "common/log_capture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int B = private_socket_queue_buffer::data_size;

std::vector<unsigned char> pattern(int n, int seed = 0)
{
    std::vector<unsigned char> bytes(n);
    for (int i = 0; i < n; ++i) bytes[i] = static_cast<unsigned char>((i * 7 + seed) & 0xff);
    return bytes;
}

struct queue_case {
    const char* name;
    int limit;
    int append;       // bytes appended
    int read;         // bytes asked for afterwards (0: no read)
    int stored;       // append_bytes result
    int buffers;      // buffer count after appending
    bool write_buffer; // a partly filled buffer is open after appending
    int full;         // full flag after appending
    int got;          // read_block result
    int empty;        // is_empty after the read
};

TEST(SocketDataQueue, AppendAndReadEdges)
{
    const queue_case cases[] = {
        {"one full buffer", 0, B, 0, B, 1, false, 0, 0, 0},
        {"first byte of a second buffer", 0, B + 1, 0, B + 1, 2, true, 0, 0, 0},
        {"limit 2 refuses the 8145th byte", 2, 2 * B + 1, 0, 2 * B, 2, false, 1, 0, 0},
        {"reading everything of a partial buffer", 0, 100, 100, 100, 1, true, 0, 100, 1},
        {"reading more than queued", 0, B + 5, 3 * B, B + 5, 2, true, 0, B + 5, 1},
        {"reading part", 0, 50, 20, 50, 1, true, 0, 20, 0},
    };
    for (const queue_case& c : cases) {
        SCOPED_TRACE(c.name);
        tarv_socket_data_queue queue;
        queue.set_buffer_limit(c.limit);
        std::vector<unsigned char> in = pattern(c.append);
        EXPECT_EQ(queue.append_bytes(in.data(), c.append), c.stored);
        EXPECT_EQ(queue.buffer_count(), c.buffers);
        EXPECT_EQ(queue.has_write_buffer(), c.write_buffer);
        EXPECT_EQ(queue.is_full(), c.full);
        if (c.read) {
            std::vector<unsigned char> out(c.read + 16, 0xee);
            ASSERT_EQ(queue.read_block(out.data(), c.read), c.got);
            EXPECT_EQ(std::vector<unsigned char>(out.begin(), out.begin() + c.got),
                      std::vector<unsigned char>(in.begin(), in.begin() + c.got));
            EXPECT_EQ(out[c.got], 0xee);
            EXPECT_EQ(queue.is_empty(), c.empty);
        }
    }
}

TEST(SocketDataQueue, DrainingAFullBufferClearsTheFullFlag)
{
    tarv_socket_data_queue queue;
    queue.set_buffer_limit(2);
    std::vector<unsigned char> in = pattern(2 * B + 1);
    ASSERT_EQ(queue.append_bytes(in.data(), 2 * B + 1), 2 * B);
    ASSERT_EQ(queue.is_full(), 1);
    std::vector<unsigned char> out(B);
    ASSERT_EQ(queue.read_block(out.data(), B), B);
    EXPECT_EQ(queue.is_full(), 0);
    EXPECT_EQ(queue.buffer_count(), 1);
    EXPECT_EQ(queue.append_byte(0x42), 1);
    std::vector<unsigned char> rest(B + 10);
    ASSERT_EQ(queue.read_block(rest.data(), B + 10), B + 1);
    EXPECT_EQ(rest[0], in[B]);
    EXPECT_EQ(rest[B - 1], in[2 * B - 1]);
    EXPECT_EQ(rest[B], 0x42);
}

TEST(SocketDataQueue, PartialBufferStaysAfterReadingItAll)
{
    tarv_socket_data_queue queue;
    queue.append_string("hello");
    char out[16];
    ASSERT_EQ(queue.read_block(out, sizeof out), 5);
    EXPECT_EQ(queue.buffer_count(), 1);
    EXPECT_EQ(queue.first_read_position(), 5);
    EXPECT_EQ(queue.first_write_count(), 5);
    EXPECT_EQ(queue.is_empty(), 1);
    EXPECT_EQ(queue.read_block(out, sizeof out), 0);
    // The same buffer takes the next bytes.
    queue.append_string("ab");
    ASSERT_EQ(queue.read_block(out, sizeof out), 2);
    EXPECT_EQ(std::string(out, 2), "ab");
}

TEST(SocketDataQueue, BuffersAreRecycledThroughTheFreeList)
{
    {
        tarv_socket_data_queue warm;
        std::vector<unsigned char> in = pattern(3 * B);
        warm.append_bytes(in.data(), 3 * B);
    }
    int idle = private_socket_queue_buffer::free_count();
    ASSERT_GE(idle, 3);
    tarv_socket_data_queue queue;
    std::vector<unsigned char> in = pattern(2 * B, 3);
    queue.append_bytes(in.data(), 2 * B);
    EXPECT_EQ(private_socket_queue_buffer::free_count(), idle - 2);
    std::vector<unsigned char> out(2 * B);
    ASSERT_EQ(queue.read_block(out.data(), 2 * B), 2 * B);
    EXPECT_EQ(out, in);
    EXPECT_EQ(private_socket_queue_buffer::free_count(), idle);
    queue.clear_queue();
    EXPECT_EQ(queue.buffer_count(), 0);
}

TEST(SocketDataQueue, LinesAndTextCopies)
{
    LogCapture log;
    tarv_socket_data_queue queue;
    queue.append_string("GET / HTTP/1.1\nHost: x\n");
    tarv_text_buffer text;
    ASSERT_EQ(queue.copy_text_without_remove(text), 1);
    EXPECT_STREQ(text.c_str(), "GET / HTTP/1.1\nHost: x\n");
    EXPECT_EQ(queue.get_line(text), 14);
    EXPECT_STREQ(text.c_str(), "GET / HTTP/1.1");
    EXPECT_EQ(queue.get_line(text), 7);
    EXPECT_STREQ(text.c_str(), "Host: x");
    EXPECT_EQ(queue.queued_bytes(), 0);
    queue.append_byte(0);
    EXPECT_EQ(queue.copy_text_without_remove(text), 0);
    EXPECT_TRUE(log.contains("copy_text_without_remove(), bailing on data zero."));

    tarv_socket_data_queue limited;
    limited.set_buffer_limit(3);
    limited.append_string("abc");
    EXPECT_EQ(limited.get_remaining_space(), 3 * B - 3);
    limited.set_buffer_limit(-1);
    EXPECT_EQ(limited.get_remaining_space(), -1);
}

} // namespace
