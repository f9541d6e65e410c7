#include "automap/automap_display.h"

#include <algorithm>
#include <utility>

#include "draw/font.h"
#include "draw/theme.h"

tarv_automap_display::tarv_automap_display(std::string name, int cell_size)
    : tarv_embedded_window(0, 0, 1, 1, name),
      renderer_(std::make_unique<tarv_automap_renderer>(std::max(cell_size, automap_view_cell_min), name + " renderer"))
{
    update_layout();
    // On the animation list while the view moves or the frame flashes, so
    // an idle client needs no tick.
    renderer_->armed = [this] { add_to_animation_list(this); };
    add_to_animation_list(this);
}

void tarv_automap_display::update_layout()
{
    const int V = renderer_->view_size();
    set_size(V + 2, V + 23);
    renderer_->set_geometry(1, 22, V, V);
    Refresh();
}

void tarv_automap_display::set_cell_size(int n)
{
    renderer_->set_cell_size(n);
    update_layout();
}

void tarv_automap_display::grow()
{
    renderer_->grow();
    update_layout();
}

void tarv_automap_display::shrink()
{
    renderer_->shrink();
    update_layout();
}

void tarv_automap_display::set_area_name(const char* name)
{
    area_name_.assign(name ? name : "");
    if (area_name_.size() > static_cast<std::size_t>(max_area_name)) area_name_.resize(max_area_name);
    Refresh();
}

void tarv_automap_display::set_combat(bool on)
{
    combat_ = on;
    Refresh();
}

void tarv_automap_display::reset_automap()
{
    combat_ = false;
    area_name_.clear();
    renderer_->clear_map();
    Refresh();
}

bool tarv_automap_display::animation_callback(int elapsed_ms)
{
    renderer_->animation_step();
    if (flash_remaining != flash_shown) {
        flash_shown = flash_remaining;
        Refresh();
    }
    if (flash_remaining > 0) flash_step(elapsed_ms);
    return renderer_->picture_ready || flash_remaining > 0;
}

void tarv_automap_display::render(tarv_bitmap& s)
{
    const int W = width(), H = height();
    s.DrawFilledRectangle(1, 1, W - 2, 20, color_black);
    if (panel_font) {
        int tw = 0, th = 0;
        panel_font->GetTextExtent("Combat!", &tw, &th);
        const int y = (20 - th) / 2 + 1;
        const int x = std::max(5, W / 2 - tw / 2);
        const bool playing = renderer_->logged_in && renderer_->logged_in();
        if (!playing)
            s.DrawTextTransparent(*panel_font, "  Map  ", x, y, color_white);
        else if (combat_)
            s.DrawTextTransparent(*panel_font, "Combat!", x, y, tarv_color{255, 128, 128});
        else if (!area_name_.empty())
            s.DrawTextTransparent(*panel_font, area_name_.c_str(), 4, y, color_white);
    }
    const tarv_color frame = flash_active() ? flash_color() : (*current_button_theme)[THEME_MAP_FRAME];
    s.DrawLine(0, 0, W - 1, 0, frame);
    s.DrawLine(0, 0, 0, H - 1, frame);
    s.DrawLine(0, H - 1, W - 1, H - 1, frame);
    s.DrawLine(W - 1, 0, W - 1, H - 1, frame);
    s.DrawLine(0, 21, W - 1, 21, frame);
    for (auto [x, y] : {std::pair{0, 0}, std::pair{W - 1, 0}, std::pair{0, H - 1}, std::pair{W - 1, H - 1}})
        s.SetPixel(x, y, color_black);
}
