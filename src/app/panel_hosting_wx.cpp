#include "app/panel_hosting_wx.h"

#include <cstdio>
#include <string>


#include "app/menus.h"
#include "app/mw.h"
#include "app/mw_frame_wx.h"
#include "support/debug_log.h"
#include "text/ansi_display_wx.h"

namespace {

// A window whose core panel went away closes with it. Panels are never
// destroyed from inside their own window's events (a popup button clicked
// into a disconnect is only hidden until later), so the window can go now;
// a tab's inner button goes before the tab that holds its window.
void retire(wxWindow* window)
{
    window->Hide();
    window->Destroy();
}

class dynamic_panel_host : public tarv_panel_host {
public:
    dynamic_panel_host(wxWindow* parent, tarv_embedded_window* core) : tarv_panel_host(parent, core, false)
    {
        // Tabs and buttons never keep the keyboard.
        Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& event) {
            event.Skip();
            transfer_focus_main(this);
        });
        Bind(wxEVT_LEFT_UP, [this](wxMouseEvent& event) {
            event.Skip();
            transfer_focus_main(this);
        });
    }
    void peer_core_destroyed() override
    {
        tarv_panel_host::peer_core_destroyed();
        retire(this);
    }
};

class dynamic_display_host : public tarv_ansi_display_host {
public:
    dynamic_display_host(wxWindow* parent, tarv_ansi_display* display) : tarv_ansi_display_host(parent, display, false)
    {
    }
    void peer_core_destroyed() override
    {
        tarv_ansi_display_host::peer_core_destroyed();
        retire(this);
    }
};

wxString menu_label(const char* label)
{
    // A popup name is shown as it is: an ampersand is not a mnemonic.
    wxString text = wxString::From8BitData(label ? label : "");
    text.Replace("&", "&&");
    return text;
}

wxMenu* popups_menu(wxMenuBar* bar)
{
    if (!bar) return nullptr;
    const int at = bar->FindMenu("Popups");
    return at == wxNOT_FOUND ? nullptr : bar->GetMenu(static_cast<size_t>(at));
}

}  // namespace

// ---- popup window ----

tarv_popup_window_frame::tarv_popup_window_frame(wxWindow* parent, tarv_popup_window* core, const wxString& title)
    : tarv_frame(parent, wxID_ANY, title, wxDefaultPosition, wxDefaultSize,
                 wxCAPTION | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxMAXIMIZE_BOX | wxCLOSE_BOX | wxRESIZE_BORDER |
                     wxFRAME_TOOL_WINDOW | wxFRAME_FLOAT_ON_PARENT | wxCLIP_CHILDREN),
      core_(core)
{
    SetName("popup window " + title);
    SetBackgroundColour(*wxBLACK);
    if (core_) display_host_ = new tarv_ansi_display_host(this, &core_->display, false);
    Bind(wxEVT_SIZE, &tarv_popup_window_frame::on_size, this);
    Bind(wxEVT_CLOSE_WINDOW, &tarv_popup_window_frame::on_close, this);
    Bind(wxEVT_ICONIZE, &tarv_popup_window_frame::on_iconize, this);
}

tarv_popup_window_frame::~tarv_popup_window_frame()
{
    if (core_) core_->frame_destroyed();
}

void tarv_popup_window_frame::frame_show(bool shown)
{
    if (shown && IsIconized()) Iconize(false);
    Show(shown);
    if (shown && core_) {
        const wxSize size = GetClientSize();
        core_->on_client_resized(size.x, size.y);
    }
}

bool tarv_popup_window_frame::frame_shown() const
{
    return IsShown();
}

void tarv_popup_window_frame::frame_move(int x, int y)
{
    Move(x, y);
}

void tarv_popup_window_frame::frame_position(int* x, int* y) const
{
    GetPosition(x, y);
}

void tarv_popup_window_frame::frame_set_client_size(int width, int height)
{
    SetClientSize(width, height);
    if (core_) core_->on_client_resized(width, height);
}

void tarv_popup_window_frame::frame_client_size(int* width, int* height) const
{
    GetClientSize(width, height);
}

void tarv_popup_window_frame::frame_core_destroyed()
{
    core_ = nullptr;
    Hide();
    Destroy();
}

void tarv_popup_window_frame::on_size(wxSizeEvent&)
{
    // The display is placed here, not by the frame's own one-child layout.
    if (!core_) return;
    const wxSize size = GetClientSize();
    core_->on_client_resized(size.x, size.y);
}

void tarv_popup_window_frame::on_close(wxCloseEvent& event)
{
    if (core_ && event.CanVeto()) {
        event.Veto();
        core_->close_handler();
        return;
    }
    Destroy();
}

void tarv_popup_window_frame::on_iconize(wxIconizeEvent& event)
{
    event.Skip();
    // Restoring a popup brings back a minimised main window with it.
    if (event.IsIconized()) return;
    if (auto* main = dynamic_cast<wxTopLevelWindow*>(GetParent()); main && main->IsIconized()) main->Iconize(false);
}

// ---- hosting ----

void tarv_panel_hosting_wx::host_panel(tarv_embedded_window& panel, tarv_embedded_window* parent_panel)
{
    wxWindow* parent = main_window_;
    if (parent_panel) {
        parent = dynamic_cast<wxWindow*>(parent_panel->peer());
        if (!parent) {
            TARV_LOG(2, "Warning in tarv_panel_hosting_wx::host_panel(), parent panel has no window.\n");
            return;
        }
    }
    new dynamic_panel_host(parent, &panel);
}

void tarv_panel_hosting_wx::host_text_display(tarv_ansi_display& display)
{
    auto* host = new dynamic_display_host(main_window_, &display);
    display.focus_to_command_line = [host] { return transfer_focus_main(host) != 0; };
}

tarv_popup_frame* tarv_panel_hosting_wx::host_popup_window(tarv_popup_window& popup, const std::string& title)
{
    return new tarv_popup_window_frame(main_window_, &popup, wxString::From8BitData(title.c_str()));
}

// ---- the Popups menu ----

void tarv_popup_menu_reset(wxMenuBar* bar)
{
    if (!bar) return;
    const int at = bar->FindMenu("Popups");
    if (at == wxNOT_FOUND) return;
    auto* menu = new wxMenu;
    menu->Append(MENU_POPUPS_NOT_CONNECTED, "Not Connected");
    menu->Enable(MENU_POPUPS_NOT_CONNECTED, false);
    delete bar->Replace(static_cast<size_t>(at), menu, "&Popups");
}

void tarv_popup_menu_insert(wxMenuBar* bar, int id, const char* label)
{
    wxMenu* menu = popups_menu(bar);
    if (!menu) return;
    if (menu->FindItem(MENU_POPUPS_NOT_CONNECTED)) menu->Destroy(MENU_POPUPS_NOT_CONNECTED);
    if (!menu->FindItem(MENU_RESET_POPUP_POSITIONS)) {
        menu->AppendSeparator();
        menu->Append(MENU_RESET_POPUP_POSITIONS, "&Reset Window Positions");
    }
    menu->Insert(0, id, menu_label(label), wxEmptyString, wxITEM_CHECK);
}

// ---- end-to-end seam ----

void tarv_write_panels_test_seam(tarv_mw& mw, const char* config_dir, int origin_x, int origin_y)
{
    static std::string last;
    std::string out = "client_origin " + std::to_string(origin_x) + " " + std::to_string(origin_y) + "\n";
    auto lines_of = [&out](const tarv_ansi_display& display) {
        for (const auto& line : display.dump_lines()) out += "  | " + line + "\n";
    };
    tarv_channel_window& channels = *mw.channel_window;
    out += "channel_window shown=" + std::to_string(channels.shown) + " page=" +
           std::to_string(channels.current_page()) + "\n";
    for (int i = 0; i < channels.channel_count(); ++i) {
        channel_tab& entry = channels.channel(i);
        out += "tab " + entry.name + " page=" + std::to_string(entry.page) +
               " state=" + std::to_string(entry.tab->tab_state()) +
               " shown=" + std::to_string(entry.tab->IsShown()) + "\n";
        lines_of(*entry.display);
    }
    for (tarv_popup_button* list : {mw.popup_manager->first_button(), mw.popup_manager->first_menu_only()})
        for (tarv_popup_button* b = list; b; b = b->next) {
            tarv_popup_window* w = b->window();
            if (!w) continue;
            int x = 0, y = 0, width = 0, height = 0;
            w->position(&x, &y);
            w->client_size(&width, &height);
            out += "popup " + b->label() + " shown=" + std::to_string(w->is_shown()) +
                   " button=" + std::to_string(b->state) + " button_shown=" + std::to_string(b->IsShown()) +
                   " at=" + std::to_string(b->x()) + "," + std::to_string(b->y()) + "," +
                   std::to_string(b->width()) + " geometry=" + std::to_string(x) + "," + std::to_string(y) + "," +
                   std::to_string(width) + "," + std::to_string(height) + "\n";
            lines_of(w->display);
        }
    if (out == last) return;
    last = out;
    const std::string path = std::string(config_dir) + "/test_panels.txt";
    const std::string temporary = path + ".tmp";
    if (FILE* f = std::fopen(temporary.c_str(), "wb")) {
        std::fwrite(out.data(), 1, out.size(), f);
        std::fclose(f);
        std::rename(temporary.c_str(), path.c_str());
    }
}
