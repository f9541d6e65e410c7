// Feeds arbitrary "group" tag data to the group display: parsing, the row
// layout, painting in every form and the tooltip walk must stay inside the
// surface and the name limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "draw/font.h"
#include "panels/group_display.h"

namespace {

void check(bool ok)
{
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool fonts = [] {
        tarv_create_fonts();
        return true;
    }();
    (void)fonts;
    if (size < 2) return 0;
    // The first byte picks the form, the setting and the panel width.
    const std::uint8_t pick = data[0];
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    tarv_group_display display;
    tarv_group_settings settings;
    settings.display = pick & 3;
    settings.inverted = (pick & 4) != 0;
    settings.layout = (pick >> 3) & 3;
    display.settings = [&] { return settings; };
    display.mode = (pick & 32) ? 1 : 2;
    display.set_geometry(0, 0, 1 + (pick >> 6) * 60, 10);
    display.update_group(text.c_str());

    int total = 1;
    bool short_rows = false;
    for (const auto& e : display.entries()) {
        check(e.kind >= 0 && e.kind <= 2);
        check(e.name.size() <= static_cast<std::size_t>(tarv_group_display::max_name_length));
        check(e.name.find('\n') == std::string::npos);
        total += (e.kind == 0 ? display.full_row_height : display.short_row_height) + 1;
        short_rows |= e.kind != 0;
    }
    check(display.preferred_height() == (display.entries().empty() ? 1 : total + (short_rows ? 6 : 0)));

    tarv_bitmap surface(display.width(), display.height());
    display.render(surface);
    for (int y = -2; y < display.height() + 2; y += 3) (void)display.tooltip_at(y);
    return 0;
}
