// Chained hash table of pointers to records it does not own.
#pragma once

#include <cstdint>

class VoidPointerHashTable {
public:
    using object_hash_fn = std::uint32_t (*)(const void* record);
    using key_hash_fn = std::uint32_t (*)(const void* key);
    using match_fn = int (*)(const void* record, const void* key);

    VoidPointerHashTable(object_hash_fn object_hash, key_hash_fn key_hash, match_fn match);
    ~VoidPointerHashTable();
    VoidPointerHashTable(const VoidPointerHashTable&) = delete;
    VoidPointerHashTable& operator=(const VoidPointerHashTable&) = delete;

    void add(void* record);
    void* find(const void* key) const;
    int remove(void* record);

    int size() const { return count_; }
    int bucket_count() const { return bucket_count_; }

private:
    struct entry {
        std::uint32_t hash;
        void* record;
        entry* next;
    };
    void expand_hash_table();

    entry** buckets_ = nullptr;
    int bucket_count_ = 0;
    int mask_ = 0;
    int count_ = 0;
    object_hash_fn object_hash_;
    key_hash_fn key_hash_;
    match_fn match_;
};
