// The main game-output display. Besides the text it hosts, inside its text
// control, the docked automap and the group display in the top-right corner.
#pragma once

#include <string>

#include "text/ansi_display.h"

// What the main display needs of a panel it places over its text.
class tarv_overlay_panel {
public:
    virtual ~tarv_overlay_panel() = default;
    virtual tarv_embedded_window& overlay_window() = 0;
    // True while the panel is a child of the main display's text control.
    virtual bool overlay_docked() const = 0;
};

class tarv_automap_overlay : public tarv_overlay_panel {
public:
    virtual int overlay_cell_size() const = 0;
};

class tarv_group_overlay : public tarv_overlay_panel {
public:
    virtual bool overlay_has_content() const = 0;
    virtual int overlay_wanted_height() const = 0;
};

class tarv_main_window : public tarv_ansi_display {
public:
    tarv_main_window(const tarv_font* font, int x, int y, int width, int height, std::string name = {});

    void update_content(bool rebuild) override;
    void on_complete_line(const char* line) override { (void)line; }

    // Settings the layout reads; each lays the display out again.
    void set_scrollbar_enable(bool on);
    void set_overlay_state(bool logged_in, bool automap_on, bool group_on);
    void set_automap_overlay(tarv_automap_overlay* overlay);
    void set_group_overlay(tarv_group_overlay* overlay);
    void place_overlays();

    int mw_scrollbar_enable = 1;
    int logged_in = 0;
    int automap_display = 1;
    int group_status_display = 1;
    tarv_automap_overlay* automap_overlay = nullptr;
    tarv_group_overlay* group_overlay = nullptr;
};
