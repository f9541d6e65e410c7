#include "text/find_bar.h"

#include <algorithm>
#include <chrono>

#include "draw/bitmap.h"
#include "draw/font.h"
#include "text/ansi_display.h"

namespace {

constexpr tarv_color strip_background{40, 40, 48};
constexpr tarv_color strip_edge{128, 128, 128};
constexpr tarv_color label_color{170, 170, 170};
constexpr tarv_color query_color{255, 255, 255};
constexpr tarv_color missing_color{255, 96, 96};
constexpr int padding = 2;

}  // namespace

tarv_find_bar::tarv_find_bar(tarv_ansi_display& display) : display_(display) {}

tarv_find_bar::~tarv_find_bar()
{
    if (display_.text.search == &search_) display_.text.search = nullptr;
    display_.text.paint_over = nullptr;
    display_.text.reserved_bottom = 0;
}

void tarv_find_bar::open()
{
    if (!open_) {
        open_ = true;
        display_.text.search = &search_;
        display_.text.paint_over = [this](tarv_bitmap& surface) { paint(surface); };
        display_.text.reserved_bottom = strip_height();
    }
    display_.text.Refresh();
}

void tarv_find_bar::close()
{
    if (!open_) return;
    open_ = false;
    query_.clear();
    search_.set_needle(display_.text, query_);
    shown_ = -1;
    display_.text.search = nullptr;
    display_.text.paint_over = nullptr;
    display_.text.reserved_bottom = 0;
    display_.text.Refresh();
}

bool tarv_find_bar::key(const tarv_key_event& event)
{
    if (!open_) return false;
    switch (event.key_code) {
    case tarv_key::ESCAPE:
        close();
        return true;
    case tarv_key::RETURN:
    case tarv_key::NUMPAD_ENTER:
    case tarv_key::F1 + 2:  // F3
        go(!event.shift);
        return true;
    case tarv_key::BACK:
        if (!query_.empty()) {
            query_.pop_back();
            restart();
        }
        return true;
    default:
        return false;
    }
}

bool tarv_find_bar::type_char(int ch)
{
    if (!open_ || ch < 32 || ch == 127 || ch > 255) return false;
    // Text in the scrollback has its bytes 128-255 replaced already.
    char c = ch >= 128 ? high_char_map[ch - 128] : static_cast<char>(ch);
    if (query_.size() >= tarv_search_pattern::max_length) return true;
    query_.push_back(c);
    restart();
    return true;
}

void tarv_find_bar::restart()
{
    search_.set_needle(display_.text, query_);
    shown_ = -1;
    run_slice();
    display_.text.Refresh();
}

void tarv_find_bar::run_slice()
{
    if (!search_.active()) return;
    const auto start = std::chrono::steady_clock::now();
    do {
        if (search_.step(display_.text, tarv_text_search::slice_bytes) && search_.count() > 0) break;
    } while (!search_.complete() &&
             std::chrono::steady_clock::now() - start < std::chrono::milliseconds(slice_ms));
    if (search_.current() >= 0 &&
        (shown_ < 0 || search_.match_position(static_cast<std::size_t>(search_.current())) != shown_position_))
        show_current();
}

void tarv_find_bar::tick()
{
    if (!open_ || !search_.active()) return;
    const std::size_t before = search_.count();
    const bool was_complete = search_.complete();
    run_slice();
    if (search_.count() != before || search_.complete() != was_complete) display_.text.Refresh();
}

void tarv_find_bar::go(bool older)
{
    if (!search_.active()) return;
    // Going round needs every match: finish the count first.
    if (!search_.complete()) search_.run_to_end(display_.text);
    if (older ? search_.older() : search_.newer()) show_current();
    display_.text.Refresh();
}

int tarv_find_bar::covered_rows() const
{
    const int h = std::max(display_.text.line_height, 1);
    return (display_.text.covered_bottom() + h - 1) / h;
}

int tarv_find_bar::strip_height() const { return display_.text.line_height + 2 * padding; }

void tarv_find_bar::show_current()
{
    tarv_search_hit hit{};
    if (!search_.locate(display_.text, static_cast<std::size_t>(search_.current()), &hit)) return;
    shown_ = search_.current();
    shown_position_ = search_.match_position(static_cast<std::size_t>(shown_));
    tarv_textctrl& text = display_.text;
    display_.freeze_scrolling();
    if (!display_.is_following()) {
        // Lines the strip leaves visible: bottom - rows + 1 ... bottom - covered.
        const int rows = std::max(1, (text.height() - text.reserved_bottom) / std::max(text.line_height, 1));
        const int covered = std::min(covered_rows(), rows - 1);
        const int bottom = text.display_line;
        const bool visible = hit.first.line >= bottom - rows + 1 && hit.last.line <= bottom - covered;
        if (!visible) {
            // The match's line a third of the way up from the strip.
            // Never past the newest line.
            int anchor = std::min(hit.last.line + covered + (rows - covered) / 3, text.current_line);
            anchor = std::max(anchor, rows - 1);
            display_.scroll_position = anchor;
            text.set_display_line(anchor);
            display_.update_scrollbar();
        }
    }
    text.Refresh();
}

void tarv_find_bar::paint(tarv_bitmap& surface) const
{
    const int w = surface.GetWidth(), h = surface.GetHeight();
    const int strip = strip_height();
    const int top = std::max(h - strip, 0);
    surface.DrawFilledRectangle(0, top, w - 1, h - 1, strip_background);
    surface.DrawLine(0, top, w - 1, top, strip_edge);
    const tarv_font* font = display_.text.font();
    if (!font) return;
    const int y = top + padding;
    int x = 4, tw = 0, th = 0;
    surface.DrawTextTransparent(*font, "Find:", x, y, label_color);
    tarv_bitmap::GetTextExtent(*font, "Find: ", &tw, &th);
    x += tw;
    const std::string shown = query_ + "_";
    surface.DrawTextTransparent(*font, shown.c_str(), x, y, query_color);
    const std::string status = search_.status_text();
    if (!status.empty()) {
        tarv_bitmap::GetTextExtent(*font, status.c_str(), &tw, &th);
        surface.DrawTextTransparent(*font, status.c_str(), std::max(x, w - tw - 6), y,
                                    search_.count() == 0 && search_.complete() ? missing_color : label_color);
    }
}
