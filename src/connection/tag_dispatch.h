// The tagged data dispatcher: every complete tag from the server stream (and
// the local "//icons" and "//soundtest" tests) arrives here by name. The
// small tags are handled in place; payloads owned by other panels go to the
// host. Tag names compare exactly.
#pragma once

#include "config/config_view.h"
#include "connection/status_values.h"

#include <cstdint>

class tarv_ansi_display;

// The character settings the dispatcher reads.
struct tarv_tag_settings {
    bool status_bar = false;
    bool sky_bar = false;
    bool hpbar_enable = false;
    bool exp_display = false;
    bool enemy_hpbar_enable = false;
    bool colorflash_enable = false;
    bool system_audio_enable = false;
};

// What the dispatcher asks of the main window. Several operations carry the
// same names and signatures as those of tarv_connection_host and
// tarv_config_view, so one implementation serves all of them.
class tarv_tag_host {
public:
    virtual ~tarv_tag_host() = default;

    // Play state (0 not playing, 1 creating a character, 2 playing, 3 logged off).
    virtual int play_state() const = 0;
    virtual void set_play_state(int state) = 0;
    virtual void set_title(const char* title) = 0;
    // 0 disconnected, 1 connected but not logged in, 2 logged in.
    virtual void select_history_set(int set) = 0;
    // The client status line is due.
    virtual void mark_status_dirty() = 0;
    // layout_panels and a repaint of the whole window.
    virtual void relayout() = 0;
    virtual void show_panel(tarv_config_panel panel, bool shown) = 0;
    // Gives the status display its three bar flags; it is shown while any is on.
    virtual void set_status_display_bars(bool hp, bool exp, bool enemy) = 0;

    // Read after a login has switched the configuration.
    virtual tarv_tag_settings tag_settings() const = 0;

    // Login: make the named character configuration current (loaded, or
    // copied from the current one), tick the theme items and apply the
    // themes, tick every other item and re-apply the layout, apply the
    // configured fonts, the text font and the button fonts.
    virtual void switch_character_config(const char* name) = 0;
    virtual void clear_password_mode() = 0;
    // The identity from the next connection on; empty makes a default one.
    virtual void set_uuid(const char* text) = 0;
    // Time since "tsping" was last sent.
    virtual std::int64_t ping_stopwatch_ms() const = 0;

    // The values the panels draw; the dispatcher stores into them and then
    // asks for the redraws below.
    virtual tarv_status_values& status_values() = 0;
    virtual void redraw_status_display() = 0;
    virtual void redraw_status_bar() = 0;
    virtual void show_status_display(bool shown) = 0;
    virtual void clear_status_display_enemy_flag() = 0;
    // directions_enabled or exit_mask of status_values() changed.
    virtual void directions_changed() {}

    // Output targets: plain text goes to the output target. Popup displays
    // are found by name; none exist until the popup manager does.
    virtual tarv_ansi_display& main_text_display() = 0;
    virtual tarv_ansi_display* output_target() const = 0;
    virtual void set_output_target(tarv_ansi_display* display) = 0;
    virtual tarv_ansi_display* find_popup_display(const char* name);

    // Owned by panels that are not there yet: each default logs the tag at
    // level 3 and changes nothing.
    virtual void update_automap_visibility();
    virtual void set_fkey_buttons_active(bool active);
    virtual void automap_data(const char* data, int length);
    // True when the map shakes toward the wall; then the bump is heard.
    virtual bool automap_walkfail(const char* data);
    virtual void wall_bump_sound() {}
    virtual void automap_area_name(const char* data);
    virtual void automap_combat(bool on);
    virtual void group_data(const char* data);
    virtual void sound_request(const char* data);
    virtual void clear_hint_buttons();
    virtual void popup_window_create(const char* data);
    // Plain text to the channel window's named channel; without a channel
    // window the default keeps text where it goes.
    virtual void set_channel_divert(const char* channel);
    virtual void clear_channel_divert();
    virtual void preference_command(const char* data);
    virtual void sky_state(const char* data);
    // The whole tag name ("bf3", "b12") and its data.
    virtual void fkey_button_tag(const char* name, const char* data);
    virtual void hint_button_tag(const char* name, const char* data);

protected:
    static void not_ready(const char* tag);
};

// Dispatches one complete tag. length is the data's length in bytes (the
// map payload may hold anything). Null texts count as empty.
void process_tagged_data(tarv_tag_host& host, const char* name, const char* data, int length);
