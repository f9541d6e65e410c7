// Finding text in a display's scrollback. The search runs over the text as
// it was received (the store's blocks laid end to end), not over the wrapped
// display lines, so a match that a wrap cut in two is still one match; only
// the few matches that are shown are mapped to display lines.
//
// Letters match without regard to case. Matches may overlap ("aa" occurs
// three times in "aaaa"). They are numbered from the newest (1) backwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "text/textctrl.h"

// Case-insensitive needle with the tables its scan needs.
class tarv_search_pattern {
public:
    static constexpr std::size_t max_length = 200;

    // Longer needles are cut to max_length.
    explicit tarv_search_pattern(const std::string& needle = {});
    std::size_t size() const { return lower_.size(); }
    bool empty() const { return lower_.empty(); }
    const std::string& lower() const { return lower_; }
    // Calls emit(offset) for every match lying wholly inside [text, text + n), in order.
    template <class F>
    void find_all(const char* text, std::size_t n, F&& emit) const;
    bool matches_at(const char* text) const;

private:
    std::string lower_;
};

// Where a match stands in the display lines: first and last character.
struct tarv_search_hit {
    tarv_text_pos first;
    tarv_text_pos last;
};

class tarv_text_search {
public:
    // Bytes the find field scans at a time, so typing never waits long.
    static constexpr std::size_t slice_bytes = std::size_t{8} << 20;
    // Ranges from this long on are searched on two cores.
    static constexpr std::size_t parallel_bytes = std::size_t{2} << 20;

    // A new needle; an empty one ends the search. Nothing is scanned yet.
    void set_needle(const tarv_textctrl& text, const std::string& needle);
    const std::string& needle() const { return needle_; }
    bool active() const { return !pattern_.empty(); }

    // Scans about `budget` bytes: new text first, then further back. False
    // while older text is left to search.
    bool step(const tarv_textctrl& text, std::size_t budget);
    void run_to_end(const tarv_textctrl& text);
    bool complete() const { return low_ == 0; }

    // Matches found so far; 0-based index from the newest, -1 for none.
    std::size_t count() const { return newer_.size() + older_.size(); }
    int current() const { return current_; }
    // Moves to the next older (newer) match, wrapping round; false when there is none.
    bool older();
    bool newer();
    // "3 of 17", "no matches", "searching..." (a "+" while still counting).
    std::string status_text() const;

    // Stream position (bytes from the start of the scrollback) of match i.
    std::uint64_t match_position(std::size_t i) const;
    // Display position of match i; false when it is not in the lines (cleared).
    bool locate(const tarv_textctrl& text, std::size_t i, tarv_search_hit* hit) const;

    // Matches touching display lines first ... last, for drawing; the
    // current match is flagged.
    void visible_matches(const tarv_textctrl& text, int first, int last,
                         std::vector<tarv_text_highlight>& out) const;

private:
    void refresh_blocks(const tarv_textctrl& text);
    // Matches starting in [from, to) and ending at or before limit, in order.
    void find_range(const tarv_textctrl& text, std::uint64_t from, std::uint64_t to, std::uint64_t limit,
                    std::vector<std::uint64_t>& out) const;
    bool to_block(std::uint64_t position, std::size_t* block, std::size_t* offset) const;

    std::string needle_;
    tarv_search_pattern pattern_;
    std::vector<std::uint64_t> block_start_;  // stream position of each block
    std::uint64_t end_ = 0;                   // stream length seen by the last refresh
    std::uint64_t low_ = 0;                   // starts in [low_, high_) have been searched
    std::uint64_t high_ = 0;
    unsigned generation_ = 0;
    std::uint64_t back_limit_ = 0;            // the backward scan finds matches ending by here
    std::vector<std::uint64_t> older_;  // newest first
    std::vector<std::uint64_t> newer_;  // oldest first: found in text that arrived later
    int current_ = -1;
};
