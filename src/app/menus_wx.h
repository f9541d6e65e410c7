// The toolkit menu bar built from the menu data, and the font dialog the
// font items open.
#pragma once

#include <string>

#include <wx/menu.h>

#include "draw/font.h"

// Every item unticked (radio groups tick their first item, as the toolkit
// does), disabled items greyed.
wxMenuBar* tarv_create_menu_bar();
// No effect for an id without an item, for unticking a radio item (the
// toolkit keeps one of a group ticked) or for a normal item.
void tarv_menu_bar_check(wxMenuBar* bar, int id, bool on);
void tarv_menu_bar_enable(wxMenuBar* bar, int id, bool on);

// The toolkit font dialog started with initial; false when cancelled or when
// the dialog gave no usable font.
bool tarv_font_dialog(wxWindow* parent, const tarv_font_desc& initial, tarv_font_desc* chosen, std::string* native);
