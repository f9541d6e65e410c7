// The automap: the room grid the server sends in "map" tags, the picture
// painted from it once per map, and the square view that shows the picture
// around the player, slides and shakes it, and turns clicks on its arrows
// into walking commands.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "draw/embedded_window.h"

constexpr int automap_grid_size = 23;
constexpr int automap_view_cell_min = 5;
// Far beyond any screen; the picture and view grow with the square of it.
constexpr int automap_view_cell_max = 61;
constexpr int automap_queue_item_max = 4079;

// Boundary codes and room feature bits.
enum tarv_automap_code : int { AUTOMAP_DOOR_GREEN = 2, AUTOMAP_DOOR_RED = 3, AUTOMAP_WALL = 4 };
enum tarv_automap_feature : int {
    AUTOMAP_STAR = 1,
    AUTOMAP_PAVED = 2,
    AUTOMAP_TRAIL = 4,
    AUTOMAP_CHEVRON_UP = 8,
    AUTOMAP_CHEVRON_DOWN = 16
};

struct tarv_automap_cell {
    std::int32_t terrain = 0;
    std::int32_t features = 0;
    std::int32_t seed = 0;
    std::int32_t extra = 0;
    std::int32_t code = 0;
    bool operator==(const tarv_automap_cell&) const = default;
};

struct tarv_terrain_colors {
    tarv_color base;
    tarv_color dark;
    tarv_color light;
};
// The colours of a terrain type; unknown types are grey.
const tarv_terrain_colors& tarv_automap_terrain(int terrain);

// Direction codes of the view: 1 east, then clockwise to 8 northeast,
// 9 down, 10 up; 0 none.
const char* tarv_automap_direction_word(int code);
const char* tarv_automap_direction_label(int code);
int tarv_automap_direction_exit_bit(int code);

// The four looks of a view arrow.
struct tarv_arrow_colors {
    tarv_color outline;
    tarv_color fill;
    tarv_color label;
};
tarv_arrow_colors tarv_automap_arrow_colors(bool hovered, bool exit);

class tarv_automap_renderer : public tarv_embedded_window {
public:
    tarv_automap_renderer(int cell_size, std::string name = {});

    void update_content(bool rebuild) override {}
    void render(tarv_bitmap& surface) override;
    void on_mouse(const tarv_mouse_event& event) override;

    // "map": shown now, or queued while the view still animates.
    void queue_or_display(const char* data, int length);
    void display_socket_data(const char* data, int length);
    void queue_socket_data(const char* data, int length);
    // "walkfail": true when the map shakes (the wall-bump sound is due).
    bool walkfail(const char* data);
    void set_exit_mask(int mask) { exit_mask = mask & 1023; }
    void clear_map();

    // The picture from the grid.
    void render_map();
    // Cell size steps; each repaints the picture and stores the size.
    void set_cell_size(int n);
    void grow();
    void shrink();

    // One 20 ms step of the slide, the shake and the square transition.
    void animation_step();
    // The direction under a point of the view (0 for none).
    int direction_at(int px, int py) const;

    int cell_size() const { return q_; }
    int view_size() const { return 18 * q_ + 3; }
    bool animating() const { return sx != 0 || sy != 0 || transition != 0; }
    const tarv_bitmap& picture() const { return picture_; }
    tarv_automap_cell& cell(int x, int y) { return grid_[x][y]; }
    const tarv_automap_cell& cell(int x, int y) const { return grid_[x][y]; }
    bool room_present(int x, int y) const;
    std::size_t queued() const { return queue_.size(); }

    // Whether the player is in the game; outside it everything is black.
    std::function<bool()> logged_in;
    // A clicked direction's word, sent as a typed command.
    std::function<void(const char*)> send_command;
    // The view has something to animate again (a new picture, a shake).
    std::function<void()> armed;

    int sx = 0;
    int sy = 0;
    int transition = 0;            // 0-9
    int transition_direction = 0;  // 1 grow, 2 shrink
    int pressure = 0;
    bool picture_ready = false;
    bool pointer_inside = false;
    int hovered = 0;
    int exit_mask = 0;

private:
    bool playing() const { return logged_in && logged_in(); }
    void clear_grid();
    void terrain_pass();
    void corner_pass();
    void road_pass();
    void marker_pass();
    void boundary_pass();
    void straight_road(int a, int b, int across, bool paved, bool vertical);
    void diagonal_road(int from_x, int from_y, int step_x, bool paved);
    void draw_arrows(tarv_bitmap& s);
    void set_cell_size_value(int q);
    void arm();

    int q_ = 11;
    tarv_automap_cell grid_[automap_grid_size][automap_grid_size];
    tarv_bitmap picture_;
    std::deque<std::string> queue_;
};
