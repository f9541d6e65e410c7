// The live split of a frozen display: the newest lines under a divider in
// the bottom third while the player reads further back.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "text/ansi_display.h"
#include "text_test_util.h"

namespace {

constexpr tarv_color red{255, 0, 0};
constexpr tarv_color divider{160, 160, 160};

// Glyph blending may land a step below full strength.
bool is_red(const tarv_color& c) { return c.red > 240 && c.green < 16 && c.blue < 16; }

struct SplitView : testing::Test {
    // 6 x 10 glyphs; a text area of 30 rows.
    std::unique_ptr<tarv_font> font = make_test_font(6, 10);
    tarv_ansi_display display{font.get(), 0, 0, 300, 30 * 10 + 4};
    tarv_textctrl& text = display.text;
    bool split_on = true;

    void SetUp() override
    {
        text.split_wanted = [this] { return split_on; };
        for (int i = 0; i < 200; ++i) text.append_text(("old line " + std::to_string(i) + "\n").c_str());
        display.refresh_display();
    }
    tarv_bitmap shot()
    {
        tarv_bitmap b(text.width(), text.height());
        text.repaint_internal(b);
        return b;
    }
    void arrive_red(const char* line)
    {
        text.set_text_colors(red, color_black);
        text.append_text(line);
        text.set_text_colors(color_white, color_black);
        display.refresh_display();
    }
    int rows() const { return text.height() / 10; }
    // Top pixel row of the divider.
    int divider_top() const { return text.height() - text.live_rows() * 10 - 1 - 3; }
    static bool same_rows(const tarv_bitmap& a, const tarv_bitmap& b, int from, int to)
    {
        for (int y = from; y < to; ++y)
            for (int x = 0; x < a.GetWidth(); ++x)
                if (!(a.GetPixel(x, y) == b.GetPixel(x, y))) return false;
        return true;
    }
    static bool same(const tarv_bitmap& a, const tarv_bitmap& b) { return same_rows(a, b, 0, a.GetHeight()); }
};

TEST_F(SplitView, FrozenViewWithNewTextShowsTheNewestLinesUnderADivider)
{
    display.freeze_scrolling();
    display.page_up();
    display.page_up();
    const int view_line = text.display_line;
    const tarv_bitmap before = shot();
    EXPECT_EQ(text.live_rows(), 0);  // frozen, but nothing new yet

    arrive_red("the dragon attacks!\n");
    ASSERT_EQ(text.live_rows(), rows() / 3);
    EXPECT_EQ(text.display_line, view_line);
    const tarv_bitmap split = shot();
    const int top = divider_top();
    // The divider, the newest line in the live part's second row from the
    // bottom (the bottom row is the empty line after it), and the frozen
    // view above it exactly as it was.
    EXPECT_EQ(split.GetPixel(5, top + 1), divider);
    const int newest_y = text.height() - 10 - 1 - 10;
    EXPECT_TRUE(is_red(split.GetPixel(2, newest_y + 5)));
    EXPECT_FALSE(is_red(before.GetPixel(2, newest_y + 5)));
    EXPECT_TRUE(same_rows(before, split, 0, top));

    // More text keeps the live part live; the frozen view does not move.
    arrive_red("it breathes fire\nand flies off\n");
    EXPECT_EQ(text.display_line, view_line);
    EXPECT_TRUE(is_red(shot().GetPixel(2, newest_y + 5)));

    // Following again: no split, the usual view of the newest text.
    display.unfreeze_scrolling();
    EXPECT_EQ(text.live_rows(), 0);
    split_on = false;
    const tarv_bitmap plain = shot();
    split_on = true;
    EXPECT_TRUE(same(shot(), plain));
}

TEST_F(SplitView, SettingOffKeepsTheFrozenViewExactly)
{
    tarv_ansi_display reference{font.get(), 0, 0, 300, 30 * 10 + 4};
    for (int i = 0; i < 200; ++i) reference.text.append_text(("old line " + std::to_string(i) + "\n").c_str());
    for (tarv_ansi_display* d : {&display, &reference}) {
        d->refresh_display();
        d->freeze_scrolling();
        d->page_up();
        d->text.append_text("new\nnewer\n");
        d->refresh_display();
    }
    split_on = false;
    EXPECT_EQ(text.live_rows(), 0);
    tarv_bitmap theirs(reference.text.width(), reference.text.height());
    reference.text.repaint_internal(theirs);
    EXPECT_TRUE(same(shot(), theirs));
    split_on = true;
    EXPECT_GT(text.live_rows(), 0);
    EXPECT_FALSE(same(shot(), theirs));
}

TEST_F(SplitView, NoSplitWhenTheViewShowsTheNewestLineOrTheDisplayIsSmall)
{
    // Frozen with Ctrl+S at the newest line: the split comes with new lines only.
    display.freeze_scrolling();
    text.append_text("partial");
    EXPECT_EQ(text.live_rows(), 0);
    text.append_text(" line\n");
    EXPECT_GT(text.live_rows(), 0);
    // Scrolled forward to the newest line again by hand (still frozen): no split.
    text.set_display_line(text.current_line);
    EXPECT_EQ(text.live_rows(), 0);

    // Five rows are too few for two parts.
    tarv_ansi_display small{font.get(), 0, 0, 300, 5 * 10 + 4};
    small.text.split_wanted = [] { return true; };
    for (int i = 0; i < 50; ++i) small.text.append_text("x\n");
    small.freeze_scrolling();
    small.page_up();
    small.text.append_text("y\n");
    EXPECT_EQ(small.text.live_rows(), 0);
}

}  // namespace
