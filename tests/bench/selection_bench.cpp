// What a drag over a long scrollback costs per mouse motion (the whole
// selected text is rebuilt and copied each time), and the log export.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "draw/font.h"
#include "text/ansi_display.h"

namespace {

tarv_font& bench_font()
{
    // The built-in glyphs at 10 points: 7 x 15 pixels.
    static tarv_font font(10, 75, 90, 90, false, "");
    return font;
}

// n lines of coloured game text, fed in socket-sized blocks.
std::unique_ptr<tarv_ansi_display> filled_display(int lines)
{
    auto d = std::make_unique<tarv_ansi_display>(&bench_font(), 0, 0, 900, 434);
    std::string s;
    for (int i = 0; i < lines; ++i)
        s += "\x1b[31mThe goblin \x1b[0mhits you with a \x1b[1m\x1b[33mrusty sword\x1b[0m and misses, line " +
             std::to_string(i) + ".\n";
    for (std::size_t at = 0; at < s.size(); at += 4096)
        d->process_ansi_text(s.data() + at, std::min<std::size_t>(4096, s.size() - at));
    d->refresh_display();
    return d;
}

// One motion of a drag that selects everything from the first line.
void BM_SelectedTextOfWholeScrollback(benchmark::State& state)
{
    auto d = filled_display(static_cast<int>(state.range(0)));
    tarv_textctrl& t = d->text;
    t.selection_active = 1;
    t.selection_anchor = {0, 0};
    t.selection_point = {t.current_line, 0};
    // Each motion: order the ends, rebuild the text, hand it to the clipboard.
    for (auto _ : state) t.normalize_selection();
    std::string text;
    t.get_selected_text(text);
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) * static_cast<long long>(text.size()));
    state.counters["selected_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_SelectedTextOfWholeScrollback)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_WriteHtmlLog(benchmark::State& state)
{
    auto d = filled_display(100000);
    std::FILE* sink = std::fopen("/dev/null", "wb");
    for (auto _ : state) benchmark::DoNotOptimize(d->write_html_log(sink));
    std::fclose(sink);
    state.counters["runs"] = static_cast<double>(d->render_run_count());
}
BENCHMARK(BM_WriteHtmlLog)->Unit(benchmark::kMillisecond);

}  // namespace
