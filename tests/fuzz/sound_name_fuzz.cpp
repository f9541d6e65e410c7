// Feeds arbitrary "sound" tag payloads to the sound pack's name check: a
// name it lets through must lead to a file inside the sound pack, both for
// the pack file and for the player's custom file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "audio/soundpack.h"
#include "support/debug_log.h"

namespace {

void check(bool ok)
{
    if (!ok) std::abort();
}

bool inside(const std::string& path, const std::string& folder)
{
    std::string normal = std::filesystem::path(path).lexically_normal().string();
    return normal.size() > folder.size() && normal.compare(0, folder.size(), folder) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tarv_debug_level = 0;
    std::string payload(reinterpret_cast<const char*>(data), size);
    payload = payload.c_str();  // a tag's data ends at its first zero byte
    std::string name = payload.substr(0, payload.find_first_of(" \t\n"));

    if (tarv_sound_name_is_safe(name.c_str())) {
        const std::string config = "/home/player/.Karthem";
        check(inside(config + "/soundpack/" + name + ".ogg", config + "/soundpack/"));
        std::size_t slash = name.find('/');
        std::string custom_part = slash == std::string::npos ? name : name.substr(slash + 1);
        check(inside(config + "/soundpack/custom/" + custom_part + ".ogg", config + "/soundpack/custom/"));
        check(name.size() + std::strlen("soundpack/.ogg") <= std::size_t(tarv_sound_max_key));
    }
    // Without a configuration directory nothing is loaded; the tag must
    // still be taken apart safely.
    static tarv_soundpack pack("");
    pack.parse_audio_tag(payload.c_str());
    return 0;
}
