// Button themes, background colour sets and the generated background
// patterns. Everything that draws reads the colours through the current
// selections at drawing time.
#pragma once

#include "draw/bitmap.h"
#include "support/random.h"

// Slots of a button theme. In the hover groups the first colour frames a
// hovered button; in the pressed group it frames the hovered pressed image.
enum tarv_theme_slot : int {
    THEME_MAP_FRAME = 0,
    THEME_PANEL_FRAME,
    THEME_LIT_EDGE,
    THEME_LIT_FACE,
    THEME_LIT_LABEL,
    THEME_LIT_HOVER_FRAME,
    THEME_LIT_HOVER_FACE,
    THEME_LIT_HOVER_LABEL,
    THEME_UNLIT_EDGE,
    THEME_UNLIT_FACE,
    THEME_UNLIT_LABEL,
    THEME_UNLIT_HOVER_FRAME,
    THEME_UNLIT_HOVER_FACE,
    THEME_UNLIT_HOVER_LABEL,
    THEME_PRESSED_HOVER_FRAME,
    THEME_PRESSED_FACE,
    THEME_PRESSED_LABEL,
    THEME_ON_EDGE,
    THEME_ON_FACE,
    THEME_ON_LABEL,
    THEME_ON_HOVER_FRAME,
    THEME_ON_HOVER_FACE,
    THEME_ON_HOVER_LABEL,
    THEME_DISABLED_EDGE,
    THEME_DISABLED_FACE,
    THEME_DISABLED_LABEL,
    THEME_SLOT_COUNT
};

struct tarv_button_theme {
    tarv_color colors[THEME_SLOT_COUNT];
    const tarv_color& operator[](int slot) const { return colors[slot]; }
};

// A brightest, B middle, C darkest.
struct tarv_background_colors {
    tarv_color a;
    tarv_color b;
    tarv_color c;
};

// Values of theme_bg_setting (Bubbles is 4, Maze3 5).
enum tarv_background_style : int { BG_NONE = 0, BG_SOLID = 1, BG_MAZE1 = 2, BG_MAZE2 = 3, BG_BUBBLES = 4, BG_MAZE3 = 5 };

// Theme indices, shared by button themes and background colour sets.
enum tarv_theme_index : int {
    THEME_YELLOW = 0,
    THEME_BLUE = 1,
    THEME_RED = 2,
    THEME_BROWN = 40,
    THEME_YGREEN = 50,
    THEME_GREEN = 60,
    THEME_CYAN = 70,
    THEME_PURPLE = 80,
    THEME_GREY = 90
};

constexpr int tarv_theme_count = 9;
// The index at a menu position (0-8, menu order Red ... Grey); Blue otherwise.
int tarv_theme_index_at(int position);
// Menu text of an index; an index not in the table names Blue.
const char* tarv_theme_name(int index);
// Menu text of a background style ("None" ... "Maze3"); Maze2 for others.
const char* tarv_background_style_name(int style);

void create_themes();
// Entry for an index (Blue for an unknown index); nullptr before create_themes.
const tarv_button_theme* tarv_find_button_theme(int index);
const tarv_background_colors* tarv_find_background_colors(int index);

// Current selections; Blue until the first switch, never null.
extern const tarv_button_theme* current_button_theme;
extern const tarv_background_colors* current_background_colors;

void switch_button_theme(int index);
void switch_background_theme(int index);
// Background first, then buttons.
void switch_themes(int button_theme_index, int background_theme_index);

// Generator used only for backgrounds; every row restarts it, so the same
// style, colours and size always give the same picture.
extern tarv_random background_random;

// Fills width x height of the surface for a style with the current colours
// (or the given ones). An unknown style draws Maze2.
void draw_background(tarv_bitmap& surface, int width, int height, int style);
void draw_background(tarv_bitmap& surface, int width, int height, int style, const tarv_background_colors& colors);
