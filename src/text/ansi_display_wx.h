// Toolkit shell of a text display: the display's own child window (frame),
// a child window for its text control and the vertical scrollbar.
#pragma once

#include <wx/scrolbar.h>

#include "draw/embedded_window_wx.h"
#include "text/ansi_display.h"

class tarv_ansi_display_host;

// The display's scrollbar; every kind of scroll event goes to the display.
class tarv_ansi_scrollbar_wx : public wxScrollBar {
public:
    tarv_ansi_scrollbar_wx(wxWindow* parent, tarv_ansi_display_host* host);

private:
    void on_scroll(wxScrollEvent& event);
    tarv_ansi_display_host* host_;
    wxDECLARE_EVENT_TABLE();
};

class tarv_ansi_display_host : public tarv_panel_host, public tarv_scrollbar_peer {
public:
    // With owns_display the display dies with the window.
    tarv_ansi_display_host(wxWindow* parent, tarv_ansi_display* display, bool owns_display);
    ~tarv_ansi_display_host() override;

    tarv_ansi_display* display() const { return display_; }
    tarv_panel_host* text_host() const { return text_host_; }
    wxScrollBar* scroll_bar() const { return scroll_bar_; }

    void scrollbar_set(int position, int thumb, int range, int page) override;
    int scrollbar_thumb_position() const override;
    void scrollbar_place(int x, int y, int width, int height) override;
    void scrollbar_show(bool shown) override;
    int scrollbar_natural_width() const override;
    void peer_core_destroyed() override;

    void scrolled();

private:
    tarv_ansi_display* display_;
    tarv_panel_host* text_host_ = nullptr;
    tarv_ansi_scrollbar_wx* scroll_bar_ = nullptr;
};
