#include "panels/channel_window.h"

#include <string>
#include <vector>

#include "common/log_capture.h"
#include "draw/theme.h"
#include "panels_test_util.h"

namespace {

class ChannelWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        load_panel_resources();
        create_themes();
        switch_button_theme(THEME_BLUE);
        window.set_rect(0, 0, 400, 200);
        window.set_shown(true);
    }

    // A run of diverted text on a channel, as "chdiv" text "chudiv" sends it.
    void divert(const char* channel, const std::string& text)
    {
        window.set_divert_channel(channel);
        window.display_socket_data(text.data(), static_cast<int>(text.size()));
        window.clear_divert_channel();
    }

    std::vector<std::string> names()
    {
        std::vector<std::string> out;
        for (int i = 0; i < window.channel_count(); ++i) out.push_back(window.channel(i).name);
        return out;
    }

    std::string text_of(const char* name)
    {
        std::string out;
        for (const auto& line : window.find_channel(name)->display->dump_lines()) out += line + "|";
        return out;
    }

    tarv_mouse_event left_down()
    {
        tarv_mouse_event e;
        e.type = tarv_mouse_event::LEFT_DOWN;
        return e;
    }

    tarv_channel_window window;
};

TEST_F(ChannelWindowTest, FirstDiversionMakesTheCombinedTabAndTheChannel)
{
    EXPECT_TRUE(window.placeholder_tab().IsShown());
    divert("gossip", "Bo: hello\n");
    ASSERT_EQ(names(), (std::vector<std::string>{"(all)", "gossip"}));
    EXPECT_EQ(window.selected_channel()->name, "(all)");
    EXPECT_EQ(text_of("(all)"), " |Tabbed display for all channels combined.|Bo: hello||");
    EXPECT_EQ(text_of("gossip"), " |Tabbed display for channel 'gossip'|Bo: hello||");
    EXPECT_EQ(window.find_channel("(all)")->tab->tab_state(), tarv_channel_button::SELECTED);
    EXPECT_EQ(window.find_channel("gossip")->tab->tab_state(), tarv_channel_button::UNREAD);
    // The placeholder gives way; only the selected display shows.
    EXPECT_FALSE(window.placeholder_tab().IsShown());
    EXPECT_FALSE(window.placeholder_display().IsShown());
    EXPECT_TRUE(window.find_channel("(all)")->display->IsShown());
    EXPECT_FALSE(window.find_channel("gossip")->display->IsShown());
    EXPECT_EQ(&window.shown_display(), window.find_channel("(all)")->display.get());
}

TEST_F(ChannelWindowTest, TabsAreSortedByNameWithTheCombinedTabFirst)
{
    divert("beta", "b\n");
    divert("alpha", "a\n");
    divert("Zed", "z\n");
    EXPECT_EQ(names(), (std::vector<std::string>{"(all)", "Zed", "alpha", "beta"}));
    // Tabs stand left to right in that order.
    EXPECT_LT(window.find_channel("(all)")->tab->x(), window.find_channel("Zed")->tab->x());
    EXPECT_LT(window.find_channel("alpha")->tab->x(), window.find_channel("beta")->tab->x());
}

TEST_F(ChannelWindowTest, ClickingATabShowsItAndClearsItsUnreadMark)
{
    divert("gossip", "one\n");
    tarv_channel_button& tab = *window.find_channel("gossip")->tab;
    ASSERT_EQ(tab.tab_state(), tarv_channel_button::UNREAD);
    tab.on_mouse(left_down());
    EXPECT_EQ(window.selected_channel()->name, "gossip");
    EXPECT_EQ(tab.tab_state(), tarv_channel_button::SELECTED);
    EXPECT_EQ(window.find_channel("(all)")->tab->tab_state(), tarv_channel_button::IDLE);
    EXPECT_TRUE(window.find_channel("gossip")->display->IsShown());
    // Text for the tab in view never marks it; the combined tab lights up.
    divert("gossip", "two\n");
    EXPECT_EQ(tab.tab_state(), tarv_channel_button::SELECTED);
    EXPECT_EQ(window.find_channel("(all)")->tab->tab_state(), tarv_channel_button::UNREAD);
    // Other mouse events do nothing.
    tarv_mouse_event up;
    up.type = tarv_mouse_event::LEFT_UP;
    window.find_channel("(all)")->tab->on_mouse(up);
    EXPECT_EQ(window.selected_channel()->name, "gossip");
}

TEST_F(ChannelWindowTest, TabsShrinkToFitTheRow)
{
    // The fallback glyphs are 6 x 12: "123456789012345678" is 108 wide, a tab row 16 high.
    divert("one", "x\n");
    tarv_channel_button& all = *window.find_channel("(all)")->tab;
    // Two tabs: each as wide as 18 digits plus the text height.
    EXPECT_EQ(all.width(), 120);
    EXPECT_EQ(all.height(), 16);
    EXPECT_EQ(all.x(), 1);
    EXPECT_EQ(window.find_channel("one")->tab->x(), 1 + 122);
    EXPECT_EQ(window.find_channel("one")->display->y(), 17);
    EXPECT_EQ(window.find_channel("one")->display->height(), 200 - 17);
    // The page button is the square at the right end of the row.
    EXPECT_EQ(window.page_button().x(), 400 - 16 - 1 + 2);
    EXPECT_EQ(window.page_button().width(), 12);

    for (const char* name : {"c2", "c3", "c4", "c5", "c6", "c7", "c8", "c9"}) divert(name, "x\n");
    ASSERT_EQ(window.channel_count(), 10);
    // f = 400 - 16 - 1 = 383; 383 / 10 - 2 = 36 each, 2 apart.
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(window.channel(k).tab->width(), 36) << k;
        EXPECT_EQ(window.channel(k).tab->x(), 1 + k * 38) << k;
    }
    // A tab's own page button sits at its right end.
    EXPECT_EQ(all.page_button.x(), 36 - 16 + 2);
    EXPECT_EQ(all.page_button.width(), 10);
}

TEST_F(ChannelWindowTest, TabsMoveBetweenTwoPages)
{
    divert("gossip", "x\n");
    channel_tab* gossip = window.find_channel("gossip");
    gossip->tab->page_button.on_mouse(left_down());
    EXPECT_EQ(gossip->page, 1);
    EXPECT_FALSE(gossip->tab->IsShown());
    EXPECT_TRUE(window.find_channel("(all)")->tab->IsShown());
    // The page flips with the window's own page button.
    window.page_button().on_mouse(left_down());
    EXPECT_EQ(window.current_page(), 1);
    EXPECT_TRUE(gossip->tab->IsShown());
    EXPECT_FALSE(window.find_channel("(all)")->tab->IsShown());
    EXPECT_EQ(window.selected_channel(), gossip);
    EXPECT_EQ(window.page_button().state, 1);
    // Moving the last tab away leaves "(no channel)".
    gossip->tab->page_button.on_mouse(left_down());
    EXPECT_TRUE(window.placeholder_tab().IsShown());
    EXPECT_TRUE(window.placeholder_display().IsShown());
    EXPECT_EQ(&window.shown_display(), &window.placeholder_display());
    window.flip_page();
    EXPECT_EQ(window.current_page(), 0);
    EXPECT_FALSE(window.placeholder_tab().IsShown());
    EXPECT_NE(window.selected_channel(), nullptr);
}

TEST_F(ChannelWindowTest, ClearingRemovesEveryTabUntilTheNextDiversion)
{
    divert("gossip", "x\n");
    divert("trade", "y\n");
    window.clear_channels();
    EXPECT_EQ(window.channel_count(), 0);
    EXPECT_EQ(window.selected_channel(), nullptr);
    EXPECT_TRUE(window.placeholder_tab().IsShown());
    divert("trade", "again\n");
    EXPECT_EQ(names(), (std::vector<std::string>{"(all)", "trade"}));
    EXPECT_EQ(text_of("trade"), " |Tabbed display for channel 'trade'|again||");
}

TEST_F(ChannelWindowTest, ClearingDuringADiversionDropsTheTextWithAWarning)
{
    LogCapture log(1);
    window.set_divert_channel("gossip");
    window.clear_channels();
    window.display_socket_data("lost\n", 5);
    EXPECT_EQ(window.channel_count(), 0);
    EXPECT_EQ(log.count("Error in tarv_channel_window::display_socket_data(), null divert channel?"), 1);
}

TEST_F(ChannelWindowTest, EndingADiversionTwiceLogsOnce)
{
    LogCapture log(1);
    window.set_divert_channel("gossip");
    window.clear_divert_channel();
    window.clear_divert_channel();
    EXPECT_EQ(log.count("Error in tarv_channel_window::clear_divert_channel(), null divert channel?"), 1);
}

TEST_F(ChannelWindowTest, LongNamesAreCutAndFindTheSameTab)
{
    const std::string long_name(60, 'q');
    divert(long_name.c_str(), "first\n");
    divert(long_name.c_str(), "second\n");
    ASSERT_EQ(window.channel_count(), 2);
    EXPECT_EQ(window.channel(1).name, std::string(39, 'q'));
    EXPECT_NE(text_of(std::string(39, 'q').c_str()).find("first|second|"), std::string::npos);
}

TEST_F(ChannelWindowTest, AServerNamingEndlessChannelsFillsTheWindowAndNoMore)
{
    LogCapture log(2);
    for (int i = 0; i < 70; ++i) divert(("ch" + std::to_string(i)).c_str(), "line " + std::to_string(i) + "\n");
    EXPECT_EQ(window.channel_count(), tarv_channel_window::max_channels);
    EXPECT_EQ(window.find_channel("ch69"), nullptr);
    // Their text still reaches the combined tab.
    EXPECT_NE(text_of("(all)").find("line 69|"), std::string::npos);
    EXPECT_TRUE(log.contains("too many channels for 'ch69'"));
}

TEST_F(ChannelWindowTest, AChannelNamedLikeTheCombinedTabGetsEachLineOnce)
{
    divert("(all)", "once\n");
    EXPECT_EQ(window.channel_count(), 1);
    EXPECT_EQ(text_of("(all)"), " |Tabbed display for all channels combined.|once||");
}

TEST_F(ChannelWindowTest, OnlyDisplaysThatGotTextAreMarkedForRedraw)
{
    divert("a", "x\n");
    divert("b", "y\n");
    window.begin_block();
    for (int i = 0; i < window.channel_count(); ++i) EXPECT_EQ(window.channel(i).display->text_arrived, 0);
    divert("a", "z\n");
    EXPECT_EQ(window.find_channel("a")->display->text_arrived, 1);
    EXPECT_EQ(window.find_channel("(all)")->display->text_arrived, 1);
    EXPECT_EQ(window.find_channel("b")->display->text_arrived, 0);
}

TEST_F(ChannelWindowTest, TabPicturesShowTheirState)
{
    divert("gossip", "x\n");
    tarv_channel_button& all = *window.find_channel("(all)")->tab;
    tarv_channel_button& gossip = *window.find_channel("gossip")->tab;
    const tarv_bitmap* selected = all.paint();
    ASSERT_NE(selected, nullptr);
    const int w = all.width();
    // White edges on top and sides, black corners, no bottom edge.
    EXPECT_EQ(selected->GetPixel(0, 8), (tarv_color{255, 255, 255}));
    EXPECT_EQ(selected->GetPixel(w - 1, 8), (tarv_color{255, 255, 255}));
    EXPECT_EQ(selected->GetPixel(10, 0), (tarv_color{255, 255, 255}));
    EXPECT_EQ(selected->GetPixel(0, 0), (tarv_color{0, 0, 0}));
    EXPECT_EQ(selected->GetPixel(w - 1, 0), (tarv_color{0, 0, 0}));
    EXPECT_NE(selected->GetPixel(10, all.height() - 1), (tarv_color{255, 255, 255}));
    // The unread tab: grey edges and a red label.
    const tarv_bitmap* unread = gossip.paint();
    EXPECT_EQ(unread->GetPixel(0, 8), (tarv_color{128, 128, 128}));
    bool red = false;  // glyph blending leaves full coverage at 254
    for (int y = 0; y < unread->GetHeight(); ++y)
        for (int x = 0; x < unread->GetWidth(); ++x) {
            const tarv_color c = unread->GetPixel(x, y);
            red = red || (c.red >= 250 && c.green == 0 && c.blue == 0);
        }
    EXPECT_TRUE(red);
    gossip.on_mouse(left_down());
    all.Refresh();
    EXPECT_EQ(all.paint()->GetPixel(0, 8), (tarv_color{128, 128, 128}));
}

TEST_F(ChannelWindowTest, TheShownDisplaysFrameOpensUnderItsTab)
{
    divert("gossip", "x\n");
    window.find_channel("gossip")->tab->on_mouse(left_down());
    tarv_channel_display& display = *window.find_channel("gossip")->display;
    const tarv_bitmap* surface = display.paint();
    ASSERT_NE(surface, nullptr);
    const int tx = window.find_channel("gossip")->tab->x();  // 123; the display is at x 0
    const int tt = window.find_channel("gossip")->tab->width();
    // Under the tab the top lines are open; beside it they are drawn.
    EXPECT_EQ(surface->GetPixel(tx + tt / 2, 0), (tarv_color{0, 0, 0}));
    EXPECT_EQ(surface->GetPixel(tx + tt / 2, 1), (tarv_color{0, 0, 0}));
    EXPECT_EQ(surface->GetPixel(tx - 10, 0), (tarv_color{255, 255, 255}));
    EXPECT_EQ(surface->GetPixel(tx - 10, 1), (tarv_color{128, 128, 128}));
    EXPECT_EQ(surface->GetPixel(tx + tt + 10, 0), (tarv_color{255, 255, 255}));
}

}  // namespace
