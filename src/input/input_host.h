// The two narrow interfaces the command line's core works through: the text
// entry it edits (the native control in the program, a string in tests) and
// the host that carries out what the keys ask for (the main window).
#pragma once

#include <string>

#include "input/keys.h"

// Texts are 8-bit characters (ISO-8859-1); positions count characters, so a
// position is also a byte index into get_value().
class tarv_edit_control {
public:
    enum input_style { STYLE_NORMAL, STYLE_HIDDEN };

    virtual ~tarv_edit_control() = default;
    virtual std::string get_value() const = 0;
    // Replaces the whole text; the caret goes to the end, nothing is selected.
    virtual void set_value(const std::string& text) = 0;
    virtual long get_insertion_point() const = 0;
    // Moves the caret; any selection goes away.
    virtual void set_insertion_point(long position) = 0;
    virtual long get_last_position() const = 0;
    // from == to when nothing is selected.
    virtual void get_selection(long* from, long* to) const = 0;
    virtual void set_selection(long from, long to) = 0;
    // Replaces the selection, or inserts at the caret when there is none.
    virtual void replace_selection(const std::string& text) = 0;
    // White on black, or hidden while a password is typed.
    virtual void apply_style(input_style style) = 0;
};

// The command line's own display targets: the main game display, and the
// display the channel window shows (a host without one reports it following
// and ignores the rest).
enum class tarv_display_ref { main, channel };

// Character configuration switches flipped by the Ctrl and Ctrl+Shift keys.
enum class tarv_feature {
    automap_display,
    group_status_display,
    hpbar_enable,
    enemy_hpbar_enable,
    exp_display,
    fkey_button_display,
    popup_display,
    mw_scrollbar_enable,
};

// The configuration key a feature flips.
const char* tarv_feature_key(tarv_feature feature);

class tarv_input_host {
public:
    virtual ~tarv_input_host() = default;

    // State read on each key.
    virtual int play_state() const = 0;  // 2 while playing
    virtual bool keypad_walking() const = 0;
    virtual bool cmd_pushthrough() const = 0;
    virtual bool locking_scrollback_enable() const = 0;

    // The command interpreter; echo is false for function-key aliases.
    virtual void process_command(const char* text, bool echo) = 0;
    // Raw line to the server (the single bytes 3 and 26).
    virtual void send_line(const char* text) = 0;

    virtual bool is_following(tarv_display_ref display) const = 0;
    virtual void freeze_scrolling(tarv_display_ref display) = 0;
    virtual void unfreeze_scrolling(tarv_display_ref display) = 0;
    virtual void page_up(tarv_display_ref display) = 0;
    virtual void page_down(tarv_display_ref display) = 0;
    virtual void scroll_lines_up(tarv_display_ref display, int lines) = 0;
    virtual void scroll_lines_down(tarv_display_ref display, int lines) = 0;
    virtual bool has_selection(tarv_display_ref display) const = 0;
    virtual void clear_selection(tarv_display_ref display) = 0;

    // Ctrl+M and Ctrl+Shift+1 pass automap_display: the host toggles the
    // automap the way its menu item does.
    virtual void toggle_feature(tarv_feature feature) = 0;
    virtual void increase_text_size() = 0;
    virtual void decrease_text_size() = 0;
    virtual void grow_channel_window() = 0;
    virtual void shrink_channel_window() = 0;
    virtual void grow_input_window() = 0;
    virtual void shrink_input_window() = 0;
    virtual void increase_map_size() = 0;
    virtual void decrease_map_size() = 0;
    // Popup window 1 to 10, only asked for while playing.
    virtual void popup_quick_toggle(int number) = 0;

    // The X11 primary selection, as 8-bit text.
    virtual void set_clipboard_data(const std::string& text) = 0;
    virtual bool get_clipboard_data(std::string& text) = 0;

    // The CLIPBOARD selection (Ctrl+C with a selection, Shift+Insert).
    virtual void set_clipboard_text(const std::string& text) { (void)text; }
    virtual bool get_clipboard_text(std::string& text)
    {
        (void)text;
        return false;
    }
    // Copies the display's selected text to the CLIPBOARD.
    virtual void copy_selection(tarv_display_ref display) { (void)display; }
    // A selection in any other display (a popup window's): copied to the
    // CLIPBOARD and cleared; false when there is none.
    virtual bool take_other_selection() { return false; }

    // The main display's find field (Ctrl+F). While it is open the command
    // line hands it Escape, Enter, F3 and Backspace and every typed character.
    virtual bool find_open() const { return false; }
    virtual void open_find() {}
    // False: the field does not take the key.
    virtual bool find_key(const tarv_key_event& event)
    {
        (void)event;
        return false;
    }
    virtual bool find_char(int ch)
    {
        (void)ch;
        return false;
    }
};
