// The main window's core: it owns the panels' core objects, the game
// connection and the play state, runs the tick and the orderly exit, and is
// the host every subsystem talks to (connection, received stream,
// configuration). The toolkit frame (mw_frame_wx) owns one, gives it a
// tarv_mw_view, and forwards its timers, close requests and focus to it;
// everything here runs without a display.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>

#include "app/commands.h"
#include "app/layout.h"
#include "app/menus.h"
#include "automap/automap_display.h"
#include "config/config_view.h"
#include "connection/game_connection.h"
#include "connection/status_values.h"
#include "connection/stream_demux.h"
#include "connection/tag_dispatch.h"
#include "input/input_host.h"
#include "panels/buttons.h"
#include "panels/group_display.h"
#include "panels/channel_window.h"
#include "panels/popup_manager.h"
#include "panels/status_display.h"
#include "support/text_buffer.h"
#include "text/clipboard.h"

class tarv_main_window;
class tarv_ansi_display;
class tarv_input_window;
class tarv_command_line;
class tarv_find_bar;

enum tarv_play_state { NOT_PLAYING = 0, CREATING_CHARACTER = 1, PLAYING = 2, LOGGED_OFF = 3 };

// The questions asked before leaving a character stranded in the game.
enum class tarv_exit_dialog { newbie_quit, save_quit, pgm_exit, newbie_disconnect, disconnect };
// The dialogs' buttons by their role: OK is the affirmative one, No the
// negative one (where there is one).
enum class tarv_dialog_button { ok, no, cancel };

// What the core asks of the toolkit window; the defaults serve tests.
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
    virtual void enable_menu_item(int menu_id, bool enabled) { (void)menu_id; (void)enabled; }
    // The toolkit's font dialog started with initial; false when cancelled.
    // native is the chosen font's description as the configuration stores it.
    virtual bool choose_font(const tarv_font_desc& initial, tarv_font_desc* chosen, std::string* native)
    {
        (void)initial;
        (void)chosen;
        (void)native;
        return false;
    }
    virtual bool parse_native_font(const std::string& description, tarv_font_desc* out)
    {
        (void)description;
        (void)out;
        return false;
    }
    // The fonts changed: the toolkit side passes them to its native controls.
    virtual void fonts_changed() {}
    // Something may need the tick soon (a command was entered): back to
    // the normal pace at once.
    virtual void wake_tick() {}
    // Drops the cached background so the next paint generates it anew.
    virtual void rebuild_background() {}
    // The "Save Logfile" file dialog; false when cancelled. filter 0 is
    // "Save as HTML", 1 "Save as Plain Text".
    virtual bool choose_logfile(std::string* path, int* filter)
    {
        (void)path;
        (void)filter;
        return false;
    }
    // Shows one of the exit dialogs centred and modal; the button pressed
    // comes back through tarv_mw::exit_dialog_choice.
    virtual void show_exit_dialog(tarv_exit_dialog dialog) { (void)dialog; }
    // Makes the panel's window a child of the main window or of the main
    // display's text area (the embedded layout).
    virtual void place_panel_window(tarv_embedded_window& panel, tarv_layout_parent parent)
    {
        (void)panel;
        (void)parent;
    }
    // The Popups menu: back to its one disabled "Not Connected" item, or a
    // popup's check item inserted at the top.
    virtual void popup_menu_reset() {}
    virtual void popup_menu_insert(int menu_id, const char* label) { (void)menu_id; (void)label; }
    // Usable area of the display that holds the main window.
    virtual void screen_size(int* width, int* height) const { *width = 1280; *height = 1024; }
    // The automap panel's window moves to parent; the undocked map window
    // is shown or hidden and takes the panel's size.
    virtual void place_automap_window(tarv_layout_parent parent) { (void)parent; }
    virtual void show_automap_frame(bool shown) { (void)shown; }
    virtual void size_automap_frame(int width, int height)
    {
        (void)width;
        (void)height;
    }
};

class tarv_mw : public tarv_connection_host,
               public tarv_demux_sink,
               public tarv_config_view,
               public tarv_input_host,
               public tarv_command_host,
               public tarv_tag_host,
               public tarv_popup_host {
public:
    explicit tarv_mw(tarv_mw_view* view);
    ~tarv_mw() override;
    tarv_mw(const tarv_mw&) = delete;
    tarv_mw& operator=(const tarv_mw&) = delete;

    // Timers: the 20 ms tick, the 15 s ping and the 5 minute save.
    void OnTimer();
    void on_ping_timer();
    void on_save_timer();
    // False when a tick would find nothing to do: not connected, nothing
    // animating, nothing queued. The frame then ticks slowly to save power.
    bool tick_needed() const;
    // The window manager's close request; true when the window may close.
    bool on_close_request(bool can_veto);

    // Exit, logoff and disconnect questions (exit_dialogs.cpp).
    void verify_program_exit();
    void menu_file_save_and_quit();
    void verify_disconnect();
    void exit_dialog_choice(tarv_exit_dialog dialog, tarv_dialog_button button);

    // The command line's panel and core live in the toolkit's windows.
    void attach_input(tarv_input_window* window, tarv_command_line* command_line);
    tarv_command_line* command_line() const { return command_line_; }

    void layout_panels();
    // The size event; false when it was ignored.
    bool OnResize();

    void process_command(const char* text, bool echo) override;
    void send_line(const char* text) override { connection.send_line(text); }
    tarv_command_interpreter& commands() { return commands_; }

    // Size steps (keyboard shortcuts and menus).
    void grow_input_window() override;
    void shrink_input_window() override;
    void grow_channel_window() override;
    void shrink_channel_window() override;
    void increase_text_size() override;
    void decrease_text_size() override;
    void increase_map_size() override;
    void decrease_map_size() override;
    void apply_text_font();
    void apply_button_fonts();
    // Where the automap and the group display live for the layout mode;
    // the panels themselves join later, the main display keeps their places.
    void place_automap();
    void place_group_display();
    void update_automap_visibility() override;

    // The menu bar (menus.cpp). build_menus ticks every item from the
    // configuration once the toolkit's bar exists; menu_command runs one
    // item's command and is false for an unknown or disabled id.
    void build_menus();
    bool menu_command(int id);
    void resync_menus();
    void resync_theme_menus();
    void update_map_menu();
    void set_automap_display(bool on);
    void toggle_automap();
    // Blinks of panels that live elsewhere (preference commands).
    void flash_automap();
    void flash_popup_buttons();
    void enable_menu_item(int menu_id, bool enabled);
    const tarv_menu_ticks& menu_ticks() const { return menu_ticks_; }

    // Sound (mw_audio.cpp): the output starts with the window when sound is
    // on; image buttons click from then on.
    void open_audio_at_start();

    // File / Save Logfile (logfile.cpp): asks for a file, then writes the
    // main display's scrollback into it as HTML or plain text and says so.
    void save_logfile();
    void save_logfile_to(const std::string& path, bool html);

    // Queues a client message for the next tick.
    void queue_pending_message(const char* text);
    void save_configuration();

    // The main display's lines as plain text (the end-to-end test seam).
    std::string display_text() const;
    bool take_display_changed();

    // Owned by its toolkit window; nullptr without a display.
    tarv_input_window* input_window = nullptr;
    std::unique_ptr<tarv_main_window> main_display;
    // The main display's find field (mw_find.cpp).
    std::unique_ptr<tarv_find_bar> find_bar;
    // The status panels' cores; their toolkit windows are the frame's.
    std::unique_ptr<tarv_status_display> status_display;
    std::unique_ptr<tarv_status_bar> status_bar;
    // The button groups; each button's toolkit window is the frame's.
    std::unique_ptr<tarv_direction_buttons> direction_buttons;
    std::unique_ptr<tarv_hint_buttons> hint_buttons;
    std::unique_ptr<tarv_fkey_manager> fkey_manager;
    std::unique_ptr<tarv_group_display> group_display;
    std::unique_ptr<tarv_popup_manager> popup_manager;
    std::unique_ptr<tarv_channel_window> channel_window;
    // The automap panel; its toolkit windows are the frame's.
    std::unique_ptr<tarv_automap_display> automap_display;
    tarv_ansi_display* output_display = nullptr;
    // Plain text goes to the channel window ("chdiv" until "chudiv").
    int channel_divert = 0;
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
    void clear_hint_buttons() override;
    void reset_panels_after_disconnect() override;
    void show_disconnected_buttons() override;
    void close_popup_windows() override;
    void relayout_main_window() override { layout_panels(); }
    const char* game_host() override;
    int game_port() override;
    const char* client_identity() override;

    // tarv_demux_sink
    void demux_block_begin() override;
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
    bool start_audio() override;
    void stop_audio() override;
    bool parse_native_font(const std::string& description, tarv_font_desc* out) override;
    void character_config_changed() override;

    // tarv_input_host
    bool keypad_walking() const override;
    bool cmd_pushthrough() const override;
    bool locking_scrollback_enable() const override;
    bool is_following(tarv_display_ref display) const override;
    void freeze_scrolling(tarv_display_ref display) override;
    void unfreeze_scrolling(tarv_display_ref display) override;
    void page_up(tarv_display_ref display) override;
    void page_down(tarv_display_ref display) override;
    void scroll_lines_up(tarv_display_ref display, int lines) override;
    void scroll_lines_down(tarv_display_ref display, int lines) override;
    bool has_selection(tarv_display_ref display) const override;
    void clear_selection(tarv_display_ref display) override;
    void toggle_feature(tarv_feature feature) override;
    void popup_quick_toggle(int number) override;
    // The X11 primary selection (text/clipboard.h).
    void set_clipboard_data(const std::string& text) override { ::set_clipboard_data(text); }
    bool get_clipboard_data(std::string& text) override { return ::get_clipboard_data(text) != 0; }
    // The CLIPBOARD selection (Ctrl+C with a selection, Shift+Insert).
    void set_clipboard_text(const std::string& text) override { ::set_clipboard_text(text); }
    bool get_clipboard_text(std::string& text) override { return ::get_clipboard_text(text) != 0; }
    void copy_selection(tarv_display_ref display) override;
    bool take_other_selection() override;
    bool find_open() const override;
    void open_find() override;
    bool find_key(const tarv_key_event& event) override;
    bool find_char(int ch) override;

    // tarv_command_host
    void main_clear() override;
    void main_debug_fill() override;
    bool is_connected() override { return connection.is_connected(); }
    void socket_connect(int port) override { connection.socket_connect(port); }
    void disconnect_game(const char* message) override { connection.disconnect_game(message); }
    void begin_client_message() override { connection.begin_client_message(); }
    void send_ping() override { connection.send_ping(); }
    void trust_presented_key() override { connection.trust_presented_key(); }
    bool password_mode() const override;
    std::string history_listing() const override;
    bool local_echo() const override;
    bool cmd_separator() const override;
    const char* launcher_version_text() const override;
    void request_shutdown() override;
    void clear_channels() override;
    void dispatch_tag(const char* name, const char* data, int length) override;

    // tarv_tag_host
    tarv_tag_settings tag_settings() const override;
    void switch_character_config(const char* name) override;
    void clear_password_mode() override;
    void set_uuid(const char* text) override;
    std::int64_t ping_stopwatch_ms() const override { return connection.ping_stopwatch_ms(); }
    tarv_status_values& status_values() override { return status_values_; }
    void redraw_status_display() override;
    void redraw_status_bar() override;
    void show_status_display(bool shown) override;
    void clear_status_display_enemy_flag() override;
    void sky_state(const char* data) override;
    void sound_request(const char* data) override;
    void directions_changed() override;
    void set_fkey_buttons_active(bool active) override;
    void fkey_button_tag(const char* name, const char* data) override;
    void hint_button_tag(const char* name, const char* data) override;
    void group_data(const char* data) override;
    void preference_command(const char* data) override;
    tarv_ansi_display& main_text_display() override;
    tarv_ansi_display* output_target() const override { return output_display; }
    void automap_data(const char* data, int length) override;
    bool automap_walkfail(const char* data) override;
    void wall_bump_sound() override;
    void automap_area_name(const char* data) override;
    void automap_combat(bool on) override;
    void set_output_target(tarv_ansi_display* display) override { output_display = display; }
    tarv_ansi_display* find_popup_display(const char* name) override;
    void popup_window_create(const char* data) override;
    void set_channel_divert(const char* channel) override;
    void clear_channel_divert() override;

    // tarv_popup_host, and the Popups menu (mw_panels.cpp)
    void add_popup_menu_item(const char* label) override;
    void reset_popup_menu() override;
    void check_popup_menu_item(const char* name, bool flag) override;
    void focus_command_line() override;
    void screen_size(int* width, int* height) const override { view_->screen_size(width, height); }
    int popup_menu_count() const { return popup_menu_count_; }
    // The popup a Popups menu item stands for; empty for none.
    const std::string& popup_menu_label(int menu_id) const;

    // The toolkit's windows for the channel tabs and the popups.
    void attach_panel_hosting(tarv_panel_hosting* hosting);

private:
    void orderly_exit();
    void flush_partial_line();
    void update_overlays();
    void apply_text_size_step(const tarv_text_size_step& step);
    tarv_layout_input layout_input() const;
    tarv_button_actions button_actions();
    void redraw_button_groups();
    void tick_radio(int first_item, int count, int item);
    void tick_menus_from_config();
    void tick_theme_menus();
    void menu_not_available(int id, const char* what);
    void print_client_lines(std::initializer_list<const char*> lines);
    void choose_font_colors(int id);
    void change_text_font();
    void change_button_font();
    void use_default_preferences();
    void set_map_size(int size);
    void create_automap();
    void apply_automap_layout(const tarv_layout& layout);

    tarv_ansi_display* display_of(tarv_display_ref display) const;
    // Popups and channels at the orderly exit, the save timer and disconnect.
    void save_popup_geometry();
    void close_all_popups();
    bool popup_menu_command(int id);

    tarv_mw_view* view_;
    tarv_command_line* command_line_ = nullptr;
    tarv_command_interpreter commands_{*this};
    tarv_status_values status_values_;
    int play_state_ = NOT_PLAYING;
    bool display_changed_ = false;
    tarv_menu_ticks menu_ticks_;
    int popup_menu_count_ = 0;
    std::string popup_menu_labels_[16];
};

extern tarv_mw* mw_instance;
extern int mw_ready;
extern int refocus_pending;
extern int prompt_flush_count;

// The one way the client's own commands and dialogs end the program.
void system_shutdown_handler(tarv_mw* mw);
// A shutdown signal seen by the toolkit's main loop: recorded for the next
// tick, which comes at once.
void tarv_shutdown_signal_arrived(int signal_number);
