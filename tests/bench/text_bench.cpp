// Text display throughput, scrollback memory and repaint time.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <memory>
#include <string>

#include "draw/bitmap.h"
#include "draw/font.h"
#include "support/random.h"
#include "text/ansi_display.h"

namespace {

// A game-like stream: lines of 40 to 120 characters, 2 to 5 colour changes
// each, now and then a tab, an attribute or a reset.
std::string make_stream(std::size_t bytes)
{
    static const char* const words[] = {"the", "goblin", "hits", "you", "with", "a", "rusty", "sword", "and",
                                        "misses", "north", "gate", "You", "see", "torch", "[exits:", "n", "e",
                                        "s", "w]", "Karthem", "HP:", "123/456", "mana", "gold", "coins."};
    static const char* const colours[] = {"\x1b[31m", "\x1b[32m", "\x1b[33m", "\x1b[34m", "\x1b[35m",
                                          "\x1b[36m", "\x1b[37m", "\x1b[1m",  "\x1b[0m",  "\x1b[22m"};
    tarv_random rng;
    rng.reseed(12345);
    std::string s;
    s.reserve(bytes + 256);
    while (s.size() < bytes) {
        int length = 40 + static_cast<int>(rng.next() % 81);
        int changes = 2 + static_cast<int>(rng.next() % 4);
        int next_change = length / (changes + 1);
        int written = 0, done_changes = 0;
        while (written < length) {
            if (done_changes < changes && written >= next_change * (done_changes + 1)) {
                s += colours[rng.next() % 10];
                ++done_changes;
            }
            if (rng.next() % 20 == 0) {
                s += '\t';
                written += 4;
            }
            const char* w = words[rng.next() % (sizeof words / sizeof *words)];
            s += w;
            s += ' ';
            written += static_cast<int>(std::char_traits<char>::length(w)) + 1;
        }
        s += "\x1b[0m\n";
    }
    return s;
}

const std::string& stream_4mb()
{
    static const std::string s = make_stream(4 << 20);
    return s;
}

tarv_font& bench_font()
{
    // The built-in glyphs at 10 points: 7 x 15 pixels.
    static tarv_font font(10, 75, 90, 90, false, "");
    return font;
}

void feed(tarv_ansi_display& d, const std::string& s)
{
    // In socket-sized blocks, one refresh per block as the main loop does.
    for (std::size_t at = 0; at < s.size(); at += 4096) {
        std::size_t n = std::min<std::size_t>(4096, s.size() - at);
        d.process_ansi_text(s.data() + at, n);
        d.refresh_display();
    }
}

// Private resident memory (RssAnon): leaves out shared libraries and files.
long private_bytes()
{
    long kb = 0;
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return 0;
    char line[256];
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "RssAnon: %ld kB", &kb) == 1) break;
    std::fclose(f);
    return kb * 1024;
}

void BM_IngestStream(benchmark::State& state)
{
    const std::string& s = stream_4mb();
    for (auto _ : state) {
        state.PauseTiming();
        auto d = std::make_unique<tarv_ansi_display>(&bench_font(), 0, 0, 880 + 20, 434);
        state.ResumeTiming();
        feed(*d, s);
        benchmark::DoNotOptimize(d->text.current_line);
        state.PauseTiming();
        d.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(s.size()));
}
BENCHMARK(BM_IngestStream)->Unit(benchmark::kMillisecond);

// Memory added per byte of stream held in the scrollback (32 MB of stream).
void BM_ScrollbackMemory(benchmark::State& state)
{
    const std::string s = make_stream(32 << 20);
    for (auto _ : state) {
        malloc_trim(0);
        long private0 = private_bytes();
        auto d = std::make_unique<tarv_ansi_display>(&bench_font(), 0, 0, 880 + 20, 434);
        feed(*d, s);
        long private1 = private_bytes();
        double n = static_cast<double>(s.size());
        state.counters["private_per_byte"] = static_cast<double>(private1 - private0) / n;
        state.counters["reserved_per_byte"] = static_cast<double>(d->text.bytes_reserved()) / n;
        state.counters["lines"] = d->text.current_line;
        state.counters["runs"] = static_cast<double>(d->render_run_count());
    }
}
BENCHMARK(BM_ScrollbackMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

// The stress fill: 100,000 lines straight into the text control.
void BM_DebugFill(benchmark::State& state)
{
    for (auto _ : state) {
        malloc_trim(0);
        long private0 = private_bytes();
        auto d = std::make_unique<tarv_ansi_display>(&bench_font(), 0, 0, 880 + 20, 434);
        long letters = d->text.debug_fill(100000);
        long private1 = private_bytes();
        state.counters["letters"] = static_cast<double>(letters);
        state.counters["private_MB"] = static_cast<double>(private1 - private0) / 1e6;
        // Each word is followed by a blank: letters + blanks are the text.
        state.counters["lines"] = d->text.current_line;
    }
}
BENCHMARK(BM_DebugFill)->Iterations(1)->Unit(benchmark::kMillisecond);

// Re-breaking 4 MB of held stream for a new width (a window resize).
void BM_RewrapOnResize(benchmark::State& state)
{
    tarv_ansi_display d(&bench_font(), 0, 0, 880 + 20, 434);
    feed(d, stream_4mb());
    int flip = 0;
    for (auto _ : state) {
        d.set_size((flip ^= 1) ? 700 : 900, 434);
        benchmark::DoNotOptimize(d.text.current_line);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(stream_4mb().size()));
}
BENCHMARK(BM_RewrapOnResize)->Unit(benchmark::kMillisecond);

// One full repaint of an 880 x 430 text area full of coloured text.
void BM_Repaint(benchmark::State& state)
{
    tarv_ansi_display d(&bench_font(), 0, 0, 880 + 20, 434);
    feed(d, stream_4mb().substr(0, 1 << 20));
    if (d.text.width() != 880 || d.text.height() != 430) state.SkipWithError("unexpected text area size");
    for (auto _ : state) {
        const tarv_bitmap* b = d.text.paint();
        benchmark::DoNotOptimize(b);
        const tarv_bitmap* frame = d.paint();
        benchmark::DoNotOptimize(frame);
    }
    state.counters["visible_lines"] = d.text.get_visible_line_count();
}
BENCHMARK(BM_Repaint)->Unit(benchmark::kMicrosecond);

// After 200 MB of play: a repaint of the scrollback's oldest parts, which
// live in sealed blocks. Each iteration jumps to another of five places far
// apart, so most repaints find their blocks not yet unpacked.
void BM_RepaintSealedScrollback(benchmark::State& state)
{
    static const std::string s = make_stream(200 << 20);
    static tarv_ansi_display* d = [] {
        auto* display = new tarv_ansi_display(&bench_font(), 0, 0, 880 + 20, 434);
        feed(*display, s);
        display->freeze_scrolling();
        return display;
    }();
    int lines = d->text.line_count();
    int place = 0;
    for (auto _ : state) {
        d->scroll_to_position(lines / 5 * (place++ % 5));
        const tarv_bitmap* b = d->text.paint();
        benchmark::DoNotOptimize(b);
    }
    state.counters["lines"] = lines;
}
BENCHMARK(BM_RepaintSealedScrollback)->Unit(benchmark::kMicrosecond);

}  // namespace
