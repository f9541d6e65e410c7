// A text display: turns the game's ANSI-coloured byte stream into coloured
// runs (the render list) and text-control lines, and owns the follow/freeze
// scroll model, the frame and the scrollbar state.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>

#include "draw/color.h"
#include "draw/embedded_window.h"
#include "draw/wheel.h"
#include "text/text_store.h"
#include "text/textctrl.h"

class tarv_font;

constexpr int ATTR_BLINK = 2;
constexpr int ATTR_BRIGHT = 4;
constexpr int ATTR_DIM = 8;
constexpr int ATTR_REVERSE = 16;

// SGR parameters as process_ansi_code receives them. The parser reads the
// digits of ESC[33m as hexadecimal, so the client's own colours must be
// asked for the same way: yellow is 0x33, not 33.
constexpr int SGR_PLAIN = 0x0;
constexpr int SGR_BRIGHT = 0x1;
constexpr int SGR_YELLOW = 0x33;
constexpr int SGR_WHITE = 0x37;

struct tarv_text_style {
    tarv_color color;
    int color_code = 0;
    int attributes = 0;
};

// One closed run of the render list, stored compactly; its text follows the
// previous run's in the display's run text store.
struct tarv_render_run {
    std::uint32_t length;
    std::uint32_t color;  // 0xRRGGBB
    std::uint8_t attributes;
    std::uint8_t color_code;
};

// A run as the readers of the render list see it.
struct tarv_render_run_view {
    tarv_color color;
    int attributes = 0;
    int color_code = 0;
    std::uint64_t offset = 0;  // position of its text in the run text store
    std::uint64_t length = 0;
};

// The toolkit side of the vertical scrollbar.
class tarv_scrollbar_peer {
public:
    virtual ~tarv_scrollbar_peer() = default;
    virtual void scrollbar_set(int position, int thumb, int range, int page) = 0;
    virtual int scrollbar_thumb_position() const = 0;
    virtual void scrollbar_place(int x, int y, int width, int height) = 0;
    virtual void scrollbar_show(bool shown) = 0;
    virtual int scrollbar_natural_width() const = 0;
};

// Scrollbar state kept in core; mirrors a toolkit scrollbar, which clamps the
// thumb to 0 ... range - thumb.
class tarv_ansi_scrollbar {
public:
    void set_scrollbar(int position, int thumb, int range, int page);
    int get_thumb_position() const;
    // As if the user dragged the thumb (clamped like the toolkit does).
    void set_thumb_position(int position);
    void place(int x, int y, int width, int height);
    void show(bool shown);
    int natural_width() const;

    int position = 0, thumb = 0, range = 0, page = 0;
    int x = 0, y = 0, width = 0, height = 0;
    bool visible = true;
    int default_width = 16;
    tarv_scrollbar_peer* peer = nullptr;
};

class tarv_ansi_display : public tarv_embedded_window {
public:
    // font nullptr takes text_font.
    tarv_ansi_display(const tarv_font* font, int x, int y, int width, int height, std::string name = {});
    ~tarv_ansi_display() override;

    void update_content(bool rebuild) override;
    void render(tarv_bitmap& surface) override;
    bool animation_callback(int elapsed_ms) override;
    void on_mouse(const tarv_mouse_event& event) override;
    void on_focus() override;
    virtual void on_complete_line(const char* line) { (void)line; }

    // Interpreter.
    void process_ansi_text(const char* bytes, std::size_t length);
    void print_text(const char* text);
    void print_text(const char* text, std::size_t length);
    void process_ansi_code(int code);
    void process_ansi_color();
    void reset_color();
    void clear_display();
    void suspend_updates() { updates_suspended = 1; }
    void resume_updates();
    void replay_render_list();
    void set_wrap(int flag);
    bool has_partial_line() const { return line_length_ != 0; }
    void flush_partial_line();

    // Render list.
    void set_current_style(const tarv_color& color, int color_code, int attributes);
    void add_run_text(const char* text, std::size_t length);
    void rerender_flush();
    bool pending_run_empty() const { return pending_length_ == 0; }
    const tarv_text_style& pending_style() const { return pending_style_; }
    const tarv_text_style& current_style() const { return current_style_; }
    // Closed runs; readers below close the pending run first.
    std::size_t render_run_count() const { return render_runs_.size(); }
    template <class F>
    void for_each_render_run(F&& f)
    {
        if (pending_length_) rerender_flush();
        std::uint64_t offset = 0;
        for (std::size_t i = 0; i < render_runs_.size(); ++i) {
            const tarv_render_run& r = render_runs_[i];
            tarv_render_run_view v;
            v.color = tarv_unpack_color(r.color);
            v.attributes = r.attributes;
            v.color_code = r.color_code;
            v.offset = offset;
            v.length = r.length;
            f(v);
            offset += r.length;
        }
    }
    // Calls f(pointer, length) for the pieces of a run's text.
    template <class F>
    void for_each_run_piece(const tarv_render_run_view& run, F&& f) const
    {
        render_text_.for_each_piece(run.offset, run.length, f);
    }
    std::string run_text(const tarv_render_run_view& run) const;
    // The log export (log_export.cpp): the render list, pending run
    // included, as an HTML document or as plain text. False when any write
    // failed.
    bool write_html_log(std::FILE* file);
    bool write_html_log(std::FILE* file, std::time_t when);
    bool write_text_log(std::FILE* file);
    // All text as received, runs concatenated (end-to-end test seam).
    std::string render_list_text();
    // Off: old text is never sealed (tests compare sealed and plain stores).
    void set_sealing(bool on)
    {
        text.set_sealing(on);
        render_text_.set_sealing(on);
        render_runs_.set_sealing(on);
    }
    // The display lines as shown, one string each (end-to-end test seam).
    std::vector<std::string> dump_lines() const { return text.line_texts(); }

    // Drawing and scrolling.
    void refresh_display();
    void freeze_scrolling();
    void unfreeze_scrolling();
    void scroll_to_end();
    void scroll_by(int delta);
    void scroll_lines_up(int n);
    void scroll_lines_down(int n);
    void page_up();
    void page_down();
    void scroll_to_position(int position);
    int get_scroll_thumb_position() const { return scrollbar.get_thumb_position(); }
    int is_following() const { return following; }
    void set_scrollbar_shown(bool shown);
    bool scrollbar_shown() const { return scrollbar_shown_; }
    void set_display_font(const tarv_font* font);
    void update_scrollbar();
    // A scroll event of any kind from the scrollbar.
    void on_scrollbar_event();
    // Mouse wheel over the display outside the text, or over the command line.
    void on_wheel(int rotation, int wheel_delta);
    // Whole wheel notches: back (> 0) or forward (< 0) three lines.
    void scroll_by_notches(int notches);
    // Popup windows: anchored at the top, never stop following, no frame.
    void set_popup_mode();

    // What the display needs from the rest of the program.
    std::function<void()> on_follow_changed;       // the status bar shows the lock state
    std::function<bool()> focus_to_command_line;   // false: focus refused

    tarv_textctrl text;
    tarv_ansi_scrollbar scrollbar;

    int following = 1;
    int scroll_position = 0;
    int keep_following = 0;
    int framed = 1;
    tarv_wheel_notches wheel;

    int parser_state = 1;
    int bracket_seen = 0;
    int parameter = 0;
    int attributes = 0;
    int color_code = 0;
    int applied_attributes = -1;
    int applied_color_code = -1;
    int updates_suspended = 0;
    int text_arrived = 0;
    int line_hook_busy = 0;

protected:
    void layout_display();
    void notify_follow_changed();
    void apply_text_colors(const tarv_text_style& style);

private:
    void feed_line_hook(const char* text, std::size_t length);

    bool scrollbar_shown_ = true;
    tarv_text_style current_style_;
    tarv_text_style pending_style_;
    std::uint64_t pending_length_ = 0;
    tarv_text_arena render_text_;
    tarv_paged_array<tarv_render_run, 14> render_runs_;
    char line_buffer_[6000];
    int line_length_ = 0;
};
