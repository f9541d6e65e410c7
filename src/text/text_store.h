// Compact storage behind the scrollback: text bytes live in 64 KiB blocks and
// records in fixed pages, so growth never copies what is already stored and
// a record costs a few bytes instead of a heap allocation of its own.
//
// What has scrolled far away is sealed: once two newer blocks (or pages)
// exist, a block is compressed and its plain copy freed. Reading sealed
// storage decompresses it into a small cache of recent blocks, so a long
// evening of play costs a fraction of its text in memory while the newest
// lines, and whatever is on screen, are read at memory speed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

// Plain blocks and pages come straight from the system and go straight back
// when they are sealed: through the heap, the freed holes would keep the
// memory that sealing saves.
struct tarv_mapped_deleter {
    std::size_t bytes = 0;
    void operator()(void* p) const;
};
template <class T>
using tarv_mapped_ptr = std::unique_ptr<T[], tarv_mapped_deleter>;
void* tarv_map_bytes(std::size_t bytes);
template <class T>
tarv_mapped_ptr<T> tarv_map_array(std::size_t count)
{
    std::size_t bytes = count * sizeof(T);
    return tarv_mapped_ptr<T>(static_cast<T*>(tarv_map_bytes(bytes)), tarv_mapped_deleter{bytes});
}

// A compressed copy of one block or page.
class tarv_packed_bytes {
public:
    // False when the bytes do not shrink enough to be worth sealing.
    bool pack(const char* bytes, std::size_t size);
    // Writes the original bytes (size() of them) to out.
    void unpack(char* out) const;
    void reset()
    {
        data_.reset();
        packed_size_ = 0;
        size_ = 0;
    }
    bool empty() const { return !data_; }
    std::size_t size() const { return size_; }
    std::size_t packed_size() const { return packed_size_; }

private:
    std::unique_ptr<char[]> data_;
    std::uint32_t packed_size_ = 0;
    std::uint32_t size_ = 0;
};

// Decompressed copies of the most recently read sealed blocks. A pointer into
// a copy stays valid until slot_count other sealed blocks have been read.
class tarv_unpack_cache {
public:
    static constexpr int slot_count = 4;

    explicit tarv_unpack_cache(std::size_t slot_bytes) : slot_bytes_(slot_bytes) {}
    // The plain bytes of block `index`, unpacking it into the least recently
    // used slot when it is not cached.
    const char* get(std::size_t index, const tarv_packed_bytes& packed) const;
    // Forgets block `index` (it changed or went away).
    void drop(std::size_t index) const;
    void clear() const;
    std::size_t bytes_reserved() const;

private:
    struct slot {
        std::unique_ptr<char[]> bytes;
        std::size_t index = SIZE_MAX;
        std::uint64_t used = 0;
    };
    std::size_t slot_bytes_;
    mutable slot slots_[slot_count];
    mutable std::uint64_t clock_ = 0;
};

// How many of the newest blocks or pages always stay plain: the one being
// written and the one before it, which the current line may still reach into.
inline constexpr std::size_t tarv_plain_tail = 2;

// Records of type T (trivially copyable) in pages of 2^PageBits entries.
// Indexes stay valid while the array grows; clear() keeps the plain pages.
// Reads go through operator[] (a reference into a cached copy for a sealed
// page: use it before reading more than a few other pages); writes through
// mut(), which unseals the page first.
template <class T, int PageBits>
class tarv_paged_array {
public:
    static constexpr std::size_t page_size = std::size_t{1} << PageBits;
    static constexpr std::size_t page_bytes = page_size * sizeof(T);

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    std::size_t capacity() const { return pages_.size() * page_size; }

    const T& operator[](std::size_t i) const
    {
        const page& p = pages_[i >> PageBits];
        if (p.plain) return p.plain[i & (page_size - 1)];
        const char* bytes = cache_.get(i >> PageBits, p.packed);
        return reinterpret_cast<const T*>(bytes)[i & (page_size - 1)];
    }
    T& mut(std::size_t i)
    {
        page& p = pages_[i >> PageBits];
        if (!p.plain) unseal(i >> PageBits);
        return p.plain[i & (page_size - 1)];
    }
    T& back() { return mut(size_ - 1); }

    void push_back(const T& value)
    {
        ensure(size_ + 1);
        mut(size_) = value;
        ++size_;
        seal_behind();
    }
    // Opens a slot at i, moving the records from i on one place up.
    void insert(std::size_t i, const T& value)
    {
        ensure(size_ + 1);
        for (std::size_t k = size_; k > i; --k) mut(k) = (*this)[k - 1];
        mut(i) = value;
        ++size_;
        seal_behind();
    }
    // Makes room for n records; new slots are left unset.
    void ensure(std::size_t n)
    {
        while (capacity() < n) pages_.emplace_back().plain = tarv_map_array<T>(page_size);
    }
    void resize(std::size_t n)
    {
        ensure(n);
        size_ = n;
    }
    // Forgets the records; sealed pages get plain memory again when reused.
    void clear()
    {
        for (page& p : pages_) p.packed.reset();
        for (page& p : pages_)
            if (!p.plain) p.plain = tarv_map_array<T>(page_size);
        cache_.clear();
        size_ = 0;
        next_seal_ = 0;
    }
    // Gives the pages back to the heap as well.
    void release()
    {
        pages_.clear();
        pages_.shrink_to_fit();
        cache_.clear();
        size_ = 0;
        next_seal_ = 0;
    }
    // Off: nothing is sealed from now on (tests compare both ways).
    void set_sealing(bool on) { sealing_ = on; }
    std::size_t bytes_reserved() const
    {
        std::size_t n = cache_.bytes_reserved();
        for (const page& p : pages_) n += p.plain ? page_bytes : p.packed.packed_size();
        return n;
    }

private:
    struct page {
        tarv_mapped_ptr<T> plain;
        tarv_packed_bytes packed;
    };

    // Seals the full pages that are tarv_plain_tail or more behind the last record.
    void seal_behind()
    {
        if (!sealing_) return;
        std::size_t last = (size_ - 1) >> PageBits;
        for (; next_seal_ + tarv_plain_tail <= last; ++next_seal_) {
            page& p = pages_[next_seal_];
            if (p.plain && p.packed.pack(reinterpret_cast<const char*>(p.plain.get()), page_bytes)) p.plain.reset();
        }
    }
    void unseal(std::size_t index)
    {
        page& p = pages_[index];
        p.plain = tarv_map_array<T>(page_size);
        p.packed.unpack(reinterpret_cast<char*>(p.plain.get()));
        p.packed.reset();
        cache_.drop(index);
    }

    std::vector<page> pages_;
    std::size_t size_ = 0;
    std::size_t next_seal_ = 0;  // pages below it have been sealed (or kept plain)
    bool sealing_ = true;
    tarv_unpack_cache cache_{page_bytes};
};

// Where a stored piece of text lies: a block and an offset into it.
struct tarv_text_ref {
    std::uint32_t block;
    std::uint16_t offset;
    std::uint16_t length;
};

// Append-only byte store in 64 KiB blocks. Two ways to add text:
// store() keeps a piece of at most 64 KiB in one block (it can then be read
// as one run of bytes); append() fills blocks to the brim and addresses text
// by its position in the whole stream. Pointers handed out for a sealed block
// stay valid until a few other sealed blocks have been read.
class tarv_text_arena {
public:
    static constexpr int block_bits = 16;
    static constexpr std::size_t block_size = std::size_t{1} << block_bits;

    // Room for up to n (<= block_size) contiguous bytes; write them at the
    // returned pointer, then call commit() with the count actually written.
    char* reserve(std::size_t n)
    {
        if (blocks_.empty() || used_ + n > block_size) open_block();
        return blocks_.back().plain.get() + used_;
    }
    tarv_text_ref commit(std::size_t n)
    {
        tarv_text_ref ref{};
        ref.block = static_cast<std::uint32_t>(blocks_.size() - 1);
        ref.offset = static_cast<std::uint16_t>(used_);
        ref.length = static_cast<std::uint16_t>(n);
        used_ += n;
        total_ += n;
        return ref;
    }
    const char* data(const tarv_text_ref& ref) const { return data(ref.block, ref.offset); }
    const char* data(std::uint32_t block, std::uint32_t offset) const
    {
        const stored_block& b = blocks_[block];
        if (b.plain) return b.plain.get() + offset;
        return cache_.get(block, b.packed) + offset;
    }

    // Stream mode: text goes on at the end, spilling into new blocks.
    void append(const char* text, std::size_t n)
    {
        while (n > 0) {
            if (blocks_.empty() || used_ == block_size) open_block();
            std::size_t room = block_size - used_;
            std::size_t take = n < room ? n : room;
            std::memcpy(blocks_.back().plain.get() + used_, text, take);
            used_ += take;
            total_ += take;
            text += take;
            n -= take;
        }
    }
    // Blocks in order and how many bytes each holds: in a store filled by
    // reserve()/commit(), the blocks laid end to end are the stored pieces
    // in the order they were committed.
    std::size_t block_count() const { return blocks_.size(); }
    std::size_t block_used(std::size_t block) const
    {
        return block + 1 == blocks_.size() ? used_ : blocks_[block].used;
    }
    // For a reader on another thread while the main thread leaves the store
    // alone: the plain bytes of a block (nullptr when it is sealed), and the
    // unpacking of a sealed block into the reader's own buffer.
    const char* plain_block(std::size_t block) const { return blocks_[block].plain.get(); }
    void unpack_block(std::size_t block, char* out) const { blocks_[block].packed.unpack(out); }
    // Stream position of the next byte append() writes.
    std::uint64_t stream_end() const { return total_; }
    // Calls f(pointer, length) for the pieces of [position, position + n) in
    // a store filled only by append().
    template <class F>
    void for_each_piece(std::uint64_t position, std::uint64_t n, F&& f) const
    {
        while (n > 0) {
            std::size_t block = static_cast<std::size_t>(position >> block_bits);
            std::size_t offset = static_cast<std::size_t>(position & (block_size - 1));
            std::size_t take = block_size - offset;
            if (take > n) take = static_cast<std::size_t>(n);
            f(data(static_cast<std::uint32_t>(block), static_cast<std::uint32_t>(offset)), take);
            position += take;
            n -= take;
        }
    }

    void clear()
    {
        blocks_.clear();
        blocks_.shrink_to_fit();
        cache_.clear();
        used_ = 0;
        total_ = 0;
    }
    // Off: nothing is sealed from now on (tests compare both ways).
    void set_sealing(bool on) { sealing_ = on; }
    std::uint64_t bytes_stored() const { return total_; }
    std::size_t bytes_reserved() const
    {
        std::size_t n = cache_.bytes_reserved();
        for (const stored_block& b : blocks_) n += b.plain ? block_size : b.packed.packed_size();
        return n;
    }

private:
    struct stored_block {
        tarv_mapped_ptr<char> plain;
        tarv_packed_bytes packed;
        std::uint32_t used = 0;
    };

    void open_block()
    {
        if (!blocks_.empty()) blocks_.back().used = static_cast<std::uint32_t>(used_);
        blocks_.emplace_back().plain = tarv_map_array<char>(block_size);
        used_ = 0;
        if (sealing_ && blocks_.size() > tarv_plain_tail) {
            stored_block& b = blocks_[blocks_.size() - 1 - tarv_plain_tail];
            if (b.plain && b.packed.pack(b.plain.get(), b.used)) b.plain.reset();
        }
    }

    std::vector<stored_block> blocks_;
    std::size_t used_ = 0;
    std::uint64_t total_ = 0;
    bool sealing_ = true;
    tarv_unpack_cache cache_{block_size};
};
