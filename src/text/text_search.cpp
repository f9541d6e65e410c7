#include "text/text_search.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr unsigned char lower_byte(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }
constexpr bool is_letter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

struct lower_table {
    unsigned char v[256];
    constexpr lower_table() : v()
    {
        for (int c = 0; c < 256; ++c) v[c] = lower_byte(static_cast<unsigned char>(c));
    }
};
constexpr lower_table to_lower;

// Lines gathered around the view so a match cut by a wrap at its edge is whole.
constexpr int max_extend_lines = 64;

}  // namespace

tarv_search_pattern::tarv_search_pattern(const std::string& needle)
{
    for (unsigned char c : needle) {
        if (lower_.size() == max_length) break;
        // Tabs and line ends never reach the stored text as themselves.
        if (c < 32) continue;
        lower_.push_back(static_cast<char>(to_lower.v[c]));
    }
}

bool tarv_search_pattern::matches_at(const char* text) const
{
    for (std::size_t k = 0; k < lower_.size(); ++k)
        if (to_lower.v[static_cast<unsigned char>(text[k])] != static_cast<unsigned char>(lower_[k])) return false;
    return true;
}

// Candidates are positions whose first and last characters both match (a
// letter compared with its case bit forced), sixteen at a time; only they
// are compared in full.
template <class F>
void tarv_search_pattern::find_all(const char* text, std::size_t n, F&& emit) const
{
    const std::size_t m = lower_.size();
    if (m == 0 || n < m) return;
    const std::size_t last_start = n - m;
    std::size_t i = 0;
#if defined(__SSE2__)
    const unsigned char f = static_cast<unsigned char>(lower_[0]);
    const unsigned char l = static_cast<unsigned char>(lower_[m - 1]);
    const __m128i f_or = _mm_set1_epi8(static_cast<char>(is_letter(f) ? 0x20 : 0));
    const __m128i f_val = _mm_set1_epi8(static_cast<char>(f));
    const __m128i l_or = _mm_set1_epi8(static_cast<char>(is_letter(l) ? 0x20 : 0));
    const __m128i l_val = _mm_set1_epi8(static_cast<char>(l));
    for (; i + 16 <= last_start + 1; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + m - 1));
        const __m128i hit = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a, f_or), f_val),
                                          _mm_cmpeq_epi8(_mm_or_si128(b, l_or), l_val));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
        while (mask) {
            const unsigned bit = static_cast<unsigned>(__builtin_ctz(mask));
            if (matches_at(text + i + bit)) emit(i + bit);
            mask &= mask - 1;
        }
    }
#endif
    for (; i <= last_start; ++i)
        if (matches_at(text + i)) emit(i);
}

void tarv_text_search::set_needle(const tarv_textctrl& text, const std::string& needle)
{
    needle_ = needle;
    pattern_ = tarv_search_pattern(needle);
    older_.clear();
    newer_.clear();
    current_ = -1;
    generation_ = text.text_generation();
    block_start_.clear();
    end_ = 0;
    refresh_blocks(text);
    low_ = high_ = back_limit_ = end_;
}

void tarv_text_search::refresh_blocks(const tarv_textctrl& text)
{
    const tarv_text_arena& store = text.text_store();
    const std::size_t blocks = store.block_count();
    // Blocks before the last one no longer change.
    std::size_t from = block_start_.empty() ? 0 : block_start_.size() - 1;
    block_start_.resize(blocks);
    std::uint64_t at = from < blocks && from > 0 ? block_start_[from - 1] + store.block_used(from - 1) : 0;
    for (std::size_t b = from; b < blocks; ++b) {
        block_start_[b] = at;
        at += store.block_used(b);
    }
    end_ = at;
}

bool tarv_text_search::to_block(std::uint64_t position, std::size_t* block, std::size_t* offset) const
{
    auto it = std::upper_bound(block_start_.begin(), block_start_.end(), position);
    if (it == block_start_.begin()) return false;
    *block = static_cast<std::size_t>(it - block_start_.begin()) - 1;
    *offset = static_cast<std::size_t>(position - block_start_[*block]);
    return true;
}

namespace {

// Matches starting in [from, to) and ending at or before limit, in order;
// read(block, offset) gives the stored bytes from there to the block's end.
template <class Read>
void scan_range(const tarv_search_pattern& pattern, const std::vector<std::uint64_t>& block_start,
                const tarv_text_arena& store, std::uint64_t from, std::uint64_t to, std::uint64_t limit, Read&& read,
                std::vector<std::uint64_t>& out)
{
    const std::size_t m = pattern.size();
    const std::uint64_t end = std::min(to + m - 1, limit);
    auto keep = [&](std::uint64_t p) {
        if (p >= from && p < to && p + m <= limit) out.push_back(p);
    };
    // The last m - 1 bytes before the piece being searched, for matches
    // that run across the seam between two blocks.
    std::string carry, seam;
    std::uint64_t carry_pos = from;
    std::uint64_t pos = from;
    while (pos < end) {
        auto it = std::upper_bound(block_start.begin(), block_start.end(), pos);
        if (it == block_start.begin()) return;
        const std::size_t block = static_cast<std::size_t>(it - block_start.begin()) - 1;
        const std::size_t offset = static_cast<std::size_t>(pos - block_start[block]);
        const std::size_t used = store.block_used(block);
        if (offset >= used) return;  // past the text (cannot happen with fresh block starts)
        const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(used - offset, end - pos));
        const char* piece = read(block, offset);
        if (!carry.empty()) {
            seam.assign(carry);
            seam.append(piece, std::min(take, m - 1));
            const std::size_t split = carry.size();
            pattern.find_all(seam.data(), seam.size(), [&](std::size_t i) {
                if (i < split && i + m > split) keep(carry_pos + i);
            });
        }
        pattern.find_all(piece, take, [&](std::size_t i) { keep(pos + i); });
        if (m > 1) {
            // piece stays valid until other sealed blocks are read: copy now.
            if (take >= m - 1) {
                carry.assign(piece + take - (m - 1), m - 1);
                carry_pos = pos + take - (m - 1);
            } else {
                carry.append(piece, take);
                if (carry.size() > m - 1) {
                    const std::size_t drop = carry.size() - (m - 1);
                    carry.erase(0, drop);
                    carry_pos += drop;
                }
            }
        }
        pos += take;
    }
}

}  // namespace

void tarv_text_search::find_range(const tarv_textctrl& text, std::uint64_t from, std::uint64_t to,
                                  std::uint64_t limit, std::vector<std::uint64_t>& out) const
{
    const std::size_t m = pattern_.size();
    if (m == 0 || from >= to) return;
    const tarv_text_arena& store = text.text_store();
    auto cached = [&](std::size_t block, std::size_t offset) {
        return store.data(static_cast<std::uint32_t>(block), static_cast<std::uint32_t>(offset));
    };
    // A long range is cut at a block start: the upper half is unpacked and
    // searched on a second core while this thread does the lower half. The
    // store does not change meanwhile: appending happens on this thread.
    std::size_t first = 0, last = 0, offset = 0;
    if (to - from >= parallel_bytes && to_block(from, &first, &offset) && to_block(to - 1, &last, &offset)) {
        const std::size_t mid_block = (first + last + 1) / 2;
        const std::uint64_t mid = mid_block < block_start_.size() ? block_start_[mid_block] : to;
        if (mid > from && mid < to) {
            std::vector<std::uint64_t> upper;
            auto work = [&] {
                std::unique_ptr<char[]> buffer(new char[tarv_text_arena::block_size]);
                std::size_t held = SIZE_MAX;
                auto own = [&](std::size_t block, std::size_t at) -> const char* {
                    if (const char* plain = store.plain_block(block)) return plain + at;
                    if (held != block) {
                        store.unpack_block(block, buffer.get());
                        held = block;
                    }
                    return buffer.get() + at;
                };
                scan_range(pattern_, block_start_, store, mid, to, limit, own, upper);
            };
            std::thread worker;
            try {
                worker = std::thread(work);
            } catch (const std::system_error&) {
                // No thread to be had: the same work here.
            }
            scan_range(pattern_, block_start_, store, from, mid, limit, cached, out);
            if (worker.joinable())
                worker.join();
            else
                work();
            out.insert(out.end(), upper.begin(), upper.end());
            return;
        }
    }
    scan_range(pattern_, block_start_, store, from, to, limit, cached, out);
}

bool tarv_text_search::step(const tarv_textctrl& text, std::size_t budget)
{
    if (!active()) return true;
    if (text.text_generation() != generation_) {
        // The text was cleared: what was found is gone; search what comes.
        set_needle(text, needle_);
        low_ = 0;
        return true;
    }
    refresh_blocks(text);
    const std::uint64_t m = pattern_.size();
    if (end_ > high_) {
        // Text that arrived since: its matches are newer than all found so far.
        std::vector<std::uint64_t> found;
        const std::uint64_t from = high_ >= m - 1 ? high_ - (m - 1) : 0;
        find_range(text, from, end_, end_, found);
        const std::size_t before = newer_.size();
        for (std::uint64_t p : found)
            if (p + m > high_) newer_.push_back(p);
        const std::size_t added = newer_.size() - before;
        // The current match stays the same text; its number grows.
        if (current_ >= 0) current_ += static_cast<int>(added);
        high_ = end_;
    }
    if (low_ > 0) {
        const std::uint64_t from = low_ > budget ? low_ - budget : 0;
        std::vector<std::uint64_t> found;
        find_range(text, from, low_, back_limit_, found);
        older_.insert(older_.end(), found.rbegin(), found.rend());
        low_ = from;
    }
    if (current_ < 0 && count() > 0) current_ = 0;
    return complete();
}

void tarv_text_search::run_to_end(const tarv_textctrl& text)
{
    while (!step(text, std::size_t{64} << 20)) {
    }
}

std::uint64_t tarv_text_search::match_position(std::size_t i) const
{
    if (i < newer_.size()) return newer_[newer_.size() - 1 - i];
    return older_[i - newer_.size()];
}

bool tarv_text_search::older()
{
    const int n = static_cast<int>(count());
    if (n == 0) return false;
    if (current_ + 1 < n)
        ++current_;
    else if (complete())
        current_ = 0;  // round to the newest again
    else
        return false;
    return true;
}

bool tarv_text_search::newer()
{
    const int n = static_cast<int>(count());
    if (n == 0) return false;
    if (current_ > 0)
        --current_;
    else if (complete())
        current_ = n - 1;
    else
        return false;
    return true;
}

std::string tarv_text_search::status_text() const
{
    if (!active()) return {};
    const std::size_t n = count();
    if (n == 0) return complete() ? "no matches" : "searching...";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d of %zu%s", current_ + 1, n, complete() ? "" : "+");
    return buffer;
}

bool tarv_text_search::locate(const tarv_textctrl& text, std::size_t i, tarv_search_hit* hit) const
{
    if (i >= count() || text.text_generation() != generation_) return false;
    const std::uint64_t start = match_position(i);
    auto place = [&](std::uint64_t position, tarv_text_pos* out) {
        std::size_t block = 0, offset = 0;
        if (!to_block(position, &block, &offset)) return false;
        // Display chunks slice the stored text in order: the last chunk
        // starting at or before the position holds it.
        auto before = [&](std::size_t c) {
            const tarv_text_ref& r = text.chunk(c).text;
            return r.block < block || (r.block == block && r.offset <= offset);
        };
        std::size_t lo = 0, hi = text.chunk_count();
        while (lo < hi) {
            std::size_t mid = lo + (hi - lo) / 2;
            if (before(mid))
                lo = mid + 1;
            else
                hi = mid;
        }
        if (lo == 0) return false;
        const std::size_t chunk = lo - 1;
        const tarv_text_ref ref = text.chunk(chunk).text;
        if (ref.block != block || offset >= static_cast<std::size_t>(ref.offset) + ref.length) return false;
        int line_lo = 0, line_hi = text.current_line + 1;
        while (line_lo < line_hi) {
            int mid = line_lo + (line_hi - line_lo) / 2;
            if (text.line_chunk_begin(mid) <= chunk)
                line_lo = mid + 1;
            else
                line_hi = mid;
        }
        const int line = line_lo - 1;
        if (line < 0) return false;
        std::size_t column = offset - ref.offset;
        for (std::size_t c = text.line_chunk_begin(line); c < chunk; ++c) column += text.chunk(c).text.length;
        *out = tarv_text_pos{line, static_cast<int>(column)};
        return true;
    };
    return place(start, &hit->first) && place(start + pattern_.size() - 1, &hit->last);
}

void tarv_text_search::visible_matches(const tarv_textctrl& text, int first, int last,
                                       std::vector<tarv_text_highlight>& out) const
{
    if (!active() || text.text_generation() != generation_ || first > last) return;
    for (int k = 0; k < max_extend_lines && first > 0 && !text.line_complete(first - 1); ++k) --first;
    for (int k = 0; k < max_extend_lines && last < text.current_line && !text.line_complete(last); ++k) ++last;

    const std::uint64_t current = current_ >= 0 ? match_position(static_cast<std::size_t>(current_)) : UINT64_MAX;
    std::string joined;
    std::vector<tarv_text_pos> where;
    std::vector<std::uint64_t> stream;
    for (int line = first; line <= last; ++line) {
        int column = 0;
        for (std::size_t c = text.line_chunk_begin(line), e = text.line_chunk_end(line); c < e; ++c) {
            const tarv_textctrl_chunk& chunk = text.chunk(c);
            const char* bytes = text.chunk_text(chunk);
            const std::uint64_t base = chunk.text.block < block_start_.size()
                                           ? block_start_[chunk.text.block] + chunk.text.offset
                                           : UINT64_MAX;
            for (int k = 0; k < chunk.text.length; ++k) {
                joined.push_back(bytes[k]);
                where.push_back(tarv_text_pos{line, column++});
                stream.push_back(base == UINT64_MAX ? base : base + static_cast<std::uint64_t>(k));
            }
        }
        // A line end separates; a wrap does not.
        if (line < last && text.line_complete(line)) {
            joined.push_back('\n');
            where.push_back(tarv_text_pos{line, column});
            stream.push_back(UINT64_MAX);
        }
    }
    const std::size_t m = pattern_.size();
    pattern_.find_all(joined.data(), joined.size(), [&](std::size_t i) {
        out.push_back(tarv_text_highlight{where[i], where[i + m - 1], stream[i] == current});
    });
}
