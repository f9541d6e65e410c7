// The background colour flash: hexadecimal colours, the payload and the
// per-tick fading.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/textctrl.h"
#include "text_test_util.h"

namespace {

class FlashTest : public ::testing::Test {
protected:
    // One 20 ms tick of the main loop; returns whether the control stays listed.
    bool tick() { return t.animation_callback(20); }
    // Ticks until the control leaves the animation list (at most `limit`).
    int run_out(int limit = 1000)
    {
        for (int i = 1; i <= limit; ++i)
            if (!tick()) return i;
        return -1;
    }

    std::unique_ptr<tarv_font> font = make_test_font(8, 10);
    tarv_textctrl t{font.get(), 200, 100};
};

TEST(HexColorTest, ReadsSixHexDigits)
{
    LogCapture log(2);
    struct hex_case {
        const char* text;
        tarv_color color;
    };
    const std::vector<hex_case> cases = {
        {"ff0000", {255, 0, 0}},   {"FF8001", {255, 128, 1}}, {"0a0B0c", {10, 11, 12}},
        {"ff0000zz", {255, 0, 0}}, {"#ff0000", {0, 0, 0}},    {"ff00", {0, 0, 0}},
        {"", {0, 0, 0}},           {"gg0000", {0, 0, 0}},     {"12345 6", {0, 0, 0}},
    };
    for (const auto& c : cases) EXPECT_EQ(tarv_textctrl::GetColorFromHexString(c.text), c.color) << c.text;
    EXPECT_EQ(tarv_textctrl::GetColorFromHexString(nullptr), color_black);
    EXPECT_TRUE(log.contains("tarv_textctrl::GetColorFromHexString() - string too short.\n"));
    EXPECT_TRUE(log.contains("tarv_textctrl::GetColorFromHexString() - string doesn't appear to be hex.\n"));
}

TEST_F(FlashTest, FadesFromTheStartColourToTheStepColourOverDurationPlusOneTicks)
{
    CountingPeer peer;
    t.attach_peer(&peer);
    t.parse_colorflash("ff0000 000000 10");
    EXPECT_TRUE(t.on_animation_list);
    EXPECT_EQ(t.flash_remaining, 11);
    EXPECT_GE(peer.refreshes, 1);
    std::vector<int> reds{t.background_color.red};
    std::vector<bool> kept;
    for (int i = 0; i < 11; ++i) {
        kept.push_back(tick());
        reds.push_back(t.background_color.red);
    }
    // 255 * (10 - t) / 10 for t = 0 ... 10, then the base colour.
    EXPECT_EQ(reds, (std::vector<int>{255, 229, 204, 178, 153, 127, 102, 76, 51, 25, 0, 0}));
    std::vector<bool> expected(10, true);
    expected.push_back(false);
    EXPECT_EQ(kept, expected);
    EXPECT_FALSE(t.flash_running());
    t.attach_peer(nullptr);
}

TEST_F(FlashTest, FlashesAtOnceCombineByChannelMaximumAndTheLongerExtends)
{
    t.parse_colorflash("ff0000 000000 10");
    tick();
    tick();
    tick();
    t.parse_colorflash("0000ff 000000 4");
    // New flash at its start, the first at t = 4: 255 * 6 / 10.
    EXPECT_EQ(t.background_color, (tarv_color{153, 0, 255}));
    EXPECT_EQ(t.flash_remaining, 8);  // 5 ticks is shorter than the 8 left
    tick();
    EXPECT_EQ(t.background_color, (tarv_color{127, 0, 191}));
    t.parse_colorflash("00ff00 000000 20");
    EXPECT_EQ(t.flash_remaining, 21);
    EXPECT_EQ(t.flash_shown, 21);
}

TEST_F(FlashTest, StepsWithoutLengthEndOnTheirFirstTick)
{
    t.parse_colorflash("ff0000 00ff00 0 0000ff 2");
    EXPECT_EQ(t.background_color, (tarv_color{0, 255, 0}));
    tick();
    EXPECT_EQ(t.background_color, (tarv_color{0, 255, 0}));
    tick();
    EXPECT_EQ(t.background_color, (tarv_color{0, 127, 127}));
    tick();
    EXPECT_EQ(t.background_color, (tarv_color{0, 0, 255}));
    tick();
    EXPECT_EQ(t.background_color, color_black);

    t.parse_colorflash("ff0000 00ff00 -5");
    EXPECT_EQ(t.background_color, (tarv_color{0, 255, 0}));
    run_out();
    EXPECT_EQ(t.background_color, color_black);
}

TEST_F(FlashTest, TheBackgroundAlwaysGetsBackToItsBase)
{
    // A negative step shortens the tick count below what the later step
    // needs; the control must stay listed until the flash has ended.
    t.set_text_colors(color_white, tarv_color{10, 20, 30});
    t.parse_colorflash("ff0000 00ff00 -5 0000ff 10");
    bool saw_blue = false;
    for (int i = 0; i < 100 && tick(); ++i) saw_blue |= t.background_color == tarv_color{0, 0, 255};
    EXPECT_TRUE(saw_blue);
    EXPECT_EQ(t.background_color, (tarv_color{10, 20, 30}));
    EXPECT_FALSE(t.flash_running());

    // Drag scrolling shares the counters and may cut them short.
    t.parse_colorflash("ff0000 000000 10");
    t.flash_remaining = 1;
    run_out();
    EXPECT_EQ(t.background_color, (tarv_color{10, 20, 30}));
}

TEST_F(FlashTest, AFlashAfterOneWhoseStepsAddUpBelowZeroStillFades)
{
    CountingPeer peer;
    t.attach_peer(&peer);
    for (const char* first : {"ff0000 000000 -5", "ff0000 00ff00 -5 0000ff 10", "ff0000 000000 -5"}) {
        // Through the real animation list, which drops a control whose
        // callback says it is done.
        t.parse_colorflash(first);
        for (int i = 0; i < 100 && t.on_animation_list; ++i) run_animations(20);
        ASSERT_FALSE(t.on_animation_list) << first;
        EXPECT_GE(t.flash_remaining, 0) << first;

        t.parse_colorflash("ff0000 000000 10");
        EXPECT_TRUE(t.on_animation_list) << first;
        std::vector<int> reds{t.background_color.red};
        int refreshes = peer.refreshes;
        for (int i = 0; i < 11; ++i) {
            run_animations(20);
            reds.push_back(t.background_color.red);
        }
        EXPECT_EQ(reds, (std::vector<int>{255, 229, 204, 178, 153, 127, 102, 76, 51, 25, 0, 0})) << first;
        EXPECT_GE(peer.refreshes - refreshes, 10) << first;
        EXPECT_FALSE(t.on_animation_list) << first;
    }
    t.attach_peer(nullptr);
}

TEST_F(FlashTest, BadPayloadsChangeNothingOrKeepTheGoodSteps)
{
    LogCapture log(2);
    for (const char* payload : {"ff0000 000000 x", "ff0000 000000 5x", "ff0000", "", "   "}) {
        t.parse_colorflash(payload);
        EXPECT_FALSE(t.flash_running()) << payload;
        EXPECT_FALSE(t.on_animation_list) << payload;
        EXPECT_EQ(t.background_color, color_black) << payload;
    }
    t.parse_colorflash(nullptr);
    EXPECT_FALSE(t.flash_running());
    EXPECT_TRUE(log.contains("tarv_textctrl::parse_colorflash() - bad duration.\n"));

    t.parse_colorflash("ff0000 00ff00 5 0000ff");
    EXPECT_TRUE(log.contains("tarv_textctrl::parse_colorflash() - bad subsequent duration.\n"));
    EXPECT_EQ(t.flash_remaining, 6);
    EXPECT_EQ(run_out(), 6);
    EXPECT_EQ(t.background_color, color_black);
}

TEST_F(FlashTest, HugeDurationsAndFloodsStayBounded)
{
    LogCapture log(2);
    t.parse_colorflash("ff0000 000000 99999999999999999999 00ff00 99999999999999999999");
    EXPECT_GT(t.flash_remaining, 0);
    for (int i = 0; i < 40; ++i) t.parse_colorflash("ff0000 000000 1000");
    EXPECT_EQ(t.flash_count(), 32u);
    EXPECT_TRUE(log.contains("too many flashes at once"));
    tick();
    EXPECT_EQ(t.background_color.red, 255 * 999 / 1000);
}

}  // namespace
