// The main window's menu bar as data: every item's id, label and kind in
// display order, the radio groups they form, and the tick and enabled state
// the toolkit menu bar mirrors. The commands themselves are tarv_mw members
// (menus.cpp), so tests drive them without a display.
#pragma once

#include <array>
#include <span>

#include "config/config_view.h"

enum class tarv_menu_kind { normal, check, radio, separator, submenu };

struct tarv_menu_entry {
    tarv_menu_kind kind;
    int id;             // 0 for separators and submenus
    const char* label;  // nullptr for separators
    std::span<const tarv_menu_entry> children = {};  // submenus only
    bool initially_enabled = true;
};

struct tarv_menu_def {
    const char* title;
    std::span<const tarv_menu_entry> entries;
};

// Ids beyond those of the configuration setters (config_view.h).
enum tarv_menu_command : int {
    MENU_CONNECT = 1,
    MENU_DISCONNECT = 2,
    MENU_SAVE_LOGFILE = 3,
    MENU_SAVE_AND_QUIT = 4,
    MENU_CLEAR_SCROLLBACK = 6,
    MENU_DEFAULT_PREFERENCES = 35,
    MENU_DEFAULT_THEME = 60,
    MENU_FONT_COLORS_DEFAULT = 61,
    MENU_FONT_COLORS_ZMUD = 62,
    MENU_FONT_COLORS_GMUD = 63,
    MENU_FONT_COLORS_BRIGHT = 64,
    MENU_BIGGER_FONT = 65,
    MENU_SMALLER_FONT = 66,
    MENU_CHANGE_FONT = 67,
    MENU_CHANGE_BUTTON_FONT = 68,
    MENU_AUTOMAP = 69,
    MENU_DOCKED_MAP = 70,
    MENU_BIG_MAP = 71,
    MENU_MEDIUM_MAP = 72,
    MENU_SMALL_MAP = 73,
    MENU_INCREASE_MAP = 74,
    MENU_DECREASE_MAP = 75,
    MENU_KEYBOARD_HELP = 76,
    MENU_BASIC_COMMANDS = 77,
    MENU_MORE_COMMANDS = 78,
    MENU_WEB_FIRST = 79,  // 79..92: web pages
    MENU_ONLINE_MAPS = 83,
    MENU_WEB_LAST = 92,
    MENU_ABOUT = 93,
    MENU_POPUP_FIRST = 94,  // 94..109: one per popup window
    MENU_POPUP_LAST = 109,
    MENU_POPUPS_NOT_CONNECTED = 110,
    MENU_RESET_POPUP_POSITIONS = 111,
};

// Every id is below this.
inline constexpr int tarv_menu_id_limit = 121;

// The menu bar, left to right.
std::span<const tarv_menu_def> tarv_menu_bar();

// font_colors_setting of the items 61..64, in that order.
inline constexpr int tarv_font_color_settings[4] = {0, 2, 3, 1};
int tarv_font_colors_menu_item(int setting);

// The entry with this id (the first one for an id used twice), or nullptr.
const tarv_menu_entry* tarv_find_menu_entry(int id);
// The ids of the radio group holding this id: the run of radio items it
// belongs to within one menu. Empty when the id is not a radio item.
std::span<const int> tarv_menu_radio_group(int id);

// The ticks and enabled flags of every item, as the toolkit shows them:
// ticking a radio item unticks the rest of its group.
class tarv_menu_ticks {
public:
    tarv_menu_ticks();
    // Ids out of range are ignored.
    void set_check(int id, bool on);
    bool checked(int id) const;
    void set_enabled(int id, bool on);
    bool enabled(int id) const;

private:
    std::array<bool, tarv_menu_id_limit> checked_{};
    std::array<bool, tarv_menu_id_limit> enabled_{};
};
