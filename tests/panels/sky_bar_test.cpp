#include "panels/sky_bar.h"

#include "panels_test_util.h"
#include "support/random.h"

namespace {

const tarv_color edge_grey{160, 160, 160};

tarv_bitmap paint(tarv_sky_bar& sky)
{
    return *sky.paint();
}

TEST(SkyBarTest, NoSkyPictureBeforeAnyStateAndWhenNotVisible)
{
    tarv_sky_bar sky(0, 0, 40, 10);
    EXPECT_EQ(sky.tooltip(), "The current view of the sky is displayed here.");
    auto check = [](const tarv_bitmap& b) {
        for (int y = 0; y < 10; ++y) {
            EXPECT_EQ(b.GetPixel(0, y), edge_grey);
            EXPECT_EQ(b.GetPixel(39, y), edge_grey);
        }
        EXPECT_TRUE(region_is(b, 1, 0, 38, 9, color_black));
    };
    check(paint(sky));
    recording_peer peer;
    sky.attach_peer(&peer);
    sky.set_sky_state(1, 0, 0, 3, 720);
    EXPECT_EQ(peer.tooltip, "You can't see the sky from here.");
    check(paint(sky));
    sky.attach_peer(nullptr);
}

TEST(SkyBarTest, TooltipByVisibilityCloudAndPlace)
{
    struct tip_case {
        int visible, overcast, outdoors;
        const char* text;
    } cases[] = {
        {0, 1, 1, "You can't see the sky from here."},
        {1, 1, 1, "It is cloudy and overcast."},
        {1, 1, 0, "You can see the overcast sky from here."},
        {1, 0, 1, "The sky is clear."},
        {1, 0, 0, "You can see the clear sky from here."},
    };
    tarv_sky_bar sky;
    for (const auto& c : cases) {
        sky.set_sky_state(c.outdoors, c.visible, c.overcast, 0, 600);
        EXPECT_EQ(sky.tooltip(), c.text);
    }
}

TEST(SkyBarTest, ClearNoonHasSunAndPlainSky)
{
    tarv_sky_bar sky(0, 0, 200, 19);
    sky.set_sky_state(1, 1, 0, 5, 720);
    tarv_bitmap b = paint(sky);
    const tarv_color day{85, 170, 255};
    const tarv_color rim{255, 255, 0};
    EXPECT_EQ(dominant_color(b), day);
    // Sun centre (85, 9); core radius 3, rim radius 4.
    EXPECT_EQ(b.GetPixel(85, 9), color_white);
    EXPECT_EQ(b.GetPixel(88, 9), color_white);
    EXPECT_EQ(b.GetPixel(89, 9), rim);
    EXPECT_EQ(b.GetPixel(90, 9), day);
    EXPECT_EQ(b.GetPixel(85, 6), color_white);
    EXPECT_EQ(b.GetPixel(85, 5), rim);
    EXPECT_EQ(b.GetPixel(85, 4), day);
    // No stars show in full day, and the moon is out of view.
    for (int y = 0; y < 19; ++y)
        for (int x = 1; x < 199; ++x) {
            tarv_color c = b.GetPixel(x, y);
            ASSERT_TRUE(c == day || c == rim || c == color_white) << x << ", " << y;
        }
    EXPECT_EQ(b.GetPixel(0, 3), color_white);
    EXPECT_EQ(b.GetPixel(199, 3), color_white);
}

TEST(SkyBarTest, MidnightShowsMoonAndStarsAtFullLevel)
{
    tarv_sky_bar sky(0, 0, 200, 19);
    sky.set_sky_state(1, 1, 0, 5, 0);
    tarv_bitmap b = paint(sky);
    EXPECT_EQ(dominant_color(b), color_black);
    EXPECT_EQ(b.GetPixel(85, 9), color_white);
    EXPECT_EQ(b.GetPixel(89, 9), (tarv_color{192, 192, 192}));
    int checked = 0;
    for (int i = 0; i < tarv_sky_bar::star_count; ++i) {
        const int x = static_cast<int>(400 * sky.star_x[i]);
        const int y = static_cast<int>(38 * sky.star_y[i]);
        if (x < 1 || x >= 199 || y >= 19 || (x >= 80 && x <= 90)) continue;
        // A later star may land on the same pixel.
        bool later = false;
        for (int j = i + 1; j < tarv_sky_bar::star_count; ++j)
            later |= static_cast<int>(400 * sky.star_x[j]) == x && static_cast<int>(38 * sky.star_y[j]) == y;
        if (later) continue;
        EXPECT_EQ(b.GetPixel(x, y), (tarv_color{sky.star_red[i], sky.star_green[i], sky.star_blue[i]}));
        ++checked;
    }
    EXPECT_GT(checked, 10);
}

TEST(SkyBarTest, StarsAreBluishOrReddishWhite)
{
    tarv_random_global_init();
    tarv_sky_bar sky;
    int bluish = 0, reddish = 0;
    for (int i = 0; i < tarv_sky_bar::star_count; ++i) {
        const int r = sky.star_red[i], g = sky.star_green[i], bl = sky.star_blue[i];
        ASSERT_GE(sky.star_x[i], 0.0f);
        ASSERT_LE(sky.star_x[i], 1.0f);
        if (bl >= 192 && bl <= 255 && g <= bl && r <= g && 4 * g >= 3 * bl - 3) ++bluish;
        else if (r >= 192 && r <= 255 && g <= r && bl <= g && 4 * g >= r - 3) ++reddish;
        else ADD_FAILURE() << "star " << i << ": " << r << ", " << g << ", " << bl;
    }
    EXPECT_GT(bluish, reddish);
    EXPECT_GT(reddish, 0);
}

TEST(SkyBarTest, DawnColourAndMorningGlow)
{
    tarv_sky_bar sky(0, 0, 200, 19);
    sky.set_sky_state(1, 1, 0, 0, 405);
    tarv_bitmap b = paint(sky);
    // h = 45: blue 153, red 51, green 102; the glow peaks at 255.
    EXPECT_EQ(dominant_color(b), (tarv_color{51, 102, 153}));
    // From (255, 127, 153) under the white edge line down to the sky at
    // x 25 (W / 8): count the rows where that holds (stars may sit on a few).
    int glowing_rows = 0;
    for (int y = 0; y < 19; ++y) {
        tarv_color c = b.GetPixel(1, y);
        bool falling = true;
        for (int x = 2; x <= 25; ++x) falling &= b.GetPixel(x, y).red <= b.GetPixel(x - 1, y).red;
        if (c.red >= 230 && c.green >= 120 && c.green <= 127 && c.blue == 153 && falling &&
            b.GetPixel(27, y) == (tarv_color{51, 102, 153}))
            ++glowing_rows;
    }
    EXPECT_GE(glowing_rows, 10);
    // Evening glow sits at the right end instead.
    sky.set_sky_state(1, 1, 0, 0, 1140);
    b = paint(sky);
    EXPECT_GE(b.GetPixel(198, 9).red, 230);
    EXPECT_LT(b.GetPixel(10, 9).red, 100);  // the moon is at the left end
}

TEST(SkyBarTest, OvercastDimsSkySunAndStars)
{
    tarv_sky_bar sky(0, 0, 200, 19);
    sky.set_sky_state(1, 1, 1, 0, 720);
    tarv_bitmap b = paint(sky);
    EXPECT_EQ(dominant_color(b), (tarv_color{69, 138, 208}));
    EXPECT_EQ(b.GetPixel(85, 9), (tarv_color{224, 224, 224}));
    EXPECT_EQ(b.GetPixel(89, 9), (tarv_color{208, 208, 208}));

    // Indoors at night: stars at half level (k = 104 of 208).
    sky.set_sky_state(0, 1, 0, 0, 0);
    b = paint(sky);
    EXPECT_EQ(b.GetPixel(85, 9), (tarv_color{192, 192, 192}));
    EXPECT_EQ(b.GetPixel(89, 9), (tarv_color{128, 128, 128}));
    for (int i = 0; i < tarv_sky_bar::star_count; ++i) {
        const int x = static_cast<int>(400 * sky.star_x[i]);
        const int y = static_cast<int>(38 * sky.star_y[i]);
        if (x < 1 || x >= 199 || y >= 19 || (x >= 80 && x <= 90)) continue;
        tarv_color c = b.GetPixel(x, y);
        EXPECT_LE(std::max({c.red, c.green, c.blue}), 255 * 104 / 208) << i;
    }
}

TEST(SkyBarTest, LastDuskMinuteAndNight)
{
    tarv_sky_bar sky(0, 0, 200, 19);
    sky.set_sky_state(1, 1, 0, 0, 1199);
    EXPECT_EQ(dominant_color(paint(sky)), (tarv_color{1, 2, 3}));
    sky.set_sky_state(1, 1, 0, 0, 1200);
    EXPECT_EQ(dominant_color(paint(sky)), color_black);
}

TEST(SkyBarTest, AbsurdMinutesAndSizesDrawWithoutFault)
{
    tarv_sky_bar sky(0, 0, 1, 1);
    for (int minute : {-1000000000, -1, 1440, 1000000000}) {
        sky.set_sky_state(1, 1, 0, 0, minute);
        for (auto [w, h] : {std::pair{1, 1}, std::pair{3, 40}, std::pair{500, 19}}) {
            sky.set_size(w, h);
            tarv_bitmap b = paint(sky);
            EXPECT_EQ(b.GetWidth(), w);
            // Outside the day is night.
            if (w == 500) {
                EXPECT_EQ(dominant_color(b), color_black) << minute;
            }
        }
    }
}

}  // namespace
