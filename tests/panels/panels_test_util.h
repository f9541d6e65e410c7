// Shared fixture pieces for the panel tests: fonts and images loaded once,
// a peer that records tooltips, and a captured debug log.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <tuple>
#include <string>

#include "../draw/draw_test_util.h"
#include "draw/embedded_window.h"
#include "draw/font.h"
#include "draw/images.h"

// The fallback glyphs make every panel_font character 6 x 12 pixels.
constexpr int glyph_w = 6;
constexpr int glyph_h = 12;

inline void load_panel_resources()
{
    tarv_set_glyph_rasterizer(nullptr);
    tarv_create_fonts();
    tarv_load_builtin_images();
}

class recording_peer : public tarv_window_peer {
public:
    void peer_refresh() override { ++refreshes; }
    void peer_move_resize(int, int, int, int) override {}
    void peer_show(bool s) override { shown = s; }
    void peer_set_focus() override {}
    void peer_set_tooltip(const std::string& text) override { tooltip = text; }
    int refreshes = 0;
    bool shown = true;
    std::string tooltip = "(none)";
};

// The most frequent colour of a surface.
inline tarv_color dominant_color(const tarv_bitmap& b)
{
    std::map<std::tuple<int, int, int>, int> counts;
    for (int y = 0; y < b.GetHeight(); ++y)
        for (int x = 0; x < b.GetWidth(); ++x) {
            tarv_color c = b.GetPixel(x, y);
            ++counts[{c.red, c.green, c.blue}];
        }
    auto best = counts.begin();
    for (auto it = counts.begin(); it != counts.end(); ++it)
        if (it->second > best->second) best = it;
    auto [r, g, bl] = best->first;
    return tarv_color{r, g, bl};
}

inline bool region_matches(const tarv_bitmap& actual, const tarv_bitmap& expected, int x1, int y1, int x2, int y2)
{
    for (int y = y1; y <= y2; ++y)
        for (int x = x1; x <= x2; ++x)
            if (!(actual.GetPixel(x, y) == expected.GetPixel(x, y))) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") differs";
                return false;
            }
    return true;
}

inline bool region_is(const tarv_bitmap& b, int x1, int y1, int x2, int y2, const tarv_color& c)
{
    for (int y = y1; y <= y2; ++y)
        for (int x = x1; x <= x2; ++x)
            if (!(b.GetPixel(x, y) == c)) return false;
    return true;
}
