#include "automap/automap_wx.h"

wxBEGIN_EVENT_TABLE(tarv_automap_frame, tarv_frame)
    EVT_CLOSE(tarv_automap_frame::on_close)
wxEND_EVENT_TABLE()

tarv_automap_frame::tarv_automap_frame(wxWindow* parent, std::function<void()> on_close)
    : tarv_frame(parent, wxID_ANY, "Karthem Map", wxDefaultPosition, wxDefaultSize,
                 (wxDEFAULT_FRAME_STYLE & ~(wxRESIZE_BORDER | wxMAXIMIZE_BOX)) | wxFRAME_FLOAT_ON_PARENT),
      on_close_(std::move(on_close))
{
    SetBackgroundColour(*wxBLACK);
}

void tarv_automap_frame::fit_panel(int width, int height)
{
    if (GetClientSize() != wxSize(width, height)) SetClientSize(width, height);
}

void tarv_automap_frame::on_close(wxCloseEvent& event)
{
    // The window is reused when the map is undocked again.
    if (event.CanVeto()) event.Veto();
    Hide();
    if (on_close_) on_close_();
}

tarv_panel_host* tarv_create_automap_windows(wxWindow* parent, tarv_automap_display& display,
                                             std::function<void(wxWindow*)> after_click)
{
    auto* panel = new tarv_panel_host(parent, &display, false);
    auto* view = new tarv_panel_host(panel, &display.renderer(), false);
    if (after_click) {
        panel->Bind(wxEVT_SET_FOCUS, [panel, after_click](wxFocusEvent& event) {
            event.Skip();
            after_click(panel);
        });
        view->Bind(wxEVT_LEFT_UP, [view, after_click](wxMouseEvent& event) {
            event.Skip();
            after_click(view);
        });
    }
    return panel;
}
