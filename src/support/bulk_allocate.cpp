#include "support/bulk_allocate.h"

#include "support/debug_log.h"

#include <climits>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

long tarv_bulk_total_bytes = 0;
int tarv_bulk_block_count = 0;

namespace {

constexpr int module_pool_allocator = 9;
// Every record holds the free-list link in its first word, so records must
// be at least pointer sized and pointer aligned.
constexpr long record_alignment = sizeof(void*);

// Each block starts with a header linking it to the previous one, so every
// block stays reachable for the life of the process.
constexpr long block_header = alignof(std::max_align_t);
void* newest_block = nullptr;

char* take_block(long record_bytes)
{
    char* raw = static_cast<char*>(std::malloc(static_cast<std::size_t>(record_bytes + block_header)));
    if (!raw) return nullptr;
    std::memcpy(raw, &newest_block, sizeof newest_block);
    newest_block = raw;
    return raw + block_header;
}

void set_link(char* record, void* next)
{
    std::memcpy(record, &next, sizeof next);
}

}  // namespace

void* tarv_bulk_allocate(int object_size, const char* type_name, int block_bytes)
{
    if (!type_name) type_name = "";
    long size = object_size <= 0 ? record_alignment : object_size;
    size = (size + record_alignment - 1) / record_alignment * record_alignment;
    long records = block_bytes > 0 ? block_bytes / size : 0;
    if (records < 1) records = 1;
    long bytes = records * size;

    char text[400];
    std::snprintf(text, sizeof text, "Allocating %6ld objects of size %6ld (%9ld bytes), type '%s'", records, size,
                  bytes, type_name);
    tarv_debug_log_flagged(text, LOG_CLASS_VERBOSE, module_pool_allocator);

    char* block = take_block(bytes);
    if (!block) {
        std::snprintf(text, sizeof text,
                      "Error in tarv_bulk_allocate(), malloc failed for %6ld objects of size %6ld (%9ld bytes), "
                      "type '%s'.  Trying single object.",
                      records, size, bytes, type_name);
        tarv_debug_log_flagged(text, 1, module_pool_allocator);
        records = 1;
        bytes = size;
        block = take_block(bytes);
        if (!block) {
            std::snprintf(text, sizeof text,
                          "Error in tarv_bulk_allocate(), malloc failed for %6d objects of size %6ld (%9ld bytes), "
                          "type '%s'.  Failing and exiting.",
                          1, size, size, type_name);
            tarv_debug_log_flagged(text, 1, module_pool_allocator);
            std::exit(1);
        }
    }
    for (long i = 0; i < records; ++i)
        set_link(block + i * size, i + 1 < records ? block + (i + 1) * size : nullptr);
    tarv_bulk_total_bytes += bytes;
    ++tarv_bulk_block_count;
    return block;
}
