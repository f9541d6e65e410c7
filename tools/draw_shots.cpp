// Renders the themed main-window background with the logo, a framed text
// area and rows of buttons in every button state, for each background style
// and each button theme, and writes them as PNG files for looking at.
//
// Usage: tessel_draw_shots [DIRECTORY]   (default /tmp/tessel-shots)
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "draw/bitmap.h"
#include "draw/image_button.h"
#include "draw/font.h"
#include "draw/images.h"
#include "draw/main_background.h"
#include "draw/theme.h"

namespace {

bool write_png(const std::string& path, const tarv_bitmap& b)
{
    const int w = b.GetWidth(), h = b.GetHeight();
    std::vector<unsigned char> raw;
    raw.reserve(static_cast<std::size_t>(h) * (w * 3 + 1));
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);
        for (int x = 0; x < w; ++x) raw.insert(raw.end(), b.pixel(x, y), b.pixel(x, y) + 3);
    }
    uLongf packed_size = compressBound(raw.size());
    std::vector<unsigned char> packed(packed_size);
    if (compress2(packed.data(), &packed_size, raw.data(), raw.size(), 6) != Z_OK) return false;
    packed.resize(packed_size);

    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    auto put32 = [](std::vector<unsigned char>& v, unsigned x) {
        for (int s = 24; s >= 0; s -= 8) v.push_back(static_cast<unsigned char>(x >> s));
    };
    auto chunk = [&](const char* kind, const std::vector<unsigned char>& data) {
        std::vector<unsigned char> out;
        put32(out, static_cast<unsigned>(data.size()));
        out.insert(out.end(), kind, kind + 4);
        out.insert(out.end(), data.begin(), data.end());
        unsigned crc = crc32(0, out.data() + 4, static_cast<uInt>(out.size() - 4));
        put32(out, crc);
        std::fwrite(out.data(), 1, out.size(), f);
    };
    std::fwrite("\x89PNG\r\n\x1a\n", 1, 8, f);
    std::vector<unsigned char> header;
    put32(header, static_cast<unsigned>(w));
    put32(header, static_cast<unsigned>(h));
    header.insert(header.end(), {8, 2, 0, 0, 0});
    chunk("IHDR", header);
    chunk("IDAT", packed);
    chunk("IEND", {});
    return std::fclose(f) == 0;
}

enum button_look { UP_LIT, UP_LIT_HOVER, UP_UNLIT, UP_UNLIT_HOVER, DOWN, DOWN_HOVER, ON, ON_HOVER, DISABLED };

tarv_bitmap button(int w, int h, const char* label, button_look look, const tarv_button_theme& t)
{
    struct recipe {
        int face;
        bool raised;
        int frame;  // -1: none
        int label;
    };
    static const recipe recipes[] = {
        {THEME_LIT_FACE, true, -1, THEME_LIT_LABEL},
        {THEME_LIT_HOVER_FACE, true, THEME_LIT_HOVER_FRAME, THEME_LIT_HOVER_LABEL},
        {THEME_UNLIT_FACE, true, -1, THEME_UNLIT_LABEL},
        {THEME_UNLIT_HOVER_FACE, true, THEME_UNLIT_HOVER_FRAME, THEME_UNLIT_HOVER_LABEL},
        {THEME_PRESSED_FACE, false, -1, THEME_PRESSED_LABEL},
        {THEME_PRESSED_FACE, false, THEME_PRESSED_HOVER_FRAME, THEME_PRESSED_LABEL},
        {THEME_ON_FACE, false, -1, THEME_ON_LABEL},
        {THEME_ON_HOVER_FACE, false, THEME_ON_HOVER_FRAME, THEME_ON_HOVER_LABEL},
        {THEME_DISABLED_FACE, true, -1, THEME_DISABLED_LABEL},
    };
    const recipe& r = recipes[look];
    tarv_bitmap b(w, h);
    tarv_draw_button_face(b, w, h, t[r.face], r.raised ? 1 : 2);
    if (r.frame >= 0) b.DrawFrame(t[r.frame], w, h);
    int tw = 0, th = 0;
    panel_font->GetTextExtent(label, &tw, &th);
    b.DrawTextTransparent(*panel_font, label, std::max(0, w / 2 - tw / 2), std::max(0, h / 2 - th / 2), t[r.label]);
    return b;
}

void framed_area(tarv_bitmap& s, int x, int y, int w, int h, const tarv_color& frame)
{
    s.DrawFilledRectangle(x, y, x + w - 1, y + h - 1, color_black);
    for (int i = 0; i < 2; ++i) {
        s.DrawLine(x + i, y + i, x + w - 1 - i, y + i, frame);
        s.DrawLine(x + i, y + h - 1 - i, x + w - 1 - i, y + h - 1 - i, frame);
        s.DrawLine(x + i, y + i, x + i, y + h - 1 - i, frame);
        s.DrawLine(x + w - 1 - i, y + i, x + w - 1 - i, y + h - 1 - i, frame);
    }
}

tarv_bitmap shot(int style, int button_theme, int background_theme)
{
    const int W = 984, H = 728;
    switch_themes(button_theme, background_theme);
    const tarv_button_theme& t = *current_button_theme;

    tarv_background_cache cache;
    cache.update(W, H, style, background_theme, false);
    tarv_bitmap s(W, H);
    s.DrawBitmap(*cache.surface(), 0, 0);

    // The game text display.
    framed_area(s, 8, 8, 740, 560, t[THEME_PANEL_FRAME]);
    const char* lines[] = {
        "Welcome to Karthem.",
        "",
        "The Old Market Square",
        "  Cobbles worn smooth by centuries of traders ring a dry fountain.",
        "  Obvious exits: north, east, south and west.",
        "A lamplighter is here, humming to himself.",
        "",
        "> look fountain",
        "The basin holds nothing but leaves and a single copper coin.",
    };
    int y = 20;
    const tarv_color text_colors[] = {{192, 192, 192}, {192, 192, 192}, {85, 255, 255}, {192, 192, 192},
                                      {85, 255, 85},   {255, 255, 85},  {192, 192, 192}, {255, 255, 255},
                                      {192, 192, 192}};
    for (int i = 0; i < 9; ++i) {
        s.DrawText(*text_font, lines[i], 18, y, text_colors[i], color_black);
        y += 14;
    }
    // The automap panel frame, and a status panel.
    framed_area(s, 756, 8, 220, 220, t[THEME_MAP_FRAME]);
    framed_area(s, 756, 236, 220, 120, t[THEME_PANEL_FRAME]);
    const tarv_color bar_from[] = {{128, 0, 0}, {0, 0, 160}, {0, 120, 0}};
    const tarv_color bar_to[] = {{255, 64, 64}, {96, 96, 255}, {64, 255, 64}};
    for (int i = 0; i < 3; ++i)
        s.DrawXGradientRectangle(768, 252 + i * 30, 768 + 150 - i * 35, 268 + i * 30, bar_from[i], bar_to[i]);

    // Rows of buttons in every state.
    const char* labels[] = {"Lit", "Hover", "Unlit", "Hover", "Down", "Down*", "On", "On*", "Off"};
    for (int i = 0; i < 9; ++i) {
        tarv_bitmap b = button(76, 24, labels[i], static_cast<button_look>(i), t);
        s.DrawBitmap(b, 8 + i * 80, 580);
    }
    const char* fkeys[] = {"F1 look", "F2 score", "F3 inv", "F4 eq", "F5 who", "F6 map", "F7 rest", "F8 quit"};
    for (int i = 0; i < 8; ++i) {
        tarv_bitmap b = button(88, 24, fkeys[i], i % 3 == 0 ? UP_LIT : UP_UNLIT, t);
        s.DrawBitmap(b, 8 + i * 92, 612);
    }
    // The input line's panel.
    framed_area(s, 8, 644, 740, 24, t[THEME_PANEL_FRAME]);
    s.DrawText(*text_font, "> say Good evening", 16, 650, color_white, color_black);

    // The logo block, bottom right (layout 0).
    const tarv_bitmap* logo = tarv_builtin_image(IMAGE_LOGO);
    const char* host = "www.karthem.com";
    int tw = 0, th = 0;
    panel_font->GetTextExtent(host, &tw, &th);
    tarv_logo_block block = tarv_place_logo_block(0, W, H, logo->GetWidth(), logo->GetHeight(), tw, th);
    s.DrawBitmapBlend(*logo, block.logo_x, block.logo_y);
    s.DrawTextTransparent(*panel_font, host, block.text_x, block.text_y, color_white);

    // Status icons and the padlock on the status panel.
    for (int id = IMAGE_STATUS_NO_FIGHTING; id <= IMAGE_LOCK; ++id)
        s.DrawBitmapBlend(*tarv_builtin_image(id), 770 + id * 24, 330);
    return s;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string dir = argc > 1 ? argv[1] : "/tmp/tessel-shots";
    create_themes();
    tarv_load_builtin_images();
    tarv_create_fonts();
    int failures = 0;
    const char* style_names[] = {"none", "solid", "maze1", "maze2", "bubbles", "maze3"};
    // Each style with the default button theme (Blue) and background colours (Red).
    for (int style = 0; style < 6; ++style) {
        std::string path = dir + "/style-" + std::to_string(style) + "-" + style_names[style] + ".png";
        if (!write_png(path, shot(style, THEME_BLUE, THEME_RED))) ++failures;
    }
    // Each button theme with the background colours of the same name, styles in turn.
    for (int p = 0; p < tarv_theme_count; ++p) {
        int index = tarv_theme_index_at(p);
        int style = (p % 5) + 1;
        std::string path = dir + "/theme-" + std::to_string(p) + "-" + tarv_theme_name(index) + ".png";
        if (!write_png(path, shot(style, index, index))) ++failures;
    }
    if (failures) std::fprintf(stderr, "tessel_draw_shots: %d pictures could not be written to %s\n", failures, dir.c_str());
    return failures ? 1 : 0;
}
