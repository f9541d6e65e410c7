#include "draw/main_background.h"

#include <algorithm>

#include "draw/theme.h"
#include "support/debug_log.h"

int tarv_background_step(int remembered, int current)
{
    long long step = (static_cast<long long>(std::max(remembered, current)) / 256) * 256 + 256;
    return static_cast<int>(std::min<long long>(step, 1 << 30));
}

bool tarv_background_cache::update(int width, int height, int style, int background_theme, bool force)
{
    if (!force && surface_ && surface_->GetWidth() >= width && surface_->GetHeight() >= height &&
        style == style_ && background_theme == background_theme_) {
        style_ = style;
        background_theme_ = background_theme;
        return false;
    }
    // A new colour or style is drawn on a surface of the same size; only a
    // window that has outgrown the surface makes it grow.
    const bool covers = surface_ && width_ >= width && height_ >= height;
    surface_.reset();
    if (!covers) {
        width_ = tarv_background_step(width_, width);
        height_ = tarv_background_step(height_, height);
    }
    surface_ = std::make_unique<tarv_bitmap>(width_, height_);
    const tarv_background_colors* colors = tarv_find_background_colors(background_theme);
    if (!colors) {
        TARV_LOG(2, "Warning in tarv_background_cache::update(), themes not created, using the current colours.\n");
        colors = current_background_colors;
    }
    draw_background(*surface_, width_, height_, style, *colors);
    style_ = style;
    background_theme_ = background_theme;
    ++generation_;
    return true;
}

tarv_logo_block tarv_place_logo_block(int layout, int client_width, int client_height, int logo_width,
                                      int logo_height, int text_width, int text_height)
{
    tarv_logo_block b;
    const int W = client_width, H = client_height;
    const int D = std::max(text_width, logo_width);
    b.width = D;
    b.height = logo_height + text_height - 5;
    if (layout == 2) {
        b.logo_x = D / 2 - logo_width / 2;
        b.logo_y = 0;
        b.text_x = D / 2 - text_width / 2;
        b.text_y = logo_height - 5;
        b.x = 0;
        b.y = 0;
    } else if (layout == 1) {
        b.logo_x = D / 2 - logo_width / 2;
        b.logo_y = H + 10 - logo_height - text_height;
        b.text_x = D / 2 - text_width / 2;
        b.text_y = H - text_height;
        b.x = 0;
        b.y = H - b.height;
    } else {
        b.logo_x = W - D / 2 - logo_width / 2;
        b.logo_y = H + 10 - logo_height - text_height;
        b.text_x = W - D / 2 - text_width / 2;
        b.text_y = H - text_height;
        b.x = W - D;
        b.y = H - b.height;
    }
    return b;
}
