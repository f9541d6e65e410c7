// The main window's core: it owns the panels' core objects, the game
// connection and the play state, runs the tick and the orderly exit, and is
// the host every subsystem talks to (connection, received stream,
// configuration). The toolkit frame (mw_frame_wx) owns one, gives it a
// tarv_mw_view, and forwards its timers, close requests and focus to it;
// everything here runs without a display.
#pragma once

#include <memory>
#include <string>

#include "app/layout.h"
#include "config/config_view.h"
#include "connection/game_connection.h"
#include "connection/stream_demux.h"
#include "support/text_buffer.h"

class tarv_main_window;
class tarv_ansi_display;
class tarv_input_window;
class tarv_command_line;

enum tarv_play_state { NOT_PLAYING = 0, CREATING_CHARACTER = 1, PLAYING = 2, LOGGED_OFF = 3 };

// What the core asks of the toolkit window.
class tarv_mw_view {
public:
    virtual ~tarv_mw_view() = default;
    virtual void focus_input() = 0;
    virtual void destroy_window() = 0;
    virtual void force_exit(int status) = 0;
    virtual void set_title(const char* title) = 0;
    virtual void ring_bell() = 0;
    // Client area; 0 x 0 while minimised.
    virtual void client_size(int* width, int* height) const { *width = 984; *height = 728; }
    virtual void repaint() {}
    virtual void set_menu_check(int menu_id, bool checked) { (void)menu_id; (void)checked; }
    virtual bool parse_native_font(const std::string& description, tarv_font_desc* out)
    {
        (void)description;
        (void)out;
        return false;
    }
};

class tarv_mw : public tarv_connection_host, public tarv_demux_sink, public tarv_config_view {
public:
    explicit tarv_mw(tarv_mw_view* view);
    ~tarv_mw() override;
    tarv_mw(const tarv_mw&) = delete;
    tarv_mw& operator=(const tarv_mw&) = delete;

    // Timers: the 20 ms tick, the 15 s ping and the 5 minute save.
    void OnTimer();
    void on_ping_timer();
    void on_save_timer();
    // The window manager's close request; true when the window may close.
    bool on_close_request(bool can_veto);
    void verify_program_exit();

    // The command line's core lives in the toolkit's text entry.
    void attach_command_line(tarv_command_line* command_line);
    tarv_command_line* command_line() const { return command_line_; }

    void layout_panels();
    // The size event; false when it was ignored.
    bool OnResize();

    void process_command(const char* text, bool echo);
    void send_line(const char* text) { connection.send_line(text); }

    // Queues a client message for the next tick.
    void queue_pending_message(const char* text);
    void save_configuration();

    // The main display's lines as plain text (the end-to-end test seam).
    std::string display_text() const;
    bool take_display_changed();

    std::unique_ptr<tarv_input_window> input_window;
    std::unique_ptr<tarv_main_window> main_display;
    tarv_ansi_display* output_display = nullptr;
    tarv_game_connection connection;

    int exit_countdown = 0;
    int status_dirty = 0;
    tarv_text_buffer pending_message;
    int pending_message_length = 0;
    int pending_message_flag = 0;
    int last_width = -1;
    int last_height = -1;

    tarv_mw_view* view() const { return view_; }

    // tarv_connection_host
    void main_print_text(const char* text) override;
    void main_ansi_code(int parameter) override;
    void main_reset_color() override;
    void main_scroll_to_end() override;
    void main_refresh() override;
    void select_history_set(int set) override;
    int play_state() const override { return play_state_; }
    void set_play_state(int state) override { play_state_ = state; }
    void set_title(const char* title) override;
    void clear_hint_buttons() override {}
    void reset_panels_after_disconnect() override {}
    void show_disconnected_buttons() override {}
    void close_popup_windows() override {}
    void relayout_main_window() override { layout_panels(); }
    const char* game_host() override;
    int game_port() override;
    const char* client_identity() override;

    // tarv_demux_sink
    void demux_text(const char* text, int length) override;
    void demux_password_mode(bool hidden) override;
    void demux_bell() override;
    void demux_tag(const char* name, const char* data, int length) override;
    void demux_block_end() override;

    // tarv_config_view
    void set_menu_check(int menu_id, bool checked) override;
    void mark_status_dirty() override { status_dirty = 1; }
    void relayout() override { layout_panels(); }
    void repaint() override;
    void refresh_main_display_layout() override;
    void show_panel(tarv_config_panel panel, bool shown) override;
    void set_status_display_bars(bool hp, bool exp, bool enemy) override;
    void apply_layout_mode() override;
    void apply_theme_change(bool force_background) override;
    bool start_audio() override { return true; }
    void stop_audio() override {}
    bool parse_native_font(const std::string& description, tarv_font_desc* out) override;
    void character_config_changed() override;

private:
    void orderly_exit();
    void flush_partial_line();
    tarv_layout_input layout_input() const;

    tarv_mw_view* view_;
    tarv_command_line* command_line_ = nullptr;
    int play_state_ = NOT_PLAYING;
    bool display_changed_ = false;
};

extern tarv_mw* mw_instance;
extern int mw_ready;
extern int refocus_pending;
extern int prompt_flush_count;

// The one way the client's own commands and dialogs end the program.
void system_shutdown_handler(tarv_mw* mw);
