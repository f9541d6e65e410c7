// The main window's own background: the themed picture that shows in the
// gaps between panels, and the logo block placed on it.
#pragma once

#include <memory>

#include "draw/bitmap.h"

// Cached background surface. It grows in 256-pixel steps so that dragging
// the window larger does not regenerate it on every size event, and only
// when the window has outgrown it.
class tarv_background_cache {
public:
    // Makes sure a surface covers width x height for the style and the
    // background colour set; true when a new surface was generated.
    bool update(int width, int height, int style, int background_theme, bool force);

    const tarv_bitmap* surface() const { return surface_.get(); }
    int width() const { return width_; }
    int height() const { return height_; }
    // Counts regenerations; toolkit shells compare it to refresh their copy.
    unsigned generation() const { return generation_; }

private:
    std::unique_ptr<tarv_bitmap> surface_;
    int width_ = -1;
    int height_ = -1;
    int style_ = -1;
    int background_theme_ = -1;
    unsigned generation_ = 0;
};

// The next multiple of 256 strictly above the larger of the two sizes.
int tarv_background_step(int remembered, int current);

// Placement of the logo image and the web host line under it, and the
// block they form (the main window opens the web page on a click there).
struct tarv_logo_block {
    int logo_x = 0, logo_y = 0;
    int text_x = 0, text_y = 0;
    int x = 0, y = 0, width = 0, height = 0;
};

// layout 2: top left; 1: bottom left; anything else: bottom right.
tarv_logo_block tarv_place_logo_block(int layout, int client_width, int client_height, int logo_width,
                                      int logo_height, int text_width, int text_height);
