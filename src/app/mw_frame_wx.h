// The main window's toolkit frame: timers, close requests, focus and paint.
#pragma once

#include <memory>

#include <wx/frame.h>
#include <wx/timer.h>

#include "app/mw.h"

class tarv_mw_frame : public wxFrame, public tarv_mw_view {
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

private:
    void on_main_timer(wxTimerEvent&);
    void on_ping_timer(wxTimerEvent&);
    void on_save_timer(wxTimerEvent&);
    void on_close(wxCloseEvent& event);
    void on_focus(wxFocusEvent&);
    void on_erase(wxEraseEvent&) {}

    std::unique_ptr<tarv_mw> core_;
    wxTimer main_timer_;
    wxTimer ping_timer_;
    wxTimer save_timer_;

    wxDECLARE_EVENT_TABLE();
};

// Gives the keyboard focus back to the command line after a click in a panel.
int transfer_focus_main(wxWindow* window);
