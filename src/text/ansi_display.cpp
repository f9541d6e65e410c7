#include "text/ansi_display.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "support/debug_log.h"
#include "text/palette.h"

namespace {

constexpr tarv_color reverse_background{64, 64, 64};
constexpr tarv_color frame_inner{128, 128, 128};
constexpr tarv_color frame_outer{255, 255, 255};
constexpr tarv_color frame_inner_locked{192, 0, 0};
constexpr tarv_color frame_outer_locked{255, 0, 0};
constexpr int work_buffer_size = 256;
constexpr int line_limit = 5999;
// Past this the next digit would overflow; the parameter then stays at
// INT_MAX, which matches no code.
constexpr int parameter_limit = INT_MAX / 16;

}  // namespace

// ---- scrollbar state ----

void tarv_ansi_scrollbar::set_scrollbar(int new_position, int new_thumb, int new_range, int new_page)
{
    thumb = std::max(new_thumb, 0);
    range = std::max(new_range, 0);
    page = std::max(new_page, 0);
    position = std::clamp(new_position, 0, std::max(range - thumb, 0));
    if (peer) peer->scrollbar_set(position, thumb, range, page);
}

int tarv_ansi_scrollbar::get_thumb_position() const { return peer ? peer->scrollbar_thumb_position() : position; }

void tarv_ansi_scrollbar::set_thumb_position(int new_position)
{
    position = std::clamp(new_position, 0, std::max(range - thumb, 0));
}

void tarv_ansi_scrollbar::place(int new_x, int new_y, int new_width, int new_height)
{
    x = new_x;
    y = new_y;
    width = new_width;
    height = new_height;
    if (peer) peer->scrollbar_place(x, y, width, height);
}

void tarv_ansi_scrollbar::show(bool shown)
{
    visible = shown;
    if (peer) peer->scrollbar_show(shown);
}

int tarv_ansi_scrollbar::natural_width() const
{
    int w = peer ? peer->scrollbar_natural_width() : default_width;
    return std::max(w, 1);
}

// ---- construction and layout ----

tarv_ansi_display::tarv_ansi_display(const tarv_font* font, int x, int y, int width, int height, std::string name)
    : tarv_embedded_window(x, y, width, height, std::move(name)), text(font, 1, 1)
{
    text.owner = this;
    reset_color();
    layout_display();
}

tarv_ansi_display::~tarv_ansi_display() { remove_from_animation_list(this); }

void tarv_ansi_display::update_content(bool rebuild) { layout_display(); }

void tarv_ansi_display::layout_display()
{
    int w = width(), h = height();
    int s = scrollbar.natural_width();
    scrollbar.place(w - s, 0, s, std::max(h, 1));
    // A resize always returns to the newest text.
    if (!following) unfreeze_scrolling();
    scrollbar.show(scrollbar_shown_);
    int e = scrollbar_shown_ ? s : 0;
    if (framed)
        text.set_geometry(2, 2, std::max(w - e - 4, 1), std::max(h - 4, 1));
    else
        text.set_geometry(0, 0, std::max(w - e, 1), std::max(h, 1));
    update_scrollbar();
}

void tarv_ansi_display::set_scrollbar_shown(bool shown)
{
    if (shown == scrollbar_shown_) return;
    scrollbar_shown_ = shown;
    layout_display();
}

void tarv_ansi_display::set_popup_mode()
{
    text.top_anchored = 1;
    keep_following = 1;
    framed = 0;
    layout_display();
}

void tarv_ansi_display::set_display_font(const tarv_font* font)
{
    text.set_text_font(font);
    // Forget the applied style so the next colour is handed on again.
    applied_attributes = -1;
    applied_color_code = -1;
    process_ansi_color();
    update_scrollbar();
    Refresh();
    text.Refresh();
}

// ---- frame ----

void tarv_ansi_display::render(tarv_bitmap& surface)
{
    surface.Clear(color_black);
    int w = width() - (scrollbar_shown_ ? scrollbar.natural_width() : 0);
    int h = height();
    tarv_color inner = frame_inner, outer = frame_outer;
    if (flash_remaining > 0) {
        inner = outer = (flash_remaining % 2) ? color_white : color_black;
    } else if (!following) {
        inner = frame_inner_locked;
        outer = frame_outer_locked;
    }
    surface.DrawLine(1, 1, w - 1, 1, inner);
    surface.DrawLine(1, 1, 1, h - 1, inner);
    surface.DrawLine(1, h - 2, w - 1, h - 2, inner);
    surface.DrawLine(w - 2, 1, w - 2, h - 1, inner);
    surface.DrawLine(0, 0, w, 0, outer);
    surface.DrawLine(0, 0, 0, h, outer);
    surface.DrawLine(0, h - 1, w, h - 1, outer);
    surface.DrawLine(w - 1, 0, w - 1, h, outer);
}

bool tarv_ansi_display::animation_callback(int elapsed_ms)
{
    int shown_before = flash_shown;
    bool going_on = flash_step(elapsed_ms);
    if (flash_shown != shown_before) update_scrollbar();
    return going_on;
}

// ---- input ----

void tarv_ansi_display::on_mouse(const tarv_mouse_event& event)
{
    if (event.type == tarv_mouse_event::WHEEL) on_wheel(event.wheel_rotation, event.wheel_delta);
}

void tarv_ansi_display::on_wheel(int rotation, int wheel_delta)
{
    scroll_by_notches(wheel.add(rotation, wheel_delta));
}

void tarv_ansi_display::scroll_by_notches(int notches)
{
    if (notches == 0) return;
    freeze_scrolling();
    if (notches > 0)
        scroll_lines_up(3);
    else
        scroll_lines_down(3);
}

void tarv_ansi_display::on_focus()
{
    if (focus_to_command_line) focus_to_command_line();
}

// ---- interpreter ----

void tarv_ansi_display::process_ansi_text(const char* bytes, std::size_t length)
{
    if (!bytes || length == 0) return;
    text_arrived = 1;
    char work[work_buffer_size];
    int n = 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
    const unsigned char* end = p + length;
    while (p < end) {
        if (parser_state == 1 && *p >= 32 && *p <= 126) {
            // Printable runs go to the work buffer in one copy.
            const unsigned char* q = p;
            const unsigned char* stop = std::min(end, p + (work_buffer_size - n));
            while (q < stop && *q >= 32 && *q <= 126) ++q;
            std::memcpy(work + n, p, static_cast<std::size_t>(q - p));
            n += static_cast<int>(q - p);
            p = q;
            if (n == work_buffer_size) {
                print_text(work, static_cast<std::size_t>(n));
                n = 0;
            }
            continue;
        }
        unsigned char c = *p++;
        if (parser_state == 1) {
            if (c == 27) {
                if (n) print_text(work, static_cast<std::size_t>(n));
                n = 0;
                parser_state = 2;
                bracket_seen = 0;
                parameter = 0;
                continue;
            } else if (c == '\n') {
                work[n++] = '\n';
                print_text(work, static_cast<std::size_t>(n));
                n = 0;
                process_ansi_color();
                continue;
            } else if (c == '\t' || (c >= 28 && c < 32)) {
                work[n++] = static_cast<char>(c);
            } else if (c >= 128) {
                work[n++] = '.';
            } else {
                continue;  // other control bytes, carriage return included
            }
            if (n == work_buffer_size) {
                print_text(work, static_cast<std::size_t>(n));
                n = 0;
            }
        } else if (!bracket_seen) {
            if (c == '[') {
                bracket_seen = 1;
                continue;
            }
            if (c == 'c') {
                reset_color();
                // Scroll the old text out of view.
                int lines = 2 * text.get_visible_line_count() + 1;
                char newlines[work_buffer_size];
                std::memset(newlines, '\n', sizeof newlines);
                while (lines > 0) {
                    int k = std::min(lines, work_buffer_size);
                    print_text(newlines, static_cast<std::size_t>(k));
                    lines -= k;
                }
            } else {
                TARV_LOG(2, "process_ansi_code(1) - got unhandled code %d.\n", c);
            }
            parser_state = 1;
        } else if (c >= '0' && c <= '9') {
            parameter = parameter > parameter_limit ? INT_MAX : parameter * 16 + (c - '0');
        } else {
            if (c == 'm')
                process_ansi_code(parameter);
            else
                TARV_LOG(2, "process_ansi_code(2) - ignoring unhandled code %d.\n", c);
            parser_state = 1;
        }
    }
    if (n) print_text(work, static_cast<std::size_t>(n));
}

void tarv_ansi_display::print_text(const char* text_in)
{
    if (!text_in) return;
    print_text(text_in, std::strlen(text_in));
}

void tarv_ansi_display::print_text(const char* text_in, std::size_t length)
{
    if (!text_in || length == 0) return;
    add_run_text(text_in, length);
    if (!updates_suspended) {
        // One append takes at most max_append characters.
        for (std::size_t done = 0; done < length;) {
            std::size_t k = std::min<std::size_t>(length - done, tarv_textctrl::max_append);
            text.append_text(text_in + done, k);
            done += k;
        }
    }
    if (!line_hook_busy) {
        line_hook_busy = 1;
        feed_line_hook(text_in, length);
        line_hook_busy = 0;
    }
}

void tarv_ansi_display::feed_line_hook(const char* text_in, std::size_t length)
{
    const char* p = text_in;
    const char* end = text_in + length;
    while (p < end) {
        const char* nl = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        const char* stop = nl ? nl : end;
        std::size_t room = static_cast<std::size_t>(line_limit - line_length_);
        std::size_t take = std::min(room, static_cast<std::size_t>(stop - p));
        std::memcpy(line_buffer_ + line_length_, p, take);
        line_length_ += static_cast<int>(take);
        if (!nl) break;
        line_buffer_[line_length_] = 0;
        line_length_ = 0;
        on_complete_line(line_buffer_);
        p = nl + 1;
    }
}

void tarv_ansi_display::flush_partial_line()
{
    if (!line_length_) return;
    line_buffer_[line_length_] = 0;
    line_hook_busy = 1;
    on_complete_line(line_buffer_);
    line_hook_busy = 0;
    line_length_ = 0;
}

void tarv_ansi_display::process_ansi_code(int code)
{
    switch (code) {
    case 0:
        attributes = 0;
        color_code = 0;
        break;
    case 1: attributes = ATTR_BRIGHT; break;
    case 2: attributes = ATTR_DIM; break;
    case 5: attributes = ATTR_BLINK; break;
    case 7: attributes = ATTR_REVERSE; break;
    case 34: attributes = 0; break;
    default:
        if (code >= 49 && code <= 55)
            color_code = code;
        else
            TARV_LOG(2, "error in tarv_ansi_display::process_ansi_code() - bad value '%d'.\n", code);
        break;
    }
    process_ansi_color();
}

void tarv_ansi_display::apply_text_colors(const tarv_text_style& style)
{
    text.set_text_colors(style.color, (style.attributes & ATTR_REVERSE) ? reverse_background : color_black);
}

void tarv_ansi_display::process_ansi_color()
{
    int row = tarv_palette_row(color_code);
    if (row < 0) {
        TARV_LOG(2, "error in tarv_ansi_display::process_ansi_color() - bad color '%d'?\n", color_code);
        return;
    }
    int column = (attributes & ATTR_BRIGHT) ? 2 : (attributes & ATTR_DIM) ? 0 : 1;
    tarv_color color = tarv_unpack_color((*current_palette)[static_cast<std::size_t>(row * 3 + column)]);
    if (attributes == applied_attributes && color_code == applied_color_code) return;
    set_current_style(color, color_code, attributes);
    if (!updates_suspended) apply_text_colors(current_style_);
    applied_attributes = attributes;
    applied_color_code = color_code;
}

void tarv_ansi_display::reset_color()
{
    attributes = 0;
    // Passing through yellow hands white on even when it was applied already.
    color_code = 51;
    process_ansi_color();
    color_code = 55;
    process_ansi_color();
}

void tarv_ansi_display::clear_display()
{
    if (pending_length_) rerender_flush();
    render_runs_.clear();
    render_text_.clear();
    pending_length_ = 0;
    if (!updates_suspended) text.clear_text();
    pending_style_ = tarv_text_style{};
    current_style_ = tarv_text_style{};
    attributes = 0;
    color_code = 0;
    reset_color();
}

void tarv_ansi_display::resume_updates()
{
    if (!updates_suspended) {
        TARV_LOG(2, "Error in tarv_ansi_display::resume_updates(), updates were not suspended?\n");
        return;
    }
    updates_suspended = 0;
    replay_render_list();
    Refresh();
}

void tarv_ansi_display::replay_render_list()
{
    if (pending_length_) rerender_flush();
    text.clear_text();
    std::uint64_t offset = 0;
    for (std::size_t i = 0; i < render_runs_.size(); ++i) {
        const tarv_render_run& r = render_runs_[i];
        text.set_text_colors(tarv_unpack_color(r.color),
                             (r.attributes & ATTR_REVERSE) ? reverse_background : color_black);
        render_text_.for_each_piece(offset, r.length, [&](const char* piece, std::size_t n) {
            for (std::size_t done = 0; done < n;) {
                std::size_t k = std::min<std::size_t>(n - done, tarv_textctrl::max_append);
                text.append_text(piece + done, k);
                done += k;
            }
        });
        offset += r.length;
    }
    // Text that follows must come out in the style now current, not in the
    // last replayed run's.
    apply_text_colors(current_style_);
    scroll_to_end();
}

void tarv_ansi_display::set_wrap(int flag)
{
    text.wrap_enabled = flag ? 1 : 0;
    replay_render_list();
}

// ---- render list ----

void tarv_ansi_display::set_current_style(const tarv_color& color, int code, int attrs)
{
    current_style_.color = color;
    current_style_.color_code = code;
    current_style_.attributes = attrs;
    if (pending_length_ == 0) pending_style_ = current_style_;
}

void tarv_ansi_display::add_run_text(const char* text_in, std::size_t length)
{
    if (length == 0) return;
    if (pending_style_.attributes != current_style_.attributes || !(pending_style_.color == current_style_.color))
        rerender_flush();
    // A run's length is 32 bits; an endless run of one style goes on in a
    // new run of the same style.
    while (pending_length_ + length > UINT32_MAX) {
        std::size_t take = static_cast<std::size_t>(UINT32_MAX - pending_length_);
        render_text_.append(text_in, take);
        pending_length_ += take;
        text_in += take;
        length -= take;
        rerender_flush();
    }
    render_text_.append(text_in, length);
    pending_length_ += length;
}

void tarv_ansi_display::rerender_flush()
{
    if (pending_length_ == 0) {
        TARV_LOG(2, "tarv_ansi_display - rerender_flush() - temp space was empty, WTF?\n");
        return;
    }
    tarv_render_run r{};
    r.length = static_cast<std::uint32_t>(pending_length_);
    r.color = tarv_pack_color(pending_style_.color);
    r.attributes = static_cast<std::uint8_t>(pending_style_.attributes);
    r.color_code = static_cast<std::uint8_t>(pending_style_.color_code);
    render_runs_.push_back(r);
    pending_length_ = 0;
    pending_style_ = current_style_;
}

std::string tarv_ansi_display::run_text(const tarv_render_run_view& run) const
{
    std::string out;
    out.reserve(static_cast<std::size_t>(run.length));
    for_each_run_piece(run, [&](const char* p, std::size_t n) { out.append(p, n); });
    return out;
}

std::string tarv_ansi_display::render_list_text()
{
    std::string out;
    for_each_render_run([&](const tarv_render_run_view& run) { out += run_text(run); });
    return out;
}

// ---- scrolling ----

void tarv_ansi_display::notify_follow_changed()
{
    if (on_follow_changed) on_follow_changed();
}

void tarv_ansi_display::refresh_display()
{
    text.Refresh();
    update_scrollbar();
}

void tarv_ansi_display::freeze_scrolling()
{
    if (!following) return;
    if (!keep_following) {
        following = 0;
        text.frozen = 1;
        scroll_to_end();
    }
    Refresh();
    text.Refresh();
    notify_follow_changed();
}

void tarv_ansi_display::unfreeze_scrolling()
{
    if (following) return;
    following = 1;
    text.frozen = 0;
    scroll_to_end();
    Refresh();
    text.Refresh();
    notify_follow_changed();
}

void tarv_ansi_display::scroll_to_end()
{
    int v = text.get_visible_line_count();
    int p = text.top_anchored ? text.current_line + 1 - v : text.current_line;
    scroll_position = p;
    text.set_display_line(p);
    update_scrollbar();
}

void tarv_ansi_display::scroll_by(int delta)
{
    int v = text.get_visible_line_count();
    int b = text.top_anchored ? text.current_line + 1 - v : text.current_line;
    int c = text.top_anchored ? 0 : v - 1;
    long long wanted = static_cast<long long>(scroll_position) + delta;
    int p = b < c ? b : static_cast<int>(std::clamp<long long>(wanted, c, b));
    if (p != b) {
        scroll_position = p;
        text.set_display_line(p);
        update_scrollbar();
        return;
    }
    // The view has reached the newest text: follow it again.
    scroll_position = b;
    unfreeze_scrolling();
    text.set_display_line(b);
    update_scrollbar();
}

void tarv_ansi_display::scroll_lines_up(int n)
{
    int m = std::min(n, text.get_visible_line_count() / 2);
    if (m <= 0) m = 1;
    scroll_by(-m);
}

void tarv_ansi_display::scroll_lines_down(int n)
{
    int m = std::min(n, text.get_visible_line_count() / 2);
    if (m <= 0) m = 1;
    scroll_by(m);
}

void tarv_ansi_display::page_up()
{
    int half = text.get_visible_line_count() / 2;
    scroll_by(half > 0 ? -half : -1);
}

void tarv_ansi_display::page_down()
{
    int half = text.get_visible_line_count() / 2;
    scroll_by(half > 0 ? half : 1);
}

void tarv_ansi_display::scroll_to_position(int position)
{
    Refresh();
    text.Refresh();
    int q = text.top_anchored ? position : position + text.get_visible_line_count();
    text.set_display_line(q);
    scroll_position = q;
    update_scrollbar();
}

void tarv_ansi_display::update_scrollbar()
{
    int v = text.get_visible_line_count();
    int q, r;
    if (text.top_anchored) {
        q = text.display_line;
        r = text.current_line + v + 1;
    } else {
        q = text.display_line - v;
        r = text.current_line;
    }
    // Set once to the final values; the toolkit redraws the thumb itself.
    scrollbar.set_scrollbar(q, v, r, v);
}

void tarv_ansi_display::on_scrollbar_event()
{
    int p = scrollbar.get_thumb_position();
    int v = text.get_visible_line_count();
    int e = text.current_line + (text.top_anchored ? v : 0);
    if (v < e) {
        int b = text.top_anchored ? p : p + v;
        text.set_display_line(b);
        scroll_position = b;
        if (b < e && following) {
            if (!keep_following) {
                following = 0;
                text.frozen = 1;
            }
            Refresh();
            text.Refresh();
            notify_follow_changed();
        }
        if (b >= e && !following) unfreeze_scrolling();
    } else {
        scroll_position = p;
        if (!following) unfreeze_scrolling();
    }
    if (focus_to_command_line) focus_to_command_line();
}
