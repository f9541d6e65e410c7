#include "input/line_edit_wx.h"

#include <wx/defs.h>

#include "draw/font_wx.h"
#include "support/debug_log.h"

// The core's key codes are the toolkit's, passed through unchanged.
static_assert(tarv_key::BACK == WXK_BACK && tarv_key::TAB == WXK_TAB && tarv_key::RETURN == WXK_RETURN);
static_assert(tarv_key::ESCAPE == WXK_ESCAPE && tarv_key::SPACE == WXK_SPACE && tarv_key::DELETE == WXK_DELETE);
static_assert(tarv_key::CLEAR == WXK_CLEAR && tarv_key::SHIFT == WXK_SHIFT && tarv_key::ALT == WXK_ALT);
static_assert(tarv_key::CONTROL == WXK_CONTROL && tarv_key::MENU == WXK_MENU && tarv_key::CAPITAL == WXK_CAPITAL);
static_assert(tarv_key::END == WXK_END && tarv_key::HOME == WXK_HOME && tarv_key::LEFT == WXK_LEFT);
static_assert(tarv_key::UP == WXK_UP && tarv_key::RIGHT == WXK_RIGHT && tarv_key::DOWN == WXK_DOWN);
static_assert(tarv_key::F1 == WXK_F1 && tarv_key::F12 == WXK_F12 && tarv_key::NUMLOCK == WXK_NUMLOCK);
static_assert(tarv_key::SCROLL == WXK_SCROLL && tarv_key::PAGEUP == WXK_PAGEUP && tarv_key::PAGEDOWN == WXK_PAGEDOWN);
static_assert(tarv_key::NUMPAD_ENTER == WXK_NUMPAD_ENTER && tarv_key::NUMPAD_HOME == WXK_NUMPAD_HOME);
static_assert(tarv_key::NUMPAD_LEFT == WXK_NUMPAD_LEFT && tarv_key::NUMPAD_UP == WXK_NUMPAD_UP);
static_assert(tarv_key::NUMPAD_RIGHT == WXK_NUMPAD_RIGHT && tarv_key::NUMPAD_DOWN == WXK_NUMPAD_DOWN);
static_assert(tarv_key::NUMPAD_PAGEUP == WXK_NUMPAD_PAGEUP && tarv_key::NUMPAD_PAGEDOWN == WXK_NUMPAD_PAGEDOWN);
static_assert(tarv_key::NUMPAD_END == WXK_NUMPAD_END && tarv_key::NUMPAD_BEGIN == WXK_NUMPAD_BEGIN);
static_assert(tarv_key::NUMPAD_ADD == WXK_NUMPAD_ADD && tarv_key::NUMPAD_SUBTRACT == WXK_NUMPAD_SUBTRACT);
static_assert(tarv_key::WINDOWS_LEFT == WXK_WINDOWS_LEFT && tarv_key::WINDOWS_RIGHT == WXK_WINDOWS_RIGHT);
static_assert(tarv_key::WINDOWS_MENU == WXK_WINDOWS_MENU && tarv_key::INSERT == WXK_INSERT);

namespace {

constexpr long line_edit_style = wxTE_MULTILINE | wxTE_RICH | wxTE_PROCESS_ENTER | wxTE_NOHIDESEL | wxBORDER_NONE;
constexpr long password_style = wxTE_PASSWORD | wxTE_PROCESS_ENTER | wxBORDER_NONE;

}  // namespace

tarv_line_edit::tarv_line_edit(wxWindow* parent, tarv_input_host* host, wxWindowID id)
    : wxTextCtrl(parent, id, wxEmptyString, wxDefaultPosition, wxDefaultSize, line_edit_style, wxDefaultValidator,
                 "command line"),
      core_(*this, host)
{
    password_ = new wxTextCtrl(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, password_style,
                               wxDefaultValidator, "password line");
    password_->Hide();
    password_->SetBackgroundColour(*wxBLACK);
    password_->SetForegroundColour(*wxWHITE);
    bind_input_events(this);
    bind_input_events(password_.get());
    font_ = GetFont();
    core_.reset_input_style();
}

tarv_line_edit::~tarv_line_edit()
{
    // The entry belongs to the same parent; it must not outlive our handlers.
    if (password_) password_->Destroy();
}

void tarv_line_edit::bind_input_events(wxTextCtrl* control)
{
    control->Bind(wxEVT_KEY_DOWN, &tarv_line_edit::on_key_down, this);
    control->Bind(wxEVT_KEY_UP, &tarv_line_edit::on_key_up, this);
    control->Bind(wxEVT_CHAR, &tarv_line_edit::on_char, this);
    control->Bind(wxEVT_MOUSEWHEEL, &tarv_line_edit::on_wheel, this);
    control->Bind(wxEVT_TEXT_PASTE, &tarv_line_edit::on_paste, this);
}

wxTextCtrl* tarv_line_edit::active() const
{
    if (password_shown_ && password_) return password_.get();
    return const_cast<tarv_line_edit*>(this);
}

void tarv_line_edit::on_key_down(wxKeyEvent& event)
{
    tarv_key_event key{event.GetKeyCode(), event.ControlDown(), event.ShiftDown(), event.AltDown(),
                       event.MetaDown()};
    if (!core_.on_key_down(key)) event.Skip();
}

void tarv_line_edit::on_char(wxKeyEvent& event)
{
    const wxChar ch = event.GetUnicodeKey();
    if (ch == WXK_NONE || !core_.on_char(static_cast<int>(ch))) event.Skip();
}

void tarv_line_edit::on_key_up(wxKeyEvent& event)
{
    core_.on_key_up();
    event.Skip();
}

void tarv_line_edit::on_wheel(wxMouseEvent& event)
{
    if (event.GetWheelAxis() != wxMOUSE_WHEEL_VERTICAL) {
        event.Skip();
        return;
    }
    core_.on_mouse_wheel(event.GetWheelRotation(), event.GetWheelDelta());
}

void tarv_line_edit::on_paste(wxClipboardTextEvent&)
{
    // Not skipped: the toolkit's own clipboard paste never runs.
    core_.on_paste_event();
}

void tarv_line_edit::set_input_font(const wxFont& font)
{
    if (!font.IsOk()) {
        TARV_LOG(1, "Warning in tarv_line_edit::set_input_font(), font not usable.\n");
        return;
    }
    core_.reset_input_style();
    font_ = font;
    SetFont(font);
    if (password_) password_->SetFont(font);
    core_.reset_input_style();
}

void tarv_line_edit::set_input_font(const tarv_font& font)
{
    set_input_font(tarv_make_wxfont(font.desc()));
}

void tarv_line_edit::SetFocus()
{
    if (password_shown_ && password_)
        password_->SetFocus();
    else
        wxTextCtrl::SetFocus();
}

std::string tarv_line_edit::get_value() const
{
    return tarv_to_latin1(active()->GetValue());
}

void tarv_line_edit::set_value(const std::string& text)
{
    wxTextCtrl* control = active();
    control->ChangeValue(wxEmptyString);
    // Written, not set, so the rich entry gives it the default style.
    control->WriteText(tarv_from_latin1(text));
    control->SetInsertionPointEnd();
}

long tarv_line_edit::get_insertion_point() const
{
    return active()->GetInsertionPoint();
}

void tarv_line_edit::set_insertion_point(long position)
{
    wxTextCtrl* control = active();
    control->SetSelection(position, position);
    control->SetInsertionPoint(position);
}

long tarv_line_edit::get_last_position() const
{
    return active()->GetLastPosition();
}

void tarv_line_edit::get_selection(long* from, long* to) const
{
    active()->GetSelection(from, to);
}

void tarv_line_edit::set_selection(long from, long to)
{
    active()->SetSelection(from, to);
}

void tarv_line_edit::replace_selection(const std::string& text)
{
    wxTextCtrl* control = active();
    long from = 0, to = 0;
    control->GetSelection(&from, &to);
    if (from != to)
        control->Replace(from, to, tarv_from_latin1(text));
    else
        control->WriteText(tarv_from_latin1(text));
}

void tarv_line_edit::apply_style(input_style style)
{
    const bool hidden = style == STYLE_HIDDEN;
    if (hidden != password_shown_) swap_entries(hidden);
    if (hidden) return;
    SetBackgroundColour(*wxBLACK);
    SetForegroundColour(*wxWHITE);
    wxTextAttr attr(*wxWHITE, *wxBLACK, font_);
    SetDefaultStyle(attr);
    // Text already there takes the style too, so nothing stays unreadable.
    long last = GetLastPosition();
    if (last > 0) SetStyle(0, last, attr);
}

void tarv_line_edit::swap_entries(bool to_password)
{
    if (!password_) {
        TARV_LOG(1, "Warning in tarv_line_edit::apply_style(), password entry gone; text stays in the line.\n");
        password_shown_ = false;
        return;
    }
    wxWindow* focus = wxWindow::FindFocus();
    const bool had_focus = focus == this || focus == password_.get();
    wxTextCtrl* from = to_password ? static_cast<wxTextCtrl*>(this) : password_.get();
    wxTextCtrl* to = to_password ? password_.get() : static_cast<wxTextCtrl*>(this);

    // Text typed before the prompt goes on, hidden; what is left unsent in
    // the password entry is dropped rather than shown.
    to->ChangeValue(to_password ? from->GetValue() : wxString());
    to->SetInsertionPointEnd();
    from->ChangeValue(wxEmptyString);
    password_shown_ = to_password;
    if (shown_) {
        to->Show();
        from->Hide();
    }
    if (had_focus) to->SetFocus();
}

void tarv_line_edit::peer_refresh()
{
    active()->Refresh(false);
}

void tarv_line_edit::peer_move_resize(int x, int y, int width, int height)
{
    SetSize(x, y, width, height);
    if (password_) password_->SetSize(x, y, width, height);
}

void tarv_line_edit::peer_show(bool shown)
{
    shown_ = shown;
    active()->Show(shown);
}

void tarv_line_edit::peer_set_focus()
{
    SetFocus();
}

tarv_input_window_wx::tarv_input_window_wx(wxWindow* parent, tarv_input_host* host, int x, int y, int width,
                                           int height)
    : tarv_panel_host(parent, new tarv_input_window(x, y, width, height), true),
      input_core_(static_cast<tarv_input_window*>(tarv_panel_host::core()))
{
    edit_ = new tarv_line_edit(this, host);
    input_core_->set_edit_peer(edit_);
}
