#include "config/char_config.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "config/xml.h"
#include "support/debug_log.h"
#include "support/util.h"

namespace {

struct int_key {
    const char* key;
    int tarv_char_config::*field;
};

// File order after name, font, font_size, button_font and button_font_size.
const int_key file_int_keys[] = {
    {"keypad_walking", &tarv_char_config::keypad_walking},
    {"url_hotlinking", &tarv_char_config::url_hotlinking},
    {"compact_mode", &tarv_char_config::compact_mode},
    {"local_echo", &tarv_char_config::local_echo},
    {"cmd_separator", &tarv_char_config::cmd_separator},
    {"cmd_pushthrough", &tarv_char_config::cmd_pushthrough},
    {"hint_button_enable", &tarv_char_config::hint_button_enable},
    {"direction_button_enable", &tarv_char_config::direction_button_enable},
    {"fkey_button_display", &tarv_char_config::fkey_button_display},
    {"button_tooltips", &tarv_char_config::button_tooltips},
    {"status_bar", &tarv_char_config::status_bar},
    {"sky_bar", &tarv_char_config::sky_bar},
    {"exp_display", &tarv_char_config::exp_display},
    {"hpbar_enable", &tarv_char_config::hpbar_enable},
    {"hp_display", &tarv_char_config::hp_display},
    {"enemy_hpbar_enable", &tarv_char_config::enemy_hpbar_enable},
    {"enemy_hp_display", &tarv_char_config::enemy_hp_display},
    {"group_status_display", &tarv_char_config::group_status_display},
    {"group_status_inverted_bars", &tarv_char_config::group_status_inverted_bars},
    {"popup_display", &tarv_char_config::popup_display},
    {"locking_scrollback_enable", &tarv_char_config::locking_scrollback_enable},
    {"mw_scrollbar_enable", &tarv_char_config::mw_scrollbar_enable},
    {"current_layout", &tarv_char_config::current_layout},
    {"current_theme", &tarv_char_config::current_theme},
    {"current_background_theme", &tarv_char_config::current_background_theme},
    {"font_colors_setting", &tarv_char_config::font_colors_setting},
    {"theme_bg_setting", &tarv_char_config::theme_bg_setting},
    {"automap_docked", &tarv_char_config::automap_docked},
    {"automap_display", &tarv_char_config::automap_display},
    {"automap_size", &tarv_char_config::automap_size},
    {"input_height", &tarv_char_config::input_height},
    {"channel_window_enable", &tarv_char_config::channel_window_enable},
    {"channel_window_height", &tarv_char_config::channel_window_height},
    {"channel_window_dupe", &tarv_char_config::channel_window_dupe},
    {"colorflash_enable", &tarv_char_config::colorflash_enable},
    {"split_scrollback", &tarv_char_config::split_scrollback},
};

int tarv_char_config::*const switch_fields[] = {
    &tarv_char_config::keypad_walking,
    &tarv_char_config::url_hotlinking,
    &tarv_char_config::compact_mode,
    &tarv_char_config::cmd_pushthrough,
    &tarv_char_config::local_echo,
    &tarv_char_config::cmd_separator,
    &tarv_char_config::button_tooltips,
    &tarv_char_config::direction_button_enable,
    &tarv_char_config::hint_button_enable,
    &tarv_char_config::fkey_button_display,
    &tarv_char_config::status_bar,
    &tarv_char_config::sky_bar,
    &tarv_char_config::exp_display,
    &tarv_char_config::hp_display,
    &tarv_char_config::hpbar_enable,
    &tarv_char_config::enemy_hp_display,
    &tarv_char_config::enemy_hpbar_enable,
    &tarv_char_config::popup_display,
    &tarv_char_config::mw_scrollbar_enable,
    &tarv_char_config::locking_scrollback_enable,
    &tarv_char_config::group_status_inverted_bars,
    &tarv_char_config::automap_docked,
    &tarv_char_config::automap_display,
    &tarv_char_config::channel_window_enable,
    &tarv_char_config::channel_window_dupe,
    &tarv_char_config::colorflash_enable,
    &tarv_char_config::split_scrollback,
};

constexpr int text_value_size = 10000;
constexpr int tag_size = 1000;

int in_range_or(int value, int low, int high, int fallback) {
    return value < low || value > high ? fallback : value;
}

void read_popup_entry(tarv_xml_reader& reader, tarv_popup_geometry& entry) {
    char tag[tag_size];
    while (reader.read_tag(tag, sizeof tag)) {
        if (word_equals(tag, "name")) {
            char name[tarv_popup_geometry::max_name + 1];
            if (reader.read_data(name, sizeof name)) entry.name = name;
        } else if (word_equals(tag, "x")) {
            reader.read_data(&entry.x);
        } else if (word_equals(tag, "y")) {
            reader.read_data(&entry.y);
        } else if (word_equals(tag, "width")) {
            reader.read_data(&entry.width);
        } else if (word_equals(tag, "height")) {
            reader.read_data(&entry.height);
        } else {
            reader.skip_data();
        }
    }
}

void read_popup_list(tarv_xml_reader& reader, tarv_char_config& record) {
    char tag[tag_size];
    while (reader.read_tag(tag, sizeof tag)) {
        if (word_equals(tag, "single_popup_window")) {
            tarv_popup_geometry entry;
            read_popup_entry(reader, entry);
            record.popup_window_list.push_back(std::move(entry));
        } else {
            reader.skip_data();
        }
    }
}

}  // namespace

void tarv_char_config::reset_preferences() {
    tarv_char_config defaults;
    defaults.name = std::move(name);
    defaults.font = std::move(font);
    defaults.font_size = font_size;
    defaults.button_font = std::move(button_font);
    defaults.button_font_size = button_font_size;
    defaults.popup_window_list = std::move(popup_window_list);
    *this = std::move(defaults);
}

void tarv_char_config::normalize() {
    font_size = in_range_or(font_size, 2, 150, 10);
    // The fonts take 1..256 points, and the larger button font is two points
    // up: a corrupt value must not overflow on its way there.
    button_font_size = in_range_or(button_font_size, 1, 256, 6);
    for (auto field : switch_fields) this->*field &= 1;
    if (static_cast<unsigned>(group_status_display) > 2) group_status_display = 0;
    if (current_layout < 0) current_layout = 0;
    if (current_layout > 2) current_layout = 2;
    if (static_cast<unsigned>(font_colors_setting) > 3) font_colors_setting = 0;
    if (static_cast<unsigned>(theme_bg_setting) > 5) theme_bg_setting = 3;
    automap_size = in_range_or(automap_size, 1, 400, 11);
    input_height = in_range_or(input_height, 24, 800, 48);
    channel_window_height = in_range_or(channel_window_height, 10, 80, 25);
    for (auto& entry : popup_window_list) {
        if (entry.name.size() > tarv_popup_geometry::max_name) entry.name.resize(tarv_popup_geometry::max_name);
        // A window sized or placed from a corrupt entry could not be shown;
        // such an entry falls back to the defaults.
        if (entry.width < 0 || entry.height < 0 || entry.width > 8192 || entry.height > 8192) {
            entry.width = 0;
            entry.height = 0;
        }
        if (entry.x < -32768 || entry.x > 32767) entry.x = 48;
        if (entry.y < -32768 || entry.y > 32767) entry.y = 48;
    }
}

void tarv_read_char_config(tarv_xml_reader& reader, tarv_char_config& record) {
    char tag[tag_size];
    auto text = std::make_unique<char[]>(text_value_size);
    while (reader.read_tag(tag, sizeof tag)) {
        if (word_equals(tag, "name")) {
            if (reader.read_data(text.get(), text_value_size)) record.name = text.get();
            continue;
        }
        if (word_equals(tag, "font")) {
            if (reader.read_data(text.get(), text_value_size)) record.font = text.get();
            continue;
        }
        if (word_equals(tag, "button_font")) {
            if (reader.read_data(text.get(), text_value_size)) record.button_font = text.get();
            continue;
        }
        if (word_equals(tag, "font_size")) {
            reader.read_data(&record.font_size);
            continue;
        }
        if (word_equals(tag, "button_font_size")) {
            reader.read_data(&record.button_font_size);
            continue;
        }
        if (word_equals(tag, "popup_window_list")) {
            read_popup_list(reader, record);
            continue;
        }
        bool known = false;
        for (const auto& k : file_int_keys) {
            if (word_equals(tag, k.key)) {
                reader.read_data(&(record.*k.field));
                known = true;
                break;
            }
        }
        if (known) continue;
        // Keys written by earlier clients.
        int value = 0;
        if (word_equals(tag, "use_new_layout")) {
            if (reader.read_data(&value)) record.current_layout = value != 0 ? 1 : 0;
        } else if (word_equals(tag, "bright_color_display")) {
            if (reader.read_data(&value) && value != 0) record.font_colors_setting = 1;
        } else if (word_equals(tag, "zmud_color_display")) {
            if (reader.read_data(&value) && value != 0) record.font_colors_setting = 2;
        } else if (word_equals(tag, "gmud_color_display")) {
            if (reader.read_data(&value) && value != 0) record.font_colors_setting = 3;
        } else {
            reader.skip_data();
        }
    }
}

void tarv_write_char_config(tarv_xml_writer& writer, const tarv_char_config& record) {
    writer.write_tag("single_config", 1);
    writer.write_value("name", record.name.c_str());
    writer.write_value("font", record.font.c_str());
    writer.write_value("font_size", record.font_size);
    writer.write_value("button_font", record.button_font.c_str());
    writer.write_value("button_font_size", record.button_font_size);
    for (const auto& k : file_int_keys) writer.write_value(k.key, record.*k.field);
    writer.write_tag("popup_window_list", 1);
    for (const auto& entry : record.popup_window_list) {
        writer.write_tag("single_popup_window", 1);
        writer.write_value("name", entry.name.c_str());
        writer.write_value("x", entry.x);
        writer.write_value("y", entry.y);
        writer.write_value("width", entry.width);
        writer.write_value("height", entry.height);
        writer.end_tag("single_popup_window", 1);
    }
    writer.end_tag("popup_window_list", 1);
    writer.end_tag("single_config", 1);
}

std::string tarv_char_config_file_base(const std::string& name) {
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        bool unsafe = c < 32 || c > 126 || c == '/' || c == '\\' || c == '%' || (i == 0 && c == '.');
        if (unsafe) {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}
