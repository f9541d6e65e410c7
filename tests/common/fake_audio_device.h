// Stands in for PortAudio's output device, so that the engine can be started
// and stopped without sound hardware and a test can drive its callback the
// way the stream's thread would.
#pragma once

#include <gtest/gtest.h>

#include "audio/audio_engine.h"

struct fake_audio_device {
    // What the next calls do.
    static inline bool has_device = true;
    static inline PaError initialize_result = paNoError;
    static inline PaError open_result = paNoError;
    static inline PaError stop_result = paNoError;

    // What the engine did.
    static inline int initialized = 0;  // PortAudio's own count of initialisations
    static inline bool stream_open = false;
    static inline PaStreamCallback* callback = nullptr;
    static inline PaStreamParameters parameters{};
    static inline double sample_rate = 0;
    static inline unsigned long frames_per_buffer = 0;
    static inline PaStreamFlags flags = 0;

    static void reset()
    {
        has_device = true;
        initialize_result = open_result = stop_result = paNoError;
        initialized = 0;
        stream_open = false;
        callback = nullptr;
    }

    static const tarv_audio_backend* backend()
    {
        static const tarv_audio_backend table = {
            [] {
                if (initialize_result != paNoError) return initialize_result;
                ++initialized;
                return PaError(paNoError);
            },
            [] {
                if (initialized == 0) return PaError(paNotInitialized);
                // The last termination closes whatever is still open.
                if (--initialized == 0) stream_open = false;
                return PaError(paNoError);
            },
            [] { return has_device ? PaDeviceIndex(0) : PaDeviceIndex(paNoDevice); },
            [](PaDeviceIndex device) -> const PaDeviceInfo* {
                static PaDeviceInfo info{};
                info.defaultLowOutputLatency = 0.0116;
                return device == 0 ? &info : nullptr;
            },
            [](PaStream** stream, const PaStreamParameters* input, const PaStreamParameters* output, double rate,
               unsigned long frames, PaStreamFlags stream_flags, PaStreamCallback* cb, void*) {
                EXPECT_EQ(input, nullptr);
                EXPECT_GT(initialized, 0);
                if (open_result != paNoError) return open_result;
                parameters = *output;
                sample_rate = rate;
                frames_per_buffer = frames;
                flags = stream_flags;
                callback = cb;
                stream_open = true;
                *stream = token();
                return PaError(paNoError);
            },
            [](PaStream* stream) {
                EXPECT_TRUE(stream_open && stream == token()) << "start on a stream that is not open";
                return PaError(paNoError);
            },
            [](PaStream* stream) {
                EXPECT_TRUE(stream_open && stream == token()) << "stop on a stream that is not open";
                return stop_result;
            },
            [](PaStream* stream) {
                EXPECT_TRUE(stream_open && stream == token()) << "close on a stream that is not open";
                stream_open = false;
                return PaError(paNoError);
            },
            Pa_GetErrorText,
        };
        return &table;
    }

    static PaStream* token()
    {
        static int stream;
        return &stream;
    }

    // One buffer of the stream, as PortAudio's thread would ask for it.
    static int run_callback(short* out, unsigned long frames)
    {
        return audio_stream_callback(nullptr, out, frames, nullptr, 0, nullptr);
    }
};

// Installs the fake device for one test and leaves the engine off afterwards.
class FakeAudioDevice {
public:
    FakeAudioDevice()
    {
        fake_audio_device::reset();
        tarv_audio_set_backend(fake_audio_device::backend());
    }
    ~FakeAudioDevice()
    {
        if (tarv_audio_enabled()) stop_audio();
        release_audio();
        audio_reap_finished();
        tarv_audio_set_backend(nullptr);
    }
    FakeAudioDevice(const FakeAudioDevice&) = delete;
    FakeAudioDevice& operator=(const FakeAudioDevice&) = delete;
};
