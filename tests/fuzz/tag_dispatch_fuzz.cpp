// Feeds arbitrary tag names and payloads to the dispatcher with a host that
// has real main and popup displays. Each input is a series of tags: a name
// byte (a known name, or raw bytes up to a zero), then the data up to the
// next zero byte. The values stay in their bounds and text always has a
// target.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "connection/tag_dispatch.h"
#include "draw/bitmap.h"
#include "draw/font.h"
#include "text/ansi_display.h"

namespace {

const char* const names[] = {
    "login", "map",  "walkfail", "dirs",          "areaname", "combat", "ncombat", "uuid",   "enemyhp",
    "group", "xpp",  "event",    "hp",            "sound",    "bclear", "window_create", "append", "unappend",
    "chdiv", "chudiv", "divert", "undivert", "config", "skystate", "icons", "bf3", "b12", "bf0", "bx",
};

std::unique_ptr<tarv_font> make_font()
{
    auto font = std::make_unique<tarv_font>(tarv_font_desc{});
    for (int c = 32; c <= 126; ++c) {
        auto glyph = std::make_unique<tarv_bitmap>(6, 10);
        glyph->Clear(color_white);
        font->set_glyph(c, std::move(glyph));
    }
    return font;
}

struct fuzz_host : tarv_tag_host {
    explicit fuzz_host(const tarv_font* font) : main(font, 0, 0, 300, 100), popup(font, 0, 0, 200, 80) {}

    int state = 0;
    tarv_tag_settings settings;
    tarv_status_values values;
    tarv_ansi_display main;
    tarv_ansi_display popup;
    tarv_ansi_display* output = &main;

    // Back to a just-made host. The host and its displays are made once:
    // making two displays per input would cost more than the input.
    void start_afresh()
    {
        state = 0;
        settings = {};
        values = tarv_status_values{};
        for (tarv_ansi_display* d : {&main, &popup}) {
            if (d->updates_suspended) d->resume_updates();
            d->parser_state = 1;
            d->bracket_seen = 0;
            d->parameter = 0;
            if (d->has_partial_line()) d->flush_partial_line();
            d->text.wrap_enabled = 1;
            d->clear_display();
            d->unfreeze_scrolling();
            d->scroll_to_end();
            remove_from_animation_list(&d->text);
        }
        output = &main;
    }

    int play_state() const override { return state; }
    void set_play_state(int s) override { state = s; }
    void set_title(const char*) override {}
    void select_history_set(int) override {}
    void mark_status_dirty() override {}
    void relayout() override {}
    void show_panel(tarv_config_panel, bool) override {}
    void set_status_display_bars(bool, bool, bool) override {}
    tarv_tag_settings tag_settings() const override { return settings; }
    void switch_character_config(const char*) override {}
    void clear_password_mode() override {}
    void set_uuid(const char*) override {}
    std::int64_t ping_stopwatch_ms() const override { return 1LL << 40; }
    tarv_status_values& status_values() override { return values; }
    void redraw_status_display() override {}
    void redraw_status_bar() override {}
    void show_status_display(bool) override {}
    void clear_status_display_enemy_flag() override {}
    tarv_ansi_display& main_text_display() override { return main; }
    tarv_ansi_display* output_target() const override { return output; }
    void set_output_target(tarv_ansi_display* d) override { output = d; }
    tarv_ansi_display* find_popup_display(const char* name) override
    {
        return name[0] == 'p' ? &popup : nullptr;
    }
};

void check(bool ok)
{
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static std::unique_ptr<tarv_font> font = make_font();
    static fuzz_host host(font.get());
    host.start_afresh();
    std::size_t at = 0;
    while (at < size) {
        std::uint8_t pick = data[at++];
        host.settings.colorflash_enable = pick & 1;
        host.settings.enemy_hpbar_enable = pick & 2;
        host.settings.exp_display = pick & 4;
        std::string name;
        if (pick < 0xc0) {
            name = names[pick % std::size(names)];
        } else {
            while (at < size && data[at] != 0 && name.size() < 63) name.push_back(static_cast<char>(data[at++]));
            if (at < size) ++at;
        }
        std::string payload;
        while (at < size && data[at] != 0 && payload.size() < 14999) payload.push_back(static_cast<char>(data[at++]));
        if (at < size) ++at;
        process_tagged_data(host, name.c_str(), payload.c_str(), static_cast<int>(payload.size()));

        // Text keeps a target, and a popup only stays frozen while it is the target.
        check(host.output == &host.main || host.output == &host.popup);
        check(!host.main.updates_suspended);
        check(!host.popup.updates_suspended || host.output == &host.popup);

        const tarv_status_values& v = host.values;
        const int limit = tarv_status_values::value_limit;
        for (int x : {v.hp, v.hp_max, v.mana, v.mana_max, v.move, v.move_max, v.enemy_percent})
            check(x >= -limit && x <= limit);
        for (int i = 0; i < tarv_status_values::exp_count; ++i) {
            check(v.exp[i] >= -limit && v.exp[i] <= limit);
            if (i > 0) check(v.exp[i - 1] >= v.exp[i]);
        }
        check(v.enemy_name.size() <= static_cast<std::size_t>(tarv_status_values::max_enemy_name));
        for (int icon : v.icons) check(icon == 0 || icon == 1);
        check(v.ping_count >= 0 && v.ping_count <= tarv_status_values::ping_sample_count);
        check(v.ping_average >= 0 && v.ping_average <= limit);
        check(v.exit_mask >= 0 && v.exit_mask <= tarv_status_values::exit_mask_bits);
        check(v.directions_enabled == 0 || v.directions_enabled == 1);
        check(host.state >= 0 && host.state <= 3);
    }
    return 0;
}
