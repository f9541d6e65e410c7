// What the configuration asks of the main window when a setting changes.
// The toolkit side implements it and installs it with
// TConfig::set_view; without one, setters only store their values.
#pragma once

#include <string>

#include "draw/font.h"

// Menu item ids the setters tick (the menu bar uses the same numbers).
enum tarv_menu_id : int {
    MENU_LAYOUT_EMBEDDED = 7,
    MENU_LAYOUT_LEFT_TOP = 8,
    MENU_LAYOUT_LEFT_BOTTOM = 9,
    MENU_POPUP_BUTTONS = 10,
    MENU_HINT_BUTTONS = 11,
    MENU_DIRECTION_BUTTONS = 12,
    MENU_FKEY_BUTTONS = 13,
    MENU_STATUS_BAR = 14,
    MENU_SKY_BAR = 15,
    MENU_HP_BAR = 16,
    MENU_EXP_BAR = 17,
    MENU_ENEMY_HP_BAR = 18,
    MENU_GROUP_OFF = 19,
    MENU_GROUP_HORIZONTAL = 20,
    MENU_GROUP_VERTICAL = 21,
    MENU_GROUP_BAR_INVERT = 22,
    MENU_CHANNEL_WINDOW = 23,
    MENU_CHANNEL_DUPE = 24,
    MENU_COLOR_FLASH = 25,
    MENU_SELECT_LAST_COMMAND = 26,
    MENU_COMMAND_SEPARATOR = 27,
    MENU_LOCAL_ECHO = 28,
    MENU_KEYPAD_WALKING = 29,
    MENU_MAIN_SCROLLBAR = 30,
    MENU_LOCKING_SCROLLBACK = 31,
    MENU_URL_LINKING = 32,
    MENU_COMPACT_FONT = 33,
    MENU_SPLIT_SCROLLBACK = 120,
    MENU_SOUNDS = 34,
    MENU_BACKGROUND_THEME_FIRST = 36,  // 36..44, same order as the theme ids
    MENU_BUTTON_THEME_FIRST = 45,      // 45..53
    MENU_BACKGROUND_STYLE_FIRST = 54,  // 54..59
};

// Theme ids in menu order: Red, Brown, Yellow, YGreen, Green, Cyan, Blue,
// Purple, Grey.
inline constexpr int tarv_theme_ids[9] = {2, 40, 0, 50, 60, 70, 1, 80, 90};
// Background styles in menu order: None, Solid, Maze1, Maze2, Maze3, Bubbles.
inline constexpr int tarv_background_styles[6] = {0, 1, 2, 3, 5, 4};

// Menu item of a theme id (first + position), or 0 when no item matches.
int tarv_theme_menu_item(int first_item, int theme_id);
int tarv_background_style_menu_item(int style);
// Group display mode 0 / 1 / 2 to its radio item, or 0.
int tarv_group_mode_menu_item(int mode);
int tarv_layout_menu_item(int layout);

// Panels whose visibility a setter switches directly.
enum class tarv_config_panel { status_bar, sky_bar, group_display, channel_window, main_scrollbar };

class tarv_config_view {
public:
    virtual ~tarv_config_view() = default;

    // Ticks or unticks a check item; for a radio item, true selects it.
    virtual void set_menu_check(int menu_id, bool checked) = 0;
    // The client status line is due (sent by the tick while playing).
    virtual void mark_status_dirty() = 0;
    // layout_panels and a repaint of the whole window.
    virtual void relayout() = 0;
    virtual void repaint() = 0;
    // The main display re-wraps after a change of compact mode.
    virtual void refresh_main_display_layout() = 0;
    // The window decides what showing means while not playing.
    virtual void show_panel(tarv_config_panel panel, bool shown) = 0;
    // The status display draws these bars and is shown while any is on.
    virtual void set_status_display_bars(bool hp, bool exp, bool enemy) = 0;
    // apply_layout_mode after a change of current_layout.
    virtual void apply_layout_mode() = 0;
    // Re-selects the themes; a new background is built only when forced.
    virtual void apply_theme_change(bool force_background) = 0;
    // false when the audio output cannot be opened.
    virtual bool start_audio() = 0;
    virtual void stop_audio() = 0;
    // Turns a native font description into a font; false when the toolkit
    // cannot parse it (then only the size is applied).
    virtual bool parse_native_font(const std::string& description, tarv_font_desc* out) = 0;
    // A different record became current or the current one was reset:
    // re-tick every menu item and re-apply the layout and themes.
    virtual void character_config_changed() = 0;
};
