// The sound pack: the server's "sound" tags name Ogg Vorbis files under the
// configuration directory ("soundpack/<name>.ogg", overridden by
// "soundpack/custom/<name after its first '/'>.ogg"). Each file is decoded
// once, at its first request, and kept for the rest of the run.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "audio/sound_sources.h"

enum tarv_sound_state : int {
    SOUND_NOT_LOADED = 0,
    SOUND_LOADED = 3,
    SOUND_LOADED_CUSTOM = 5,
    SOUND_UNUSABLE = 99,
};

struct tarv_sound_entry {
    std::unique_ptr<unsigned char[]> data;  // never changed once loaded
    int size = 0;
    int channels = 0;
    std::string key;  // "soundpack/" + name + ".ogg"
    int state = SOUND_NOT_LOADED;
    tarv_sound_use use;
};

inline constexpr long tarv_sound_max_bytes = 1764000;  // 10 s of 44100 Hz stereo
inline constexpr int tarv_sound_max_playouts = 3;
inline constexpr int tarv_sound_max_key = 999;

// False for a name that would reach outside the sound pack (absolute, or
// with a ".." component) or whose file name would not fit.
bool tarv_sound_name_is_safe(const char* name);

class tarv_soundpack {
public:
    // config_dir: the configuration directory, without a trailing '/'.
    explicit tarv_soundpack(std::string config_dir);
    // The process's sound pack in the configuration directory, made on first use.
    static tarv_soundpack& instance();

    // The "sound" tag: plays the sound its first word names.
    void parse_audio_tag(const char* payload);
    // The entry of a loaded sound, or nullptr (missing, unusable or refused).
    tarv_sound_entry* get_sound_data(const char* name);
    // 0 when the file cannot be opened; 1 when it was (the outcome of the
    // decoding is in the entry's state).
    int load_from_file(tarv_sound_entry* entry, const char* path);

    // Starts the "soundpack updater" thread (soundpack_updater.cpp) that
    // fetches the pack from host ("host" or "host:port"). 1 when it started.
    static int start_updater(const char* host);

private:
    std::string config_dir_;
    std::mutex list_mutex_;
    std::vector<std::unique_ptr<tarv_sound_entry>> entries_;  // never freed during a run
};
