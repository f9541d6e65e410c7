#include "draw/theme.h"

#include <algorithm>

#include "support/debug_log.h"

namespace {

// Table order is the menu order.
const int theme_indices[tarv_theme_count] = {THEME_RED,   THEME_BROWN, THEME_YELLOW, THEME_YGREEN, THEME_GREEN,
                                             THEME_CYAN,  THEME_BLUE,  THEME_PURPLE, THEME_GREY};
const char* const theme_names[tarv_theme_count] = {"Red",  "Brown", "Yellow", "YGreen", "Green",
                                                   "Cyan", "Blue",  "Purple", "Grey"};
constexpr int blue_position = 6;

const tarv_button_theme button_theme_table[tarv_theme_count] = {
    // Red
    {{
        {192, 0, 0},  // 0 map frame
        {192, 0, 0},  // 1 panel frame
        {255, 192, 0},  // 2 lit edge
        {80, 0, 0},  // 3 lit face
        {255, 255, 255},  // 4 lit label
        {96, 96, 96},  // 5 lit hover frame
        {64, 0, 0},  // 6 lit hover face
        {255, 255, 255},  // 7 lit hover label
        {128, 96, 0},  // 8 unlit edge
        {48, 0, 0},  // 9 unlit face
        {255, 255, 255},  // 10 unlit label
        {128, 128, 128},  // 11 unlit hover frame
        {64, 0, 0},  // 12 unlit hover face
        {255, 255, 255},  // 13 unlit hover label
        {64, 64, 64},  // 14 pressed hover frame
        {48, 0, 0},  // 15 pressed face
        {192, 192, 192},  // 16 pressed label
        {128, 128, 128},  // 17 on edge
        {48, 0, 0},  // 18 on face
        {255, 255, 255},  // 19 on label
        {96, 96, 96},  // 20 on hover frame
        {32, 0, 0},  // 21 on hover face
        {255, 255, 255},  // 22 on hover label
        {48, 48, 48},  // 23 disabled edge
        {32, 0, 0},  // 24 disabled face
        {96, 96, 96},  // 25 disabled label
    }},
    // Brown
    {{
        {160, 96, 64},  // 0 map frame
        {160, 96, 64},  // 1 panel frame
        {160, 96, 64},  // 2 lit edge
        {80, 48, 32},  // 3 lit face
        {255, 255, 255},  // 4 lit label
        {96, 96, 96},  // 5 lit hover frame
        {64, 48, 32},  // 6 lit hover face
        {255, 255, 255},  // 7 lit hover label
        {128, 96, 64},  // 8 unlit edge
        {48, 32, 16},  // 9 unlit face
        {255, 255, 255},  // 10 unlit label
        {128, 128, 128},  // 11 unlit hover frame
        {64, 48, 32},  // 12 unlit hover face
        {255, 255, 255},  // 13 unlit hover label
        {64, 64, 64},  // 14 pressed hover frame
        {48, 32, 16},  // 15 pressed face
        {192, 192, 192},  // 16 pressed label
        {128, 128, 128},  // 17 on edge
        {48, 32, 16},  // 18 on face
        {255, 255, 255},  // 19 on label
        {96, 96, 96},  // 20 on hover frame
        {32, 24, 16},  // 21 on hover face
        {255, 255, 255},  // 22 on hover label
        {48, 48, 48},  // 23 disabled edge
        {32, 24, 16},  // 24 disabled face
        {96, 96, 96},  // 25 disabled label
    }},
    // Yellow
    {{
        {192, 192, 0},  // 0 map frame
        {192, 192, 0},  // 1 panel frame
        {255, 255, 0},  // 2 lit edge
        {96, 96, 96},  // 3 lit face
        {255, 255, 255},  // 4 lit label
        {192, 192, 0},  // 5 lit hover frame
        {64, 64, 64},  // 6 lit hover face
        {255, 255, 255},  // 7 lit hover label
        {192, 192, 0},  // 8 unlit edge
        {48, 48, 48},  // 9 unlit face
        {255, 255, 255},  // 10 unlit label
        {255, 255, 0},  // 11 unlit hover frame
        {64, 64, 64},  // 12 unlit hover face
        {255, 255, 255},  // 13 unlit hover label
        {128, 128, 0},  // 14 pressed hover frame
        {48, 48, 48},  // 15 pressed face
        {192, 192, 192},  // 16 pressed label
        {255, 255, 0},  // 17 on edge
        {48, 48, 48},  // 18 on face
        {255, 255, 255},  // 19 on label
        {192, 192, 0},  // 20 on hover frame
        {32, 32, 32},  // 21 on hover face
        {255, 255, 255},  // 22 on hover label
        {96, 96, 48},  // 23 disabled edge
        {32, 32, 32},  // 24 disabled face
        {96, 96, 96},  // 25 disabled label
    }},
    // YGreen
    {{
        {144, 192, 0},  // 0 map frame
        {144, 192, 0},  // 1 panel frame
        {192, 255, 0},  // 2 lit edge
        {72, 96, 0},  // 3 lit face
        {255, 255, 255},  // 4 lit label
        {144, 192, 0},  // 5 lit hover frame
        {48, 64, 0},  // 6 lit hover face
        {255, 255, 255},  // 7 lit hover label
        {144, 192, 0},  // 8 unlit edge
        {32, 48, 0},  // 9 unlit face
        {255, 255, 255},  // 10 unlit label
        {192, 255, 0},  // 11 unlit hover frame
        {48, 64, 0},  // 12 unlit hover face
        {255, 255, 255},  // 13 unlit hover label
        {96, 128, 0},  // 14 pressed hover frame
        {32, 48, 0},  // 15 pressed face
        {192, 192, 192},  // 16 pressed label
        {192, 255, 0},  // 17 on edge
        {32, 48, 0},  // 18 on face
        {255, 255, 255},  // 19 on label
        {144, 192, 0},  // 20 on hover frame
        {16, 32, 0},  // 21 on hover face
        {255, 255, 255},  // 22 on hover label
        {72, 96, 48},  // 23 disabled edge
        {16, 32, 0},  // 24 disabled face
        {96, 96, 96},  // 25 disabled label
    }},
    // Green
    {{
        {0, 192, 0},  // 0 map frame
        {0, 192, 0},  // 1 panel frame
        {128, 255, 128},  // 2 lit edge
        {0, 80, 0},  // 3 lit face
        {255, 255, 255},  // 4 lit label
        {48, 96, 48},  // 5 lit hover frame
        {0, 64, 0},  // 6 lit hover face
        {255, 255, 255},  // 7 lit hover label
        {0, 128, 0},  // 8 unlit edge
        {0, 48, 0},  // 9 unlit face
        {255, 255, 255},  // 10 unlit label
        {64, 128, 64},  // 11 unlit hover frame
        {0, 64, 0},  // 12 unlit hover face
        {255, 255, 255},  // 13 unlit hover label
        {32, 64, 32},  // 14 pressed hover frame
        {0, 48, 0},  // 15 pressed face
        {192, 192, 192},  // 16 pressed label
        {64, 128, 64},  // 17 on edge
        {0, 48, 0},  // 18 on face
        {255, 255, 255},  // 19 on label
        {48, 96, 48},  // 20 on hover frame
        {0, 32, 0},  // 21 on hover face
        {255, 255, 255},  // 22 on hover label
        {24, 48, 24},  // 23 disabled edge
        {0, 32, 0},  // 24 disabled face
        {96, 96, 96},  // 25 disabled label
    }},
    // Cyan
    {{
        {48, 144, 192},  // 0 map frame
        {48, 144, 192},  // 1 panel frame
        {64, 192, 255},  // 2 lit edge
        {0, 64, 80},  // 3 lit face
        {255, 255, 255},  // 4 lit label
        {48, 144, 192},  // 5 lit hover frame
        {0, 48, 64},  // 6 lit hover face
        {255, 255, 255},  // 7 lit hover label
        {32, 96, 128},  // 8 unlit edge
        {0, 32, 48},  // 9 unlit face
        {255, 255, 255},  // 10 unlit label
        {64, 192, 255},  // 11 unlit hover frame
        {0, 48, 64},  // 12 unlit hover face
        {255, 255, 255},  // 13 unlit hover label
        {0, 96, 128},  // 14 pressed hover frame
        {0, 32, 48},  // 15 pressed face
        {192, 192, 192},  // 16 pressed label
        {0, 192, 255},  // 17 on edge
        {0, 32, 48},  // 18 on face
        {255, 255, 255},  // 19 on label
        {0, 144, 192},  // 20 on hover frame
        {0, 24, 32},  // 21 on hover face
        {255, 255, 255},  // 22 on hover label
        {24, 72, 96},  // 23 disabled edge
        {0, 24, 32},  // 24 disabled face
        {96, 96, 96},  // 25 disabled label
    }},
    // Blue
    {{
        {48, 48, 192},  // 0 map frame
        {48, 48, 192},  // 1 panel frame
        {64, 64, 255},  // 2 lit edge
        {0, 0, 80},  // 3 lit face
        {255, 255, 0},  // 4 lit label
        {48, 48, 192},  // 5 lit hover frame
        {0, 0, 64},  // 6 lit hover face
        {255, 255, 0},  // 7 lit hover label
        {32, 32, 128},  // 8 unlit edge
        {0, 0, 48},  // 9 unlit face
        {255, 255, 0},  // 10 unlit label
        {64, 64, 255},  // 11 unlit hover frame
        {0, 0, 64},  // 12 unlit hover face
        {255, 255, 0},  // 13 unlit hover label
        {0, 0, 128},  // 14 pressed hover frame
        {0, 0, 48},  // 15 pressed face
        {192, 192, 192},  // 16 pressed label
        {0, 0, 255},  // 17 on edge
        {0, 0, 48},  // 18 on face
        {255, 255, 0},  // 19 on label
        {0, 0, 192},  // 20 on hover frame
        {0, 0, 32},  // 21 on hover face
        {255, 255, 0},  // 22 on hover label
        {24, 24, 96},  // 23 disabled edge
        {0, 0, 32},  // 24 disabled face
        {96, 96, 96},  // 25 disabled label
    }},
    // Purple
    {{
        {192, 96, 192},  // 0 map frame
        {192, 96, 192},  // 1 panel frame
        {255, 192, 255},  // 2 lit edge
        {80, 0, 80},  // 3 lit face
        {255, 255, 255},  // 4 lit label
        {96, 48, 96},  // 5 lit hover frame
        {64, 0, 64},  // 6 lit hover face
        {255, 255, 255},  // 7 lit hover label
        {128, 64, 128},  // 8 unlit edge
        {48, 0, 48},  // 9 unlit face
        {255, 255, 255},  // 10 unlit label
        {128, 64, 128},  // 11 unlit hover frame
        {64, 0, 64},  // 12 unlit hover face
        {255, 255, 255},  // 13 unlit hover label
        {64, 32, 64},  // 14 pressed hover frame
        {48, 0, 48},  // 15 pressed face
        {192, 192, 192},  // 16 pressed label
        {128, 64, 128},  // 17 on edge
        {48, 0, 48},  // 18 on face
        {255, 255, 255},  // 19 on label
        {96, 48, 96},  // 20 on hover frame
        {32, 0, 32},  // 21 on hover face
        {255, 255, 255},  // 22 on hover label
        {48, 24, 48},  // 23 disabled edge
        {32, 0, 32},  // 24 disabled face
        {96, 96, 96},  // 25 disabled label
    }},
    // Grey
    {{
        {192, 192, 192},  // 0 map frame
        {192, 192, 192},  // 1 panel frame
        {192, 192, 192},  // 2 lit edge
        {80, 80, 80},  // 3 lit face
        {255, 255, 255},  // 4 lit label
        {128, 128, 128},  // 5 lit hover frame
        {64, 64, 64},  // 6 lit hover face
        {255, 255, 255},  // 7 lit hover label
        {96, 96, 96},  // 8 unlit edge
        {48, 48, 48},  // 9 unlit face
        {255, 255, 255},  // 10 unlit label
        {128, 128, 128},  // 11 unlit hover frame
        {64, 64, 64},  // 12 unlit hover face
        {255, 255, 255},  // 13 unlit hover label
        {64, 64, 64},  // 14 pressed hover frame
        {32, 32, 32},  // 15 pressed face
        {192, 192, 192},  // 16 pressed label
        {128, 128, 128},  // 17 on edge
        {48, 48, 48},  // 18 on face
        {255, 255, 255},  // 19 on label
        {96, 96, 96},  // 20 on hover frame
        {32, 32, 32},  // 21 on hover face
        {255, 255, 255},  // 22 on hover label
        {64, 64, 64},  // 23 disabled edge
        {32, 32, 32},  // 24 disabled face
        {96, 96, 96},  // 25 disabled label
    }},
};

const tarv_background_colors background_table[tarv_theme_count] = {
    {{80, 0, 0}, {56, 0, 0}, {32, 0, 0}},  // Red
    {{80, 32, 16}, {56, 24, 16}, {32, 16, 8}},  // Brown
    {{80, 80, 0}, {56, 56, 0}, {32, 32, 0}},  // Yellow
    {{48, 80, 0}, {32, 56, 0}, {16, 32, 0}},  // YGreen
    {{0, 80, 0}, {0, 48, 0}, {0, 32, 0}},  // Green
    {{0, 56, 80}, {0, 40, 64}, {0, 24, 48}},  // Cyan
    {{0, 0, 96}, {0, 0, 64}, {0, 0, 32}},  // Blue
    {{80, 0, 80}, {56, 0, 56}, {32, 0, 32}},  // Purple
    {{64, 64, 64}, {32, 32, 32}, {16, 16, 16}},  // Grey
};

bool themes_created = false;

int position_of(int index)
{
    for (int p = 0; p < tarv_theme_count; ++p)
        if (theme_indices[p] == index) return p;
    return blue_position;
}

const tarv_color black{0, 0, 0};

void draw_maze(tarv_bitmap& s, int width, int height, int style, const tarv_background_colors& colors)
{
    s.Clear(black);
    for (int y = 0; y < height; y += 5) {
        background_random.reset();
        background_random.reseed(static_cast<std::uint32_t>(y));
        for (int x = 0; x < width; x += 5) {
            std::uint32_t r = background_random.next();
            if (style == BG_MAZE3) {
                const tarv_color& c = (r & 2) ? colors.b : colors.a;
                if (r & 1) s.DrawLine(x, y, x + 5, y + 5, c);
                else s.DrawLine(x + 5, y, x, y + 5, c);
                continue;
            }
            const tarv_color& c = (style == BG_MAZE1 || (r & 28) != 0) ? colors.b : colors.a;
            switch (r % 4) {
            case 0: s.DrawLine(x, y, x + 5, y, c); break;
            case 1: s.DrawLine(x, y, x, y + 5, c); break;
            case 2: s.DrawLine(x, y, x - 5, y, c); break;
            default: s.DrawLine(x, y, x, y - 5, c); break;
            }
        }
    }
}

void draw_bubbles(tarv_bitmap& s, int width, int height, const tarv_background_colors& colors)
{
    s.Clear(black);
    if (height <= 0) return;
    const tarv_color* pass_colors[4] = {&colors.c, &colors.c, &colors.b, &colors.a};
    for (std::uint32_t p = 0; p < 4; ++p) {
        std::uint32_t seed = p * 137u + 169135679u;
        for (int y0 = 0; y0 < height; y0 += 16) {
            background_random.reset();
            background_random.reseed(seed);
            if (width >= -15) {
                int cells = (width + 15) / 16;
                for (int k = 0; k <= cells; ++k) {
                    std::uint32_t d = background_random.next();
                    std::uint32_t e = background_random.next();
                    std::uint32_t f = background_random.next();
                    int cx = 16 * (k - 1) + static_cast<int>(d & 15);
                    int cy = y0 + static_cast<int>(e & 15);
                    int size = static_cast<int>(f & 15) / 4;
                    s.DrawFilledCircle(cx, cy, size + 2, *pass_colors[p]);
                    s.DrawFilledCircle(cx, cy, size + 1, black);
                }
            }
            seed += p * 16u + 19753072u;
        }
    }
}

}  // namespace

const tarv_button_theme* current_button_theme = &button_theme_table[blue_position];
const tarv_background_colors* current_background_colors = &background_table[blue_position];
tarv_random background_random;

int tarv_theme_index_at(int position)
{
    if (position < 0 || position >= tarv_theme_count) return THEME_BLUE;
    return theme_indices[position];
}

const char* tarv_theme_name(int index)
{
    return theme_names[position_of(index)];
}

const char* tarv_background_style_name(int style)
{
    switch (style) {
    case BG_NONE: return "None";
    case BG_SOLID: return "Solid";
    case BG_MAZE1: return "Maze1";
    case BG_BUBBLES: return "Bubbles";
    case BG_MAZE3: return "Maze3";
    default: return "Maze2";
    }
}

void create_themes()
{
    themes_created = true;
}

const tarv_button_theme* tarv_find_button_theme(int index)
{
    return themes_created ? &button_theme_table[position_of(index)] : nullptr;
}

const tarv_background_colors* tarv_find_background_colors(int index)
{
    return themes_created ? &background_table[position_of(index)] : nullptr;
}

void switch_button_theme(int index)
{
    const tarv_button_theme* t = tarv_find_button_theme(index);
    if (!t) {
        TARV_LOG(2, "Error in switch_button_theme() - null theme for index %d.\n", index);
        t = &button_theme_table[blue_position];
    }
    current_button_theme = t;
}

void switch_background_theme(int index)
{
    const tarv_background_colors* c = tarv_find_background_colors(index);
    if (!c) {
        TARV_LOG(2, "Error in switch_background_theme() - null theme for index %d.\n", index);
        c = &background_table[blue_position];
    }
    current_background_colors = c;
}

void switch_themes(int button_theme_index, int background_theme_index)
{
    switch_background_theme(background_theme_index);
    switch_button_theme(button_theme_index);
}

void draw_background(tarv_bitmap& surface, int width, int height, int style)
{
    draw_background(surface, width, height, style, *current_background_colors);
}

void draw_background(tarv_bitmap& surface, int width, int height, int style, const tarv_background_colors& colors)
{
    switch (style) {
    case BG_NONE: surface.Clear(black); break;
    case BG_SOLID: surface.Clear(colors.c); break;
    case BG_MAZE1:
    case BG_MAZE3: draw_maze(surface, width, height, style, colors); break;
    case BG_BUBBLES: draw_bubbles(surface, width, height, colors); break;
    default: draw_maze(surface, width, height, BG_MAZE2, colors); break;
    }
}
