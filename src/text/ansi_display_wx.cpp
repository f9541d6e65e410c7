#include "text/ansi_display_wx.h"

#include "text/clipboard_wx.h"

wxBEGIN_EVENT_TABLE(tarv_ansi_scrollbar_wx, wxScrollBar)
    EVT_SCROLL(tarv_ansi_scrollbar_wx::on_scroll)
wxEND_EVENT_TABLE()

tarv_ansi_scrollbar_wx::tarv_ansi_scrollbar_wx(wxWindow* parent, tarv_ansi_display_host* host)
    : wxScrollBar(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSB_VERTICAL, wxDefaultValidator,
                  "scrollBar"),
      host_(host)
{
}

void tarv_ansi_scrollbar_wx::on_scroll(wxScrollEvent& event)
{
    if (host_) host_->scrolled();
}

tarv_ansi_display_host::tarv_ansi_display_host(wxWindow* parent, tarv_ansi_display* display, bool owns_display)
    : tarv_panel_host(parent, display, owns_display), display_(display)
{
    tarv_install_wx_clipboard();
    if (!display_) return;
    text_host_ = new tarv_panel_host(this, &display_->text, false);
    scroll_bar_ = new tarv_ansi_scrollbar_wx(this, this);
    display_->scrollbar.peer = this;
    // Lay the children out now that they exist.
    display_->rebuild();
}

tarv_ansi_display_host::~tarv_ansi_display_host()
{
    if (display_) display_->scrollbar.peer = nullptr;
}

void tarv_ansi_display_host::peer_core_destroyed()
{
    display_ = nullptr;
    tarv_panel_host::peer_core_destroyed();
}

void tarv_ansi_display_host::scrolled()
{
    if (display_) display_->on_scrollbar_event();
}

void tarv_ansi_display_host::scrollbar_set(int position, int thumb, int range, int page)
{
    if (scroll_bar_) scroll_bar_->SetScrollbar(position, thumb, range, page, true);
}

int tarv_ansi_display_host::scrollbar_thumb_position() const
{
    return scroll_bar_ ? scroll_bar_->GetThumbPosition() : 0;
}

void tarv_ansi_display_host::scrollbar_place(int x, int y, int width, int height)
{
    if (scroll_bar_) scroll_bar_->SetSize(x, y, width, height);
}

void tarv_ansi_display_host::scrollbar_show(bool shown)
{
    if (scroll_bar_) scroll_bar_->Show(shown);
}

int tarv_ansi_display_host::scrollbar_natural_width() const
{
    int w = scroll_bar_ ? scroll_bar_->GetBestSize().GetWidth() : 0;
    return w > 0 ? w : 16;
}
