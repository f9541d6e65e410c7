// The sound sources: synthesized noise, the image-button click tick, the
// wall bump of a failed move, and playouts of decoded sound pack data.
// Each is played by creating it through tarv_audio_play.
#pragma once

#include <mutex>

#include "audio/audio_engine.h"
#include "support/random.h"

// The number of playouts that currently read one sound's data. Changed
// under its mutex on the main thread (creation and reaping).
struct tarv_sound_use {
    std::mutex lock;
    int count = 0;

    int current()
    {
        std::lock_guard<std::mutex> guard(lock);
        return count;
    }
};

// White noise of a given length. Not used by the client itself. It draws
// from its own generator (seeded from the shared one) because it runs on
// the audio thread while the main thread uses the shared one.
class tarv_audio_white_noise final : public tarv_audio_object {
public:
    explicit tarv_audio_white_noise(int duration_ms);
    int get_sample(int* left, int* right) override;

    int frames_left;

private:
    tarv_random random_;
};

// A burst of filtered noise fading out over 352 frames (8 ms).
class tarv_audio_noise_tick final : public tarv_audio_object {
public:
    int get_sample(int* left, int* right) override;

    int frames_left = 352;
    int length = 352;
    int state = 0;
    int seed = 689052;
};

// A triangle wave near 100 Hz, amplitude 8192, 661 frames (15 ms).
class tarv_audio_wall_bump final : public tarv_audio_object {
public:
    int get_sample(int* left, int* right) override;

    int frames_left = 661;
    int length = 661;
    int limit = 8192;
    int step = 74;
    short position = 0;
};

// 16-bit little-endian PCM played from memory the caller keeps alive; the
// use counter (may be null) counts the playouts alive.
class tarv_audio_playout_mono_memory final : public tarv_audio_object {
public:
    tarv_audio_playout_mono_memory(const unsigned char* data, int size, tarv_sound_use* use);
    ~tarv_audio_playout_mono_memory() override;
    int get_sample(int* left, int* right) override;

private:
    int offset_ = 0;
    int size_;
    const unsigned char* data_;
    tarv_sound_use* use_;
};

class tarv_audio_playout_stereo_memory final : public tarv_audio_object {
public:
    tarv_audio_playout_stereo_memory(const unsigned char* data, int size, tarv_sound_use* use);
    ~tarv_audio_playout_stereo_memory() override;
    int get_sample(int* left, int* right) override;

private:
    int offset_ = 0;
    int size_;
    const unsigned char* data_;
    tarv_sound_use* use_;
};

// The client's two synthesized sounds, for the hooks of other subsystems.
void tarv_audio_play_noise_tick();
void tarv_audio_play_wall_bump();
