#include <gtest/gtest.h>

#include <cstring>

#include "draw/images.h"
#include "draw_test_util.h"

namespace {

int alpha_at(const tarv_bitmap& b, int x, int y)
{
    return b.pixel(x, y)[3];
}

}  // namespace

TEST(BuiltinImages, SizesAndTransparentSurroundings)
{
    EXPECT_EQ(tarv_builtin_image(IMAGE_LOGO), nullptr);
    tarv_load_builtin_images();
    const int sizes[IMAGE_COUNT][2] = {{17, 17}, {17, 17}, {17, 17}, {17, 17}, {17, 17}, {21, 21}, {192, 43}};
    for (int id = 0; id < IMAGE_COUNT; ++id) {
        const tarv_bitmap* b = tarv_builtin_image(id);
        ASSERT_NE(b, nullptr) << id;
        EXPECT_EQ(b->GetWidth(), sizes[id][0]) << id;
        EXPECT_EQ(b->GetHeight(), sizes[id][1]) << id;
        // Drawn shapes with a see-through corner, and no half-made data.
        int opaque = 0;
        for (int y = 0; y < b->GetHeight(); ++y)
            for (int x = 0; x < b->GetWidth(); ++x) opaque += alpha_at(*b, x, y) == 255;
        EXPECT_GT(opaque, b->GetWidth() * b->GetHeight() / 20) << id;
        EXPECT_EQ(alpha_at(*b, 0, b->GetHeight() - 1), 0) << id;
        const tarv_builtin_image_data& d = tarv_builtin_image_table[id];
        EXPECT_EQ(std::memcmp(d.png, "\x89PNG\r\n\x1a\n", 8), 0) << id;
    }
    // The logo is light lettering: its most opaque pixels are near white.
    const tarv_bitmap* logo = tarv_builtin_image(IMAGE_LOGO);
    int white = 0;
    for (int y = 0; y < 43; ++y)
        for (int x = 0; x < 192; ++x) {
            const std::uint8_t* p = logo->pixel(x, y);
            if (p[3] == 255 && p[0] > 230 && p[1] > 220 && p[2] > 230) ++white;
        }
    EXPECT_GT(white, 200);
    EXPECT_EQ(tarv_builtin_image(-1), nullptr);
    EXPECT_EQ(tarv_builtin_image(IMAGE_COUNT), nullptr);
}
