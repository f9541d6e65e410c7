// The toolkit half of a panel repaint: copying a window-sized surface into
// the bitmap that is drawn to the screen. Needs a display (xvfb-run).
#include <benchmark/benchmark.h>

#include <cstdio>

#include <wx/app.h>
#include <wx/init.h>

#include "draw/bitmap_wx.h"

namespace {

void BM_BlitWindowSizedSurface(benchmark::State& state)
{
    tarv_bitmap surface(984, 728);
    surface.Clear(color_dark_grey);
    surface.DrawFilledCircle(400, 300, 200, color_cyan);
    wxBitmap screen;
    for (auto _ : state) {
        tarv_blit_into(surface, screen);
        benchmark::DoNotOptimize(screen.GetRefData());
    }
}
BENCHMARK(BM_BlitWindowSizedSurface)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "draw_wxbench: the toolkit did not start (no display?)\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    wxEntryCleanup();
    return 0;
}
