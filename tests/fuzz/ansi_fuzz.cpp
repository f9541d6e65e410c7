// Arbitrary bytes through the ANSI interpreter at arbitrary widths, fed in
// arbitrary pieces, with the display's other operations mixed in.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "draw/bitmap.h"
#include "draw/font.h"
#include "text/ansi_display.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static tarv_font font(tarv_font_desc{});
    if (size < 4) return 0;
    // Header: width (2 bytes), height, mode flags.
    int width = 1 + ((data[0] << 8 | data[1]) % 1200);
    int height = 1 + data[2] * 2;
    std::uint8_t flags = data[3];
    data += 4;
    size -= 4;

    tarv_ansi_display display(&font, 0, 0, width, height);
    if (flags & 1) display.set_popup_mode();
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
        case 4: if (flags & 8) display.set_size(1 + (width * 3) % 1000, height); break;
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
