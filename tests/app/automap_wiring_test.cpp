// The automap inside the main window: the tags feed it, the layout and the
// Maps menu place it docked or in its own window, and a disconnect empties it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "app/app_test_util.h"
#include "app/mw.h"
#include "config/config.h"
#include "draw/font.h"
#include "text/main_window.h"

namespace {

// Fonts and the configuration come before the window, as at start-up.
struct default_fonts_and_config {
    default_fonts_and_config()
    {
        tarv_create_fonts();
        TConfig::instance().setup_default_config(nullptr);
    }
};

// Records what the toolkit is asked to do with the map's windows.
class map_view : public mock_mw_view {
public:
    void place_automap_window(tarv_layout_parent p) override { parent = p; }
    void show_automap_frame(bool shown) override { frame_shown = shown; }
    void size_automap_frame(int w, int h) override
    {
        frame_width = w;
        frame_height = h;
    }
    tarv_layout_parent parent = tarv_layout_parent::main_window;
    bool frame_shown = false;
    int frame_width = 0, frame_height = 0;
};

struct AutomapWiring : testing::Test {
    default_fonts_and_config before;
    testing::NiceMock<map_view> view;
    tarv_mw mw{&view};
    TConfig& c = TConfig::instance();

    void SetUp() override
    {
        c.set_current_layout(LAYOUT_LEFT_TOP);
        mw.build_menus();
        mw.apply_layout_mode();
        mw.set_play_state(PLAYING);
    }
    void tag(const char* name, const char* data) { mw.dispatch_tag(name, data, static_cast<int>(std::strlen(data))); }
    tarv_automap_display& map() { return *mw.automap_display; }
};

TEST_F(AutomapWiring, TagsFeedTheMapAndADisconnectEmptiesIt)
{
    tag("map", "A\nB\n");  // one green door in the second boundary row
    EXPECT_EQ(map().renderer().cell(1, 2).code, 2);
    tag("dirs", "on AE");
    EXPECT_EQ(map().renderer().exit_mask, 4);
    tag("areaname", "Lantern Quarter");
    tag("combat", "");
    EXPECT_EQ(map().area_name(), "Lantern Quarter");
    EXPECT_TRUE(map().combat());
    tag("ncombat", "");
    EXPECT_FALSE(map().combat());

    mw.disconnect_game("Connection closed.");
    EXPECT_EQ(map().renderer().cell(1, 2).code, 0);
    EXPECT_EQ(map().area_name(), "");
    EXPECT_EQ(map().renderer().sy, 0);
}

TEST_F(AutomapWiring, ServerPointsOutTheMapByFlashingItsFrame)
{
    mw.set_automap_display(false);
    tag("config", "automap flash");
    EXPECT_TRUE(map().IsShown());
    EXPECT_EQ(map().flash_remaining, 16);
    const tarv_bitmap* s = map().paint();
    EXPECT_EQ(s->GetPixel(50, 0), (map().flash_remaining & 1) ? color_white : color_black);
    for (int i = 0; i < 16 * 10; ++i) run_animations(20);  // sixteen steps of 200 ms
    EXPECT_EQ(map().flash_remaining, 0);
}

TEST_F(AutomapWiring, DockedInTheLeftColumnOrInItsOwnWindow)
{
    EXPECT_EQ(view.parent, tarv_layout_parent::main_window);
    EXPECT_TRUE(map().IsShown());
    EXPECT_EQ(map().x(), 2);
    EXPECT_EQ(map().y(), 2);
    EXPECT_EQ(map().width(), 203);
    EXPECT_EQ(map().height(), 224);

    ASSERT_TRUE(mw.menu_command(MENU_DOCKED_MAP));
    EXPECT_EQ(view.parent, tarv_layout_parent::automap_frame);
    EXPECT_TRUE(view.frame_shown);
    EXPECT_EQ(view.frame_width, 203);
    EXPECT_EQ(view.frame_height, 224);
    EXPECT_EQ(map().x(), 0);
    EXPECT_EQ(map().y(), 0);

    // The map window grows with the map.
    mw.increase_map_size();
    EXPECT_EQ(view.frame_width, 18 * 13 + 5);
    EXPECT_EQ(c.automap_size(), 13);

    // Closing that window switches the map off (what the frame does).
    mw.set_automap_display(false);
    EXPECT_FALSE(view.frame_shown);
    EXPECT_FALSE(map().IsShown());
    EXPECT_FALSE(mw.menu_ticks().checked(MENU_AUTOMAP));
    EXPECT_FALSE(mw.menu_ticks().enabled(MENU_BIG_MAP));

    ASSERT_TRUE(mw.menu_command(MENU_DOCKED_MAP));  // on again, docked
    EXPECT_EQ(view.parent, tarv_layout_parent::main_window);
    EXPECT_FALSE(view.frame_shown);
    EXPECT_TRUE(map().IsShown());
    EXPECT_EQ(map().width(), 18 * 13 + 5);
}

TEST_F(AutomapWiring, EmbeddedLayoutPutsItOverTheTextOnlyWhilePlaying)
{
    c.set_current_layout(LAYOUT_EMBEDDED);
    EXPECT_EQ(view.parent, tarv_layout_parent::text_area);
    EXPECT_TRUE(map().overlay_docked());
    EXPECT_TRUE(map().IsShown());
    EXPECT_GT(map().x(), mw.main_display->text.width() / 2);
    mw.disconnect_game("Connection closed.");
    EXPECT_FALSE(map().IsShown());
}

}  // namespace
