#include "panels/group_display.h"

#include <algorithm>

#include "draw/font.h"
#include "draw/theme.h"
#include "support/debug_log.h"
#include "support/util.h"

namespace {

const tarv_color hp_fill{160, 0, 0}, hp_highlight{255, 64, 128};
const tarv_color mana_fill{0, 64, 160}, mana_highlight{64, 128, 255};
const tarv_color move_fill{192, 192, 0}, move_highlight{255, 255, 128};

bool is_separator(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

bool is_word_end(char c)
{
    return c == 0 || is_separator(c);
}

const tarv_color& panel_frame_color()
{
    static const tarv_color grey{128, 128, 128};
    return current_button_theme ? (*current_button_theme)[THEME_PANEL_FRAME] : grey;
}

int centred(int y, int h, int th)
{
    int v = y + (h - th) / 2;
    return v <= 0 ? 1 : v;
}

int centred_plus_one(int y, int h, int th)
{
    int v = y + (h - th) / 2 + 1;
    return v <= 0 ? 1 : v;
}

}  // namespace

void draw_group_bar(tarv_bitmap& s, int v, int m, int x, int y, int bw, int u, int direction, bool inverted,
                    bool framed, const tarv_color& fill, const tarv_color& highlight)
{
    long long n = static_cast<long long>(v) * bw / std::max(m, 1);
    n = std::clamp<long long>(n, 0, std::max(bw, 0));
    const int k = static_cast<int>(n);
    const bool from_left = direction == 1;
    const tarv_color frame = framed ? tarv_color{128, 128, 128} : tarv_color{64, 64, 64};

    if (framed) s.DrawLine(x + 1, y + u / 2 - 1, x + bw - 2, y + u / 2 - 1, frame);

    int a, b;
    if (from_left) {
        a = inverted ? x + k - 1 : x;
        b = inverted ? x + bw - 1 : x + k - 1;
    } else {
        a = inverted ? x : x + bw - k;
        b = inverted ? x + bw - k : x + bw - 1;
    }
    if (!inverted || a < b) {
        s.DrawFilledRectangle(a, y + 1, b, y + u - 2, fill);
        s.DrawLine(a, y, b, y, highlight);
    }

    const int mark = from_left ? x + k - 1 : x + bw - k;
    s.SetPixel(mark, y, color_black);

    if (!framed) {
        if (from_left && !inverted) {
            s.DrawLine(x - 1, y - 1, x - 1, y + u - 1, frame);
            s.DrawLine(x, y + u - 1, x + bw - 2, y + u - 1, frame);
        } else if (from_left) {
            s.DrawLine(x + bw - 1, y, x + bw - 1, y + u - 1, frame);
            s.DrawLine(x, y + u - 1, x + bw - 2, y + u - 1, frame);
        } else if (!inverted) {
            s.DrawLine(x + bw, y - 1, x + bw, y + u - 1, frame);
            s.DrawLine(x + 1, y + u - 1, x + bw - 1, y + u - 1, frame);
        } else {
            s.DrawLine(x - 1, y, x - 1, y + u - 1, frame);
            s.DrawLine(x, y + u - 1, x + bw - 1, y + u - 1, frame);
        }
        return;
    }
    int second;
    if (from_left)
        second = inverted ? x + bw - 1 : x + k - 1;
    else
        second = inverted ? x : x + bw - k;
    s.SetPixel(second, y + u - 2, color_black);
    const int left = from_left ? x - 1 : x;
    const int right = from_left ? x + bw - 1 : x + bw;
    s.DrawLine(left, y - 1, left, y + u - 1, frame);
    s.DrawLine(right, y - 1, right, y + u - 1, frame);
}

tarv_group_display::tarv_group_display() : tarv_embedded_window(0, 0, 20, 20, "main group display")
{
    clear_group();
    update_font_metrics();
}

void tarv_group_display::clear_group()
{
    Show(false);
    entries_.clear();
    set_tooltip({});
}

std::optional<tarv_group_entry> tarv_group_display::parse_update_line(const char* text, const char** rest)
{
    if (rest) *rest = nullptr;
    if (!text) return std::nullopt;
    const char* p = text;
    while (is_separator(*p)) ++p;
    if (!*p) return std::nullopt;

    int values[6];
    for (int i = 0; i < 6; ++i) {
        while (is_separator(*p)) ++p;
        if (!parse_leading_int(p, &values[i])) {
            TARV_LOG(2, "tarv_group_display::parse_update_line() - bad value at offset %d.\n", i);
            return std::nullopt;
        }
        while (!is_word_end(*p)) ++p;
    }

    tarv_group_entry e;
    e.hp = values[0];
    e.max_hp = values[1];
    e.mana = values[2];
    e.max_mana = values[3];
    e.move = values[4];
    e.max_move = values[5];

    while (*p == ' ' || *p == '\t') ++p;
    if (*p == '-' || *p == '.') {
        e.kind = *p == '-' ? 2 : 1;
        const char* start = ++p;
        while (*p && *p != '\n' && *p != '\r') ++p;
        const char* end = p;
        // A closing marker is not part of the name.
        if (end > start && (end[-1] == '-' || end[-1] == '.')) --end;
        e.name.assign(start, static_cast<std::size_t>(std::min<long>(end - start, max_marked_name_length)));
    } else {
        const char* start = p;
        while (*p && *p != '\n') ++p;
        e.name.assign(start, static_cast<std::size_t>(std::min<long>(p - start, max_name_length)));
    }
    while (*p && *p != '\n') ++p;
    if (rest) *rest = *p ? p + 1 : p;
    return e;
}

void tarv_group_display::update_group(const char* data)
{
    entries_.clear();
    const char* rest = nullptr;
    auto first = parse_update_line(data, &rest);
    if (!first) {
        set_tooltip({});
        Show(false);
        return;
    }
    entries_.push_back(std::move(*first));
    while (rest && *rest) {
        auto next = parse_update_line(rest, &rest);
        if (!next) break;
        entries_.push_back(std::move(*next));
    }
    fit_height();
    Show(current_settings().display != 0);
    Refresh();
}

int tarv_group_display::preferred_height() const
{
    if (entries_.empty()) return 1;
    int h = 1;
    bool short_rows = false;
    for (const auto& e : entries_) {
        if (e.kind == 0) {
            h += full_row_height + 1;
        } else {
            h += short_row_height + 1;
            short_rows = true;
        }
    }
    return short_rows ? h + 6 : h;
}

void tarv_group_display::fit_height()
{
    const int p = preferred_height();
    const int h = height();
    if (p == h) return;
    const int new_y = current_settings().layout == 2 ? y() + h - p : y();
    set_geometry(x(), new_y, width(), p);
}

void tarv_group_display::update_font_metrics()
{
    int t = 0;
    if (panel_font) panel_font->GetTextExtent("Abcdefg", nullptr, &t);
    short_row_height = t - 2;
    full_row_height = 2 * t - 6;
    fit_height();
    Refresh();
}

void tarv_group_display::render(tarv_bitmap& s)
{
    const int W = s.GetWidth();
    const int H = s.GetHeight();
    s.Clear(color_black);
    const tarv_group_settings settings_now = current_settings();
    int y = 1;
    bool separator_done = false;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const tarv_group_entry& e = entries_[i];
        const int h = e.kind == 0 ? full_row_height : short_row_height;
        if (e.kind == 2 && !separator_done) {
            separator_done = true;
            if (i != 0) {
                s.DrawLine(2, y + 1, W - 3, y + 1, panel_frame_color());
                y += 4;
            } else {
                y += 3;
            }
        }
        draw_row(s, e, 1, y, W - 2, h, settings_now);
        y += h + 1;
    }
    s.DrawFrame(panel_frame_color(), W, H);
}

void tarv_group_display::draw_row(tarv_bitmap& s, const tarv_group_entry& e, int x, int y, int w, int h,
                                  const tarv_group_settings& st) const
{
    const int f = st.display;
    int bw = f == 1 ? (7 * (w - 3)) / 16 - 3 : (w - 3) / 3 - 3;
    if (bw < 1) bw = 1;

    int tw = 0, th = 0;
    if (panel_font) panel_font->GetTextExtent(e.name.c_str(), &tw, &th);
    int nx, ny;
    if (mode == 1) {
        if (e.kind != 0) {
            nx = bw + 6;
            ny = centred(y, h, th);
        } else if (f == 1) {
            nx = bw + 6;
            ny = centred_plus_one(y, h, th);
        } else {
            nx = 3;
            ny = y;
        }
    } else if (f == 1) {
        nx = bw + 6;
        ny = centred_plus_one(y, h, th);
    } else if (e.kind == 0) {
        nx = w - tw;
        ny = y;
    } else {
        nx = std::max(w - tw, bw + 6);
        ny = centred(y, h, th);
    }
    if (panel_font && !e.name.empty()) s.DrawTextTransparent(*panel_font, e.name.c_str(), nx, ny, color_white);

    const int bx = x + 3;
    const int direction = mode;
    const bool inv = st.inverted;
    if (e.kind != 0) {
        const int u = std::max(1, (h - 3) / 2);
        const int t = std::max(1, y + 1);
        draw_group_bar(s, e.hp, e.max_hp, bx, t, bw, u, direction, inv, false, hp_fill, hp_highlight);
        draw_group_bar(s, e.move, e.max_move, bx, t + u + 1, bw, u, direction, inv, false, move_fill,
                       move_highlight);
    } else if (f == 1) {
        const int u = std::max(1, (h - 4) / 3);
        const int t = std::max(1, y + 2);
        draw_group_bar(s, e.hp, e.max_hp, bx, t, bw, u, direction, inv, false, hp_fill, hp_highlight);
        draw_group_bar(s, e.mana, e.max_mana, bx, t + u + 1, bw, u, direction, inv, false, mana_fill,
                       mana_highlight);
        draw_group_bar(s, e.move, e.max_move, bx, t + 2 * u + 2, bw, u, direction, inv, false, move_fill,
                       move_highlight);
    } else {
        const int u = std::max(1, h / 4);
        const int t = std::max(1, y + h - (3 * u) / 2);
        draw_group_bar(s, e.hp, e.max_hp, bx, t, bw, u, direction, inv, true, hp_fill, hp_highlight);
        draw_group_bar(s, e.mana, e.max_mana, bx + bw + 3, t, bw, u, direction, inv, true, mana_fill,
                       mana_highlight);
        draw_group_bar(s, e.move, e.max_move, bx + 2 * (bw + 3), t, bw, u, direction, inv, true, move_fill,
                       move_highlight);
    }
}

std::string tarv_group_display::tooltip_at(int y) const
{
    int n = y - 1;
    if (n < 0 || entries_.empty()) return {};
    bool separator_done = false;
    for (const auto& e : entries_) {
        const int h = e.kind == 0 ? full_row_height : short_row_height;
        if (e.kind == 2 && !separator_done) {
            separator_done = true;
            n -= 3;
        }
        if (h >= n) return "Status for group member '" + e.name + "'";
        n -= h + 1;
    }
    return {};
}

void tarv_group_display::on_mouse(const tarv_mouse_event& event)
{
    set_tooltip(tooltip_at(event.y));
}

void tarv_group_display::set_tooltip(const std::string& text)
{
    if (text == tooltip_) return;
    tooltip_ = text;
    if (peer()) peer()->peer_set_tooltip(tooltip_);
}
