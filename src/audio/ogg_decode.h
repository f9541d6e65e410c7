// Decoding a whole Ogg Vorbis file into memory with the integer decoder.
#pragma once

#include <memory>

struct tarv_decoded_audio {
    std::unique_ptr<unsigned char[]> data;  // 16-bit signed little-endian, interleaved
    long size = 0;                          // bytes
    int rate = 0;
    int channels = 0;
};

// 0 success, 1 the file cannot be opened, 2 not a usable Ogg Vorbis stream,
// 3 too large for maximum (or a maximum below 1024 bytes). Every problem is
// logged at level 1.
int tarv_ogg_decode_from_file_to_memory(const char* path, long maximum, tarv_decoded_audio* result);
