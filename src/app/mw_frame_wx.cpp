#include "app/mw_frame_wx.h"

#include <cstdio>
#include <unistd.h>

#include <wx/dcclient.h>
#include <wx/filedlg.h>
#include <wx/utils.h>

#include "app/app_wx.h"
#include "app/exit_dialogs_wx.h"
#include "app/menus_wx.h"
#include "app/panel_hosting_wx.h"
#include "app/web_links.h"
#include "automap/automap_wx.h"
#include "config/config.h"
#include "draw/font_wx.h"
#include "draw/images.h"
#include "draw/theme.h"
#include "input/line_edit_wx.h"
#include "support/config_dir.h"
#include "support/debug_log.h"
#include "support/thread.h"
#include "text/ansi_display_wx.h"
#include "text/main_window.h"

namespace {
enum { ID_MAIN_TIMER = 112, ID_PING_TIMER = 113, ID_SAVE_TIMER = 114 };
constexpr int tick_ms = 20;
constexpr int idle_tick_ms = 500;
// From the orderly exit to the forced one.
constexpr int exit_grace_ms = 10 * tick_ms;
tarv_mw_frame* main_frame = nullptr;

// Status panels and buttons never keep the keyboard: when they get the
// focus, and for buttons after every click, it goes back to the command line.
void keep_keyboard_on_command_line(wxWindow* panel, bool also_after_click)
{
    panel->Bind(wxEVT_SET_FOCUS, [panel](wxFocusEvent& event) {
        event.Skip();
        transfer_focus_main(panel);
    });
    if (!also_after_click) return;
    panel->Bind(wxEVT_LEFT_UP, [panel](wxMouseEvent& event) {
        event.Skip();
        transfer_focus_main(panel);
    });
}
}  // namespace

wxBEGIN_EVENT_TABLE(tarv_mw_frame, tarv_frame)
    EVT_TIMER(ID_MAIN_TIMER, tarv_mw_frame::on_main_timer)
    EVT_TIMER(ID_PING_TIMER, tarv_mw_frame::on_ping_timer)
    EVT_TIMER(ID_SAVE_TIMER, tarv_mw_frame::on_save_timer)
    EVT_CLOSE(tarv_mw_frame::on_close)
    EVT_SET_FOCUS(tarv_mw_frame::on_focus)
    EVT_SIZE(tarv_mw_frame::on_size)
    EVT_PAINT(tarv_mw_frame::on_paint)
    EVT_ERASE_BACKGROUND(tarv_mw_frame::on_erase)
    EVT_MENU_RANGE(1, tarv_menu_id_limit - 1, tarv_mw_frame::on_menu)
wxEND_EVENT_TABLE()

tarv_mw_frame::tarv_mw_frame(const wxString& title, const wxPoint& position, const wxSize& size)
    : tarv_frame(nullptr, wxID_ANY, title, position, size, wxDEFAULT_FRAME_STYLE | wxCLIP_CHILDREN),
      main_timer_(this, ID_MAIN_TIMER),
      ping_timer_(this, ID_PING_TIMER),
      save_timer_(this, ID_SAVE_TIMER)
{
    main_frame = this;
    core_ = std::make_unique<tarv_mw>(this);

    input_host_ = new tarv_input_window_wx(this, core_.get(), 0, 0, 100, 40);
    core_->attach_input(&input_host_->core(), &input_host_->line_edit()->core());
    display_host_ = new tarv_ansi_display_host(this, core_->main_display.get(), false);
    core_->main_display->focus_to_command_line = [this] { return transfer_focus_main(display_host_) != 0; };

    // Every button of the three groups gets its own window.
    auto add_button_host = [this](tarv_embedded_window& button) {
        keep_keyboard_on_command_line(new tarv_panel_host(this, &button, false), true);
    };
    for (int i = 0; i < core_->direction_buttons->count(); ++i) add_button_host(core_->direction_buttons->at(i));
    for (int i = 0; i < core_->hint_buttons->count(); ++i) add_button_host(core_->hint_buttons->at(i));
    for (int i = 0; i < core_->fkey_manager->count(); ++i) add_button_host(core_->fkey_manager->at(i));

    // The status panels paint their cores; the sky bar lives inside the status bar.
    auto* status_display_host = new tarv_panel_host(this, core_->status_display.get(), false);
    auto* status_bar_host = new tarv_panel_host(this, core_->status_bar.get(), false);
    auto* sky_host = new tarv_panel_host(status_bar_host, &core_->status_bar->sky_bar, false);
    sky_host->peer_set_tooltip(core_->status_bar->sky_bar.tooltip());
    for (wxWindow* panel : {static_cast<wxWindow*>(status_display_host), static_cast<wxWindow*>(status_bar_host),
                            static_cast<wxWindow*>(sky_host)})
        keep_keyboard_on_command_line(panel, false);
    keep_keyboard_on_command_line(new tarv_panel_host(this, core_->group_display.get(), false), false);

    // The undocked map's window, then the panel (docked in this window to begin with).
    automap_frame_ = new tarv_automap_frame(this, [this] { core_->set_automap_display(false); });
    automap_host_ = tarv_create_automap_windows(this, *core_->automap_display, [](wxWindow* w) { transfer_focus_main(w); });

    for (auto kind : {tarv_exit_dialog::newbie_quit, tarv_exit_dialog::save_quit, tarv_exit_dialog::pgm_exit,
                      tarv_exit_dialog::newbie_disconnect, tarv_exit_dialog::disconnect})
        exit_dialogs_[static_cast<int>(kind)] = new tarv_exit_dialog_wx(this, *core_, kind);

    // A click on the logo opens the web site.
    Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& event) {
        event.Skip();
        logo_click(*core_, logo_block_, event.GetX(), event.GetY());
    });

    SetMenuBar(tarv_create_menu_bar());
    core_->build_menus();
    // Channel tabs and popups get their windows as they come.
    panel_hosting_ = std::make_unique<tarv_panel_hosting_wx>(this);
    core_->attach_panel_hosting(panel_hosting_.get());

    SetBackgroundColour(*wxBLACK);
    fonts_changed();
    input_host_->line_edit()->SetFocus();
    core_->place_group_display();
    core_->place_automap();
    core_->update_automap_visibility();
    core_->layout_panels();
    Refresh();

    mw_ready = 1;
    main_timer_.Start(tick_ms);
    ping_timer_.Start(15000);
    save_timer_.Start(300000);
    core_->open_audio_at_start();
}

tarv_mw_frame::~tarv_mw_frame()
{
    main_timer_.Stop();
    ping_timer_.Stop();
    save_timer_.Stop();
    // The panel windows go before the core objects they draw.
    DestroyChildren();
    if (main_frame == this) main_frame = nullptr;
}

void tarv_mw_frame::on_main_timer(wxTimerEvent&)
{
    core_->OnTimer();
#ifdef TESSEL_TEST_SEAMS
    write_test_display_seam();
#endif
    // Every tick wakes the toolkit's whole window tree; while nothing needs
    // the tick it runs slowly, and the first tick that is needed again
    // brings back the normal pace.
    const int interval = core_->tick_needed() ? tick_ms : idle_tick_ms;
    if (main_timer_.IsRunning() && main_timer_.GetInterval() != interval) main_timer_.Start(interval);
}

// Test builds mirror the main display as plain text into the configuration
// directory, so end-to-end tests can see what the player sees.
void tarv_mw_frame::write_test_display_seam()
{
    const char* dir = tarv_client_get_config_directory();
    if (dir) {
        const wxPoint origin = ClientToScreen(wxPoint(0, 0));
        tarv_write_panels_test_seam(*core_, dir, origin.x, origin.y);
    }
    if (!core_->take_display_changed()) return;
    if (!dir) return;
    std::string path = std::string(dir) + "/test_display.txt";
    std::string temporary = path + ".tmp";
    if (FILE* f = std::fopen(temporary.c_str(), "wb")) {
        std::string text = core_->display_text();
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        std::rename(temporary.c_str(), path.c_str());
    }
}

void tarv_mw_frame::wake_tick()
{
    if (main_timer_.IsRunning() && main_timer_.GetInterval() != tick_ms) main_timer_.Start(tick_ms);
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

void tarv_mw_frame::on_size(wxSizeEvent&)
{
    core_->OnResize();
}

void tarv_mw_frame::on_paint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    const TConfig& config = TConfig::instance();
    const wxSize size = GetClientSize();
    background_.update(size.x, size.y, config.theme_bg_setting(), config.current_background_theme(), false);
    logo_block_ = background_painter_.paint(dc, size, background_, tarv_builtin_image(IMAGE_LOGO), config.current_layout(),
                              wxString::FromUTF8(config.web_site_host()));
}

void tarv_mw_frame::focus_input()
{
    if (input_host_) input_host_->line_edit()->SetFocus();
}

void tarv_mw_frame::destroy_window()
{
    // The tick that would force the exit goes with the frame (and with it
    // the core), so a watchdog forces it instead should anything keep the
    // process alive: another top-level window, a stalled clean-up.
    tarv_exit_after(exit_grace_ms, 0);
    // A question still open would keep its own loop running under the
    // destroyed frame.
    for (wxDialog* dialog : exit_dialogs_)
        if (dialog && dialog->IsModal()) dialog->EndModal(wxID_CANCEL);
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

void tarv_mw_frame::client_size(int* width, int* height) const
{
    GetClientSize(width, height);
}

void tarv_mw_frame::repaint()
{
    Refresh();
}

bool tarv_mw_frame::parse_native_font(const std::string& description, tarv_font_desc* out)
{
    return tarv_font_desc_from_native(wxString::FromUTF8(description), out ? out->point_size : 8, out);
}

void tarv_mw_frame::fonts_changed()
{
    if (input_host_ && text_font) input_host_->line_edit()->set_input_font(*text_font);
}

void tarv_mw_frame::rebuild_background()
{
    const TConfig& config = TConfig::instance();
    const wxSize size = GetClientSize();
    background_.update(size.x, size.y, config.theme_bg_setting(), config.current_background_theme(), true);
    Refresh();
}

void tarv_mw_frame::show_exit_dialog(tarv_exit_dialog dialog)
{
    show_dialog_centered(exit_dialogs_[static_cast<int>(dialog)], true);
}

void tarv_mw_frame::on_menu(wxCommandEvent& event)
{
    core_->menu_command(event.GetId());
}

void tarv_mw_frame::set_menu_check(int menu_id, bool checked)
{
    tarv_menu_bar_check(GetMenuBar(), menu_id, checked);
}

void tarv_mw_frame::enable_menu_item(int menu_id, bool enabled)
{
    tarv_menu_bar_enable(GetMenuBar(), menu_id, enabled);
}

void tarv_mw_frame::popup_menu_reset()
{
    tarv_popup_menu_reset(GetMenuBar());
}

void tarv_mw_frame::popup_menu_insert(int menu_id, const char* label)
{
    tarv_popup_menu_insert(GetMenuBar(), menu_id, label);
}

void tarv_mw_frame::screen_size(int* width, int* height) const
{
    *width = ::screen_width > 0 ? ::screen_width : 640;
    *height = ::screen_height > 0 ? ::screen_height : 480;
}

bool tarv_mw_frame::choose_font(const tarv_font_desc& initial, tarv_font_desc* chosen, std::string* native)
{
    return tarv_font_dialog(this, initial, chosen, native);
}

void tarv_mw_frame::place_panel_window(tarv_embedded_window& panel, tarv_layout_parent parent)
{
    auto* host = dynamic_cast<tarv_panel_host*>(panel.peer());
    if (!host) return;
    wxWindow* wanted = this;
    if (parent == tarv_layout_parent::text_area && display_host_ && display_host_->text_host())
        wanted = display_host_->text_host();
    if (host->GetParent() == wanted) return;
    host->Reparent(wanted);
    host->peer_move_resize(panel.x(), panel.y(), panel.width(), panel.height());
    // Over the text, the panel stays above its new parent's drawing.
    host->Raise();
}

bool tarv_mw_frame::choose_logfile(std::string* path, int* filter)
{
    wxFileDialog dialog(this, "Save Logfile", "", "", "Save as HTML|*.html|Save as Plain Text|*.txt",
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT, wxDefaultPosition, wxDefaultSize, "filedlg");
    if (dialog.ShowModal() != wxID_OK) return false;
    *path = std::string(dialog.GetPath().fn_str());
    *filter = dialog.GetFilterIndex();
    return true;
}

void tarv_mw_frame::place_automap_window(tarv_layout_parent parent)
{
    if (parent != tarv_layout_parent::automap_frame) {
        place_panel_window(*core_->automap_display, parent);
        return;
    }
    if (automap_host_ && automap_frame_ && automap_host_->GetParent() != automap_frame_)
        automap_host_->Reparent(automap_frame_);
}

void tarv_mw_frame::show_automap_frame(bool shown)
{
    if (automap_frame_ && automap_frame_->IsShown() != shown) automap_frame_->Show(shown);
}

void tarv_mw_frame::size_automap_frame(int width, int height)
{
    if (automap_frame_) automap_frame_->fit_panel(width, height);
}

void show_dialog_centered(wxDialog* dialog, bool modal)
{
    if (!dialog || !main_frame) return;
    const wxPoint origin = main_frame->GetPosition();
    const wxSize outer = main_frame->GetSize();
    const wxSize own = dialog->GetSize();
    dialog->Move(origin.x + (outer.x - own.x) / 2, origin.y + (outer.y - own.y) / 2);
    if (dialog->IsShown()) dialog->Hide();
    if (modal)
        dialog->ShowModal();
    else
        dialog->Show();
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
