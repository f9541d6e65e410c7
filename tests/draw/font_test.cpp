#include <gtest/gtest.h>

#include <vector>

#include "draw/font.h"
#include "draw_test_util.h"

namespace {

// Glyph c is (c % 5 + 1) x (size) and fills every slot it is given, even
// those a font must keep empty.
class recording_rasterizer : public tarv_glyph_rasterizer {
public:
    void render_glyphs(const tarv_font_desc& desc, tarv_glyph_table& table) override
    {
        calls.push_back(desc);
        for (int c = 0; c < 128; ++c) {
            table[c] = std::make_unique<tarv_bitmap>(c % 5 + 1, desc.point_size);
            table[c]->Clear(color_black);
        }
    }
    std::vector<tarv_font_desc> calls;
};

struct rasterizer_scope {
    explicit rasterizer_scope(tarv_glyph_rasterizer* r) { tarv_set_glyph_rasterizer(r); }
    ~rasterizer_scope() { tarv_set_glyph_rasterizer(nullptr); }
};

}  // namespace

TEST(Font, FallbackGlyphsAreWhiteOnBlackCellsOfTheDocumentedSize)
{
    ASSERT_EQ(tarv_get_glyph_rasterizer(), nullptr);
    // size * 3 / 4 by size * 3 / 2.
    const int sizes[][3] = {{8, 6, 12}, {6, 4, 9}, {10, 7, 15}, {1, 1, 1}};
    for (const auto& s : sizes) {
        tarv_font f(s[0], 75, 90, 90, false, "");
        for (int c = 32; c <= 126; ++c) {
            int w = -1, h = -1;
            f.GetCharSize(c, &w, &h);
            ASSERT_EQ(w, s[1]) << "size " << s[0] << " char " << c;
            ASSERT_EQ(h, s[2]) << "size " << s[0] << " char " << c;
        }
    }
    tarv_font f(8, 75, 90, 90, false, "");
    const tarv_bitmap* a = f.glyph('A');
    ASSERT_NE(a, nullptr);
    int ink = 0;
    for (int y = 0; y < a->GetHeight(); ++y)
        for (int x = 0; x < a->GetWidth(); ++x) {
            const std::uint8_t* p = a->pixel(x, y);
            EXPECT_TRUE(p[1] == 0 || p[1] == 255);
            EXPECT_EQ(p[0], p[1]);
            EXPECT_EQ(p[2], p[1]);
            EXPECT_EQ(p[3], 255);
            ink += p[1] == 255;
        }
    EXPECT_GT(ink, 0);
    const tarv_bitmap* space = f.glyph(' ');
    for (int y = 0; y < space->GetHeight(); ++y)
        for (int x = 0; x < space->GetWidth(); ++x) EXPECT_EQ(space->pixel(x, y)[1], 0);
    // Letters are told apart, not drawn as one block.
    EXPECT_NE(picture(*f.glyph('A'), {{'.', color_black}, {'#', color_white}}),
              picture(*f.glyph('B'), {{'.', color_black}, {'#', color_white}}));
}

TEST(Font, CharSizeOnlyForPrintableCodes)
{
    tarv_font f(8, 75, 90, 90, false, "");
    const int codes[] = {31, 127, 200, -1, 0, 9};
    for (int code : codes) {
        int w = -1, h = -1;
        f.GetCharSize(code, &w, &h);
        EXPECT_EQ(w, 0) << code;
        EXPECT_EQ(h, 0) << code;
    }
    int w = 0, h = 0;
    f.GetCharSize(65, &w, &h);
    EXPECT_EQ(w, f.glyph('A')->GetWidth());
    EXPECT_EQ(h, f.glyph('A')->GetHeight());
}

TEST(Font, TextExtentSumsPresentGlyphs)
{
    recording_rasterizer r;
    rasterizer_scope scope(&r);
    tarv_font f(7, 75, 90, 90, false, "");
    // 'a' 97 -> 3 wide, 'b' 98 -> 4 wide, tab and codes above 126 have no glyph.
    struct extent_case {
        const char* text;
        int width, height;
    };
    const extent_case cases[] = {
        {"", 0, 0},         {"a", 3, 7},          {"ab", 7, 7},     {"a\tb", 7, 7},
        {"\t\x7f", 0, 0},   {"\xE1", 3, 7},       {nullptr, 0, 0},
    };
    for (const auto& c : cases) {
        int w = -1, h = -1;
        f.GetTextExtent(c.text, &w, &h);
        EXPECT_EQ(w, c.width) << (c.text ? c.text : "(null)");
        EXPECT_EQ(h, c.height) << (c.text ? c.text : "(null)");
        int bw = -1, bh = -1;
        tarv_bitmap::GetTextExtent(f, c.text, &bw, &bh);
        EXPECT_EQ(bw, w);
        EXPECT_EQ(bh, h);
    }
}

TEST(Font, TableKeepsOnlyPrintableSlots)
{
    recording_rasterizer r;
    rasterizer_scope scope(&r);
    tarv_font f(9, 76, 90, 90, false, "");
    for (int c = 0; c < 128; ++c) EXPECT_EQ(f.glyph(static_cast<unsigned char>(c)) != nullptr, c >= 32 && c <= 126) << c;
}

TEST(Font, PointSizeChangeRebuildsTheTable)
{
    recording_rasterizer r;
    rasterizer_scope scope(&r);
    tarv_font f(8, 76, 90, 90, false, "Mono");
    ASSERT_EQ(r.calls.size(), 1u);
    EXPECT_EQ(f.glyph('A')->GetHeight(), 8);
    f.SetPointSize(12);
    ASSERT_EQ(r.calls.size(), 2u);
    EXPECT_EQ(r.calls[1].point_size, 12);
    EXPECT_EQ(r.calls[1].family, 76);
    EXPECT_EQ(r.calls[1].face_name, "Mono");
    EXPECT_EQ(f.GetPointSize(), 12);
    EXPECT_EQ(f.glyph('A')->GetHeight(), 12);

    // Sizes the toolkit cannot realise are brought into range.
    f.SetPointSize(0);
    EXPECT_EQ(f.GetPointSize(), 1);
    f.SetPointSize(100000);
    EXPECT_EQ(f.GetPointSize(), 256);
}

TEST(Font, AssignCopiesFaceStyleUnderlineWeightThenSizeOnce)
{
    recording_rasterizer r;
    rasterizer_scope scope(&r);
    tarv_font f(8, 75, 90, 90, false, "", 0);
    r.calls.clear();
    f.assign_font(tarv_font_desc{14, 72, 93, 92, true, "Serif", 5});
    ASSERT_EQ(r.calls.size(), 1u);
    const tarv_font_desc& d = f.desc();
    EXPECT_EQ(d.point_size, 14);
    EXPECT_EQ(d.face_name, "Serif");
    EXPECT_EQ(d.style, 93);
    EXPECT_EQ(d.weight, 92);
    EXPECT_TRUE(d.underlined);
    EXPECT_EQ(d.family, 75);
    EXPECT_EQ(d.encoding, 0);
    EXPECT_EQ(r.calls[0].face_name, "Serif");
}

TEST(Font, ProcessFontsAndRasterizerInstall)
{
    tarv_create_fonts();
    ASSERT_NE(text_font, nullptr);
    ASSERT_NE(small_font, nullptr);
    ASSERT_NE(panel_font, nullptr);
    EXPECT_EQ(text_font->GetPointSize(), 8);
    EXPECT_EQ(text_font->desc().family, 75);
    EXPECT_EQ(small_font->GetPointSize(), 6);
    EXPECT_EQ(small_font->desc().family, 76);
    EXPECT_EQ(panel_font->GetPointSize(), 8);
    EXPECT_EQ(panel_font->desc().family, 76);
    for (tarv_font* f : {text_font, small_font, panel_font}) {
        EXPECT_EQ(f->desc().style, 90);
        EXPECT_EQ(f->desc().weight, 90);
        EXPECT_FALSE(f->desc().underlined);
        EXPECT_TRUE(f->desc().face_name.empty());
    }

    // Installing a rasterizer later rebuilds the fonts that already exist.
    tarv_font* before = text_font;
    recording_rasterizer r;
    {
        rasterizer_scope scope(&r);
        EXPECT_EQ(r.calls.size(), 3u);
        EXPECT_EQ(text_font->glyph('A')->GetHeight(), 8);
        EXPECT_EQ(small_font->glyph('A')->GetHeight(), 6);
    }
    EXPECT_EQ(text_font, before);
    int w = 0, h = 0;
    tarv_fallback_glyph_size(8, &w, &h);
    EXPECT_EQ(text_font->glyph('A')->GetHeight(), h);
}
