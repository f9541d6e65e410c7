#include "text/main_window.h"

#include <algorithm>

tarv_main_window::tarv_main_window(const tarv_font* font, int x, int y, int width, int height, std::string name)
    : tarv_ansi_display(font, x, y, width, height, std::move(name))
{
}

void tarv_main_window::update_content(bool rebuild)
{
    bool wanted = mw_scrollbar_enable != 0;
    if (scrollbar_shown() != wanted || rebuild) {
        bool changed = scrollbar_shown() != wanted;
        set_scrollbar_shown(wanted);  // lays out when it changes
        if (!changed) layout_display();
    }
    place_overlays();
}

void tarv_main_window::set_scrollbar_enable(bool on)
{
    mw_scrollbar_enable = on ? 1 : 0;
    update_content(false);
}

void tarv_main_window::set_overlay_state(bool is_logged_in, bool automap_on, bool group_on)
{
    logged_in = is_logged_in ? 1 : 0;
    automap_display = automap_on ? 1 : 0;
    group_status_display = group_on ? 1 : 0;
    place_overlays();
}

void tarv_main_window::set_automap_overlay(tarv_automap_overlay* overlay)
{
    automap_overlay = overlay;
    place_overlays();
}

void tarv_main_window::set_group_overlay(tarv_group_overlay* overlay)
{
    group_overlay = overlay;
    place_overlays();
}

void tarv_main_window::place_overlays()
{
    int tw = text.width();
    int g = tw / 5;
    int x = tw - g - 10;
    int y = 10;
    if (automap_overlay) {
        tarv_embedded_window& map = automap_overlay->overlay_window();
        int m = automap_overlay->overlay_cell_size();
        int wa = map.width(), ha = map.height();
        x = tw - wa - 2 * m;
        y = 2 * m;
        g = wa;
        if (automap_overlay->overlay_docked()) {
            map.set_geometry(x, 2 * m, std::max(wa, 1), std::max(ha, 1));
            if (logged_in) {
                map.Show(automap_display != 0);
                if (map.IsShown()) y = 2 * m + ha + 10;
            } else {
                map.Show(false);
            }
        }
    }
    if (group_overlay && group_overlay->overlay_docked()) {
        tarv_embedded_window& group = group_overlay->overlay_window();
        if (!group_status_display || !group_overlay->overlay_has_content()) group.Show(false);
        group.set_geometry(x, y, std::max(g, 1), std::max(group_overlay->overlay_wanted_height(), 1));
    }
}
