#include "connection/tag_dispatch.h"

#include "support/debug_log.h"
#include "support/text_buffer.h"
#include "support/util.h"
#include "text/ansi_display.h"

#include <cstring>

namespace {

constexpr int state_creating_character = 1;
constexpr int state_playing = 2;
constexpr int state_logged_off = 3;
constexpr int history_playing = 2;

void warn_no_handler(const char* name)
{
    TARV_LOG(2, "Warning in tarv_mw::process_tagged_data(), no handler for tag '%s'.\n", name);
}

tarv_ansi_display& current_output(tarv_tag_host& host)
{
    tarv_ansi_display* out = host.output_target();
    return out ? *out : host.main_text_display();
}

void login(tarv_tag_host& host, const char* data)
{
    if (*data) {
        std::size_t length = std::strcspn(data, "\n");
        if (length > static_cast<std::size_t>(tarv_text_buffer::max_length))
            length = static_cast<std::size_t>(tarv_text_buffer::max_length);
        if (length == 0) {
            // A name-less login must not rename the current configuration.
            TARV_LOG(2, "Warning in tarv_mw::process_tagged_data(), login without a character name.\n");
        } else {
            tarv_text_buffer name;
            name.append(data, length);
            tarv_text_buffer title;
            title.append("Karthem - Player ");
            title.append(name.c_str());
            host.set_title(title.c_str());
            host.switch_character_config(name.c_str());
        }
    }
    host.set_play_state(state_playing);
    host.select_history_set(history_playing);
    host.update_automap_visibility();
    host.set_fkey_buttons_active(true);
    tarv_tag_settings s = host.tag_settings();
    host.show_panel(tarv_config_panel::status_bar, s.status_bar);
    host.show_panel(tarv_config_panel::sky_bar, s.sky_bar);
    host.set_status_display_bars(s.hpbar_enable, s.exp_display, s.enemy_hpbar_enable);
    host.clear_password_mode();
    host.relayout();
    host.mark_status_dirty();
}

void dirs(tarv_tag_host& host, const char* data)
{
    tarv_status_values& values = host.status_values();
    bool changed = false;
    if (word_equals(data, "on")) {
        values.directions_enabled = 1;
        changed = true;
    } else if (word_equals(data, "off")) {
        values.directions_enabled = 0;
        changed = true;
    } else {
        TARV_LOG(2, "Warning in tarv_mw::process_tagged_data(), bad dirs string '%s'.\n", data);
    }
    if (const char* mask = next_arg(data)) {
        // Two letters from A, five bits each, the high bits first.
        auto bits = [](char c) { return c >= 'A' && c <= 'A' + 31 ? c - 'A' : -1; };
        int high = bits(mask[0]);
        int low = high < 0 ? -1 : bits(mask[1]);
        if (low < 0) {
            TARV_LOG(2, "Warning in tarv_mw::process_tagged_data(), bad exit mask '%s'.\n", mask);
        } else {
            values.exit_mask = ((high * 32) | low) & tarv_status_values::exit_mask_bits;
            changed = true;
        }
    }
    if (changed) host.directions_changed();
}

void clear_enemy(tarv_tag_host& host)
{
    host.status_values().clear_enemy();
    if (host.tag_settings().enemy_hpbar_enable)
        host.redraw_status_display();
    else
        host.clear_status_display_enemy_flag();
}

void enemyhp(tarv_tag_host& host, const char* data)
{
    if (!*data) {
        clear_enemy(host);
        return;
    }
    // A percent without a name keeps the name shown; either change redraws.
    tarv_status_values::enemy_result r = host.status_values().set_enemy(data);
    if (r.name_changed || r.percent_changed) host.redraw_status_display();
    tarv_tag_settings s = host.tag_settings();
    host.show_status_display(s.enemy_hpbar_enable || s.hpbar_enable || s.exp_display);
}

void xpp(tarv_tag_host& host, const char* data)
{
    if (host.status_values().set_exp(data) && host.tag_settings().exp_display) host.redraw_status_display();
}

void hp(tarv_tag_host& host, const char* data)
{
    // Fewer than six numbers still change what the bars show.
    if (host.status_values().set_hp(data).changed) host.redraw_status_display();
}

void event(tarv_tag_host& host, const char* data)
{
    if (word_equals(data, "colorflash")) {
        if (!host.tag_settings().colorflash_enable) return;
        const char* rest = next_arg(data);
        current_output(host).text.parse_colorflash(rest ? rest : "");
    } else if (std::strcmp(data, "tspong") == 0) {
        host.status_values().add_ping_sample(host.ping_stopwatch_ms());
        host.redraw_status_bar();
    } else if (std::strcmp(data, "newcreate") == 0) {
        host.set_play_state(state_creating_character);
    } else if (std::strcmp(data, "logoff") == 0) {
        host.set_play_state(state_logged_off);
    } else {
        TARV_LOG(2, "Warning in tarv_mw::process_tagged_data(), got unhandled event '%s'.\n", data);
    }
}

// A popup left suspended by a "divert" that was never closed would never
// show its text again: give it back its updates before the target moves on.
void release_output(tarv_tag_host& host, tarv_ansi_display* next)
{
    tarv_ansi_display* out = host.output_target();
    if (!out || out == &host.main_text_display() || out == next || !out->updates_suspended) return;
    TARV_LOG(2, "Warning in tarv_mw::process_tagged_data(), output moved on without an undivert.\n");
    out->resume_updates();
}

void no_popup(tarv_tag_host& host)
{
    tarv_ansi_display& main = host.main_text_display();
    release_output(host, &main);
    host.set_output_target(&main);
    main.reset_color();
    main.print_text("\n");
    main.print_text("Sorry, no popup window by that name has been defined.\n");
    main.print_text("\n");
    main.refresh_display();
}

// Sends the output to the named popup; null (and the player told) when there
// is no such popup.
tarv_ansi_display* output_to_popup(tarv_tag_host& host, const char* name)
{
    tarv_ansi_display* popup = host.find_popup_display(name);
    if (!popup) {
        no_popup(host);
        return nullptr;
    }
    release_output(host, popup);
    host.set_output_target(popup);
    return popup;
}

void divert(tarv_tag_host& host, const char* data)
{
    tarv_ansi_display* popup = output_to_popup(host, data);
    if (!popup) return;
    popup->suspend_updates();
    popup->clear_display();
}

void undivert(tarv_tag_host& host, const char*)
{
    tarv_ansi_display& out = current_output(host);
    out.refresh_display();
    if (out.updates_suspended) {
        int position = out.get_scroll_thumb_position();
        out.resume_updates();
        out.scroll_to_position(position);
    }
    host.set_output_target(&host.main_text_display());
}

void append(tarv_tag_host& host, const char* data) { output_to_popup(host, data); }

void unappend(tarv_tag_host& host, const char*)
{
    tarv_ansi_display& out = current_output(host);
    out.refresh_display();
    // Closing a divert with an unappend still shows what was diverted.
    if (out.updates_suspended) out.resume_updates();
    out.scroll_to_end();
    host.set_output_target(&host.main_text_display());
}

// A button tag: the prefix, then a decimal number above 0 (as strtol reads
// it; what follows the digits is the button handlers' business).
bool is_button_tag(const char* name, const char* prefix)
{
    std::size_t n = std::strlen(prefix);
    return std::strncmp(name, prefix, n) == 0 && tarv_status_read_number(name + n, nullptr) > 0;
}

using handler = void (*)(tarv_tag_host&, const char* data, int length);

struct tag_entry {
    const char* name;
    handler run;
};

// In the order the names are tested.
const tag_entry tag_table[] = {
    {"login", [](tarv_tag_host& h, const char* d, int) { login(h, d); }},
    {"map", [](tarv_tag_host& h, const char* d, int n) { h.automap_data(d, n); }},
    {"walkfail",
     [](tarv_tag_host& h, const char* d, int) {
         if (h.automap_walkfail(d)) h.wall_bump_sound();
     }},
    {"dirs", [](tarv_tag_host& h, const char* d, int) { dirs(h, d); }},
    {"areaname", [](tarv_tag_host& h, const char* d, int) { h.automap_area_name(d); }},
    {"combat", [](tarv_tag_host& h, const char*, int) { h.automap_combat(true); }},
    {"ncombat",
     [](tarv_tag_host& h, const char*, int) {
         h.automap_combat(false);
         clear_enemy(h);
     }},
    {"uuid", [](tarv_tag_host& h, const char* d, int) { h.set_uuid(d); }},
    {"enemyhp", [](tarv_tag_host& h, const char* d, int) { enemyhp(h, d); }},
    {"group", [](tarv_tag_host& h, const char* d, int) { h.group_data(d); }},
    {"xpp", [](tarv_tag_host& h, const char* d, int) { xpp(h, d); }},
    {"event", [](tarv_tag_host& h, const char* d, int) { event(h, d); }},
    {"hp", [](tarv_tag_host& h, const char* d, int) { hp(h, d); }},
    {"sound",
     [](tarv_tag_host& h, const char* d, int) {
         if (h.tag_settings().system_audio_enable) h.sound_request(d);
     }},
    {"bclear", [](tarv_tag_host& h, const char*, int) { h.clear_hint_buttons(); }},
    {"window_create", [](tarv_tag_host& h, const char* d, int) { h.popup_window_create(d); }},
    {"append", [](tarv_tag_host& h, const char* d, int) { append(h, d); }},
    {"unappend", [](tarv_tag_host& h, const char* d, int) { unappend(h, d); }},
    {"chdiv", [](tarv_tag_host& h, const char* d, int) { h.set_channel_divert(d); }},
    {"chudiv", [](tarv_tag_host& h, const char*, int) { h.clear_channel_divert(); }},
    {"divert", [](tarv_tag_host& h, const char* d, int) { divert(h, d); }},
    {"undivert", [](tarv_tag_host& h, const char* d, int) { undivert(h, d); }},
    {"config", [](tarv_tag_host& h, const char* d, int) { h.preference_command(d); }},
    {"skystate", [](tarv_tag_host& h, const char* d, int) { h.sky_state(d); }},
    {"icons",
     [](tarv_tag_host& h, const char* d, int) {
         h.status_values().set_icons(d);
         h.redraw_status_bar();
     }},
};

}  // namespace

void process_tagged_data(tarv_tag_host& host, const char* name, const char* data, int length)
{
    if (!name) name = "";
    if (!data) {
        data = "";
        length = 0;
    }
    if (length < 0) length = static_cast<int>(std::strlen(data));
    for (const tag_entry& entry : tag_table) {
        if (std::strcmp(name, entry.name) == 0) {
            entry.run(host, data, length);
            return;
        }
    }
    if (is_button_tag(name, "bf")) {
        host.fkey_button_tag(name, data);
    } else if (is_button_tag(name, "b")) {
        host.hint_button_tag(name, data);
    } else {
        warn_no_handler(name);
    }
}

// Placeholders until the owning panels are built.

void tarv_tag_host::not_ready(const char* tag)
{
    TARV_LOG(3, "tarv_mw::process_tagged_data() - no handler yet for tag '%s'.\n", tag);
}

tarv_ansi_display* tarv_tag_host::find_popup_display(const char*)
{
    return nullptr;
}

void tarv_tag_host::update_automap_visibility() {}
void tarv_tag_host::set_fkey_buttons_active(bool) {}
void tarv_tag_host::automap_data(const char*, int) { not_ready("map"); }
bool tarv_tag_host::automap_walkfail(const char*)
{
    not_ready("walkfail");
    return false;
}
void tarv_tag_host::automap_area_name(const char*) { not_ready("areaname"); }
void tarv_tag_host::automap_combat(bool on) { not_ready(on ? "combat" : "ncombat"); }
void tarv_tag_host::group_data(const char*) { not_ready("group"); }
void tarv_tag_host::sound_request(const char*) { not_ready("sound"); }
void tarv_tag_host::clear_hint_buttons() { not_ready("bclear"); }
void tarv_tag_host::popup_window_create(const char*) { not_ready("window_create"); }
void tarv_tag_host::set_channel_divert(const char*) { not_ready("chdiv"); }
void tarv_tag_host::clear_channel_divert() { not_ready("chudiv"); }
void tarv_tag_host::preference_command(const char*) { not_ready("config"); }
void tarv_tag_host::sky_state(const char*) { not_ready("skystate"); }
void tarv_tag_host::fkey_button_tag(const char* name, const char*) { not_ready(name); }
void tarv_tag_host::hint_button_tag(const char* name, const char*) { not_ready(name); }
