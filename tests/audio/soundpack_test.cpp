#include "audio/soundpack.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "audio/ogg_decode.h"
#include "common/fake_audio_device.h"
#include "common/log_capture.h"

namespace {

// Encodes frames of a 440 Hz tone (amplitude 10000) with oggenc: the sound
// pack's files are made at test time, in the shapes each test needs.
void make_ogg(const std::string& path, int rate, int channels, long frames, int amplitude = 10000)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::string raw = path + ".raw";
    {
        std::vector<std::int16_t> pcm(static_cast<size_t>(frames * channels));
        for (long i = 0; i < frames; ++i)
            for (int c = 0; c < channels; ++c)
                pcm[static_cast<size_t>(i * channels + c)] =
                    static_cast<std::int16_t>(amplitude * std::sin(2 * M_PI * 440.0 * double(i) / rate));
        std::ofstream out(raw, std::ios::binary);
        out.write(reinterpret_cast<const char*>(pcm.data()), static_cast<std::streamsize>(pcm.size() * 2));
    }
    std::string command = "oggenc -Q -r -B 16 -C " + std::to_string(channels) + " -R " + std::to_string(rate) +
                          " -q 2 -o '" + path + "' '" + raw + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << "oggenc (vorbis-tools) is needed: " << command;
    std::filesystem::remove(raw);
}

void write_text(const std::string& path, const std::string& text)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

struct SoundPack : testing::Test {
    TempDir config;
    tarv_soundpack pack{config.path()};
    FakeAudioDevice device;
    void SetUp() override { ASSERT_EQ(start_audio(), 1); }

    std::string pack_file(const std::string& name) { return config / ("soundpack/" + name + ".ogg"); }
    std::string custom_file(const std::string& name) { return config / ("soundpack/custom/" + name + ".ogg"); }

    // Loudest sample of what the engine mixes over the next frames.
    int loudest(int frames)
    {
        int peak = 0;
        for (int i = 0; i < frames; ++i) {
            short l = 0, r = 0;
            mix_frame(&l, &r);
            peak = std::max({peak, std::abs(int(l)), std::abs(int(r))});
        }
        return peak;
    }
};

}  // namespace

TEST_F(SoundPack, TagPlaysTheNamedSoundAndIgnoresFurtherWords)
{
    make_ogg(pack_file("combat/hit"), 44100, 1, 4410);
    EXPECT_EQ(loudest(10), 0);
    pack.parse_audio_tag("combat/hit 50 further\twords\n");
    tarv_sound_entry* entry = pack.get_sound_data("combat/hit");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->state, SOUND_LOADED);
    EXPECT_EQ(entry->channels, 1);
    EXPECT_EQ(entry->size, 4410 * 2) << "every frame decoded, no more";
    EXPECT_EQ(entry->use.current(), 1);
    // The tone is heard at about its own level.
    int peak = loudest(4410);
    EXPECT_GT(peak, 8500);
    EXPECT_LT(peak, 11500);
    EXPECT_EQ(loudest(10), 0) << "and ends with its data";
    audio_reap_finished();
    EXPECT_EQ(entry->use.current(), 0);
}

TEST_F(SoundPack, CustomFileComesFirst)
{
    const struct {
        const char* name;
        const char* custom;
    } rows[] = {{"combat/hit", "hit"}, {"bell", "bell"}, {"a/b/c", "b/c"}};
    for (const auto& row : rows) {
        make_ogg(pack_file(row.name), 44100, 1, 1000);
        make_ogg(custom_file(row.custom), 44100, 2, 2000);
        LogCapture log(3);
        tarv_sound_entry* entry = pack.get_sound_data(row.name);
        ASSERT_NE(entry, nullptr) << row.name;
        EXPECT_EQ(entry->state, SOUND_LOADED_CUSTOM) << row.name;
        EXPECT_EQ(entry->channels, 2) << row.name;
        EXPECT_EQ(entry->size, 2000 * 4) << row.name;
        EXPECT_TRUE(log.contains(std::string("got custom sound '") + row.name + "'.\n")) << row.name;
    }
}

TEST_F(SoundPack, CustomFileThatIsNotOggFallsBack)
{
    make_ogg(pack_file("combat/hit"), 44100, 1, 1000);
    write_text(custom_file("hit"), "this is not an Ogg file\n");
    LogCapture log(3);
    tarv_sound_entry* entry = pack.get_sound_data("combat/hit");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->state, SOUND_LOADED);
    EXPECT_EQ(entry->channels, 1);
    EXPECT_TRUE(log.contains("Warning in tarv_ogg_decode_from_file_to_memory() - not an Ogg bitstream?\n"));
    EXPECT_TRUE(log.contains("Error in tarv_soundpack::load_from_file() - bad file format for '" +
                             custom_file("hit") + "'.\n"));
    EXPECT_TRUE(log.contains("tarv_soundpack::get_sound_data() - loaded sound 'soundpack/combat/hit.ogg'.\n"));
}

TEST_F(SoundPack, UnusableFileIsRefusedOnceAndNotDecodedAgain)
{
    make_ogg(pack_file("slow"), 22050, 1, 1000);
    LogCapture log(3);
    EXPECT_EQ(pack.get_sound_data("slow"), nullptr);
    EXPECT_TRUE(log.contains("had unusable sample rate 22050.\n"));
    EXPECT_TRUE(log.contains("tarv_soundpack::get_sound_data() - file 'soundpack/slow.ogg' failed decode.\n"));
    // A good file in its place is not looked at during this run.
    make_ogg(pack_file("slow"), 44100, 1, 1000);
    EXPECT_EQ(pack.get_sound_data("slow"), nullptr);
    pack.parse_audio_tag("slow");
    EXPECT_EQ(log.count("unusable sample rate"), 1);
    EXPECT_TRUE(log.contains("tarv_soundpack::parse_audio_tag - no sound available for 'slow'\n"));
    EXPECT_EQ(loudest(100), 0);
}

TEST_F(SoundPack, MissingFileIsLookedForAgain)
{
    LogCapture log(3);
    EXPECT_EQ(pack.get_sound_data("door/open"), nullptr);
    EXPECT_TRUE(log.contains("unable to open custom soundpack file 'soundpack/door/open.ogg'.  Falling back"));
    EXPECT_TRUE(log.contains("tarv_soundpack::get_sound_data() - file 'soundpack/door/open.ogg' not found.\n"));
    make_ogg(pack_file("door/open"), 44100, 2, 500);
    tarv_sound_entry* entry = pack.get_sound_data("door/open");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->size, 500 * 4);
}

TEST_F(SoundPack, TenSecondsIsTheLongestSound)
{
    make_ogg(pack_file("long"), 44100, 2, 441000, 0);
    make_ogg(pack_file("too_long"), 44100, 2, 441001, 0);
    LogCapture log(2);
    tarv_sound_entry* entry = pack.get_sound_data("long");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->size, 1764000);
    EXPECT_EQ(pack.get_sound_data("too_long"), nullptr);
    EXPECT_TRUE(log.contains("file is too large for constraint, estimated size 1764004.\n"));
    EXPECT_TRUE(log.contains("Error in tarv_soundpack::load_from_file() - file '" + pack_file("too_long") +
                             "' exceeds available decode space.\n"));
}

TEST_F(SoundPack, AtMostThreePlayoutsOfOneSound)
{
    make_ogg(pack_file("bell"), 44100, 1, 2000);
    LogCapture log(3);
    for (int i = 0; i < 4; ++i) pack.parse_audio_tag("bell");
    tarv_sound_entry* entry = pack.get_sound_data("bell");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->use.current(), 3);
    EXPECT_EQ(log.count("tarv_soundpack::parse_audio_tag() - too many simultaneous playouts of 'soundpack/bell.ogg'\n"),
              1);
    // Once they have played out, the bell rings again.
    loudest(2001);
    pack.parse_audio_tag("bell");
    EXPECT_EQ(entry->use.current(), 1);
}

TEST_F(SoundPack, NamesThatLeaveTheSoundPackAreRefused)
{
    // Real sounds wait where each escape would lead.
    make_ogg(config / "outside.ogg", 44100, 1, 1000);
    make_ogg(config / "soundpack/custom/outside.ogg", 44100, 1, 1000);
    const std::string absolute = config / "outside";
    const std::string refused[] = {
        "../outside", "x/../../outside", "combat/../../outside", "..", "a/..", "/etc/passwd",
        absolute,     std::string(990, 'a'),
    };
    for (const std::string& name : refused) {
        LogCapture log(1);
        EXPECT_EQ(pack.get_sound_data(name.c_str()), nullptr) << name;
        pack.parse_audio_tag((name + " 1").c_str());
        EXPECT_EQ(log.count("refused sound name '" + name + "'"), 2) << name;
        EXPECT_EQ(loudest(10), 0) << name;
    }
    // Dots inside names are fine.
    make_ogg(pack_file("combat/hit..2"), 44100, 1, 1000);
    EXPECT_NE(pack.get_sound_data("combat/hit..2"), nullptr);
    EXPECT_NE(pack.get_sound_data("./combat/hit..2"), nullptr);
}

TEST(OggDecode, ReportsEachKindOfFailure)
{
    TempDir dir;
    write_text(dir / "text.ogg", "plain text");
    make_ogg(dir / "ok.ogg", 44100, 2, 1000);
    tarv_decoded_audio result;
    LogCapture log(1);
    EXPECT_EQ(tarv_ogg_decode_from_file_to_memory((dir / "none.ogg").c_str(), 100000, &result), 1);
    EXPECT_EQ(tarv_ogg_decode_from_file_to_memory((dir / "text.ogg").c_str(), 100000, &result), 2);
    EXPECT_EQ(tarv_ogg_decode_from_file_to_memory((dir / "ok.ogg").c_str(), 1023, &result), 3);
    EXPECT_EQ(tarv_ogg_decode_from_file_to_memory((dir / "ok.ogg").c_str(), 3999, &result), 3);
    EXPECT_EQ(tarv_ogg_decode_from_file_to_memory((dir / "ok.ogg").c_str(), 4000, &result), 0);
    EXPECT_EQ(result.size, 4000);
    EXPECT_EQ(result.rate, 44100);
    EXPECT_EQ(result.channels, 2);
    EXPECT_TRUE(log.contains("Warning in tarv_ogg_decode_from_file_to_memory() - unable to open file '" +
                             (dir / "none.ogg") + "'.\n"));
    EXPECT_TRUE(log.contains("tarv_ogg_decode_from_file_to_memory() - max size smaller than 1024 bytes.\n"));
    EXPECT_TRUE(log.contains("estimated size 4000.\n"));
}
