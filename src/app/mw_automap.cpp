// The main window's side of the automap: creating the panel, where it lives
// (docked in the main window, over the main display's text, or in its own
// window), its size steps and the tags that feed it.
#include "app/mw.h"

#include "audio/sound_sources.h"
#include "config/config.h"
#include "support/debug_log.h"
#include "text/main_window.h"

void tarv_mw::create_automap()
{
    automap_display = std::make_unique<tarv_automap_display>("main automap", TConfig::instance().automap_size());
    tarv_automap_renderer& view = automap_display->renderer();
    view.logged_in = [this] { return play_state_ == PLAYING; };
    view.send_command = [this](const char* word) { process_command(word, true); };
    main_display->set_automap_overlay(automap_display.get());
}

void tarv_mw::place_automap()
{
    const TConfig& c = TConfig::instance();
    const tarv_automap_placement p =
        place_automap_decision(c.current_layout(), c.automap_docked() != 0, c.automap_display() != 0);
    automap_display->docked_in_text = p.parent == tarv_layout_parent::text_area;
    view_->place_automap_window(p.parent);
    if (p.parent == tarv_layout_parent::automap_frame) {
        automap_display->set_geometry(0, 0, automap_display->width(), automap_display->height());
        view_->size_automap_frame(automap_display->width(), automap_display->height());
    }
    if (p.frame != tarv_visibility::keep) view_->show_automap_frame(p.frame == tarv_visibility::show);
    // Over the text the main display decides, by the login as well.
    if (!automap_display->docked_in_text) automap_display->Show(p.display_shown);
    update_overlays();
}

void tarv_mw::update_automap_visibility()
{
    const TConfig& c = TConfig::instance();
    const tarv_automap_visibility v =
        update_automap_visibility_decision(c.automap_docked() != 0, c.automap_display() != 0);
    if (v.frame != tarv_visibility::keep) view_->show_automap_frame(v.frame == tarv_visibility::show);
    if (!automap_display->docked_in_text && v.display != tarv_visibility::keep)
        automap_display->Show(v.display == tarv_visibility::show);
    update_overlays();
    // The title strip and the view follow the login.
    automap_display->Refresh();
    automap_display->renderer().Refresh();
}

void tarv_mw::apply_automap_layout(const tarv_layout& layout)
{
    if (layout.automap_frame.placed)
        view_->size_automap_frame(layout.automap_frame.rect.width, layout.automap_frame.rect.height);
    // Over the text the main display places the panel itself.
    if (layout.automap_parent == tarv_layout_parent::text_area || !layout.automap_display.placed) return;
    const tarv_layout_rect& r = layout.automap_display.rect;
    automap_display->set_geometry(r.x, r.y, r.width, r.height);
}

void tarv_mw::set_map_size(int size)
{
    automap_display->set_cell_size(size);
    layout_panels();
    view_->repaint();
}

void tarv_mw::increase_map_size()
{
    automap_display->grow();
    layout_panels();
    view_->repaint();
}

void tarv_mw::decrease_map_size()
{
    automap_display->shrink();
    layout_panels();
    view_->repaint();
}

void tarv_mw::automap_data(const char* data, int length)
{
    automap_display->renderer().queue_or_display(data, length);
}

bool tarv_mw::automap_walkfail(const char* data)
{
    return automap_display->renderer().walkfail(data);
}

void tarv_mw::wall_bump_sound()
{
    if (TConfig::instance().GetSystemAudio()) tarv_audio_play_wall_bump();
}

void tarv_mw::automap_area_name(const char* data)
{
    automap_display->set_area_name(data);
}

void tarv_mw::automap_combat(bool on)
{
    automap_display->set_combat(on);
}
