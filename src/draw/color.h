// The colour value used throughout the program.
#pragma once

#include <cstdint>

struct tarv_color {
    std::int32_t red = 0;
    std::int32_t green = 0;
    std::int32_t blue = 0;

    friend bool operator==(const tarv_color&, const tarv_color&) = default;
};

inline constexpr tarv_color color_white{255, 255, 255};
inline constexpr tarv_color color_light_grey{192, 192, 192};
inline constexpr tarv_color color_grey{128, 128, 128};
inline constexpr tarv_color color_dark_grey{64, 64, 64};
inline constexpr tarv_color color_black{0, 0, 0};
inline constexpr tarv_color color_magenta{255, 0, 255};
inline constexpr tarv_color color_blue{0, 0, 255};
inline constexpr tarv_color color_cyan{0, 255, 255};
inline constexpr tarv_color color_green{0, 255, 0};
inline constexpr tarv_color color_yellow{255, 255, 0};
inline constexpr tarv_color color_red{255, 0, 0};
