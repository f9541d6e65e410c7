// The client status line: the player's display switches, sent to the server
// after a preference changes while playing.
#pragma once

class TConfig;
struct tarv_text_buffer;

struct tarv_client_status {
    int system_audio_enable = 0;
    int cmd_separator = 0;
    int direction_button_enable = 0;
    int hint_button_enable = 0;
    int fkey_button_display = 0;
    int status_bar = 0;
    int sky_bar = 0;
    int exp_display = 0;
    int hpbar_enable = 0;
    int enemy_hpbar_enable = 0;
    int popup_display = 0;
    int group_status_display = 0;
    int current_layout = 0;
    int automap_display = 0;
    int automap_docked = 0;
    int channel_window_enable = 0;
    int channel_window_dupe = 0;
    int colorflash_enable = 0;
    int font_colors_setting = 0;
    int voting_reminders = 0;
    int current_theme = 0;
    int current_background_theme = 0;
    int theme_bg_setting = 0;
};

// The values of the current character and the system configuration.
tarv_client_status tarv_client_status_from_config(const TConfig& config);

// "tslstatus " and 20 setting characters, then " %2d %2d %2d" of the three
// theme numbers; no line feed.
void tarv_format_client_status(const tarv_client_status& status, tarv_text_buffer& out);
