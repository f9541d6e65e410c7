// The main display: scrollbar setting and the overlay places of the docked
// automap and the group display.
#include <gtest/gtest.h>

#include "text/main_window.h"
#include "text_test_util.h"

namespace {

class FakePanel : public tarv_embedded_window {
public:
    FakePanel(int w, int h) : tarv_embedded_window(0, 0, w, h) {}
    void update_content(bool) override {}
    void render(tarv_bitmap&) override {}
};

class FakeMap : public tarv_automap_overlay {
public:
    tarv_embedded_window& overlay_window() override { return panel; }
    bool overlay_docked() const override { return docked; }
    int overlay_cell_size() const override { return 4; }
    FakePanel panel{100, 80};
    bool docked = true;
};

class FakeGroup : public tarv_group_overlay {
public:
    tarv_embedded_window& overlay_window() override { return panel; }
    bool overlay_docked() const override { return true; }
    bool overlay_has_content() const override { return has_content; }
    int overlay_wanted_height() const override { return 50; }
    FakePanel panel{10, 10};
    bool has_content = true;
};

class MainWindowTest : public ::testing::Test {
protected:
    std::unique_ptr<tarv_font> font = make_test_font(8, 10);
    tarv_main_window mw{font.get(), 0, 0, 520, 304};  // text area 500 wide
    FakeMap map;
    FakeGroup group;
};

TEST_F(MainWindowTest, ScrollbarSettingChangesTheTextWidth)
{
    EXPECT_EQ(mw.text.width(), 500);
    mw.set_scrollbar_enable(false);
    EXPECT_EQ(mw.text.width(), 516);
    EXPECT_FALSE(mw.scrollbar.visible);
    mw.set_scrollbar_enable(true);
    EXPECT_EQ(mw.text.width(), 500);
}

TEST_F(MainWindowTest, GroupTakesAFifthOfTheWidthWithoutAMap)
{
    mw.set_group_overlay(&group);
    EXPECT_EQ(group.panel.x(), 500 - 100 - 10);
    EXPECT_EQ(group.panel.y(), 10);
    EXPECT_EQ(group.panel.width(), 100);
    EXPECT_EQ(group.panel.height(), 50);
    EXPECT_TRUE(group.panel.IsShown());
}

TEST_F(MainWindowTest, DockedMapSitsTopRightWithTheGroupUnderIt)
{
    mw.set_automap_overlay(&map);
    mw.set_group_overlay(&group);
    mw.set_overlay_state(true, true, true);
    // m = 4: the map at (500 - 100 - 8, 8), the group 10 pixels under it.
    EXPECT_EQ(map.panel.x(), 392);
    EXPECT_EQ(map.panel.y(), 8);
    EXPECT_TRUE(map.panel.IsShown());
    EXPECT_EQ(group.panel.x(), 392);
    EXPECT_EQ(group.panel.y(), 8 + 80 + 10);
    EXPECT_EQ(group.panel.width(), 100);

    // Map switched off or not logged in: hidden, and the group moves up.
    mw.set_overlay_state(true, false, true);
    EXPECT_FALSE(map.panel.IsShown());
    EXPECT_EQ(group.panel.y(), 8);
    mw.set_overlay_state(false, true, true);
    EXPECT_FALSE(map.panel.IsShown());
    EXPECT_EQ(group.panel.y(), 8);

    // Group display off or empty: hidden.
    mw.set_overlay_state(true, true, false);
    EXPECT_FALSE(group.panel.IsShown());
}

TEST_F(MainWindowTest, ResizingMovesTheOverlaysWithTheTextArea)
{
    mw.set_automap_overlay(&map);
    mw.set_overlay_state(true, true, true);
    mw.set_size(720, 304);
    EXPECT_EQ(map.panel.x(), 700 - 100 - 8);
    // An undocked map is left where it is.
    map.docked = false;
    mw.set_size(520, 304);
    EXPECT_EQ(map.panel.x(), 592);
}

TEST_F(MainWindowTest, EndToEndSeamsShowLinesAndReceivedText)
{
    std::string s = "\x1b[31mhello\n\x1b[32mworld";
    mw.process_ansi_text(s.data(), s.size());
    EXPECT_EQ(mw.dump_lines(), (std::vector<std::string>{"hello", "world"}));
    EXPECT_EQ(mw.render_list_text(), "hello\nworld");
}

}  // namespace
