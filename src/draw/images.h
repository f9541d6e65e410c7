// The seven images built into the program: five status icons (17 x 17), the
// scroll-lock padlock (21 x 21) and the logo (192 x 43, transparent around
// the lettering). Their pixels come from tools/make_images.py.
#pragma once

#include <cstddef>

#include "draw/bitmap.h"

enum tarv_image_id : int {
    IMAGE_STATUS_NO_FIGHTING = 0,  // status icon 0: a sword crossed out
    IMAGE_STATUS_SLEEPING,         // status icon 1: Zzz
    IMAGE_STATUS_RED_HAND,         // status icon 2
    IMAGE_STATUS_BLUE_HAND,        // status icon 3
    IMAGE_STATUS_GREEN_HAND,       // status icon 4
    IMAGE_LOCK,
    IMAGE_LOGO,
    IMAGE_COUNT
};

struct tarv_builtin_image_data {
    const char* name;
    int width;
    int height;
    const unsigned char* png;  // for the toolkit's decoder
    std::size_t png_size;
    const unsigned char* rgba;  // the same pixels, undecoded
};

extern const tarv_builtin_image_data tarv_builtin_image_table[IMAGE_COUNT];

// Decoded surface of an image; nullptr before loading or for a bad id.
const tarv_bitmap* tarv_builtin_image(int id);
// Loads every image from its raw pixels (used where the toolkit is absent;
// the toolkit layer decodes the PNG data instead).
void tarv_load_builtin_images();
void tarv_set_builtin_image(int id, tarv_bitmap image);
