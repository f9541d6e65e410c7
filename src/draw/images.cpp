#include "draw/images.h"

#include <memory>

#include "support/debug_log.h"

namespace {

std::unique_ptr<tarv_bitmap> loaded[IMAGE_COUNT];

}  // namespace

const tarv_bitmap* tarv_builtin_image(int id)
{
    if (id < 0 || id >= IMAGE_COUNT) return nullptr;
    return loaded[id].get();
}

void tarv_load_builtin_images()
{
    for (int id = 0; id < IMAGE_COUNT; ++id) {
        const tarv_builtin_image_data& d = tarv_builtin_image_table[id];
        tarv_set_builtin_image(id, tarv_bitmap::from_rgba(d.width, d.height, d.rgba));
    }
}

void tarv_set_builtin_image(int id, tarv_bitmap image)
{
    if (id < 0 || id >= IMAGE_COUNT) {
        TARV_LOG(1, "Warning in tarv_set_builtin_image(), no image %d.\n", id);
        return;
    }
    loaded[id] = std::make_unique<tarv_bitmap>(std::move(image));
}
