// The main window's side of the channel window and the popup windows: the
// tags that feed them, the Popups menu, and their part in disconnecting,
// saving and leaving.
#include <cstring>

#include "app/mw.h"
#include "config/config.h"
#include "support/debug_log.h"
#include "text/main_window.h"

namespace {
constexpr int popup_menu_capacity = MENU_POPUP_LAST - MENU_POPUP_FIRST + 1;
const std::string no_label;
}  // namespace

void tarv_mw::attach_panel_hosting(tarv_panel_hosting* hosting)
{
    channel_window->attach_hosting(hosting);
    popup_manager->attach_hosting(hosting);
}

// ---- tags ----

tarv_ansi_display* tarv_mw::find_popup_display(const char* name)
{
    return popup_manager->find_popup_window(name);
}

void tarv_mw::popup_window_create(const char* data)
{
    popup_manager->create_window(data);
}

void tarv_mw::set_channel_divert(const char* channel)
{
    channel_window->set_divert_channel(channel);
    channel_divert = 1;
}

void tarv_mw::clear_channel_divert()
{
    channel_window->clear_divert_channel();
    channel_divert = 0;
}

void tarv_mw::demux_block_begin()
{
    main_display->text_arrived = 0;
    output_display->text_arrived = 0;
    channel_window->begin_block();
}

void tarv_mw::clear_channels()
{
    channel_window->clear_channels();
}

void tarv_mw::popup_quick_toggle(int number)
{
    popup_manager->toggle_popup_number(number);
}

void tarv_mw::flash_popup_buttons()
{
    popup_manager->flash_buttons();
}

void tarv_mw::focus_command_line()
{
    view_->focus_input();
    refocus_pending = 1;
}

// ---- leaving, saving, disconnecting ----

void tarv_mw::save_popup_geometry()
{
    if (popup_manager) popup_manager->save_popup_geometry();
}

void tarv_mw::close_all_popups()
{
    if (!popup_manager) return;
    // Text still going to a popup must not outlive its display.
    if (output_display != main_display.get()) {
        if (output_display && output_display->updates_suspended) output_display->resume_updates();
        output_display = main_display.get();
    }
    popup_manager->close_all_popups();
}

void tarv_mw::close_popup_windows()
{
    close_all_popups();
    // A diversion left open by the old connection would hide the next
    // connection's text in the channel window.
    if (channel_divert) {
        channel_window->clear_divert_channel();
        channel_divert = 0;
    }
}

// ---- the Popups menu ----

void tarv_mw::add_popup_menu_item(const char* label)
{
    if (popup_menu_count_ >= popup_menu_capacity) {
        TARV_LOG(2, "tarv_mw::add_popup_menu_item : too many popup windows!\n");
        return;
    }
    const int id = MENU_POPUP_FIRST + popup_menu_count_;
    popup_menu_labels_[popup_menu_count_] = label ? label : "";
    ++popup_menu_count_;
    menu_ticks_.set_check(id, false);
    menu_ticks_.set_enabled(id, true);
    menu_ticks_.set_enabled(MENU_RESET_POPUP_POSITIONS, true);
    view_->popup_menu_insert(id, label ? label : "");
}

void tarv_mw::reset_popup_menu()
{
    popup_menu_count_ = 0;
    for (auto& label : popup_menu_labels_) label.clear();
    for (int id = MENU_POPUP_FIRST; id <= MENU_POPUP_LAST; ++id) menu_ticks_.set_check(id, false);
    view_->popup_menu_reset();
}

void tarv_mw::check_popup_menu_item(const char* name, bool flag)
{
    if (!name) return;
    for (int i = 0; i < popup_menu_count_; ++i)
        if (popup_menu_labels_[i] == name) {
            set_menu_check(MENU_POPUP_FIRST + i, flag);
            return;
        }
}

const std::string& tarv_mw::popup_menu_label(int menu_id) const
{
    const int i = menu_id - MENU_POPUP_FIRST;
    return i >= 0 && i < popup_menu_count_ ? popup_menu_labels_[i] : no_label;
}

bool tarv_mw::popup_menu_command(int id)
{
    if (id == MENU_RESET_POPUP_POSITIONS) {
        popup_manager->reset_popup_positions();
        return true;
    }
    if (id == MENU_POPUPS_NOT_CONNECTED) return true;
    const std::string name = popup_menu_label(id);
    tarv_popup_button* button = name.empty() ? nullptr : popup_manager->find_button(name.c_str());
    if (!button) {
        TARV_LOG(2, "Warning in tarv_mw::menu_command(), no popup window for menu id %d.\n", id);
        return false;
    }
    button->toggle_state();
    return true;
}
