#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include <wx/dcmemory.h>
#include <wx/frame.h>

#include "draw/bitmap_wx.h"
#include "draw/embedded_window_wx.h"
#include "draw/font_wx.h"
#include "draw/images.h"
#include "draw/images_wx.h"
#include "draw/theme.h"

TEST(WxGlyphs, FontsDescribeThemselvesAsTheFontDialogReadsThem)
{
    tarv_install_wx_glyph_rasterizer();
    tarv_font font(11, 76, 90, 92, false, "");
    const std::string described = font.native_description();
    ASSERT_FALSE(described.empty());
    tarv_font_desc back;
    ASSERT_TRUE(tarv_font_desc_from_native(wxString::FromUTF8(described), 11, &back)) << described;
    EXPECT_EQ(back.point_size, 11);
    EXPECT_EQ(back.weight, 92);
}

TEST(WxGlyphs, WhiteOnBlackCellOfTheMeasuredSize)
{
    tarv_install_wx_glyph_rasterizer();
    tarv_font font(12, 76, 90, 90, false, "");

    // Measured on its own, with a font made directly through the toolkit.
    wxFont direct(wxFontInfo(12).Family(wxFONTFAMILY_TELETYPE));
    wxBitmap scratch(16, 16, 24);
    wxMemoryDC dc(scratch);
    dc.SetFont(direct);
    wxCoord w = 0, h = 0;
    dc.GetTextExtent("A", &w, &h);
    dc.SelectObject(wxNullBitmap);
    ASSERT_GT(w, 0);
    ASSERT_GT(h, 0);

    int cw = 0, ch = 0;
    font.GetCharSize('A', &cw, &ch);
    EXPECT_EQ(cw, w);
    EXPECT_EQ(ch, h);

    const tarv_bitmap* a = font.glyph('A');
    ASSERT_NE(a, nullptr);
    int ink = 0, max_green = 0;
    for (int y = 0; y < a->GetHeight(); ++y)
        for (int x = 0; x < a->GetWidth(); ++x) {
            const std::uint8_t* p = a->pixel(x, y);
            EXPECT_EQ(p[3], 255);
            max_green = std::max<int>(max_green, p[1]);
            ink += p[1] > 0;
        }
    EXPECT_GE(max_green, 200);  // full ink reaches near white
    EXPECT_GT(ink, 4);
    EXPECT_LT(ink, a->GetWidth() * a->GetHeight() / 2);  // on black, not a filled box
    EXPECT_EQ(a->pixel(0, 0)[1], 0);

    const tarv_bitmap* space = font.glyph(' ');
    for (int y = 0; y < space->GetHeight(); ++y)
        for (int x = 0; x < space->GetWidth(); ++x) EXPECT_EQ(space->pixel(x, y)[1], 0);

    // A bigger size measures bigger.
    font.SetPointSize(24);
    int bw = 0, bh = 0;
    font.GetCharSize('A', &bw, &bh);
    EXPECT_GT(bh, ch);
    tarv_set_glyph_rasterizer(nullptr);
}

TEST(WxFonts, DescriptionRoundTrip)
{
    tarv_font_desc d{11, 76, 93, 92, true, "", 0};
    wxFont f = tarv_make_wxfont(d);
    ASSERT_TRUE(f.IsOk());
    EXPECT_EQ(f.GetPointSize(), 11);
    EXPECT_EQ(f.GetStyle(), wxFONTSTYLE_ITALIC);
    EXPECT_EQ(f.GetWeight(), wxFONTWEIGHT_BOLD);
    EXPECT_TRUE(f.GetUnderlined());
    tarv_font_desc back = tarv_font_desc_from_wxfont(f);
    EXPECT_EQ(back.point_size, 11);
    EXPECT_EQ(back.style, 93);
    EXPECT_EQ(back.weight, 92);
    EXPECT_TRUE(back.underlined);

    tarv_font_desc parsed;
    EXPECT_TRUE(tarv_font_desc_from_native(f.GetNativeFontInfoDesc(), 15, &parsed));
    EXPECT_EQ(parsed.point_size, 15);
    EXPECT_FALSE(tarv_font_desc_from_native("", 15, &parsed));
}

TEST(WxImages, PngDataDecodesToTheRawPixels)
{
    EXPECT_EQ(tarv_load_builtin_images_wx(), IMAGE_COUNT);
    for (int id = 0; id < IMAGE_COUNT; ++id) {
        const tarv_builtin_image_data& d = tarv_builtin_image_table[id];
        const tarv_bitmap* b = tarv_builtin_image(id);
        ASSERT_NE(b, nullptr);
        ASSERT_EQ(b->GetWidth(), d.width);
        ASSERT_EQ(b->GetHeight(), d.height);
        EXPECT_EQ(std::memcmp(b->data(), d.rgba, static_cast<std::size_t>(d.width) * d.height * 4), 0) << d.name;
    }
}

TEST(WxBitmaps, ConversionsKeepEveryByte)
{
    tarv_bitmap s(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            std::uint8_t* p = s.pixel(x, y);
            p[0] = static_cast<std::uint8_t>(x * 50);
            p[1] = static_cast<std::uint8_t>(y * 100);
            p[2] = static_cast<std::uint8_t>(x + y);
            p[3] = static_cast<std::uint8_t>(x * 60);
        }
    tarv_bitmap back = tarv_bitmap_from_image(tarv_bitmap_to_image(s, true));
    EXPECT_EQ(std::memcmp(back.data(), s.data(), 5 * 3 * 4), 0);

    wxBitmap screen;
    tarv_blit_into(s, screen);
    wxImage seen = screen.ConvertToImage();
    ASSERT_EQ(seen.GetWidth(), 5);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(seen.GetRed(x, y), s.pixel(x, y)[0]);
            EXPECT_EQ(seen.GetGreen(x, y), s.pixel(x, y)[1]);
            EXPECT_EQ(seen.GetBlue(x, y), s.pixel(x, y)[2]);
        }
    // The same bitmap is reused while the size stays.
    s.Clear(color_red);
    tarv_blit_into(s, screen);
    EXPECT_EQ(screen.ConvertToImage().GetRed(4, 2), 255);
}

namespace {

class clicked_panel : public tarv_embedded_window {
public:
    using tarv_embedded_window::tarv_embedded_window;
    void update_content(bool) override {}
    void render(tarv_bitmap& s) override { s.Clear(color_blue); }
    void on_mouse(const tarv_mouse_event& e) override { events.push_back(e); }
    std::vector<tarv_mouse_event> events;
};

}  // namespace

TEST(WxPanelHost, GeometryAndMouseReachTheCore)
{
    tarv_frame* frame = new tarv_frame(nullptr, wxID_ANY, "Karthem", wxDefaultPosition, wxSize(300, 200));
    EXPECT_EQ(frame->GetName(), "tarv frame Karthem");
    auto* core = new clicked_panel(10, 20, 0, 0, "status panel");
    auto* host = new tarv_panel_host(frame, core, true);
    EXPECT_EQ(host->GetName(), "status panel");
    EXPECT_EQ(host->GetSize(), wxSize(1, 1));
    EXPECT_EQ(host->GetPosition(), wxPoint(10, 20));

    core->set_size(0, 5);
    EXPECT_EQ(host->GetSize(), wxSize(1, 5));
    EXPECT_EQ(host->GetPosition(), wxPoint(10, 20));
    core->set_geometry(3, 4, 50, 40);
    EXPECT_EQ(host->GetPosition(), wxPoint(3, 4));
    EXPECT_EQ(host->GetSize(), wxSize(50, 40));
    core->Show(false);
    EXPECT_FALSE(host->IsShown());

    wxMouseEvent down(wxEVT_LEFT_DOWN);
    down.m_x = 7;
    down.m_y = 9;
    down.m_shiftDown = true;
    down.SetEventObject(host);
    host->GetEventHandler()->ProcessEvent(down);
    ASSERT_EQ(core->events.size(), 1u);
    EXPECT_EQ(core->events[0].type, tarv_mouse_event::LEFT_DOWN);
    EXPECT_EQ(core->events[0].x, 7);
    EXPECT_EQ(core->events[0].y, 9);
    EXPECT_TRUE(core->events[0].shift);

    wxMouseEvent wheel(wxEVT_MOUSEWHEEL);
    wheel.m_wheelRotation = -240;
    wheel.m_wheelDelta = 120;
    host->GetEventHandler()->ProcessEvent(wheel);
    ASSERT_EQ(core->events.size(), 2u);
    EXPECT_EQ(core->events[1].type, tarv_mouse_event::WHEEL);
    EXPECT_EQ(core->events[1].wheel_rotation, -240);

    frame->Destroy();
}

TEST(WxMainBackground, LogoBlockFromTheMeasuredHostLine)
{
    create_themes();
    tarv_load_builtin_images();
    tarv_background_cache cache;
    tarv_main_background_painter painter;
    wxBitmap target(400, 300, 24);
    wxMemoryDC dc(target);
    EXPECT_EQ(painter.paint(dc, wxSize(400, 300), cache, tarv_builtin_image(IMAGE_LOGO), 2, "www.karthem.com").width, 0);

    cache.update(400, 300, BG_SOLID, THEME_GREEN, false);
    tarv_logo_block b = painter.paint(dc, wxSize(400, 300), cache, tarv_builtin_image(IMAGE_LOGO), 2, "www.karthem.com");
    dc.SelectObject(wxNullBitmap);
    EXPECT_EQ(b.x, 0);
    EXPECT_EQ(b.y, 0);
    EXPECT_GE(b.width, 192);
    EXPECT_GT(b.height, 43 - 5);
    wxImage shown = target.ConvertToImage();
    // Solid Green background far from the logo.
    EXPECT_EQ(shown.GetGreen(390, 290), 32);
    EXPECT_EQ(shown.GetRed(390, 290), 0);
}
