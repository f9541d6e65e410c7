#include <gtest/gtest.h>

#include "draw/main_background.h"
#include "draw/theme.h"
#include "draw_test_util.h"

namespace {

struct BackgroundCache : ::testing::Test {
    void SetUp() override { create_themes(); }
};

}  // namespace

TEST_F(BackgroundCache, GrowsInStepsAboveTheLargerSize)
{
    tarv_background_cache cache;
    EXPECT_EQ(cache.surface(), nullptr);
    EXPECT_TRUE(cache.update(700, 500, BG_MAZE2, THEME_RED, false));
    ASSERT_NE(cache.surface(), nullptr);
    EXPECT_EQ(cache.surface()->GetWidth(), 768);
    EXPECT_EQ(cache.surface()->GetHeight(), 512);
    const tarv_bitmap* first = cache.surface();

    EXPECT_FALSE(cache.update(760, 500, BG_MAZE2, THEME_RED, false));
    EXPECT_EQ(cache.surface(), first);

    // Both dimensions take the next step above the larger of remembered and current.
    EXPECT_TRUE(cache.update(800, 500, BG_MAZE2, THEME_RED, false));
    EXPECT_EQ(cache.surface()->GetWidth(), 1024);
    EXPECT_EQ(cache.surface()->GetHeight(), 768);

    // Never shrinks; forcing regenerates at the same size.
    EXPECT_TRUE(cache.update(100, 100, BG_MAZE2, THEME_RED, true));
    EXPECT_EQ(cache.surface()->GetWidth(), 1024);
    EXPECT_EQ(cache.surface()->GetHeight(), 768);
    EXPECT_EQ(cache.generation(), 3u);

    EXPECT_EQ(tarv_background_step(-1, 256), 512);
    EXPECT_EQ(tarv_background_step(-1, 255), 256);
    EXPECT_EQ(tarv_background_step(-1, 0), 256);
}

TEST_F(BackgroundCache, StyleOrColourChangeRegenerates)
{
    tarv_background_cache cache;
    cache.update(100, 100, BG_SOLID, THEME_RED, false);
    EXPECT_EQ(cache.surface()->GetPixel(5, 5), (tarv_color{32, 0, 0}));
    EXPECT_TRUE(cache.update(100, 100, BG_SOLID, THEME_GREEN, false));
    EXPECT_EQ(cache.surface()->GetPixel(5, 5), (tarv_color{0, 32, 0}));
    EXPECT_TRUE(cache.update(100, 100, BG_NONE, THEME_GREEN, false));
    EXPECT_EQ(cache.surface()->GetPixel(5, 5), color_black);
    EXPECT_FALSE(cache.update(100, 100, BG_NONE, THEME_GREEN, false));
}

TEST_F(BackgroundCache, FiftyPicksKeepTheSizeAndShowTheNewColours)
{
    // What the player does in the Themes menu: colour and style picks, each
    // a forced rebuild, in a window that stays 984 x 728.
    const int themes[] = {THEME_RED, THEME_GREEN, THEME_BLUE, THEME_PURPLE, THEME_GREY};
    const int styles[] = {BG_SOLID, BG_MAZE1, BG_MAZE2, BG_MAZE3, BG_BUBBLES};
    tarv_background_cache cache;
    cache.update(984, 728, BG_SOLID, THEME_RED, false);
    const int width = cache.surface()->GetWidth(), height = cache.surface()->GetHeight();
    for (int pick = 0; pick < 50; ++pick) {
        const int theme = themes[pick % 5], style = styles[(pick / 5) % 5];
        ASSERT_TRUE(cache.update(984, 728, style, theme, true)) << pick;
        ASSERT_NE(cache.surface(), nullptr) << pick;
        EXPECT_EQ(cache.surface()->GetWidth(), width) << pick;
        EXPECT_EQ(cache.surface()->GetHeight(), height) << pick;
        // The surface holds this pick's picture, as a fresh one would.
        tarv_background_cache fresh;
        fresh.update(984, 728, style, theme, false);
        bool same = true;
        for (int y = 0; y < 728 && same; y += 7)
            for (int x = 0; x < 984 && same; x += 5)
                same = cache.surface()->GetPixel(x, y) == fresh.surface()->GetPixel(x, y);
        EXPECT_TRUE(same) << "pick " << pick << ": style " << style << ", theme " << theme;
    }
    EXPECT_EQ(cache.generation(), 51u);
}

// Logo 192 x 43, host text 120 x 14: block 192 wide, 43 + 14 - 5 = 52 high.
TEST(LogoBlock, PlacementPerLayout)
{
    struct layout_case {
        int layout;
        tarv_logo_block expected;
    };
    const layout_case cases[] = {
        {2, {0, 0, 36, 38, 0, 0, 192, 52}},
        {1, {0, 953, 36, 986, 0, 948, 192, 52}},
        {0, {792, 953, 828, 986, 792, 948, 192, 52}},
        {7, {792, 953, 828, 986, 792, 948, 192, 52}},
    };
    for (const auto& c : cases) {
        tarv_logo_block b = tarv_place_logo_block(c.layout, 984, 1000, 192, 43, 120, 14);
        const tarv_logo_block& e = c.expected;
        EXPECT_EQ((std::vector<int>{b.logo_x, b.logo_y, b.text_x, b.text_y, b.x, b.y, b.width, b.height}),
                  (std::vector<int>{e.logo_x, e.logo_y, e.text_x, e.text_y, e.x, e.y, e.width, e.height}))
            << "layout " << c.layout;
    }
    // Text wider than the logo centres the logo over it (halves rounded down).
    tarv_logo_block wide = tarv_place_logo_block(2, 500, 400, 192, 43, 251, 14);
    EXPECT_EQ(wide.width, 251);
    EXPECT_EQ(wide.logo_x, 125 - 96);
    EXPECT_EQ(wide.text_x, 0);
}
