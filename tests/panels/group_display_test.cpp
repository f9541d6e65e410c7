#include "panels/group_display.h"

#include <gmock/gmock.h>

#include "common/log_capture.h"
#include "draw/theme.h"
#include "panels_test_util.h"

namespace {

const tarv_color hp_fill{160, 0, 0}, hp_highlight{255, 64, 128};
const tarv_color move_highlight{255, 255, 128};
const tarv_color frame_grey{64, 64, 64};

class GroupDisplayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        load_panel_resources();
        display.attach_peer(&peer);
        display.settings = [this] { return settings; };
        display.update_font_metrics();
    }
    void TearDown() override { display.attach_peer(nullptr); }

    // Makes "Abcdefg" t pixels high in the panel font ('g' is measured last).
    static void set_text_height(int t)
    {
        auto glyph = std::make_unique<tarv_bitmap>(glyph_w, t);
        glyph->Clear(color_black);
        panel_font->set_glyph('g', std::move(glyph));
    }

    tarv_bitmap paint()
    {
        const tarv_bitmap* shown = display.paint();
        if (shown) return *shown;
        tarv_bitmap surface(display.width(), display.height());
        display.render(surface);
        return surface;
    }

    recording_peer peer;
    tarv_group_settings settings;
    tarv_group_display display;
};

struct parse_case {
    const char* line;
    bool parsed;
    int kind;
    const char* name;
    const char* log;  // expected log text, or nullptr for none
};

TEST_F(GroupDisplayTest, ParsesEachLineKind)
{
    const parse_case cases[] = {
        {"10 20 5 5 30 40 Bob", true, 0, "Bob", nullptr},
        {"10 20 5 5 30 40 .Rex.", true, 1, "Rex", nullptr},
        {"10 20 5 5 30 40 -Fido", true, 2, "Fido", nullptr},
        {"10 20 5 5 30 40 -Fido-\r\nnext", true, 2, "Fido", nullptr},
        {"10 20 5 5 30 40 .Rex\rtail", true, 1, "Rex", nullptr},
        {"10 20 5 5 30 40", true, 0, "", nullptr},
        {"10 20 5 5 30 40   \nBob", true, 0, "", nullptr},
        {"10\t20\n5 5 30 40 Old Bob the Tall", true, 0, "Old Bob the Tall", nullptr},
        {"10 20 5 5 30 40 Bob\r", true, 0, "Bob\r", nullptr},
        {"10 20 5 5 30 40 .", true, 1, "", nullptr},
        {"10 x 5 5 30 40 Bob", false, 0, "", "bad value at offset 1.\n"},
        {"-x 20 5 5 30 40 Bob", false, 0, "", "bad value at offset 0.\n"},
        {"10 20 5 5 30", false, 0, "", "bad value at offset 5.\n"},
        {"", false, 0, "", nullptr},
        {" \n\t", false, 0, "", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        LogCapture log(2);
        auto e = tarv_group_display::parse_update_line(c.line);
        ASSERT_EQ(e.has_value(), c.parsed);
        if (c.parsed) {
            EXPECT_EQ(e->kind, c.kind);
            EXPECT_EQ(e->name, c.name);
        }
        if (c.log)
            EXPECT_TRUE(log.contains(std::string("tarv_group_display::parse_update_line() - ") + c.log))
                << log.text();
        else
            EXPECT_EQ(log.text(), "");
    }
    EXPECT_FALSE(tarv_group_display::parse_update_line(nullptr));
}

TEST_F(GroupDisplayTest, KeepsTheSixNumbersInOrder)
{
    auto e = tarv_group_display::parse_update_line("10 20 -5 +5 30 99999999999 Bob");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->hp, 10);
    EXPECT_EQ(e->max_hp, 20);
    EXPECT_EQ(e->mana, -5);
    EXPECT_EQ(e->max_mana, 5);
    EXPECT_EQ(e->move, 30);
    EXPECT_EQ(e->max_move, 2147483647);
}

TEST_F(GroupDisplayTest, CutsLongNames)
{
    const std::string plain = "1 1 1 1 1 1 " + std::string(7000, 'a');
    EXPECT_EQ(tarv_group_display::parse_update_line(plain.c_str())->name.size(), 5999u);
    const std::string marked = "1 1 1 1 1 1 -" + std::string(7000, 'a');
    EXPECT_EQ(tarv_group_display::parse_update_line(marked.c_str())->name.size(), 5998u);
}

TEST_F(GroupDisplayTest, UpdateKeepsEntriesUpToTheFirstBadLine)
{
    display.update_group("10 20 5 5 30 40 Bob\n1 2 3 4 5 6 .Rex.\n1 2 oops\n1 2 3 4 5 6 Ann\n");
    ASSERT_EQ(display.entries().size(), 2u);
    EXPECT_EQ(display.entries()[0].name, "Bob");
    EXPECT_EQ(display.entries()[1].name, "Rex");
    EXPECT_TRUE(display.IsShown());

    // The next tag replaces the list.
    display.update_group("1 2 3 4 5 6 -Fido");
    ASSERT_EQ(display.entries().size(), 1u);
    EXPECT_EQ(display.entries()[0].kind, 2);
}

TEST_F(GroupDisplayTest, EmptyOrBadTagHidesThePanel)
{
    for (const char* data : {"", "x 1 2 3 4 5 Bob\n1 2 3 4 5 6 Ann"}) {
        display.update_group("10 20 5 5 30 40 Bob");
        ASSERT_TRUE(display.IsShown());
        display.update_group(data);
        EXPECT_FALSE(display.IsShown()) << data;
        EXPECT_FALSE(peer.shown);
        EXPECT_TRUE(display.entries().empty());
    }
}

TEST_F(GroupDisplayTest, StaysHiddenWhileTheSettingIsOff)
{
    settings.display = 0;
    display.update_group("10 20 5 5 30 40 Bob");
    EXPECT_EQ(display.entries().size(), 1u);
    EXPECT_FALSE(display.IsShown());
}

TEST_F(GroupDisplayTest, ClearGroupHidesAndEmpties)
{
    display.update_group("10 20 5 5 30 40 Bob");
    display.clear_group();
    EXPECT_FALSE(display.IsShown());
    EXPECT_TRUE(display.entries().empty());
    EXPECT_EQ(display.preferred_height(), 1);
}

// Two players, then a follower, with text 14 pixels high.
TEST_F(GroupDisplayTest, RowLayoutWithSeparator)
{
    set_text_height(14);
    display.update_font_metrics();
    panel_font->rebuild();
    EXPECT_EQ(display.full_row_height, 22);
    EXPECT_EQ(display.short_row_height, 12);

    display.mode = 1;
    settings.display = 1;
    settings.layout = 1;
    display.set_geometry(2, 2, 160, 10);
    display.update_group("10 10 5 5 30 30 Bob\n10 10 5 5 30 30 Ann\n10 10 5 5 30 30 -Fido");
    EXPECT_EQ(display.preferred_height(), 66);
    EXPECT_EQ(display.height(), 66);
    EXPECT_EQ(display.y(), 2);

    tarv_bitmap s = paint();
    const tarv_color frame = (*current_button_theme)[THEME_PANEL_FRAME];
    // The separator runs from x 2 to W - 3 at y 48.
    EXPECT_TRUE(region_is(s, 2, 48, 157, 48, frame));
    EXPECT_FALSE(s.GetPixel(2, 47) == frame);
    // Vertical player rows: bars start at y + 2 (3 and 26); the follower's
    // hp bar at y + 1 = 52. Full bars (inverted) show only the black mark
    // and the grey frame, so draw them not inverted.
    settings.inverted = false;
    s = paint();
    EXPECT_EQ(s.GetPixel(5, 3), hp_highlight);
    EXPECT_EQ(s.GetPixel(5, 26), hp_highlight);
    EXPECT_EQ(s.GetPixel(5, 52), hp_highlight);
    EXPECT_FALSE(s.GetPixel(5, 51) == hp_highlight);

    // Tooltips by row, the follower's row counted after its 3-pixel gap.
    EXPECT_EQ(display.tooltip_at(0), "");
    EXPECT_EQ(display.tooltip_at(1), "Status for group member 'Bob'");
    EXPECT_EQ(display.tooltip_at(23), "Status for group member 'Bob'");
    EXPECT_EQ(display.tooltip_at(24), "Status for group member 'Ann'");
    EXPECT_EQ(display.tooltip_at(50), "Status for group member 'Fido'");
    EXPECT_EQ(display.tooltip_at(70), "");
    display.on_mouse({tarv_mouse_event::MOTION, 10, 30});
    EXPECT_EQ(peer.tooltip, "Status for group member 'Ann'");
}

TEST_F(GroupDisplayTest, LeftBottomLayoutKeepsTheBottomEdge)
{
    settings.layout = 2;
    display.set_geometry(2, 500, 160, 100);
    display.update_group("10 10 5 5 30 30 Bob");
    EXPECT_EQ(display.height(), display.preferred_height());
    EXPECT_EQ(display.y() + display.height(), 600);
}

// One bar of 10 columns from x 4, value 3 of 10, 5 rows high at y 4.
struct bar_case {
    int direction;
    bool inverted;
    int first, last;  // coloured columns
    int mark;         // the black pixel in the top row
};

TEST_F(GroupDisplayTest, BarDirectionsAndInversion)
{
    const bar_case cases[] = {
        {1, false, 4, 6, 6},
        {1, true, 6, 12, 6},  // the frame line covers column 13
        {2, false, 11, 13, 11},
        {2, true, 4, 11, 11},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "direction " << c.direction << " inverted " << c.inverted);
        tarv_bitmap s(24, 12);
        s.Clear(color_black);
        draw_group_bar(s, 3, 10, 4, 4, 10, 5, c.direction, c.inverted, false, hp_fill, hp_highlight);
        for (int x = 3; x <= 14; ++x) {
            const bool coloured = x >= c.first && x <= c.last;
            if (x == c.mark) {
                EXPECT_EQ(s.GetPixel(x, 4), color_black) << x;
            } else {
                EXPECT_EQ(s.GetPixel(x, 4) == hp_highlight, coloured) << "top row, column " << x;
            }
            // The fill rows above the bottom line.
            EXPECT_EQ(s.GetPixel(x, 5) == hp_fill, coloured) << "fill, column " << x;
        }
        // The grey bottom line.
        EXPECT_EQ(s.GetPixel(8, 8), frame_grey);
    }
}

TEST_F(GroupDisplayTest, BarLimits)
{
    // Nothing left still colours the starting column; more than the
    // maximum fills the bar exactly.
    tarv_bitmap s(24, 12);
    s.Clear(color_black);
    draw_group_bar(s, 0, 100, 4, 4, 10, 5, 1, false, false, hp_fill, hp_highlight);
    EXPECT_EQ(s.GetPixel(4, 5), hp_fill);
    EXPECT_EQ(s.GetPixel(5, 5), color_black);

    s.Clear(color_black);
    draw_group_bar(s, 500, 100, 4, 4, 10, 5, 1, false, false, hp_fill, hp_highlight);
    EXPECT_TRUE(region_is(s, 4, 5, 13, 6, hp_fill));
    EXPECT_EQ(s.GetPixel(14, 5), color_black);

    // A zero maximum does not divide by zero.
    s.Clear(color_black);
    draw_group_bar(s, 5, 0, 4, 4, 10, 5, 2, true, true, hp_fill, hp_highlight);
}

TEST_F(GroupDisplayTest, FramedBarHasGreyFrameAndMiddleLine)
{
    tarv_bitmap s(24, 14);
    s.Clear(color_black);
    const tarv_color grey{128, 128, 128};
    draw_group_bar(s, 5, 10, 4, 4, 10, 6, 1, true, true, hp_fill, hp_highlight);
    // Side lines at x - 1 and x + bw - 1 from y - 1 to y + u - 1.
    EXPECT_TRUE(region_is(s, 3, 3, 3, 9, grey));
    EXPECT_TRUE(region_is(s, 13, 3, 13, 9, grey));
    // The missing half is coloured; the second black mark at (x + bw - 1, y + u - 2) is under the side line.
    EXPECT_EQ(s.GetPixel(10, 6), hp_fill);
    EXPECT_EQ(s.GetPixel(5, 5), color_black);
    EXPECT_EQ(s.GetPixel(5, 6), grey);
}

TEST_F(GroupDisplayTest, EmbeddedHorizontalNameIsRightAligned)
{
    display.mode = 2;
    settings.display = 2;
    settings.layout = 0;
    display.set_geometry(0, 0, 200, 10);
    display.update_group("10 10 5 5 30 30 Bob");
    tarv_bitmap s = paint();
    // The name's three glyphs (white text) end at the row's right edge.
    int leftmost = 1000, rightmost = -1;
    for (int y = 1; y < 1 + display.full_row_height; ++y)
        for (int x = 1; x <= 198; ++x)
            if (const tarv_color c = s.GetPixel(x, y); c.red > 250 && c.green > 250 && c.blue > 250) {
                leftmost = std::min(leftmost, x);
                rightmost = std::max(rightmost, x);
            }
    ASSERT_GE(rightmost, 0);
    EXPECT_GE(leftmost, 198 - 3 * glyph_w);
    EXPECT_LE(rightmost, 198);
}

}  // namespace
