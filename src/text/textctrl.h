// The text control of every text display: all text appended since the last
// clear (raw chunks), the display lines built from it with word wrapping,
// the repaint of the visible lines and the background colour flash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "draw/color.h"
#include "draw/embedded_window.h"
#include "draw/wheel.h"
#include "text/text_store.h"

class tarv_font;
class tarv_ansi_display;
class tarv_text_search;

// One run of one colour inside a display line. The text is a slice of the
// control's text store, shared with the raw chunk it was cut from.
// Records carry no member initialisers: pages of them are allocated without
// touching the memory, so unused slots cost no resident memory.
struct tarv_textctrl_chunk {
    tarv_text_ref text;
    std::uint32_t color;  // 0xRRGGBB
    std::int32_t width;   // pixels: sum of char_widths over the text
};

// A piece of text as it was appended (newlines included), in one colour.
struct tarv_textctrl_raw_chunk {
    tarv_text_ref text;
    std::uint32_t color;
};

// A display line: its chunks run from `first` up to the next line's first
// chunk (or the end of the chunk array for the current line).
struct tarv_textctrl_line {
    std::uint32_t first;
    std::uint32_t complete;  // 1 when ended by a newline
};

inline std::uint32_t tarv_pack_color(const tarv_color& c)
{
    return (static_cast<std::uint32_t>(c.red & 0xff) << 16) | (static_cast<std::uint32_t>(c.green & 0xff) << 8) |
           static_cast<std::uint32_t>(c.blue & 0xff);
}
inline tarv_color tarv_unpack_color(std::uint32_t v)
{
    return tarv_color{static_cast<std::int32_t>((v >> 16) & 0xff), static_cast<std::int32_t>((v >> 8) & 0xff),
                      static_cast<std::int32_t>(v & 0xff)};
}

// A text position: a display line and the 0-based index of a character in it.
struct tarv_text_pos {
    int line = 0;
    int offset = 0;
    bool operator==(const tarv_text_pos&) const = default;
};

// A found text drawn highlighted: first and last character, inclusive.
struct tarv_text_highlight {
    tarv_text_pos first;
    tarv_text_pos last;
    bool current = false;
};

// Opens a web address clicked in the text; the main window installs it.
extern std::function<void(const char*)> tarv_url_opener;

// Printable stand-ins for the bytes 128-255.
extern const char high_char_map[128];

class tarv_textctrl : public tarv_embedded_window {
public:
    static constexpr int max_append = 5999;
    static constexpr int line_table_step = 65536;

    // font nullptr takes text_font.
    explicit tarv_textctrl(const tarv_font* font = nullptr, int width = 1, int height = 1, std::string name = {});
    ~tarv_textctrl() override;

    void update_content(bool rebuild) override;
    void render(tarv_bitmap& surface) override { repaint_internal(surface); }
    bool animation_callback(int elapsed_ms) override;
    void on_mouse(const tarv_mouse_event& event) override;
    void on_focus() override;

    // Model.
    void append_text(const char* text);
    void append_text(const char* text, std::size_t length);
    void clear_text();
    void rewrap_lines();
    void set_text_font(const tarv_font* font);
    void set_text_colors(const tarv_color& foreground, const tarv_color& background);
    void update_char_metrics();
    void set_compact_mode(bool on);
    tarv_textctrl_line& get_or_create_line(int index);
    const tarv_font* font() const { return font_; }

    // Reading lines (main thread; the repaint holds text_lock while it reads).
    int line_count() const { return current_line + 1; }
    std::size_t line_table_capacity() const { return lines_.capacity(); }
    // Chunk index range of a line; empty for an index outside 0 ... current_line.
    std::size_t line_chunk_begin(int line) const;
    std::size_t line_chunk_end(int line) const;
    bool line_complete(int line) const { return lines_[static_cast<std::size_t>(line)].complete != 0; }
    const tarv_textctrl_chunk& chunk(std::size_t index) const { return chunks_[index]; }
    const char* chunk_text(const tarv_textctrl_chunk& c) const { return store_.data(c.text); }
    int line_width(int line) const;
    std::string line_text(int line) const;
    std::vector<std::string> line_texts() const;
    std::size_t raw_chunk_count() const { return raw_chunks_.size(); }
    std::size_t chunk_count() const { return chunks_.size(); }
    // The received text, for searching it (read only).
    const tarv_text_arena& text_store() const { return store_; }
    // Changes whenever the text is cleared.
    unsigned text_generation() const { return text_generation_; }

    // Drawing and scroll position.
    void repaint_internal(tarv_bitmap& surface);
    int get_visible_line_count() const;
    void set_display_line(int n);

    // Selection with the left button (selection.cpp). The selected text goes
    // to the primary selection on every change; it is reset whenever the
    // lines are rebuilt.
    tarv_text_pos translate_xy_to_line_and_offset(int x, int y) const;
    void normalize_selection();
    void copy_selection_to_clipboard();
    // The selected text as copied ("\n" only after complete lines); false
    // when nothing is selected or a selected line is missing.
    bool get_selected_text(std::string& out) const;
    void clear_selection();
    bool has_selection() const { return selection_active != 0; }
    // 1 when a web address lies under (line, offset): it is opened and selected.
    int url_clicked_on(int line, int offset);
    // The mouse capture was lost during a drag.
    void mouse_event_handler();
    // One step of drag scrolling inside animation_callback; true when it scrolled.
    bool drag_scroll_tick();
    void start_drag_animation();

    // Colour flash of the background.
    void parse_colorflash(const char* payload);
    tarv_color current_flash_color();
    static tarv_color GetColorFromHexString(const char* text);
    bool flash_running() const { return !flashes_.empty(); }
    std::size_t flash_count() const { return flashes_.size(); }

    // Scrollback stress fill; returns the number of letters written.
    long debug_fill(int lines = 100000);

    // Memory held by the stores, for the benchmarks.
    std::size_t bytes_reserved() const;
    // Off: old text is never sealed (tests compare sealed and plain stores).
    void set_sealing(bool on);

    std::mutex text_lock;
    int char_widths[256] = {0};
    int line_height = 0;
    tarv_color foreground_color{255, 255, 255};
    tarv_color background_color{0, 0, 0};
    tarv_color base_background_color{0, 0, 0};
    int current_line = 0;
    int current_column = 0;
    int skip_leading_newlines = 1;
    int wrap_enabled = 1;
    int laid_out_width = -1;
    int display_line = 0;
    int frozen = 0;
    int top_anchored = 0;
    int compact_mode = 0;
    tarv_ansi_display* owner = nullptr;
    // While set and active, its matches are drawn highlighted.
    const tarv_text_search* search = nullptr;
    // Drawn over the text after every repaint (the find field).
    std::function<void(tarv_bitmap&)> paint_over;
    // Pixels at the bottom that paint_over covers.
    int reserved_bottom = 0;
    // The live split: while the view is frozen and newer lines have come
    // in, the bottom third shows the newest lines under a divider. Asked at
    // every repaint; unset (or false) keeps the frozen view as it is.
    std::function<bool()> split_wanted;
    // Rows the live part takes now; 0 when there is no split.
    int live_rows() const;
    // Pixels of the frozen view (above the find field) the live part covers.
    int covered_bottom() const;

    tarv_wheel_notches wheel;  // separate from the display's own
    int selection_active = 0;
    tarv_text_pos selection_start;   // first selected character
    tarv_text_pos selection_end;     // last selected character, inclusive
    tarv_text_pos selection_anchor;  // where the left button went down
    tarv_text_pos selection_point;   // the moving end
    int dragging = 0;
    int ignore_until_release = 0;
    int drag_step = 0;  // lines per drag-scroll step: < 0 above the text, > 0 below

private:
    struct flash_step_rec {
        tarv_color target;
        int duration = 0;
        int done = 0;
    };
    struct color_flash {
        tarv_color color;
        std::deque<flash_step_rec> steps;
    };

    void split_chunk_into_lines(const tarv_text_ref& text, std::uint32_t color);
    void append_to_current_line(const tarv_text_ref& text, std::uint32_t color);
    void calc_break_position();
    bool find_break_position(std::size_t first, std::size_t end, int limit, std::size_t* chunk_index,
                             int* offset) const;
    int text_width(const char* text, int length) const;
    void follow_new_line();
    void reset_lines();
    void draw_line(tarv_bitmap& surface, int index, int y);
    // Selected character range of a line, inclusive; false when none.
    bool selected_range(int line, int* first, int* last) const;
    bool line_exists(int line) const { return line >= 0 && line <= current_line; }

    const tarv_font* font_ = nullptr;
    tarv_text_arena store_;
    tarv_paged_array<tarv_textctrl_raw_chunk, 14> raw_chunks_;
    tarv_paged_array<tarv_textctrl_chunk, 14> chunks_;
    tarv_paged_array<tarv_textctrl_line, 14> lines_;
    long long current_line_width_ = 0;  // sum of the chunk widths of the current line
    std::deque<color_flash> flashes_;  // newest first
    unsigned text_generation_ = 0;
    int split_mark_ = 0;  // the newest line when the view last followed
    std::vector<tarv_text_highlight> highlights_;  // search matches on the lines being drawn
};
