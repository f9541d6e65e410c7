// Throughput of the stream demultiplexer on a game-like stream: coloured text
// lines with the odd doubled semicolon, status tags every few lines, a map
// now and then, a prompt with echo negotiation; fed in 10000-byte blocks as
// the socket handler reads them.
#include "connection/stream_demux.h"
#include "support/debug_log.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>

namespace {

struct counting_sink : tarv_demux_sink {
    std::int64_t text = 0, tags = 0, data = 0;
    void demux_text(const char*, int length) override { text += length; }
    void demux_password_mode(bool) override {}
    void demux_bell() override {}
    void demux_tag(const char*, const char*, int length) override
    {
        ++tags;
        data += length;
    }
};

std::string game_stream(std::size_t bytes)
{
    std::mt19937 rng(1234);
    const char* words[] = {"the", "orc", "swings", "at", "you", "and", "misses", "a", "torch", "flickers",
                           "north", "gate", "guard", "says", "hello", "traveller", "gold", "coins", "sword", "dark"};
    const char* colours[] = {"\x1b[0m", "\x1b[1;31m", "\x1b[32m", "\x1b[1;33m", "\x1b[36m"};
    std::string s;
    s.reserve(bytes + 4096);
    int line = 0;
    while (s.size() < bytes) {
        int length = 40 + static_cast<int>(rng() % 81);
        std::string text;
        int changes = 2 + static_cast<int>(rng() % 4);
        while (static_cast<int>(text.size()) < length) {
            if (changes > 0 && rng() % 6 == 0) {
                text += colours[rng() % 5];
                --changes;
            }
            text += words[rng() % 20];
            text += (rng() % 15 == 0) ? ";; " : " ";
        }
        s += text + "\r\n";
        if (++line % 4 == 0) s += ";shp;" + std::to_string(rng() % 500) + " 500 120 150 80 90;ehp;";
        if (line % 9 == 0) s += ";senemyhp;" + std::to_string(rng() % 100) + " a scruffy orc;eenemyhp;";
        if (line % 40 == 0) {
            std::string map;
            for (int r = 0; r < 24; ++r) map += std::string(60, "#.:~^"[rng() % 5]) + "\n";
            s += ";smap;" + map + ";emap;;tcombat;";
        }
        if (line % 25 == 0) s += "Password: \xff\xfe\x01\xff\xfd\x01";
    }
    return s;
}

void BM_DemuxGameStream(benchmark::State& state)
{
    tarv_debug_level = 0;
    const std::string stream = game_stream(8 << 20);
    constexpr std::size_t block = 10000;
    counting_sink sink;
    tarv_stream_demux demux;
    for (auto _ : state) {
        for (std::size_t at = 0; at < stream.size(); at += block) {
            std::size_t n = stream.size() - at < block ? stream.size() - at : block;
            demux.process_socket_data(stream.data() + at, static_cast<int>(n), sink);
        }
        benchmark::DoNotOptimize(sink.text);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(stream.size()));
    state.counters["tags_per_MB"] =
        static_cast<double>(sink.tags) / static_cast<double>(state.iterations()) / (stream.size() / 1048576.0);
}
BENCHMARK(BM_DemuxGameStream)->Unit(benchmark::kMillisecond);

void BM_DemuxPlainText(benchmark::State& state)
{
    tarv_debug_level = 0;
    std::string stream;
    while (stream.size() < (8u << 20)) stream += "A long corridor stretches away into the darkness here.\r\n";
    counting_sink sink;
    tarv_stream_demux demux;
    for (auto _ : state) {
        for (std::size_t at = 0; at < stream.size(); at += 10000) {
            std::size_t n = stream.size() - at < 10000 ? stream.size() - at : 10000;
            demux.process_socket_data(stream.data() + at, static_cast<int>(n), sink);
        }
        benchmark::DoNotOptimize(sink.text);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(stream.size()));
}
BENCHMARK(BM_DemuxPlainText)->Unit(benchmark::kMillisecond);

}  // namespace
