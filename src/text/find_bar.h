// The find field of a text display: a strip over the bottom of its text
// where the player types what to look for in the scrollback. The keyboard
// stays in the command line, which hands the field its keys while it is open.
// Matches are scrolled into view (freezing the display as any scroll back
// does), highlighted, and counted from the newest.
#pragma once

#include <string>

#include "input/keys.h"
#include "text/text_search.h"

class tarv_ansi_display;
class tarv_bitmap;

class tarv_find_bar {
public:
    // How long one keystroke or tick may search before the window gets
    // control back; the rest of a long scrollback follows on the next ticks.
    static constexpr int slice_ms = 8;

    explicit tarv_find_bar(tarv_ansi_display& display);
    ~tarv_find_bar();
    tarv_find_bar(const tarv_find_bar&) = delete;
    tarv_find_bar& operator=(const tarv_find_bar&) = delete;

    void open();
    // Clears the highlights; the view stays where it is.
    void close();
    bool is_open() const { return open_; }

    // Keys the field takes: Escape, Enter and F3 (Shift: newer), Backspace.
    // False for every other key.
    bool key(const tarv_key_event& event);
    // A typed character (ISO-8859-1); false when it is not one the field takes.
    bool type_char(int ch);
    // Goes on with a search that did not finish at once; picks up new text.
    void tick();

    const std::string& query() const { return query_; }
    std::string status_text() const { return search_.status_text(); }
    const tarv_text_search& search() const { return search_; }
    // Text rows the strip covers at the bottom of the text area.
    int covered_rows() const;
    int strip_height() const;
    void paint(tarv_bitmap& surface) const;

private:
    void restart();
    void run_slice();
    void show_current();
    void go(bool older);

    tarv_ansi_display& display_;
    tarv_text_search search_;
    std::string query_;
    bool open_ = false;
    int shown_ = -1;  // the match last scrolled into view
    std::uint64_t shown_position_ = 0;
};
