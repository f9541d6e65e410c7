#include "automap/automap_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "config/config.h"
#include "draw/font.h"
#include "support/debug_log.h"
#include "support/random.h"
#include "support/util.h"

namespace {

constexpr int G = automap_grid_size;

const tarv_terrain_colors terrain_table[34] = {
    {{64, 64, 64}, {54, 54, 54}, {76, 76, 76}},  // 0 and every unknown type
    {{128, 90, 34}, {108, 76, 28}, {153, 108, 40}},
    {{0, 255, 0}, {0, 216, 0}, {0, 255, 0}},
    {{0, 192, 0}, {0, 163, 0}, {0, 230, 0}},
    {{0, 128, 0}, {0, 108, 0}, {0, 153, 0}},
    {{0, 64, 0}, {0, 54, 0}, {0, 76, 0}},
    {{64, 96, 128}, {54, 81, 108}, {76, 115, 153}},
    {{96, 160, 96}, {81, 136, 81}, {115, 192, 115}},
    {{240, 240, 32}, {204, 204, 27}, {255, 255, 38}},
    {{192, 192, 192}, {163, 163, 163}, {230, 230, 230}},
    {{128, 128, 128}, {108, 108, 108}, {153, 153, 153}},
    {{240, 240, 64}, {204, 204, 54}, {255, 255, 76}},
    {{128, 80, 128}, {108, 68, 108}, {153, 96, 153}},
    {{240, 240, 96}, {204, 204, 81}, {255, 255, 115}},
    {{64, 144, 64}, {54, 122, 54}, {76, 172, 76}},
    {{240, 240, 128}, {204, 204, 108}, {255, 255, 153}},
    {{32, 192, 64}, {27, 163, 54}, {38, 230, 76}},
    {{0, 0, 128}, {0, 0, 108}, {0, 0, 153}},
    {{0, 240, 240}, {0, 192, 240}, {128, 255, 255}},
    {{0, 32, 208}, {0, 27, 176}, {0, 38, 249}},
    {{0, 0, 96}, {0, 0, 81}, {0, 0, 115}},
    {{48, 48, 48}, {40, 40, 40}, {57, 57, 57}},
    {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
    {{216, 216, 216}, {192, 255, 255}, {216, 255, 255}},
    {{255, 32, 0}, {224, 0, 0}, {255, 160, 0}},
    {{128, 96, 96}, {108, 81, 81}, {153, 115, 115}},
    {{64, 64, 64}, {54, 54, 54}, {76, 76, 76}},
    {{144, 112, 64}, {122, 95, 54}, {172, 134, 76}},
    {{32, 160, 96}, {27, 136, 81}, {38, 192, 115}},
    {{240, 240, 160}, {204, 204, 136}, {255, 255, 192}},
    {{255, 255, 255}, {216, 216, 216}, {255, 255, 255}},
    {{0, 16, 160}, {0, 13, 136}, {0, 19, 192}},
    {{128, 128, 128}, {108, 108, 108}, {153, 153, 153}},
    {{0, 96, 0}, {0, 81, 0}, {0, 115, 0}},
};

constexpr tarv_color door_green{0, 128, 0};
constexpr tarv_color door_red{192, 0, 0};
constexpr tarv_color road_dark{92, 51, 23};
constexpr tarv_color road_light{131, 90, 34};

struct direction_info {
    const char* word;
    const char* label;
    int exit_bit;
};
const direction_info directions[11] = {
    {"", "", 0},
    {"east", "E", 4},
    {"southeast", "SE", 8},
    {"south", "S", 16},
    {"southwest", "SW", 32},
    {"west", "W", 64},
    {"northwest", "NW", 128},
    {"north", "N", 1},
    {"northeast", "NE", 2},
    {"down", "D", 512},
    {"up", "U", 256},
};

const char* const section_names[5] = {"1", "2", "2a", "2b", "3"};

// The random walk that makes roads wander across their row or column.
struct road_walk {
    int w = 3;
    int wobble = 1;
    void advance()
    {
        int r = std::rand() & 15;
        if (r <= 3 && w > 0) {
            w -= (w == 5) ? 2 : 1;
            if (w == 1) w = 0;
        } else if (r >= 12 && w < 6) {
            w += (w == 1) ? 2 : 1;
            if (w == 5) w = 6;
        }
        wobble = w <= 1 ? 0 : (w <= 4 ? 1 : 2);
    }
};

// Rounds half up, as the arrow shapes are specified.
int round_half_up(double v)
{
    return static_cast<int>(std::floor(v + 0.5));
}

// The parser's reading position over one payload.
struct payload_reader {
    const char* data;
    int length;
    int p = 1;
    bool ended = false;

    bool at_end() const { return p >= length; }
    int value() const { return static_cast<signed char>(data[p]); }

    // After a line's characters: its line feed and every following one.
    // A line the text cuts off, or one that runs on past its limit, is
    // logged with the character found (0 for the end of the text).
    void finish_line(int section, bool started)
    {
        if (at_end()) {
            if (started) bogus(section, 0);
            ended = true;
            return;
        }
        if (data[p] != '\n') {
            bogus(section, value());
            while (p < length && data[p] != '\n') ++p;
            if (at_end()) {
                ended = true;
                return;
            }
        }
        while (p < length && data[p] == '\n') ++p;
        if (at_end()) ended = true;
    }

    static void bogus(int section, int code)
    {
        TARV_LOG(2, "Error in tarv_automap_renderer::display_socket_data() - bogus char '%d' found in section %s.\n",
                 code, section_names[section]);
    }
};

}  // namespace

const tarv_terrain_colors& tarv_automap_terrain(int terrain)
{
    if (terrain < 1 || terrain > 33) return terrain_table[0];
    return terrain_table[terrain];
}

const char* tarv_automap_direction_word(int code)
{
    return code >= 1 && code <= 10 ? directions[code].word : "";
}

const char* tarv_automap_direction_label(int code)
{
    return code >= 1 && code <= 10 ? directions[code].label : "";
}

int tarv_automap_direction_exit_bit(int code)
{
    return code >= 1 && code <= 10 ? directions[code].exit_bit : 0;
}

tarv_arrow_colors tarv_automap_arrow_colors(bool hovered, bool exit)
{
    if (!hovered && !exit) return {{96, 96, 96}, {32, 32, 32}, {96, 96, 96}};
    if (!hovered) return {{255, 255, 255}, {32, 64, 32}, {255, 255, 255}};
    if (exit) return {{255, 255, 255}, {64, 160, 64}, {255, 255, 255}};
    return {{128, 128, 128}, {64, 32, 32}, {255, 255, 255}};
}

tarv_automap_renderer::tarv_automap_renderer(int cell_size, std::string name)
    : tarv_embedded_window(1, 22, 1, 1, std::move(name))
{
    set_cell_size_value(cell_size);
    set_size(view_size(), view_size());
    render_map();
}

bool tarv_automap_renderer::room_present(int x, int y) const
{
    return x >= 0 && x < G && y >= 0 && y < G && grid_[x][y].seed != 0;
}

void tarv_automap_renderer::clear_grid()
{
    for (auto& column : grid_)
        for (auto& c : column) c = tarv_automap_cell{};
}

// ---------------------------------------------------------------- payloads

void tarv_automap_renderer::queue_or_display(const char* data, int length)
{
    if (!data) data = "";
    if (length < 0) length = 0;
    if (animating())
        queue_socket_data(data, length);
    else
        display_socket_data(data, length);
}

void tarv_automap_renderer::queue_socket_data(const char* data, int length)
{
    if (length > automap_queue_item_max) {
        TARV_LOG(2, "queue_socket_data() - automap too big, got len %d.\n", length);
        length = automap_queue_item_max;
    }
    queue_.emplace_back(data, static_cast<std::size_t>(length));
}

void tarv_automap_renderer::display_socket_data(const char* data, int length)
{
    if (!data) data = "";
    if (length < 0) length = 0;
    clear_grid();
    sx = sy = 0;
    transition = 0;
    const char movement = length > 0 ? data[0] : 0;

    payload_reader in{data, length};
    in.ended = in.at_end();

    // Sections 1, 2, 2a and 2b: one character per boundary or corner.
    struct section {
        int lines, first_y, per_line, first_x;
    };
    const section sections[4] = {{12, 0, 11, 1}, {11, 1, 12, 0}, {12, 0, 12, 0}, {12, 0, 12, 0}};
    for (int s = 0; s < 4 && !in.ended; ++s) {
        const section& sec = sections[s];
        for (int line = 0; line < sec.lines && !in.ended; ++line) {
            const int y = sec.first_y + 2 * line;
            int i = 0;
            while (i < sec.per_line && !in.at_end() && data[in.p] != '\n') {
                const int v = in.value();
                std::int32_t& code = grid_[sec.first_x + 2 * i][y].code;
                if (s < 2)
                    code = v - 64;
                else if (s == 2)
                    code = v & 63;
                else
                    code |= (v & 63) << 16;
                ++in.p;
                ++i;
            }
            in.finish_line(s, i > 0);
        }
    }

    // Section 3: four characters per room.
    for (int line = 0; line < 11 && !in.ended; ++line) {
        const int y = 1 + 2 * line;
        int g = 0;
        bool cut = false;
        while (g < 11 && !in.at_end() && data[in.p] != '\n') {
            if (in.length - in.p < 4) {
                cut = true;
                break;
            }
            tarv_automap_cell& room = grid_[2 * g + 1][y];
            room.terrain = static_cast<signed char>(data[in.p]) - 64;
            room.features = static_cast<signed char>(data[in.p + 1]) - 64;
            room.seed = static_cast<signed char>(data[in.p + 2]) - 64;
            room.extra = static_cast<signed char>(data[in.p + 3]) - 64;
            in.p += 4;
            ++g;
        }
        if (cut) {
            payload_reader::bogus(4, 0);
            in.ended = true;
            break;
        }
        in.finish_line(4, g > 0);
    }

    // The transition character after the last room line.
    if (!in.ended && !in.at_end()) {
        const int t = static_cast<signed char>(data[in.p]) - 64;
        transition_direction = t;
        transition = t == 1 ? 1 : (t == 2 ? 9 : 0);
    }

    render_map();

    const int m = 2 * q_;
    switch (movement) {
    case 'A': sx = 0, sy = m; break;
    case 'B': sx = -m, sy = 0; break;
    case 'C': sx = 0, sy = -m; break;
    case 'D': sx = m, sy = 0; break;
    case 'E': sx = -m, sy = m; break;
    case 'F': sx = -m, sy = -m; break;
    case 'G': sx = m, sy = -m; break;
    case 'H': sx = m, sy = m; break;
    default: sx = sy = 0; break;
    }
    Refresh();
}

bool tarv_automap_renderer::walkfail(const char* data)
{
    if (sx != 0 || sy != 0 || transition != 0) return false;
    int d = -1;
    if (!parse_leading_int(data, &d) || d < 0 || d > 7) return false;
    const int b = 2 * q_ / 3;
    static const int shake[8][2] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}, {1, -1}, {1, 1}, {-1, 1}, {-1, -1}};
    sx = shake[d][0] * b;
    sy = shake[d][1] * b;
    arm();
    Refresh();
    return true;
}

void tarv_automap_renderer::clear_map()
{
    clear_grid();
    sx = sy = 0;
    transition = 0;
    queue_.clear();
    render_map();
    pressure = 0;
    Refresh();
}

// ---------------------------------------------------------------- the picture

void tarv_automap_renderer::set_cell_size_value(int q)
{
    q = std::clamp(q, automap_view_cell_min, automap_view_cell_max) | 1;
    if (q > automap_view_cell_max) q -= 2;
    if (q != q_ || !picture_.IsOk() || picture_.GetWidth() != 23 * q + 1) {
        q_ = q;
        picture_ = tarv_bitmap(23 * q + 1, 23 * q + 1);
        picture_.Clear(color_black);
    }
}

void tarv_automap_renderer::set_cell_size(int n)
{
    set_cell_size_value(n | 1);
    TConfig::instance().set_automap_size(q_);
    set_size(view_size(), view_size());
    render_map();
}

void tarv_automap_renderer::grow()
{
    set_cell_size(q_ + 2);
}

void tarv_automap_renderer::shrink()
{
    set_cell_size(q_ - 2 < automap_view_cell_min + 2 ? automap_view_cell_min : q_ - 2);
}

void tarv_automap_renderer::render_map()
{
    picture_.Clear(color_black);
    if (playing()) {
        terrain_pass();
        corner_pass();
        road_pass();
        marker_pass();
        boundary_pass();
    }
    arm();
}

void tarv_automap_renderer::arm()
{
    picture_ready = true;
    if (armed) armed();
}

void tarv_automap_renderer::terrain_pass()
{
    const int q = q_, h = q / 2;
    auto base = [this](int x, int y) {
        return room_present(x, y) ? tarv_automap_terrain(grid_[x][y].terrain).base : color_black;
    };

    for (int y = 1; y < G; y += 2)
        for (int x = 1; x < G; x += 2) {
            if (!room_present(x, y)) continue;
            const int left = x * q - h + 1, top = y * q - h + 1;
            picture_.DrawFilledRectangle(left, top, left + 2 * q - 1, top + 2 * q - 1, base(x, y));
        }

    for (int x = 1; x < G; x += 2)
        for (int y = 2; y <= 20; y += 2) {
            if (!room_present(x, y - 1) && !room_present(x, y + 1)) continue;
            picture_.DrawYGradientRectangle(x * q - h + 3, y * q + h, x * q + h + q - 1, y * q + h + 2,
                                            base(x, y - 1), base(x, y + 1));
        }

    for (int y = 1; y < G; y += 2)
        for (int x = 2; x <= 20; x += 2) {
            if (!room_present(x - 1, y) && !room_present(x + 1, y)) continue;
            picture_.DrawXGradientRectangle(x * q + h, y * q - h + 3, x * q + h + 2, y * q + h + q - 1,
                                            base(x - 1, y), base(x + 1, y));
        }

    for (int y = 2; y <= 20; y += 2)
        for (int x = 2; x <= 20; x += 2) {
            if (!room_present(x - 1, y - 1) && !room_present(x + 1, y - 1) && !room_present(x - 1, y + 1) &&
                !room_present(x + 1, y + 1))
                continue;
            const tarv_color tl = base(x - 1, y - 1), tr = base(x + 1, y - 1);
            const tarv_color bl = base(x - 1, y + 1), br = base(x + 1, y + 1);
            const int cx = x * q + h, cy = y * q + h;
            const int ctl[3] = {tl.red, tl.green, tl.blue}, ctr[3] = {tr.red, tr.green, tr.blue};
            const int cbl[3] = {bl.red, bl.green, bl.blue}, cbr[3] = {br.red, br.green, br.blue};
            for (int m = 0; m < 3; ++m)
                for (int k = 0; k < 3; ++k) {
                    if (cx + k >= picture_.GetWidth() || cy + m >= picture_.GetHeight()) continue;
                    std::uint8_t* px = picture_.pixel(cx + k, cy + m);
                    for (int c = 0; c < 3; ++c) {
                        const int l = ctl[c] + (m + 1) * ((cbl[c] - ctl[c]) / 4);
                        const int r = ctr[c] + (m + 1) * ((cbr[c] - ctr[c]) / 4);
                        px[c] = static_cast<std::uint8_t>(l + (k + 1) * ((r - l) / 4));
                    }
                }
        }

    const int s = 2 * q - 3;
    const int n = s * s / 32;
    for (int y = 1; y < G; y += 2)
        for (int x = 1; x < G; x += 2) {
            if (!room_present(x, y)) continue;
            const tarv_terrain_colors& colors = tarv_automap_terrain(grid_[x][y].terrain);
            std::srand(static_cast<unsigned>(grid_[x][y].seed));
            const int left = x * q - h + 2, top = y * q - h + 2;
            for (const tarv_color* color : {&colors.light, &colors.dark})
                for (int i = 0; i < n; ++i) {
                    const int a = std::rand(), b = std::rand();
                    picture_.SetPixel(left + (((a & 32767) * s) >> 15), top + (((b & 32767) * s) >> 15), *color);
                }
        }
}

void tarv_automap_renderer::corner_pass()
{
    const int q = q_, h = q / 2, h2 = h / 2;
    tarv_bitmap& p = picture_;
    auto code_at = [this](int x, int y) { return x >= 0 && x < G && y >= 0 && y < G ? grid_[x][y].code : 0; };
    auto base = [this](int x, int y) {
        return room_present(x, y) ? tarv_automap_terrain(grid_[x][y].terrain).base : color_black;
    };
    auto door = [](int code) { return code == AUTOMAP_DOOR_GREEN ? door_green : door_red; };

    for (int y = 0; y < G; y += 2)
        for (int x = 0; x < G; x += 2) {
            const int cx = x * q + h, cy = y * q + h;
            const int code = grid_[x][y].code;
            const int d1 = code & 63, d2 = (code >> 16) & 63;
            const bool tl = room_present(x - 1, y - 1), tr = room_present(x + 1, y - 1);
            const bool bl = room_present(x - 1, y + 1), br = room_present(x + 1, y + 1);
            const bool above = code_at(x, y - 1) != 0, below = code_at(x, y + 1) != 0;
            const bool left = code_at(x - 1, y) != 0, right = code_at(x + 1, y) != 0;
            bool passage = false;

            if (d1 != AUTOMAP_WALL && (tl || br)) {
                passage = true;
                const tarv_color a = base(x - 1, y - 1), b = base(x + 1, y + 1);
                bool upper_right = false;
                if (!tr || (above && right)) {
                    upper_right = true;
                    p.DrawLine(cx + 1, cy + 1 - h, cx + 1 + h, cy + 1, color_white);
                    p.DrawLine(cx + 2, cy + 1 - h, cx + 1 + h, cy, color_white);
                    p.DrawLine(cx + 3, cy + 1 - h, cx + 1 + h, cy - 1, color_white);
                    p.DrawLine(cx + 3, cy - h, cx + 2 + h, cy - 1, color_white);
                    for (int i = 0; i < h; ++i) p.DrawGradientLine(cx, cy + 1 - h + i, cx + 1 + h - i, cy + 2, a, b);
                }
                if (!bl || (below && left)) {
                    p.DrawLine(cx + 1 - h, cy + 1, cx + 1, cy + 1 + h, color_white);
                    p.DrawLine(cx + 1 - h, cy + 2, cx, cy + 1 + h, color_white);
                    p.DrawLine(cx + 1 - h, cy + 3, cx - 1, cy + 1 + h, color_white);
                    p.DrawLine(cx - h, cy + 3, cx - 1, cy + 2 + h, color_white);
                    for (int i = 0; i < h; ++i) p.DrawGradientLine(cx + 1 - h + i, cy, cx + 2, cy + 1 + h - i, a, b);
                    if (upper_right && (d1 == AUTOMAP_DOOR_GREEN || d1 == AUTOMAP_DOOR_RED)) {
                        p.DrawLine(cx + h2, cy + 2 - h2, cx + 2 - h2, cy + h2, door(d1));
                        p.DrawLine(cx + 1 + h2, cy + 2 - h2, cx + 2 - h2, cy + 1 + h2, door(d1));
                    }
                }
            }

            if (d2 != AUTOMAP_WALL && (tr || bl)) {
                passage = true;
                const tarv_color a = base(x + 1, y - 1), b = base(x - 1, y + 1);
                bool upper_left = false;
                if (!tl || (above && left)) {
                    upper_left = true;
                    p.DrawLine(cx + 1 - h, cy + 1, cx + 1, cy + 1 - h, color_white);
                    p.DrawLine(cx + 1 - h, cy, cx, cy + 1 - h, color_white);
                    p.DrawLine(cx + 1 - h, cy - 1, cx - 1, cy + 1 - h, color_white);
                    p.DrawLine(cx - h, cy - 1, cx - 1, cy - h, color_white);
                    for (int i = 0; i < h; ++i) p.DrawGradientLine(cx + 1 - h + i, cy + 2, cx + 2, cy + 1 - h + i, b, a);
                }
                if (!br || (below && right)) {
                    p.DrawLine(cx + 1, cy + 1 + h, cx + 1 + h, cy + 1, color_white);
                    p.DrawLine(cx + 2, cy + 1 + h, cx + 1 + h, cy + 2, color_white);
                    p.DrawLine(cx + 3, cy + 1 + h, cx + 1 + h, cy + 3, color_white);
                    p.DrawLine(cx + 3, cy + 2 + h, cx + 2 + h, cy + 3, color_white);
                    for (int t = cx + 1 + h; t >= cx + 2; --t) p.DrawGradientLine(cx, cy - cx + t, t, cy, b, a);
                    if (upper_left && (d2 == AUTOMAP_DOOR_GREEN || d2 == AUTOMAP_DOOR_RED)) {
                        p.DrawLine(cx + 2 - h2, cy + 2 - h2, cx + h2, cy + h2, door(d2));
                        p.DrawLine(cx + 2 - h2, cy + 1 - h2, cx + 1 + h2, cy + h2, door(d2));
                    }
                }
            }

            if (passage) continue;
            if (y > 0 && above) {
                p.DrawLine(cx, cy + 1 - h, cx, cy + 1, color_white);
                p.DrawLine(cx + 1, cy - h, cx + 1, cy + 2, color_white);
                p.DrawLine(cx + 2, cy + 1 - h, cx + 2, cy + 1, color_white);
            }
            if (y < G - 1 && below) {
                p.DrawLine(cx, cy + 1, cx, cy + 1 + h, color_white);
                p.DrawLine(cx + 1, cy, cx + 1, cy + 2 + h, color_white);
                p.DrawLine(cx + 2, cy + 1, cx + 2, cy + 1 + h, color_white);
            }
            if (x > 0 && left) {
                p.DrawLine(cx + 1 - h, cy, cx + 1, cy, color_white);
                p.DrawLine(cx - h, cy + 1, cx + 2, cy + 1, color_white);
                p.DrawLine(cx + 1 - h, cy + 2, cx + 1, cy + 2, color_white);
            }
            if (x < G - 1 && right) {
                p.DrawLine(cx + 1, cy, cx + 1 + h, cy, color_white);
                p.DrawLine(cx, cy + 1, cx + 2 + h, cy + 1, color_white);
                p.DrawLine(cx + 1, cy + 2, cx + 1 + h, cy + 2, color_white);
            }
        }
}

// A left-right road from column a to b along row `across` (or, vertical,
// a top-bottom road down column `across`).
void tarv_automap_renderer::straight_road(int a, int b, int across, bool paved, bool vertical)
{
    auto put = [&](int along, int at, const tarv_color& color) {
        if (vertical)
            picture_.SetPixel(at, along, color);
        else
            picture_.SetPixel(along, at, color);
    };
    road_walk walk;
    if (!paved) {
        for (int c = a; c < b; ++c) {
            const int row = (a + 1 < c && c < b - 2) ? across + 1 - walk.wobble : across;
            if ((std::rand() & 240) != 0) put(c, row, road_dark);
            walk.advance();
        }
        return;
    }
    put(a - 1, across, road_dark);
    for (int c = a; c < b; ++c) {
        const int row = across + 1 - walk.wobble;
        put(c, row - 1, road_light);
        put(c, row + 1, road_light);
        put(c, row, road_dark);
        walk.advance();
    }
    put(b, across - 1, road_light);
    put(b, across + 1, road_light);
    put(b, across, road_dark);
    put(b + 1, across, road_dark);
}

// A diagonal road of 2q steps up from a lower room's centre; step_x is +1
// toward the upper right, -1 toward the upper left.
void tarv_automap_renderer::diagonal_road(int from_x, int from_y, int step_x, bool paved)
{
    const int n = 2 * q_;
    if (paved) {
        // Light edges one pixel to either side of the centre line.
        picture_.DrawLine(from_x - step_x, from_y, from_x + step_x * n, from_y - n - 1, road_light);
        picture_.DrawLine(from_x, from_y + 1, from_x + step_x * (n + 1), from_y - n, road_light);
    }
    int px = from_x, py = from_y;
    for (int i = 0; i < n; ++i) {
        picture_.SetPixel(px, py, road_dark);
        if ((std::rand() & 1) == 0)
            picture_.SetPixel(px + step_x, py, road_dark);
        else
            picture_.SetPixel(px, py - 1, road_dark);
        px += step_x;
        --py;
    }
    picture_.SetPixel(px, py, road_dark);
}

void tarv_automap_renderer::road_pass()
{
    const int q = q_, h = q / 2;
    auto roadable = [this](int x, int y) { return room_present(x, y) && (grid_[x][y].features & 6) != 0; };
    auto paved = [this](int x1, int y1, int x2, int y2) {
        return (grid_[x1][y1].features & AUTOMAP_PAVED) && (grid_[x2][y2].features & AUTOMAP_PAVED);
    };

    for (int y = 1; y < G; y += 2)
        for (int x = 2; x <= 20; x += 2) {
            if (!roadable(x - 1, y) || !roadable(x + 1, y) || grid_[x][y].code == AUTOMAP_WALL) continue;
            std::srand(static_cast<unsigned>(grid_[x - 1][y].seed ^ grid_[x + 1][y].seed));
            const int a = x * q + h + 1 - q;
            straight_road(a, a + 2 * q, y * q + h + 1, paved(x - 1, y, x + 1, y), false);
        }

    for (int x = 1; x < G; x += 2)
        for (int y = 2; y <= 20; y += 2) {
            if (!roadable(x, y - 1) || !roadable(x, y + 1) || grid_[x][y].code == AUTOMAP_WALL) continue;
            std::srand(static_cast<unsigned>((grid_[x][y - 1].seed * 2) ^ grid_[x][y + 1].seed));
            const int a = y * q + h + 1 - q;
            straight_road(a, a + 2 * q, x * q + h + 1, paved(x, y - 1, x, y + 1), true);
        }

    // Each diagonal road follows the passage it runs through: upper left to
    // lower right is the corner's low code, upper right to lower left its
    // high code.
    for (int y = 2; y <= 20; y += 2)
        for (int x = 2; x <= 22; x += 2) {
            const int code = grid_[x][y].code;
            const int d1 = code & 63, d2 = (code >> 16) & 63;
            const int cx = x * q + h, cy = y * q + h;
            const bool has_tr = room_present(x + 1, y - 1), has_bl = room_present(x - 1, y + 1);
            const int seed = ((has_tr ? grid_[x + 1][y - 1].seed : 0) * 2) ^ (has_bl ? grid_[x - 1][y + 1].seed : 0);
            if (d2 != AUTOMAP_WALL && roadable(x + 1, y - 1) && roadable(x - 1, y + 1)) {
                std::srand(static_cast<unsigned>(seed));
                diagonal_road(cx + 1 - q, cy + 1 + q, 1, paved(x + 1, y - 1, x - 1, y + 1));
            }
            if (d1 != AUTOMAP_WALL && roadable(x - 1, y - 1) && roadable(x + 1, y + 1)) {
                std::srand(static_cast<unsigned>(seed));
                diagonal_road(cx + 1 + q, cy + 1 + q, -1, paved(x - 1, y - 1, x + 1, y + 1));
            }
        }
}

void tarv_automap_renderer::marker_pass()
{
    const int q = q_, h = q / 2;
    const int r = q - 2, s = q / 3;
    const double pi = 3.14159265358979323846;
    for (int y = 1; y < G; y += 2)
        for (int x = 1; x < G; x += 2) {
            if (!room_present(x, y)) continue;
            const int features = grid_[x][y].features;
            const int X = x * q + h + 1, Y = y * q + h + 1;
            if (features & AUTOMAP_STAR) {
                auto point = [&](int degrees, int* px, int* py) {
                    const double t = degrees * pi / 180.0;
                    *px = X - static_cast<int>(std::lround(r * std::sin(t)));
                    *py = Y - static_cast<int>(std::lround(r * std::cos(t)));
                };
                int x1, y1;
                point(0, &x1, &y1);
                for (int step = 1; step <= 8; ++step) {
                    int x2, y2;
                    point((step * 135) % 360, &x2, &y2);
                    picture_.DrawLine(x1, y1, x2, y2, color_black);
                    x1 = x2;
                    y1 = y2;
                }
                continue;
            }
            if (features & AUTOMAP_CHEVRON_UP)
                for (int k = 0; k < 2; ++k) {
                    picture_.DrawLine(X, Y - r + k, X - s, Y - r + k + s, color_black);
                    picture_.DrawLine(X, Y - r + k, X + s, Y - r + k + s, color_black);
                }
            if (features & AUTOMAP_CHEVRON_DOWN)
                for (int k = 0; k < 2; ++k) {
                    picture_.DrawLine(X, Y + r - k, X - s, Y + r - k - s, color_black);
                    picture_.DrawLine(X, Y + r - k, X + s, Y + r - k - s, color_black);
                }
        }
}

void tarv_automap_renderer::boundary_pass()
{
    const int q = q_, h = q / 2;
    for (int y = 0; y < G; ++y)
        for (int x = (y % 2 == 0) ? 1 : 0; x < G; x += 2) {
            const int code = grid_[x][y].code;
            if (code < AUTOMAP_DOOR_GREEN || code > AUTOMAP_WALL) continue;
            const tarv_color& door = code == AUTOMAP_DOOR_GREEN ? door_green : door_red;
            const int bx = x * q, by = y * q;
            if (y % 2 == 0) {  // between an upper and a lower room
                if (code == AUTOMAP_WALL) {
                    picture_.DrawLine(bx + 1, by + h, bx + q, by + h, color_white);
                    picture_.DrawLine(bx, by + h + 1, bx + q + 1, by + h + 1, color_white);
                    picture_.DrawLine(bx + 1, by + h + 2, bx + q, by + h + 2, color_white);
                } else {
                    picture_.DrawLine(bx + 1, by + h + 1, bx + q, by + h + 1, door);
                }
            } else {  // between a left and a right room
                if (code == AUTOMAP_WALL) {
                    picture_.DrawLine(bx + h, by + 1, bx + h, by + q, color_white);
                    picture_.DrawLine(bx + h + 1, by, bx + h + 1, by + q + 1, color_white);
                    picture_.DrawLine(bx + h + 2, by + 1, bx + h + 2, by + q, color_white);
                } else {
                    picture_.DrawLine(bx + h + 1, by + 1, bx + h + 1, by + q, door);
                }
            }
        }
}

// ---------------------------------------------------------------- the view

void tarv_automap_renderer::render(tarv_bitmap& s)
{
    const int V = view_size();
    if (!playing()) {
        s.Clear(color_black);
        return;
    }
    if (transition != 0) {
        s.Clear(color_black);
        for (int k = 0; k < 3; ++k) {
            const int a = V / 2 - transition * q_ + k, b = V / 2 + transition * q_ - k;
            s.DrawLine(a, a, b, a, color_white);
            s.DrawLine(a, a, a, b, color_white);
            s.DrawLine(a, b, b + 1, b, color_white);
            s.DrawLine(b, a, b, b + 1, color_white);
        }
        return;
    }
    const int M = 23 * q_;
    s.DrawBitmap(picture_, V / 2 - M / 2 - sx - 1, V / 2 - M / 2 - sy - 1);

    const int c = V / 2, hq = q_ / 2;
    tarv_color marker = color_white;
    if (room_present(11, 11)) {
        const tarv_color& b = tarv_automap_terrain(grid_[11][11].terrain).base;
        marker = {b.red < 176 ? 255 : 0, b.green < 176 ? 255 : 0, b.blue < 176 ? 255 : 0};
    }
    for (int r : {hq, hq - 1}) {
        s.DrawLine(c, c - r, c + r, c, marker);
        s.DrawLine(c + r, c, c, c + r, marker);
        s.DrawLine(c, c + r, c - r, c, marker);
        s.DrawLine(c - r, c, c, c - r, marker);
    }
    if (pointer_inside) draw_arrows(s);
}

void tarv_automap_renderer::draw_arrows(tarv_bitmap& s)
{
    const int V = view_size();
    const int c = V / 2;
    const int d = V * 41 / 100, e = d * 71 / 100;
    const int p = V * 92 / 100;
    const int small = V * 20 / 250, large = V / 10;
    struct arrow {
        int code, x, y, angle, size;
    };
    const arrow arrows[10] = {
        {7, c, c - d, 0, small},          {3, c, c + d, 180, small},       {1, c + d, c, 90, small},
        {5, c - d, c, 270, small},        {9, p, p, 180, small},           {10, p, V * 8 / 100, 0, small},
        {6, c - e, c - e, -45, large},    {8, c + e, c - e, 45, large},    {4, c - e, c + e, -135, large},
        {2, c + e, c + e, 135, large},
    };
    const double pi = 3.14159265358979323846;
    for (const arrow& a : arrows) {
        const int u = a.size / 4;
        const double t = a.angle * pi / 180.0;
        const int ax = round_half_up(u * std::cos(t)), ay = round_half_up(u * std::sin(t));
        const int bx = round_half_up(-u * std::sin(t)), by = round_half_up(u * std::cos(t));
        const tarv_point points[7] = {
            {-4 * bx, -4 * by},          {4 * ax, 4 * ay},
            {2 * ax, 2 * ay},            {2 * ax + 3 * bx, 2 * ay + 3 * by},
            {-2 * ax + 3 * bx, -2 * ay + 3 * by}, {-2 * ax, -2 * ay},
            {-4 * ax, -4 * ay},
        };
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                if (dx == 0 && dy == 0) continue;
                for (int i = 0; i < 7; ++i) {
                    const tarv_point& from = points[i];
                    const tarv_point& to = points[(i + 1) % 7];
                    s.DrawLine(a.x + from.x + dx, a.y + from.y + dy, a.x + to.x + dx, a.y + to.y + dy, color_black);
                }
            }
        const bool exit = (exit_mask & tarv_automap_direction_exit_bit(a.code)) != 0;
        const tarv_arrow_colors colors = tarv_automap_arrow_colors(hovered == a.code, exit);
        s.DrawPolygon(7, points, a.x, a.y, colors.outline, colors.fill);
        if (text_font) {
            const char* label = tarv_automap_direction_label(a.code);
            int w = 0, h = 0;
            text_font->GetTextExtent(label, &w, &h);
            s.DrawTextTransparent(*text_font, label, a.x - w / 2, a.y - h / 2, colors.label);
        }
    }
}

int tarv_automap_renderer::direction_at(int px, int py) const
{
    const int V = view_size();
    if (px >= V * 84 / 100) {
        if (py >= V * 84 / 100) return 9;
        if (py <= V * 16 / 100) return 10;
    }
    const int dx = px - V / 2, dy = py - V / 2;
    if (std::abs(dx) <= q_ + 1 && std::abs(dy) <= q_ + 1) return 0;
    const double pi = 3.14159265358979323846;
    const int base = static_cast<int>(std::lround(std::atan(std::fabs(dy / (dx + 0.001))) * 180.0 / pi));
    int a;
    if (dx >= 0 && dy >= 0)
        a = base;
    else if (dx < 0 && dy >= 0)
        a = 180 - base;
    else if (dx < 0)
        a = 180 + base;
    else
        a = 360 - base;
    int code = (a + 22) / 45 + 1;
    return code == 9 ? 1 : code;
}

void tarv_automap_renderer::on_mouse(const tarv_mouse_event& event)
{
    if (!playing()) return;
    const int under = direction_at(event.x, event.y);
    switch (event.type) {
    case tarv_mouse_event::ENTER:
    case tarv_mouse_event::LEAVE:
        pointer_inside = event.type == tarv_mouse_event::ENTER;
        hovered = under;
        Refresh();
        return;
    case tarv_mouse_event::LEFT_DOWN:
        if (under != 0 && send_command) send_command(tarv_automap_direction_word(under));
        break;
    default: break;
    }
    // Motion reaches the view before (or without) an enter event.
    if (event.type == tarv_mouse_event::MOTION) pointer_inside = true;
    if (under != hovered) {
        hovered = under;
        Refresh();
    }
}

void tarv_automap_renderer::animation_step()
{
    if (!picture_ready) return;
    int b = (q_ + tarv_random_below(4)) / 4 + pressure;
    if (b < 1) b = 1;
    auto toward_zero = [b](int v) { return v > 0 ? std::max(0, v - b) : std::min(0, v + b); };
    sx = toward_zero(sx);
    sy = toward_zero(sy);
    if (transition != 0) {
        if (transition_direction == 1)
            transition = transition < 9 ? transition + 1 : 0;
        else
            --transition;
    }
    Refresh();
    if (animating()) return;
    if (!queue_.empty()) {
        std::string next = std::move(queue_.front());
        queue_.pop_front();
        display_socket_data(next.data(), static_cast<int>(next.size()));
        if (queue_.size() >= 2)
            ++pressure;
        else if (queue_.size() == 1 && pressure > 1)
            --pressure;
    } else {
        if (pressure > 0) --pressure;
        picture_ready = false;
    }
}
