// The stream callback's cost: one 1024-frame buffer mixed from 1, 8 and 32
// playing sounds. The "period_percent" counter is the part of the buffer's
// playing time (1024 / 44100 s = 23.2 ms) that mixing it takes, in percent
// (of CPU time; "m" is a thousandth).
#include <benchmark/benchmark.h>

#include <vector>

#include "audio/audio_engine.h"
#include "audio/sound_sources.h"

namespace {

// A device that accepts everything; the benchmark calls the callback itself.
const tarv_audio_backend silent_device = {
    [] { return PaError(paNoError); },
    [] { return PaError(paNoError); },
    [] { return PaDeviceIndex(0); },
    [](PaDeviceIndex) -> const PaDeviceInfo* {
        static PaDeviceInfo info{};
        return &info;
    },
    [](PaStream** stream, const PaStreamParameters*, const PaStreamParameters*, double, unsigned long, PaStreamFlags,
       PaStreamCallback*, void*) {
        static int token;
        *stream = &token;
        return PaError(paNoError);
    },
    [](PaStream*) { return PaError(paNoError); },
    [](PaStream*) { return PaError(paNoError); },
    [](PaStream*) { return PaError(paNoError); },
    Pa_GetErrorText,
};

// Ten seconds of stereo noise, as long as a sound may be.
const std::vector<unsigned char>& sound_data()
{
    static std::vector<unsigned char> data = [] {
        std::vector<unsigned char> d(1764000);
        unsigned seed = 1;
        for (auto& byte : d) byte = static_cast<unsigned char>((seed = seed * 1103515245u + 12345u) >> 16);
        return d;
    }();
    return data;
}

void BM_MixBuffer(benchmark::State& state)
{
    const int sounds = static_cast<int>(state.range(0));
    const auto& data = sound_data();
    tarv_audio_set_backend(&silent_device);
    start_audio();
    std::vector<short> out(2 * tarv_audio_frames_per_buffer);
    const int buffers_per_sound = 400;  // well inside ten seconds
    int played = buffers_per_sound;
    for (auto _ : state) {
        if (played == buffers_per_sound) {
            state.PauseTiming();
            stop_audio();
            start_audio();
            for (int i = 0; i < sounds; ++i)
                tarv_audio_play<tarv_audio_playout_stereo_memory>(data.data() + 4 * 97 * i,
                                                                  int(data.size()) - 4 * 97 * i, nullptr);
            played = 0;
            state.ResumeTiming();
        }
        audio_stream_callback(nullptr, out.data(), tarv_audio_frames_per_buffer, nullptr, 0, nullptr);
        benchmark::DoNotOptimize(out.data());
        ++played;
    }
    stop_audio();
    tarv_audio_set_backend(nullptr);
    const double period = double(tarv_audio_frames_per_buffer) / tarv_audio_sample_rate;
    state.counters["period_percent"] = benchmark::Counter(
        period / 100, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MixBuffer)->Arg(1)->Arg(8)->Arg(32);

}  // namespace
