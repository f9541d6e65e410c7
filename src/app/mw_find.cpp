// The main display's find field, opened with Ctrl+F in the command line.
#include "app/mw.h"
#include "text/find_bar.h"
#include "text/main_window.h"

bool tarv_mw::find_open() const { return find_bar && find_bar->is_open(); }

void tarv_mw::open_find()
{
    if (find_bar) find_bar->open();
}

bool tarv_mw::find_key(const tarv_key_event& event)
{
    if (!find_bar || !find_bar->key(event)) return false;
    // Escape gives the keys back to the command line, where the focus belongs.
    if (!find_bar->is_open()) view_->focus_input();
    return true;
}

bool tarv_mw::find_char(int ch) { return find_bar && find_bar->type_char(ch); }
