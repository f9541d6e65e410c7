// The command line's behaviour without the toolkit: keys, sending a line,
// pasting, password mode and the history walk. The shell (tarv_line_edit)
// forwards its events here and passes on whatever the handler leaves alone.
#pragma once

#include <string>

#include "draw/wheel.h"
#include "input/command_history.h"
#include "input/input_host.h"
#include "input/keys.h"

// Longest text handed to the command interpreter; the history keeps it whole.
constexpr int TARV_MAX_COMMAND_LENGTH = 4999;

class tarv_command_line {
public:
    explicit tarv_command_line(tarv_edit_control& edit, tarv_input_host* host = nullptr);

    void attach_host(tarv_input_host* host) { host_ = host; }
    tarv_input_host* host() const { return host_; }

    // True when the key was handled; false passes it on to the control.
    bool on_key_down(const tarv_key_event& event);
    void on_key_up();
    // A typed character (after its key-down was passed on); true when the
    // find field took it.
    bool on_char(int ch);
    void on_mouse_wheel(int rotation, int wheel_delta);
    // The toolkit's own paste (context menu, Shift+Insert): never runs its
    // clipboard paste, reads the primary selection instead.
    void on_paste_event();

    void submit_line();
    void manual_clipboard_paste();
    void reset_input_style();

    void set_password_mode();
    void clear_password_mode();
    int is_password_mode() const { return password_mode; }

    void select_history_set(int n) { history_.select_history_set(n); }
    void history_store(const std::string& text);
    void history_up();
    void history_down();
    // The text "//history" prints (the caller opens the client message).
    std::string history_listing() const { return history_.listing(); }
    tarv_command_history& history() { return history_; }
    const tarv_command_history& history() const { return history_; }

    int password_mode = 0;
    int key_held = 0;
    int previous_key = -1;
    int previous_ctrl = -1;
    tarv_wheel_notches wheel;

private:
    bool whole_text_selected() const;
    bool handle_ctrl_key(const tarv_key_event& event);
    bool handle_function_key(const tarv_key_event& event);
    void handle_escape();
    void erase_line() { edit_.set_value(std::string()); }
    void unfreeze_main_if_needed();
    void show_history_text(const std::string& text);

    tarv_edit_control& edit_;
    tarv_input_host* host_;
    tarv_command_history history_;
};

// The command a keypad key walks, or nullptr when it has none.
const char* tarv_walk_direction(int key_code);
