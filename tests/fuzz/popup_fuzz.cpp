// Feeds arbitrary "window_create" payloads to the popup manager and toggles,
// resets and closes the popups in between: a command byte, then its text up
// to the next zero byte. Definitions never fail: names stay unique, sizes
// stay positive and bounded, and every button keeps its window.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "config/config.h"
#include "draw/font.h"
#include "draw/theme.h"
#include "panels/popup_manager.h"
#include "support/debug_log.h"

namespace {

void check(bool ok)
{
    if (!ok) std::abort();
}

struct quiet_host : tarv_popup_host {
    tarv_popup_manager* manager = nullptr;
    void process_command(const char* text, bool) override
    {
        // A popup command may end the connection, which closes them all.
        if (manager && std::string(text) == "//disconnect") manager->close_all_popups();
    }
    void add_popup_menu_item(const char*) override {}
    void reset_popup_menu() override {}
    void check_popup_menu_item(const char*, bool) override {}
    void focus_command_line() override {}
    void screen_size(int* w, int* h) const override
    {
        *w = 1280;
        *h = 1024;
    }
};

void set_up_once()
{
    static bool done = false;
    if (done) return;
    done = true;
    tarv_debug_level = 0;
    tarv_set_glyph_rasterizer(nullptr);
    tarv_create_fonts();
    create_themes();
    TConfig& c = TConfig::instance();
    c.set_current(c.add(c.make_default_record("")));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    set_up_once();
    TConfig::instance().current()->popup_window_list.clear();
    quiet_host host;
    tarv_popup_manager manager(host);
    host.manager = &manager;
    manager.set_rect(0, 0, 800, 46);
    std::size_t at = 0;
    int steps = 0;
    while (at < size && steps++ < 100) {
        const std::uint8_t op = data[at++];
        std::string arg;
        while (at < size && data[at] != 0 && arg.size() < 15000) arg.push_back(static_cast<char>(data[at++]));
        if (at < size) ++at;
        switch (op % 6) {
        case 0:
        case 1: manager.create_window(arg.c_str()); break;
        case 2: manager.toggle_popup_number(op / 6 % 20); break;
        case 3: manager.reset_popup_positions(); break;
        case 4: manager.save_popup_geometry(); break;
        default:
            if (op & 0x80) manager.close_all_popups();
            else if (tarv_ansi_display* d = manager.find_popup_window(arg.c_str())) d->process_ansi_text("x\n", 2);
            break;
        }

        std::set<std::string> names;
        for (tarv_popup_button* list : {manager.first_button(), manager.first_menu_only()})
            for (tarv_popup_button* b = list; b; b = b->next) {
                check(b->window() != nullptr);
                check(names.insert(b->label()).second);
                check(b->window()->popup_command.size() <= 399);
                int w = 0, h = 0;
                b->window()->client_size(&w, &h);
                check(w >= 1 && h >= 1 && w <= 100000 && h <= 100000);
            }
        check(names.size() <= static_cast<std::size_t>(tarv_popup_manager::max_popups));
    }
    return 0;
}
