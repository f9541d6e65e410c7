// Preference commands from the server's "config" tag, through the real main
// window: the configuration, the menu ticks, the status line flag and the
// blinking panels are what the player gets.
#include "app/preference_commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "../common/log_capture.h"
#include "app/app_test_util.h"
#include "app/mw.h"
#include "config/config.h"
#include "draw/font.h"
#include "input/input_window.h"
#include "text/main_window.h"

namespace {

// The main display measures the process fonts when it is made.
struct default_fonts {
    default_fonts() { tarv_create_fonts(); }
};

struct PreferenceCommands : testing::Test {
    default_fonts fonts;
    testing::NiceMock<mock_mw_view> view;
    tarv_mw mw{&view};
    TConfig& c = TConfig::instance();
    tarv_input_window input{0, 0, 100, 40};

    void SetUp() override
    {
        c.setup_default_config(nullptr);
        mw.build_menus();
        mw.attach_input(&input, nullptr);
        mw.set_play_state(PLAYING);
        mw.layout_panels();
    }
    tarv_char_config& record() { return *c.current(); }
};

struct command_case {
    const char* data;
    int tarv_char_config::*field;  // the key the command is about, or nullptr
    int before, after;
    int menu_id;       // its tick, 0 for none
    bool dirty;        // a client status line is due
    const char* log;   // expected log line, or nullptr for none
};

TEST_F(PreferenceCommands, WordsActionsAndErrors)
{
    using C = tarv_char_config;
    const command_case cases[] = {
        {"automap enable", &C::automap_display, 0, 1, 69, true, nullptr},
        {"AUTOMAP Enable", &C::automap_display, 0, 1, 69, true, nullptr},
        {"automap enable", &C::automap_display, 1, 1, 69, false, nullptr},
        {"automap disable", &C::automap_display, 1, 0, 69, true, nullptr},
        {"automap disable", &C::automap_display, 0, 0, 69, false, nullptr},
        {"hint_buttons disable", &C::hint_button_enable, 1, 0, 11, true, nullptr},
        {"hint_buttons enable", &C::hint_button_enable, 1, 1, 11, false, nullptr},
        {"fkey_buttons enable", &C::fkey_button_display, 0, 1, 13, true, nullptr},
        {"fkey_buttons", &C::fkey_button_display, 0, 0, 13, false, nullptr},
        {"popup_buttons disable", &C::popup_display, 1, 0, 10, true, nullptr},
        {"direction_buttons\tenable", &C::direction_button_enable, 0, 1, 12, true, nullptr},
        {"exp_bar DISABLE and more words", &C::exp_display, 1, 0, 17, true, nullptr},
        {"status_bar disable", &C::hpbar_enable, 1, 0, 16, true, nullptr},
        {"status_bar enable", &C::hpbar_enable, 0, 1, 16, true, nullptr},
        {"fkey_buttons flash", &C::fkey_button_display, 0, 0, 13, false,
         "Error in tarv_mw::parse_cmd_fkey_buttons(), bad command 'flash'.\n"},
        {"direction_buttons flash", &C::direction_button_enable, 0, 0, 12, false,
         "Error in tarv_mw::parse_cmd_direction_buttons(), bad command 'flash'.\n"},
        {"exp_bar flash", &C::exp_display, 1, 1, 17, false,
         "Error in tarv_mw::parse_cmd_exp_bar(), bad command 'flash'.\n"},
        {"automap on", &C::automap_display, 0, 0, 69, false,
         "Error in tarv_mw::parse_cmd_automap(), bad command 'on'.\n"},
        {"hint_buttons enabled", &C::hint_button_enable, 0, 0, 11, false,
         "Error in tarv_mw::parse_cmd_hint_buttons(), bad command 'enabled'.\n"},
        {"status_bar off", &C::hpbar_enable, 1, 1, 16, false,
         "Error in tarv_mw::parse_cmd_status_bar(), bad command 'off'.\n"},
        {"popup_buttons show", &C::popup_display, 1, 1, 10, false,
         "Error in tarv_mw::parse_cmd_popup_display(), bad command 'show'.\n"},
        {"main_window enable", nullptr, 0, 0, 0, false,
         "Error in tarv_mw::parse_cmd_main_display(), bad command 'enable'.\n"},
        {"input_window disable", nullptr, 0, 0, 0, false,
         "Error in tarv_mw::parse_cmd_input_window(), bad command 'disable'.\n"},
        {"main_window", nullptr, 0, 0, 0, false, nullptr},
        {"status_bars enable", nullptr, 0, 0, 0, false,
         "Warning in tarv_mw::config_cmd_process() - got unknown command 'status_bars enable'.\n"},
        {"", nullptr, 0, 0, 0, false, "Warning in tarv_mw::config_cmd_process() - got null string?\n"},
        {" \n", nullptr, 0, 0, 0, false, "Warning in tarv_mw::config_cmd_process() - got null string?\n"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.data);
        SetUp();
        if (k.field) {
            record().*k.field = k.before;
            mw.resync_menus();
        }
        const C saved = record();
        mw.status_dirty = 0;
        LogCapture log(2);
        config_cmd_process(&mw, k.data);
        if (k.field) {
            EXPECT_EQ(record().*k.field, k.after);
            EXPECT_EQ(mw.menu_ticks().checked(k.menu_id), k.after != 0);
            // The bottom status bar is not the HP bar.
            EXPECT_EQ(record().status_bar, saved.status_bar);
        }
        EXPECT_EQ(mw.status_dirty != 0, k.dirty);
        if (k.log)
            EXPECT_EQ(log.text(), k.log);
        else
            EXPECT_EQ(log.text(), "");
    }
}

TEST_F(PreferenceCommands, NullDataIsLogged)
{
    LogCapture log(2);
    config_cmd_process(&mw, nullptr);
    EXPECT_EQ(log.text(), "Warning in tarv_mw::config_cmd_process() - got null string?\n");
}

TEST_F(PreferenceCommands, HintButtonsFlashSwitchesThemOnAndBlinksAllTwelve)
{
    c.set_hint_button_enable(0);
    mw.layout_panels();
    ASSERT_FALSE(mw.hint_buttons->at(0).IsShown());
    mw.status_dirty = 0;

    config_cmd_process(&mw, "hint_buttons flash");
    EXPECT_EQ(record().hint_button_enable, 1);
    EXPECT_TRUE(mw.menu_ticks().checked(MENU_HINT_BUTTONS));
    EXPECT_EQ(mw.status_dirty, 1);
    EXPECT_TRUE(mw.hint_buttons->shown);
    for (int i = 0; i < mw.hint_buttons->count(); ++i) EXPECT_EQ(mw.hint_buttons->at(i).flash_remaining, 16) << i;
    // Sixteen steps of 200 ms (ticks of 20 ms), then the blinking stops.
    for (int tick = 0; tick < 159; ++tick) run_animations(20);
    EXPECT_TRUE(mw.hint_buttons->at(0).flash_active());
    run_animations(20);
    EXPECT_FALSE(mw.hint_buttons->at(0).flash_active());
}

TEST_F(PreferenceCommands, FlashesReachTheirPanels)
{
    record().hpbar_enable = 0;
    mw.resync_menus();
    config_cmd_process(&mw, "Status_Bar FLASH");
    EXPECT_EQ(record().hpbar_enable, 1);
    EXPECT_EQ(mw.status_display->flash_remaining, 16);
    EXPECT_EQ(mw.main_display->flash_remaining, 0);

    config_cmd_process(&mw, "main_window flash");
    EXPECT_EQ(mw.main_display->flash_remaining, 16);
    EXPECT_EQ(input.flash_remaining, 0);
    config_cmd_process(&mw, "input_window flash");
    EXPECT_EQ(input.flash_remaining, 16);

    record().automap_display = 0;
    record().popup_display = 0;
    mw.resync_menus();
    config_cmd_process(&mw, "automap flash");
    config_cmd_process(&mw, "popup_buttons flash");
    EXPECT_EQ(record().automap_display, 1);
    EXPECT_EQ(record().popup_display, 1);
    EXPECT_TRUE(mw.menu_ticks().checked(MENU_POPUP_BUTTONS));
    for (int tick = 0; tick < 160; ++tick) run_animations(20);
}

}  // namespace
