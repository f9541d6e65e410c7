#include "input/input_window.h"

#include <algorithm>

#include "draw/bitmap.h"
#include "draw/color.h"

tarv_input_window::tarv_input_window(int x, int y, int width, int height, std::string name)
    : tarv_embedded_window(x, y, width, height, std::move(name))
{
}

void tarv_input_window::set_edit_peer(tarv_window_peer* peer)
{
    edit_peer_ = peer;
    update_content(false);
}

tarv_input_window::rect tarv_input_window::edit_rect() const
{
    return {2, 1, std::max(1, width() - 4), std::max(1, height() - 2)};
}

void tarv_input_window::update_content(bool rebuild)
{
    if (edit_peer_) {
        rect r = edit_rect();
        edit_peer_->peer_move_resize(r.x, r.y, r.width, r.height);
    }
    Refresh();
}

void tarv_input_window::render(tarv_bitmap& surface)
{
    surface.Clear(color_black);
    const tarv_color* edge = nullptr;
    if (flash_remaining > 0) edge = (flash_remaining & 1) ? &color_white : &color_black;
    surface.DrawEdges(surface.GetWidth(), surface.GetHeight(), EDGE_TOP | EDGE_RIGHT | EDGE_BOTTOM | EDGE_LEFT, edge);
}

bool tarv_input_window::animation_callback(int elapsed_ms)
{
    return flash_step(elapsed_ms);
}

void tarv_input_window::on_focus()
{
    if (edit_peer_) edit_peer_->peer_set_focus();
}
