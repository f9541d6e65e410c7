// The small picture of the sky in the middle of the status bar: night with
// stars, a dawn and dusk glow, the day sky, and a sun and a moon that travel
// with the game clock, dimmed when overcast or seen from indoors.
#pragma once

#include <string>

#include "draw/embedded_window.h"

class tarv_sky_bar : public tarv_embedded_window {
public:
    static constexpr int star_count = 200;
    static constexpr int minutes_per_day = 1440;

    // Fills the star table from the process-wide generator.
    tarv_sky_bar(int x = 0, int y = 0, int width = 20, int height = 20);

    void update_content(bool rebuild) override;
    void render(tarv_bitmap& surface) override;
    bool animation_callback(int elapsed_ms) override;

    void set_sky_state(int outdoors, int sky_visible, int overcast, int terrain, int current_minute);

    // The tooltip the toolkit window shows; pushed to the peer on change.
    const std::string& tooltip() const { return tooltip_; }

    int outdoors = 0;
    int sky_visible = 0;
    int overcast = 0;
    int terrain = 0;  // kept for the server's sake; not drawn
    int current_minute = 0;

    float star_x[star_count];
    float star_y[star_count];
    int star_red[star_count];
    int star_green[star_count];
    int star_blue[star_count];

private:
    std::string tooltip_;
};
