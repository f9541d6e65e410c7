#include "audio/ogg_decode.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <tremor/ivorbisfile.h>

#include "support/debug_log.h"

namespace {
constexpr int module_ogg_decoder = 40;

// One line through the flagged writer, which ends it.
__attribute__((format(printf, 1, 2))) void decode_warning(const char* format, ...)
{
    char line[7000];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    tarv_debug_log_flagged(line, LOG_CLASS_ERROR, module_ogg_decoder);
}
}  // namespace

int tarv_ogg_decode_from_file_to_memory(const char* path, long maximum, tarv_decoded_audio* result)
{
    if (maximum < 1024) {
        decode_warning("tarv_ogg_decode_from_file_to_memory() - max size smaller than 1024 bytes.");
        return 3;
    }
    FILE* file = std::fopen(path, "rb");
    if (!file) {
        decode_warning("Warning in tarv_ogg_decode_from_file_to_memory() - unable to open file '%s'.", path);
        return 1;
    }
    OggVorbis_File vf;
    if (ov_open(file, &vf, nullptr, 0) < 0) {
        decode_warning("Warning in tarv_ogg_decode_from_file_to_memory() - not an Ogg bitstream?");
        std::fclose(file);
        return 2;
    }
    // From here on ov_clear closes the file.
    ov_pcm_seek(&vf, 0);
    vorbis_info* info = ov_info(&vf, -1);
    if (!info) {
        decode_warning("Warning in tarv_ogg_decode_from_file_to_memory() - unable to fetch vfile info.");
        ov_clear(&vf);
        return 2;
    }
    result->rate = static_cast<int>(info->rate);
    result->channels = info->channels;

    ogg_int64_t frames = ov_pcm_total(&vf, -1);
    if (frames < 0 || info->channels < 0) {
        decode_warning("Warning in tarv_ogg_decode_from_file_to_memory() - unable to fetch vfile info.");
        ov_clear(&vf);
        return 2;
    }
    ogg_int64_t expected64 = frames * info->channels * 2;
    if (expected64 > maximum) {
        decode_warning("Warning in tarv_ogg_decode_from_file_to_memory() - file is too large for constraint, estimated size %ld.",
                 static_cast<long>(expected64));
        ov_clear(&vf);
        return 3;
    }
    const long expected = static_cast<long>(expected64);

    std::unique_ptr<unsigned char[]> buffer(new unsigned char[expected > 0 ? expected : 1]);
    char scratch[4096];
    long total = 0;
    while (total < expected) {
        int bitstream = 0;
        long got = ov_read(&vf, scratch, sizeof scratch, &bitstream);
        if (got == 0) break;
        if (got < 0) {
            decode_warning("Warning in tarv_ogg_decode_from_file_to_memory() - error in ogg bitstream.");
            ov_clear(&vf);
            return 2;
        }
        if (total + got > expected) {
            TARV_LOG(1,
                     "Warning in tarv_ogg_decode_from_file_to_memory() - read data past end of buffer?  Got %ld, "
                     "expected %ld.",
                     total + got, expected);
            got = expected - total;
        }
        std::memcpy(buffer.get() + total, scratch, static_cast<size_t>(got));
        total += got;
    }
    if (total < expected)
        decode_warning("Warning in tarv_ogg_decode_from_file_to_memory() - done reading, total size %ld, expected %ld.",
                 total, expected);
    ov_clear(&vf);
    result->data = std::move(buffer);
    result->size = total;
    return 0;
}
