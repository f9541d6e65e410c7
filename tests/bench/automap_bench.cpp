// The automap's costs: painting the map picture for a full 23 x 23 grid
// with roads (once per received map) and one frame of the sliding view
// (every 20 ms tick while it moves).
#include <benchmark/benchmark.h>

#include <string>

#include "../automap/map_payload.h"
#include "draw/font.h"

namespace {

void BM_RenderMap(benchmark::State& state)
{
    tarv_automap_renderer view(static_cast<int>(state.range(0)));
    view.logged_in = [] { return true; };
    const std::string payload = encode_map(full_map());
    view.display_socket_data(payload.data(), static_cast<int>(payload.size()));
    for (auto _ : state) {
        view.render_map();
        benchmark::DoNotOptimize(view.picture().data());
    }
}
BENCHMARK(BM_RenderMap)->Arg(11)->Arg(15)->Unit(benchmark::kMicrosecond);

void BM_ViewAnimationFrame(benchmark::State& state)
{
    tarv_set_glyph_rasterizer(nullptr);
    tarv_create_fonts();
    tarv_automap_renderer view(static_cast<int>(state.range(0)));
    view.logged_in = [] { return true; };
    view.pointer_inside = true;  // the arrows too: the dearest frame
    view.hovered = 1;
    const std::string payload = encode_map(full_map(), 'E');
    for (auto _ : state) {
        state.PauseTiming();
        if (!view.animating()) view.display_socket_data(payload.data(), static_cast<int>(payload.size()));
        state.ResumeTiming();
        view.animation_step();
        benchmark::DoNotOptimize(view.paint());
    }
}
BENCHMARK(BM_ViewAnimationFrame)->Arg(11)->Arg(15)->Unit(benchmark::kMicrosecond);

}  // namespace
