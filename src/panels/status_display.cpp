#include "panels/status_display.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "draw/font.h"
#include "draw/images.h"
#include "support/debug_log.h"

namespace {

int text_width(const char* text)
{
    int w = 0;
    if (panel_font) panel_font->GetTextExtent(text, &w, nullptr);
    return w;
}

int text_height(const char* text)
{
    int h = 0;
    if (panel_font) panel_font->GetTextExtent(text, nullptr, &h);
    return h;
}

void draw_text(tarv_bitmap& s, const std::string& text, int x, int y, const tarv_color& color)
{
    if (panel_font && !text.empty()) s.DrawTextTransparent(*panel_font, text.c_str(), x, y, color);
}

std::string printf_text(const char* pattern, int a, int b = 0)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, pattern, a, b);
    return buffer;
}

// bar width x value / maximum, kept within 0 ... bar width.
int bar_fill(int width, long long value, long long maximum)
{
    if (maximum < 1) maximum = 1;
    long long fill = static_cast<long long>(width) * value / maximum;
    return static_cast<int>(std::clamp<long long>(fill, 0, std::max(width, 0)));
}

// The label sets of formats 0 to 2: hp, mana, move, exp.
const char* const label_sets[3][4] = {
    {" hp:0000/0000   ", " mana:0000/0000   ", " move:0000/0000   ", " exp: FULL "},
    {" hp:0000/0000 ", " mn:0000/0000 ", " mv:0000/0000 ", " xp: FULL"},
    {" hp:0000  ", " mn:0000  ", " mv:0000  ", " xp: FULL"},
};

const tarv_color hp_fill{128, 0, 0}, hp_edge{255, 32, 32};
const tarv_color mana_fill{0, 64, 160}, mana_edge{64, 96, 255};
const tarv_color move_fill{160, 160, 0}, move_edge{255, 255, 64};
const tarv_color enemy_fill{128, 64, 32}, enemy_edge{255, 128, 64};

// Marks are drawn one by one while there are few; beyond this many (a huge
// maximum from the server) they are gathered per pixel column, with the same
// picture, so a paint never loops over millions of marks.
constexpr long long direct_mark_limit = 1000;

}  // namespace

void draw_status_bar(tarv_bitmap& s, int x, int y, int width, int height, int fill, const tarv_color& fill_color,
                     const tarv_color& edge_color)
{
    s.DrawLine(x, y, x, y + height + 1, color_white);
    s.DrawLine(x + width + 1, y, x + width + 1, y + height + 1, color_white);
    s.DrawLine(x, y + height / 2 + 1, x + width, y + height / 2 + 1, color_white);
    if (fill <= 0) return;
    s.DrawFilledRectangle(x + 1, y + 1, x + fill, y + height, fill_color);
    s.DrawLine(x + 1, y + 1, x + fill, y + 1, edge_color);
    s.DrawLine(x + 1, y + height, x + fill, y + height, edge_color);
    if (fill != width) {
        s.SetPixel(x + fill, y + 1, color_black);
        s.SetPixel(x + fill, y + height, color_black);
    }
}

// The common base.

tarv_status_display_base::tarv_status_display_base(int x, int y, int width, int height, std::string name)
    : tarv_embedded_window(x, y, width, height, std::move(name))
{
}

void tarv_status_display_base::draw_panel_edges(tarv_bitmap& s, int width, int height)
{
    if (flash_remaining > 0) {
        const tarv_color c = (flash_remaining & 1) ? color_white : color_black;
        s.DrawEdges(width, height, edge_flags | EDGE_TOP, &c);
    } else {
        s.DrawEdges(width, height, edge_flags, nullptr);
    }
}

void tarv_status_display_base::set_tooltip(const std::string& text)
{
    if (text == tooltip_) return;
    tooltip_ = text;
    if (peer()) peer()->peer_set_tooltip(tooltip_);
}

// The status display.

tarv_status_display::tarv_status_display(tarv_status_values& values_, int x, int y, int width, int height)
    : tarv_status_display_base(x, y, width, height, "main status display"), values(values_)
{
    update_content(false);
}

void tarv_status_display::reset_values()
{
    values.reset_status_display();
    Show(false);
}

void tarv_status_display::set_bars(bool hp, bool exp, bool enemy)
{
    show_hp_bars = hp;
    show_exp = exp;
    show_enemy = enemy;
    update_content(false);
}

void tarv_status_display::update_content(bool)
{
    const int W = width();
    const int H = height();
    int widths[3][4];
    for (int f = 0; f < 3; ++f)
        for (int c = 0; c < 4; ++c) widths[f][c] = text_width(label_sets[f][c]);

    auto place_columns = [&](int f, int t) {
        layout_format = f;
        bar_width = t;
        column_x[HP] = 10;
        column_x[MANA] = 10 + t + widths[f][HP];
        column_x[MOVE] = column_x[MANA] + t + widths[f][MANA];
        column_x[EXP] = column_x[MOVE] + t + widths[f][MOVE];
    };

    if (show_hp_bars && show_exp && !show_enemy) {
        bool placed = false;
        for (int f = 0; f < 3 && !placed; ++f) {
            const int t = (W - widths[f][0] - widths[f][1] - widths[f][2] - widths[f][3] - 20) / 4;
            if (t > W / 10) {
                place_columns(f, t);
                placed = true;
            }
        }
        if (!placed) {
            layout_format = BARS_ONLY;
            const int m = (W - 50) / 4;
            bar_width = m < 15 ? 15 : m;
            const int step = m < 15 ? 25 : m + 10;
            for (int c = 0; c < 4; ++c) column_x[c] = 10 + c * step;
        }
    } else if (show_exp && !show_hp_bars && !show_enemy) {
        layout_format = FULL;
        bar_width = 2 * W / 3;
        column_x[HP] = column_x[MANA] = column_x[MOVE] = column_x[EXP] = 10;
    } else {
        bool placed = false;
        for (int f = 0; f < 3 && !placed; ++f) {
            const int t = (W - widths[f][0] - widths[f][1] - widths[f][2] - 20) / 3;
            if (t > W / 7) {
                place_columns(f, t);
                column_x[EXP] = column_x[MOVE];
                placed = true;
            }
        }
        if (!placed) {
            layout_format = BARS_ONLY;
            const int m = (W - 50) / 3;
            bar_width = m < 15 ? 15 : m;
            const int step = m < 15 ? 25 : m + 10;
            for (int c = 0; c < 3; ++c) column_x[c] = 10 + c * step;
            column_x[EXP] = column_x[MOVE];
        }
    }

    const int th = text_height(" hp:0000/0000 ");
    if (show_enemy && show_hp_bars) {
        bar_height = H / 4;
        bar_y_upper = H / 8;
        bar_y_lower = H / 8 + H / 2;
        text_y_upper = (H / 2 - th) / 2;
        text_y_lower = text_y_upper + H / 2;
    } else {
        bar_height = H / 2;
        bar_y_upper = bar_y_lower = H / 4;
        text_y_upper = text_y_lower = (H - th) / 2;
    }
    Refresh();
}

std::string tarv_status_display::hp_label() const
{
    if (!show_hp_bars || layout_format == BARS_ONLY) return {};
    if (layout_format == MINI) return printf_text(" hp:%4d", values.hp);
    return printf_text(" hp:%4d/%d", values.hp, values.hp_max);
}

std::string tarv_status_display::mana_label() const
{
    if (!show_hp_bars || layout_format == BARS_ONLY) return {};
    if (layout_format == FULL) return printf_text(" mana:%4d/%d", values.mana, values.mana_max);
    if (layout_format == COMPACT) return printf_text(" mn:%4d/%d", values.mana, values.mana_max);
    return printf_text(" mn:%4d", values.mana);
}

std::string tarv_status_display::move_label() const
{
    if (!show_hp_bars || layout_format == BARS_ONLY) return {};
    if (layout_format == FULL) return printf_text(" move:%4d/%d", values.move, values.move_max);
    if (layout_format == COMPACT) return printf_text(" mv:%4d/%d", values.move, values.move_max);
    return printf_text(" mv:%4d", values.move);
}

std::string tarv_status_display::exp_label() const
{
    if (!show_exp || layout_format == BARS_ONLY) return {};
    int p = values.exp[0] / 10;
    if (p < 0) p = 0;
    const char* word = layout_format == FULL ? "exp" : "xp";
    if (p >= 100) return std::string(" ") + word + ": FULL";
    return std::string(" ") + word + printf_text(": %d%%", p);
}

std::string tarv_status_display::enemy_label() const
{
    if (!show_enemy) return {};
    return " " + values.enemy_name;
}

void tarv_status_display::draw_value_bar(tarv_bitmap& s, int column, int value, int maximum, const tarv_color& fill,
                                         const tarv_color& edge)
{
    const int x = column_x[column];
    const int bw = bar_width;
    const int by = bar_y_lower;
    const int bh = bar_height;
    draw_status_bar(s, x - 1, by - 1, bw, bh, bar_fill(bw, value, maximum), fill, edge);

    // A mark every 100 points below the maximum: white where not reached,
    // two edge pixels where reached.
    const long long max = maximum;
    if (max <= 100) return;
    auto reached = [&](int px) {
        s.SetPixel(px, by - 1, edge);
        s.SetPixel(px, by + bh + 1, fill);
    };
    auto open = [&](int px) { s.DrawLine(px, by + bh / 2 - 1, px, by + bh / 2 + 1, color_white); };
    if (bw <= 0) return;
    const long long count = (max - 1) / 100;
    if (count <= direct_mark_limit) {
        for (long long v = 100; v < max; v += 100) {
            const int px = static_cast<int>(v * bw / max + x);
            if (v > value) open(px);
            else reached(px);
        }
        return;
    }
    // Per column d: the marks v with v * bw / max == d are the multiples of
    // 100 in [ceil(d * max / bw), ceil((d + 1) * max / bw) - 1]. Reached marks
    // come before open ones, as in the loop above.
    auto ceil_div = [](long long a, long long b) { return (a + b - 1) / b; };
    for (long long d = 0; d < bw; ++d) {
        long long lo = std::max(100LL, ceil_div(d * max, bw));
        long long hi = std::min(max - 1, ceil_div((d + 1) * max, bw) - 1);
        lo = ceil_div(lo, 100) * 100;
        hi = hi / 100 * 100;
        if (lo > hi) continue;
        const int px = static_cast<int>(d + x);
        if (lo <= value) reached(px);
        if (hi > value) open(px);
    }
}

void tarv_status_display::render(tarv_bitmap& s)
{
    const int W = s.GetWidth();
    const int H = s.GetHeight();
    s.Clear(color_black);
    draw_panel_edges(s, W, H);

    const int bw = bar_width;
    draw_text(s, hp_label(), column_x[HP] + bw + 1, text_y_lower, color_white);
    draw_text(s, mana_label(), column_x[MANA] + bw + 1, text_y_lower, color_white);
    draw_text(s, move_label(), column_x[MOVE] + bw + 1, text_y_lower, color_white);
    draw_text(s, exp_label(), column_x[EXP] + bw + 1, text_y_upper, color_white);
    draw_text(s, enemy_label(), column_x[HP] + bw + 1, text_y_upper, color_white);

    if (show_hp_bars) {
        draw_value_bar(s, HP, values.hp, values.hp_max, hp_fill, hp_edge);
        draw_value_bar(s, MANA, values.mana, values.mana_max, mana_fill, mana_edge);
        draw_value_bar(s, MOVE, values.move, values.move_max, move_fill, move_edge);
    }
    if (show_enemy) {
        const int fill = bar_fill(bw, values.enemy_percent, 100);
        draw_status_bar(s, column_x[HP] - 1, bar_y_upper - 1, bw, bar_height, fill, enemy_fill, enemy_edge);
    }
    if (show_exp) {
        const int x = column_x[EXP];
        const int y = bar_y_upper;
        draw_status_bar(s, x - 1, y - 1, bw, bar_height, 0, color_black, color_black);
        for (int i = 0; i < tarv_status_values::exp_count && values.exp[i] != 0; ++i) {
            const int length = bar_fill(bw, values.exp[i], 1000);
            if (length <= 0) continue;
            const int v = std::min(192, (32 * i + 48) % 256);
            const int e = v < 160 ? v + 96 : 255;
            s.DrawFilledRectangle(x, y, x + length - 1, y + bar_height - 1, tarv_color{v, 0, v});
            s.DrawLine(x, y, x + length - 1, y, tarv_color{e, 0, e});
            s.DrawLine(x, y + bar_height - 1, x + length - 1, y + bar_height - 1, tarv_color{e, 0, e});
        }
    }
}

std::string tarv_status_display::tooltip_at(int x, int y) const
{
    auto over = [&](int column, int bar_y) {
        return x >= column_x[column] && x <= column_x[column] + bar_width && y >= bar_y && y <= bar_y + bar_height;
    };
    if (show_hp_bars) {
        if (over(HP, bar_y_lower)) return "Your current health.";
        if (over(MANA, bar_y_lower)) return "Your current mana.";
        if (over(MOVE, bar_y_lower)) return "Your current movement.";
    }
    if (show_enemy && over(HP, bar_y_upper)) return "Your current enemy's health.";
    if (show_exp && over(EXP, bar_y_upper)) return "Your accumulated experience towards your next level.";
    return {};
}

void tarv_status_display::on_mouse(const tarv_mouse_event& event)
{
    set_tooltip(tooltip_at(event.x, event.y));
}

// The status bar.

tarv_status_bar::tarv_status_bar(tarv_status_values& values_, int x, int y, int width, int height)
    : tarv_status_display_base(x, y, width, height, "main status bar"), values(values_), sky_bar(100, 1, 20, 19)
{
    edge_flags = 15;
    update_content(false);
}

void tarv_status_bar::update_content(bool)
{
    const int W = width();
    const int H = height();
    lock_x = W - lock_width;
    text_y = (H - text_height("00000 ms")) / 2;
    ping_right = lock_x - 10;
    ping_left = ping_right - text_width("00000 ms");
    time_right = ping_left - 10;
    time_left = time_right - text_width("00:00 pm");
    right_edge = W;
    if (time_left > 130) {
        sky_bar.set_geometry(100, 1, time_left - 110, H - 2);
    } else {
        // Too narrow: the right-hand items move right so the time starts at 131.
        const int shift = 131 - time_left;
        lock_x += shift;
        ping_left += shift;
        ping_right += shift;
        time_left += shift;
        time_right += shift;
        right_edge += shift;
        sky_bar.set_geometry(100, 1, 21, H - 2);
    }
    Refresh();
}

void tarv_status_bar::render(tarv_bitmap& s)
{
    s.Clear(color_black);
    if (values.ping_count > 0) {
        char text[32];
        std::snprintf(text, sizeof text, "%5d ms", values.ping_average);
        draw_text(s, text, ping_left, text_y, color_green);
    }
    if (!time_text.empty()) draw_text(s, time_text, time_right - text_width(time_text.c_str()), text_y, time_color);
    if (locked())
        if (const tarv_bitmap* lock = tarv_builtin_image(IMAGE_LOCK)) s.DrawBitmapNukeAlpha(*lock, lock_x, 0);
    for (int i = 0; i < tarv_status_values::icon_count; ++i)
        if (values.icons[i])
            if (const tarv_bitmap* icon = tarv_builtin_image(IMAGE_STATUS_NO_FIGHTING + i))
                s.DrawBitmapNukeAlpha(*icon, 2 + icon_step * i, 2);
    draw_panel_edges(s, s.GetWidth(), s.GetHeight());
}

void tarv_status_bar::on_mouse(const tarv_mouse_event& event)
{
    static const char* const icon_tips[tarv_status_values::icon_count] = {
        "You are not wielding anything.", "You are asleep.", "Spell 'burning hands'", "Spell 'shocking grasp'",
        "Spell 'sickening touch'"};
    const int x = event.x;
    const bool over_lock = x >= lock_x && x < lock_x + lock_width;
    if (locked() && event.left_down && over_lock) {
        if (unlock_scrollback) unlock_scrollback();
        Refresh();
        return;
    }
    for (int i = 0; i < tarv_status_values::icon_count; ++i) {
        if (x >= 2 + icon_step * i && x <= 19 + icon_step * i) {
            set_tooltip(values.icons[i] ? icon_tips[i] : "");
            return;
        }
    }
    if (x >= ping_left && x <= ping_right)
        set_tooltip("This is the round trip server ping time.\nValues above 500 ms indicate network lag.");
    else if (x >= time_left && x <= time_right)
        set_tooltip("This is the in-game time of day.");
    else if (over_lock && locked())
        set_tooltip("Scrolling is locked (click to unlock).");
    else
        set_tooltip("");
}

void tarv_status_bar::reset_values()
{
    values.reset_status_bar();
    time_text.clear();
    time_color = tarv_color{191, 191, 191};
    Show(false);
    sky_bar.Show(sky_bar_enabled ? sky_bar_enabled() : true);
}

void tarv_status_bar::update_sky_display(const char* data)
{
    const char* p = data ? data : "";
    auto separator = [](char c) { return c == ' ' || c == '\t' || c == '\n'; };
    while (separator(*p)) ++p;

    // Flags: each read only while every character before it was 0 or 1.
    int flags[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        if (p[i] != '0' && p[i] != '1') break;
        flags[i] = p[i] == '1';
    }
    while (*p && !separator(*p)) ++p;

    auto read_int = [&](int* out) {
        while (separator(*p)) ++p;
        if (!*p) return false;
        char* end = nullptr;
        long v = std::strtol(p, &end, 10);
        if (end == p) return false;
        // Huge numbers are kept but bounded, so the sky arithmetic stays safe.
        *out = static_cast<int>(std::clamp<long>(v, -tarv_status_values::value_limit, tarv_status_values::value_limit));
        p = end;
        while (*p && !separator(*p)) ++p;
        return true;
    };
    int terrain = 0, minute = 0;
    if (!read_int(&terrain)) {
        TARV_LOG(2, "tarv_status_bar::update_sky_display() - bad value for terrain field.\n");
        return;
    }
    if (!read_int(&minute)) {
        TARV_LOG(2, "tarv_status_bar::update_sky_display() - bad value for current_minute.\n");
        return;
    }
    while (separator(*p) && *p != '\n') ++p;
    std::size_t length = std::strcspn(p, "\n");
    time_text.assign(p, std::min<std::size_t>(length, max_time_text));

    sky_bar.set_sky_state(flags[0], flags[1], flags[2], terrain, minute);
    time_color = color_light_grey;
    Refresh();
}
