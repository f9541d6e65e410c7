// The status display (hit point, mana, movement, experience and enemy bars
// with their labels) and the status bar at the bottom of the main window
// (status icons, sky bar, time of day, ping and the scroll-lock padlock).
// The numbers they draw live in tarv_status_values, which the tag
// dispatcher fills; the panels only read them.
#pragma once

#include <functional>
#include <string>

#include "connection/status_values.h"
#include "draw/embedded_window.h"
#include "panels/sky_bar.h"

// The bar primitive: white side lines at x and x + width + 1 and a white
// middle line, then fill pixels from x + 1 in the fill colour with their top
// and bottom rows in the edge colour.
void draw_status_bar(tarv_bitmap& surface, int x, int y, int width, int height, int fill,
                     const tarv_color& fill_color, const tarv_color& edge_color);

class tarv_status_display_base : public tarv_embedded_window {
public:
    tarv_status_display_base(int x, int y, int width, int height, std::string name);

    bool animation_callback(int elapsed_ms) override { return flash_step(elapsed_ms); }
    virtual void reset_values() = 0;

    // The frame, white while a flash is on an odd step and black on an even
    // one (the top edge is added while flashing).
    void draw_panel_edges(tarv_bitmap& surface, int width, int height);

    // Sends the tooltip to the toolkit window only when it changes; empty
    // removes it.
    void set_tooltip(const std::string& text);
    const std::string& tooltip() const { return tooltip_; }

    int edge_flags = 0;

private:
    std::string tooltip_;
};

class tarv_status_display : public tarv_status_display_base {
public:
    enum format { FULL = 0, COMPACT = 1, MINI = 2, BARS_ONLY = 3 };
    enum column { HP = 0, MANA = 1, MOVE = 2, EXP = 3 };

    explicit tarv_status_display(tarv_status_values& values, int x = 0, int y = 0, int width = 100,
                                 int height = 21);

    void update_content(bool rebuild) override;
    void render(tarv_bitmap& surface) override;
    void on_mouse(const tarv_mouse_event& event) override;
    // The reset values, then hidden.
    void reset_values() override;

    // The three bar switches; the layout is worked out again.
    void set_bars(bool hp, bool exp, bool enemy);

    // Label texts as drawn (empty when that label is not drawn).
    std::string hp_label() const;
    std::string mana_label() const;
    std::string move_label() const;
    std::string exp_label() const;
    std::string enemy_label() const;

    // Where a tooltip applies for a point; empty when none.
    std::string tooltip_at(int x, int y) const;

    tarv_status_values& values;
    int show_hp_bars = 0;
    int show_exp = 0;
    int show_enemy = 0;

    // Layout (update_content).
    int layout_format = FULL;
    int text_y_lower = 0;
    int text_y_upper = 0;
    int bar_height = 0;
    int bar_width = 0;
    int bar_y_lower = 0;
    int bar_y_upper = 0;
    int column_x[4] = {0, 0, 0, 0};

private:
    void draw_value_bar(tarv_bitmap& s, int column, int value, int maximum, const tarv_color& fill,
                        const tarv_color& edge);
};

class tarv_status_bar : public tarv_status_display_base {
public:
    static constexpr int icon_size = 17;
    static constexpr int icon_step = 18;
    static constexpr int lock_width = 21;
    static constexpr int max_time_text = 5999;

    explicit tarv_status_bar(tarv_status_values& values, int x = 0, int y = 0, int width = 100, int height = 21);

    void update_content(bool rebuild) override;
    void render(tarv_bitmap& surface) override;
    void on_mouse(const tarv_mouse_event& event) override;
    void reset_values() override;

    // The "skystate" payload: flags, terrain, minute, then the time text.
    void update_sky_display(const char* data);

    // The main display's scroll lock, asked for at each paint and click.
    std::function<bool()> scroll_locked;
    std::function<void()> unlock_scrollback;
    // The sky bar setting, read when the bar resets.
    std::function<bool()> sky_bar_enabled;

    tarv_status_values& values;

    // Areas, x ranges in client coordinates (both ends included).
    int ping_left = 0, ping_right = 0;
    int time_left = 0, time_right = 0;
    int lock_x = 0;
    int text_y = 0;
    int right_edge = 0;

    std::string time_text;
    tarv_color time_color{191, 191, 191};

    tarv_sky_bar sky_bar;

private:
    bool locked() const { return scroll_locked && scroll_locked(); }
};
