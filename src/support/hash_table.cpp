#include "support/hash_table.h"

#include "support/debug_log.h"

#include <cstdio>
#include <new>

namespace {

constexpr int module_utilities = 1;
constexpr int initial_buckets = 256;
constexpr int crowded_chain = 50;

}  // namespace

VoidPointerHashTable::VoidPointerHashTable(object_hash_fn object_hash, key_hash_fn key_hash, match_fn match)
    : object_hash_(object_hash), key_hash_(key_hash), match_(match)
{
    buckets_ = new (std::nothrow) entry*[initial_buckets]();
    if (!buckets_) {
        tarv_debug_log_flagged("Error in VoidPointerHashTable(), initial table alloc failed.", 1, module_utilities);
        return;
    }
    bucket_count_ = initial_buckets;
    mask_ = initial_buckets - 1;
}

VoidPointerHashTable::~VoidPointerHashTable()
{
    for (int i = 0; i < bucket_count_; ++i) {
        entry* e = buckets_[i];
        while (e) {
            entry* next = e->next;
            delete e;
            e = next;
        }
    }
    delete[] buckets_;
}

void VoidPointerHashTable::expand_hash_table()
{
    int new_count = bucket_count_ * 2;
    entry** fresh = new (std::nothrow) entry*[static_cast<unsigned>(new_count)]();
    if (!fresh) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "Error in VoidPointerHashTable::expand_hash_table(), unable to allocate table of size %d.  "
                      "Using old table.",
                      new_count);
        tarv_debug_log_flagged(text, 2, module_utilities);
        return;
    }
    int new_mask = new_count - 1;
    for (int i = 0; i < bucket_count_; ++i) {
        entry* e = buckets_[i];
        while (e) {
            entry* next = e->next;
            entry*& head = fresh[e->hash & static_cast<std::uint32_t>(new_mask)];
            e->next = head;
            head = e;
            e = next;
        }
    }
    delete[] buckets_;
    buckets_ = fresh;
    bucket_count_ = new_count;
    mask_ = new_mask;
}

void VoidPointerHashTable::add(void* record)
{
    if (!buckets_) return;
    if (count_ > bucket_count_ / 2) expand_hash_table();
    std::uint32_t h = object_hash_(record);
    int index = static_cast<int>(h & static_cast<std::uint32_t>(mask_));
    int chain = 0;
    for (entry* e = buckets_[index]; e; e = e->next, ++chain) {
        if (e->record == record) {
            tarv_debug_log_flagged("Error in VoidPointerHashTable::add(), attempt to add duplicate thing.", 4,
                                   module_utilities);
            return;
        }
    }
    if (chain > crowded_chain) {
        char text[120];
        std::snprintf(text, sizeof text, "Error in VoidPointerHashTable::add(), found %d things in bucket %d.", chain,
                      index);
        tarv_debug_log_flagged(text, 8, module_utilities);
    }
    entry* fresh = new (std::nothrow) entry{h, record, buckets_[index]};
    if (!fresh) {
        tarv_debug_log_flagged("Error in VoidPointerHashTable::add(), entry alloc failed.", 1, module_utilities);
        return;
    }
    buckets_[index] = fresh;
    ++count_;
}

void* VoidPointerHashTable::find(const void* key) const
{
    if (!buckets_) return nullptr;
    for (entry* e = buckets_[key_hash_(key) & static_cast<std::uint32_t>(mask_)]; e; e = e->next)
        if (match_(e->record, key)) return e->record;
    return nullptr;
}

int VoidPointerHashTable::remove(void* record)
{
    if (!buckets_) return 0;
    entry** link = &buckets_[object_hash_(record) & static_cast<std::uint32_t>(mask_)];
    for (; *link; link = &(*link)->next) {
        entry* e = *link;
        if (e->record == record) {
            *link = e->next;
            delete e;
            --count_;
            return 1;
        }
    }
    return 0;
}
