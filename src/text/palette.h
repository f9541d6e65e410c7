// The four colour palettes of the text displays and the one in use.
#pragma once

#include <array>
#include <cstdint>

// 24 packed colours 0xRRGGBB: white, red, yellow, green, cyan, blue, purple
// and the default entry, each dim, normal and bright.
using tarv_palette = std::array<std::uint32_t, 24>;

extern const tarv_palette tarv_palettes[4];
// Shared by every display; starts as the default palette.
extern const tarv_palette* current_palette;

// 0 default, 1 bright, 2 ZMud-style, 3 GMud-style; an unknown number keeps
// the palette, logs, and returns 0.
int tarv_select_palette(int number);
// nullptr for an unknown number.
const char* tarv_palette_name(int number);
// Index of a colour code's row in a palette (0 default, 49-55), or -1.
int tarv_palette_row(int color_code);
