// The menu bar: its tree, its radio groups, ticks that follow the
// configuration, and what each command does to the configuration and the
// main window.
#include "app/menus.h"

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "../common/log_capture.h"
#include "app/app_test_util.h"
#include "app/mw.h"
#include "config/config.h"
#include "draw/font.h"
#include "net/tcp_socket.h"
#include "text/main_window.h"
#include "text/palette.h"

namespace {

using testing::HasSubstr;
using testing::NiceMock;
using testing::Not;

// ---------------------------------------------------------------- the tree

// One line per entry: "id kind label", submenu children indented by two.
void flatten(std::span<const tarv_menu_entry> entries, const std::string& indent, std::vector<std::string>& out)
{
    static const char* kinds[] = {"normal", "check", "radio", "-", "submenu"};
    for (const auto& e : entries) {
        std::string line = indent + std::to_string(e.id) + " " + kinds[static_cast<int>(e.kind)];
        if (e.label) line += std::string(" ") + e.label;
        out.push_back(line);
        if (e.kind == tarv_menu_kind::submenu) flatten(e.children, indent + "  ", out);
    }
}

TEST(MenuTree, ItemsInOrderWithIdsLabelsAndKinds)
{
    const std::vector<std::string> expected = {
        "[&File]",
        "1 normal &Connect", "2 normal &Disconnect", "0 -", "3 normal &Save Logfile", "0 -",
        "6 normal C&lear Scrollback", "0 -", "4 normal Save and &Quit",
        "[&Preferences]",
        "0 submenu Layout", "  7 radio Embedded", "  8 radio Left Top", "  9 radio Left Bottom",
        "0 -",
        "0 submenu Group Display", "  19 radio Off", "  21 radio Vertical", "  20 radio Horizontal",
        "  22 check Bar Invert",
        "14 check &Status Bar", "15 check S&ky Bar", "16 check HP Bar", "18 check Enemy HP Bar",
        "17 check E&xp Bar", "25 check Show &Color Flash Events", "0 -",
        "23 check Tabbed &Channel Window", "24 check D&uplicate Channel Sends in Main Window", "0 -",
        "10 check &Popup Buttons", "13 check &Function Key Buttons", "12 check &Direction Buttons",
        "11 check &Hint Buttons", "0 -",
        "26 check Select &Last Command", "28 check &Enable Local Echo", "27 check Command Separator",
        "29 check Move Using &Number Pad", "0 -",
        "30 check Main Scrollbar", "31 check Locking Scrollback", "120 check Split Scrollback", "32 check Enable URL Linking", "0 -",
        "34 check Enable Sounds", "0 -", "35 normal Use Default Preferences",
        "[&Themes]",
        "0 submenu Button Colors", "  45 radio Red", "  46 radio Brown", "  47 radio Yellow", "  48 radio YGreen",
        "  49 radio Green", "  50 radio Cyan", "  51 radio Blue", "  52 radio Purple", "  53 radio Grey",
        "0 submenu Background Colors", "  36 radio Red", "  37 radio Brown", "  38 radio Yellow",
        "  39 radio YGreen", "  40 radio Green", "  41 radio Cyan", "  42 radio Blue", "  43 radio Purple",
        "  44 radio Grey",
        "0 submenu Background Styles", "  54 radio None", "  55 radio Solid", "  56 radio Maze1",
        "  57 radio Maze2", "  58 radio Maze3", "  59 radio Bubbles",
        "60 normal Default Color/Background", "0 -",
        "0 submenu Font Colors", "  61 radio Default", "  62 radio ZMud Font Colors", "  63 radio GMud Font Colors",
        "  64 radio Bright Font Colors",
        "65 normal Bigger Font", "66 normal Smaller Font", "33 check Compact Font", "0 -",
        "67 normal Change &Font", "68 normal Change &Button Font",
        "[&Popups]",
        "110 normal Not Connected",
        "[&Maps]",
        "83 normal &Online Maps", "0 -", "69 check &Automap", "70 check Docked Map", "0 -",
        "71 normal Big Map", "72 normal Medium Map", "73 normal Small Map", "0 -",
        "74 normal Increase Map Size", "75 normal Decrease Map Size",
        "[Online &Info]",
        "79 normal Karthem &Web Site", "80 normal Player &Forums", "82 normal &Help Search", "0 -",
        "83 normal &Maps", "86 normal &Quests", "85 normal S&pells and Skills", "84 normal &Shops and Stores",
        "0 -",
        "88 normal Game &Rules", "89 normal All &Commands", "90 normal S&ocials", "91 normal F.A.&Q.", "0 -",
        "92 normal Recent &Changes",
        "[&Help]",
        "76 normal &Keyboard Shortcuts", "77 normal &Basic Commands", "78 normal &More Commands", "0 -",
        "93 normal &About",
    };
    std::vector<std::string> actual;
    for (const auto& menu : tarv_menu_bar()) {
        actual.push_back(std::string("[") + menu.title + "]");
        flatten(menu.entries, "", actual);
    }
    EXPECT_EQ(actual, expected);
}

TEST(MenuTree, OnlyNotConnectedStartsGreyed)
{
    tarv_menu_ticks ticks;
    for (int id = 1; id < tarv_menu_id_limit; ++id) EXPECT_EQ(ticks.enabled(id), id != 110) << id;
    EXPECT_FALSE(ticks.checked(14));
}

TEST(MenuTree, RadioGroupsAreTheRunsOfRadioItems)
{
    const std::vector<std::vector<int>> groups = {
        {7, 8, 9},
        {19, 21, 20},
        {45, 46, 47, 48, 49, 50, 51, 52, 53},
        {36, 37, 38, 39, 40, 41, 42, 43, 44},
        {54, 55, 56, 57, 58, 59},
        {61, 62, 63, 64},
    };
    for (const auto& group : groups)
        for (int id : group) {
            auto found = tarv_menu_radio_group(id);
            EXPECT_EQ(std::vector<int>(found.begin(), found.end()), group) << id;
        }
    // Check items and normal items belong to no group, even beside radios.
    for (int id : {22, 14, 60, 65, 0, 500}) EXPECT_TRUE(tarv_menu_radio_group(id).empty()) << id;
}

TEST(MenuTicks, TickingARadioItemUnticksTheRestOfItsGroupOnly)
{
    tarv_menu_ticks ticks;
    ticks.set_check(22, true);
    ticks.set_check(21, true);
    ticks.set_check(19, true);
    EXPECT_TRUE(ticks.checked(19));
    EXPECT_FALSE(ticks.checked(21));
    EXPECT_TRUE(ticks.checked(22));  // the check item beside the group stays
    ticks.set_check(500, true);      // out of range: ignored
    ticks.set_check(-3, true);
    EXPECT_FALSE(ticks.checked(500));
}

// ---------------------------------------------------------------- main window

class menu_view : public mock_mw_view {
public:
    // What the toolkit bar would show.
    tarv_menu_ticks shown;
    void set_menu_check(int id, bool on) override { shown.set_check(id, on); }
    void enable_menu_item(int id, bool on) override { shown.set_enabled(id, on); }

    bool font_ok = false;
    tarv_font_desc font_chosen;
    tarv_font_desc font_initial;
    bool choose_font(const tarv_font_desc& initial, tarv_font_desc* chosen, std::string* native) override
    {
        font_initial = initial;
        if (!font_ok) return false;
        *chosen = font_chosen;
        *native = "native " + std::to_string(font_chosen.point_size);
        return true;
    }
};

// Every check item with its configuration key.
struct check_row {
    int id;
    int tarv_char_config::*field;  // nullptr: system sound
};
const check_row check_items[] = {
    {22, &tarv_char_config::group_status_inverted_bars},
    {14, &tarv_char_config::status_bar},
    {15, &tarv_char_config::sky_bar},
    {16, &tarv_char_config::hpbar_enable},
    {18, &tarv_char_config::enemy_hpbar_enable},
    {17, &tarv_char_config::exp_display},
    {25, &tarv_char_config::colorflash_enable},
    {23, &tarv_char_config::channel_window_enable},
    {24, &tarv_char_config::channel_window_dupe},
    {10, &tarv_char_config::popup_display},
    {13, &tarv_char_config::fkey_button_display},
    {12, &tarv_char_config::direction_button_enable},
    {11, &tarv_char_config::hint_button_enable},
    {26, &tarv_char_config::cmd_pushthrough},
    {28, &tarv_char_config::local_echo},
    {27, &tarv_char_config::cmd_separator},
    {29, &tarv_char_config::keypad_walking},
    {30, &tarv_char_config::mw_scrollbar_enable},
    {31, &tarv_char_config::locking_scrollback_enable},
    {120, &tarv_char_config::split_scrollback},
    {32, &tarv_char_config::url_hotlinking},
    {33, &tarv_char_config::compact_mode},
    {34, nullptr},
    {69, &tarv_char_config::automap_display},
    {70, &tarv_char_config::automap_docked},
};

const std::vector<std::vector<int>> all_radio_groups = {
    {7, 8, 9}, {19, 21, 20}, {45, 46, 47, 48, 49, 50, 51, 52, 53}, {36, 37, 38, 39, 40, 41, 42, 43, 44},
    {54, 55, 56, 57, 58, 59}, {61, 62, 63, 64},
};

// Fonts are process-wide and the main display measures them when it is
// made: every test starts from the default fonts.
struct default_fonts {
    default_fonts() { tarv_create_fonts(); }
};

struct MenuCommands : testing::Test {
    default_fonts fonts;
    NiceMock<menu_view> view;
    tarv_mw mw{&view};
    TConfig& c = TConfig::instance();

    void SetUp() override
    {
        c.setup_default_config(nullptr);
        c.SetSystemAudio(1);
        tarv_select_palette(0);
        mw.build_menus();
        // As the frame does at construction: the display gets its full width.
        mw.layout_panels();
    }
    // Fonts and palette are process-wide: the next test starts from the defaults.
    void TearDown() override
    {
        tarv_select_palette(0);
        tarv_create_fonts();
    }

    tarv_char_config& record() { return *c.current(); }
    int value_of(const check_row& row) const
    {
        return row.field ? TConfig::instance().current()->*row.field : TConfig::instance().GetSystemAudio();
    }
    // The core's ticks and the view's agree on every item.
    void expect_view_agrees()
    {
        for (int id = 1; id < tarv_menu_id_limit; ++id) {
            EXPECT_EQ(view.shown.checked(id), mw.menu_ticks().checked(id)) << id;
            EXPECT_EQ(view.shown.enabled(id), mw.menu_ticks().enabled(id)) << id;
        }
    }
    int ticked_in(const std::vector<int>& group) const
    {
        int n = 0;
        for (int id : group) n += mw.menu_ticks().checked(id);
        return n;
    }
};

TEST_F(MenuCommands, EachCheckItemFollowsItsOwnKey)
{
    for (const check_row& row : check_items) {
        for (const check_row& other : check_items)
            if (other.field) record().*other.field = 0;
        c.SetSystemAudio(0);
        if (row.field)
            record().*row.field = 1;
        else
            c.SetSystemAudio(1);
        mw.resync_menus();
        for (const check_row& other : check_items)
            EXPECT_EQ(mw.menu_ticks().checked(other.id), other.id == row.id) << "key of " << row.id << ", item "
                                                                              << other.id;
    }
    expect_view_agrees();
}

TEST_F(MenuCommands, RadioItemsFollowTheirKeysWithExactlyOneTicked)
{
    struct row {
        int tarv_char_config::*field;
        int value;
        int item;
    };
    const row rows[] = {
        {&tarv_char_config::current_layout, 0, 7},
        {&tarv_char_config::current_layout, 1, 8},
        {&tarv_char_config::current_layout, 2, 9},
        {&tarv_char_config::group_status_display, 0, 19},
        {&tarv_char_config::group_status_display, 1, 21},
        {&tarv_char_config::group_status_display, 2, 20},
        {&tarv_char_config::font_colors_setting, 0, 61},
        {&tarv_char_config::font_colors_setting, 2, 62},
        {&tarv_char_config::font_colors_setting, 3, 63},
        {&tarv_char_config::font_colors_setting, 1, 64},
        {&tarv_char_config::current_theme, 2, 45},
        {&tarv_char_config::current_theme, 40, 46},
        {&tarv_char_config::current_theme, 0, 47},
        {&tarv_char_config::current_theme, 1, 51},
        {&tarv_char_config::current_theme, 90, 53},
        {&tarv_char_config::current_background_theme, 50, 39},
        {&tarv_char_config::current_background_theme, 1, 42},
        {&tarv_char_config::current_background_theme, 80, 43},
        {&tarv_char_config::theme_bg_setting, 0, 54},
        {&tarv_char_config::theme_bg_setting, 3, 57},
        {&tarv_char_config::theme_bg_setting, 5, 58},
        {&tarv_char_config::theme_bg_setting, 4, 59},
    };
    for (const row& r : rows) {
        record().*r.field = r.value;
        mw.character_config_changed();
        EXPECT_TRUE(mw.menu_ticks().checked(r.item)) << r.item;
        for (const auto& group : all_radio_groups) EXPECT_EQ(ticked_in(group), 1) << "after " << r.item;
    }
    expect_view_agrees();
}

TEST_F(MenuCommands, ThemeValueWithoutAnItemLeavesItsGroupUnticked)
{
    record().current_theme = 33;
    mw.resync_theme_menus();
    EXPECT_EQ(ticked_in(all_radio_groups[2]), 0);
    EXPECT_EQ(ticked_in(all_radio_groups[3]), 1);  // the background colour is unaffected
}

TEST_F(MenuCommands, SettersFromElsewhereMoveTheTicks)
{
    // The server's preference commands and the keyboard use the same setters.
    c.set_status_bar(0);
    c.set_current_layout(0);
    c.set_current_theme(60);
    EXPECT_FALSE(mw.menu_ticks().checked(14));
    EXPECT_TRUE(mw.menu_ticks().checked(7));
    EXPECT_FALSE(mw.menu_ticks().checked(9));
    EXPECT_TRUE(mw.menu_ticks().checked(49));
    // Ctrl-M toggles the automap through the main window: tick and greying.
    mw.toggle_feature(tarv_feature::automap_display);
    EXPECT_EQ(record().automap_display, 0);
    EXPECT_FALSE(mw.menu_ticks().checked(69));
    EXPECT_FALSE(mw.menu_ticks().enabled(71));
    expect_view_agrees();
}

TEST_F(MenuCommands, ChoosingACheckItemFlipsItsKeyAndTick)
{
    for (const check_row& row : check_items) {
        const int before = value_of(row);
        ASSERT_TRUE(mw.menu_command(row.id)) << row.id;
        EXPECT_EQ(value_of(row), before ? 0 : 1) << row.id;
        EXPECT_EQ(mw.menu_ticks().checked(row.id), before == 0) << row.id;
        ASSERT_TRUE(mw.menu_command(row.id)) << row.id;
        EXPECT_EQ(value_of(row), before) << row.id;
        EXPECT_EQ(mw.menu_ticks().checked(row.id), before != 0) << row.id;
    }
    expect_view_agrees();
}

TEST_F(MenuCommands, ChoosingARadioItemStoresItsValue)
{
    struct row {
        int id;
        int tarv_char_config::*field;
        int value;
    };
    const row rows[] = {
        {7, &tarv_char_config::current_layout, 0},
        {8, &tarv_char_config::current_layout, 1},
        {19, &tarv_char_config::group_status_display, 0},
        {20, &tarv_char_config::group_status_display, 2},
        {21, &tarv_char_config::group_status_display, 1},
        {45, &tarv_char_config::current_theme, 2},
        {48, &tarv_char_config::current_theme, 50},
        {52, &tarv_char_config::current_theme, 80},
        {36, &tarv_char_config::current_background_theme, 2},
        {41, &tarv_char_config::current_background_theme, 70},
        {44, &tarv_char_config::current_background_theme, 90},
        {55, &tarv_char_config::theme_bg_setting, 1},
        {58, &tarv_char_config::theme_bg_setting, 5},
        {59, &tarv_char_config::theme_bg_setting, 4},
        {62, &tarv_char_config::font_colors_setting, 2},
        {64, &tarv_char_config::font_colors_setting, 1},
    };
    for (const row& r : rows) {
        ASSERT_TRUE(mw.menu_command(r.id)) << r.id;
        EXPECT_EQ(record().*r.field, r.value) << r.id;
        EXPECT_TRUE(mw.menu_ticks().checked(r.id)) << r.id;
        for (const auto& group : all_radio_groups) EXPECT_EQ(ticked_in(group), 1) << "after " << r.id;
    }
    expect_view_agrees();
}

TEST_F(MenuCommands, ButtonColoursKeepTheBackgroundBackgroundColoursRebuildIt)
{
    EXPECT_CALL(view, rebuild_background()).Times(0);
    ASSERT_TRUE(mw.menu_command(51));  // "Blue" under button colours (already 1: no change)
    ASSERT_TRUE(mw.menu_command(45));  // "Red" under button colours
    EXPECT_EQ(record().current_theme, 2);
    testing::Mock::VerifyAndClearExpectations(&view);

    EXPECT_CALL(view, rebuild_background()).Times(1);
    ASSERT_TRUE(mw.menu_command(42));  // "Blue" under background colours
    EXPECT_EQ(record().current_background_theme, 1);
}

TEST_F(MenuCommands, DefaultColourAndBackgroundSetsAllThree)
{
    record().current_theme = 70;
    record().current_background_theme = 90;
    record().theme_bg_setting = 0;
    mw.resync_theme_menus();
    ASSERT_TRUE(mw.menu_command(60));
    EXPECT_EQ(record().current_theme, 1);
    EXPECT_EQ(record().current_background_theme, 2);
    EXPECT_EQ(record().theme_bg_setting, 3);
    EXPECT_TRUE(mw.menu_ticks().checked(51));
    EXPECT_TRUE(mw.menu_ticks().checked(36));
    EXPECT_TRUE(mw.menu_ticks().checked(57));
}

TEST_F(MenuCommands, FontColoursSwitchThePaletteAndSaySo)
{
    ASSERT_TRUE(mw.menu_command(62));
    EXPECT_EQ(current_palette, &tarv_palettes[2]);
    EXPECT_THAT(mw.display_text(), HasSubstr("\nFuture text will now use ZMud-style ansi colors.\n"));
    ASSERT_TRUE(mw.menu_command(64));
    EXPECT_EQ(current_palette, &tarv_palettes[1]);
    EXPECT_THAT(mw.display_text(), HasSubstr("Future text will now use bright ansi colors."));
}

TEST_F(MenuCommands, LoginTicksAndPaletteFollowTheNewRecord)
{
    tarv_char_config other = c.make_default_record("Morwen");
    other.status_bar = 0;
    other.current_layout = 0;
    other.font_colors_setting = 3;
    other.channel_window_enable = 1;
    c.add(other);
    mw.switch_character_config("Morwen");
    EXPECT_FALSE(mw.menu_ticks().checked(14));
    EXPECT_TRUE(mw.menu_ticks().checked(7));
    EXPECT_TRUE(mw.menu_ticks().checked(63));
    EXPECT_TRUE(mw.menu_ticks().checked(23));
    // The ticked palette is also the one in use.
    EXPECT_EQ(current_palette, &tarv_palettes[3]);
}

TEST_F(MenuCommands, DefaultPreferencesBringEveryTickBack)
{
    const tarv_char_config defaults;
    for (const check_row& row : check_items)
        if (row.field) {
            ASSERT_TRUE(mw.menu_command(row.id)) << row.id;
        }
    for (int id : {8, 20, 46, 37, 55, 63}) ASSERT_TRUE(mw.menu_command(id)) << id;

    ASSERT_TRUE(mw.menu_command(35));
    for (const check_row& row : check_items)
        if (row.field) {
            EXPECT_EQ(mw.menu_ticks().checked(row.id), defaults.*row.field != 0) << row.id;
        }
    EXPECT_TRUE(mw.menu_ticks().checked(tarv_layout_menu_item(defaults.current_layout)));
    EXPECT_TRUE(mw.menu_ticks().checked(tarv_group_mode_menu_item(defaults.group_status_display)));
    EXPECT_TRUE(mw.menu_ticks().checked(tarv_theme_menu_item(45, defaults.current_theme)));
    EXPECT_TRUE(mw.menu_ticks().checked(tarv_theme_menu_item(36, defaults.current_background_theme)));
    EXPECT_TRUE(mw.menu_ticks().checked(tarv_background_style_menu_item(defaults.theme_bg_setting)));
    EXPECT_TRUE(mw.menu_ticks().checked(61));
    for (const auto& group : all_radio_groups) EXPECT_EQ(ticked_in(group), 1);
    expect_view_agrees();
}

TEST_F(MenuCommands, DockedMapSwitchesAnAbsentAutomapOnInOneStep)
{
    record().automap_display = 0;
    record().automap_docked = 1;
    mw.resync_menus();
    ASSERT_TRUE(mw.menu_command(70));
    EXPECT_EQ(record().automap_display, 1);
    EXPECT_EQ(record().automap_docked, 0);
    EXPECT_TRUE(mw.menu_ticks().checked(69));
    EXPECT_FALSE(mw.menu_ticks().checked(70));
    EXPECT_TRUE(mw.menu_ticks().enabled(71));
}

TEST_F(MenuCommands, MapSizesOnlyWhileTheAutomapIsShown)
{
    ASSERT_TRUE(mw.menu_command(69));  // automap off
    for (int id = 71; id <= 75; ++id) EXPECT_FALSE(mw.menu_ticks().enabled(id)) << id;
    record().automap_size = 11;
    {
        LogCapture log(2);
        EXPECT_FALSE(mw.menu_command(71));
        EXPECT_TRUE(log.contains("Warning in tarv_mw::menu_command(), menu id 71 is disabled."));
    }
    EXPECT_EQ(record().automap_size, 11);

    ASSERT_TRUE(mw.menu_command(69));  // automap on
    struct row {
        int id;
        int size;
    };
    for (const row& r : {row{71, 15}, row{73, 7}, row{72, 11}, row{74, 13}, row{75, 11}, row{75, 9}}) {
        ASSERT_TRUE(mw.menu_command(r.id));
        EXPECT_EQ(record().automap_size, r.size) << r.id;
        // The panel takes the view of 18q + 3 with its frame and title strip.
        EXPECT_EQ(mw.automap_display->width(), 18 * r.size + 5) << r.id;
        EXPECT_EQ(mw.automap_display->height(), 18 * r.size + 26) << r.id;
    }
    expect_view_agrees();
}

TEST_F(MenuCommands, UnknownIdsAreRefusedAndLogged)
{
    LogCapture log(2);
    const std::string before = mw.display_text();
    for (int id : {0, 5, -1, 112, 1000}) EXPECT_FALSE(mw.menu_command(id)) << id;
    EXPECT_EQ(mw.display_text(), before);
    EXPECT_EQ(log.count("Warning in tarv_mw::menu_command(), unknown menu id"), 5);
}

TEST_F(MenuCommands, CompactFontFlipsTicksAndTightensTheLines)
{
    record().compact_mode = 0;
    mw.apply_text_font();
    const int full = mw.main_display->text.line_height;
    ASSERT_GT(full, 1);
    ASSERT_TRUE(mw.menu_command(33));
    EXPECT_EQ(record().compact_mode, 1);
    EXPECT_TRUE(mw.menu_ticks().checked(33));
    EXPECT_EQ(mw.main_display->text.line_height, full - 1);
    ASSERT_TRUE(mw.menu_command(33));
    EXPECT_EQ(mw.main_display->text.line_height, full);

    // A character whose record says compact gets compact lines when its
    // window is made.
    record().compact_mode = 1;
    {
        tarv_mw other{&view};
        EXPECT_EQ(other.main_display->text.line_height, full - 1);
    }
    c.set_view(&mw);
    mw_instance = &mw;
}

TEST_F(MenuCommands, SoundThatCannotStartStaysOff)
{
    struct failing_audio_mw : tarv_mw {
        using tarv_mw::tarv_mw;
        bool start_audio() override { return false; }
    };
    failing_audio_mw other{&view};  // takes the configuration's view
    c.SetSystemAudio(0);
    other.build_menus();
    LogCapture log(1);
    ASSERT_TRUE(other.menu_command(34));
    EXPECT_EQ(c.GetSystemAudio(), 0);
    EXPECT_FALSE(other.menu_ticks().checked(34));
    EXPECT_TRUE(log.contains("TConfig::SetSystemAudio() - unable to start audio.  Disabling."));
}

TEST_F(MenuCommands, FontSizesStepByOne)
{
    c.set_default_font_size(8);
    text_font->SetPointSize(8);
    ASSERT_TRUE(mw.menu_command(65));
    EXPECT_EQ(c.default_font_size(), 9);
    EXPECT_EQ(text_font->desc().point_size, 9);
    ASSERT_TRUE(mw.menu_command(66));
    ASSERT_TRUE(mw.menu_command(66));
    EXPECT_EQ(text_font->desc().point_size, 7);
}

TEST_F(MenuCommands, FontDialogsAssignTheChosenFonts)
{
    text_font->SetPointSize(8);
    small_font->SetPointSize(6);
    // Cancelled: nothing changes.
    ASSERT_TRUE(mw.menu_command(67));
    EXPECT_EQ(view.font_initial.point_size, 8);
    EXPECT_EQ(text_font->desc().point_size, 8);

    struct row {
        int id;
        int chosen_size;
        int text_size;    // expected afterwards
        int small_size;
        int panel_size;
    };
    const row rows[] = {
        {67, 12, 12, 6, 8},
        {68, 9, 12, 9, 11},
        // Sizes a stored configuration could not load again are brought in.
        {67, 400, 150, 9, 11},
        {68, 0, 150, 1, 3},
    };
    view.font_ok = true;
    for (const row& r : rows) {
        view.font_chosen = tarv_font_desc{};
        view.font_chosen.point_size = r.chosen_size;
        view.font_chosen.weight = 92;
        ASSERT_TRUE(mw.menu_command(r.id));
        EXPECT_EQ(text_font->desc().point_size, r.text_size) << r.id << " " << r.chosen_size;
        EXPECT_EQ(small_font->desc().point_size, r.small_size) << r.id << " " << r.chosen_size;
        EXPECT_EQ(panel_font->desc().point_size, r.panel_size) << r.id << " " << r.chosen_size;
    }
    EXPECT_EQ(text_font->desc().weight, 92);
    EXPECT_EQ(c.default_font_size(), 150);
    EXPECT_STREQ(c.font(), "native 400");
    EXPECT_EQ(record().font_size, 150);
    EXPECT_STREQ(c.button_font(), "native 0");
    EXPECT_EQ(record().button_font_size, 1);
}

// ---------------------------------------------------------------- client text

TEST_F(MenuCommands, ClearScrollbackLeavesOnlyItsNotice)
{
    mw.main_print_text("old line one\nold line two\n");
    ASSERT_TRUE(mw.menu_command(6));
    EXPECT_THAT(mw.display_text(), Not(HasSubstr("old line")));
    EXPECT_THAT(mw.display_text(), HasSubstr("Scrollback cleared."));
}

TEST_F(MenuCommands, ScreensAndUnbuiltItemsWhileDisconnected)
{
    struct row {
        int id;
        const char* shows;
    };
    const row rows[] = {
        {76, "Keyboard controls you can use with this client:"},
        {77, "You must be connected to the server to view the in-game help."},
        {78, "You must be connected to the server to view the in-game help."},
        {93, "Unable to retrieve server version."},
        {2, "You are not connected to the server."},
    };
    for (const row& r : rows) {
        mw.main_clear();
        ASSERT_TRUE(mw.menu_command(r.id)) << r.id;
        EXPECT_THAT(mw.display_text(), HasSubstr(r.shows)) << r.id;
    }
    EXPECT_EQ(mw.connection.outgoing().length(), 0);
}

struct MenuConnection : MenuCommands {
    held_server server;

    void SetUp() override
    {
        MenuCommands::SetUp();
        ASSERT_EQ(tarv_ssl_startup(), 1);
        c.set_local_echo(0);
        ASSERT_TRUE(c.set_game_host_override("127.0.0.1"));
        ASSERT_TRUE(c.set_game_port_override(server.l.port()));
    }
    // Connects the way the first tick does, then drains the identification
    // line so only what the menus send remains.
    void first_tick()
    {
        mw.connection.socket_handler();
        ASSERT_TRUE(mw.connection.is_connected()) << mw.display_text();
        for (int i = 0; i < 200 && !outgoing(mw).empty(); ++i) {
            mw.connection.socket_handler();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ASSERT_EQ(outgoing(mw), "");
    }
};

TEST_F(MenuConnection, ConnectWhileConnectedOnlySaysSo)
{
    ASSERT_NO_FATAL_FAILURE(first_tick());
    mw.main_clear();
    ASSERT_TRUE(mw.menu_command(1));
    EXPECT_TRUE(mw.connection.is_connected());
    EXPECT_THAT(mw.display_text(), HasSubstr("\nYou are already connected to the server.\n"));
    EXPECT_THAT(mw.display_text(), Not(HasSubstr("Connecting")));
    EXPECT_EQ(outgoing(mw), "");
}

TEST_F(MenuCommands, ConnectWhileDisconnectedTriesTheServer)
{
    ASSERT_TRUE(c.set_game_host_override("127.0.0.1"));
    ASSERT_TRUE(c.set_game_port_override(loopback::closed_port()));
    ASSERT_TRUE(mw.menu_command(1));
    EXPECT_THAT(mw.display_text(), HasSubstr("Connecting to server..."));
    EXPECT_THAT(mw.display_text(), HasSubstr("Unable to connect to server."));
}

TEST_F(MenuConnection, DisconnectAsksOnlyWhileACharacterIsInTheGame)
{
    ASSERT_NO_FATAL_FAILURE(first_tick());
    for (int state : {CREATING_CHARACTER, PLAYING}) {
        mw.set_play_state(state);
        EXPECT_CALL(view, show_exit_dialog(state == PLAYING ? tarv_exit_dialog::disconnect
                                                            : tarv_exit_dialog::newbie_disconnect));
        ASSERT_TRUE(mw.menu_command(2));
        testing::Mock::VerifyAndClearExpectations(&view);
        EXPECT_TRUE(mw.connection.is_connected());
    }
    // Connected but not logged in: gone at once.
    mw.set_play_state(NOT_PLAYING);
    EXPECT_CALL(view, show_exit_dialog).Times(0);
    ASSERT_TRUE(mw.menu_command(2));
    EXPECT_FALSE(mw.connection.is_connected());
    EXPECT_THAT(mw.display_text(), HasSubstr("Disconnecting."));
}

TEST_F(MenuConnection, HelpItemsAskTheServerWhilePlaying)
{
    ASSERT_NO_FATAL_FAILURE(first_tick());
    mw.set_play_state(PLAYING);
    ASSERT_TRUE(mw.menu_command(77));
    ASSERT_TRUE(mw.menu_command(78));
    EXPECT_EQ(outgoing(mw), "help\nhelp me\n");
}

}  // namespace
