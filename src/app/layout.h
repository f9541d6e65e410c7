// The main window's layout arithmetic: where every panel goes and whether it
// is shown, computed from plain values so it runs without the toolkit. The
// toolkit window gathers a tarv_layout_input, calls tarv_compute_layout and
// applies the result; nothing here keeps state between calls.
#pragma once

// Margins, gaps and fixed sizes of the main window's layout.
constexpr int layout_margin = 2;
constexpr int layout_button_row_height = 46;
constexpr int layout_status_bar_height = 21;
constexpr int layout_status_row_height = 21;
constexpr int layout_left_column_width = 160;
constexpr int layout_left_column_edge = 164;   // column width with its gap
constexpr int layout_automap_gap = 4;          // right of the docked automap
constexpr int layout_automap_group_gap = 10;   // between automap and group display
constexpr int layout_right_column_gap = 4;     // 2 + 2 left of the right-hand column
constexpr int direction_pad_width = 97;
constexpr int direction_pad_height = 130;

// Limits of the size steps. The upper limits are the largest values the
// character configuration accepts on reading, so a stepped value survives a
// save and reload instead of falling back to the default.
constexpr int input_height_step = 12;
constexpr int input_height_min = 24;
constexpr int input_height_max = 800;
constexpr int channel_height_step = 5;
constexpr int channel_height_min = 10;
constexpr int channel_height_max = 80;
constexpr int text_size_min = 3;
constexpr int text_size_max = 150;
constexpr int automap_cell_min = 5;
constexpr int automap_cell_max = 400;

enum layout_mode { LAYOUT_EMBEDDED = 0, LAYOUT_LEFT_TOP = 1, LAYOUT_LEFT_BOTTOM = 2 };

// x, y, width, height in the parent's client pixels.
struct tarv_layout_rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const tarv_layout_rect&) const = default;
};

// What a layout pass does to a panel's visibility: some panels are shown or
// hidden by other events (login, tags, menu items) and left alone here.
enum class tarv_visibility { keep, show, hide };

// One panel's result. When placed is false the panel keeps its geometry.
// Widths and heights are already raised to at least 1.
struct tarv_layout_place {
    bool placed = false;
    tarv_layout_rect rect;
    tarv_visibility visibility = tarv_visibility::keep;
};

// Which window a movable panel is a child of.
enum class tarv_layout_parent {
    main_window,   // the main window's client area
    text_area,     // the main display's text control (embedded layout)
    automap_frame  // the undocked automap window
};

struct tarv_layout_input {
    // Client size now; 0 in either direction (minimised) falls back to the
    // last accepted size.
    int client_width = 0;
    int client_height = 0;
    int last_width = -1;
    int last_height = -1;

    int play_state = 0;  // PLAYING is 2

    // Character configuration.
    int current_layout = LAYOUT_LEFT_BOTTOM;
    bool automap_docked = true;
    bool automap_display = true;
    int group_status_display = 1;
    bool direction_button_enable = false;
    bool hint_button_enable = true;
    bool fkey_button_display = false;
    bool popup_display = true;
    bool status_bar = true;
    bool hpbar_enable = true;
    bool exp_display = true;
    bool enemy_hpbar_enable = true;
    int input_height = 48;
    bool channel_window_enable = false;
    int channel_window_height = 25;  // per cent
    bool mw_scrollbar_enable = true;

    // Panel measurements.
    int automap_cell_size = 11;      // q of the automap view
    int automap_width = 203;         // the automap panel's current size
    int automap_height = 224;
    int group_preferred_height = 1;  // the group display's own wish
    bool group_has_entries = false;
    int scrollbar_width = 16;        // natural width of the main display's scrollbar
};

struct tarv_layout {
    // The size the pass worked with and the central column's edges.
    int width = 0;
    int height = 0;
    int central_left = 0;
    int central_right = 0;

    tarv_layout_place direction_buttons;
    tarv_layout_place hint_buttons;
    tarv_layout_place fkey_manager;
    tarv_layout_place popup_manager;
    tarv_layout_place status_bar;
    tarv_layout_place input_window;
    tarv_layout_place status_display;
    tarv_layout_place channel_window;
    tarv_layout_place main_display;

    // Status display settings handed over with its area.
    int status_edge_flags = 15;
    bool show_hp_bars = false;
    bool show_exp = false;
    bool show_enemy = false;

    // The automap panel and the group display, in their parent's
    // coordinates (see the parent fields). In the embedded layout these are
    // the places the main display gives them over its text.
    tarv_layout_parent automap_parent = tarv_layout_parent::main_window;
    tarv_layout_place automap_display;
    tarv_layout_parent group_parent = tarv_layout_parent::main_window;
    int group_display_mode = 1;  // 1 stand-alone, 2 embedded
    tarv_layout_place group_display;

    // Client size of the undocked automap window; placed only when undocked.
    tarv_layout_place automap_frame;
};

// One complete layout pass.
tarv_layout tarv_compute_layout(const tarv_layout_input& in);

// The places the main display gives its overlays inside its text control of
// width text_width (embedded layout); fills automap_display and
// group_display of out. Also used by tarv_compute_layout.
void tarv_layout_overlays(const tarv_layout_input& in, int text_width, tarv_layout& out);

// Size of the automap panel for cell size q (at least 5): the square view of
// 18q + 3 plus its frame and title strip.
struct tarv_layout_size {
    int width = 0;
    int height = 0;
    bool operator==(const tarv_layout_size&) const = default;
};
tarv_layout_size automap_panel_size(int cell_size);

// Width of the function-key row for a row of height h.
int fkey_row_width(int row_height);

// Where the automap lives and what is shown after a docking or layout change.
struct tarv_automap_placement {
    tarv_layout_parent parent = tarv_layout_parent::main_window;
    bool display_shown = false;
    tarv_visibility frame = tarv_visibility::hide;
    bool frame_repaint = false;  // repaint the frame after moving the map into it
};
tarv_automap_placement place_automap_decision(int current_layout, bool automap_docked,
                                              bool automap_display);

// Visibility of the undocked frame and of the automap panel.
struct tarv_automap_visibility {
    tarv_visibility frame = tarv_visibility::keep;
    tarv_visibility display = tarv_visibility::keep;
};
tarv_automap_visibility update_automap_visibility_decision(bool automap_docked, bool automap_display);

// Parent and form of the group display for a layout mode.
struct tarv_group_placement {
    tarv_layout_parent parent = tarv_layout_parent::main_window;
    int mode = 1;
};
tarv_group_placement place_group_display_decision(int current_layout);

// The size event guard. Logs and returns false for events to ignore; on
// true the caller lays out and repaints. Updates last_width/last_height.
bool layout_accept_resize(int mw_ready, int width, int height, int& last_width, int& last_height);

// Size steps: each returns the new value.
int grow_input_height(int input_height);
int shrink_input_height(int input_height);
int grow_channel_height(int channel_window_height);
int shrink_channel_height(int channel_window_height);
int grow_automap_cell(int cell_size);
int shrink_automap_cell(int cell_size);
int set_automap_cell(int cell_size);

// Text size steps: apply is false when only the stored size is to change
// (no new font, no rebuild of the panels).
struct tarv_text_size_step {
    int size = 0;
    bool apply = false;
};
tarv_text_size_step increase_text_size_step(int text_size);
tarv_text_size_step decrease_text_size_step(int text_size);
