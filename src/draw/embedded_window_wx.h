// Toolkit shells: the child window every panel lives in, the base of the
// top-level windows, and the main window's background painting.
#pragma once

#include <wx/bitmap.h>
#include <wx/dc.h>
#include <wx/font.h>
#include <wx/frame.h>
#include <wx/window.h>

#include "draw/embedded_window.h"
#include "draw/main_background.h"

// A plain child window that paints its core panel: each paint renders the
// whole panel into its backing surface and copies that to the screen.
class tarv_panel_host : public wxWindow, public tarv_window_peer {
public:
    // Created at the core's position and size, named after it; attaches
    // itself as the core's peer. With owns_core the core dies with the window.
    tarv_panel_host(wxWindow* parent, tarv_embedded_window* core, bool owns_core, wxWindowID id = wxID_ANY,
                    long style = wxBORDER_NONE);
    ~tarv_panel_host() override;

    tarv_embedded_window* core() const { return core_; }

    void peer_refresh() override;
    void peer_move_resize(int x, int y, int width, int height) override;
    void peer_show(bool shown) override;
    void peer_set_focus() override;
    void peer_set_tooltip(const std::string& text) override;
    void peer_capture_mouse(bool capture) override;
    void peer_core_destroyed() override { core_ = nullptr; }

private:
    void on_paint(wxPaintEvent&);
    void on_erase(wxEraseEvent&) {}
    void on_size(wxSizeEvent&) {}
    void on_mouse(wxMouseEvent& event);
    void on_focus(wxFocusEvent& event);
    void on_capture_lost(wxMouseCaptureLostEvent&);

    tarv_embedded_window* core_;
    bool owns_core_;
    wxBitmap screen_copy_;

    wxDECLARE_EVENT_TABLE();
};

// Base of the main window, the undocked automap window and the popup windows.
class tarv_frame : public wxFrame {
public:
    tarv_frame(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& position = wxDefaultPosition,
               const wxSize& size = wxDefaultSize, long style = wxDEFAULT_FRAME_STYLE);
};

// The main window's paint: the background surface, the logo over it with
// its alpha and the web host line under the logo in the logo font (9 points,
// teletype, underlined). Keeps toolkit copies of the surfaces between paints.
class tarv_main_background_painter {
public:
    // Returns the logo block the main window's clicks are tested against;
    // an empty block when there is no background surface yet.
    tarv_logo_block paint(wxDC& dc, const wxSize& client, const tarv_background_cache& cache, const tarv_bitmap* logo,
                          int layout, const wxString& web_host);

private:
    wxBitmap background_;
    const tarv_bitmap* background_source_ = nullptr;
    unsigned background_generation_ = 0;
    wxBitmap logo_;
    const tarv_bitmap* logo_source_ = nullptr;
    wxFont font_;
};
