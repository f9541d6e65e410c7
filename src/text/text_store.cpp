#include "text/text_store.h"

#include <lz4.h>
#include <sys/mman.h>

#include <new>


#include "support/debug_log.h"

namespace {

// Sealing pays only when the copy is clearly smaller than the plain bytes.
constexpr std::size_t worth_sealing_percent = 90;

// One scratch buffer for compressing (main thread; sized for the largest page).
std::vector<char>& scratch(std::size_t bound)
{
    thread_local std::vector<char> buffer;
    if (buffer.size() < bound) buffer.resize(bound);
    return buffer;
}

}  // namespace

void* tarv_map_bytes(std::size_t bytes)
{
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    return p;
}

void tarv_mapped_deleter::operator()(void* p) const
{
    if (p) munmap(p, bytes);
}

bool tarv_packed_bytes::pack(const char* bytes, std::size_t size)
{
    reset();
    if (size == 0 || size > static_cast<std::size_t>(LZ4_MAX_INPUT_SIZE)) return false;
    int bound = LZ4_compressBound(static_cast<int>(size));
    std::vector<char>& out = scratch(static_cast<std::size_t>(bound));
    int n = LZ4_compress_default(bytes, out.data(), static_cast<int>(size), bound);
    if (n <= 0 || static_cast<std::size_t>(n) * 100 > size * worth_sealing_percent) return false;
    data_.reset(new char[static_cast<std::size_t>(n)]);
    std::memcpy(data_.get(), out.data(), static_cast<std::size_t>(n));
    packed_size_ = static_cast<std::uint32_t>(n);
    size_ = static_cast<std::uint32_t>(size);
    return true;
}

void tarv_packed_bytes::unpack(char* out) const
{
    int n = LZ4_decompress_safe(data_.get(), out, static_cast<int>(packed_size_), static_cast<int>(size_));
    if (n != static_cast<int>(size_)) {
        // Our own bytes, compressed by us: only a memory fault gets here.
        // Zeros read as empty text and empty records, never as wild offsets.
        TARV_LOG(1, "Error in tarv_packed_bytes::unpack(), sealed scrollback block is damaged.\n");
        std::memset(out, 0, size_);
    }
}

const char* tarv_unpack_cache::get(std::size_t index, const tarv_packed_bytes& packed) const
{
    slot* victim = &slots_[0];
    for (slot& s : slots_) {
        if (s.index == index && s.bytes) {
            s.used = ++clock_;
            return s.bytes.get();
        }
        if (!s.bytes || s.used < victim->used) victim = &s;
    }
    if (!victim->bytes) victim->bytes.reset(new char[slot_bytes_]);
    packed.unpack(victim->bytes.get());
    victim->index = index;
    victim->used = ++clock_;
    return victim->bytes.get();
}

void tarv_unpack_cache::drop(std::size_t index) const
{
    for (slot& s : slots_)
        if (s.index == index) s.index = SIZE_MAX;
}

void tarv_unpack_cache::clear() const
{
    for (slot& s : slots_) {
        s.bytes.reset();
        s.index = SIZE_MAX;
        s.used = 0;
    }
}

std::size_t tarv_unpack_cache::bytes_reserved() const
{
    std::size_t n = 0;
    for (const slot& s : slots_)
        if (s.bytes) n += slot_bytes_;
    return n;
}
