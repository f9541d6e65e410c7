// Feeds arbitrary "map" payloads, walkfails and cell sizes to the automap
// view, steps its animation and paints it: nothing may read or write
// outside the grid, the picture or the view, and the view must settle.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "automap/automap_renderer.h"

namespace {

void check(bool ok)
{
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    // The first byte picks the cell size; the rest is a series of payloads
    // separated by zero bytes (a payload starting with '!' is a walkfail).
    tarv_automap_renderer view(5 + 2 * (data[0] % 4));
    view.logged_in = [] { return true; };
    view.set_exit_mask(0x3ff);
    view.pointer_inside = true;
    std::size_t at = 1;
    while (at < size) {
        std::string payload;
        while (at < size && data[at] != 0) payload.push_back(static_cast<char>(data[at++]));
        ++at;
        if (!payload.empty() && payload[0] == '!')
            view.walkfail(payload.c_str() + 1);
        else
            view.queue_or_display(payload.data(), static_cast<int>(payload.size()));
        view.animation_step();
        check(view.transition >= 0 && view.transition <= 9);
    }
    view.paint();
    for (int i = 0; i < 2000 && (view.picture_ready || view.queued() > 0); ++i) view.animation_step();
    check(view.queued() == 0 && !view.animating());
    view.paint();
    return 0;
}
