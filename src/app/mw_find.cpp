// The scrollback tools of the command line: the main display's find field
// (Ctrl+F) and copying a display's selection to the CLIPBOARD (Ctrl+C).
#include "app/mw.h"
#include "text/find_bar.h"
#include "panels/channel_window.h"
#include "panels/popup_manager.h"
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

void tarv_mw::copy_selection(tarv_display_ref display)
{
    const tarv_ansi_display* d = display == tarv_display_ref::main ? main_display.get() : &channel_window->shown_display();
    std::string text;
    if (d && d->text.get_selected_text(text)) ::set_clipboard_text(text);
}

bool tarv_mw::take_other_selection()
{
    for (tarv_popup_button* list : {popup_manager->first_button(), popup_manager->first_menu_only()})
        for (tarv_popup_button* b = list; b; b = b->next) {
            tarv_popup_window* w = b->window();
            std::string text;
            if (!w || !w->display.text.has_selection()) continue;
            if (w->display.text.get_selected_text(text)) ::set_clipboard_text(text);
            w->display.text.clear_selection();
            return true;
        }
    return false;
}
