// One game character's display and behaviour settings.
#pragma once

#include <string>
#include <vector>

// Saved position and size of one popup window. A width of 0 means no size
// was saved; the requested size comes from the server and is never stored.
struct tarv_popup_geometry {
    static constexpr int max_name = 99;

    std::string name;
    int x = 48;
    int y = 48;
    int requested_width = 0;
    int requested_height = 0;
    int width = 0;
    int height = 0;
};

struct tarv_char_config {
    std::string name;
    std::string font;
    int font_size = 8;
    std::string button_font;
    int button_font_size = 6;
    int keypad_walking = 1;
    int url_hotlinking = 1;
    int compact_mode = 0;
    int cmd_pushthrough = 0;
    int local_echo = 1;
    int cmd_separator = 1;
    int button_tooltips = 0;
    int direction_button_enable = 0;
    int hint_button_enable = 1;
    int fkey_button_display = 0;
    int status_bar = 1;
    int sky_bar = 1;
    int exp_display = 1;
    int hp_display = 0;
    int hpbar_enable = 1;
    int enemy_hp_display = 1;
    int enemy_hpbar_enable = 1;
    int popup_display = 1;
    int mw_scrollbar_enable = 1;
    int locking_scrollback_enable = 0;
    int split_scrollback = 1;
    int group_status_display = 1;
    int group_status_inverted_bars = 1;
    int current_layout = 2;
    int current_theme = 1;
    int current_background_theme = 2;
    int font_colors_setting = 0;
    int theme_bg_setting = 3;
    int automap_docked = 1;
    int automap_display = 1;
    int automap_size = 11;
    int input_height = 48;
    int channel_window_enable = 0;
    int channel_window_height = 25;
    int channel_window_dupe = 1;
    int colorflash_enable = 1;
    std::vector<tarv_popup_geometry> popup_window_list;

    // Back to the defaults for every display and behaviour field; the name,
    // the fonts and the popup entries stay.
    void reset_preferences();
    // Brings every field into its accepted range.
    void normalize();
};

class tarv_xml_reader;
class tarv_xml_writer;

// Reads the children of a single_config element whose opening tag was just
// read, up to and including its closing tag; unknown children are skipped.
// Values are not brought into range here (normalize does that).
void tarv_read_char_config(tarv_xml_reader& reader, tarv_char_config& record);
// Writes one complete single_config element.
void tarv_write_char_config(tarv_xml_writer& writer, const tarv_char_config& record);

// The file name (without ".cfg") a character's settings are stored under.
// Names of safe characters map to themselves; "/", "\", "%", bytes outside
// 32..126 and a leading "." are percent-escaped, so no name can reach
// outside its folder and different names never share a file.
std::string tarv_char_config_file_base(const std::string& name);
