// Pool allocation of small fixed-size records; blocks are never freed.
#pragma once

// Returns the head of a free list linked through each record's first word.
void* tarv_bulk_allocate(int object_size, const char* type_name, int block_bytes);

// Process-wide counters (nothing reads them but tests and benchmarks).
extern long tarv_bulk_total_bytes;
extern int tarv_bulk_block_count;
