// A configuration view that writes down every call it gets.
#pragma once

#include <string>
#include <vector>

#include "config/config_view.h"

namespace config_test {

class recording_view : public tarv_config_view {
public:
    std::vector<std::string> calls;
    bool audio_starts = true;
    // Descriptions parse when they start with "face:"; the rest is the face.
    bool parse_fonts = true;

    void set_menu_check(int id, bool on) override { add("check " + std::to_string(id) + (on ? " on" : " off")); }
    void mark_status_dirty() override { add("status_dirty"); }
    void relayout() override { add("relayout"); }
    void repaint() override { add("repaint"); }
    void refresh_main_display_layout() override { add("refresh_main_display"); }
    void show_panel(tarv_config_panel panel, bool shown) override {
        static const char* names[] = {"status_bar", "sky_bar", "group_display", "channel_window", "main_scrollbar"};
        add(std::string(shown ? "show " : "hide ") + names[static_cast<int>(panel)]);
    }
    void set_status_display_bars(bool hp, bool exp, bool enemy) override {
        add(std::string("bars hp=") + (hp ? "1" : "0") + " exp=" + (exp ? "1" : "0") + " enemy=" + (enemy ? "1" : "0"));
    }
    void apply_layout_mode() override { add("apply_layout_mode"); }
    void apply_theme_change(bool force) override { add(force ? "theme forced" : "theme"); }
    bool start_audio() override {
        add("start_audio");
        return audio_starts;
    }
    void stop_audio() override { add("stop_audio"); }
    bool parse_native_font(const std::string& description, tarv_font_desc* out) override {
        add("parse " + description);
        if (!parse_fonts || description.rfind("face:", 0) != 0) return false;
        *out = tarv_font_desc{};
        out->face_name = description.substr(5);
        out->weight = 92;
        return true;
    }
    void character_config_changed() override { add("config_changed"); }

    std::vector<std::string> take() {
        std::vector<std::string> out;
        out.swap(calls);
        return out;
    }

private:
    void add(std::string call) { calls.push_back(std::move(call)); }
};

}  // namespace config_test
