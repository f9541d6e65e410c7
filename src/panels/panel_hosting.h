// Panels that come and go while the program runs (channel tabs, popup
// buttons and windows) ask the toolkit side for their windows through this
// interface. Without one (tests) they live on as core objects only.
#pragma once

#include <string>

class tarv_embedded_window;
class tarv_ansi_display;
class tarv_popup_frame;
class tarv_popup_window;

class tarv_panel_hosting {
public:
    virtual ~tarv_panel_hosting() = default;
    // A child window for a panel: of the main window, or of the window of
    // parent_panel when given. The window goes when the panel is destroyed.
    virtual void host_panel(tarv_embedded_window& panel, tarv_embedded_window* parent_panel) = 0;
    // A text display of the main window with its text control and scrollbar.
    virtual void host_text_display(tarv_ansi_display& display) = 0;
    // A top-level window holding the popup's display, hidden.
    virtual tarv_popup_frame* host_popup_window(tarv_popup_window& popup, const std::string& title) = 0;
};
