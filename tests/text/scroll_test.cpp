// Follow and freeze, the scroll steps, the scrollbar, the wheel, the frame
// and the layout of a display.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/ansi_display.h"
#include "text_test_util.h"

namespace {

class ScrollTest : public ::testing::Test {
protected:
    // current_line 30 with lines "0" ... "29" above it.
    void fill(tarv_ansi_display& display, int lines = 30)
    {
        std::string s;
        for (int i = 0; i < lines; ++i) s += std::to_string(i) + "\n";
        display.process_ansi_text(s.data(), s.size());
        display.refresh_display();  // as after every batch of received data
    }
    int bottom() const { return d.text.display_line; }

    std::unique_ptr<tarv_font> font = make_test_font(8, 10);
    // Text area 180 x 100: ten visible lines.
    tarv_ansi_display d{font.get(), 0, 0, 200, 104};
};

TEST_F(ScrollTest, PageStepsAreHalfAViewAndReachingTheEndFollowsAgain)
{
    fill(d);
    int follow_changes = 0;
    d.on_follow_changed = [&] { ++follow_changes; };
    ASSERT_EQ(d.text.get_visible_line_count(), 10);
    ASSERT_EQ(d.text.current_line, 30);
    EXPECT_EQ(bottom(), 30);

    d.freeze_scrolling();
    d.page_up();
    EXPECT_EQ(bottom(), 25);
    EXPECT_FALSE(d.is_following());
    EXPECT_EQ(d.text.frozen, 1);
    d.page_up();
    EXPECT_EQ(bottom(), 20);
    d.page_down();
    EXPECT_EQ(bottom(), 25);
    EXPECT_FALSE(d.is_following());
    d.page_down();
    EXPECT_EQ(bottom(), 30);
    EXPECT_TRUE(d.is_following());
    EXPECT_EQ(d.text.frozen, 0);
    EXPECT_EQ(follow_changes, 2);
}

TEST_F(ScrollTest, ScrollingBackStopsWithAFullFirstPage)
{
    fill(d);
    d.freeze_scrolling();
    d.scroll_by(-1000);
    EXPECT_EQ(bottom(), 9);
    EXPECT_EQ(d.scroll_position, 9);
    d.scroll_lines_down(3);
    EXPECT_EQ(bottom(), 12);
    d.scroll_lines_up(100);  // at most half a view
    EXPECT_EQ(bottom(), 9);
    d.scroll_by(1000);
    EXPECT_TRUE(d.is_following());

    // Less text than a view: any scroll lands on the newest line.
    tarv_ansi_display shortd(font.get(), 0, 0, 200, 104);
    fill(shortd, 3);
    shortd.freeze_scrolling();
    shortd.scroll_by(-2);
    EXPECT_EQ(shortd.text.display_line, 3);
    EXPECT_TRUE(shortd.is_following());
}

TEST_F(ScrollTest, NewTextDoesNotMoveAFrozenViewAndUnfreezeJumpsToTheEnd)
{
    fill(d);
    d.freeze_scrolling();
    d.page_up();
    fill(d, 5);
    EXPECT_EQ(bottom(), 25);
    EXPECT_EQ(d.text.current_line, 35);
    d.unfreeze_scrolling();
    EXPECT_EQ(bottom(), 35);
    EXPECT_TRUE(d.is_following());
    // Following: the newest (empty) line is in the bottom row.
    fill(d, 1);
    EXPECT_EQ(bottom(), 36);
    EXPECT_EQ(d.text.line_text(36), "");
}

TEST_F(ScrollTest, WheelNotchesScrollThreeLinesOrHalfASmallView)
{
    fill(d);
    // Half a notch scrolls nothing; the second half completes a notch back.
    d.on_wheel(60, 120);
    EXPECT_EQ(bottom(), 30);
    EXPECT_TRUE(d.is_following());
    d.on_wheel(60, 120);
    EXPECT_EQ(bottom(), 27);
    // Scrolled back, half a notch up must not move the view forward.
    d.on_wheel(60, 120);
    EXPECT_EQ(bottom(), 27);
    d.on_wheel(-120, 120);
    EXPECT_EQ(bottom(), 30);
    EXPECT_TRUE(d.is_following());

    tarv_ansi_display small(font.get(), 0, 0, 200, 44);  // four visible lines
    fill(small);
    tarv_mouse_event wheel;
    wheel.type = tarv_mouse_event::WHEEL;
    wheel.wheel_rotation = 120;
    small.on_mouse(wheel);
    EXPECT_EQ(small.text.display_line, 28);
    // Over the text itself the text control handles the wheel, by the
    // same rule: half a notch does nothing.
    small.text.on_mouse(wheel);
    EXPECT_EQ(small.text.display_line, 26);
    wheel.wheel_rotation = 60;
    small.text.on_mouse(wheel);
    EXPECT_EQ(small.text.display_line, 26);
    tarv_mouse_event right;
    right.type = tarv_mouse_event::RIGHT_DOWN;
    small.text.on_mouse(right);
    EXPECT_EQ(small.text.display_line, 30);
    EXPECT_TRUE(small.is_following());
}

TEST_F(ScrollTest, ScrollbarMirrorsTheViewAndItsEventsMoveIt)
{
    fill(d);
    int focus_calls = 0;
    d.focus_to_command_line = [&] { return ++focus_calls > 0; };
    EXPECT_EQ(d.scrollbar.range, 30);
    EXPECT_EQ(d.scrollbar.thumb, 10);
    EXPECT_EQ(d.scrollbar.page, 10);
    EXPECT_EQ(d.scrollbar.position, 20);

    d.scrollbar.set_thumb_position(5);
    d.on_scrollbar_event();
    EXPECT_EQ(bottom(), 15);
    EXPECT_EQ(d.scroll_position, 15);
    EXPECT_FALSE(d.is_following());
    d.page_down();
    EXPECT_EQ(bottom(), 20);
    EXPECT_EQ(d.get_scroll_thumb_position(), 10);

    d.scrollbar.set_thumb_position(1000);  // clamped to range - thumb
    d.on_scrollbar_event();
    EXPECT_EQ(bottom(), 30);
    EXPECT_TRUE(d.is_following());
    EXPECT_EQ(focus_calls, 2);
}

TEST_F(ScrollTest, ScrollToPositionRestoresAThumbPosition)
{
    fill(d);
    d.freeze_scrolling();
    d.page_up();
    d.page_up();
    int thumb = d.get_scroll_thumb_position();
    EXPECT_EQ(thumb, 10);
    d.scroll_to_end();
    d.scroll_to_position(thumb);
    EXPECT_EQ(bottom(), 20);
    EXPECT_EQ(d.get_scroll_thumb_position(), thumb);
}

TEST_F(ScrollTest, TopAnchoredDisplaysShowTheirTextFromTheTop)
{
    tarv_ansi_display p(font.get(), 0, 0, 200, 100);
    p.set_popup_mode();
    ASSERT_EQ(p.text.height(), 100);
    ASSERT_EQ(p.text.width(), 184);  // no frame: only the scrollbar takes room
    fill(p, 3);
    EXPECT_EQ(p.text.display_line, 0);

    tarv_bitmap surface(p.text.width(), p.text.height());
    p.text.repaint_internal(surface);
    // "0" is drawn in the top row, one pixel in; the row under line 3 stays empty.
    EXPECT_EQ(surface.GetPixel(1, 0), (tarv_color{159, 159, 159}));
    EXPECT_EQ(surface.GetPixel(1, 35), color_black);

    fill(p, 27);
    EXPECT_EQ(p.text.display_line, 0);
    p.scroll_to_end();
    EXPECT_EQ(p.text.display_line, 21);
    fill(p, 5);
    EXPECT_EQ(p.text.display_line, 21);
    p.freeze_scrolling();
    p.page_up();
    EXPECT_EQ(p.text.display_line, 16);
    EXPECT_TRUE(p.is_following());
    EXPECT_EQ(p.scrollbar.range, 35 + 10 + 1);
    EXPECT_EQ(p.scrollbar.position, 16);
}

TEST_F(ScrollTest, LayoutLeavesRoomForFrameAndScrollbarAndReturnsToTheEnd)
{
    EXPECT_EQ(d.text.x(), 2);
    EXPECT_EQ(d.text.y(), 2);
    EXPECT_EQ(d.text.width(), 200 - 16 - 4);
    EXPECT_EQ(d.text.height(), 100);
    EXPECT_EQ(d.scrollbar.x, 184);
    EXPECT_EQ(d.scrollbar.height, 104);
    d.set_scrollbar_shown(false);
    EXPECT_EQ(d.text.width(), 196);
    EXPECT_FALSE(d.scrollbar.visible);
    d.set_scrollbar_shown(true);
    EXPECT_EQ(d.text.width(), 180);

    fill(d);
    d.freeze_scrolling();
    d.page_up();
    d.set_size(300, 204);
    EXPECT_TRUE(d.is_following());
    EXPECT_EQ(bottom(), d.text.current_line);
}

TEST_F(ScrollTest, RepaintDrawsFromTheBottomUpWithAMarginUnderTheAnchorLine)
{
    tarv_ansi_display t(font.get(), 0, 0, 200, 39);  // text area 35 high
    std::string s = "\x1b[31ma\n\x1b[32mb\n\x1b[34mc\n\x1b[36md";
    t.process_ansi_text(s.data(), s.size());
    tarv_bitmap surface(t.text.width(), t.text.height());
    t.text.repaint_internal(surface);
    // Bottom line "d" at y = 35 - 10 - 1 = 24; then c at 14, b at 4, a at -6.
    const tarv_color cyan{0, 127, 169}, blue{0, 0, 203}, green{0, 169, 0}, red{169, 0, 0};
    EXPECT_EQ(surface.GetPixel(1, 24), cyan);
    EXPECT_EQ(surface.GetPixel(1, 33), cyan);
    EXPECT_EQ(surface.GetPixel(1, 34), color_black);
    EXPECT_EQ(surface.GetPixel(1, 14), blue);
    EXPECT_EQ(surface.GetPixel(1, 4), green);
    EXPECT_EQ(surface.GetPixel(1, 3), red);  // the line cut by the top edge is drawn
    EXPECT_EQ(surface.GetPixel(0, 3), color_black);
    EXPECT_EQ(surface.GetPixel(9, 3), color_black);

    t.text.line_height = 0;
    LogCapture log(2);
    t.text.repaint_internal(surface);
    EXPECT_EQ(surface.GetPixel(1, 24), color_black);
    EXPECT_TRUE(log.contains("Error in tarv_textctrl::repaint_internal(), font height 0.\n"));
    EXPECT_EQ(t.text.get_visible_line_count(), 20);
}

TEST_F(ScrollTest, FrameIsGreyWhileFollowingRedWhenScrolledBackAndBlinks)
{
    fill(d);
    tarv_bitmap surface(d.width(), d.height());
    auto frame = [&] {
        d.render(surface);
        return std::vector<tarv_color>{surface.GetPixel(0, 0), surface.GetPixel(1, 1), surface.GetPixel(183, 50),
                                       surface.GetPixel(182, 50), surface.GetPixel(50, 103)};
    };
    const tarv_color grey{128, 128, 128}, dark_red{192, 0, 0};
    EXPECT_EQ(frame(), (std::vector<tarv_color>{color_white, grey, color_white, grey, color_white}));
    d.freeze_scrolling();
    EXPECT_EQ(frame(), (std::vector<tarv_color>{color_red, dark_red, color_red, dark_red, color_red}));

    d.start_flash();
    EXPECT_EQ(frame()[0], color_black);  // 16 left: even
    std::vector<tarv_color> seen;
    int ticks = 0;
    while (d.animation_callback(20) && ticks < 1000) {
        ++ticks;
        if (ticks % 10 == 0) seen.push_back(frame()[1]);
    }
    EXPECT_EQ(ticks + 1, 160);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[0], color_white);
    EXPECT_EQ(seen[1], color_black);
    EXPECT_EQ(frame(), (std::vector<tarv_color>{color_red, dark_red, color_red, dark_red, color_red}));
}

TEST_F(ScrollTest, FocusGoesBackToTheCommandLine)
{
    int calls = 0;
    d.focus_to_command_line = [&] {
        ++calls;
        return true;
    };
    d.on_focus();
    d.text.on_focus();
    EXPECT_EQ(calls, 2);
}

}  // namespace
