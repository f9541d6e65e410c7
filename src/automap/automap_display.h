// The automap panel: a title strip (the area name, "Combat!", or "  Map  "
// outside the game) and a frame around the map view, which is a child
// window of its own. It lives in the main window (docked) or in its own
// top-level window. The view's slide and the panel's flash run from its
// animation callback.
#pragma once

#include <memory>
#include <string>

#include "automap/automap_renderer.h"
#include "text/main_window.h"

class tarv_automap_display : public tarv_embedded_window, public tarv_automap_overlay {
public:
    static constexpr int max_area_name = 6000;

    tarv_automap_display(std::string name, int cell_size);

    void update_content(bool rebuild) override {}
    void render(tarv_bitmap& surface) override;
    bool animation_callback(int elapsed_ms) override;

    // Panel and view sizes follow the view's cell size.
    void update_layout();
    void set_cell_size(int n);
    void grow();
    void shrink();

    // "areaname", "combat" and "ncombat".
    void set_area_name(const char* name);
    void set_combat(bool on);
    // The connection ended: combat off, no area name, an empty map.
    void reset_automap();

    tarv_automap_renderer& renderer() { return *renderer_; }
    const tarv_automap_renderer& renderer() const { return *renderer_; }
    const std::string& area_name() const { return area_name_; }
    bool combat() const { return combat_; }

    // tarv_automap_overlay: where the main display finds the panel.
    tarv_embedded_window& overlay_window() override { return *this; }
    bool overlay_docked() const override { return docked_in_text; }
    int overlay_cell_size() const override { return renderer_->cell_size(); }
    // Set while the panel is a child of the main display's text (embedded layout).
    bool docked_in_text = false;

private:
    std::unique_ptr<tarv_automap_renderer> renderer_;
    std::string area_name_;
    bool combat_ = false;
};
