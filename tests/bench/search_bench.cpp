// Searching 100 MB of scrollback: one full pass (what the count "3 of 17"
// needs) and one slice of the size the find field scans per keystroke.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "draw/font.h"
#include "support/random.h"
#include "text/ansi_display.h"
#include "text/text_search.h"

namespace {

constexpr std::size_t scrollback_bytes = std::size_t{100} << 20;

// Game-like lines of 40 to 120 characters with a few colour changes each.
std::string make_stream(std::size_t bytes)
{
    static const char* const words[] = {"the", "goblin", "hits", "you", "with", "a", "rusty", "sword", "and",
                                        "misses", "north", "gate", "You", "see", "torch", "[exits:", "n", "e",
                                        "s", "w]", "Karthem", "HP:", "123/456", "mana", "gold", "coins."};
    static const char* const colours[] = {"\x1b[31m", "\x1b[32m", "\x1b[33m", "\x1b[34m", "\x1b[35m",
                                          "\x1b[36m", "\x1b[37m", "\x1b[1m",  "\x1b[0m",  "\x1b[22m"};
    tarv_random rng;
    rng.reseed(4242);
    std::string s;
    s.reserve(bytes + 256);
    while (s.size() < bytes) {
        int length = 40 + static_cast<int>(rng.next() % 81);
        int written = 0;
        while (written < length) {
            if (rng.next() % 6 == 0) s += colours[rng.next() % 10];
            const char* w = words[rng.next() % (sizeof words / sizeof *words)];
            s += w;
            s += ' ';
            written += static_cast<int>(std::char_traits<char>::length(w)) + 1;
        }
        s += "\x1b[0m\n";
    }
    return s;
}

tarv_ansi_display& scrollback(bool sealed)
{
    static tarv_font font(10, 75, 90, 90, false, "");
    static std::unique_ptr<tarv_ansi_display> displays[2];
    auto& d = displays[sealed ? 1 : 0];
    if (!d) {
        d = std::make_unique<tarv_ansi_display>(&font, 0, 0, 800, 600);
        d->set_sealing(sealed);
        // Colour codes do not reach the scrollback: feed until it holds 100 MB.
        const std::string stream = make_stream(scrollback_bytes + scrollback_bytes / 3);
        for (std::size_t at = 0; at < stream.size() && d->text.text_store().bytes_stored() < scrollback_bytes;
             at += 4096)
            d->process_ansi_text(stream.data() + at, std::min<std::size_t>(4096, stream.size() - at));
    }
    return *d;
}

// Args: sealed (1) or plain (0) storage; needle 0 common ("goblin"), 1 absent.
void BM_SearchFullPass(benchmark::State& state)
{
    tarv_ansi_display& d = scrollback(state.range(0) != 0);
    const char* needle = state.range(1) == 0 ? "GOBLIN" : "dragon";
    std::size_t matches = 0;
    for (auto _ : state) {
        tarv_text_search s;
        s.set_needle(d.text, needle);
        s.run_to_end(d.text);
        matches = s.count();
        benchmark::DoNotOptimize(matches);
    }
    const std::uint64_t bytes = d.text.text_store().bytes_stored();
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
    state.counters["scrollback_MB"] = static_cast<double>(bytes) / (1 << 20);
    state.counters["matches"] = static_cast<double>(matches);
}
// Wall-clock time: a long pass uses a second thread.
BENCHMARK(BM_SearchFullPass)
    ->Args({1, 0})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Args({0, 1})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The slice the find field scans at once before it hands control back to
// the window (the rest follows on the next ticks).
void BM_SearchOneSlice(benchmark::State& state)
{
    tarv_ansi_display& d = scrollback(true);
    const std::size_t slice = tarv_text_search::slice_bytes;
    for (auto _ : state) {
        tarv_text_search s;
        s.set_needle(d.text, "goblin");
        benchmark::DoNotOptimize(s.step(d.text, slice));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(slice) * state.iterations());
}
BENCHMARK(BM_SearchOneSlice)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
