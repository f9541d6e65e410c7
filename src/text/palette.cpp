#include "text/palette.h"

#include "support/debug_log.h"

const tarv_palette tarv_palettes[4] = {
    {0x606060, 0xa0a0a0, 0xffffff, 0x550000, 0xaa0000, 0xff5555, 0x774000, 0xaa8800, 0xffff55, 0x005500, 0x00aa00,
     0x55ff55, 0x008060, 0x0080aa, 0x40ffff, 0x000088, 0x0000cc, 0x5050ff, 0x550088, 0xaa00cc, 0xff40ff, 0x606060,
     0xa0a0a0, 0xffffff},
    {0x404040, 0xcccccc, 0xffffff, 0x800000, 0xcc0000, 0xff8080, 0x808000, 0xcccc00, 0xffff80, 0x008000, 0x00cc00,
     0x80ff80, 0x008080, 0x00cccc, 0x80ffff, 0x000080, 0x0000cc, 0x8080ff, 0x800080, 0xcc00cc, 0xff80ff, 0x404040,
     0xcccccc, 0xffffff},
    {0x404040, 0x808080, 0xffffff, 0x400000, 0x800000, 0xff0000, 0x404000, 0x808000, 0xffff00, 0x008000, 0x00b300,
     0x00ff00, 0x004040, 0x008080, 0x00ffff, 0x000040, 0x000080, 0x0000ff, 0x400040, 0x800080, 0xff00ff, 0x404040,
     0x808080, 0xffffff},
    {0x404040, 0xffffff, 0x808080, 0x400000, 0x800000, 0xff0000, 0x404000, 0x808000, 0xffff00, 0x008000, 0x00b300,
     0x00ff00, 0x004040, 0x008080, 0x00ffff, 0x000040, 0x000080, 0x0000ff, 0x400040, 0x800080, 0xff00ff, 0x404040,
     0xffffff, 0x808080},
};

const tarv_palette* current_palette = &tarv_palettes[0];

namespace {
const char* const palette_names[4] = {"default", "bright", "ZMud-style", "GMud-style"};
}

int tarv_select_palette(int number)
{
    if (number < 0 || number > 3) {
        TARV_LOG(2, "Warning in tarv_select_palette(), no palette %d.\n", number);
        return 0;
    }
    current_palette = &tarv_palettes[number];
    return 1;
}

const char* tarv_palette_name(int number) { return number >= 0 && number <= 3 ? palette_names[number] : nullptr; }

int tarv_palette_row(int color_code)
{
    switch (color_code) {
    case 55: return 0;  // white
    case 49: return 1;  // red
    case 51: return 2;  // yellow
    case 50: return 3;  // green
    case 54: return 4;  // cyan
    case 52: return 5;  // blue
    case 53: return 6;  // purple
    case 0: return 7;   // default
    default: return -1;
    }
}
