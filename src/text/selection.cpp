// Selection with the left button, drag scrolling, the wheel and the other
// buttons over the text, and clickable web addresses.
#include <algorithm>
#include <climits>

#include "config/config.h"
#include "net/find_url.h"
#include "support/debug_log.h"
#include "support/text_buffer.h"
#include "text/ansi_display.h"
#include "text/clipboard.h"
#include "text/textctrl.h"

std::function<void(const char*)> tarv_url_opener;

namespace {

// Rounds toward minus infinity (b > 0).
int floor_div(long long a, long long b)
{
    long long q = a / b;
    if (a % b != 0 && a < 0) --q;
    return static_cast<int>(std::clamp<long long>(q, INT_MIN, INT_MAX));
}

bool before(const tarv_text_pos& a, const tarv_text_pos& b)
{
    return a.line < b.line || (a.line == b.line && a.offset < b.offset);
}

constexpr int drag_period_ms = 15;

}  // namespace

tarv_text_pos tarv_textctrl::translate_xy_to_line_and_offset(int x, int y) const
{
    if (line_height < 1) {
        TARV_LOG(2, "Error in tarv_textctrl::translate_xy_to_line_and_offset(), font height %d.\n", line_height);
        return {};
    }
    x = std::max(x, 0);
    int reference = top_anchored ? std::max(display_line, 0) : display_line;
    // The find field lifts the lines; the live split shows the newest ones.
    const long long bottom = static_cast<long long>(height()) - reserved_bottom;
    const int live = top_anchored ? 0 : live_rows();
    if (live > 0 && y >= bottom - static_cast<long long>(live) * line_height - 1) reference = current_line;
    long long d = top_anchored ? 0 : bottom - line_height;
    long long line = static_cast<long long>(reference) + floor_div(static_cast<long long>(y) - d, line_height);
    line = std::clamp<long long>(line, 0, current_line);
    int n = static_cast<int>(line);
    if (!line_exists(n)) {
        if (n != 0) TARV_LOG(2, "Error in tarv_textctrl::translate_xy_to_line_and_offset(), null line %d\n", n);
        return {current_line, 0};
    }
    long long sum = 0;
    int offset = 0;
    for (std::size_t i = line_chunk_begin(n), e = line_chunk_end(n); i < e; ++i) {
        const tarv_textctrl_chunk& c = chunk(i);
        const char* text = chunk_text(c);
        for (int k = 0; k < c.text.length; ++k, ++offset) {
            sum += char_widths[static_cast<unsigned char>(text[k])];
            if (sum >= x) return {n, offset};
        }
    }
    return {n, offset};
}

void tarv_textctrl::normalize_selection()
{
    if (before(selection_anchor, selection_point)) {
        selection_start = selection_anchor;
        selection_end = selection_point;
    } else {
        selection_start = selection_point;
        selection_end = selection_anchor;
    }
    copy_selection_to_clipboard();
    Refresh();
}

bool tarv_textctrl::get_selected_text(std::string& out) const
{
    out.clear();
    if (!selection_active) return false;
    const tarv_text_pos& s = selection_start;
    const tarv_text_pos& e = selection_end;
    for (int line = s.line; line <= e.line; ++line) {
        if (!line_exists(line)) {
            TARV_LOG(2, "Error in copy_selection_to_clipboard(), line %d NULL.\n", line);
            out.clear();
            return false;
        }
    }
    for (int line = s.line; line <= e.line; ++line) {
        std::string text = line_text(line);
        long long first = line == s.line ? std::max(s.offset, 0) : 0;
        // Inclusive end; a position past the line's end stops at the real end.
        long long last = line == e.line ? e.offset : static_cast<long long>(text.size()) - 1;
        last = std::min<long long>(last, static_cast<long long>(text.size()) - 1);
        if (first <= last)
            out.append(text, static_cast<std::size_t>(first), static_cast<std::size_t>(last - first + 1));
        // A wrapped line runs straight into the next: a paragraph copies as one line.
        if (line != e.line && line_complete(line)) out += '\n';
    }
    return true;
}

void tarv_textctrl::copy_selection_to_clipboard()
{
    std::string text;
    if (get_selected_text(text)) set_clipboard_data(text);
}

void tarv_textctrl::clear_selection()
{
    selection_active = 0;
    selection_start = selection_end = selection_anchor = selection_point = tarv_text_pos{};
    Refresh();
}

bool tarv_textctrl::selected_range(int line, int* first, int* last) const
{
    if (!selection_active || line < selection_start.line || line > selection_end.line) return false;
    *first = line == selection_start.line ? selection_start.offset : 0;
    *last = line == selection_end.line ? selection_end.offset : INT_MAX;
    return *first <= *last;
}

int tarv_textctrl::url_clicked_on(int line, int offset)
{
    if (!TConfig::instance().url_hotlinking()) return 0;
    if (!line_exists(line)) {
        if (line != 0) TARV_LOG(2, "Error in url_clicked_on(), null line %d.\n", line);
        return 0;
    }
    std::string text = line_text(line);
    if (text.size() > 5999) text.resize(5999);
    int start = 0, end = 0;
    tarv_text_buffer url;
    if (!tarv_find_url_at(text, offset, url, &start, &end)) return 0;
    if (tarv_url_opener) tarv_url_opener(url.c_str());
    selection_active = 1;
    selection_start = selection_anchor = {line, start};
    selection_end = selection_point = {line, end};
    copy_selection_to_clipboard();
    Refresh();
    ignore_until_release = 1;
    return 1;
}

void tarv_textctrl::on_mouse(const tarv_mouse_event& event)
{
    using E = tarv_mouse_event;
    if (event.type == E::CAPTURE_LOST) {
        mouse_event_handler();
        return;
    }
    // Every mouse event stops drag scrolling until a motion outside the
    // text area sets a step again.
    drag_step = 0;
    const bool left_up = event.type == E::LEFT_UP;
    // A press counts its own button as held.
    const bool left = !left_up && (event.left_down || event.type == E::LEFT_DOWN || event.type == E::LEFT_DCLICK);
    const bool middle = event.middle_down || event.type == E::MIDDLE_DOWN;
    const bool right = event.right_down || event.type == E::RIGHT_DOWN;
    const int rotation = event.type == E::WHEEL ? event.wheel_rotation : 0;
    if (!left && !middle && !right && rotation == 0 && !left_up) return;
    if (ignore_until_release) {
        if (left_up) ignore_until_release = 0;
        return;
    }

    if (rotation != 0) {
        // Whole notches scroll, by the same rule as the display's own wheel;
        // a part of a notch goes on to the buttons below.
        const int notches = wheel.add(rotation, event.wheel_delta);
        if (notches != 0) {
            if (owner) owner->scroll_by_notches(notches);
            return;
        }
    }
    // The middle and right buttons bring back the newest text.
    if (middle || right) {
        if (owner) owner->unfreeze_scrolling();
        return;
    }
    if (!left && !left_up) return;

    const int x = event.x, y = event.y, h = height();
    tarv_text_pos pos = x < 0 ? translate_xy_to_line_and_offset(width(), y - line_height)
                              : translate_xy_to_line_and_offset(x, y);
    switch (event.type) {
    case E::LEFT_DOWN:
        if (url_clicked_on(pos.line, pos.offset)) return;
        dragging = 1;
        selection_active = 0;
        selection_anchor = selection_point = pos;
        Refresh();
        if (peer()) peer()->peer_capture_mouse(true);
        break;
    case E::MOTION:
        // Only a drag that began in this control moves the point.
        if (!dragging) break;
        selection_point = pos;
        if (y < 0 && h > 0) {
            drag_step = static_cast<int>(2LL * y * line_height / h);
            start_drag_animation();
            selection_point = translate_xy_to_line_and_offset(0, 0);
        } else if (y > h && h > 0) {
            drag_step = static_cast<int>(2LL * (y - h) * line_height / h);
            start_drag_animation();
            selection_point = translate_xy_to_line_and_offset(0, 2 * h);
        } else if (!(selection_point == selection_anchor) && owner) {
            owner->freeze_scrolling();
        }
        break;
    case E::LEFT_UP:
        if (dragging) {
            selection_point = pos;
            dragging = 0;
            if (peer()) peer()->peer_capture_mouse(false);
        }
        break;
    default: break;  // no position is stored
    }
    if (!(selection_point == selection_anchor)) selection_active = 1;
    if (selection_active) normalize_selection();
}

void tarv_textctrl::mouse_event_handler()
{
    TARV_LOG(2, "tarv_textctrl::mouse_event_handler()\n");
    if (selection_active) {
        // The text stays copied; the highlight goes.
        normalize_selection();
        selection_active = 0;
    }
    dragging = 0;
    drag_step = 0;
}

void tarv_textctrl::start_drag_animation()
{
    if (flash_remaining >= 15) return;
    const bool listed = flash_remaining != 0;
    flash_shown = 0;
    flash_remaining = 15;
    flash_elapsed_ms = 0;
    flash_period_ms = drag_period_ms;
    if (!listed) add_to_animation_list(this);
}

bool tarv_textctrl::drag_scroll_tick()
{
    if (drag_step == 0 || flash_remaining % 4 != 1) return false;
    if (flash_remaining <= 3) {
        // Keeps the control animating while the drag lasts.
        flash_shown = 0;
        flash_remaining = 4;
        flash_elapsed_ms = 0;
        flash_period_ms = drag_period_ms;
    }
    if (owner) {
        owner->freeze_scrolling();
        if (drag_step < 0) {
            owner->scroll_lines_up(-drag_step);
            selection_point = translate_xy_to_line_and_offset(0, 0);
        } else {
            owner->scroll_lines_down(drag_step);
            selection_point = translate_xy_to_line_and_offset(0, 4 * height());
        }
    }
    if (!(selection_point == selection_anchor)) selection_active = 1;
    normalize_selection();
    return true;
}
