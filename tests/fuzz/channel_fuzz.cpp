// Drives the channel window with arbitrary diversions: each input is a
// series of steps, a command byte and then its text up to the next zero
// byte (a channel name for "chdiv", diverted text, or nothing). Tabs are
// clicked, paged and cleared in between. The window keeps its invariants:
// names sorted, unique and at most 39 characters, one "(all)" tab, a
// selection on the page shown whenever the page has tabs.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "draw/font.h"
#include "draw/images.h"
#include "draw/theme.h"
#include "panels/channel_window.h"
#include "support/debug_log.h"

namespace {

void check(bool ok)
{
    if (!ok) std::abort();
}

void set_up_once()
{
    static bool done = false;
    if (done) return;
    done = true;
    tarv_debug_level = 0;
    tarv_set_glyph_rasterizer(nullptr);
    tarv_create_fonts();
    create_themes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    set_up_once();
    tarv_channel_window window;
    window.set_rect(0, 0, 300 + (size % 300), 120);
    window.set_shown(true);
    std::size_t at = 0;
    int steps = 0;
    while (at < size && steps++ < 200) {
        const std::uint8_t op = data[at++];
        std::string arg;
        while (at < size && data[at] != 0 && arg.size() < 6000) arg.push_back(static_cast<char>(data[at++]));
        if (at < size) ++at;
        tarv_mouse_event press;
        press.type = tarv_mouse_event::LEFT_DOWN;
        switch (op % 8) {
        case 0: window.set_divert_channel(arg.c_str()); break;
        case 1: window.clear_divert_channel(); break;
        case 2: window.display_socket_data(arg.data(), static_cast<int>(arg.size())); break;
        case 3:
            if (window.channel_count() > 0) window.channel(op / 8 % window.channel_count()).tab->on_mouse(press);
            break;
        case 4:
            if (window.channel_count() > 0)
                window.channel(op / 8 % window.channel_count()).tab->page_button.on_mouse(press);
            break;
        case 5: window.page_button().on_mouse(press); break;
        case 6:
            if (op & 0x80) window.clear_channels();
            else window.set_rect(0, 0, op, op / 2);
            break;
        default: window.select_channel(arg.c_str()); break;
        }

        check(window.channel_count() <= tarv_channel_window::max_channels);
        int all_tabs = 0, on_page = 0;
        for (int i = 0; i < window.channel_count(); ++i) {
            const channel_tab& c = window.channel(i);
            check(c.name.size() <= 39);
            if (i > 0) check(window.channel(i - 1).name < c.name);
            if (c.name == "(all)") ++all_tabs;
            if (c.page == window.current_page()) ++on_page;
        }
        check(all_tabs <= 1);
        if (on_page > 0) {
            check(window.selected_channel() != nullptr);
            check(window.selected_channel()->page == window.current_page());
        }
        check(window.placeholder_tab().IsShown() == (on_page == 0));
    }
    return 0;
}
