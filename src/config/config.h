// Every persistent setting: the system file "karthem.cfg" and one file per
// game character in "char_configs", both under the configuration directory.
// Main thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "config/char_config.h"
#include "config/config_view.h"

#define TARV_CONFIG_INT_KEYS(X)                                                                        \
    X(font_size) X(button_font_size) X(keypad_walking) X(url_hotlinking) X(compact_mode)               \
    X(cmd_pushthrough) X(local_echo) X(cmd_separator) X(button_tooltips) X(direction_button_enable)    \
    X(hint_button_enable) X(fkey_button_display) X(status_bar) X(sky_bar) X(exp_display) X(hp_display) \
    X(hpbar_enable) X(enemy_hp_display) X(enemy_hpbar_enable) X(popup_display) X(mw_scrollbar_enable)  \
    X(locking_scrollback_enable) X(group_status_display) X(group_status_inverted_bars)                 \
    X(current_layout) X(current_theme) X(current_background_theme) X(font_colors_setting)              \
    X(theme_bg_setting) X(automap_docked) X(automap_display) X(automap_size) X(input_height)           \
    X(channel_window_enable) X(channel_window_height) X(channel_window_dupe) X(colorflash_enable)  \
    X(split_scrollback)

// Compiled-in addresses, overridable in the system file and, for one run,
// from the command line.
inline constexpr const char* tarv_default_game_host = "game.karthem.net";
inline constexpr int tarv_default_game_port = 3102;
inline constexpr const char* tarv_default_web_site_host = "www.karthem.net";
inline constexpr const char* tarv_default_help_server_host = "help.karthem.net";
inline constexpr const char* tarv_default_soundpack_host = "www.karthem.net";

class TConfig {
public:
    static constexpr int vote_menu_count = 16;
    static constexpr int max_uuid = 33;

    TConfig();
    ~TConfig();
    TConfig(const TConfig&) = delete;
    TConfig& operator=(const TConfig&) = delete;

    // The process-wide configuration, created on first use.
    static TConfig& instance();

    // nullptr: setters only store.
    void set_view(tarv_config_view* view) { view_ = view; }
    tarv_config_view* view() const { return view_; }

    // Files.
    void load_system_config_file();
    // Writes the system file and every named character file. False when the
    // system file could not be written (the old one then stays).
    bool save_system_config_file();
    // One character's file; false (old file kept) on any failure.
    bool save_char_config(const tarv_char_config& record);

    // Character records.
    tarv_char_config* get_or_load(const std::string& name);
    tarv_char_config* create_new_config(const std::string& name, tarv_char_config* old);
    void setup_default_config(const char* name);
    tarv_char_config* add(const tarv_char_config& record);
    tarv_char_config* switch_character_config(const std::string& name);
    void reset_char_config_to_defaults();
    tarv_char_config* current() const { return current_; }
    void set_current(tarv_char_config* record) { current_ = record; }
    const std::vector<std::unique_ptr<tarv_char_config>>& records() const { return records_; }
    // A record with the defaults and the fonts in use.
    tarv_char_config make_default_record(const std::string& name) const;

    // Fonts.
    void apply_font();
    void set_font_from(const std::string& native_description, int point_size);
    void set_button_font_from(const std::string& native_description, int point_size);
    // The current text size; apply_font sets it from font_size.
    int default_font_size() const { return default_font_size_; }
    void set_default_font_size(int size) { default_font_size_ = size; }

    // Popup windows.
    tarv_popup_geometry get_popup_geometry(const std::string& name) const;
    void set_popup_geometry(const tarv_popup_geometry& entry);

    // Per-field accessors of the current record: 0 (or an empty text)
    // without one; setters then do nothing.
#define TARV_CONFIG_ACCESSORS(key)                       \
    int key() const { return current_ ? current_->key : 0; } \
    void set_##key(int value);
    TARV_CONFIG_INT_KEYS(TARV_CONFIG_ACCESSORS)
#undef TARV_CONFIG_ACCESSORS
    const char* name() const { return current_ ? current_->name.c_str() : ""; }
    const char* font() const { return current_ ? current_->font.c_str() : ""; }
    const char* button_font() const { return current_ ? current_->button_font.c_str() : ""; }
    void set_font(const std::string& description);
    void set_button_font(const std::string& description);

    // System values.
    int GetSystemAudio() const { return system_audio_enable_; }
    void SetSystemAudio(int on);
    const char* uuid() const { return uuid_.c_str(); }
    void set_uuid(const char* text);
    static std::string create_default_uuid();
    int uuid_create_time() const { return uuid_create_time_; }
    int last_voting_time() const { return last_voting_time_; }
    int last_voting_reminder_time() const { return last_voting_reminder_time_; }
    int voting_reminders() const { return voting_reminders_; }
    void set_voting_reminders(int value) { voting_reminders_ = value; }
    // Empty when unset or out of range.
    const char* vote_menu_name(int index) const;
    const char* vote_menu_url(int index) const;
    // The character record named in the system file at load time.
    const char* curr_config() const { return curr_config_.c_str(); }

    // Addresses: a one-run override, else the system file's value, else the
    // compiled-in default.
    const char* game_host() const;
    int game_port() const;
    const char* web_site_host() const;
    const char* help_server_host() const;
    const char* soundpack_host() const;
    // One-run overrides, never saved. False (and logged) for a value that is
    // not a plain host name or a port 1..65535.
    bool set_game_host_override(const char* host);
    bool set_game_port_override(int port);
    // The sound pack server may carry a port: "host" or "host:port".
    bool set_soundpack_host_override(const char* host_port);
    static bool valid_host_name(const char* host);
    static bool valid_host_port(const char* host_port);
    // The web browser program: the system file's `browser`, else "firefox".
    const char* browser() const;
    // An empty or unusable name goes back to "firefox".
    void set_browser(const char* program);

private:
    void load_xml_system_config(class tarv_xml_reader& reader);
    void load_xml_single_system_config(class tarv_xml_reader& reader, const char* expected_name);
    void write_system_values(class tarv_xml_writer& writer);
    void load_host_key(class tarv_xml_reader& reader, const char* key, std::string& target);
    bool parse_font(const std::string& description, struct tarv_font_desc* out) const;
    void check(int menu_id, int value);
    void dirty();
    void relayout();

    std::vector<std::unique_ptr<tarv_char_config>> records_;
    tarv_char_config* current_ = nullptr;
    tarv_config_view* view_ = nullptr;
    int default_font_size_ = 8;

    std::string uuid_;
    int uuid_create_time_ = 0;
    std::string curr_config_;
    int system_audio_enable_ = 1;
    int last_voting_time_ = 0;
    int last_voting_reminder_time_ = 0;
    int voting_reminders_ = 1;
    std::string vote_menu_name_[vote_menu_count];
    std::string vote_menu_url_[vote_menu_count];

    // Written back only when set in the system file.
    std::string game_host_;
    int game_port_ = 0;
    std::string web_site_host_;
    std::string help_server_host_;
    std::string browser_;
    std::string soundpack_host_;
    std::string game_host_override_;
    int game_port_override_ = 0;
    std::string soundpack_host_override_;
};

// Start-up: loads the system file, then removes "bootname.txt".
void load_system_config();
// At login: the named character's record becomes current.
void switch_character_config(const char* name);
void reset_char_config_to_defaults();
void set_uuid(const char* text);
