// The group display: one row per member of the player's group, with the
// member's name and small hit point, mana and movement bars. Every "group"
// tag replaces the whole list. The main window shows it in its left column
// (stand-alone form, mode 1) or hands it to the main display, which places
// it over the right side of the text (embedded form, mode 2).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "draw/embedded_window.h"
#include "text/main_window.h"

struct tarv_group_entry {
    int hp = 0, max_hp = 0;
    int mana = 0, max_mana = 0;
    int move = 0, max_move = 0;
    int kind = 0;  // 0 a player, 1 a pet ("."), 2 a follower ("-")
    std::string name;
};

// The character settings the display draws by.
struct tarv_group_settings {
    int display = 1;       // group_status_display: 0 off, 1 vertical, 2 horizontal
    bool inverted = true;  // group_status_inverted_bars
    int layout = 2;        // current_layout; 2 anchors the panel at its bottom edge
};

// One bar: value v of maximum m at (x, y), bw wide and u high. direction 1
// grows from the left, anything else from the right; inverted colours the
// missing part; framed bars (the horizontal rows) get a grey frame and a
// middle line.
void draw_group_bar(tarv_bitmap& s, int v, int m, int x, int y, int bw, int u, int direction, bool inverted,
                    bool framed, const tarv_color& fill, const tarv_color& highlight);

class tarv_group_display : public tarv_embedded_window, public tarv_group_overlay {
public:
    static constexpr int max_name_length = 5999;
    static constexpr int max_marked_name_length = 5998;

    tarv_group_display();

    void update_content(bool rebuild) override { (void)rebuild; }
    void render(tarv_bitmap& surface) override;
    void on_mouse(const tarv_mouse_event& event) override;
    // Hides the panel and forgets every entry (the connection ended).
    virtual void clear_group();

    // The "group" tag: one entry per line; a bad line ends the list.
    void update_group(const char* data);
    // One entry from the line at text, or none. rest, when given, receives
    // where the next line starts.
    static std::optional<tarv_group_entry> parse_update_line(const char* text, const char** rest = nullptr);

    int preferred_height() const;
    // Takes the preferred height; in the left-bottom layout the bottom edge stays.
    void fit_height();
    // Row heights from the height of "Abcdefg" in the panel font.
    void update_font_metrics();

    // The tooltip text for a pointer at y; empty when none.
    std::string tooltip_at(int y) const;
    const std::string& tooltip() const { return tooltip_; }

    const std::vector<tarv_group_entry>& entries() const { return entries_; }
    tarv_group_settings current_settings() const { return settings ? settings() : tarv_group_settings{}; }

    // tarv_group_overlay
    tarv_embedded_window& overlay_window() override { return *this; }
    bool overlay_docked() const override { return mode == 2; }
    bool overlay_has_content() const override { return !entries_.empty(); }
    int overlay_wanted_height() const override { return preferred_height(); }

    // Read at every paint and update; the defaults serve tests.
    std::function<tarv_group_settings()> settings;

    int mode = 0;
    int full_row_height = 24;
    int short_row_height = 13;

private:
    void draw_row(tarv_bitmap& s, const tarv_group_entry& e, int x, int y, int w, int h,
                  const tarv_group_settings& settings) const;
    void set_tooltip(const std::string& text);

    std::vector<tarv_group_entry> entries_;
    std::string tooltip_;
};
