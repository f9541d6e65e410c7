#include "panels/sky_bar.h"

#include <algorithm>

#include "support/random.h"

namespace {

// A position on the band 2W wide, moved right by the time shift.
long long band_x(long long position, long long shift, long long band)
{
    long long x = position + shift;
    return x > band ? x - band : x;
}

}  // namespace

tarv_sky_bar::tarv_sky_bar(int x, int y, int width, int height)
    : tarv_embedded_window(x, y, width, height, "sky bar"),
      tooltip_("The current view of the sky is displayed here.")
{
    for (int i = 0; i < star_count; ++i) {
        star_x[i] = tarv_random_unit();
        star_y[i] = tarv_random_unit();
        int b = 192 + tarv_random_below(64);
        if (tarv_random_int() & 3) {
            // Three in four are bluish white.
            star_blue[i] = b;
            star_green[i] = (3 * star_blue[i] + tarv_random_below(star_blue[i])) / 4;
            star_red[i] = (3 * star_green[i] + tarv_random_below(star_green[i])) / 4;
        } else {
            star_red[i] = b;
            star_green[i] = (star_red[i] + 3 * tarv_random_below(star_red[i])) / 4;
            star_blue[i] = (star_green[i] + 3 * tarv_random_below(star_green[i])) / 4;
        }
    }
}

void tarv_sky_bar::update_content(bool)
{
    Refresh();
}

bool tarv_sky_bar::animation_callback(int)
{
    Refresh();
    return true;
}

void tarv_sky_bar::set_sky_state(int outdoors_, int sky_visible_, int overcast_, int terrain_, int minute)
{
    outdoors = outdoors_;
    sky_visible = sky_visible_;
    overcast = overcast_;
    terrain = terrain_;
    current_minute = minute;
    const char* text;
    if (!sky_visible)
        text = "You can't see the sky from here.";
    else if (overcast)
        text = outdoors ? "It is cloudy and overcast." : "You can see the overcast sky from here.";
    else
        text = outdoors ? "The sky is clear." : "You can see the clear sky from here.";
    if (tooltip_ != text) {
        tooltip_ = text;
        if (peer()) peer()->peer_set_tooltip(tooltip_);
    }
    Refresh();
}

void tarv_sky_bar::render(tarv_bitmap& s)
{
    const int W = s.GetWidth();
    const int H = s.GetHeight();
    if (!sky_visible) {
        s.Clear(color_black);
        const tarv_color edge{160, 160, 160};
        s.DrawLine(0, 0, 0, H, edge);
        s.DrawLine(W - 1, 0, W - 1, H, edge);
        return;
    }

    const bool dim = overcast || !outdoors;
    const int L = dim ? 208 : 255;
    // A minute from the server may lie outside the day; the arithmetic below
    // stays in range for any int, and the picture treats it like night.
    const long long m = current_minute;
    int R = 0, G = 0, B = 0, k = 0;
    if (m < 360 || m >= 1200) {
        k = L;
    } else if (m < 435 || m >= 1125) {
        const int h = static_cast<int>(m < 435 ? m - 360 : 1200 - m);
        B = h * L / 75;
        R = B / 3;
        G = 2 * B / 3;
        k = L - B;
    } else {
        B = L;
        R = L / 3;
        G = 2 * L / 3;
    }
    if (dim) k /= 2;
    const tarv_color sky{R, G, B};
    s.Clear(sky);

    const long long band = 2LL * W;
    const long long shift = band * m / minutes_per_day;

    int c = -1;
    const bool morning = m >= 330 && m < 480;
    const bool evening = m >= 1050 && m < 1230;
    if (morning) c = static_cast<int>(510 * (m - 330) / 150);
    if (evening) c = static_cast<int>(510 * (1230 - m) / 180);
    if (c > 255) c = 510 - c;
    if (morning || evening) {
        const tarv_color glow{std::max(c, R), std::max(c / 2, G), std::max(c / 3, B)};
        if (morning)
            s.DrawXGradientRectangle(0, 0, W / 8, H, glow, sky);
        else
            s.DrawXGradientRectangle(W - W / 8, 0, W - 1, H, sky, glow);
    }

    for (int i = 0; i < star_count; ++i) {
        const long long x = band_x(static_cast<long long>(band * star_x[i]), shift, band);
        if (x >= W) continue;
        const int y = static_cast<int>(2.0f * H * star_y[i]);
        const tarv_color star{std::max(star_red[i] * k / L, R), std::max(star_green[i] * k / L, G),
                              std::max(star_blue[i] * k / L, B)};
        s.SetPixel(static_cast<int>(x), y, star);
    }

    const int cy = H / 2;
    const int r = H / 5;
    auto body = [&](long long position, const tarv_color& rim, const tarv_color& core) {
        long long cx = band_x(position, shift, band);
        // Far outside the surface either way; keeps the value an int.
        cx = std::clamp<long long>(cx, -4LL * W - r - 2, 4LL * W + r + 2);
        s.DrawFilledCircle(static_cast<int>(cx), cy, r + 1, rim);
        s.DrawFilledCircle(static_cast<int>(cx), cy, r, core);
    };
    if (dim) {
        body(2052LL * W / minutes_per_day, {208, 208, 208}, {224, 224, 224});
        body(612LL * W / minutes_per_day, {128, 128, 128}, {192, 192, 192});
    } else {
        body(2052LL * W / minutes_per_day, {255, 255, 0}, color_white);
        body(612LL * W / minutes_per_day, {192, 192, 192}, color_white);
    }

    s.DrawLine(0, 0, 0, H, color_white);
    s.DrawLine(W - 1, 0, W - 1, H, color_white);
}
