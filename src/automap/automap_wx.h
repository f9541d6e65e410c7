// Toolkit shells of the automap: the panel's window with the view's window
// inside it, and the undocked map's own top-level window, "Karthem Map".
#pragma once

#include <functional>

#include "automap/automap_display.h"
#include "draw/embedded_window_wx.h"

// The undocked automap's window. It floats over the main window and keeps
// the keyboard when clicked; closing it only hides it and reports the close.
class tarv_automap_frame : public tarv_frame {
public:
    tarv_automap_frame(wxWindow* parent, std::function<void()> on_close);

    // The frame's client area takes exactly the panel's size.
    void fit_panel(int width, int height);

private:
    void on_close(wxCloseEvent& event);
    std::function<void()> on_close_;
    wxDECLARE_EVENT_TABLE();
};

// The panel's window (a child of parent) and the view's window inside it.
// The view hands the keyboard back to the command line after a click while
// it is docked; clicks in the undocked window keep it there.
tarv_panel_host* tarv_create_automap_windows(wxWindow* parent, tarv_automap_display& display,
                                             std::function<void(wxWindow*)> after_click);
