#include "draw/embedded_window_wx.h"

#include <wx/dcclient.h>
#include <wx/tooltip.h>

#include "draw/bitmap_wx.h"
#include "support/debug_log.h"

wxBEGIN_EVENT_TABLE(tarv_panel_host, wxWindow)
    EVT_PAINT(tarv_panel_host::on_paint)
    EVT_ERASE_BACKGROUND(tarv_panel_host::on_erase)
    EVT_SIZE(tarv_panel_host::on_size)
    EVT_MOUSE_EVENTS(tarv_panel_host::on_mouse)
    EVT_SET_FOCUS(tarv_panel_host::on_focus)
    EVT_MOUSE_CAPTURE_LOST(tarv_panel_host::on_capture_lost)
wxEND_EVENT_TABLE()

tarv_panel_host::tarv_panel_host(wxWindow* parent, tarv_embedded_window* core, bool owns_core, wxWindowID id,
                                 long style)
    : core_(core), owns_core_(owns_core)
{
    // Every pixel is painted by the panel: the toolkit never erases it.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    wxPoint position = core ? wxPoint(core->x(), core->y()) : wxDefaultPosition;
    wxSize size = core ? wxSize(core->width(), core->height()) : wxSize(1, 1);
    wxString name = core ? wxString::FromUTF8(core->name().c_str()) : wxString("tarv panel");
    Create(parent, id, position, size, style, name);
    if (core_) {
        core_->attach_peer(this);
        if (!core_->IsShown()) wxWindow::Show(false);
    }
}

tarv_panel_host::~tarv_panel_host()
{
    if (HasCapture()) ReleaseMouse();
    if (!core_) return;
    tarv_embedded_window* core = core_;
    core_ = nullptr;
    core->attach_peer(nullptr);
    if (owns_core_) delete core;
}

void tarv_panel_host::peer_refresh()
{
    Refresh(false);
}

void tarv_panel_host::peer_move_resize(int x, int y, int width, int height)
{
    if (x == -1 && y == -1) SetSize(wxSize(width, height));
    else SetSize(x, y, width, height, wxSIZE_ALLOW_MINUS_ONE);
}

void tarv_panel_host::peer_show(bool shown)
{
    wxWindow::Show(shown);
}

void tarv_panel_host::peer_set_focus()
{
    SetFocus();
}

void tarv_panel_host::peer_set_tooltip(const std::string& text)
{
    if (text.empty()) UnsetToolTip();
    else SetToolTip(wxString::FromUTF8(text.c_str()));
}

void tarv_panel_host::peer_capture_mouse(bool capture)
{
    if (capture && !HasCapture()) CaptureMouse();
    else if (!capture && HasCapture()) ReleaseMouse();
}

void tarv_panel_host::on_paint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    if (!core_) return;
    const tarv_bitmap* surface = core_->paint();
    if (!surface) return;
    tarv_blit_into(*surface, screen_copy_);
    if (screen_copy_.IsOk()) dc.DrawBitmap(screen_copy_, 0, 0, false);
}

void tarv_panel_host::on_mouse(wxMouseEvent& event)
{
    event.Skip();
    if (!core_) return;
    tarv_mouse_event m;
    wxEventType t = event.GetEventType();
    if (t == wxEVT_LEFT_DOWN) m.type = tarv_mouse_event::LEFT_DOWN;
    else if (t == wxEVT_LEFT_UP) m.type = tarv_mouse_event::LEFT_UP;
    else if (t == wxEVT_LEFT_DCLICK) m.type = tarv_mouse_event::LEFT_DCLICK;
    else if (t == wxEVT_RIGHT_DOWN) m.type = tarv_mouse_event::RIGHT_DOWN;
    else if (t == wxEVT_RIGHT_UP) m.type = tarv_mouse_event::RIGHT_UP;
    else if (t == wxEVT_MIDDLE_DOWN) m.type = tarv_mouse_event::MIDDLE_DOWN;
    else if (t == wxEVT_MOTION) m.type = tarv_mouse_event::MOTION;
    else if (t == wxEVT_ENTER_WINDOW) m.type = tarv_mouse_event::ENTER;
    else if (t == wxEVT_LEAVE_WINDOW) m.type = tarv_mouse_event::LEAVE;
    // A sideways wheel does not scroll text, as over the command line.
    else if (t == wxEVT_MOUSEWHEEL && event.GetWheelAxis() == wxMOUSE_WHEEL_VERTICAL) m.type = tarv_mouse_event::WHEEL;
    else return;
    m.x = event.GetX();
    m.y = event.GetY();
    m.left_down = event.LeftIsDown() || m.type == tarv_mouse_event::LEFT_DOWN;
    m.middle_down = event.MiddleIsDown() || m.type == tarv_mouse_event::MIDDLE_DOWN;
    m.right_down = event.RightIsDown() || m.type == tarv_mouse_event::RIGHT_DOWN;
    if (m.type == tarv_mouse_event::LEFT_UP) m.left_down = false;
    m.shift = event.ShiftDown();
    m.control = event.ControlDown();
    if (m.type == tarv_mouse_event::WHEEL) {
        m.wheel_rotation = event.GetWheelRotation();
        m.wheel_delta = event.GetWheelDelta() > 0 ? event.GetWheelDelta() : 120;
    }
    core_->on_mouse(m);
}

void tarv_panel_host::on_focus(wxFocusEvent& event)
{
    event.Skip();
    if (core_) core_->on_focus();
}

void tarv_panel_host::on_capture_lost(wxMouseCaptureLostEvent&)
{
    if (!core_) return;
    tarv_mouse_event m;
    m.type = tarv_mouse_event::CAPTURE_LOST;
    core_->on_mouse(m);
}

tarv_frame::tarv_frame(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& position,
                       const wxSize& size, long style)
    : wxFrame(parent, id, title, position, size, style, "tarv frame " + title)
{
}

tarv_logo_block tarv_main_background_painter::paint(wxDC& dc, const wxSize& client,
                                                    const tarv_background_cache& cache, const tarv_bitmap* logo,
                                                    int layout, const wxString& web_host)
{
    const tarv_bitmap* surface = cache.surface();
    if (!surface) {
        TARV_LOG(2, "Error in tarv_mw::repaint_handler() - no background image?\n");
        return {};
    }
    if (surface != background_source_ || cache.generation() != background_generation_ || !background_.IsOk()) {
        tarv_blit_into(*surface, background_);
        background_source_ = surface;
        background_generation_ = cache.generation();
    }
    dc.DrawBitmap(background_, 0, 0, false);

    if (!font_.IsOk())
        font_ = wxFont(wxFontInfo(9).Family(wxFONTFAMILY_TELETYPE).Underlined(true));
    dc.SetTextForeground(*wxWHITE);
    dc.SetTextBackground(*wxBLACK);
    dc.SetFont(font_);
    wxCoord tw = 0, th = 0;
    dc.GetTextExtent(web_host, &tw, &th);

    int lw = logo ? logo->GetWidth() : 0, lh = logo ? logo->GetHeight() : 0;
    tarv_logo_block block = tarv_place_logo_block(layout, client.GetWidth(), client.GetHeight(), lw, lh, tw, th);
    if (logo) {
        if (logo != logo_source_ || !logo_.IsOk()) {
            logo_ = tarv_bitmap_copy(*logo);
            logo_source_ = logo;
        }
        dc.DrawBitmap(logo_, block.logo_x, block.logo_y, true);
    }
    dc.DrawText(web_host, block.text_x, block.text_y);
    return block;
}
