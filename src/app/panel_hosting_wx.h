// Toolkit windows for the panels that come and go while the program runs:
// channel tabs and displays, popup buttons, and the popup windows, plus the
// Popups menu the popup manager rebuilds.
#pragma once

#include <wx/frame.h>
#include <wx/menu.h>

#include "draw/embedded_window_wx.h"
#include "panels/panel_hosting.h"
#include "panels/popup_manager.h"

class tarv_ansi_display_host;

// A popup's top-level window: floats over the main window, hides instead of
// closing, and lets its core know when its client area changes size.
class tarv_popup_window_frame : public tarv_frame, public tarv_popup_frame {
public:
    tarv_popup_window_frame(wxWindow* parent, tarv_popup_window* core, const wxString& title);
    ~tarv_popup_window_frame() override;

    void frame_show(bool shown) override;
    bool frame_shown() const override;
    void frame_move(int x, int y) override;
    void frame_position(int* x, int* y) const override;
    void frame_set_client_size(int width, int height) override;
    void frame_client_size(int* width, int* height) const override;
    void frame_core_destroyed() override;

    tarv_popup_window* core() const { return core_; }

private:
    void on_size(wxSizeEvent& event);
    void on_close(wxCloseEvent& event);
    void on_iconize(wxIconizeEvent& event);

    tarv_popup_window* core_;
    tarv_ansi_display_host* display_host_ = nullptr;
};

class tarv_panel_hosting_wx : public tarv_panel_hosting {
public:
    explicit tarv_panel_hosting_wx(wxWindow* main_window) : main_window_(main_window) {}

    void host_panel(tarv_embedded_window& panel, tarv_embedded_window* parent_panel) override;
    void host_text_display(tarv_ansi_display& display) override;
    tarv_popup_frame* host_popup_window(tarv_popup_window& popup, const std::string& title) override;

private:
    wxWindow* main_window_;
};

// The Popups menu of a menu bar.
void tarv_popup_menu_reset(wxMenuBar* bar);
void tarv_popup_menu_insert(wxMenuBar* bar, int id, const char* label);

class tarv_mw;
// Test builds: the channel tabs and popup windows as plain text in
// "test_panels.txt" of the configuration directory, rewritten when it changes.
// The main window's client area starts at (origin_x, origin_y) on the screen.
void tarv_write_panels_test_seam(tarv_mw& mw, const char* config_dir, int origin_x, int origin_y);
