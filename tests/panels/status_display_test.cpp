#include "panels/status_display.h"

#include "panels_test_util.h"

namespace {

const tarv_color hp_fill{128, 0, 0}, hp_edge{255, 32, 32};

class StatusDisplayTest : public ::testing::Test {
protected:
    void SetUp() override { load_panel_resources(); }

    // A display of the given size with its bars switched as asked.
    tarv_status_display& make(int w, int h, bool hp, bool exp, bool enemy)
    {
        display = std::make_unique<tarv_status_display>(values, 0, 0, w, h);
        display->set_bars(hp, exp, enemy);
        return *display;
    }

    tarv_status_values values;
    std::unique_ptr<tarv_status_display> display;
};

// Label widths with 6-pixel glyphs: format 0 sums to 378 (four labels) or
// 312 (three), format 1 to 306 or 252, format 2 to 234 or 180.
struct layout_case {
    int width;
    bool hp, exp, enemy;
    int format, bar_width, hp_x, mana_x, move_x, exp_x;
};

TEST_F(StatusDisplayTest, ColumnsAndFormatFollowTheWidth)
{
    const layout_case cases[] = {
        // Four columns: t = (W - labels - 20) / 4 must exceed W / 10.
        {1000, true, true, false, 0, 150, 10, 256, 514, 772},
        {600, true, true, false, 1, 68, 10, 162, 314, 466},
        {480, true, true, false, 2, 56, 10, 126, 242, 358},
        {400, true, true, false, 3, 87, 10, 107, 204, 301},
        {100, true, true, false, 3, 15, 10, 35, 60, 85},
        // Three columns: t = (W - labels - 20) / 3 must exceed W / 7.
        {1000, true, false, false, 0, 222, 10, 328, 658, 658},
        {1000, true, true, true, 0, 222, 10, 328, 658, 658},
        {200, true, false, false, 3, 50, 10, 70, 130, 130},
        {80, true, false, true, 3, 15, 10, 35, 60, 60},
        // Experience alone: two thirds of the width from x 10.
        {300, false, true, false, 0, 200, 10, 10, 10, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "width " << c.width << " hp " << c.hp << " exp " << c.exp
                                          << " enemy " << c.enemy);
        auto& d = make(c.width, 21, c.hp, c.exp, c.enemy);
        EXPECT_EQ(d.layout_format, c.format);
        EXPECT_EQ(d.bar_width, c.bar_width);
        EXPECT_EQ(d.column_x[tarv_status_display::HP], c.hp_x);
        EXPECT_EQ(d.column_x[tarv_status_display::MANA], c.mana_x);
        EXPECT_EQ(d.column_x[tarv_status_display::MOVE], c.move_x);
        EXPECT_EQ(d.column_x[tarv_status_display::EXP], c.exp_x);
    }
}

TEST_F(StatusDisplayTest, RowsSplitOnlyWithEnemyAndHitPoints)
{
    auto& two = make(600, 42, true, false, true);
    EXPECT_EQ(two.bar_height, 10);
    EXPECT_EQ(two.bar_y_upper, 5);
    EXPECT_EQ(two.bar_y_lower, 26);
    EXPECT_EQ(two.text_y_upper, (21 - glyph_h) / 2);
    EXPECT_EQ(two.text_y_lower, (21 - glyph_h) / 2 + 21);

    auto& one = make(600, 21, false, true, true);
    EXPECT_EQ(one.bar_height, 10);
    EXPECT_EQ(one.bar_y_upper, 5);
    EXPECT_EQ(one.bar_y_lower, 5);
    EXPECT_EQ(one.text_y_lower, (21 - glyph_h) / 2);
}

TEST_F(StatusDisplayTest, LabelTextsPerFormat)
{
    values.set_hp("75 150 20 40 99 100");
    values.set_exp("250 900");
    auto& d = make(1000, 21, true, true, false);
    EXPECT_EQ(d.hp_label(), " hp:  75/150");
    EXPECT_EQ(d.mana_label(), " mana:  20/40");
    EXPECT_EQ(d.move_label(), " move:  99/100");
    EXPECT_EQ(d.exp_label(), " exp: 90%");
    EXPECT_EQ(d.enemy_label(), "");

    make(600, 21, true, true, false);
    EXPECT_EQ(display->mana_label(), " mn:  20/40");
    EXPECT_EQ(display->move_label(), " mv:  99/100");
    EXPECT_EQ(display->exp_label(), " xp: 90%");

    make(480, 21, true, true, false);
    EXPECT_EQ(display->hp_label(), " hp:  75");
    EXPECT_EQ(display->mana_label(), " mn:  20");
    EXPECT_EQ(display->move_label(), " mv:  99");

    // Bars only: no value labels, but the enemy's name stays.
    make(80, 21, true, false, true);
    EXPECT_EQ(display->hp_label(), "");
    EXPECT_EQ(display->enemy_label(), " (no enemy)");

    values.set_exp("1000");
    make(1000, 21, true, true, false);
    EXPECT_EQ(display->exp_label(), " exp: FULL");
    values.set_exp("-50");
    EXPECT_EQ(display->exp_label(), " exp: 0%");
}

TEST_F(StatusDisplayTest, LabelIsDrawnRightOfItsBar)
{
    values.set_hp("75 150 20 40 99 100");
    auto& d = make(1000, 21, true, true, false);
    const tarv_bitmap& s = *d.paint();
    // " hp:  75/150" from x 161: the leading blank is empty, the h is not.
    const int x = 10 + 150 + 1;
    EXPECT_TRUE(region_is(s, x, 4, x + glyph_w - 1, 4 + glyph_h - 1, color_black));
    EXPECT_FALSE(region_is(s, x + glyph_w, 4, x + 2 * glyph_w - 1, 4 + glyph_h - 1, color_black));
}

TEST_F(StatusDisplayTest, HitPointBarFillsInProportion)
{
    values.set_hp("75 150 1 1 1 1");
    auto& d = make(1000, 21, true, true, false);
    const tarv_bitmap& s = *d.paint();
    // Bar frame at (9, 4), width 150, height 10: side lines at x 9 and 160,
    // fill x 10 ... 84, rows 5 ... 14, top and bottom rows in the edge colour.
    EXPECT_EQ(s.GetPixel(9, 8), color_white);
    EXPECT_EQ(s.GetPixel(160, 8), color_white);
    EXPECT_EQ(s.GetPixel(10, 7), hp_fill);
    EXPECT_EQ(s.GetPixel(83, 12), hp_fill);
    EXPECT_EQ(s.GetPixel(50, 5), hp_edge);
    EXPECT_EQ(s.GetPixel(50, 14), hp_edge);
    // The fill's last column loses its corner pixels.
    EXPECT_EQ(s.GetPixel(84, 5), color_black);
    EXPECT_EQ(s.GetPixel(84, 14), color_black);
    EXPECT_EQ(s.GetPixel(84, 8), hp_fill);
    // Beyond the fill: black, with the white middle line on row 10.
    EXPECT_EQ(s.GetPixel(85, 8), color_black);
    EXPECT_EQ(s.GetPixel(100, 10), color_white);
    // The mark for 100 at x = 100 * 150 / 150 + 10 = 110 is not reached.
    EXPECT_EQ(s.GetPixel(110, 9), color_white);
    EXPECT_EQ(s.GetPixel(110, 11), color_white);
    EXPECT_EQ(s.GetPixel(110, 4), color_black);
}

TEST_F(StatusDisplayTest, ReachedMarkAndZeroMaximum)
{
    values.set_hp("120 150 50 0 -5 100");
    auto& d = make(1000, 21, true, true, false);
    const tarv_bitmap& s = *d.paint();
    // Reached mark at x 110: edge colour above the bar, fill colour below.
    EXPECT_EQ(s.GetPixel(110, 4), hp_edge);
    EXPECT_EQ(s.GetPixel(110, 16), hp_fill);
    // Mana 50 of 0 counts as of 1: full, no black corner at the end.
    const tarv_color mana_fill{0, 64, 160}, mana_edge{64, 96, 255};
    EXPECT_EQ(s.GetPixel(256 + 149, 8), mana_fill);
    EXPECT_EQ(s.GetPixel(256 + 149, 5), mana_edge);
    // Negative movement draws no fill.
    EXPECT_TRUE(region_is(s, 514, 5, 514 + 149, 9, color_black));
}

TEST_F(StatusDisplayTest, MarksForAHugeMaximumMatchOneByOneDrawing)
{
    values.set_hp("333333 1000000 1 1 1 1");
    auto& d = make(1000, 21, true, true, false);
    const tarv_bitmap& s = *d.paint();

    tarv_bitmap expected(1000, 21);
    expected.Clear(color_black);
    const int bw = 150, x = 10, by = 5, bh = 10;
    draw_status_bar(expected, x - 1, by - 1, bw, bh, bw * 333333LL / 1000000, hp_fill, hp_edge);
    for (long long v = 100; v < 1000000; v += 100) {
        const int px = static_cast<int>(v * bw / 1000000 + x);
        if (v > 333333)
            expected.DrawLine(px, by + bh / 2 - 1, px, by + bh / 2 + 1, color_white);
        else {
            expected.SetPixel(px, by - 1, hp_edge);
            expected.SetPixel(px, by + bh + 1, hp_fill);
        }
    }
    EXPECT_TRUE(region_matches(s, expected, 0, 0, 160, 20));
}

TEST_F(StatusDisplayTest, EnemyBarOnlyWhileShown)
{
    values.set_hp("1 1 1 1 1 1");
    values.set_enemy("40 a goblin");
    const tarv_color enemy_fill{128, 64, 32};
    auto& d = make(1000, 42, true, false, true);
    // Three columns, format 0: bar width 222; upper bar at y 5, fill 88.
    const tarv_bitmap* s = d.paint();
    EXPECT_EQ(s->GetPixel(10, 8), enemy_fill);
    EXPECT_EQ(s->GetPixel(10 + 87, 8), enemy_fill);
    EXPECT_EQ(s->GetPixel(10 + 88, 8), color_black);
    EXPECT_EQ(d.enemy_label(), " a goblin");

    d.set_bars(true, false, false);
    s = d.paint();
    EXPECT_EQ(d.enemy_label(), "");
    for (int y = 0; y < 42; ++y)
        for (int x = 0; x < 1000; ++x) ASSERT_FALSE(s->GetPixel(x, y) == enemy_fill) << x << ", " << y;
}

TEST_F(StatusDisplayTest, ExperienceSegmentsLongestFirst)
{
    values.set_exp("250 900");
    auto& d = make(1000, 21, true, true, false);
    const tarv_bitmap& s = *d.paint();
    // Exp column 772, width 150: 900 gives 135 pixels in (48, 0, 48), then
    // 250 gives 37 pixels in (80, 0, 80) over it.
    EXPECT_EQ(s.GetPixel(772, 9), (tarv_color{80, 0, 80}));
    EXPECT_EQ(s.GetPixel(808, 9), (tarv_color{80, 0, 80}));
    EXPECT_EQ(s.GetPixel(809, 9), (tarv_color{48, 0, 48}));
    EXPECT_EQ(s.GetPixel(906, 9), (tarv_color{48, 0, 48}));
    EXPECT_EQ(s.GetPixel(907, 9), color_black);
    EXPECT_EQ(s.GetPixel(790, 5), (tarv_color{176, 0, 176}));
    EXPECT_EQ(s.GetPixel(850, 14), (tarv_color{144, 0, 144}));
    EXPECT_EQ(s.GetPixel(771, 8), color_white);  // frame
}

TEST_F(StatusDisplayTest, EighthSegmentColourWrapsTo16)
{
    values.set_exp("800 700 600 500 400 300 200 100");
    auto& d = make(1000, 21, false, true, false);
    const tarv_bitmap& s = *d.paint();
    // Experience alone: x 10, width 666; the shortest (100) is 66 pixels.
    EXPECT_EQ(s.GetPixel(10, 9), (tarv_color{16, 0, 16}));
    EXPECT_EQ(s.GetPixel(10, 5), (tarv_color{112, 0, 112}));
    EXPECT_EQ(s.GetPixel(10 + 66, 9), (tarv_color{192, 0, 192}));  // seventh, 200 -> 133
    EXPECT_EQ(s.GetPixel(10 + 133, 9), (tarv_color{192, 0, 192}));  // sixth, 300 -> 199
    EXPECT_EQ(s.GetPixel(10 + 531, 9), (tarv_color{48, 0, 48}));    // first, 800 -> 532
    EXPECT_EQ(s.GetPixel(10 + 531, 9), (tarv_color{48, 0, 48}));  // first, 800 -> 532 pixels
    EXPECT_EQ(s.GetPixel(10 + 532, 9), color_black);
}

TEST_F(StatusDisplayTest, TooltipsByArea)
{
    auto& d = make(1000, 42, true, true, true);
    recording_peer peer;
    d.attach_peer(&peer);
    struct probe {
        int x, y;
        const char* text;
    } probes[] = {
        {50, 30, "Your current health."},
        {350, 30, "Your current mana."},
        {700, 30, "Your current movement."},
        {50, 8, "Your current enemy's health."},
        {700, 8, "Your accumulated experience towards your next level."},
        {5, 30, ""},
    };
    for (const auto& p : probes) {
        tarv_mouse_event e;
        e.x = p.x;
        e.y = p.y;
        d.on_mouse(e);
        EXPECT_EQ(peer.tooltip, p.text) << p.x << ", " << p.y;
    }
    d.attach_peer(nullptr);
}

TEST_F(StatusDisplayTest, FlashDrawsTheFrameInTurn)
{
    auto& d = make(200, 21, true, false, false);
    d.edge_flags = EDGE_LEFT;
    EXPECT_EQ(d.paint()->GetPixel(0, 10), color_white);
    EXPECT_EQ(d.paint()->GetPixel(100, 0), color_black);  // no top edge
    d.start_flash();  // 16 steps left: even, black
    EXPECT_EQ(d.paint()->GetPixel(0, 10), color_black);
    d.flash_remaining = 15;
    EXPECT_EQ(d.paint()->GetPixel(100, 0), color_white);  // top edge added
    remove_from_animation_list(&d);
}

TEST_F(StatusDisplayTest, ResetRestoresValuesAndHides)
{
    values.set_hp("5 6 7 8 9 10");
    values.set_exp("500");
    values.set_enemy("40 a goblin");
    auto& d = make(600, 21, true, true, true);
    d.reset_values();
    EXPECT_FALSE(d.IsShown());
    EXPECT_EQ(values.hp, -1);
    EXPECT_EQ(values.hp_max, 1);
    EXPECT_EQ(values.move, -1);
    EXPECT_EQ(values.exp[0], 0);
    EXPECT_EQ(values.enemy_percent, -1);
    EXPECT_EQ(values.enemy_name, "(no enemy)");
}

}  // namespace
