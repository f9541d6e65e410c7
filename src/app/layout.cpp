#include "app/layout.h"

#include <algorithm>

#include "support/debug_log.h"

namespace {

constexpr int playing_state = 2;

// Panels never get an empty or negative size, even in a tiny window.
tarv_layout_rect applied(int x, int y, int width, int height) {
    return {x, y, std::max(width, 1), std::max(height, 1)};
}

tarv_layout_place placed_at(int x, int y, int width, int height,
                            tarv_visibility visibility = tarv_visibility::keep) {
    tarv_layout_place p;
    p.placed = true;
    p.rect = applied(x, y, width, height);
    p.visibility = visibility;
    return p;
}

tarv_visibility shown_if(bool on) { return on ? tarv_visibility::show : tarv_visibility::hide; }

bool left_column_layout(int current_layout) {
    return current_layout == LAYOUT_LEFT_TOP || current_layout == LAYOUT_LEFT_BOTTOM;
}

}  // namespace

tarv_layout_size automap_panel_size(int cell_size) {
    int q = std::clamp(cell_size, automap_cell_min, automap_cell_max);
    int view = 18 * q + 3;
    return {view + 2, view + 23};
}

int fkey_row_width(int row_height) { return 8 * row_height - 10; }

tarv_automap_placement place_automap_decision(int current_layout, bool automap_docked,
                                              bool automap_display) {
    tarv_automap_placement p;
    p.display_shown = automap_display;
    if (automap_docked) {
        p.parent = left_column_layout(current_layout) ? tarv_layout_parent::main_window
                                                      : tarv_layout_parent::text_area;
        p.frame = tarv_visibility::hide;
        p.frame_repaint = false;
    } else {
        p.parent = tarv_layout_parent::automap_frame;
        p.frame = shown_if(automap_display);
        p.frame_repaint = true;
    }
    return p;
}

tarv_automap_visibility update_automap_visibility_decision(bool automap_docked, bool automap_display) {
    tarv_automap_visibility v;
    if (automap_display) {
        v.frame = automap_docked ? tarv_visibility::keep : tarv_visibility::show;
        v.display = tarv_visibility::show;
    } else {
        v.frame = tarv_visibility::hide;
        v.display = tarv_visibility::hide;
    }
    return v;
}

tarv_group_placement place_group_display_decision(int current_layout) {
    if (left_column_layout(current_layout)) return {tarv_layout_parent::main_window, 1};
    return {tarv_layout_parent::text_area, 2};
}

bool layout_accept_resize(int mw_ready, int width, int height, int& last_width, int& last_height) {
    if (!mw_ready) {
        TARV_LOG(2, "tarv_mw::OnResize() - windows bug triggered, constructor not yet finished.  Ignoring.\n");
        return false;
    }
    if (width == last_width && height == last_height) {
        TARV_LOG(2, "tarv_mw::OnResize() - ignoring double resize.\n");
        return false;
    }
    if (width != 0 && height != 0) {
        last_width = width;
        last_height = height;
    }
    return true;
}

void tarv_layout_overlays(const tarv_layout_input& in, int text_width, tarv_layout& out) {
    const bool docked_here = in.automap_docked && !left_column_layout(in.current_layout);
    // The automap panel always exists, so the group display lines up with it
    // even while the map itself is in its own window.
    const int m = in.automap_cell_size;
    const int wa = in.automap_width;
    const int ha = in.automap_height;
    const int x = text_width - wa - 2 * m;
    int y = 2 * m;
    const int g = wa;
    if (docked_here) {
        out.automap_parent = tarv_layout_parent::text_area;
        tarv_visibility v = tarv_visibility::hide;
        if (in.play_state == playing_state) {
            v = shown_if(in.automap_display);
            if (in.automap_display) y = 2 * m + ha + layout_automap_group_gap;
        }
        out.automap_display = placed_at(x, 2 * m, wa, ha, v);
    }

    if (!left_column_layout(in.current_layout)) {
        out.group_parent = tarv_layout_parent::text_area;
        out.group_display_mode = 2;
        tarv_visibility v = (in.group_status_display == 0 || !in.group_has_entries)
                                ? tarv_visibility::hide
                                : tarv_visibility::keep;
        out.group_display = placed_at(x, y, g, in.group_preferred_height, v);
    }
}

tarv_layout tarv_compute_layout(const tarv_layout_input& in) {
    tarv_layout out;
    int W = in.client_width;
    int H = in.client_height;
    if (W == 0 || H == 0) {
        W = in.last_width;
        H = in.last_height;
    }
    out.width = W;
    out.height = H;

    const int aw = in.automap_width;
    const int ah = in.automap_height;
    const bool left_column = left_column_layout(in.current_layout);
    const bool map_in_column = left_column && in.automap_docked && in.automap_display;
    const bool bottom_row = in.fkey_button_display || in.popup_display;

    tarv_automap_placement map_place =
        place_automap_decision(in.current_layout, in.automap_docked, in.automap_display);
    out.automap_parent = map_place.parent;
    tarv_group_placement group_place = place_group_display_decision(in.current_layout);
    out.group_parent = group_place.parent;
    out.group_display_mode = group_place.mode;

    // The undocked map window takes the panel's own size.
    if (!in.automap_docked) {
        out.automap_frame.placed = true;
        out.automap_frame.rect = applied(0, 0, aw, ah);
        out.automap_display = placed_at(0, 0, aw, ah);
    }

    // Right-hand column: direction pad on top, hint buttons below to the bottom edge.
    int R = W;
    out.direction_buttons.visibility = shown_if(in.direction_button_enable);
    out.hint_buttons.visibility = shown_if(in.hint_button_enable);
    if (in.direction_button_enable || in.hint_button_enable) {
        const int column_x = W - direction_pad_width - layout_margin;
        R = W - direction_pad_width - layout_right_column_gap;
        int y = layout_margin;
        if (in.direction_button_enable) {
            out.direction_buttons = placed_at(column_x, layout_margin, direction_pad_width,
                                              direction_pad_height, tarv_visibility::show);
            y = direction_pad_height + layout_right_column_gap;
        }
        if (in.hint_button_enable)
            out.hint_buttons = placed_at(column_x, y, direction_pad_width, H - y, tarv_visibility::show);
    }

    // Left-hand column.
    if (in.current_layout == LAYOUT_LEFT_TOP) {
        int y = layout_margin;
        int width = layout_left_column_width;
        if (map_in_column) {
            out.automap_display = placed_at(layout_margin, layout_margin, aw, ah);
            y = ah + layout_margin + layout_automap_group_gap;
            width = aw;
        }
        if (in.group_status_display != 0)
            out.group_display = placed_at(layout_margin, y, width, in.group_preferred_height);
    } else if (in.current_layout == LAYOUT_LEFT_BOTTOM) {
        int end;
        int width = layout_left_column_width;
        if (map_in_column) {
            out.automap_display = placed_at(layout_margin, H - layout_margin - ah, aw, ah);
            end = H - ah - layout_margin - layout_automap_group_gap;
            width = aw;
        } else {
            end = bottom_row ? H - layout_button_row_height - layout_margin : H - layout_margin;
        }
        if (in.group_status_display != 0) {
            int gh = in.group_preferred_height;
            out.group_display = placed_at(layout_margin, end - gh, width, gh);
        }
    }

    // Central column edges.
    int L = 0;
    if (map_in_column)
        L = aw + layout_automap_gap;
    else if (left_column && in.group_status_display != 0)
        L = layout_left_column_edge;
    if (L >= R) R = L + 1;
    const int w = R - L;
    out.central_left = L;
    out.central_right = R;

    // Bottom row: function keys, then popup buttons to the window's right edge.
    int B = bottom_row ? H - layout_button_row_height : H;
    out.fkey_manager.visibility = shown_if(in.fkey_button_display);
    int popup_x = L;
    if (in.fkey_button_display) {
        const int fw = fkey_row_width(layout_button_row_height);
        out.fkey_manager = placed_at(L, B, fw, layout_button_row_height, tarv_visibility::show);
        popup_x = L + fw;
    }
    out.popup_manager.visibility = shown_if(in.popup_display);
    if (in.popup_display)
        out.popup_manager =
            placed_at(popup_x, B, W - popup_x, layout_button_row_height, tarv_visibility::show);

    // The status bar's visibility follows the login and its menu item.
    if (in.status_bar) {
        B -= layout_status_bar_height;
        out.status_bar = placed_at(L, B, w, layout_status_bar_height);
    }

    out.input_window = placed_at(L, B - in.input_height, w, in.input_height);
    int T = B - in.input_height;

    out.status_edge_flags = 15;
    out.show_hp_bars = in.hpbar_enable;
    out.show_exp = in.exp_display;
    out.show_enemy = in.enemy_hpbar_enable;
    int status_height = 0;
    if (in.enemy_hpbar_enable && in.hpbar_enable)
        status_height = 2 * layout_status_row_height;
    else if (in.hpbar_enable || in.exp_display || in.enemy_hpbar_enable)
        status_height = layout_status_row_height;
    if (status_height > 0) {
        T -= status_height;
        out.status_display = placed_at(L, T, w, status_height);
    }

    int c = 0;
    if (in.play_state == playing_state && in.channel_window_enable) {
        c = static_cast<int>(static_cast<long long>(T) * in.channel_window_height / 100);
        if (c < 1) c = 1;
        out.channel_window = placed_at(L, 0, w, c, tarv_visibility::show);
    } else {
        out.channel_window.visibility = tarv_visibility::hide;
    }

    out.main_display = placed_at(L, c, w, T - c);

    // Embedded layout: the main display places the map and group display
    // over its framed text control.
    if (!left_column) {
        int scrollbar = in.mw_scrollbar_enable ? std::max(in.scrollbar_width, 1) : 0;
        int text_width = std::max(out.main_display.rect.width - scrollbar - 4, 1);
        tarv_layout_overlays(in, text_width, out);
    }
    return out;
}

int grow_input_height(int input_height) {
    return std::min(input_height + input_height_step, std::max(input_height, input_height_max));
}

int shrink_input_height(int input_height) {
    int h = input_height - input_height_step;
    return h <= input_height_min - 1 ? input_height_min : h;
}

int grow_channel_height(int channel_window_height) {
    return std::min(channel_window_height + channel_height_step, channel_height_max);
}

int shrink_channel_height(int channel_window_height) {
    return std::max(channel_window_height - channel_height_step, channel_height_min);
}

int grow_automap_cell(int cell_size) {
    int q = cell_size + 2;
    return q > automap_cell_max ? cell_size : q;
}

int shrink_automap_cell(int cell_size) {
    return cell_size < automap_cell_min + 2 ? automap_cell_min : cell_size - 2;
}

int set_automap_cell(int cell_size) {
    int q = std::clamp(cell_size, automap_cell_min, automap_cell_max) | 1;
    return q > automap_cell_max ? q - 2 : q;
}

tarv_text_size_step increase_text_size_step(int text_size) {
    if (text_size >= text_size_max) return {text_size, false};
    return {text_size + 1, true};
}

tarv_text_size_step decrease_text_size_step(int text_size) {
    int size = text_size - 1;
    if (size <= text_size_min - 1) return {text_size_min, false};
    return {size, true};
}
