#include "support/bulk_allocate.h"

#include "common/log_capture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct chain_shape {
    int records = 0;
    long stride = 0;  // 0 when the strides differ
};

chain_shape walk(void* head)
{
    chain_shape shape;
    char* previous = nullptr;
    bool even = true;
    for (char* p = static_cast<char*>(head); p; p = *reinterpret_cast<char**>(p)) {
        if (previous) {
            long step = p - previous;
            if (shape.stride == 0 && shape.records == 1) shape.stride = step;
            even = even && step == shape.stride;
        }
        previous = p;
        ++shape.records;
    }
    if (!even) shape.stride = 0;
    return shape;
}

}  // namespace

TEST(BulkAllocate, RecordCountsTable)
{
    struct Case {
        int size;
        int block;
        int records;
        long stride;
    };
    const Case cases[] = {
        {24, 262144, 10922, 24},
        {5, 100, 12, 8},
        // Every record carries a pointer link, so none is smaller than one.
        {4, 100, 12, 8},
        {0, 64, 8, 8},
        {-3, 64, 8, 8},
        {12, 100, 6, 16},
        {200, 100, 1, 0},  // a block smaller than one record still gives one
        {64, 0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << " in " << c.block);
        long bytes_before = tarv_bulk_total_bytes;
        int blocks_before = tarv_bulk_block_count;
        void* head = tarv_bulk_allocate(c.size, "test", c.block);
        ASSERT_NE(head, nullptr);
        chain_shape shape = walk(head);
        EXPECT_EQ(shape.records, c.records);
        if (c.records > 1) {
            EXPECT_EQ(shape.stride, c.stride);
        }
        EXPECT_EQ(tarv_bulk_block_count, blocks_before + 1);
        long record_bytes = c.records > 1 ? c.stride : (c.size <= 0 ? 8 : (c.size + 7) / 8 * 8);
        EXPECT_EQ(tarv_bulk_total_bytes - bytes_before, c.records * record_bytes);
        // Records are usable over their whole size (checked under ASan).
        for (char* p = static_cast<char*>(head); p;) {
            char* next = *reinterpret_cast<char**>(p);
            std::memset(p, 0xab, static_cast<std::size_t>(record_bytes));
            p = next;
        }
    }
}

TEST(BulkAllocate, LogsTheBlockAtVerboseLevel)
{
    {
        LogCapture log(2);
        tarv_bulk_allocate(24, "text chunk", 262144);
        EXPECT_EQ(log.text(), "");
    }
    LogCapture log(3);
    tarv_bulk_allocate(24, "text chunk", 262144);
    EXPECT_NE(log.text().find("Allocating  10922 objects of size     24 (   262128 bytes), type 'text chunk'\n"),
              std::string::npos);
}
