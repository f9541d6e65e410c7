#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "draw/theme.h"
#include "draw_test_util.h"

namespace {

const tarv_background_colors red_set{{80, 0, 0}, {56, 0, 0}, {32, 0, 0}};
const std::map<char, tarv_color> bg_legend{{'.', color_black}, {'A', red_set.a}, {'B', red_set.b}, {'C', red_set.c}};

std::vector<std::string> background(int w, int h, int style)
{
    tarv_bitmap s(w, h);
    draw_background(s, w, h, style, red_set);
    return picture(s, bg_legend);
}

struct themes_ready : ::testing::Test {
    void SetUp() override { create_themes(); }
    void TearDown() override { switch_themes(THEME_BLUE, THEME_BLUE); }
};

}  // namespace

using Themes = themes_ready;

TEST_F(Themes, IndexSelectsItsTableEntryAndUnknownSelectsBlue)
{
    struct switch_case {
        int index;
        tarv_color map_frame;
        tarv_color lit_face;
        tarv_color background_a;
    };
    const switch_case cases[] = {
        {2, {192, 0, 0}, {80, 0, 0}, {80, 0, 0}},         {40, {160, 96, 64}, {80, 48, 32}, {80, 32, 16}},
        {0, {192, 192, 0}, {96, 96, 96}, {80, 80, 0}},     {50, {144, 192, 0}, {72, 96, 0}, {48, 80, 0}},
        {60, {0, 192, 0}, {0, 80, 0}, {0, 80, 0}},         {70, {48, 144, 192}, {0, 64, 80}, {0, 56, 80}},
        {1, {48, 48, 192}, {0, 0, 80}, {0, 0, 96}},        {80, {192, 96, 192}, {80, 0, 80}, {80, 0, 80}},
        {90, {192, 192, 192}, {80, 80, 80}, {64, 64, 64}}, {17, {48, 48, 192}, {0, 0, 80}, {0, 0, 96}},
        {-5, {48, 48, 192}, {0, 0, 80}, {0, 0, 96}},
    };
    for (const auto& c : cases) {
        switch_themes(c.index, c.index);
        EXPECT_EQ((*current_button_theme)[THEME_MAP_FRAME], c.map_frame) << c.index;
        EXPECT_EQ((*current_button_theme)[THEME_LIT_FACE], c.lit_face) << c.index;
        EXPECT_EQ(current_background_colors->a, c.background_a) << c.index;
    }
    // Button theme and background colours are chosen independently.
    switch_themes(THEME_GREY, THEME_RED);
    EXPECT_EQ((*current_button_theme)[THEME_PANEL_FRAME], (tarv_color{192, 192, 192}));
    EXPECT_EQ(current_background_colors->c, (tarv_color{32, 0, 0}));
}

// Cells picked across the table, including the ones that break the
// pattern of their row (Blue's yellow labels, Grey's pressed face).
TEST_F(Themes, ButtonThemeCells)
{
    struct cell {
        int index;
        int slot;
        tarv_color value;
    };
    const cell cells[] = {
        {THEME_BLUE, THEME_LIT_LABEL, {255, 255, 0}},
        {THEME_BLUE, THEME_ON_HOVER_LABEL, {255, 255, 0}},
        {THEME_BLUE, THEME_PRESSED_LABEL, {192, 192, 192}},
        {THEME_GREY, THEME_PRESSED_FACE, {32, 32, 32}},
        {THEME_GREY, THEME_UNLIT_FACE, {48, 48, 48}},
        {THEME_RED, THEME_LIT_EDGE, {255, 192, 0}},
        {THEME_RED, THEME_UNLIT_EDGE, {128, 96, 0}},
        {THEME_BROWN, THEME_ON_HOVER_FACE, {32, 24, 16}},
        {THEME_YELLOW, THEME_UNLIT_HOVER_FRAME, {255, 255, 0}},
        {THEME_YGREEN, THEME_DISABLED_EDGE, {72, 96, 48}},
        {THEME_GREEN, THEME_LIT_HOVER_FRAME, {48, 96, 48}},
        {THEME_CYAN, THEME_ON_EDGE, {0, 192, 255}},
        {THEME_CYAN, THEME_PRESSED_HOVER_FRAME, {0, 96, 128}},
        {THEME_PURPLE, THEME_LIT_EDGE, {255, 192, 255}},
        {THEME_PURPLE, THEME_DISABLED_LABEL, {96, 96, 96}},
        {THEME_GREY, THEME_DISABLED_EDGE, {64, 64, 64}},
    };
    for (const auto& c : cells) {
        const tarv_button_theme* t = tarv_find_button_theme(c.index);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ((*t)[c.slot], c.value) << tarv_theme_name(c.index) << " slot " << c.slot;
    }
    const tarv_background_colors* cyan = tarv_find_background_colors(THEME_CYAN);
    EXPECT_EQ(cyan->b, (tarv_color{0, 40, 64}));
    const tarv_background_colors* brown = tarv_find_background_colors(THEME_BROWN);
    EXPECT_EQ(brown->c, (tarv_color{32, 16, 8}));
}

TEST(ThemeNames, MenuOrderAndNames)
{
    const char* names[] = {"Red", "Brown", "Yellow", "YGreen", "Green", "Cyan", "Blue", "Purple", "Grey"};
    const int indices[] = {2, 40, 0, 50, 60, 70, 1, 80, 90};
    for (int p = 0; p < tarv_theme_count; ++p) {
        EXPECT_EQ(tarv_theme_index_at(p), indices[p]);
        EXPECT_STREQ(tarv_theme_name(indices[p]), names[p]);
    }
    EXPECT_STREQ(tarv_theme_name(33), "Blue");
    EXPECT_STREQ(tarv_background_style_name(4), "Bubbles");
    EXPECT_STREQ(tarv_background_style_name(5), "Maze3");
}

// Expected pictures come from a separate reference of the generator and the
// line and circle rules, checked against the generator's published first values.
TEST(Background, MazePicturesFollowTheGenerator)
{
    EXPECT_EQ(background(20, 10, BG_MAZE1), (std::vector<std::string>{
                                                 "B....B....BBBBBB....",
                                                 "B....B..............",
                                                 "B....B..............",
                                                 "B....B..............",
                                                 "B....B..............",
                                                 "B....BBBBBBBBBBB....",
                                                 "..........B.........",
                                                 "..........B.........",
                                                 "..........B.........",
                                                 "..........B.........",
                                             }));
    EXPECT_EQ(background(30, 15, BG_MAZE2), (std::vector<std::string>{
                                                 "B....B....BBBBBB....A....BBBBB",
                                                 "B....B........................",
                                                 "B....B........................",
                                                 "B....B........................",
                                                 "B....B........................",
                                                 "B....BBBBBBBBBBBBBBBBBBBBB....",
                                                 ".....B....B...................",
                                                 ".....B....B...................",
                                                 ".....B....B...................",
                                                 ".....B....B...................",
                                                 "B....B....BBBBBBBBBBBBBBBB....",
                                                 "B........................B....",
                                                 "B........................B....",
                                                 "B........................B....",
                                                 "B........................B....",
                                             }));
    EXPECT_EQ(background(20, 10, BG_MAZE3), (std::vector<std::string>{
                                                 ".....A....B.........",
                                                 "....B.A....B.......B",
                                                 "...B...A....B.....B.",
                                                 "..B.....A....B...B..",
                                                 ".B.......A....B.B...",
                                                 "B.........A....B....",
                                                 ".B.......A.A.......B",
                                                 "..B.....A...A.....B.",
                                                 "...B...A.....A...B..",
                                                 "....B.A.......A.B...",
                                             }));
}

TEST(Background, BubblesPicture)
{
    EXPECT_EQ(background(24, 20, BG_BUBBLES), (std::vector<std::string>{
                                                   "....C...................",
                                                   ".....CAAAAA......CCC....",
                                                   ".....A.....A....C...C...",
                                                   "....A.......A...C...C...",
                                                   "...A.........A..C...C...",
                                                   "...A.........A...CCC....",
                                                   "...A.........A..........",
                                                   "...A.........A..........",
                                                   "CCCA.........A..........",
                                                   "C...A.......AC.........B",
                                                   "C....A.....A.C..AAAAA.B.",
                                                   ".....CAAAAA.CC.AA...AA..",
                                                   "AAA...CC...CC.AA.....AA.",
                                                   "..AA...CCCCC..A.......A.",
                                                   "...AA.........A.......A.",
                                                   "....A.........A..AAA..AB",
                                                   "....A.........AAA...AAA.",
                                                   "....A..........AA...AA..",
                                                   "...AA........CCCA...A...",
                                                   "..AA........CC...AAA....",
                                               }));
}

TEST(Background, PlainStylesAndUnknownStyles)
{
    tarv_bitmap s(6, 4);
    draw_background(s, 6, 4, BG_NONE, red_set);
    EXPECT_EQ(picture(s, bg_legend), (std::vector<std::string>(4, "......")));
    draw_background(s, 6, 4, BG_SOLID, red_set);
    EXPECT_EQ(picture(s, bg_legend), (std::vector<std::string>(4, "CCCCCC")));
    for (int style : {7, -1, 1000}) EXPECT_EQ(background(30, 15, style), background(30, 15, BG_MAZE2)) << style;
}

// Every row restarts the generator: the picture never depends on what was
// drawn before, nor on how wide or tall the surface is.
TEST(Background, SameCellsWhateverCameBeforeAndWhateverTheSize)
{
    for (int style : {BG_MAZE1, BG_MAZE2, BG_MAZE3, BG_BUBBLES}) {
        std::vector<std::string> first = background(64, 48, style);
        for (int i = 0; i < 37; ++i) background_random.next();
        background_random.reseed(99);
        EXPECT_EQ(background(64, 48, style), first) << "style " << style;

        // Cells near the right and bottom edges reach a few pixels into the
        // neighbours, so compare away from them.
        std::vector<std::string> big = background(200, 130, style);
        for (int y = 0; y < 40; ++y) EXPECT_EQ(big[y].substr(0, 54), first[y].substr(0, 54)) << "style " << style << " row " << y;
    }
}

TEST(Background, BubblesOnOnePixelUseTwoCellsPerPass)
{
    tarv_bitmap s(1, 1);
    draw_background(s, 1, 1, BG_BUBBLES, red_set);
    // The last pass restarts from its seed and takes three numbers per cell.
    tarv_random expected;
    expected.reset();
    expected.reseed(3u * 137u + 169135679u);
    for (int i = 0; i < 6; ++i) expected.next();
    EXPECT_EQ(background_random.next(), expected.next());
}

TEST_F(Themes, DrawingUsesTheCurrentColourSet)
{
    switch_background_theme(THEME_GREEN);
    tarv_bitmap s(3, 3);
    draw_background(s, 3, 3, BG_SOLID);
    EXPECT_EQ(s.GetPixel(1, 1), (tarv_color{0, 32, 0}));
}
