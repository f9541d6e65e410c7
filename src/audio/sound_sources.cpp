#include "audio/sound_sources.h"

#include <cstdint>

namespace {

int sample_at(const unsigned char* data, int offset)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(data[offset] | (data[offset + 1] << 8)));
}

void use_up(tarv_sound_use* use)
{
    if (!use) return;
    std::lock_guard<std::mutex> guard(use->lock);
    ++use->count;
}

void use_down(tarv_sound_use* use)
{
    if (!use) return;
    std::lock_guard<std::mutex> guard(use->lock);
    --use->count;
}

}  // namespace

tarv_audio_white_noise::tarv_audio_white_noise(int duration_ms)
    : frames_left(static_cast<int>(duration_ms * 44100.0 / 1000.0))
{
    random_.reseed(tarv_random_int());
}

int tarv_audio_white_noise::get_sample(int* left, int* right)
{
    std::uint32_t r1 = random_.next();
    std::uint32_t r2 = random_.next();
    *left = static_cast<int>(r1 & 0xFFF) - 2048;
    *right = static_cast<int>(r2 & 0xFFF) - 2048;
    --frames_left;
    return frames_left > 0;
}

int tarv_audio_noise_tick::get_sample(int* left, int* right)
{
    // 32-bit arithmetic that wraps, done unsigned so that it is defined.
    seed = static_cast<int>(static_cast<std::uint32_t>(seed) * 1103515245u + 12345u);
    int envelope = (frames_left * 2048) / length;
    std::uint32_t mixed = static_cast<std::uint32_t>(((seed & 0xFFF) - 2048)) * static_cast<std::uint32_t>(envelope) +
                          static_cast<std::uint32_t>(state) - static_cast<std::uint32_t>(state >> 4);
    state = static_cast<int>(mixed);
    *left = *right = static_cast<std::int16_t>(state / 4096);
    --frames_left;
    return frames_left > 0;
}

int tarv_audio_wall_bump::get_sample(int* left, int* right)
{
    position = static_cast<short>(position + step);
    if (position >= limit) step = -step;
    if (position <= -limit) step = -step;
    *left = *right = position;
    --frames_left;
    return frames_left > 0;
}

tarv_audio_playout_mono_memory::tarv_audio_playout_mono_memory(const unsigned char* data, int size,
                                                               tarv_sound_use* use)
    : size_(size), data_(data), use_(use)
{
    use_up(use_);
}

tarv_audio_playout_mono_memory::~tarv_audio_playout_mono_memory()
{
    use_down(use_);
}

int tarv_audio_playout_mono_memory::get_sample(int* left, int* right)
{
    if (offset_ + 1 >= size_) return 0;
    *left = *right = sample_at(data_, offset_);
    offset_ += 2;
    return 1;
}

tarv_audio_playout_stereo_memory::tarv_audio_playout_stereo_memory(const unsigned char* data, int size,
                                                                   tarv_sound_use* use)
    : size_(size), data_(data), use_(use)
{
    use_up(use_);
}

tarv_audio_playout_stereo_memory::~tarv_audio_playout_stereo_memory()
{
    use_down(use_);
}

int tarv_audio_playout_stereo_memory::get_sample(int* left, int* right)
{
    if (offset_ + 3 >= size_) return 0;
    *left = sample_at(data_, offset_);
    *right = sample_at(data_, offset_ + 2);
    offset_ += 4;
    return 1;
}

void tarv_audio_play_noise_tick()
{
    tarv_audio_play<tarv_audio_noise_tick>();
}

void tarv_audio_play_wall_bump()
{
    tarv_audio_play<tarv_audio_wall_bump>();
}
