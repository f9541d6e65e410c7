// The main window's toolkit frame: it builds the panels' windows around the
// core's panels, forwards timers, size, close requests and focus to the core,
// and paints the themed background in the gaps between panels.
#pragma once

#include <memory>

#include <wx/dialog.h>
#include <wx/timer.h>

#include "app/mw.h"
#include "draw/embedded_window_wx.h"
#include "draw/main_background.h"

class tarv_ansi_display_host;
class tarv_automap_frame;
class tarv_input_window_wx;
class tarv_panel_hosting_wx;

class tarv_mw_frame : public tarv_frame, public tarv_mw_view {
public:
    tarv_mw_frame(const wxString& title, const wxPoint& position, const wxSize& size);
    ~tarv_mw_frame() override;

    tarv_mw& core() { return *core_; }

    // tarv_mw_view
    void focus_input() override;
    void destroy_window() override;
    void force_exit(int status) override;
    void set_title(const char* title) override;
    void ring_bell() override;
    void client_size(int* width, int* height) const override;
    void repaint() override;
    bool parse_native_font(const std::string& description, tarv_font_desc* out) override;
    void fonts_changed() override;
    void rebuild_background() override;
    void wake_tick() override;
    void show_exit_dialog(tarv_exit_dialog dialog) override;
    void set_menu_check(int menu_id, bool checked) override;
    void enable_menu_item(int menu_id, bool enabled) override;
    bool choose_font(const tarv_font_desc& initial, tarv_font_desc* chosen, std::string* native) override;
    void place_panel_window(tarv_embedded_window& panel, tarv_layout_parent parent) override;
    void popup_menu_reset() override;
    void popup_menu_insert(int menu_id, const char* label) override;
    void screen_size(int* width, int* height) const override;
    bool choose_logfile(std::string* path, int* filter) override;
    void place_automap_window(tarv_layout_parent parent) override;
    void show_automap_frame(bool shown) override;
    void size_automap_frame(int width, int height) override;

private:
    void on_main_timer(wxTimerEvent&);
    void on_ping_timer(wxTimerEvent&);
    void on_save_timer(wxTimerEvent&);
    void on_close(wxCloseEvent& event);
    void on_focus(wxFocusEvent&);
    void on_size(wxSizeEvent&);
    void on_paint(wxPaintEvent&);
    void on_erase(wxEraseEvent&) {}
    void on_menu(wxCommandEvent& event);
    void write_test_display_seam();

    std::unique_ptr<tarv_mw> core_;
    std::unique_ptr<tarv_panel_hosting_wx> panel_hosting_;
    tarv_input_window_wx* input_host_ = nullptr;
    tarv_ansi_display_host* display_host_ = nullptr;
    tarv_automap_frame* automap_frame_ = nullptr;
    tarv_panel_host* automap_host_ = nullptr;
    wxDialog* exit_dialogs_[5] = {};
    tarv_background_cache background_;
    tarv_main_background_painter background_painter_;
    tarv_logo_block logo_block_;  // where the last paint put the logo
    wxTimer main_timer_;
    wxTimer ping_timer_;
    wxTimer save_timer_;

    wxDECLARE_EVENT_TABLE();
};

// Centres a dialog over the main window and shows it (hidden first if shown).
void show_dialog_centered(wxDialog* dialog, bool modal);

// Gives the keyboard focus back to the command line after a click in a panel.
int transfer_focus_main(wxWindow* window);
