#include "automap/automap_display.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "automap/map_payload.h"
#include "common/log_capture.h"
#include "draw/font.h"
#include "draw/theme.h"

namespace {

struct playing_view {
    explicit playing_view(int q = 11) : view(q) { view.logged_in = [] { return true; }; }
    tarv_automap_renderer view;
};

bool same_grid(const tarv_automap_renderer& r, const map_grid& g)
{
    for (int x = 0; x < automap_grid_size; ++x)
        for (int y = 0; y < automap_grid_size; ++y)
            if (!(r.cell(x, y) == g.cells[x][y])) {
                ADD_FAILURE() << "cell (" << x << ", " << y << ") differs";
                return false;
            }
    return true;
}

void display(tarv_automap_renderer& r, const std::string& payload)
{
    r.display_socket_data(payload.data(), static_cast<int>(payload.size()));
}

// ---------------------------------------------------------------- the payload

struct parse_case {
    const char* what;
    std::string payload;
    std::vector<std::pair<std::pair<int, int>, int>> codes;  // (x, y) -> code
    const char* log;                                          // nullptr: nothing logged
    int transition;
};

TEST(AutomapParser, EdgeCases)
{
    map_grid some;
    some.room(11, 11, 24, 1, 5);
    some.at(12, 11).code = 4;
    some.at(11, 12).code = 2;
    some.at(12, 12).code = 4 | (3 << 16);
    const std::string full = encode_map(some, 'A');
    const std::string cut = full.substr(0, 1 + 12 * 12 + 4);  // 4 characters into the first section 2 line

    const parse_case cases[] = {
        {"a lone movement code", "A", {}, nullptr, 0},
        {"a 12-character section 1 line", "@BBBBBBBBBBBX\nBB", {{{1, 0}, 2}, {{21, 0}, 2}, {{1, 2}, 2}, {{3, 2}, 2}},
         "bogus char '88' found in section 1.", 0},
        {"a line feed after the movement code is the first line", "@\nBB\n", {{{1, 0}, 0}, {{1, 2}, 2}, {{3, 2}, 2}},
         nullptr, 0},
        {"characters below 64 are negative codes", "@0?\n", {{{1, 0}, -16}, {{3, 0}, -1}}, nullptr, 0},
        {"a payload cut inside a line", cut, {{{12, 11}, 0}, {{0, 1}, 0}}, "bogus char '0' found in section 2.", 0},
        {"trailing A grows", encode_map(some, 'A', "A"), {{{12, 11}, 4}, {{11, 12}, 2}, {{12, 12}, 4 | (3 << 16)}},
         nullptr, 1},
        {"trailing B shrinks", encode_map(some, 'A', "B"), {{{12, 11}, 4}}, nullptr, 9},
        {"trailing C starts nothing", encode_map(some, 'A', "C"), {{{12, 11}, 4}}, nullptr, 0},
    };
    for (const parse_case& c : cases) {
        SCOPED_TRACE(c.what);
        LogCapture log(2);
        playing_view v;
        v.view.cell(5, 5).code = 99;  // a left-over of an earlier map
        display(v.view, c.payload);
        EXPECT_EQ(v.view.cell(5, 5).code, 0);
        for (const auto& [at, code] : c.codes) EXPECT_EQ(v.view.cell(at.first, at.second).code, code);
        if (c.log)
            EXPECT_TRUE(log.contains(c.log)) << log.text();
        else
            EXPECT_EQ(log.text(), "");
        EXPECT_EQ(v.view.transition, c.transition);
    }
}

TEST(AutomapParser, RoomLineTooLongKeepsElevenRoomsAndLogsTheNextCharacter)
{
    LogCapture log(2);
    // Sections 1 to 2b as lines of one character, then a room line of 45.
    std::string rows;
    for (int g = 0; g < 11; ++g) rows += "XBCD";  // terrain 24, features 2, seed 3, extra 4
    std::string payload = "@";
    for (int i = 0; i < 12 + 11 + 12 + 12; ++i) payload += "@\n";
    payload += rows + "Z\nXBCD\n";
    playing_view v;
    display(v.view, payload);
    EXPECT_EQ(v.view.cell(21, 1), (tarv_automap_cell{24, 2, 3, 4, 0}));
    EXPECT_EQ(v.view.cell(1, 3), (tarv_automap_cell{24, 2, 3, 4, 0}));
    EXPECT_TRUE(log.contains("bogus char '90' found in section 3.")) << log.text();
}

TEST(AutomapParser, FullGridRoundTripsAndBlankLinesBetweenSectionsChangeNothing)
{
    const map_grid g = full_map();
    for (const char* sep : {"", "\n", "\n\n\n"}) {
        SCOPED_TRACE(std::string("separator of ") + std::to_string(std::string(sep).size()));
        LogCapture log(2);
        playing_view v;
        display(v.view, encode_map(g, '@', "", sep));
        EXPECT_TRUE(same_grid(v.view, g));
        EXPECT_EQ(log.text(), "");
    }
}

TEST(AutomapParser, MovementCodeSetsTheScrollOffset)
{
    const int m = 22;  // 2q at q = 11
    const struct {
        char code;
        int sx, sy;
    } cases[] = {{'A', 0, m}, {'B', -m, 0}, {'C', 0, -m}, {'D', m, 0}, {'E', -m, m},
                 {'F', -m, -m}, {'G', m, -m}, {'H', m, m}, {'@', 0, 0}, {'a', 0, 0}};
    for (const auto& c : cases) {
        playing_view v;
        display(v.view, encode_map(map_grid{}, c.code));
        EXPECT_EQ(v.view.sx, c.sx) << c.code;
        EXPECT_EQ(v.view.sy, c.sy) << c.code;
    }
}

TEST(AutomapParser, QueuedPayloadsAreCutAtTheirLimit)
{
    LogCapture log(2);
    playing_view v;
    std::string big(5000, 'A');
    v.view.queue_socket_data(big.data(), 5000);
    EXPECT_TRUE(log.contains("queue_socket_data() - automap too big, got len 5000."));
    EXPECT_EQ(v.view.queued(), 1u);
}

// ---------------------------------------------------------------- walkfail and exits

TEST(AutomapWalkfail, ShakesTowardTheWallOnlyWhenSettled)
{
    playing_view v;  // q = 11: the shake is 2q / 3 = 7
    const struct {
        const char* data;
        bool shakes;
        int sx, sy;
    } cases[] = {{"0", true, 0, -7}, {"1", true, 7, 0},  {"2", true, 0, 7},   {"3", true, -7, 0},
                 {"4", true, 7, -7}, {"5", true, 7, 7},  {"6", true, -7, 7},  {"7", true, -7, -7},
                 {"8", false, 0, 0}, {"9", false, 0, 0}, {"-1", false, 0, 0}, {"north", false, 0, 0},
                 {"", false, 0, 0}};
    for (const auto& c : cases) {
        v.view.sx = v.view.sy = 0;
        EXPECT_EQ(v.view.walkfail(c.data), c.shakes) << c.data;
        EXPECT_EQ(v.view.sx, c.sx) << c.data;
        EXPECT_EQ(v.view.sy, c.sy) << c.data;
    }
    // While the map still slides, a bump is ignored.
    v.view.sx = 3;
    v.view.sy = 0;
    EXPECT_FALSE(v.view.walkfail("2"));
    EXPECT_EQ(v.view.sy, 0);
}

// ---------------------------------------------------------------- the picture

struct AutomapPicture : testing::Test {
    tarv_color at(const tarv_automap_renderer& r, int x, int y) { return r.picture().GetPixel(x, y); }
};

TEST_F(AutomapPicture, SizesFollowTheCellSize)
{
    const struct {
        int asked, q;
    } cases[] = {{5, 5}, {8, 9}, {11, 11}, {1, 5}, {6, 7}};
    for (const auto& c : cases) {
        tarv_automap_renderer r(7);
        r.set_cell_size(c.asked);
        EXPECT_EQ(r.cell_size(), c.q) << c.asked;
        EXPECT_EQ(r.picture().GetWidth(), 23 * c.q + 1) << c.asked;
        EXPECT_EQ(r.width(), 18 * c.q + 3) << c.asked;
    }
    tarv_automap_renderer r(5);
    r.shrink();
    EXPECT_EQ(r.cell_size(), 5);
    r.set_cell_size(6);
    r.shrink();
    EXPECT_EQ(r.cell_size(), 5);
    r.grow();
    EXPECT_EQ(r.cell_size(), 7);
    // A huge size from a configuration file stays within what a screen can show.
    r.set_cell_size(399);
    EXPECT_EQ(r.cell_size(), automap_view_cell_max);
}

TEST_F(AutomapPicture, TerrainBlockWithItsSpecklesAtQ11)
{
    playing_view v(11);
    map_grid g;
    g.room(11, 11, 24, 0, 9);
    display(v.view, encode_map(g));
    // The block is 22 x 22 from (11q - h + 1) = 117; the blends take its
    // outer rows and columns.
    const tarv_color base{255, 32, 0}, light{255, 160, 0}, dark{224, 0, 0};
    int counts[3] = {0, 0, 0};
    for (int y = 118; y <= 134; ++y)
        for (int x = 118; x <= 134; ++x) {
            const tarv_color c = at(v.view, x, y);
            if (c == base) ++counts[0];
            else if (c == light) ++counts[1];
            else if (c == dark) ++counts[2];
            else ADD_FAILURE() << "(" << x << ", " << y << ") has " << c.red << "," << c.green << "," << c.blue;
        }
    EXPECT_GT(counts[0], 200);
    EXPECT_GT(counts[1], 0);
    EXPECT_GT(counts[2], 0);
    // Nothing outside the room and its blends.
    EXPECT_EQ(at(v.view, 100, 100), color_black);
    EXPECT_EQ(at(v.view, 150, 150), color_black);
}

TEST_F(AutomapPicture, UnknownTerrainsAreGreyAndOutsideTheGameAllIsBlack)
{
    for (int terrain : {0, 34, 99}) {
        playing_view v(5);
        map_grid g;
        g.room(1, 1, terrain, 0, 3);
        display(v.view, encode_map(g));
        int grey = 0;
        for (int y = 6; y <= 11; ++y)
            for (int x = 6; x <= 11; ++x) grey += at(v.view, x, y) == tarv_color{64, 64, 64};
        EXPECT_GE(grey, 34) << terrain;  // all but the speckles
    }
    tarv_automap_renderer out(5);  // never logged in
    map_grid g;
    g.room(1, 1, 24, 0, 3);
    display(out, encode_map(g));
    for (int y = 0; y < out.picture().GetHeight(); ++y)
        for (int x = 0; x < out.picture().GetWidth(); ++x) ASSERT_EQ(at(out, x, y), color_black);
}

// Two rooms side by side at q = 5: (1, 1) and (3, 1), with the boundary (2, 1)
// between them; its lines lie in columns 12 to 14.
TEST_F(AutomapPicture, WallIsThreePixelsAndDoorIsOneLineAtQ5)
{
    playing_view v(5);
    map_grid g;
    g.room(1, 1, 10, 0, 3);
    g.room(3, 1, 10, 0, 4);
    g.at(2, 1).code = 4;
    display(v.view, encode_map(g));
    EXPECT_EQ(v.view.picture().GetWidth(), 116);
    for (int x = 12; x <= 14; ++x) EXPECT_EQ(at(v.view, x, 8), color_white) << x;
    EXPECT_NE(at(v.view, 11, 8), color_white);
    EXPECT_NE(at(v.view, 15, 8), color_white);
    EXPECT_EQ(at(v.view, 13, 5), color_white);   // the centre line is one longer at each end
    EXPECT_NE(at(v.view, 12, 5), color_white);

    for (int code : {2, 3}) {
        g.at(2, 1).code = code;
        display(v.view, encode_map(g));
        const tarv_color door = code == 2 ? tarv_color{0, 128, 0} : tarv_color{192, 0, 0};
        for (int y = 6; y <= 10; ++y) EXPECT_EQ(at(v.view, 13, y), door) << y;
        EXPECT_NE(at(v.view, 13, 11), door);
        EXPECT_NE(at(v.view, 12, 8), door);
    }
}

TEST_F(AutomapPicture, WallJointsCloseTheCornerWhereNoDiagonalPasses)
{
    playing_view v(5);
    map_grid g;
    g.room(1, 1, 10, 0, 3);
    g.at(2, 1).code = 4;               // wall right of the room
    g.at(1, 2).code = 4;               // wall below it
    g.at(2, 2).code = 4 | (4 << 16);   // no diagonal at their corner
    display(v.view, encode_map(g));
    // The walls' centre lines run on through the corner (12..14, 12..14).
    for (int y = 5; y <= 14; ++y) EXPECT_EQ(at(v.view, 13, y), color_white) << y;
    for (int x = 5; x <= 14; ++x) EXPECT_EQ(at(v.view, x, 13), color_white) << x;
    EXPECT_EQ(at(v.view, 12, 12), color_white);
}

TEST_F(AutomapPicture, StarMarkerPointsAtQ11)
{
    playing_view v(11);
    map_grid g;
    g.room(1, 1, 30, 1, 3);  // white ground, black star
    display(v.view, encode_map(g));
    // Centre (17, 17), radius 9.
    for (auto [x, y] : {std::pair{17, 8}, std::pair{17, 26}, std::pair{8, 17}, std::pair{26, 17}, std::pair{11, 11}})
        EXPECT_EQ(at(v.view, x, y), color_black) << x << "," << y;
    EXPECT_NE(at(v.view, 17, 17), color_black);  // the star is hollow
}

TEST_F(AutomapPicture, TrailIsOnePixelPathBetweenTheRoomCentres)
{
    playing_view v(5);
    map_grid g;
    g.room(1, 1, 30, 4, 3);
    g.room(3, 1, 30, 4, 6);
    display(v.view, encode_map(g));
    // From the left centre column a = 8 to b = 18 along row Y = 8.
    const tarv_color road{92, 51, 23};
    int columns = 0;
    for (int x = 0; x < v.view.picture().GetWidth(); ++x) {
        int in_column = 0;
        for (int y = 0; y < v.view.picture().GetHeight(); ++y)
            if (at(v.view, x, y) == road) {
                ++in_column;
                EXPECT_TRUE(x >= 8 && x <= 17 && y >= 7 && y <= 9) << x << "," << y;
            }
        EXPECT_LE(in_column, 1) << x;
        columns += in_column;
    }
    EXPECT_GE(columns, 7);

    // Paved: every column has its dark pixel between two light ones.
    g.at(1, 1).features = g.at(3, 1).features = 2;
    display(v.view, encode_map(g));
    const tarv_color light{131, 90, 34};
    for (int x = 8; x <= 17; ++x) {
        int y = 6;
        while (y <= 10 && at(v.view, x, y) != road) ++y;
        ASSERT_LE(y, 10) << x;
        EXPECT_EQ(at(v.view, x, y - 1), light) << x;
        EXPECT_EQ(at(v.view, x, y + 1), light) << x;
    }
}

TEST_F(AutomapPicture, NoDiagonalRoadThroughAWalledDiagonal)
{
    playing_view v(11);
    map_grid g;
    g.room(3, 1, 30, 4, 3);  // upper right
    g.room(1, 3, 30, 4, 5);  // lower left
    g.at(2, 2).code = 4 << 16;  // that diagonal is walled; the other is open
    display(v.view, encode_map(g));
    const tarv_color road{92, 51, 23};
    int road_pixels = 0;
    for (int y = 0; y < v.view.picture().GetHeight(); ++y)
        for (int x = 0; x < v.view.picture().GetWidth(); ++x) road_pixels += at(v.view, x, y) == road;
    EXPECT_EQ(road_pixels, 0);
    g.at(2, 2).code = 4;  // now open, the other one walled
    display(v.view, encode_map(g));
    for (int y = 0; y < v.view.picture().GetHeight(); ++y)
        for (int x = 0; x < v.view.picture().GetWidth(); ++x) road_pixels += at(v.view, x, y) == road;
    EXPECT_GT(road_pixels, 22);
}

TEST_F(AutomapPicture, SameGridGivesTheSamePicture)
{
    for (int q : {5, 11, 15}) {
        playing_view a(q), b(q);
        const std::string payload = encode_map(full_map());
        display(a.view, payload);
        std::srand(12345);  // whatever else used the C generator meanwhile
        display(b.view, payload);
        const tarv_bitmap& pa = a.view.picture();
        const tarv_bitmap& pb = b.view.picture();
        ASSERT_EQ(pa.GetWidth(), pb.GetWidth());
        EXPECT_EQ(0, std::memcmp(pa.data(), pb.data(), static_cast<std::size_t>(pa.stride()) * pa.GetHeight())) << q;
    }
}

// ---------------------------------------------------------------- the view

// Glyphs blend their full coverage to within a step of the colour.
bool near(const tarv_color& a, const tarv_color& b)
{
    return std::abs(a.red - b.red) <= 2 && std::abs(a.green - b.green) <= 2 && std::abs(a.blue - b.blue) <= 2;
}

struct AutomapView : testing::Test {
    void SetUp() override
    {
        tarv_set_glyph_rasterizer(nullptr);
        tarv_create_fonts();
        create_themes();
    }
};

TEST_F(AutomapView, SizesAtQ11)
{
    tarv_automap_display d("main automap", 11);
    EXPECT_EQ(d.renderer().width(), 201);
    EXPECT_EQ(d.renderer().height(), 201);
    EXPECT_EQ(d.width(), 203);
    EXPECT_EQ(d.height(), 224);
    EXPECT_EQ(d.renderer().x(), 1);
    EXPECT_EQ(d.renderer().y(), 22);
    EXPECT_EQ(d.renderer().name(), "main automap renderer");
    d.grow();
    EXPECT_EQ(d.width(), 18 * 13 + 5);
    EXPECT_EQ(d.renderer().width(), 18 * 13 + 3);
}

TEST_F(AutomapView, ArrowColoursForTheFourStates)
{
    playing_view v(11);
    display(v.view, encode_map(map_grid{}));
    v.view.pointer_inside = true;
    // East arrow at (c + d, c) = (182, 100); (172, 106) lies in its shaft, clear of the label.
    const struct {
        bool hovered, exit;
        tarv_color fill;
    } cases[] = {{false, false, {32, 32, 32}}, {false, true, {32, 64, 32}},
                 {true, true, {64, 160, 64}},  {true, false, {64, 32, 32}}};
    for (const auto& c : cases) {
        v.view.hovered = c.hovered ? 1 : 0;
        v.view.set_exit_mask(c.exit ? 4 : 0xff & ~4);
        const tarv_bitmap* s = v.view.paint();
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->GetPixel(172, 106), c.fill) << c.hovered << c.exit;
        EXPECT_EQ(s->GetPixel(182 + 17, 100), color_black);  // the halo beyond the tip
        EXPECT_EQ(tarv_automap_arrow_colors(c.hovered, c.exit).fill, c.fill);
    }
    v.view.pointer_inside = false;
    EXPECT_NE(v.view.paint()->GetPixel(172, 106), (tarv_color{32, 32, 32}));
}

TEST_F(AutomapView, PointerDirectionsAndClicks)
{
    playing_view v(11);  // V = 201, centre 100
    std::vector<std::string> sent;
    v.view.send_command = [&](const char* word) { sent.emplace_back(word); };
    const struct {
        int x, y, code;
    } cases[] = {{100, 100, 0}, {112, 88, 0},  {200, 0, 10}, {200, 200, 9}, {150, 100, 1}, {100, 40, 7},
                 {40, 100, 5},  {100, 160, 3}, {150, 50, 8},  {50, 50, 6},   {50, 150, 4},  {150, 150, 2},
                 {170, 97, 1}};
    for (const auto& c : cases) EXPECT_EQ(v.view.direction_at(c.x, c.y), c.code) << c.x << "," << c.y;

    auto press = [&](int x, int y) {
        tarv_mouse_event e;
        e.type = tarv_mouse_event::LEFT_DOWN;
        e.x = x;
        e.y = y;
        v.view.on_mouse(e);
    };
    press(100, 100);
    press(200, 5);
    press(100, 30);
    EXPECT_EQ(sent, (std::vector<std::string>{"up", "north"}));

    // Outside the game the view takes no clicks.
    v.view.logged_in = [] { return false; };
    press(200, 5);
    EXPECT_EQ(sent.size(), 2u);
}

TEST_F(AutomapView, NorthSlidesUpByQuarterCellSteps)
{
    playing_view v(11);
    map_grid g;
    g.room(11, 11, 24, 0, 3);
    display(v.view, encode_map(g, 'A'));
    EXPECT_EQ(v.view.sy, 22);
    // The new room first shows 2q higher, where it was before the step,
    // then the map slides down into place.
    const int V = 201, M = 253;
    const int left = V / 2 - M / 2 - 1;  // -27
    const tarv_color seen = v.view.paint()->GetPixel(121 + left, 121 + left - 22);
    EXPECT_TRUE(seen == (tarv_color{255, 32, 0}) || seen == (tarv_color{255, 160, 0}) || seen == (tarv_color{224, 0, 0}));
    EXPECT_EQ(v.view.paint()->GetPixel(121 + left, 121 + left + 10), color_black);
    int previous = v.view.sy;
    int steps = 0;
    while (v.view.sy > 0) {
        v.view.animation_step();
        const int moved = previous - v.view.sy;
        EXPECT_TRUE(moved == 2 || moved == 3 || v.view.sy == 0) << moved;
        previous = v.view.sy;
        ++steps;
    }
    EXPECT_GE(steps, 8);
    v.view.animation_step();
    EXPECT_FALSE(v.view.picture_ready);
}

TEST_F(AutomapView, SecondMapWaitsUntilTheFirstHasSettled)
{
    playing_view v(11);
    map_grid first, second;
    first.room(11, 11, 24, 0, 3);
    second.room(11, 13, 2, 0, 4);
    const std::string a = encode_map(first, 'A'), b = encode_map(second, 'A');
    v.view.queue_or_display(a.data(), static_cast<int>(a.size()));
    v.view.queue_or_display(b.data(), static_cast<int>(b.size()));
    EXPECT_EQ(v.view.queued(), 1u);
    EXPECT_TRUE(same_grid(v.view, first));
    int steps = 0;
    while (v.view.queued() > 0 && steps < 100) {
        EXPECT_TRUE(same_grid(v.view, first));
        v.view.animation_step();
        ++steps;
    }
    EXPECT_TRUE(same_grid(v.view, second));
    EXPECT_EQ(v.view.sy, 22);  // and it slides in turn

    // With several waiting the pressure builds up and each step goes further.
    while (v.view.animating()) v.view.animation_step();
    for (int i = 0; i < 5; ++i) v.view.queue_or_display(a.data(), static_cast<int>(a.size()));
    EXPECT_EQ(v.view.queued(), 4u);  // the first was shown at once
    std::vector<int> pressures;
    while (v.view.queued() > 0) {
        const std::size_t waiting = v.view.queued();
        while (v.view.queued() == waiting) v.view.animation_step();
        pressures.push_back(v.view.pressure);
    }
    EXPECT_EQ(pressures, (std::vector<int>{1, 2, 1, 1}));
    EXPECT_EQ(v.view.sy, 22);
    v.view.animation_step();
    EXPECT_TRUE(v.view.sy == 22 - 3 || v.view.sy == 22 - 4) << v.view.sy;  // (q + r) / 4 + 1
    while (v.view.animating()) v.view.animation_step();
    v.view.animation_step();
    EXPECT_EQ(v.view.pressure, 0);
}

TEST_F(AutomapView, TransitionSquaresInsteadOfTheMap)
{
    playing_view v(11);
    display(v.view, encode_map(full_map(), '@', "B"));
    EXPECT_EQ(v.view.transition, 9);
    v.view.animation_step();
    EXPECT_EQ(v.view.transition, 8);
    // Three nested outlines at V/2 - 8q = 12 and inwards; black between them and the centre.
    const tarv_bitmap* s = v.view.paint();
    for (int k = 0; k < 3; ++k) EXPECT_EQ(s->GetPixel(100, 12 + k), color_white) << k;
    EXPECT_EQ(s->GetPixel(100, 15), color_black);
    EXPECT_EQ(s->GetPixel(100, 100), color_black);
    while (v.view.transition) v.view.animation_step();
    EXPECT_NE(v.view.paint()->GetPixel(100, 15), color_black);
}

TEST_F(AutomapView, TitleStripFrameAndReset)
{
    tarv_automap_display d("main automap", 11);
    bool playing = false;
    d.renderer().logged_in = [&] { return playing; };
    auto strip_has = [&](const tarv_color& c) {
        const tarv_bitmap* s = d.paint();
        for (int y = 1; y <= 20; ++y)
            for (int x = 1; x < d.width() - 1; ++x)
                if (near(s->GetPixel(x, y), c)) return true;
        return false;
    };
    const tarv_color pink{255, 128, 128};
    EXPECT_TRUE(strip_has(color_white));  // "  Map  "
    playing = true;
    d.set_area_name("The Old Keep");
    EXPECT_TRUE(strip_has(color_white));
    EXPECT_FALSE(strip_has(pink));
    d.set_combat(true);
    EXPECT_TRUE(strip_has(pink));
    EXPECT_FALSE(strip_has(color_white));

    const tarv_color frame = (*current_button_theme)[THEME_MAP_FRAME];
    const tarv_bitmap* s = d.paint();
    EXPECT_EQ(s->GetPixel(50, 0), frame);
    EXPECT_EQ(s->GetPixel(50, 21), frame);
    EXPECT_EQ(s->GetPixel(0, 0), color_black);
    d.start_flash();
    d.flash_remaining = 15;
    EXPECT_EQ(d.paint()->GetPixel(50, 0), color_white);
    d.flash_remaining = 14;
    EXPECT_EQ(d.paint()->GetPixel(50, 0), color_black);
    d.flash_remaining = 0;

    const std::string map = encode_map(full_map(), 'A');
    d.renderer().queue_or_display(map.data(), static_cast<int>(map.size()));
    d.renderer().queue_or_display(map.data(), static_cast<int>(map.size()));
    d.reset_automap();
    EXPECT_FALSE(d.combat());
    EXPECT_EQ(d.area_name(), "");
    EXPECT_EQ(d.renderer().queued(), 0u);
    EXPECT_TRUE(same_grid(d.renderer(), map_grid{}));
    EXPECT_EQ(d.renderer().sy, 0);
}

TEST_F(AutomapView, DisplayLeavesTheAnimationListWhenSettled)
{
    tarv_automap_display d("main automap", 11);
    d.renderer().logged_in = [] { return true; };
    run_animations(20);
    EXPECT_FALSE(d.on_animation_list);
    const std::string map = encode_map(full_map(), 'D');
    d.renderer().queue_or_display(map.data(), static_cast<int>(map.size()));
    EXPECT_TRUE(d.on_animation_list);
    for (int i = 0; i < 30 && d.on_animation_list; ++i) run_animations(20);
    EXPECT_FALSE(d.on_animation_list);
    EXPECT_EQ(d.renderer().sx, 0);
}

}  // namespace
