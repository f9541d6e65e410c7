#include "app/menus.h"

#include <vector>

#include "app/mw.h"
#include "app/web_links.h"
#include "config/config.h"
#include "draw/font.h"
#include "support/debug_log.h"
#include "text/main_window.h"
#include "text/palette.h"

namespace {

using K = tarv_menu_kind;

constexpr tarv_menu_entry separator{K::separator, 0, nullptr};

constexpr tarv_menu_entry file_menu[] = {
    {K::normal, MENU_CONNECT, "&Connect"},
    {K::normal, MENU_DISCONNECT, "&Disconnect"},
    separator,
    {K::normal, MENU_SAVE_LOGFILE, "&Save Logfile"},
    separator,
    {K::normal, MENU_CLEAR_SCROLLBACK, "C&lear Scrollback"},
    separator,
    {K::normal, MENU_SAVE_AND_QUIT, "Save and &Quit"},
};

constexpr tarv_menu_entry layout_menu[] = {
    {K::radio, MENU_LAYOUT_EMBEDDED, "Embedded"},
    {K::radio, MENU_LAYOUT_LEFT_TOP, "Left Top"},
    {K::radio, MENU_LAYOUT_LEFT_BOTTOM, "Left Bottom"},
};

constexpr tarv_menu_entry group_menu[] = {
    {K::radio, MENU_GROUP_OFF, "Off"},
    {K::radio, MENU_GROUP_VERTICAL, "Vertical"},
    {K::radio, MENU_GROUP_HORIZONTAL, "Horizontal"},
    {K::check, MENU_GROUP_BAR_INVERT, "Bar Invert"},
};

constexpr tarv_menu_entry preferences_menu[] = {
    {K::submenu, 0, "Layout", layout_menu},
    separator,
    {K::submenu, 0, "Group Display", group_menu},
    {K::check, MENU_STATUS_BAR, "&Status Bar"},
    {K::check, MENU_SKY_BAR, "S&ky Bar"},
    {K::check, MENU_HP_BAR, "HP Bar"},
    {K::check, MENU_ENEMY_HP_BAR, "Enemy HP Bar"},
    {K::check, MENU_EXP_BAR, "E&xp Bar"},
    {K::check, MENU_COLOR_FLASH, "Show &Color Flash Events"},
    separator,
    {K::check, MENU_CHANNEL_WINDOW, "Tabbed &Channel Window"},
    {K::check, MENU_CHANNEL_DUPE, "D&uplicate Channel Sends in Main Window"},
    separator,
    {K::check, MENU_POPUP_BUTTONS, "&Popup Buttons"},
    {K::check, MENU_FKEY_BUTTONS, "&Function Key Buttons"},
    {K::check, MENU_DIRECTION_BUTTONS, "&Direction Buttons"},
    {K::check, MENU_HINT_BUTTONS, "&Hint Buttons"},
    separator,
    {K::check, MENU_SELECT_LAST_COMMAND, "Select &Last Command"},
    {K::check, MENU_LOCAL_ECHO, "&Enable Local Echo"},
    {K::check, MENU_COMMAND_SEPARATOR, "Command Separator"},
    {K::check, MENU_KEYPAD_WALKING, "Move Using &Number Pad"},
    separator,
    {K::check, MENU_MAIN_SCROLLBAR, "Main Scrollbar"},
    {K::check, MENU_LOCKING_SCROLLBACK, "Locking Scrollback"},
    {K::check, MENU_SPLIT_SCROLLBACK, "Split Scrollback"},
    {K::check, MENU_URL_LINKING, "Enable URL Linking"},
    separator,
    {K::check, MENU_SOUNDS, "Enable Sounds"},
    separator,
    {K::normal, MENU_DEFAULT_PREFERENCES, "Use Default Preferences"},
};

// The nine colour sets share their labels between buttons and backgrounds.
#define TARV_COLOR_ITEMS(first)                                                                   \
    {K::radio, (first) + 0, "Red"}, {K::radio, (first) + 1, "Brown"}, {K::radio, (first) + 2, "Yellow"}, \
        {K::radio, (first) + 3, "YGreen"}, {K::radio, (first) + 4, "Green"}, {K::radio, (first) + 5, "Cyan"}, \
        {K::radio, (first) + 6, "Blue"}, {K::radio, (first) + 7, "Purple"}, {K::radio, (first) + 8, "Grey"}

constexpr tarv_menu_entry button_color_menu[] = {TARV_COLOR_ITEMS(MENU_BUTTON_THEME_FIRST)};
constexpr tarv_menu_entry background_color_menu[] = {TARV_COLOR_ITEMS(MENU_BACKGROUND_THEME_FIRST)};
#undef TARV_COLOR_ITEMS

constexpr tarv_menu_entry background_style_menu[] = {
    {K::radio, MENU_BACKGROUND_STYLE_FIRST + 0, "None"},  {K::radio, MENU_BACKGROUND_STYLE_FIRST + 1, "Solid"},
    {K::radio, MENU_BACKGROUND_STYLE_FIRST + 2, "Maze1"}, {K::radio, MENU_BACKGROUND_STYLE_FIRST + 3, "Maze2"},
    {K::radio, MENU_BACKGROUND_STYLE_FIRST + 4, "Maze3"}, {K::radio, MENU_BACKGROUND_STYLE_FIRST + 5, "Bubbles"},
};

constexpr tarv_menu_entry font_color_menu[] = {
    {K::radio, MENU_FONT_COLORS_DEFAULT, "Default"},
    {K::radio, MENU_FONT_COLORS_ZMUD, "ZMud Font Colors"},
    {K::radio, MENU_FONT_COLORS_GMUD, "GMud Font Colors"},
    {K::radio, MENU_FONT_COLORS_BRIGHT, "Bright Font Colors"},
};

constexpr tarv_menu_entry themes_menu[] = {
    {K::submenu, 0, "Button Colors", button_color_menu},
    {K::submenu, 0, "Background Colors", background_color_menu},
    {K::submenu, 0, "Background Styles", background_style_menu},
    {K::normal, MENU_DEFAULT_THEME, "Default Color/Background"},
    separator,
    {K::submenu, 0, "Font Colors", font_color_menu},
    {K::normal, MENU_BIGGER_FONT, "Bigger Font"},
    {K::normal, MENU_SMALLER_FONT, "Smaller Font"},
    {K::check, MENU_COMPACT_FONT, "Compact Font"},
    separator,
    {K::normal, MENU_CHANGE_FONT, "Change &Font"},
    {K::normal, MENU_CHANGE_BUTTON_FONT, "Change &Button Font"},
};

// The popup manager replaces this once popup windows are defined.
constexpr tarv_menu_entry popups_menu[] = {
    {K::normal, MENU_POPUPS_NOT_CONNECTED, "Not Connected", {}, false},
};

constexpr tarv_menu_entry maps_menu[] = {
    {K::normal, MENU_ONLINE_MAPS, "&Online Maps"},
    separator,
    {K::check, MENU_AUTOMAP, "&Automap"},
    {K::check, MENU_DOCKED_MAP, "Docked Map"},
    separator,
    {K::normal, MENU_BIG_MAP, "Big Map"},
    {K::normal, MENU_MEDIUM_MAP, "Medium Map"},
    {K::normal, MENU_SMALL_MAP, "Small Map"},
    separator,
    {K::normal, MENU_INCREASE_MAP, "Increase Map Size"},
    {K::normal, MENU_DECREASE_MAP, "Decrease Map Size"},
};

constexpr tarv_menu_entry online_info_menu[] = {
    {K::normal, 79, "Karthem &Web Site"},
    {K::normal, 80, "Player &Forums"},
    {K::normal, 82, "&Help Search"},
    separator,
    {K::normal, 83, "&Maps"},
    {K::normal, 86, "&Quests"},
    {K::normal, 85, "S&pells and Skills"},
    {K::normal, 84, "&Shops and Stores"},
    separator,
    {K::normal, 88, "Game &Rules"},
    {K::normal, 89, "All &Commands"},
    {K::normal, 90, "S&ocials"},
    {K::normal, 91, "F.A.&Q."},
    separator,
    {K::normal, 92, "Recent &Changes"},
};

constexpr tarv_menu_entry help_menu[] = {
    {K::normal, MENU_KEYBOARD_HELP, "&Keyboard Shortcuts"},
    {K::normal, MENU_BASIC_COMMANDS, "&Basic Commands"},
    {K::normal, MENU_MORE_COMMANDS, "&More Commands"},
    separator,
    {K::normal, MENU_ABOUT, "&About"},
};

constexpr tarv_menu_def menu_bar[] = {
    {"&File", file_menu},       {"&Preferences", preferences_menu}, {"&Themes", themes_menu},
    {"&Popups", popups_menu},   {"&Maps", maps_menu},               {"Online &Info", online_info_menu},
    {"&Help", help_menu},
};

const tarv_menu_entry* find_in(std::span<const tarv_menu_entry> entries, int id)
{
    for (const auto& entry : entries) {
        if (entry.kind == K::submenu) {
            if (const auto* found = find_in(entry.children, id)) return found;
        } else if (entry.id == id && entry.kind != K::separator) {
            return &entry;
        }
    }
    return nullptr;
}

// Runs of consecutive radio items within one menu; anything else ends a run.
void collect_groups(std::span<const tarv_menu_entry> entries, std::vector<std::vector<int>>& groups)
{
    bool in_run = false;
    for (const auto& entry : entries) {
        if (entry.kind == K::radio) {
            if (!in_run) groups.emplace_back();
            groups.back().push_back(entry.id);
            in_run = true;
            continue;
        }
        in_run = false;
        if (entry.kind == K::submenu) collect_groups(entry.children, groups);
    }
}

const std::vector<std::vector<int>>& radio_groups()
{
    static const std::vector<std::vector<int>> groups = [] {
        std::vector<std::vector<int>> out;
        for (const auto& menu : menu_bar) collect_groups(menu.entries, out);
        return out;
    }();
    return groups;
}

bool valid_id(int id)
{
    return id > 0 && id < tarv_menu_id_limit;
}

}  // namespace

std::span<const tarv_menu_def> tarv_menu_bar()
{
    return menu_bar;
}

int tarv_font_colors_menu_item(int setting)
{
    for (int i = 0; i < 4; ++i)
        if (tarv_font_color_settings[i] == setting) return MENU_FONT_COLORS_DEFAULT + i;
    return 0;
}

const tarv_menu_entry* tarv_find_menu_entry(int id)
{
    for (const auto& menu : menu_bar)
        if (const auto* found = find_in(menu.entries, id)) return found;
    return nullptr;
}

std::span<const int> tarv_menu_radio_group(int id)
{
    for (const auto& group : radio_groups())
        for (int member : group)
            if (member == id) return group;
    return {};
}

tarv_menu_ticks::tarv_menu_ticks()
{
    enabled_.fill(true);
    for (int id = 1; id < tarv_menu_id_limit; ++id)
        if (const auto* entry = tarv_find_menu_entry(id)) enabled_[id] = entry->initially_enabled;
}

void tarv_menu_ticks::set_check(int id, bool on)
{
    if (!valid_id(id)) return;
    if (on)
        for (int member : tarv_menu_radio_group(id)) checked_[member] = false;
    checked_[id] = on;
}

bool tarv_menu_ticks::checked(int id) const
{
    return valid_id(id) && checked_[id];
}

void tarv_menu_ticks::set_enabled(int id, bool on)
{
    if (valid_id(id)) enabled_[id] = on;
}

bool tarv_menu_ticks::enabled(int id) const
{
    return valid_id(id) && enabled_[id];
}

// ---------------------------------------------------------------- commands

namespace {

// The automap sizes of "Big Map", "Medium Map" and "Small Map".
constexpr int big_map_size = 15;
constexpr int medium_map_size = 11;
constexpr int small_map_size = 7;

// Sizes a stored font must keep to load again unchanged.
constexpr int min_text_font_size = 2;
constexpr int max_text_font_size = 150;
constexpr int min_button_font_size = 1;
constexpr int max_button_font_size = 254;  // the panel font is two points larger

int clamp_font_size(int size, int low, int high)
{
    if (size >= low && size <= high) return size;
    TARV_LOG(2, "Warning in tarv_mw::menu_command(), font size %d out of range.\n", size);
    return size < low ? low : high;
}

}  // namespace

void tarv_mw::set_menu_check(int menu_id, bool checked)
{
    menu_ticks_.set_check(menu_id, checked);
    view_->set_menu_check(menu_id, checked);
}

void tarv_mw::enable_menu_item(int menu_id, bool enabled)
{
    menu_ticks_.set_enabled(menu_id, enabled);
    view_->enable_menu_item(menu_id, enabled);
}

void tarv_mw::tick_radio(int first_item, int count, int item)
{
    if (item) {
        set_menu_check(item, true);
        return;
    }
    // A value no item stands for leaves the whole group unticked.
    for (int id = first_item; id < first_item + count; ++id) set_menu_check(id, false);
}

void tarv_mw::tick_menus_from_config()
{
    const TConfig& c = TConfig::instance();
    tick_radio(MENU_LAYOUT_EMBEDDED, 3, tarv_layout_menu_item(c.current_layout()));
    tick_radio(MENU_GROUP_OFF, 3, tarv_group_mode_menu_item(c.group_status_display()));
    tick_radio(MENU_FONT_COLORS_DEFAULT, 4, tarv_font_colors_menu_item(c.font_colors_setting()));
    const struct {
        int id;
        int value;
    } checks[] = {
        {MENU_GROUP_BAR_INVERT, c.group_status_inverted_bars()},
        {MENU_STATUS_BAR, c.status_bar()},
        {MENU_SKY_BAR, c.sky_bar()},
        {MENU_HP_BAR, c.hpbar_enable()},
        {MENU_ENEMY_HP_BAR, c.enemy_hpbar_enable()},
        {MENU_EXP_BAR, c.exp_display()},
        {MENU_COLOR_FLASH, c.colorflash_enable()},
        {MENU_CHANNEL_WINDOW, c.channel_window_enable()},
        {MENU_CHANNEL_DUPE, c.channel_window_dupe()},
        {MENU_POPUP_BUTTONS, c.popup_display()},
        {MENU_FKEY_BUTTONS, c.fkey_button_display()},
        {MENU_DIRECTION_BUTTONS, c.direction_button_enable()},
        {MENU_HINT_BUTTONS, c.hint_button_enable()},
        {MENU_SELECT_LAST_COMMAND, c.cmd_pushthrough()},
        {MENU_LOCAL_ECHO, c.local_echo()},
        {MENU_COMMAND_SEPARATOR, c.cmd_separator()},
        {MENU_KEYPAD_WALKING, c.keypad_walking()},
        {MENU_MAIN_SCROLLBAR, c.mw_scrollbar_enable()},
        {MENU_LOCKING_SCROLLBACK, c.locking_scrollback_enable()},
        {MENU_SPLIT_SCROLLBACK, c.split_scrollback()},
        {MENU_URL_LINKING, c.url_hotlinking()},
        {MENU_COMPACT_FONT, c.compact_mode()},
        {MENU_SOUNDS, c.GetSystemAudio()},
        {MENU_AUTOMAP, c.automap_display()},
        {MENU_DOCKED_MAP, c.automap_docked()},
    };
    for (const auto& check : checks) set_menu_check(check.id, check.value != 0);
}

void tarv_mw::tick_theme_menus()
{
    const TConfig& c = TConfig::instance();
    tick_radio(MENU_BUTTON_THEME_FIRST, 9, tarv_theme_menu_item(MENU_BUTTON_THEME_FIRST, c.current_theme()));
    tick_radio(MENU_BACKGROUND_THEME_FIRST, 9,
               tarv_theme_menu_item(MENU_BACKGROUND_THEME_FIRST, c.current_background_theme()));
    tick_radio(MENU_BACKGROUND_STYLE_FIRST, 6, tarv_background_style_menu_item(c.theme_bg_setting()));
}

void tarv_mw::build_menus()
{
    tick_theme_menus();
    tick_menus_from_config();
    // The ticked palette is the one in use, also after a restart.
    tarv_select_palette(TConfig::instance().font_colors_setting());
    enable_menu_item(MENU_POPUPS_NOT_CONNECTED, false);
    update_map_menu();
}

void tarv_mw::resync_theme_menus()
{
    tick_theme_menus();
    apply_theme_change(false);
    status_dirty = 1;
}

void tarv_mw::resync_menus()
{
    const TConfig& c = TConfig::instance();
    tick_menus_from_config();
    tarv_select_palette(c.font_colors_setting());
    if (play_state_ == PLAYING) {
        status_bar->Show(c.status_bar() != 0);
        status_bar->sky_bar.Show(c.sky_bar() != 0);
        set_status_display_bars(c.hpbar_enable() != 0, c.exp_display() != 0, c.enemy_hpbar_enable() != 0);
    }
    automap_display->set_cell_size(c.automap_size());
    update_map_menu();
    update_automap_visibility();
    main_display->set_scrollbar_enable(c.mw_scrollbar_enable() != 0);
    apply_layout_mode();
    status_dirty = 1;
}

void tarv_mw::update_map_menu()
{
    const bool on = TConfig::instance().automap_display() != 0;
    for (int id = MENU_BIG_MAP; id <= MENU_DECREASE_MAP; ++id) enable_menu_item(id, on);
}

void tarv_mw::set_automap_display(bool on)
{
    TConfig::instance().set_automap_display(on ? 1 : 0);
    set_menu_check(MENU_AUTOMAP, on);
    update_map_menu();
    update_automap_visibility();
    layout_panels();
}

void tarv_mw::toggle_automap()
{
    set_automap_display(TConfig::instance().automap_display() == 0);
}

void tarv_mw::menu_not_available(int id, const char* what)
{
    TARV_LOG(3, "tarv_mw::menu_command() - item %d: %s not available.\n", id, what);
}

void tarv_mw::print_client_lines(std::initializer_list<const char*> lines)
{
    begin_client_message();
    for (const char* line : lines) main_print_text(line);
    main_refresh();
}

void tarv_mw::choose_font_colors(int id)
{
    const int setting = tarv_font_color_settings[id - MENU_FONT_COLORS_DEFAULT];
    TConfig::instance().set_font_colors_setting(setting);
    tarv_select_palette(setting);
    set_menu_check(id, true);
    print_client_lines({"\n", "\n", "Future text will now use ", tarv_palette_name(setting), " ansi colors.\n", "\n"});
}

void tarv_mw::change_text_font()
{
    tarv_font_desc chosen;
    std::string native;
    if (!text_font || !view_->choose_font(text_font->desc(), &chosen, &native)) return;
    chosen.point_size = clamp_font_size(chosen.point_size, min_text_font_size, max_text_font_size);
    TConfig& c = TConfig::instance();
    c.set_default_font_size(chosen.point_size);
    text_font->assign_font(chosen);
    c.set_font_from(native, chosen.point_size);
    apply_text_font();
}

void tarv_mw::change_button_font()
{
    tarv_font_desc chosen;
    std::string native;
    if (!small_font || !view_->choose_font(small_font->desc(), &chosen, &native)) return;
    chosen.point_size = clamp_font_size(chosen.point_size, min_button_font_size, max_button_font_size);
    small_font->assign_font(chosen);
    if (panel_font) {
        tarv_font_desc larger = chosen;
        larger.point_size += 2;
        panel_font->assign_font(larger);
    }
    TConfig::instance().set_button_font_from(native, chosen.point_size);
    apply_button_fonts();
}

void tarv_mw::use_default_preferences()
{
    TConfig& c = TConfig::instance();
    c.reset_char_config_to_defaults();
    // Setters that tell other parts of the client about their value.
    c.set_cmd_pushthrough(c.cmd_pushthrough());
    c.set_local_echo(c.local_echo());
    c.set_cmd_separator(c.cmd_separator());
    c.set_keypad_walking(c.keypad_walking());
    c.set_locking_scrollback_enable(c.locking_scrollback_enable());
    c.set_url_hotlinking(c.url_hotlinking());
    c.set_channel_window_dupe(c.channel_window_dupe());
    c.set_colorflash_enable(c.colorflash_enable());
    resync_menus();
}

bool tarv_mw::menu_command(int id)
{
    TConfig& c = TConfig::instance();
    if (id <= 0 || id >= tarv_menu_id_limit) {
        TARV_LOG(2, "Warning in tarv_mw::menu_command(), unknown menu id %d.\n", id);
        return false;
    }
    // A stray event for a greyed item must not act.
    if (!menu_ticks_.enabled(id)) {
        TARV_LOG(2, "Warning in tarv_mw::menu_command(), menu id %d is disabled.\n", id);
        return false;
    }
    auto flip = [](int value) { return value ? 0 : 1; };

    if (id >= MENU_BUTTON_THEME_FIRST && id < MENU_BUTTON_THEME_FIRST + 9) {
        c.set_current_theme(tarv_theme_ids[id - MENU_BUTTON_THEME_FIRST]);
        return true;
    }
    if (id >= MENU_BACKGROUND_THEME_FIRST && id < MENU_BACKGROUND_THEME_FIRST + 9) {
        c.set_current_background_theme(tarv_theme_ids[id - MENU_BACKGROUND_THEME_FIRST]);
        return true;
    }
    if (id >= MENU_BACKGROUND_STYLE_FIRST && id < MENU_BACKGROUND_STYLE_FIRST + 6) {
        c.set_theme_bg_setting(tarv_background_styles[id - MENU_BACKGROUND_STYLE_FIRST]);
        return true;
    }
    if (id >= MENU_FONT_COLORS_DEFAULT && id <= MENU_FONT_COLORS_BRIGHT) {
        choose_font_colors(id);
        return true;
    }
    if (id >= MENU_WEB_FIRST && id <= MENU_WEB_LAST) return open_web_link(*this, id);
    if ((id >= MENU_POPUP_FIRST && id <= MENU_POPUP_LAST) || id == MENU_RESET_POPUP_POSITIONS ||
        id == MENU_POPUPS_NOT_CONNECTED)
        return popup_menu_command(id);

    switch (id) {
    case MENU_CONNECT:
        if (is_connected())
            print_client_lines({"\nYou are already connected to the server.\n"});
        else
            process_command("connect", false);
        main_refresh();
        return true;
    case MENU_DISCONNECT:
        if (!is_connected())
            print_client_lines({"\nYou are not connected to the server.\n"});
        else if (play_state_ == CREATING_CHARACTER || play_state_ == PLAYING)
            verify_disconnect();
        else
            process_command("//disconnect", false);
        main_refresh();
        return true;
    case MENU_SAVE_LOGFILE: save_logfile(); return true;
    case MENU_CLEAR_SCROLLBACK:
        main_clear();
        clear_channels();
        print_client_lines({"\n", "\n", "Scrollback cleared.\n", "\n"});
        return true;
    case MENU_SAVE_AND_QUIT: menu_file_save_and_quit(); return true;

    case MENU_LAYOUT_EMBEDDED:
    case MENU_LAYOUT_LEFT_TOP:
    case MENU_LAYOUT_LEFT_BOTTOM: c.set_current_layout(id - MENU_LAYOUT_EMBEDDED); return true;
    case MENU_GROUP_OFF: c.set_group_status_display(0); return true;
    case MENU_GROUP_VERTICAL: c.set_group_status_display(1); return true;
    case MENU_GROUP_HORIZONTAL: c.set_group_status_display(2); return true;
    case MENU_GROUP_BAR_INVERT:
        c.set_group_status_inverted_bars(flip(c.group_status_inverted_bars()));
        group_display->Refresh();
        return true;
    case MENU_STATUS_BAR: c.set_status_bar(flip(c.status_bar())); return true;
    case MENU_SKY_BAR: c.set_sky_bar(flip(c.sky_bar())); return true;
    case MENU_HP_BAR: c.set_hpbar_enable(flip(c.hpbar_enable())); return true;
    case MENU_ENEMY_HP_BAR: c.set_enemy_hpbar_enable(flip(c.enemy_hpbar_enable())); return true;
    case MENU_EXP_BAR: c.set_exp_display(flip(c.exp_display())); return true;
    case MENU_COLOR_FLASH: c.set_colorflash_enable(flip(c.colorflash_enable())); return true;
    case MENU_CHANNEL_WINDOW:
        c.set_channel_window_enable(flip(c.channel_window_enable()));
        set_menu_check(id, c.channel_window_enable() != 0);
        return true;
    case MENU_CHANNEL_DUPE:
        c.set_channel_window_dupe(flip(c.channel_window_dupe()));
        set_menu_check(id, c.channel_window_dupe() != 0);
        return true;
    case MENU_POPUP_BUTTONS: c.set_popup_display(flip(c.popup_display())); return true;
    case MENU_FKEY_BUTTONS: c.set_fkey_button_display(flip(c.fkey_button_display())); return true;
    case MENU_DIRECTION_BUTTONS: c.set_direction_button_enable(flip(c.direction_button_enable())); return true;
    case MENU_HINT_BUTTONS: c.set_hint_button_enable(flip(c.hint_button_enable())); return true;
    case MENU_SELECT_LAST_COMMAND: c.set_cmd_pushthrough(flip(c.cmd_pushthrough())); return true;
    case MENU_LOCAL_ECHO: c.set_local_echo(flip(c.local_echo())); return true;
    case MENU_COMMAND_SEPARATOR: c.set_cmd_separator(flip(c.cmd_separator())); return true;
    case MENU_KEYPAD_WALKING: c.set_keypad_walking(flip(c.keypad_walking())); return true;
    case MENU_MAIN_SCROLLBAR: c.set_mw_scrollbar_enable(flip(c.mw_scrollbar_enable())); return true;
    case MENU_LOCKING_SCROLLBACK: c.set_locking_scrollback_enable(flip(c.locking_scrollback_enable())); return true;
    case MENU_SPLIT_SCROLLBACK:
        c.set_split_scrollback(flip(c.split_scrollback()));
        main_display->text.Refresh();
        return true;
    case MENU_URL_LINKING: c.set_url_hotlinking(flip(c.url_hotlinking())); return true;
    case MENU_SOUNDS: c.SetSystemAudio(flip(c.GetSystemAudio())); return true;
    case MENU_DEFAULT_PREFERENCES: use_default_preferences(); return true;

    case MENU_DEFAULT_THEME:
        c.set_current_theme(1);
        c.set_current_background_theme(2);
        c.set_theme_bg_setting(3);
        return true;
    case MENU_BIGGER_FONT: increase_text_size(); return true;
    case MENU_SMALLER_FONT: decrease_text_size(); return true;
    case MENU_COMPACT_FONT:
        c.set_compact_mode(flip(c.compact_mode()));
        apply_text_font();
        return true;
    case MENU_CHANGE_FONT: change_text_font(); return true;
    case MENU_CHANGE_BUTTON_FONT: change_button_font(); return true;

    case MENU_AUTOMAP: toggle_automap(); return true;
    case MENU_DOCKED_MAP:
        if (!c.automap_display()) set_automap_display(true);
        c.set_automap_docked(flip(c.automap_docked()));
        set_menu_check(id, c.automap_docked() != 0);
        place_automap();
        layout_panels();
        view_->repaint();
        return true;
    case MENU_BIG_MAP: set_map_size(big_map_size); return true;
    case MENU_MEDIUM_MAP: set_map_size(medium_map_size); return true;
    case MENU_SMALL_MAP: set_map_size(small_map_size); return true;
    case MENU_INCREASE_MAP: increase_map_size(); return true;
    case MENU_DECREASE_MAP: decrease_map_size(); return true;

    case MENU_KEYBOARD_HELP: commands_.show_keyboard_help(); return true;
    case MENU_BASIC_COMMANDS: commands_.show_ingame_help(false); return true;
    case MENU_MORE_COMMANDS: commands_.show_ingame_help(true); return true;
    case MENU_ABOUT: commands_.show_version_screen(); return true;
    default: break;
    }
    TARV_LOG(2, "Warning in tarv_mw::menu_command(), unknown menu id %d.\n", id);
    return false;
}
