#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "draw/bitmap.h"
#include "draw/font.h"
#include "draw_test_util.h"

namespace {

using pixel_set = std::set<std::pair<int, int>>;

const tarv_color ink{200, 100, 50};
const tarv_color other{10, 20, 30};

pixel_set pixels_of(const tarv_bitmap& b, tarv_color c)
{
    pixel_set s;
    for (int y = 0; y < b.GetHeight(); ++y)
        for (int x = 0; x < b.GetWidth(); ++x)
            if (b.GetPixel(x, y) == c) s.insert({x, y});
    return s;
}

const std::map<char, tarv_color> legend{{'.', color_black}, {'#', ink}, {'o', other}, {'W', color_white},
                                        {'g', color_grey}};

}  // namespace

TEST(Bitmap, NewSurfaceIsOpaqueAndCopiesAreDeep)
{
    tarv_bitmap def;
    EXPECT_EQ(def.GetWidth(), 16);
    EXPECT_EQ(def.GetHeight(), 16);
    tarv_bitmap b(3, 2);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(b.data()[i * 4 + 3], 255);

    b.Clear(ink);
    tarv_bitmap copy(b);
    copy.SetPixel(1, 1, other);
    EXPECT_EQ(b.GetPixel(1, 1), ink);
    tarv_bitmap assigned;
    assigned = b;
    EXPECT_EQ(assigned.GetWidth(), 3);
    assigned.SetPixel(0, 0, other);
    EXPECT_EQ(b.GetPixel(0, 0), ink);
}

TEST(Bitmap, AbsurdSizesGiveAnInvalidSurfaceNotACrash)
{
    LogCapture log(2);
    const std::pair<int, int> sizes[] = {{100000, 10}, {10, 40000}, {20000, 20000}, {2147483647, 2147483647}};
    for (auto [w, h] : sizes) {
        tarv_bitmap b(w, h);
        EXPECT_FALSE(b.IsOk()) << w << " x " << h;
        EXPECT_EQ(b.GetWidth(), 0);
        b.Clear(ink);
        b.DrawFilledRectangle(0, 0, 5, 5, ink);
        b.DrawLine(0, 0, 5, 5, ink);
        tarv_bitmap copy(b);
        EXPECT_FALSE(copy.IsOk());
        EXPECT_FALSE(tarv_bitmap::from_rgba(w, h, nullptr).IsOk());
    }
    EXPECT_NE(log.text().find("Error in tarv_bitmap::Clear(), pixel data failed?"), std::string::npos);
    // Negative sizes are an empty, usable surface.
    tarv_bitmap empty(-5, 3);
    EXPECT_TRUE(empty.IsOk());
    EXPECT_EQ(empty.GetWidth(), 0);
    EXPECT_EQ(empty.GetHeight(), 3);
}

TEST(Bitmap, ClearStoresLowBytesAndOpaqueAlpha)
{
    tarv_bitmap b(2, 2);
    for (int i = 0; i < 4; ++i) b.data()[i * 4 + 3] = 3;
    b.Clear(tarv_color{256 + 10, -1, 128});
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(b.data()[i * 4 + 0], 10);
        EXPECT_EQ(b.data()[i * 4 + 1], 255);
        EXPECT_EQ(b.data()[i * 4 + 2], 128);
        EXPECT_EQ(b.data()[i * 4 + 3], 255);
    }
    for (int i = 0; i < 4; ++i) b.data()[i * 4 + 3] = 3;
    b.ClearAlpha();
    EXPECT_EQ(b.data()[3], 255);
    EXPECT_EQ(b.data()[0], 10);
}

TEST(Bitmap, SetPixelIgnoresEverythingOffTheSurface)
{
    const std::pair<int, int> outside[] = {{-1, 0}, {0, -1}, {4, 0}, {0, 3}, {4, 3}, {-100000, 2}};
    for (auto [x, y] : outside) {
        tarv_bitmap b = cleared(4, 3);
        b.SetPixel(x, y, ink);
        EXPECT_TRUE(pixels_of(b, ink).empty()) << x << "," << y;
    }
    tarv_bitmap b = cleared(4, 3);
    b.SetPixel(3, 2, 200, 100, 50);
    EXPECT_EQ(pixels_of(b, ink), (pixel_set{{3, 2}}));
}

TEST(Bitmap, OnlyClearWritesAlpha)
{
    tarv_bitmap src(4, 4);
    src.Clear(color_white);
    tarv_font font(8, 75, 90, 90, false, "");
    tarv_bitmap b(12, 12);
    for (int i = 0; i < 144; ++i) b.data()[i * 4 + 3] = 7;
    const tarv_point tri[] = {{0, 0}, {10, 2}, {3, 11}};
    b.SetPixel(1, 1, ink);
    b.DrawLine(0, 0, 11, 7, ink);
    b.DrawGradientLine(0, 11, 11, 0, ink, other);
    b.DrawFrame(ink, 12, 12);
    b.DrawEdges(12, 12, EDGE_TOP | EDGE_LEFT | EDGE_RIGHT | EDGE_BOTTOM, nullptr);
    b.DrawFilledRectangle(1, 1, 9, 9, ink);
    b.DrawXGradientRectangle(0, 0, 11, 11, ink, other);
    b.DrawYGradientRectangle(0, 0, 11, 11, ink, other);
    b.DrawFilledCircle(6, 6, 4, ink);
    b.DrawPolygon(3, tri, 0, 0, ink, other);
    b.DrawBitmap(src, 2, 2);
    b.DrawBitmapNukeAlpha(src, 3, 3);
    b.DrawBitmapBlend(src, 4, 4);
    b.DrawText(font, "Ab", 0, 0, ink, other);
    b.DrawTextTransparent(font, "Ab", 1, 1, ink);
    for (int i = 0; i < 144; ++i) ASSERT_EQ(b.data()[i * 4 + 3], 7) << "pixel " << i;
}

// Expected pixel sets worked through the error-term rule by hand.
TEST(Bitmap, LinesFollowTheErrorTermInBothDirections)
{
    struct line_case {
        int x1, y1, x2, y2;
        pixel_set expected;
    };
    const line_case cases[] = {
        {0, 0, 4, 2, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}}},
        {0, 0, 5, 1, {{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}, {5, 1}}},
        {0, 0, 3, 3, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
        {0, 4, 3, 0, {{3, 0}, {2, 1}, {2, 2}, {1, 3}, {0, 4}}},
        {2, 5, 2, 5, {{2, 5}}},
        {1, 6, 1, 3, {{1, 3}, {1, 4}, {1, 5}, {1, 6}}},
    };
    for (const auto& c : cases) {
        tarv_bitmap forward = cleared(8, 8);
        forward.DrawLine(c.x1, c.y1, c.x2, c.y2, ink);
        EXPECT_EQ(pixels_of(forward, ink), c.expected) << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
        tarv_bitmap backward = cleared(8, 8);
        backward.DrawLine(c.x2, c.y2, c.x1, c.y1, ink);
        EXPECT_EQ(pixels_of(backward, ink), c.expected) << "reversed";
    }
}

// A line cut by the surface edges sets exactly the pixels the whole line
// would set there: compare a small surface with a window of a large one,
// over many slopes and cut positions.
TEST(Bitmap, ClippedLinesMatchTheUnclippedLine)
{
    unsigned seed = 12345;
    auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<unsigned>(range));
    };
    for (int i = 0; i < 3000; ++i) {
        int c[4] = {next(120) - 40, next(120) - 40, next(120) - 40, next(120) - 40};
        tarv_bitmap small = cleared(40, 40), big = cleared(120, 120);
        small.DrawLine(c[0], c[1], c[2], c[3], ink);
        big.DrawLine(c[0] + 40, c[1] + 40, c[2] + 40, c[3] + 40, ink);
        tarv_bitmap gsmall = cleared(40, 40), gbig = cleared(120, 120);
        gsmall.DrawGradientLine(c[0], c[1], c[2], c[3], color_black, color_white);
        gbig.DrawGradientLine(c[0] + 40, c[1] + 40, c[2] + 40, c[3] + 40, color_black, color_white);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x) {
                ASSERT_EQ(small.GetPixel(x, y), big.GetPixel(x + 40, y + 40))
                    << "line " << c[0] << "," << c[1] << " " << c[2] << "," << c[3] << " at " << x << "," << y;
                ASSERT_EQ(gsmall.GetPixel(x, y), gbig.GetPixel(x + 40, y + 40))
                    << "gradient " << c[0] << "," << c[1] << " " << c[2] << "," << c[3] << " at " << x << "," << y;
            }
    }
}

TEST(Bitmap, LinesWithFarAwayEndsDrawOnlyWhatShows)
{
    tarv_bitmap b = cleared(10, 10);
    b.DrawLine(-1000000000, 3, 1000000000, 3, ink);
    pixel_set row;
    for (int x = 0; x < 10; ++x) row.insert({x, 3});
    EXPECT_EQ(pixels_of(b, ink), row);

    // Slope one half through the origin: (x, x / 2), as in the short line (0,0)-(4,2).
    tarv_bitmap s = cleared(10, 10);
    s.DrawLine(-2000000000, -1000000000, 2000000000, 1000000000, ink);
    pixel_set half;
    for (int x = 0; x < 10; ++x) half.insert({x, x / 2});
    EXPECT_EQ(pixels_of(s, ink), half);
}

TEST(Bitmap, GradientLineStartsAtTheFirstColourAndStopsShortOfTheLast)
{
    // Three steps of 65280 / 4 = 16320: red 0, 63, 127, 191.
    tarv_bitmap b = cleared(4, 1);
    b.DrawGradientLine(0, 0, 3, 0, color_black, tarv_color{255, 0, 0});
    EXPECT_EQ(b.GetPixel(0, 0), (tarv_color{0, 0, 0}));
    EXPECT_EQ(b.GetPixel(1, 0), (tarv_color{63, 0, 0}));
    EXPECT_EQ(b.GetPixel(2, 0), (tarv_color{127, 0, 0}));
    EXPECT_EQ(b.GetPixel(3, 0), (tarv_color{191, 0, 0}));

    // Walked from the given first point, right to left.
    tarv_bitmap r = cleared(4, 1);
    r.DrawGradientLine(3, 0, 0, 0, color_black, tarv_color{255, 0, 0});
    EXPECT_EQ(r.GetPixel(3, 0), (tarv_color{0, 0, 0}));
    EXPECT_EQ(r.GetPixel(0, 0), (tarv_color{191, 0, 0}));

    // y-major, minor error from -(4/2): x moves after the second pixel.
    // White to black in steps of -65280 / 5 = -13056.
    tarv_bitmap y = cleared(2, 5);
    y.DrawGradientLine(0, 0, 1, 4, color_white, color_black);
    const std::pair<int, int> at[] = {{0, 0}, {0, 1}, {1, 2}, {1, 3}, {1, 4}};
    const int level[] = {255, 204, 153, 102, 51};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(y.GetPixel(at[i].first, at[i].second), (tarv_color{level[i], level[i], level[i]})) << i;
    EXPECT_EQ(y.GetPixel(1, 0), color_black);
    EXPECT_EQ(y.GetPixel(0, 2), color_black);

    // Equal differences run along y; every step moves x too.
    tarv_bitmap d = cleared(3, 3);
    d.DrawGradientLine(0, 0, 2, 2, color_black, tarv_color{0, 0, 90});
    EXPECT_EQ(d.GetPixel(0, 0), (tarv_color{0, 0, 0}));
    EXPECT_EQ(d.GetPixel(1, 1), (tarv_color{0, 0, 30}));
    EXPECT_EQ(d.GetPixel(2, 2), (tarv_color{0, 0, 60}));
}

TEST(Bitmap, FilledRectanglesNormaliseAndClip)
{
    tarv_bitmap a = cleared(8, 8), b = cleared(8, 8);
    a.DrawFilledRectangle(5, 5, 2, 2, ink);
    b.DrawFilledRectangle(2, 2, 5, 5, ink);
    pixel_set block;
    for (int y = 2; y <= 5; ++y)
        for (int x = 2; x <= 5; ++x) block.insert({x, y});
    EXPECT_EQ(pixels_of(a, ink), block);
    EXPECT_EQ(pixels_of(b, ink), block);

    tarv_bitmap off = cleared(8, 8);
    off.DrawFilledRectangle(-5, 0, -1, 3, ink);
    off.DrawFilledRectangle(0, -9, 3, -1, ink);
    off.DrawFilledRectangle(8, 0, 12, 3, ink);
    EXPECT_TRUE(pixels_of(off, ink).empty());

    tarv_bitmap right = cleared(6, 4);
    right.DrawFilledRectangle(4, 1, 20, 2, ink);
    EXPECT_EQ(picture(right, legend), (std::vector<std::string>{"......", "....##", "....##", "......"}));
}

TEST(Bitmap, GradientRectanglesStepBeforeEachColumn)
{
    tarv_bitmap one = cleared(1, 1);
    one.DrawXGradientRectangle(0, 0, 0, 0, color_black, color_white);
    EXPECT_EQ(one.GetPixel(0, 0), (tarv_color{127, 127, 127}));

    // 20 columns, step 65280 / 21 = 3108: column c gets (c + 1) * 3108 >> 8.
    // Clipping the first ten columns leaves the run starting at column 0.
    tarv_bitmap whole = cleared(30, 2), clipped = cleared(10, 2);
    whole.DrawXGradientRectangle(0, 0, 19, 1, color_black, tarv_color{255, 0, 0});
    clipped.DrawXGradientRectangle(-10, 0, 9, 1, color_black, tarv_color{255, 0, 0});
    for (int c = 0; c < 20; ++c) EXPECT_EQ(whole.GetPixel(c, 1).red, (c + 1) * 3108 >> 8) << c;
    EXPECT_EQ(whole.GetPixel(19, 0).red, 242);
    for (int c = 0; c < 10; ++c) EXPECT_EQ(clipped.GetPixel(c, 0), whole.GetPixel(c, 0)) << c;

    // The first colour stays on the left when the corners come swapped.
    tarv_bitmap swapped = cleared(3, 1);
    swapped.DrawXGradientRectangle(2, 0, 0, 0, tarv_color{240, 0, 0}, tarv_color{0, 0, 240});
    EXPECT_EQ(swapped.GetPixel(0, 0), (tarv_color{180, 0, 60}));
    EXPECT_EQ(swapped.GetPixel(2, 0), (tarv_color{60, 0, 180}));

    // Two rows, step 51200 / 3 = 17066.
    tarv_bitmap rows = cleared(2, 2);
    rows.DrawYGradientRectangle(1, 1, 0, 0, color_black, tarv_color{0, 0, 200});
    EXPECT_EQ(rows.GetPixel(0, 0), (tarv_color{0, 0, 66}));
    EXPECT_EQ(rows.GetPixel(1, 1), (tarv_color{0, 0, 133}));
}

TEST(Bitmap, CirclesUseRadiusTimesRadiusPlusOne)
{
    struct circle_case {
        int radius;
        std::vector<std::string> expected;
    };
    const circle_case cases[] = {
        {0, {".......", ".......", ".......", "...#...", ".......", ".......", "......."}},
        {-4, {".......", ".......", ".......", "...#...", ".......", ".......", "......."}},
        {1, {".......", ".......", "..###..", "..###..", "..###..", ".......", "......."}},
        {2, {".......", "..###..", ".#####.", ".#####.", ".#####.", "..###..", "......."}},
        {3, {"..###..", ".#####.", "#######", "#######", "#######", ".#####.", "..###.."}},
    };
    for (const auto& c : cases) {
        tarv_bitmap b = cleared(7, 7);
        b.DrawFilledCircle(3, 3, c.radius, ink);
        EXPECT_EQ(picture(b, legend), c.expected) << "radius " << c.radius;
    }
    tarv_bitmap corner = cleared(4, 4);
    corner.DrawFilledCircle(0, 0, 2, ink);
    EXPECT_EQ(picture(corner, legend), (std::vector<std::string>{"###.", "###.", "##..", "...."}));
    tarv_bitmap below = cleared(4, 4);
    below.DrawFilledCircle(1, 6, 2, ink);
    below.DrawFilledCircle(1, -3, 2, ink);
    EXPECT_TRUE(pixels_of(below, ink).empty());
}

// Fill is '#' (ink), outline 'o'. Expected pictures follow the scanline rule
// by hand: an edge counts from the row below its top, spans pair up even-odd.
TEST(Bitmap, PolygonsFillEvenOddUnderTheirOutline)
{
    struct poly_case {
        std::vector<tarv_point> points;
        int ox, oy;
        std::vector<std::string> expected;
    };
    const poly_case cases[] = {
        {{{2, 2}, {6, 2}, {6, 6}, {2, 6}},
         0,
         0,
         {"........", "........", "..ooooo.", "..o###o.", "..o###o.", "..o###o.", "..ooooo.", "........"}},
        {{{0, 0}, {8, 0}, {0, 8}},
         0,
         0,
         {"ooooooooo", "o######o.", "o#####o..", "o####o...", "o###o....", "o##o.....", "o#o......",
          "oo.......", "o........"}},
        // A notch: rows 1-3 pair the two side walls separately.
        {{{0, 0}, {2, 0}, {2, 4}, {4, 4}, {4, 0}, {6, 0}, {6, 6}, {0, 6}},
         0,
         0,
         {"ooo.ooo", "o#o.o#o", "o#o.o#o", "o#o.o#o", "o#ooo#o", "o#####o", "ooooooo"}},
        // Offsets move every point.
        {{{-8, -8}, {-6, -8}, {-6, -6}, {-8, -6}},
         9,
         9,
         {".....", ".ooo.", ".o#o.", ".ooo.", "....."}},
        // All points on one row: only the outline.
        {{{1, 2}, {5, 2}, {3, 2}}, 0, 0, {"......", "......", ".ooooo", "......"}},
    };
    for (const auto& c : cases) {
        int w = static_cast<int>(c.expected[0].size()), h = static_cast<int>(c.expected.size());
        tarv_bitmap b = cleared(w, h);
        b.DrawPolygon(static_cast<int>(c.points.size()), c.points.data(), c.ox, c.oy, other, ink);
        EXPECT_EQ(picture(b, legend), c.expected) << "polygon of " << c.points.size() << " points";
    }
}

TEST(Bitmap, PolygonPointCountLimits)
{
    LogCapture log(1);
    const tarv_point two[] = {{0, 0}, {3, 3}};
    tarv_bitmap b = cleared(20, 20);
    b.DrawPolygon(2, two, 0, 0, ink, ink);
    EXPECT_TRUE(pixels_of(b, ink).empty());
    EXPECT_NE(log.text().find("Error in tarv_bitmap::DrawPolygon(), only got 2 points, need a minimum of 3."),
              std::string::npos);

    // A ring of points on a 10 x 10 square, many repeated.
    std::vector<tarv_point> ring(1000);
    for (int i = 0; i < 1000; ++i) {
        int side = i % 4;
        ring[i] = side == 0 ? tarv_point{2, 2} : side == 1 ? tarv_point{12, 2} : side == 2 ? tarv_point{12, 12} : tarv_point{2, 12};
    }
    b.DrawPolygon(1000, ring.data(), 0, 0, ink, ink);
    EXPECT_TRUE(pixels_of(b, ink).empty());
    EXPECT_NE(log.text().find("Error in tarv_bitmap::DrawPolygon(), got 1000 points, max is 1000."), std::string::npos);

    b.DrawPolygon(999, ring.data(), 0, 0, ink, ink);
    EXPECT_FALSE(pixels_of(b, ink).empty());
}

TEST(Bitmap, HugePolygonFillsTheSurfaceWithoutStalling)
{
    const tarv_point square[] = {{-1000000000, -1000000000}, {1000000000, -1000000000}, {1000000000, 1000000000},
                                 {-1000000000, 1000000000}};
    tarv_bitmap b = cleared(10, 10);
    b.DrawPolygon(4, square, 0, 0, other, ink);
    EXPECT_EQ(pixels_of(b, ink).size(), 100u);
}

TEST(Bitmap, FrameAndEdges)
{
    tarv_bitmap f = cleared(4, 3, color_white);
    f.DrawFrame(ink, 4, 3);
    EXPECT_EQ(picture(f, legend), (std::vector<std::string>{".##.", "#WW#", ".##."}));

    struct edge_case {
        int flags;
        const tarv_color* color;
        std::vector<std::string> expected;
    };
    const edge_case cases[] = {
        {EDGE_LEFT, nullptr, {"Wg...", "Wg...", "Wg...", "Wg..."}},
        {EDGE_RIGHT, nullptr, {"...WW", "...WW", "...WW", "...WW"}},
        {EDGE_LEFT | EDGE_TOP, nullptr, {"WWWWW", "Wg...", "Wg...", "Wg..."}},
        {EDGE_BOTTOM | EDGE_RIGHT, &ink, {"...##", "...##", "...##", "#####"}},
        {EDGE_LEFT | EDGE_RIGHT | EDGE_TOP | EDGE_BOTTOM, &ink, {"#####", "##.##", "##.##", "#####"}},
    };
    for (const auto& c : cases) {
        tarv_bitmap b = cleared(5, 4);
        b.DrawEdges(5, 4, c.flags, c.color);
        EXPECT_EQ(picture(b, legend), c.expected) << "flags " << c.flags;
    }
}

TEST(Bitmap, CopiesClipToBothSurfaces)
{
    tarv_bitmap src(3, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) src.SetPixel(x, y, x * 10, y * 10, 1);
    for (int i = 0; i < 9; ++i) src.data()[i * 4 + 3] = 0;  // copies ignore source alpha

    tarv_bitmap d = cleared(4, 4);
    d.DrawBitmap(src, -1, -1);
    EXPECT_EQ(d.GetPixel(0, 0), (tarv_color{10, 10, 1}));
    EXPECT_EQ(d.GetPixel(1, 1), (tarv_color{20, 20, 1}));
    EXPECT_EQ(d.GetPixel(2, 2), color_black);

    tarv_bitmap e = cleared(4, 4);
    e.DrawBitmap(src, 2, 3);
    EXPECT_EQ(e.GetPixel(2, 3), (tarv_color{0, 0, 1}));
    EXPECT_EQ(e.GetPixel(3, 3), (tarv_color{10, 0, 1}));
    EXPECT_EQ(pixels_of(e, color_black).size(), 14u);

    tarv_bitmap none = cleared(4, 4);
    none.DrawBitmap(src, 4, 0);
    none.DrawBitmap(src, -3, 0);
    none.DrawBitmap(src, 0, 4);
    EXPECT_EQ(pixels_of(none, color_black).size(), 16u);
}

TEST(Bitmap, NukeAlphaCompositesOverBlack)
{
    tarv_bitmap src(3, 1);
    src.Clear(color_white);
    src.SetPixel(2, 0, 200, 100, 0);
    src.data()[4 + 3] = 0;
    src.data()[8 + 3] = 128;
    tarv_bitmap d = cleared(3, 1, color_grey);
    d.DrawBitmapNukeAlpha(src, 0, 0);
    EXPECT_EQ(d.GetPixel(0, 0), (tarv_color{254, 254, 254}));
    EXPECT_EQ(d.GetPixel(1, 0), color_black);
    EXPECT_EQ(d.GetPixel(2, 0), (tarv_color{100, 50, 0}));
}

TEST(Bitmap, BlendCompositesOverTheDestination)
{
    tarv_bitmap src(3, 1);
    src.Clear(color_white);
    src.data()[4 + 3] = 0;
    src.data()[8 + 3] = 51;  // one fifth
    tarv_bitmap d = cleared(3, 1, tarv_color{100, 0, 50});
    d.DrawBitmapBlend(src, 0, 0);
    EXPECT_EQ(d.GetPixel(0, 0), color_white);
    EXPECT_EQ(d.GetPixel(1, 0), (tarv_color{100, 0, 50}));
    EXPECT_EQ(d.GetPixel(2, 0), (tarv_color{131, 51, 91}));
}

TEST(Bitmap, GlyphBlending)
{
    tarv_bitmap glyph(3, 1);
    glyph.Clear(color_black);
    glyph.SetPixel(0, 0, 0, 255, 0);
    glyph.SetPixel(1, 0, 0, 128, 0);

    // Opaque cell: full coverage gives 255 * 255 / 256 = 254, none the background.
    tarv_bitmap d = cleared(3, 1, color_grey);
    d.DrawTextGlyph(glyph, 0, 0, tarv_color{255, 255, 0}, tarv_color{0, 0, 255});
    EXPECT_EQ(d.GetPixel(0, 0), (tarv_color{254, 254, 0}));
    EXPECT_EQ(d.GetPixel(1, 0), (tarv_color{127, 127, 126}));
    EXPECT_EQ(d.GetPixel(2, 0), (tarv_color{0, 0, 255}));

    // Ink only: coverage 0 leaves the destination alone.
    tarv_bitmap t = cleared(3, 1, tarv_color{100, 100, 100});
    t.DrawTextGlyphTransparent(glyph, 0, 0, color_white);
    EXPECT_EQ(t.GetPixel(0, 0), (tarv_color{254, 254, 254}));
    EXPECT_EQ(t.GetPixel(1, 0), (tarv_color{177, 177, 177}));
    EXPECT_EQ(t.GetPixel(2, 0), (tarv_color{100, 100, 100}));

    // Clipped on the left: the glyph's second column lands on column 0,
    // (128 * 127 + 255 * 128) / 256 = 191.
    tarv_bitmap c = cleared(2, 1);
    c.DrawTextGlyph(glyph, -1, 0, color_white, color_grey);
    EXPECT_EQ(c.GetPixel(0, 0), (tarv_color{191, 191, 191}));
    EXPECT_EQ(c.GetPixel(1, 0), color_grey);
}

// Every coverage value, through the single-glyph call and the string call,
// against the blending rules worked per component.
TEST(Bitmap, GlyphBlendingForEveryCoverage)
{
    const tarv_color fg{250, 3, 128}, bg{7, 200, 64}, under{90, 180, 30};
    tarv_font f(8, 75, 90, 90, false, "");
    for (int c = 0; c < 128; ++c) f.set_glyph(c, nullptr);
    for (int cov = 0; cov < 256; ++cov) {
        auto g = std::make_unique<tarv_bitmap>(1, 1);
        g->Clear(tarv_color{0, cov, 0});
        auto rule = [cov](int b, int fgc) { return cov == 0 ? b : (b * (255 - cov) + fgc * cov) / 256; };
        tarv_color opaque{rule(bg.red, fg.red), rule(bg.green, fg.green), rule(bg.blue, fg.blue)};
        auto ink = [cov](int d, int fgc) { return cov == 0 ? d : (fgc * cov + d * (255 - cov)) / 256; };
        tarv_color over{ink(under.red, fg.red), ink(under.green, fg.green), ink(under.blue, fg.blue)};

        tarv_bitmap one = cleared(1, 1, under);
        one.DrawTextGlyph(*g, 0, 0, fg, bg);
        ASSERT_EQ(one.GetPixel(0, 0), opaque) << cov;
        tarv_bitmap trans = cleared(1, 1, under);
        trans.DrawTextGlyphTransparent(*g, 0, 0, fg);
        ASSERT_EQ(trans.GetPixel(0, 0), over) << cov;

        f.set_glyph('x', std::move(g));
        tarv_bitmap str = cleared(1, 1, under);
        str.DrawText(f, "x", 0, 0, fg, bg);
        ASSERT_EQ(str.GetPixel(0, 0), opaque) << cov;
        tarv_bitmap strt = cleared(1, 1, under);
        strt.DrawTextTransparent(f, "x", 0, 0, fg);
        ASSERT_EQ(strt.GetPixel(0, 0), over) << cov;
    }
}

namespace {

// A font whose glyphs are solid blocks: 'a' 2 wide, 'b' 3 wide, 'A' 1 wide, all 2 high.
tarv_font block_font()
{
    tarv_font f(8, 75, 90, 90, false, "");
    for (int c = 0; c < 128; ++c) f.set_glyph(c, nullptr);
    auto block = [](int w) {
        auto g = std::make_unique<tarv_bitmap>(w, 2);
        g->Clear(tarv_color{0, 255, 0});
        return g;
    };
    f.set_glyph('a', block(2));
    f.set_glyph('b', block(3));
    f.set_glyph('A', block(1));
    return f;
}

}  // namespace

TEST(Bitmap, StringsAdvanceByGlyphWidthAndSkipMissingGlyphs)
{
    tarv_font f = block_font();
    tarv_bitmap b = cleared(9, 3);
    b.DrawText(f, "acb", 1, 1, color_white, color_black);
    const tarv_color full{254, 254, 254};
    const std::map<char, tarv_color> lg{{'.', color_black}, {'#', full}};
    EXPECT_EQ(picture(b, lg), (std::vector<std::string>{".........", ".#####...", ".#####..."}));

    // Codes with the top bit set use the glyph of code - 128: 0xC1 is 'A'.
    tarv_bitmap h = cleared(3, 2);
    h.DrawTextTransparent(f, "\xC1\xC1", 0, 0, color_white);
    EXPECT_EQ(picture(h, lg), (std::vector<std::string>{"##.", "##."}));

    tarv_bitmap none = cleared(4, 2);
    none.DrawText(f, "ab", 5, 0, color_white, color_black);
    none.DrawText(f, "ab", 0, 3, color_white, color_black);
    none.DrawText(f, nullptr, 0, 0, color_white, color_black);
    EXPECT_EQ(pixels_of(none, full).size(), 0u);

    int w = -1, hgt = -1;
    tarv_bitmap::GetTextExtent(f, "a\tb", &w, &hgt);
    EXPECT_EQ(w, 5);
    EXPECT_EQ(hgt, 2);
    tarv_bitmap::GetTextExtent(f, "", &w, &hgt);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(hgt, 0);
}

TEST(Bitmap, PrimitivesOnAnEmptiedSurfaceLogAndDrawNothing)
{
    LogCapture log(2);
    tarv_bitmap src(2, 2);
    tarv_bitmap gone(2, 2);
    tarv_bitmap taker(std::move(gone));
    gone.Clear(ink);
    gone.DrawFilledRectangle(0, 0, 1, 1, ink);
    gone.DrawBitmap(src, 0, 0);
    taker.DrawBitmap(gone, 0, 0);
    gone.SetPixel(0, 0, ink);
    gone.DrawLine(0, 0, 1, 1, ink);
    std::string t = log.text();
    EXPECT_NE(t.find("Error in tarv_bitmap::Clear(), pixel data failed?"), std::string::npos);
    EXPECT_NE(t.find("Error in tarv_bitmap::DrawFilledRectangle(), pixel data failed?"), std::string::npos);
    EXPECT_NE(t.find("Error in tarv_bitmap::DrawBitmap(), pixel data dest failed?"), std::string::npos);
    EXPECT_NE(t.find("Error in tarv_bitmap::DrawBitmap(), pixel data src failed?"), std::string::npos);
}
