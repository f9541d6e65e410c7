#include "app/menus_wx.h"

#include <wx/fontdlg.h>

#include "app/menus.h"
#include "draw/font_wx.h"
#include "support/debug_log.h"

namespace {

wxMenu* create_menu(std::span<const tarv_menu_entry> entries)
{
    auto* menu = new wxMenu;
    for (const auto& entry : entries) {
        const wxString label = entry.label ? wxString::FromUTF8(entry.label) : wxString();
        switch (entry.kind) {
        case tarv_menu_kind::separator: menu->AppendSeparator(); break;
        case tarv_menu_kind::submenu: menu->AppendSubMenu(create_menu(entry.children), label); break;
        case tarv_menu_kind::normal: menu->Append(entry.id, label, wxEmptyString, wxITEM_NORMAL); break;
        case tarv_menu_kind::check: menu->Append(entry.id, label, wxEmptyString, wxITEM_CHECK); break;
        case tarv_menu_kind::radio: menu->Append(entry.id, label, wxEmptyString, wxITEM_RADIO); break;
        }
        if (entry.kind != tarv_menu_kind::separator && entry.kind != tarv_menu_kind::submenu &&
            !entry.initially_enabled)
            menu->Enable(entry.id, false);
    }
    return menu;
}

}  // namespace

wxMenuBar* tarv_create_menu_bar()
{
    auto* bar = new wxMenuBar;
    for (const auto& menu : tarv_menu_bar()) bar->Append(create_menu(menu.entries), wxString::FromUTF8(menu.title));
    return bar;
}

void tarv_menu_bar_check(wxMenuBar* bar, int id, bool on)
{
    if (!bar) return;
    wxMenuItem* item = bar->FindItem(id);
    if (!item || !item->IsCheckable()) return;
    if (!on && item->GetKind() == wxITEM_RADIO) return;
    item->Check(on);
}

void tarv_menu_bar_enable(wxMenuBar* bar, int id, bool on)
{
    if (!bar) return;
    if (wxMenuItem* item = bar->FindItem(id)) item->Enable(on);
}

bool tarv_font_dialog(wxWindow* parent, const tarv_font_desc& initial, tarv_font_desc* chosen, std::string* native)
{
    wxFontData data;
    data.SetInitialFont(tarv_make_wxfont(initial));
    wxFontDialog dialog(parent, data);
    if (dialog.ShowModal() != wxID_OK) return false;
    const wxFont font = dialog.GetFontData().GetChosenFont();
    if (!font.IsOk()) {
        TARV_LOG(2, "Warning in tarv_font_dialog(), no font chosen.\n");
        return false;
    }
    *chosen = tarv_font_desc_from_wxfont(font);
    *native = font.GetNativeFontInfoDesc().utf8_string();
    return true;
}
