#include "panels/status_display.h"

#include "panels_test_util.h"

namespace {

class StatusBarTest : public ::testing::Test {
protected:
    void SetUp() override { load_panel_resources(); }

    tarv_status_bar& make(int w, int h = 21)
    {
        bar = std::make_unique<tarv_status_bar>(values, 0, 0, w, h);
        bar->scroll_locked = [this] { return locked; };
        bar->unlock_scrollback = [this] {
            locked = false;
            ++unlocks;
        };
        return *bar;
    }

    tarv_status_values values;
    std::unique_ptr<tarv_status_bar> bar;
    bool locked = false;
    int unlocks = 0;
};

TEST_F(StatusBarTest, RightHandItemsFromTheRightEdge)
{
    // "00000 ms" and "00:00 pm" are 48 pixels wide each.
    auto& b = make(600);
    EXPECT_EQ(b.lock_x, 579);
    EXPECT_EQ(b.text_y, (21 - glyph_h) / 2);
    EXPECT_EQ(b.ping_right, 569);
    EXPECT_EQ(b.ping_left, 521);
    EXPECT_EQ(b.time_right, 511);
    EXPECT_EQ(b.time_left, 463);
    EXPECT_EQ(b.sky_bar.x(), 100);
    EXPECT_EQ(b.sky_bar.y(), 1);
    EXPECT_EQ(b.sky_bar.width(), 353);
    EXPECT_EQ(b.sky_bar.height(), 19);
}

TEST_F(StatusBarTest, NarrowBarShiftsItemsSoTheTimeStartsAt131)
{
    auto& b = make(200);
    // Unshifted the time would start at 63: everything moves right by 68.
    EXPECT_EQ(b.time_left, 131);
    EXPECT_EQ(b.time_right, 179);
    EXPECT_EQ(b.ping_left, 189);
    EXPECT_EQ(b.ping_right, 237);
    EXPECT_EQ(b.lock_x, 247);
    EXPECT_EQ(b.sky_bar.width(), 21);
}

TEST_F(StatusBarTest, PingTextOnlyOnceKnown)
{
    auto& b = make(600);
    // Text is blended by glyph coverage: green, not always quite 255.
    auto has_green = [&](int x1, int x2) {
        const tarv_bitmap& s = *b.paint();
        for (int y = 0; y < 21; ++y)
            for (int x = x1; x <= x2; ++x) {
                tarv_color c = s.GetPixel(x, y);
                if (c.red == 0 && c.blue == 0 && c.green > 200) return true;
            }
        return false;
    };
    EXPECT_FALSE(has_green(0, 599));
    values.add_ping_sample(250);
    // "  250 ms": two blanks, then the digits from ping left + 12.
    EXPECT_FALSE(has_green(521, 521 + 2 * glyph_w - 1));
    EXPECT_TRUE(has_green(521 + 2 * glyph_w, 521 + 3 * glyph_w - 1));
    values.add_ping_sample(99999);  // average 50124: all five places
    EXPECT_TRUE(has_green(521, 521 + glyph_w - 1));
}

TEST_F(StatusBarTest, PadlockFollowsTheScrollLockAndUnlocksOnClick)
{
    auto& b = make(600);
    const tarv_bitmap* lock = tarv_builtin_image(IMAGE_LOCK);
    ASSERT_NE(lock, nullptr);
    tarv_bitmap expected(600, 21);
    expected.Clear(color_black);
    expected.DrawBitmapNukeAlpha(*lock, 579, 0);
    // Inside the frame (edges at x 598, 599 and rows 0, 20).
    EXPECT_TRUE(region_is(*b.paint(), 579, 1, 597, 19, color_black));
    locked = true;
    EXPECT_TRUE(region_matches(*b.paint(), expected, 579, 1, 597, 19));
    EXPECT_FALSE(region_is(expected, 579, 1, 597, 19, color_black));

    recording_peer peer;
    b.attach_peer(&peer);
    tarv_mouse_event e;
    e.type = tarv_mouse_event::MOTION;
    e.x = 590;
    b.on_mouse(e);
    EXPECT_EQ(peer.tooltip, "Scrolling is locked (click to unlock).");
    e.x = 560;  // the ping text, not the padlock
    e.type = tarv_mouse_event::LEFT_DOWN;
    e.left_down = true;
    b.on_mouse(e);
    EXPECT_EQ(unlocks, 0);
    e.x = 590;
    b.on_mouse(e);
    EXPECT_EQ(unlocks, 1);
    EXPECT_FALSE(locked);
    b.on_mouse(e);  // no longer locked: nothing to unlock
    EXPECT_EQ(unlocks, 1);
    b.attach_peer(nullptr);
}

TEST_F(StatusBarTest, IconsDrawnByTheirFlags)
{
    auto& b = make(600);
    values.set_icons("10");
    const tarv_bitmap& s = *b.paint();
    tarv_bitmap expected(600, 21);
    expected.Clear(color_black);
    expected.DrawBitmapNukeAlpha(*tarv_builtin_image(IMAGE_STATUS_NO_FIGHTING), 2, 2);
    EXPECT_TRUE(region_matches(s, expected, 2, 2, 18, 18));
    EXPECT_FALSE(region_is(s, 2, 2, 18, 18, color_black));
    EXPECT_TRUE(region_is(s, 20, 2, 18 * 5 + 1, 18, color_black));
}

TEST_F(StatusBarTest, TooltipsByArea)
{
    auto& b = make(600);
    values.set_icons("00101");
    recording_peer peer;
    b.attach_peer(&peer);
    struct probe {
        int x;
        const char* text;
    } probes[] = {
        {2 + 36, "Spell 'burning hands'"},
        {19 + 36, "Spell 'burning hands'"},
        {2 + 18, ""},  // icon 1 is off
        {2 + 72 + 5, "Spell 'sickening touch'"},
        {530, "This is the round trip server ping time.\nValues above 500 ms indicate network lag."},
        {470, "This is the in-game time of day."},
        {590, ""},  // padlock area while not locked
        {300, ""},
    };
    for (const auto& p : probes) {
        tarv_mouse_event e;
        e.x = p.x;
        peer.tooltip = "(none)";
        b.set_tooltip("stale");
        b.on_mouse(e);
        EXPECT_EQ(peer.tooltip, p.text) << p.x;
    }
    values.set_icons("1");
    tarv_mouse_event e;
    e.x = 5;
    b.on_mouse(e);
    EXPECT_EQ(peer.tooltip, "You are not wielding anything.");
    b.attach_peer(nullptr);
}

TEST_F(StatusBarTest, SkyStateParsesFlagsNumbersAndTimeText)
{
    struct sky_case {
        const char* data;
        int outdoors, visible, overcast, terrain, minute;
        const char* time;
    } cases[] = {
        {"101 5 720 Late evening", 1, 0, 1, 5, 720, "Late evening"},
        {"1x1 3 10 noon", 1, 0, 0, 3, 10, "noon"},
        {"111 0 0", 1, 1, 1, 0, 0, ""},
        {"  011\t2\n 1439  Midnight\nnext line", 0, 1, 1, 2, 1439, "Midnight"},
        {"2 7 100 x", 0, 0, 0, 7, 100, "x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        auto& b = make(600);
        b.update_sky_display(c.data);
        EXPECT_EQ(b.sky_bar.outdoors, c.outdoors);
        EXPECT_EQ(b.sky_bar.sky_visible, c.visible);
        EXPECT_EQ(b.sky_bar.overcast, c.overcast);
        EXPECT_EQ(b.sky_bar.terrain, c.terrain);
        EXPECT_EQ(b.sky_bar.current_minute, c.minute);
        EXPECT_EQ(b.time_text, c.time);
        EXPECT_EQ(b.time_color, (tarv_color{192, 192, 192}));
    }
}

TEST_F(StatusBarTest, BadSkyStateLogsAndKeepsThePreviousState)
{
    auto& b = make(600);
    b.update_sky_display("111 4 600 Morning");
    struct bad_case {
        const char* data;
        const char* log;
    } cases[] = {
        {"000 abc 720 Night", "tarv_status_bar::update_sky_display() - bad value for terrain field.\n"},
        {"000", "tarv_status_bar::update_sky_display() - bad value for terrain field.\n"},
        {"000 5 late Night", "tarv_status_bar::update_sky_display() - bad value for current_minute.\n"},
        {"000 5", "tarv_status_bar::update_sky_display() - bad value for current_minute.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        LogCapture log(2);
        b.update_sky_display(c.data);
        EXPECT_EQ(log.text(), c.log);
        EXPECT_EQ(b.time_text, "Morning");
        EXPECT_EQ(b.sky_bar.sky_visible, 1);
        EXPECT_EQ(b.sky_bar.current_minute, 600);
        EXPECT_EQ(b.sky_bar.terrain, 4);
    }
}

TEST_F(StatusBarTest, TimeTextIsCutAndDrawnRightAligned)
{
    auto& b = make(600);
    b.update_sky_display(("000 0 0 " + std::string(7000, 'a')).c_str());
    EXPECT_EQ(b.time_text.size(), 5999u);

    b.update_sky_display("000 0 0 ab");
    const tarv_bitmap& s = *b.paint();
    // "ab" ends at time right (511): it covers x 499 ... 510.
    EXPECT_FALSE(region_is(s, 499, 0, 510, 20, color_black));
    EXPECT_TRUE(region_is(s, 480, 1, 498, 19, color_black));
}

TEST_F(StatusBarTest, ResetClearsTheBarAndFollowsTheSkyBarSetting)
{
    auto& b = make(600);
    values.add_ping_sample(100);
    values.set_icons("11111");
    b.update_sky_display("111 1 500 Day");
    bool sky_setting = false;
    b.sky_bar_enabled = [&] { return sky_setting; };
    b.reset_values();
    EXPECT_FALSE(b.IsShown());
    EXPECT_FALSE(b.sky_bar.IsShown());
    EXPECT_EQ(values.ping_count, 0);
    EXPECT_EQ(values.ping_average, 0);
    EXPECT_EQ(values.icons[0], 0);
    EXPECT_EQ(values.icons[4], 0);
    EXPECT_EQ(b.time_text, "");
    EXPECT_EQ(b.time_color, (tarv_color{191, 191, 191}));
    // The sky itself is not reset.
    EXPECT_EQ(b.sky_bar.current_minute, 500);
    sky_setting = true;
    b.reset_values();
    EXPECT_TRUE(b.sky_bar.IsShown());
}

}  // namespace
