#include "connection/client_status.h"

#include "config/config.h"
#include "support/text_buffer.h"

namespace {

char flag(int value)
{
    return value ? '1' : '0';
}

char one_or_two(int value)
{
    return (value == 1 || value == 2) ? static_cast<char>('0' + value) : '0';
}

}  // namespace

tarv_client_status tarv_client_status_from_config(const TConfig& c)
{
    tarv_client_status s;
    s.system_audio_enable = c.GetSystemAudio();
    s.cmd_separator = c.cmd_separator();
    s.direction_button_enable = c.direction_button_enable();
    s.hint_button_enable = c.hint_button_enable();
    s.fkey_button_display = c.fkey_button_display();
    s.status_bar = c.status_bar();
    s.sky_bar = c.sky_bar();
    s.exp_display = c.exp_display();
    s.hpbar_enable = c.hpbar_enable();
    s.enemy_hpbar_enable = c.enemy_hpbar_enable();
    s.popup_display = c.popup_display();
    s.group_status_display = c.group_status_display();
    s.current_layout = c.current_layout();
    s.automap_display = c.automap_display();
    s.automap_docked = c.automap_docked();
    s.channel_window_enable = c.channel_window_enable();
    s.channel_window_dupe = c.channel_window_dupe();
    s.colorflash_enable = c.colorflash_enable();
    s.font_colors_setting = c.font_colors_setting();
    s.voting_reminders = c.voting_reminders();
    s.current_theme = c.current_theme();
    s.current_background_theme = c.current_background_theme();
    s.theme_bg_setting = c.theme_bg_setting();
    return s;
}

void tarv_format_client_status(const tarv_client_status& s, tarv_text_buffer& out)
{
    const char settings[] = {
        flag(s.system_audio_enable),
        flag(s.cmd_separator),
        flag(s.direction_button_enable),
        flag(s.hint_button_enable),
        flag(s.fkey_button_display),
        flag(s.status_bar),
        flag(s.sky_bar),
        flag(s.exp_display),
        flag(s.hpbar_enable),
        flag(s.enemy_hpbar_enable),
        flag(s.popup_display),
        one_or_two(s.group_status_display),
        one_or_two(s.current_layout),
        flag(s.automap_display),
        flag(s.automap_docked),
        flag(s.channel_window_enable),
        flag(s.channel_window_dupe),
        flag(s.colorflash_enable),
        (s.font_colors_setting >= 0 && s.font_colors_setting <= 3) ? static_cast<char>('0' + s.font_colors_setting)
                                                                   : '9',
        flag(s.voting_reminders),
    };
    out.clear();
    out.append("tslstatus ");
    out.append(settings, sizeof settings);
    out.append_format(" %2d %2d %2d", s.current_theme, s.current_background_theme, s.theme_bg_setting);
}
