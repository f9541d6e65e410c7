// Arbitrary bytes through the ANSI interpreter at arbitrary widths, fed in
// arbitrary pieces, with the display's other operations mixed in.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "draw/bitmap.h"
#include "draw/font.h"
#include "text/ansi_display.h"

namespace {

// Made once and cleared for each input: making a display (its line table
// above all) costs far more than most inputs do.
struct reused_displays {
    tarv_font font{tarv_font_desc{}};
    tarv_ansi_display normal{&font, 0, 0, 100, 100};
    tarv_ansi_display popup{&font, 0, 0, 100, 100};
    reused_displays() { popup.set_popup_mode(); }
};

tarv_ansi_display& fresh_display(bool popup_mode, int width, int height)
{
    static reused_displays displays;
    tarv_ansi_display& display = popup_mode ? displays.popup : displays.normal;
    // As just made: no half-read escape, no held line, wrapping, no text,
    // this size, following the newest line.
    display.parser_state = 1;
    display.bracket_seen = 0;
    display.parameter = 0;
    if (display.has_partial_line()) display.flush_partial_line();
    display.text.wrap_enabled = 1;
    display.clear_display();
    display.set_size(width, height);
    display.unfreeze_scrolling();
    display.scroll_to_end();
    return display;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4) return 0;
    // Header: width (2 bytes), height, mode flags. Sizes stay small enough
    // that clearing the surfaces does not outweigh the text.
    int width = 1 + ((data[0] << 8 | data[1]) % 400);
    int height = 1 + data[2] % 160;
    std::uint8_t flags = data[3];
    data += 4;
    size -= 4;

    tarv_ansi_display& display = fresh_display(flags & 1, width, height);
    if (flags & 2) display.set_wrap(0);
    if (flags & 4) display.suspend_updates();
    if (flags & 64) display.text.parse_colorflash("ff0000 000000 3 00ff00 -2");

    // Piece lengths come from the data itself so splits land anywhere.
    std::size_t at = 0;
    int step = 0;
    while (at < size) {
        std::size_t piece = 1 + (data[at] % 61);
        if (piece > size - at) piece = size - at;
        display.process_ansi_text(reinterpret_cast<const char*>(data + at), piece);
        at += piece;
        switch (++step % 7) {
        case 1: display.refresh_display(); break;
        case 2: display.page_up(); break;
        case 3: display.scroll_lines_down(2); break;
        case 4: if (flags & 8) display.set_size(1 + (width * 3) % 400, height); break;
        case 5: display.on_wheel(static_cast<int>(piece) - 30, 120); break;
        case 6: display.text.animation_callback(20); break;
        default: break;
        }
    }
    if (flags & 4) display.resume_updates();
    if (flags & 16) display.flush_partial_line();
    display.text.paint();
    display.paint();
    if (flags & 32) display.clear_display();
    remove_from_animation_list(&display.text);
    return 0;
}
