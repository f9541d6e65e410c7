// The group display inside the main window: the "group" tag fills it, the
// layout places it in either form, the menu items switch it and a
// disconnect empties and hides it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/app_test_util.h"
#include "app/mw.h"
#include "config/config.h"
#include "draw/font.h"
#include "text/main_window.h"

namespace {

struct default_fonts {
    default_fonts() { tarv_create_fonts(); }
};

struct GroupWiring : testing::Test {
    default_fonts fonts;
    testing::NiceMock<mock_mw_view> view;
    tarv_mw mw{&view};
    TConfig& c = TConfig::instance();

    void SetUp() override
    {
        c.setup_default_config(nullptr);
        mw.build_menus();
        mw.set_play_state(PLAYING);
        c.set_current_layout(LAYOUT_LEFT_TOP);
        c.set_automap_docked(0);
        mw.apply_layout_mode();
    }
    void group(const char* data) { mw.dispatch_tag("group", data, static_cast<int>(std::strlen(data))); }
    tarv_group_display& g() { return *mw.group_display; }
};

TEST_F(GroupWiring, LeftColumnFormFollowsTheTagAndTheMenu)
{
    EXPECT_FALSE(g().IsShown());
    group("10 20 5 5 30 40 Bob\n5 5 5 5 5 5 .Rex.\n");
    EXPECT_TRUE(g().IsShown());
    EXPECT_EQ(g().mode, 1);
    EXPECT_EQ(g().x(), 2);
    EXPECT_EQ(g().y(), 2);
    EXPECT_EQ(g().width(), 160);
    EXPECT_EQ(g().height(), g().preferred_height());

    EXPECT_TRUE(mw.menu_command(MENU_GROUP_OFF));
    EXPECT_FALSE(g().IsShown());
    EXPECT_TRUE(mw.menu_ticks().checked(MENU_GROUP_OFF));
    EXPECT_TRUE(mw.menu_command(MENU_GROUP_HORIZONTAL));
    EXPECT_TRUE(g().IsShown());
    EXPECT_TRUE(mw.menu_ticks().checked(MENU_GROUP_HORIZONTAL));
    EXPECT_EQ(g().current_settings().display, 2);

    const int inverted = c.group_status_inverted_bars();
    EXPECT_TRUE(mw.menu_command(MENU_GROUP_BAR_INVERT));
    EXPECT_EQ(g().current_settings().inverted, inverted == 0);
    EXPECT_EQ(mw.menu_ticks().checked(MENU_GROUP_BAR_INVERT), inverted == 0);
}

TEST_F(GroupWiring, LeftBottomFormEndsAboveTheButtonRow)
{
    c.set_current_layout(LAYOUT_LEFT_BOTTOM);
    group("10 20 5 5 30 40 Bob");
    // 728 high, the bottom button row in use: the column ends at 728 - 48.
    EXPECT_EQ(g().y() + g().height(), 680);
    group("10 20 5 5 30 40 Bob\n1 1 1 1 1 1 Ann");
    EXPECT_EQ(g().y() + g().height(), 680);
}

TEST_F(GroupWiring, EmbeddedFormSitsOverTheText)
{
    c.set_current_layout(LAYOUT_EMBEDDED);
    group("10 20 5 5 30 40 Bob");
    EXPECT_EQ(g().mode, 2);
    EXPECT_TRUE(g().overlay_docked());
    EXPECT_TRUE(g().IsShown());
    // Right of the text, under where the automap panel goes.
    EXPECT_GT(g().x(), mw.main_display->text.width() / 2);
    EXPECT_EQ(g().height(), g().preferred_height());
}

TEST_F(GroupWiring, DisconnectClearsAndHides)
{
    group("10 20 5 5 30 40 Bob");
    ASSERT_TRUE(g().IsShown());
    mw.disconnect_game("Connection closed.");
    EXPECT_FALSE(g().IsShown());
    EXPECT_TRUE(g().entries().empty());
    // A later layout does not bring back an empty panel.
    mw.layout_panels();
    EXPECT_FALSE(g().IsShown());
}

}  // namespace
