#include "app/mw_frame_wx.h"

#include <cstdio>
#include <unistd.h>

#include <wx/utils.h>

#include "support/debug_log.h"

namespace {
enum { ID_MAIN_TIMER = 112, ID_PING_TIMER = 113, ID_SAVE_TIMER = 114 };
tarv_mw_frame* main_frame = nullptr;
}  // namespace

wxBEGIN_EVENT_TABLE(tarv_mw_frame, wxFrame)
    EVT_TIMER(ID_MAIN_TIMER, tarv_mw_frame::on_main_timer)
    EVT_TIMER(ID_PING_TIMER, tarv_mw_frame::on_ping_timer)
    EVT_TIMER(ID_SAVE_TIMER, tarv_mw_frame::on_save_timer)
    EVT_CLOSE(tarv_mw_frame::on_close)
    EVT_SET_FOCUS(tarv_mw_frame::on_focus)
    EVT_ERASE_BACKGROUND(tarv_mw_frame::on_erase)
wxEND_EVENT_TABLE()

tarv_mw_frame::tarv_mw_frame(const wxString& title, const wxPoint& position, const wxSize& size)
    : wxFrame(nullptr, wxID_ANY, title, position, size, wxDEFAULT_FRAME_STYLE | wxCLIP_CHILDREN, "tarv frame " + title),
      main_timer_(this, ID_MAIN_TIMER),
      ping_timer_(this, ID_PING_TIMER),
      save_timer_(this, ID_SAVE_TIMER)
{
    main_frame = this;
    core_ = std::make_unique<tarv_mw>(this);
    SetBackgroundColour(*wxBLACK);

    mw_ready = 1;
    main_timer_.Start(20);
    ping_timer_.Start(15000);
    save_timer_.Start(300000);
}

tarv_mw_frame::~tarv_mw_frame()
{
    main_timer_.Stop();
    ping_timer_.Stop();
    save_timer_.Stop();
    if (main_frame == this) main_frame = nullptr;
}

void tarv_mw_frame::on_main_timer(wxTimerEvent&)
{
    core_->OnTimer();
}

void tarv_mw_frame::on_ping_timer(wxTimerEvent&)
{
    core_->on_ping_timer();
}

void tarv_mw_frame::on_save_timer(wxTimerEvent&)
{
    core_->on_save_timer();
}

void tarv_mw_frame::on_close(wxCloseEvent& event)
{
    if (!core_->on_close_request(event.CanVeto())) {
        event.Veto();
        return;
    }
    Destroy();
}

void tarv_mw_frame::on_focus(wxFocusEvent&)
{
    focus_input();
}

void tarv_mw_frame::focus_input()
{
}

void tarv_mw_frame::destroy_window()
{
    main_timer_.Stop();
    Destroy();
}

void tarv_mw_frame::force_exit(int status)
{
    std::fflush(nullptr);
    _exit(status);
}

void tarv_mw_frame::set_title(const char* title)
{
    SetTitle(wxString::FromUTF8(title));
}

void tarv_mw_frame::ring_bell()
{
    wxBell();
}

int transfer_focus_main(wxWindow* window)
{
    if (!window) {
        TARV_LOG(2, "Error in transfer_focus_main() - null w?\n");
        return 0;
    }
    wxWindow* first_parent = window->GetParent();
    for (wxWindow* w = window; w;) {
        if (w == main_frame) {
            main_frame->focus_input();
            refocus_pending = 1;
            return 1;
        }
        if (w->GetWindowStyleFlag() & wxFRAME_FLOAT_ON_PARENT) return 0;
        w = w->GetParent();
        if (!w) {
            if (first_parent) {
                first_parent->SetFocus();
                return 1;
            }
            return 0;
        }
    }
    return 0;
}
