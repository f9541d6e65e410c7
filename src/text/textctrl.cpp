#include "text/textctrl.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "draw/font.h"
#include "support/debug_log.h"
#include "support/random.h"
#include "support/util.h"
#include "text/ansi_display.h"
#include "text/text_search.h"

// Bytes 128-255, sixteen per row.
const char high_char_map[128] = {
    'E', ' ', '\'', 'f', '"', '-', 't', 't', '^', '%', 'S', '<', 'O', ' ', 'Z', ' ',
    ' ', '\'', '\'', '"', '"', '*', '-', '-', '~', ' ', 's', '>', 'o', ' ', 'z', 'Y',
    ' ', '!', 'c', 'L', 'o', 'Y', '|', 'S', '-', 'C', 'a', '<', '!', '-', 'R', '-',
    'o', 'x', '2', '3', '\'', 'u', 'P', '.', '.', '1', 'o', '>', ' ', ' ', ' ', '?',
    'A', 'A', 'A', 'A', 'A', 'A', 'A', 'C', 'E', 'E', 'E', 'E', 'I', 'I', 'I', 'I',
    'D', 'N', 'O', 'O', 'O', 'O', 'O', 'x', 'O', 'U', 'U', 'U', 'U', 'Y', 'P', 'S',
    'a', 'a', 'a', 'a', 'a', 'a', 'a', 'c', 'e', 'e', 'e', 'e', 'i', 'i', 'i', 'i',
    'o', 'n', 'o', 'o', 'o', 'o', 'o', '/', 'o', 'u', 'u', 'u', 'u', 'y', 'p', 'y',
};

namespace {

constexpr std::size_t max_flashes = 32;
constexpr int flash_tick_ms = 15;
constexpr long long duration_limit = 1000000000;
// Behind selected text; the same grey as reverse video.
constexpr tarv_color selection_background{64, 64, 64};
// Behind found text: amber for every match, bright yellow with black
// letters for the current one.
constexpr tarv_color match_background{150, 100, 0};
constexpr tarv_color current_match_background{255, 210, 0};
constexpr tarv_color current_match_text{0, 0, 0};
// The line between the frozen view and the live split.
constexpr tarv_color divider_edge{64, 64, 64};
constexpr tarv_color divider_middle{160, 160, 160};
constexpr int split_divider_height = 3;

// Bytes that append_text copies unchanged.
struct plain_byte_table {
    bool v[256];
    constexpr plain_byte_table() : v()
    {
        for (int c = 0; c < 128; ++c) v[c] = c != '\t' && c != '\n' && c != '\r';
    }
    bool operator[](unsigned char c) const { return v[c]; }
};
constexpr plain_byte_table plain_byte;

tarv_text_ref sub_ref(const tarv_text_ref& ref, std::size_t start, std::size_t length)
{
    tarv_text_ref r{};
    r.block = ref.block;
    r.offset = static_cast<std::uint16_t>(ref.offset + start);
    r.length = static_cast<std::uint16_t>(length);
    return r;
}

bool is_flash_separator(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::vector<std::string> split_words(const char* text)
{
    std::vector<std::string> words;
    if (!text) return words;
    const char* p = text;
    while (*p) {
        while (*p && is_flash_separator(*p)) ++p;
        const char* start = p;
        while (*p && !is_flash_separator(*p)) ++p;
        if (p > start) words.emplace_back(start, p);
    }
    return words;
}

// A whole word of optional sign and decimal digits; huge values saturate so
// that tick arithmetic cannot overflow.
bool parse_duration(const std::string& word, int* out)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < word.size() && (word[i] == '-' || word[i] == '+')) negative = word[i++] == '-';
    if (i >= word.size()) return false;
    long long value = 0;
    for (; i < word.size(); ++i) {
        if (word[i] < '0' || word[i] > '9') return false;
        value = std::min(value * 10 + (word[i] - '0'), duration_limit);
    }
    *out = static_cast<int>(negative ? -value : value);
    return true;
}

}  // namespace

tarv_textctrl::tarv_textctrl(const tarv_font* font, int width, int height, std::string name)
    : tarv_embedded_window(0, 0, width, height, std::move(name)), font_(font ? font : text_font)
{
    lines_.ensure(line_table_step);
    update_char_metrics();
    rewrap_lines();
}

tarv_textctrl::~tarv_textctrl() { remove_from_animation_list(this); }

void tarv_textctrl::update_content(bool rebuild)
{
    if (width() != laid_out_width) {
        rewrap_lines();
        laid_out_width = width();
    }
    Refresh();
}

void tarv_textctrl::update_char_metrics()
{
    for (int c = 0; c < 256; ++c) {
        int w = 0, h = 0;
        if (font_ && c >= 32 && c <= 126) font_->GetCharSize(c, &w, &h);
        char_widths[c] = w;
    }
    int w = 0, h = 0;
    if (font_) font_->GetCharSize('f', &w, &h);
    line_height = compact_mode ? h - 1 : h;
}

void tarv_textctrl::set_compact_mode(bool on)
{
    compact_mode = on ? 1 : 0;
    update_char_metrics();
    Refresh();
}

void tarv_textctrl::set_text_font(const tarv_font* font)
{
    font_ = font ? font : text_font;
    int old_widths[256];
    std::memcpy(old_widths, char_widths, sizeof old_widths);
    update_char_metrics();
    // Breaks depend only on the character widths: the same widths (a login
    // re-applying the font in use) leave a long scrollback as it is.
    if (std::memcmp(old_widths, char_widths, sizeof old_widths) != 0) rewrap_lines();
}

void tarv_textctrl::set_text_colors(const tarv_color& foreground, const tarv_color& background)
{
    foreground_color = foreground;
    background_color = background;
    base_background_color = background;
}

tarv_textctrl_line& tarv_textctrl::get_or_create_line(int index)
{
    auto i = static_cast<std::size_t>(index);
    if (i >= lines_.capacity()) lines_.ensure(lines_.capacity() + line_table_step);
    while (lines_.size() <= i) lines_.push_back(tarv_textctrl_line{static_cast<std::uint32_t>(chunks_.size()), 0});
    return lines_.mut(i);
}

std::size_t tarv_textctrl::line_chunk_begin(int line) const
{
    if (line < 0 || line > current_line) return chunks_.size();
    return lines_[static_cast<std::size_t>(line)].first;
}

std::size_t tarv_textctrl::line_chunk_end(int line) const
{
    if (line < 0 || line >= current_line) return chunks_.size();
    return lines_[static_cast<std::size_t>(line) + 1].first;
}

int tarv_textctrl::line_width(int line) const
{
    long long sum = 0;
    for (std::size_t i = line_chunk_begin(line), e = line_chunk_end(line); i < e; ++i) sum += chunks_[i].width;
    return static_cast<int>(std::min<long long>(sum, INT_MAX));
}

std::string tarv_textctrl::line_text(int line) const
{
    std::string out;
    if (line < 0 || line > current_line) return out;
    for (std::size_t i = line_chunk_begin(line), e = line_chunk_end(line); i < e; ++i)
        out.append(chunk_text(chunks_[i]), chunks_[i].text.length);
    return out;
}

std::vector<std::string> tarv_textctrl::line_texts() const
{
    std::vector<std::string> out;
    for (int i = 0; i <= current_line; ++i) out.push_back(line_text(i));
    return out;
}

std::size_t tarv_textctrl::bytes_reserved() const
{
    return store_.bytes_reserved() + raw_chunks_.bytes_reserved() + chunks_.bytes_reserved() +
           lines_.bytes_reserved();
}

void tarv_textctrl::set_sealing(bool on)
{
    store_.set_sealing(on);
    raw_chunks_.set_sealing(on);
    chunks_.set_sealing(on);
    lines_.set_sealing(on);
}

int tarv_textctrl::text_width(const char* text, int length) const
{
    int sum = 0;
    for (int i = 0; i < length; ++i) sum += char_widths[static_cast<unsigned char>(text[i])];
    return sum;
}

void tarv_textctrl::follow_new_line()
{
    if (!frozen && !top_anchored) display_line = current_line;
    if (!frozen) split_mark_ = current_line;
}

int tarv_textctrl::live_rows() const
{
    if (!frozen || top_anchored || !split_wanted || line_height < 1) return 0;
    if (current_line <= split_mark_ || display_line >= current_line) return 0;
    if (!split_wanted()) return 0;
    const int rows = (height() - reserved_bottom) / line_height;
    const int live = std::max(3, rows / 3);
    // Too small a display to read two parts.
    if (rows - live < 3) return 0;
    return live;
}

int tarv_textctrl::covered_bottom() const
{
    const int live = live_rows();
    return live > 0 ? live * line_height + 1 + split_divider_height : 0;
}

void tarv_textctrl::append_text(const char* text)
{
    if (!text) return;
    append_text(text, std::strlen(text));
}

void tarv_textctrl::append_text(const char* text, std::size_t length)
{
    if (!text) return;
    if (skip_leading_newlines) {
        while (length > 0 && *text == '\n') {
            ++text;
            --length;
        }
        skip_leading_newlines = 0;
    }
    if (length == 0) return;

    std::lock_guard<std::mutex> lock(text_lock);
    // Each byte becomes at most 8 characters (a tab), and one append keeps
    // at most max_append of them.
    std::size_t bound = length >= static_cast<std::size_t>(max_append) ? max_append : std::min<std::size_t>(length * 8, max_append);
    char* out = store_.reserve(bound);
    int n = 0;
    int column = current_column;
    std::size_t i = 0;
    while (i < length) {
        // Runs of plain bytes are copied as they are.
        std::size_t j = i;
        while (j < length && plain_byte[static_cast<unsigned char>(text[j])]) ++j;
        if (j > i) {
            std::size_t room = static_cast<std::size_t>(max_append - n);
            std::size_t take = std::min(j - i, room);
            std::memcpy(out + n, text + i, take);
            n += static_cast<int>(take);
            column = static_cast<int>((static_cast<std::size_t>(column) + (j - i)) & 0x3fffffff);
            i = j;
            if (i >= length) break;
        }
        unsigned char c = static_cast<unsigned char>(text[i++]);
        if (c >= 0x80) {
            if (n < max_append) out[n++] = high_char_map[c - 0x80];
            ++column;
        } else if (c == '\t') {
            int spaces = 8 - column % 8;
            for (int k = 0; k < spaces && n < max_append; ++k) out[n++] = ' ';
            column += spaces;
        } else {  // newline or carriage return
            if (n < max_append) out[n++] = static_cast<char>(c);
            column = 0;
        }
        // Only the column modulo 8 matters; keep the counter from overflowing.
        if (column > (1 << 29)) column &= 7;
    }
    current_column = column;
    tarv_text_ref ref = store_.commit(static_cast<std::size_t>(n));
    std::uint32_t color = tarv_pack_color(foreground_color);
    raw_chunks_.push_back(tarv_textctrl_raw_chunk{ref, color});
    split_chunk_into_lines(ref, color);
}

void tarv_textctrl::split_chunk_into_lines(const tarv_text_ref& ref, std::uint32_t color)
{
    std::size_t length = ref.length;
    std::size_t start = 0;
    while (start < length) {
        // Fetched anew each time: wrapping reads other blocks, which may
        // push this one out of the cache of sealed blocks.
        const char* text = store_.data(ref);
        const void* nl = std::memchr(text + start, '\n', length - start);
        if (!nl) {
            append_to_current_line(sub_ref(ref, start, length - start), color);
            return;
        }
        std::size_t segment = static_cast<std::size_t>(static_cast<const char*>(nl) - (text + start));
        append_to_current_line(sub_ref(ref, start, segment), color);
        lines_.mut(static_cast<std::size_t>(current_line)).complete = 1;
        ++current_line;
        tarv_textctrl_line& line = get_or_create_line(current_line);
        line.first = static_cast<std::uint32_t>(chunks_.size());
        line.complete = 0;
        current_line_width_ = 0;
        follow_new_line();
        start += segment + 1;
    }
}

void tarv_textctrl::append_to_current_line(const tarv_text_ref& ref, std::uint32_t color)
{
    int w = text_width(store_.data(ref), ref.length);
    chunks_.push_back(tarv_textctrl_chunk{ref, color, w});
    current_line_width_ += w;
    if (wrap_enabled && current_line_width_ >= width()) calc_break_position();
}

bool tarv_textctrl::find_break_position(std::size_t first, std::size_t end, int limit, std::size_t* chunk_index,
                                        int* offset) const
{
    long long sum = 0;
    bool have_previous = false, have_blank = false;
    std::size_t previous_chunk = 0, blank_chunk = 0;
    int previous_offset = 0, blank_offset = 0;
    for (std::size_t ci = first; ci < end; ++ci) {
        const tarv_textctrl_chunk& c = chunks_[ci];
        const char* text = store_.data(c.text);
        for (int k = 0; k < c.text.length; ++k) {
            unsigned char ch = static_cast<unsigned char>(text[k]);
            sum += char_widths[ch];
            if (sum >= limit) {
                // The blank that itself reaches the width is not yet a break point.
                if (have_blank) {
                    *chunk_index = blank_chunk;
                    *offset = blank_offset;
                    return true;
                }
                if (!have_previous) return false;
                *chunk_index = previous_chunk;
                *offset = previous_offset;
                return true;
            }
            if (ch == ' ' || ch == '\t') {
                have_blank = true;
                blank_chunk = ci;
                blank_offset = k + 1;
            }
            have_previous = true;
            previous_chunk = ci;
            previous_offset = k + 1;
        }
    }
    if (!have_previous) return false;
    *chunk_index = previous_chunk;
    *offset = previous_offset;
    return true;
}

void tarv_textctrl::calc_break_position()
{
    for (;;) {
        int limit = width();
        std::size_t first = lines_[static_cast<std::size_t>(current_line)].first;
        std::size_t end = chunks_.size();
        if (first >= end) return;
        std::size_t bi = 0;
        int k = 0;
        // None: a single character wider than the text area; the line stays over-long.
        if (!find_break_position(first, end, limit, &bi, &k)) return;

        tarv_textctrl_chunk& broken = chunks_.mut(bi);
        tarv_textctrl_chunk rest{};
        rest.text = sub_ref(broken.text, static_cast<std::size_t>(k), broken.text.length - static_cast<std::size_t>(k));
        rest.color = broken.color;
        rest.width = text_width(store_.data(rest.text), rest.text.length);
        broken.text.length = static_cast<std::uint16_t>(k);
        broken.width = text_width(store_.data(broken.text), broken.text.length);
        chunks_.insert(bi + 1, rest);

        ++current_line;
        follow_new_line();
        tarv_textctrl_line& line = get_or_create_line(current_line);
        line.first = static_cast<std::uint32_t>(bi + 1);
        line.complete = 0;

        long long total = 0;
        for (std::size_t i = bi + 1; i < chunks_.size(); ++i) total += chunks_[i].width;
        current_line_width_ = total;
        if (total < limit) return;
    }
}

void tarv_textctrl::reset_lines()
{
    current_line = 0;
    display_line = 0;
    current_line_width_ = 0;
    chunks_.clear();
    lines_.clear();
    tarv_textctrl_line& line = get_or_create_line(0);
    line.first = 0;
    line.complete = 0;
}

void tarv_textctrl::rewrap_lines()
{
    clear_selection();
    std::lock_guard<std::mutex> lock(text_lock);
    reset_lines();
    for (std::size_t i = 0; i < raw_chunks_.size(); ++i) split_chunk_into_lines(raw_chunks_[i].text, raw_chunks_[i].color);
}

void tarv_textctrl::clear_text()
{
    clear_selection();
    std::lock_guard<std::mutex> lock(text_lock);
    current_column = 0;
    skip_leading_newlines = 1;
    ++text_generation_;
    reset_lines();
    raw_chunks_.clear();
    store_.clear();
}

void tarv_textctrl::on_focus()
{
    if (owner) owner->on_focus();
}

int tarv_textctrl::get_visible_line_count() const
{
    if (line_height < 1) {
        TARV_LOG(2, "Error in tarv_textctrl::get_visible_line_count(), font height %d.\n", line_height);
        return 20;
    }
    return std::max(1, height() / line_height);
}

void tarv_textctrl::set_display_line(int n)
{
    int limit = top_anchored ? current_line : current_line + get_visible_line_count();
    display_line = std::clamp(n, 0, std::max(limit, 0));
    if (!frozen) split_mark_ = current_line;
    Refresh();
}

void tarv_textctrl::repaint_internal(tarv_bitmap& surface)
{
    surface.Clear(background_color);
    int h = line_height;
    if (h <= 0) {
        TARV_LOG(2, "Error in tarv_textctrl::repaint_internal(), font height %d.\n", h);
        return;
    }
    int client_height = height();
    std::lock_guard<std::mutex> lock(text_lock);
    highlights_.clear();
    const int live = live_rows();
    if (search && search->active()) {
        int rows = client_height / h + 1;
        int first = top_anchored ? std::max(display_line, 0) : display_line - rows;
        int last = top_anchored ? display_line + rows : display_line;
        search->visible_matches(*this, std::max(first, 0), std::min(last, current_line), highlights_);
        if (live > 0) search->visible_matches(*this, std::max(current_line - live, 0), current_line, highlights_);
    }
    if (!top_anchored) {
        // Lines stand on the find field while it is open, never under it.
        int y = client_height - reserved_bottom - h - 1;
        for (int n = display_line; n >= 0 && y > -h; --n, y -= h) draw_line(surface, n, y);
        if (live > 0) {
            // The live part covers the bottom of the frozen view, which
            // keeps its place: the split appearing moves nothing.
            const int bottom = client_height - reserved_bottom;
            const int top = bottom - live * h - 1 - split_divider_height;
            const int right = surface.GetWidth() - 1;
            surface.DrawFilledRectangle(0, std::max(top, 0), right, client_height - 1, background_color);
            y = bottom - h - 1;
            for (int n = current_line; n >= 0 && y >= top + split_divider_height; --n, y -= h) draw_line(surface, n, y);
            surface.DrawLine(0, top, right, top, divider_edge);
            surface.DrawLine(0, top + 1, right, top + 1, divider_middle);
            surface.DrawLine(0, top + 2, right, top + 2, divider_edge);
        }
    } else if (client_height > 0) {
        int y = 0;
        for (int n = std::max(display_line, 0); n <= current_line && y < client_height; ++n, y += h)
            draw_line(surface, n, y);
    }
    if (paint_over) paint_over(surface);
}

void tarv_textctrl::draw_line(tarv_bitmap& surface, int index, int y)
{
    if (index > current_line || !font_) return;
    int right = surface.GetWidth();
    // Characters first ... last (inclusive) of this line are selected.
    int first = 0, last = -1;
    const bool selected = selected_range(index, &first, &last);
    // Matches on this line as character ranges; the current one last, so it wins.
    struct range {
        int from, to;
        bool current;
    };
    range found[16];
    int found_count = 0;
    for (const tarv_text_highlight& hl : highlights_) {
        if (index < hl.first.line || index > hl.last.line) continue;
        range r{index == hl.first.line ? hl.first.offset : 0, index == hl.last.line ? hl.last.offset : INT_MAX,
                hl.current};
        if (hl.current && found_count == 16) found[15] = r;
        if (found_count < 16) found[found_count++] = r;
    }
    int x = 1;
    int offset = 0;  // index of the chunk's first character in the line
    for (std::size_t i = line_chunk_begin(index), e = line_chunk_end(index); i < e; ++i) {
        // Same pixels as DrawTextTransparent and DrawText, without needing a terminator.
        if (x > right) return;
        const tarv_textctrl_chunk& c = chunks_[i];
        tarv_color color = tarv_unpack_color(c.color);
        const char* text = store_.data(c.text);
        const int n = c.text.length;
        int pen = x;
        for (int k = 0; k < n && pen <= right; ++k) {
            const tarv_bitmap* glyph = font_->glyph(static_cast<unsigned char>(text[k]));
            if (!glyph) continue;
            const int at = offset + k;
            int match = 0;  // 1 a match, 2 the current one
            for (int f = 0; f < found_count; ++f)
                if (at >= found[f].from && at <= found[f].to) match = std::max(match, found[f].current ? 2 : 1);
            if (match == 2)
                surface.DrawTextGlyph(*glyph, pen, y, current_match_text, current_match_background);
            else if (selected && at >= first && at <= last)
                surface.DrawTextGlyph(*glyph, pen, y, color, selection_background);
            else if (match == 1)
                surface.DrawTextGlyph(*glyph, pen, y, color, match_background);
            else
                surface.DrawTextGlyphTransparent(*glyph, pen, y, color);
            pen += glyph->GetWidth();
        }
        x += c.width;
        offset += n;
    }
}

tarv_color tarv_textctrl::GetColorFromHexString(const char* text)
{
    int length = 0;
    while (text && length < 6 && text[length]) ++length;
    if (length < 6) {
        TARV_LOG(2, "tarv_textctrl::GetColorFromHexString() - string too short.\n");
        return color_black;
    }
    int digits[6];
    for (int i = 0; i < 6; ++i) {
        digits[i] = tarv_hex_digit(text[i]);
        if (digits[i] < 0) {
            TARV_LOG(2, "tarv_textctrl::GetColorFromHexString() - string doesn't appear to be hex.\n");
            return color_black;
        }
    }
    return tarv_color{digits[0] * 16 + digits[1], digits[2] * 16 + digits[3], digits[4] * 16 + digits[5]};
}

void tarv_textctrl::parse_colorflash(const char* payload)
{
    std::vector<std::string> words = split_words(payload);
    auto word = [&](std::size_t i) { return i < words.size() ? words[i].c_str() : ""; };
    color_flash flash;
    flash.color = GetColorFromHexString(word(0));
    tarv_color first_target = GetColorFromHexString(word(1));
    int first_duration = 0;
    if (words.size() < 3 || !parse_duration(words[2], &first_duration)) {
        TARV_LOG(2, "tarv_textctrl::parse_colorflash() - bad duration.\n");
        return;
    }
    flash.steps.push_back(flash_step_rec{first_target, first_duration, 0});
    // A step lasts its duration + 1 ticks; one of no or negative length
    // still shows for one tick, so the count never falls short of the
    // flash (or below zero).
    auto step_ticks = [](int duration) { return static_cast<long long>(std::max(duration, 0)) + 1; };
    long long total = step_ticks(first_duration);
    for (std::size_t i = 3; i < words.size(); i += 2) {
        tarv_color target = GetColorFromHexString(words[i].c_str());
        int duration = 0;
        if (i + 1 >= words.size() || !parse_duration(words[i + 1], &duration)) {
            TARV_LOG(2, "tarv_textctrl::parse_colorflash() - bad subsequent duration.\n");
            break;
        }
        flash.steps.push_back(flash_step_rec{target, duration, 0});
        total += step_ticks(duration);
    }
    flashes_.push_front(std::move(flash));
    if (flashes_.size() > max_flashes) {
        // A flood of long flashes would otherwise grow without end.
        TARV_LOG(2, "Warning in tarv_textctrl::parse_colorflash(), too many flashes at once, dropping the oldest.\n");
        flashes_.pop_back();
    }
    background_color = current_flash_color();

    int ticks = static_cast<int>(std::min<long long>(total, INT_MAX));
    // A count at or below zero is idle, whatever left it there: the new
    // flash must start the animation again.
    if (flash_remaining > 0 && on_animation_list) {
        if (flash_remaining < ticks) {
            flash_remaining = ticks;
            flash_shown = 0;
            flash_elapsed_ms = 0;
            flash_period_ms = flash_tick_ms;
        }
    } else {
        flash_remaining = ticks;
        flash_shown = 0;
        flash_elapsed_ms = 0;
        flash_period_ms = flash_tick_ms;
        add_to_animation_list(this);
    }
    if (flash_remaining != flash_shown) {
        flash_shown = flash_remaining;
        Refresh();
    }
}

tarv_color tarv_textctrl::current_flash_color()
{
    if (flashes_.empty()) return base_background_color;
    tarv_color brightest{0, 0, 0};
    bool evaluated = false;
    for (auto it = flashes_.begin(); it != flashes_.end(); ++it) {
        if (it->steps.empty()) {
            // Later flashes wait for the next tick.
            flashes_.erase(it);
            return evaluated ? brightest : base_background_color;
        }
        flash_step_rec& step = it->steps.front();
        long long d = step.duration, t = step.done, r = d - t;
        tarv_color shown;
        if (d <= 0) {
            shown = step.target;  // a step without length shows its colour at once
        } else {
            shown.red = static_cast<int>((it->color.red * r + step.target.red * t) / d);
            shown.green = static_cast<int>((it->color.green * r + step.target.green * t) / d);
            shown.blue = static_cast<int>((it->color.blue * r + step.target.blue * t) / d);
        }
        brightest.red = std::max(brightest.red, shown.red);
        brightest.green = std::max(brightest.green, shown.green);
        brightest.blue = std::max(brightest.blue, shown.blue);
        evaluated = true;
        if (r <= 0) {
            it->color = step.target;
            it->steps.pop_front();
        } else {
            ++step.done;
        }
    }
    return brightest;
}

bool tarv_textctrl::animation_callback(int elapsed_ms)
{
    flash_elapsed_ms += elapsed_ms;
    if (flash_elapsed_ms >= flash_period_ms) {
        flash_elapsed_ms = elapsed_ms < flash_period_ms ? flash_elapsed_ms - flash_period_ms : 0;
        if (flash_remaining > 0) --flash_remaining;
    }
    bool evaluated = !flashes_.empty();
    bool recolored = false;
    if (evaluated) {
        tarv_color next = current_flash_color();
        recolored = !(next == background_color);
        background_color = next;
    }
    bool stepped = drag_scroll_tick();
    // Stay listed until every flash has ended, so the background always
    // gets back to its base colour.
    bool keep = flash_remaining > 0 || !flashes_.empty();
    if (!evaluated && !stepped) return keep;
    if (flash_remaining != flash_shown || recolored) {
        flash_shown = flash_remaining;
        Refresh();
    }
    return keep;
}

long tarv_textctrl::debug_fill(int lines)
{
    long count = 0;
    char word[16];
    for (int line = 0; line < lines; ++line) {
        int words = tarv_random_below(50);
        for (int w = 0; w < words; ++w) {
            int i = tarv_random_below(10);
            int n = 0;
            for (int letter = i + 1; letter >= 1; --letter) word[n++] = static_cast<char>(97 + letter);
            word[n++] = ' ';
            word[n] = 0;
            int v[6];
            for (int& x : v) x = tarv_random_below(255);
            set_text_colors(tarv_color{v[0], v[1], v[2]}, tarv_color{v[3], v[4], v[5]});
            append_text(word, static_cast<std::size_t>(n));
            count += i + 1;
        }
        append_text("\n", 1);
    }
    char summary[96];
    std::snprintf(summary, sizeof summary, "%d characters written (%d kb).\n", static_cast<int>(count),
                  static_cast<int>(count / 1000));
    append_text(summary);
    std::printf("size of tarv_textctrl_chunk %5d\n", static_cast<int>(sizeof(tarv_textctrl_chunk)));
    std::printf("size of tarv_textctrl_line  %5d\n", static_cast<int>(sizeof(tarv_textctrl_line)));
    std::printf("size of wxString            %5d\n", static_cast<int>(sizeof(std::string)));
    std::printf("size of tarv_render_list    %5d\n", static_cast<int>(sizeof(tarv_render_run)));
    std::printf("entries in render list   %8d\n", owner ? static_cast<int>(owner->render_run_count()) : 0);
    std::fflush(stdout);
    return count;
}
