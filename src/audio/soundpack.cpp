#include "audio/soundpack.h"

#include <cstdio>
#include <cstring>

#include "audio/ogg_decode.h"
#include "support/config_dir.h"
#include "support/debug_log.h"

bool tarv_sound_name_is_safe(const char* name)
{
    if (name[0] == '/') return false;
    for (const char* part = name;;) {
        const char* end = std::strchr(part, '/');
        size_t length = end ? static_cast<size_t>(end - part) : std::strlen(part);
        if (length == 2 && part[0] == '.' && part[1] == '.') return false;
        if (!end) break;
        part = end + 1;
    }
    return std::strlen("soundpack/") + std::strlen(name) + std::strlen(".ogg") <= tarv_sound_max_key;
}

tarv_soundpack::tarv_soundpack(std::string config_dir) : config_dir_(std::move(config_dir)) {}

tarv_soundpack& tarv_soundpack::instance()
{
    // Playouts read its data until the process ends: never destroyed.
    static tarv_soundpack* pack = [] {
        const char* dir = tarv_client_get_config_directory();
        return new tarv_soundpack(dir ? dir : "");
    }();
    return *pack;
}

void tarv_soundpack::parse_audio_tag(const char* payload)
{
    if (!payload) payload = "";
    std::string name(payload, std::strcspn(payload, " \t\n"));
    if (name.size() > 5999) name.resize(5999);

    tarv_sound_entry* entry = get_sound_data(name.c_str());
    if (!entry) {
        TARV_LOG(1, "tarv_soundpack::parse_audio_tag - no sound available for '%s'\n", payload);
        return;
    }
    // Ended playouts give their uses back first.
    audio_reap_finished();
    if (entry->use.current() >= tarv_sound_max_playouts) {
        TARV_LOG(3, "tarv_soundpack::parse_audio_tag() - too many simultaneous playouts of '%s'\n",
                 entry->key.c_str());
        return;
    }
    if (entry->channels == 1) {
        tarv_audio_play<tarv_audio_playout_mono_memory>(entry->data.get(), entry->size, &entry->use);
    } else if (entry->channels == 2) {
        tarv_audio_play<tarv_audio_playout_stereo_memory>(entry->data.get(), entry->size, &entry->use);
    } else {
        TARV_LOG(1, "tarv_soundpack::parse_audio_tag() - data for '%s' has %d channel format?\n", entry->key.c_str(),
                 entry->channels);
    }
}

tarv_sound_entry* tarv_soundpack::get_sound_data(const char* name)
{
    if (!name) name = "";
    // Names come from the server: they stay inside the sound pack.
    if (!tarv_sound_name_is_safe(name)) {
        TARV_LOG(1, "Warning in tarv_soundpack::get_sound_data(), refused sound name '%s' outside the sound pack.\n",
                 name);
        return nullptr;
    }
    if (config_dir_.empty()) return nullptr;

    std::string key = std::string("soundpack/") + name + ".ogg";
    tarv_sound_entry* entry = nullptr;
    {
        std::lock_guard<std::mutex> lock(list_mutex_);
        for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
            if ((*it)->key == key) {
                entry = it->get();
                break;
            }
        }
        if (!entry) {
            entries_.push_back(std::make_unique<tarv_sound_entry>());
            entry = entries_.back().get();
            entry->key = key;
        }
    }

    if (entry->state == SOUND_LOADED) return entry;
    if (entry->state == SOUND_UNUSABLE) return nullptr;
    if (entry->state == SOUND_LOADED_CUSTOM) {
        TARV_LOG(3, "tarv_soundpack::get_sound_data() - got custom sound '%s'.\n", name);
        return entry;
    }

    const char* slash = std::strchr(name, '/');
    std::string custom_path = config_dir_ + "/soundpack/custom/" + (slash ? slash + 1 : name) + ".ogg";
    if (load_from_file(entry, custom_path.c_str())) {
        if (entry->state == SOUND_LOADED) {
            entry->state = SOUND_LOADED_CUSTOM;
            TARV_LOG(3, "tarv_soundpack::get_sound_data() - got custom sound '%s'.\n", name);
            return entry;
        }
        entry->state = SOUND_NOT_LOADED;
    } else {
        TARV_LOG(3,
                 "tarv_soundpack::get_sound_data() - unable to open custom soundpack file '%s'.  Falling back to "
                 "normal locations.\n",
                 entry->key.c_str());
    }

    std::string path = config_dir_ + "/" + entry->key;
    if (load_from_file(entry, path.c_str())) {
        if (entry->state == SOUND_LOADED) {
            TARV_LOG(3, "tarv_soundpack::get_sound_data() - loaded sound '%s'.\n", entry->key.c_str());
            return entry;
        }
        TARV_LOG(3, "tarv_soundpack::get_sound_data() - file '%s' failed decode.\n", entry->key.c_str());
        return nullptr;
    }
    TARV_LOG(3, "tarv_soundpack::get_sound_data() - file '%s' not found.\n", entry->key.c_str());
    return nullptr;
}

int tarv_soundpack::load_from_file(tarv_sound_entry* entry, const char* path)
{
    FILE* probe = std::fopen(path, "rb");
    if (!probe) return 0;
    std::fclose(probe);

    tarv_decoded_audio decoded;
    int code = tarv_ogg_decode_from_file_to_memory(path, tarv_sound_max_bytes, &decoded);
    if (code == 1) {
        TARV_LOG(2, "Error in tarv_soundpack::load_from_file() - cannot open '%s'.\n", path);
        return 0;
    }
    if (code == 2) {
        TARV_LOG(2, "Error in tarv_soundpack::load_from_file() - bad file format for '%s'.\n", path);
    } else if (code == 3) {
        TARV_LOG(2, "Error in tarv_soundpack::load_from_file() - file '%s' exceeds available decode space.\n", path);
    } else if (code != 0) {
        TARV_LOG(2, "Error in tarv_soundpack::load_from_file() - decode failed for file '%s'.\n", path);
    } else if (decoded.rate != 44100) {
        TARV_LOG(2, "Error in tarv_soundpack::load_from_file() - file '%s' had unusable sample rate %d.\n", path,
                 decoded.rate);
    } else if (decoded.channels != 1 && decoded.channels != 2) {
        TARV_LOG(2, "Error in tarv_soundpack::load_from_file() - file '%s' had unusable channel count %d.\n", path,
                 decoded.channels);
    } else {
        entry->data = std::move(decoded.data);
        entry->size = static_cast<int>(decoded.size);
        entry->channels = decoded.channels;
        entry->state = SOUND_LOADED;
        return 1;
    }
    entry->state = SOUND_UNUSABLE;
    return 1;
}
