#include <gtest/gtest.h>

#include <sstream>
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

namespace {

// Every slot of every button theme, one row per slot in the column order
// Red, Brown, Yellow, YGreen, Green, Cyan, Blue, Purple, Grey.
const char* const button_theme_table[THEME_SLOT_COUNT] = {
    // 0 map frame
    "192,0,0 160,96,64 192,192,0 144,192,0 0,192,0 48,144,192 48,48,192 192,96,192 192,192,192",
    // 1 panel frame
    "192,0,0 160,96,64 192,192,0 144,192,0 0,192,0 48,144,192 48,48,192 192,96,192 192,192,192",
    // 2 lit edge
    "255,192,0 160,96,64 255,255,0 192,255,0 128,255,128 64,192,255 64,64,255 255,192,255 192,192,192",
    // 3 lit face
    "80,0,0 80,48,32 96,96,96 72,96,0 0,80,0 0,64,80 0,0,80 80,0,80 80,80,80",
    // 4 lit label
    "255,255,255 255,255,255 255,255,255 255,255,255 255,255,255 255,255,255 255,255,0 255,255,255 255,255,255",
    // 5 lit hover frame
    "96,96,96 96,96,96 192,192,0 144,192,0 48,96,48 48,144,192 48,48,192 96,48,96 128,128,128",
    // 6 lit hover face
    "64,0,0 64,48,32 64,64,64 48,64,0 0,64,0 0,48,64 0,0,64 64,0,64 64,64,64",
    // 7 lit hover label
    "255,255,255 255,255,255 255,255,255 255,255,255 255,255,255 255,255,255 255,255,0 255,255,255 255,255,255",
    // 8 unlit edge
    "128,96,0 128,96,64 192,192,0 144,192,0 0,128,0 32,96,128 32,32,128 128,64,128 96,96,96",
    // 9 unlit face
    "48,0,0 48,32,16 48,48,48 32,48,0 0,48,0 0,32,48 0,0,48 48,0,48 48,48,48",
    // 10 unlit label
    "255,255,255 255,255,255 255,255,255 255,255,255 255,255,255 255,255,255 255,255,0 255,255,255 255,255,255",
    // 11 unlit hover frame
    "128,128,128 128,128,128 255,255,0 192,255,0 64,128,64 64,192,255 64,64,255 128,64,128 128,128,128",
    // 12 unlit hover face
    "64,0,0 64,48,32 64,64,64 48,64,0 0,64,0 0,48,64 0,0,64 64,0,64 64,64,64",
    // 13 unlit hover label
    "255,255,255 255,255,255 255,255,255 255,255,255 255,255,255 255,255,255 255,255,0 255,255,255 255,255,255",
    // 14 pressed hover frame
    "64,64,64 64,64,64 128,128,0 96,128,0 32,64,32 0,96,128 0,0,128 64,32,64 64,64,64",
    // 15 pressed face
    "48,0,0 48,32,16 48,48,48 32,48,0 0,48,0 0,32,48 0,0,48 48,0,48 32,32,32",
    // 16 pressed label
    "192,192,192 192,192,192 192,192,192 192,192,192 192,192,192 192,192,192 192,192,192 192,192,192 192,192,192",
    // 17 on edge
    "128,128,128 128,128,128 255,255,0 192,255,0 64,128,64 0,192,255 0,0,255 128,64,128 128,128,128",
    // 18 on face
    "48,0,0 48,32,16 48,48,48 32,48,0 0,48,0 0,32,48 0,0,48 48,0,48 48,48,48",
    // 19 on label
    "255,255,255 255,255,255 255,255,255 255,255,255 255,255,255 255,255,255 255,255,0 255,255,255 255,255,255",
    // 20 on hover frame
    "96,96,96 96,96,96 192,192,0 144,192,0 48,96,48 0,144,192 0,0,192 96,48,96 96,96,96",
    // 21 on hover face
    "32,0,0 32,24,16 32,32,32 16,32,0 0,32,0 0,24,32 0,0,32 32,0,32 32,32,32",
    // 22 on hover label
    "255,255,255 255,255,255 255,255,255 255,255,255 255,255,255 255,255,255 255,255,0 255,255,255 255,255,255",
    // 23 disabled edge
    "48,48,48 48,48,48 96,96,48 72,96,48 24,48,24 24,72,96 24,24,96 48,24,48 64,64,64",
    // 24 disabled face
    "32,0,0 32,24,16 32,32,32 16,32,0 0,32,0 0,24,32 0,0,32 32,0,32 32,32,32",
    // 25 disabled label
    "96,96,96 96,96,96 96,96,96 96,96,96 96,96,96 96,96,96 96,96,96 96,96,96 96,96,96",
};
// Background colour sets A, B, C in the same column order.
const char* const background_table[] = {
    // Red
    "80,0,0 56,0,0 32,0,0",
    // Brown
    "80,32,16 56,24,16 32,16,8",
    // Yellow
    "80,80,0 56,56,0 32,32,0",
    // YGreen
    "48,80,0 32,56,0 16,32,0",
    // Green
    "0,80,0 0,48,0 0,32,0",
    // Cyan
    "0,56,80 0,40,64 0,24,48",
    // Blue
    "0,0,96 0,0,64 0,0,32",
    // Purple
    "80,0,80 56,0,56 32,0,32",
    // Grey
    "64,64,64 32,32,32 16,16,16",
};

// Theme indices in the column order of the tables above.
const int table_columns[tarv_theme_count] = {2, 40, 0, 50, 60, 70, 1, 80, 90};

// "r,g,b r,g,b ..." into colours.
std::vector<tarv_color> colors_of(const char* row)
{
    std::vector<tarv_color> out;
    std::istringstream in(row);
    std::string cell;
    while (in >> cell) {
        tarv_color c{};
        char comma1 = 0, comma2 = 0;
        std::istringstream(cell) >> c.red >> comma1 >> c.green >> comma2 >> c.blue;
        out.push_back(c);
    }
    return out;
}

}  // namespace

TEST_F(Themes, EveryButtonThemeCellAndEveryBackgroundColour)
{
    int compared = 0;
    for (int slot = 0; slot < THEME_SLOT_COUNT; ++slot) {
        const std::vector<tarv_color> row = colors_of(button_theme_table[slot]);
        ASSERT_EQ(row.size(), static_cast<std::size_t>(tarv_theme_count)) << "slot " << slot;
        for (int column = 0; column < tarv_theme_count; ++column) {
            const tarv_button_theme* theme = tarv_find_button_theme(table_columns[column]);
            ASSERT_NE(theme, nullptr);
            EXPECT_EQ((*theme)[slot], row[column]) << tarv_theme_name(table_columns[column]) << " slot " << slot;
            ++compared;
        }
    }
    EXPECT_EQ(compared, 234);
    for (int column = 0; column < tarv_theme_count; ++column) {
        const std::vector<tarv_color> abc = colors_of(background_table[column]);
        const tarv_background_colors* set = tarv_find_background_colors(table_columns[column]);
        ASSERT_NE(set, nullptr);
        EXPECT_EQ(set->a, abc[0]) << tarv_theme_name(table_columns[column]);
        EXPECT_EQ(set->b, abc[1]) << tarv_theme_name(table_columns[column]);
        EXPECT_EQ(set->c, abc[2]) << tarv_theme_name(table_columns[column]);
    }
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
