// The command line's toolkit side: the native multi-line text entry, and
// the window of the panel that frames it. Both forward to their core objects
// (tarv_command_line, tarv_input_window) and keep no logic of their own.
//
// Password mode: a rich text view cannot be switched to hidden input on the
// fly, and colouring the text black on black still shows it when selected
// and still hands it to the X11 primary selection. So the line edit keeps a
// second, single-line native password entry beside itself, hidden. While the
// server has echo off, that entry takes the line edit's place (same size,
// same events, any text already typed carried over) and has the keyboard;
// when echo comes back the line edit returns, and whatever was left unsent in
// the password entry is dropped, never shown.
#pragma once

#include <string>

#include <wx/textctrl.h>
#include <wx/weakref.h>
#include <wx/window.h>

#include "draw/embedded_window.h"
#include "draw/embedded_window_wx.h"
#include "draw/latin1_wx.h"
#include "input/command_line.h"
#include "input/input_window.h"

class tarv_font;


class tarv_line_edit : public wxTextCtrl, public tarv_edit_control, public tarv_window_peer {
public:
    // The host may be attached later (core().attach_host); until then keys
    // go to the control unhandled.
    tarv_line_edit(wxWindow* parent, tarv_input_host* host, wxWindowID id = wxID_ANY);
    ~tarv_line_edit() override;

    tarv_command_line& core() { return core_; }

    void submit_line() { core_.submit_line(); }
    void set_password_mode() { core_.set_password_mode(); }
    void clear_password_mode() { core_.clear_password_mode(); }
    int is_password_mode() const { return core_.is_password_mode(); }
    void select_history_set(int n) { core_.select_history_set(n); }
    std::string history_listing() const { return core_.history_listing(); }
    void reset_input_style() { core_.reset_input_style(); }
    // Called at start and whenever the text font changes.
    void set_input_font(const wxFont& font);
    void set_input_font(const tarv_font& font);

    // The keyboard goes to whichever entry is in use.
    void SetFocus() override;
    bool password_entry_shown() const { return password_shown_; }
    wxTextCtrl* password_entry() const { return password_.get(); }

    // tarv_edit_control, on the entry in use.
    std::string get_value() const override;
    void set_value(const std::string& text) override;
    long get_insertion_point() const override;
    void set_insertion_point(long position) override;
    long get_last_position() const override;
    void get_selection(long* from, long* to) const override;
    void set_selection(long from, long to) override;
    void replace_selection(const std::string& text) override;
    void apply_style(input_style style) override;

    // tarv_window_peer: the input window places the command line.
    void peer_refresh() override;
    void peer_move_resize(int x, int y, int width, int height) override;
    void peer_show(bool shown) override;
    void peer_set_focus() override;

private:
    wxTextCtrl* active() const;
    void bind_input_events(wxTextCtrl* control);
    void swap_entries(bool to_password);
    void on_key_down(wxKeyEvent& event);
    void on_key_up(wxKeyEvent& event);
    void on_char(wxKeyEvent& event);
    void on_wheel(wxMouseEvent& event);
    void on_paste(wxClipboardTextEvent& event);

    tarv_command_line core_;
    wxWeakRef<wxTextCtrl> password_;
    bool password_shown_ = false;
    bool shown_ = true;
    wxFont font_;
};

// The panel's toolkit window: a panel host that owns its core and holds the
// command line as its child. Construct it with the main window as parent;
// place it with core().set_geometry(...), never with the toolkit's SetSize.
class tarv_input_window_wx : public tarv_panel_host {
public:
    tarv_input_window_wx(wxWindow* parent, tarv_input_host* host, int x, int y, int width, int height);

    tarv_input_window& core() { return *input_core_; }
    tarv_line_edit* line_edit() const { return edit_; }

private:
    tarv_input_window* input_core_;
    tarv_line_edit* edit_ = nullptr;
};
