// Drawing costs: generating the main window's background, repainting a
// window-sized panel, and blending glyphs.
#include <benchmark/benchmark.h>

#include <string>

#include "draw/bitmap.h"
#include "draw/embedded_window.h"
#include "draw/font.h"
#include "draw/theme.h"

namespace {

constexpr int window_width = 984;
constexpr int window_height = 728;

void BM_BackgroundGeneration(benchmark::State& state)
{
    create_themes();
    switch_themes(THEME_BLUE, THEME_RED);
    int style = static_cast<int>(state.range(0));
    tarv_bitmap surface(window_width, window_height);
    for (auto _ : state) {
        draw_background(surface, window_width, window_height, style);
        benchmark::DoNotOptimize(surface.data());
    }
    state.SetLabel(tarv_background_style_name(style));
}
BENCHMARK(BM_BackgroundGeneration)->DenseRange(0, 5)->Unit(benchmark::kMicrosecond);

// A text-display-like panel: cleared, framed and filled with lines of text.
class text_panel : public tarv_embedded_window {
public:
    text_panel() : tarv_embedded_window(0, 0, window_width, window_height, "bench panel")
    {
        for (int i = 0; i < 160; ++i) line += static_cast<char>('!' + (i * 7) % 90);
    }
    void update_content(bool) override {}
    void render(tarv_bitmap& s) override
    {
        s.Clear(color_black);
        int h = 0;
        text_font->GetTextExtent("M", nullptr, &h);
        for (int y = 2; y + h < height(); y += h)
            s.DrawText(*text_font, line.c_str(), 2, y, color_light_grey, color_black);
        s.DrawFrame(color_blue, width(), height());
    }
    std::string line;
};

void BM_EmbeddedWindowFullRepaint(benchmark::State& state)
{
    tarv_create_fonts();
    text_panel panel;
    for (auto _ : state) {
        const tarv_bitmap* s = panel.paint();
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_EmbeddedWindowFullRepaint)->Unit(benchmark::kMicrosecond);

void BM_TenThousandGlyphs(benchmark::State& state)
{
    tarv_create_fonts();
    bool transparent = state.range(0) != 0;
    tarv_bitmap surface(window_width, window_height);
    surface.Clear(color_black);
    std::string line;
    for (int i = 0; i < 100; ++i) line += static_cast<char>('A' + i % 26);
    int h = 0;
    text_font->GetTextExtent("M", nullptr, &h);
    for (auto _ : state) {
        for (int row = 0; row < 100; ++row) {
            int y = (row * h) % (window_height - h);
            if (transparent) surface.DrawTextTransparent(*text_font, line.c_str(), 0, y, color_white);
            else surface.DrawText(*text_font, line.c_str(), 0, y, color_white, color_black);
        }
        benchmark::DoNotOptimize(surface.data());
    }
    state.SetItemsProcessed(state.iterations() * 10000);
    state.SetLabel(transparent ? "transparent" : "opaque");
}
BENCHMARK(BM_TenThousandGlyphs)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
