// Compact storage behind the scrollback: text bytes live in 64 KiB blocks and
// records in fixed pages, so growth never copies what is already stored and
// a record costs a few bytes instead of a heap allocation of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

// Records of type T (trivially copyable) in pages of 2^PageBits entries.
// Indexes stay valid while the array grows; clear() keeps the pages.
template <class T, int PageBits>
class tarv_paged_array {
public:
    static constexpr std::size_t page_size = std::size_t{1} << PageBits;

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    std::size_t capacity() const { return pages_.size() * page_size; }

    T& operator[](std::size_t i) { return pages_[i >> PageBits][i & (page_size - 1)]; }
    const T& operator[](std::size_t i) const { return pages_[i >> PageBits][i & (page_size - 1)]; }
    T& back() { return (*this)[size_ - 1]; }

    void push_back(const T& value)
    {
        ensure(size_ + 1);
        (*this)[size_++] = value;
    }
    // Opens a slot at i, moving the records from i on one place up.
    void insert(std::size_t i, const T& value)
    {
        ensure(size_ + 1);
        for (std::size_t k = size_; k > i; --k) (*this)[k] = (*this)[k - 1];
        (*this)[i] = value;
        ++size_;
    }
    // Makes room for n records; new slots are left unset.
    void ensure(std::size_t n)
    {
        while (capacity() < n) pages_.emplace_back(new T[page_size]);
    }
    void resize(std::size_t n)
    {
        ensure(n);
        size_ = n;
    }
    void clear() { size_ = 0; }
    // Gives the pages back to the heap as well.
    void release()
    {
        pages_.clear();
        pages_.shrink_to_fit();
        size_ = 0;
    }
    std::size_t bytes_reserved() const { return pages_.size() * page_size * sizeof(T); }

private:
    std::vector<std::unique_ptr<T[]>> pages_;
    std::size_t size_ = 0;
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
// by its position in the whole stream.
class tarv_text_arena {
public:
    static constexpr int block_bits = 16;
    static constexpr std::size_t block_size = std::size_t{1} << block_bits;

    // Room for up to n (<= block_size) contiguous bytes; write them at the
    // returned pointer, then call commit() with the count actually written.
    char* reserve(std::size_t n)
    {
        if (blocks_.empty() || used_ + n > block_size) {
            blocks_.emplace_back(new char[block_size]);
            used_ = 0;
        }
        return blocks_.back().get() + used_;
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
    const char* data(const tarv_text_ref& ref) const { return blocks_[ref.block].get() + ref.offset; }
    const char* data(std::uint32_t block, std::uint32_t offset) const { return blocks_[block].get() + offset; }

    // Stream mode: text goes on at the end, spilling into new blocks.
    void append(const char* text, std::size_t n)
    {
        while (n > 0) {
            if (blocks_.empty() || used_ == block_size) {
                blocks_.emplace_back(new char[block_size]);
                used_ = 0;
            }
            std::size_t room = block_size - used_;
            std::size_t take = n < room ? n : room;
            std::memcpy(blocks_.back().get() + used_, text, take);
            used_ += take;
            total_ += take;
            text += take;
            n -= take;
        }
    }
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
            f(blocks_[block].get() + offset, take);
            position += take;
            n -= take;
        }
    }

    void clear()
    {
        blocks_.clear();
        blocks_.shrink_to_fit();
        used_ = 0;
        total_ = 0;
    }
    std::uint64_t bytes_stored() const { return total_; }
    std::size_t bytes_reserved() const { return blocks_.size() * block_size; }

private:
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t used_ = 0;
    std::uint64_t total_ = 0;
};
