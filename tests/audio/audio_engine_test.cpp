#include "audio/audio_engine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <thread>
#include <vector>

#include "audio/sound_sources.h"
#include "common/fake_audio_device.h"
#include "common/log_capture.h"

namespace {

// A source that plays a fixed number of frames of one value and counts its
// destructions, so that a test sees when the engine frees it.
struct counted_sound final : tarv_audio_object {
    static inline std::atomic<int> destroyed{0};
    int frames;
    int value;
    counted_sound(int frames_, int value_) : frames(frames_), value(value_) {}
    ~counted_sound() override { ++destroyed; }
    int get_sample(int* left, int* right) override
    {
        *left = value;
        *right = -value;
        return --frames > 0;
    }
};

struct frame {
    short left, right;
};

frame mix()
{
    frame f{};
    mix_frame(&f.left, &f.right);
    return f;
}

// Frames until get_sample says it was the last; all of them written.
template <typename Sound>
std::vector<int> play_through(Sound& sound)
{
    std::vector<int> out;
    for (;;) {
        int left = INT_MIN, right = INT_MIN;
        int more = sound.get_sample(&left, &right);
        EXPECT_EQ(left, right);
        out.push_back(left);
        if (!more || out.size() > 100000) return out;
    }
}

struct AudioEngine : testing::Test {
    FakeAudioDevice device;
    void SetUp() override { counted_sound::destroyed = 0; }
};

}  // namespace

TEST(SoftClip, FollowsItsTable)
{
    const struct {
        int x, expected;
    } rows[] = {
        {0, 0},           {16383, 16383},   {16384, 16384},   {32767, 20479},   {32768, 20480},
        {65535, 24575},   {65536, 24576},   {131071, 28671},  {131072, 28672},  {262143, 32767},
        {262144, 32767},  {300000, 32767},  {INT_MAX, 32767}, {-1, -1},         {-16383, -16383},
        {-16384, -16384}, {-32767, -20480}, {-32768, -20480}, {-65535, -24576}, {-65536, -24576},
        {-131071, -28672}, {-131072, -28671}, {-262143, -32767}, {-262144, -32767}, {-300000, -32767},
        {INT_MIN, -32767},
    };
    for (const auto& row : rows) EXPECT_EQ(soft_clip(row.x), row.expected) << row.x;
    for (int x = -400000; x <= 400000; x += 7) ASSERT_LE(std::abs(soft_clip(x)), 32767) << x;
}

TEST(SoundSources, NoiseTickIs352FramesOfFadingNoise)
{
    tarv_audio_noise_tick tick;
    std::vector<int> out = play_through(tick);
    ASSERT_EQ(out.size(), 352u);
    EXPECT_EQ(std::vector<int>(out.begin(), out.begin() + 6), (std::vector<int>{-813, -574, -898, -140, -748, -1297}));
    EXPECT_EQ(std::vector<int>(out.end() - 3, out.end()), (std::vector<int>{-5, -2, -1}));
}

TEST(SoundSources, WallBumpIs661FramesOfTriangle)
{
    tarv_audio_wall_bump bump;
    std::vector<int> out = play_through(bump);
    ASSERT_EQ(out.size(), 661u);
    EXPECT_EQ(std::vector<int>(out.begin(), out.begin() + 3), (std::vector<int>{74, 148, 222}));
    // Turns at 111 steps up (8214), then falls 222 steps to -8214.
    EXPECT_EQ(out[110], 8214);
    EXPECT_EQ(out[111], 8140);
    EXPECT_EQ(out[332], -8214);
    EXPECT_EQ(out[333], -8140);
    EXPECT_EQ(*std::max_element(out.begin(), out.end()), 8214);
    EXPECT_EQ(*std::min_element(out.begin(), out.end()), -8214);
}

TEST(SoundSources, WhiteNoiseLastsItsDurationWithin12Bits)
{
    tarv_audio_white_noise noise(10);  // 441 frames
    int frames = 0, left, right, more;
    do {
        left = right = INT_MIN;
        more = noise.get_sample(&left, &right);
        ++frames;
        ASSERT_GE(left, -2048);
        ASSERT_LE(left, 2047);
        ASSERT_GE(right, -2048);
        ASSERT_LE(right, 2047);
    } while (more && frames < 100000);
    EXPECT_EQ(frames, 441);
}

TEST(SoundSources, PlayoutsReadWholeFramesOnly)
{
    // Mono: 5 bytes hold two whole samples; the odd byte is never read.
    const unsigned char mono[5] = {0x34, 0x12, 0xFE, 0xFF, 0x77};
    // Stereo: 8 bytes, two frames of left then right.
    const unsigned char stereo[8] = {0x01, 0x00, 0x00, 0x80, 0xFF, 0x7F, 0xFE, 0xFF};
    tarv_sound_use use;
    {
        tarv_audio_playout_mono_memory m(mono, sizeof mono, &use);
        tarv_audio_playout_stereo_memory s(stereo, sizeof stereo, &use);
        EXPECT_EQ(use.current(), 2);
        int l = 0, r = 0;
        ASSERT_EQ(m.get_sample(&l, &r), 1);
        EXPECT_EQ(l, 0x1234);
        EXPECT_EQ(r, 0x1234);
        ASSERT_EQ(m.get_sample(&l, &r), 1);
        EXPECT_EQ(l, -2);
        EXPECT_EQ(m.get_sample(&l, &r), 0);

        ASSERT_EQ(s.get_sample(&l, &r), 1);
        EXPECT_EQ(l, 1);
        EXPECT_EQ(r, -32768);
        ASSERT_EQ(s.get_sample(&l, &r), 1);
        EXPECT_EQ(l, 32767);
        EXPECT_EQ(r, -2);
        EXPECT_EQ(s.get_sample(&l, &r), 0);
    }
    EXPECT_EQ(use.current(), 0);
}

TEST_F(AudioEngine, OpensTheStreamItNeeds)
{
    LogCapture log(2);
    ASSERT_EQ(start_audio(), 1);
    EXPECT_TRUE(tarv_audio_enabled());
    EXPECT_EQ(fake_audio_device::parameters.channelCount, 2);
    EXPECT_EQ(fake_audio_device::parameters.sampleFormat, paInt16);
    EXPECT_DOUBLE_EQ(fake_audio_device::parameters.suggestedLatency, 0.0116);
    EXPECT_EQ(fake_audio_device::sample_rate, 44100.0);
    EXPECT_EQ(fake_audio_device::frames_per_buffer, 1024u);
    EXPECT_EQ(fake_audio_device::flags, paClipOff | paDitherOff);
    EXPECT_TRUE(log.contains("Requested output latency = 0.0116 seconds.\n1024 frames per buffer.\n."));

    stop_audio();
    EXPECT_FALSE(tarv_audio_enabled());
    EXPECT_FALSE(fake_audio_device::stream_open);
    EXPECT_EQ(fake_audio_device::initialized, 0);
}

TEST_F(AudioEngine, CallbackMixesIntoInterleavedBuffersUntilStopped)
{
    ASSERT_EQ(start_audio(), 1);
    tarv_audio_play<tarv_audio_wall_bump>();
    tarv_audio_object* loud = new counted_sound(2, 30000);
    audio_add_object(loud);
    short out[2 * 4];
    EXPECT_EQ(fake_audio_device::run_callback(out, 4), paContinue);
    // Bump plus the loud sound, clipped: (30074 >> 2) + 12288 = 19806.
    EXPECT_EQ(out[0], 19806);
    EXPECT_EQ(out[1], soft_clip(74 - 30000));
    EXPECT_EQ(out[2], soft_clip(148 + 30000));
    // The loud one ended after two frames: the bump alone.
    EXPECT_EQ(out[4], 222);
    EXPECT_EQ(out[5], 222);
    EXPECT_EQ(out[6], 296);

    stop_audio();
    EXPECT_EQ(fake_audio_device::run_callback(out, 4), paComplete);
    EXPECT_EQ(out[0], 0) << "nothing plays once stopped";
}

TEST_F(AudioEngine, EndedSoundsWaitForTheNextAdd)
{
    ASSERT_EQ(start_audio(), 1);
    audio_add_object(new counted_sound(3, 100));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(mix().left, 100);
    EXPECT_EQ(mix().left, 0);
    // Ended on the mixing side, but freed only by the main thread's next add.
    EXPECT_EQ(counted_sound::destroyed, 0);
    audio_add_object(new counted_sound(1000, 5));
    EXPECT_EQ(counted_sound::destroyed, 1);
    EXPECT_EQ(mix().left, 5);
}

TEST_F(AudioEngine, SynthesizedSoundsEndAndAreReaped)
{
    ASSERT_EQ(start_audio(), 1);
    tarv_audio_play<tarv_audio_noise_tick>();
    tarv_audio_play<tarv_audio_wall_bump>();
    audio_add_object(new counted_sound(1000, 0));
    frame f{};
    for (int i = 0; i < 352; ++i) f = mix();
    // The bump rises again from -8214 (frame 333) by 74 a frame.
    EXPECT_EQ(f.left, -1 + (-8214 + 74 * 19)) << "last tick frame plus the bump";
    f = mix();
    EXPECT_EQ(f.left, -8214 + 74 * 20) << "the tick has ended";
    for (int i = 353; i < 661; ++i) mix();
    EXPECT_EQ(mix().left, 0) << "the bump has ended";
    // Both are on the finished list; the next add frees them, and ours stays.
    audio_reap_finished();
    EXPECT_EQ(counted_sound::destroyed, 0);
    stop_audio();
    EXPECT_EQ(counted_sound::destroyed, 1);
}

TEST_F(AudioEngine, SoundMadeWhileOffIsDestroyedAtOnce)
{
    ASSERT_FALSE(tarv_audio_enabled());
    audio_add_object(new counted_sound(10, 1));
    EXPECT_EQ(counted_sound::destroyed, 1);
    EXPECT_EQ(mix().left, 0);

    tarv_sound_use use;
    const unsigned char data[8] = {};
    tarv_audio_play<tarv_audio_playout_stereo_memory>(data, 8, &use);
    EXPECT_EQ(use.current(), 0);
}

TEST_F(AudioEngine, StopDisposesOfEverySound)
{
    ASSERT_EQ(start_audio(), 1);
    for (int i = 0; i < 5; ++i) audio_add_object(new counted_sound(1000, 1));
    EXPECT_EQ(mix().left, 5);
    stop_audio();
    EXPECT_EQ(counted_sound::destroyed, 5);
    LogCapture log(2);
    stop_audio();
    EXPECT_TRUE(log.contains("Error in stop_audio(), audio not enabled.\n"));
}

TEST_F(AudioEngine, SecondStartIsRefusedInBothStates)
{
    ASSERT_EQ(start_audio(), 1);
    LogCapture log(2);
    EXPECT_EQ(start_audio(), 0);
    EXPECT_TRUE(log.contains("Error in start_audio(), startup already in progress.\n"));
    short out[2 * 8];
    fake_audio_device::run_callback(out, 8);
    EXPECT_EQ(start_audio(), 0);
    EXPECT_TRUE(log.contains("Error in start_audio(), audio already enabled.\n"));
    EXPECT_EQ(fake_audio_device::initialized, 1);
}

TEST_F(AudioEngine, StoppedBeforeItsFirstBufferItStartsAgain)
{
    // A device that never asked for a buffer must not keep sound off for good.
    ASSERT_EQ(start_audio(), 1);
    stop_audio();
    EXPECT_EQ(start_audio(), 1);
}

TEST_F(AudioEngine, StartFailuresLeaveSoundOff)
{
    const struct {
        const char* name;
        void (*arrange)();
        const char* logged;
    } rows[] = {
        {"no device", [] { fake_audio_device::has_device = false; },
         "Error in start_audio_internal() - no device available.\n"},
        {"busy device", [] { fake_audio_device::open_result = paDeviceUnavailable; },
         "Error in start_audio_internal(), 'unable to open stream' - err code -9985 'Device unavailable'.\n"},
        {"no library", [] { fake_audio_device::initialize_result = paInternalError; },
         "Error in start_audio_internal(), 'unable to initialize' - err code -9986 'Internal PortAudio error'.\n"},
    };
    for (const auto& row : rows) {
        fake_audio_device::reset();
        row.arrange();
        LogCapture log(2);
        EXPECT_EQ(start_audio(), 0) << row.name;
        EXPECT_FALSE(tarv_audio_enabled()) << row.name;
        EXPECT_TRUE(log.contains(row.logged)) << row.name << ": " << log.text();
        EXPECT_EQ(fake_audio_device::initialized, 0) << row.name << ": PortAudio is terminated again";
        audio_add_object(new counted_sound(5, 1));
        EXPECT_EQ(counted_sound::destroyed, 1) << row.name;
        counted_sound::destroyed = 0;
    }
    // And once a device is there, sound starts.
    fake_audio_device::reset();
    EXPECT_EQ(start_audio(), 1);
}

TEST_F(AudioEngine, FailedStopDropsTheDeadStream)
{
    ASSERT_EQ(start_audio(), 1);
    fake_audio_device::stop_result = paInternalError;
    LogCapture log(2);
    stop_audio();
    EXPECT_TRUE(log.contains("Error in release_audio(), 'unable to stop stream' - err code -9986"));
    // PortAudio was terminated, which closed the stream: nothing may touch it again.
    EXPECT_FALSE(fake_audio_device::stream_open);
    release_audio();
    fake_audio_device::stop_result = paNoError;
    EXPECT_EQ(start_audio(), 1);
}

// The stream's thread mixes while the main thread keeps adding sounds and
// reaping them; every sound is freed once, on the main thread, and every use
// count returns to zero.
TEST_F(AudioEngine, MixingAndAddingRunTogether)
{
    ASSERT_EQ(start_audio(), 1);
    std::atomic<bool> done{false};
    std::thread stream_thread([&] {
        short out[2 * 256];
        while (!done) fake_audio_device::run_callback(out, 256);
    });
    const unsigned char data[4 * 64] = {};
    tarv_sound_use use;
    const std::thread::id main_id = std::this_thread::get_id();
    struct checked_sound final : tarv_audio_object {
        std::thread::id main;
        int frames;
        checked_sound(std::thread::id m, int f) : main(m), frames(f) {}
        ~checked_sound() override
        {
            if (std::this_thread::get_id() != main) std::abort();
            ++counted_sound::destroyed;
        }
        int get_sample(int* l, int* r) override
        {
            *l = *r = 1;
            return --frames > 0;
        }
    };
    const int rounds = 50000;
    for (int i = 0; i < rounds; ++i) {
        audio_add_object(new checked_sound(main_id, 1 + i % 300));
        if (i % 3 == 0) tarv_audio_play<tarv_audio_playout_stereo_memory>(data, int(sizeof data), &use);
        if (i % 5 == 0) tarv_audio_play<tarv_audio_noise_tick>();
        if (i % 7 == 0) audio_reap_finished();
    }
    // Let everything play out, then stop.
    while (counted_sound::destroyed < rounds - 300) audio_reap_finished();
    done = true;
    stream_thread.join();
    stop_audio();
    EXPECT_EQ(counted_sound::destroyed, rounds);
    EXPECT_EQ(use.current(), 0);
}
