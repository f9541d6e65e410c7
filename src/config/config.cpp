#include "config/config.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "config/atomic_file.h"
#include "config/xml.h"
#include "draw/font.h"
#include "support/config_dir.h"
#include "support/debug_log.h"
#include "support/random.h"
#include "support/util.h"

namespace {

constexpr const char* system_file_name = "karthem.cfg";
constexpr const char* system_file_base = "karthem";
constexpr int value_size = 1000;

std::string config_path(const char* name) {
    const char* dir = tarv_client_get_config_directory();
    return std::string(dir ? dir : "") + "/" + name;
}

std::string char_config_dir() { return config_path("char_configs"); }

std::string char_config_path(const std::string& base) { return char_config_dir() + "/" + base + ".cfg"; }

// A value read from the system file into a bounded buffer.
bool read_text(tarv_xml_reader& reader, std::string& target, std::size_t keep = std::string::npos) {
    char text[value_size];
    if (!reader.read_data(text, sizeof text)) return false;
    target = text;
    if (target.size() > keep) target.resize(keep);
    return true;
}

// "vote_menu<N>_name" / "vote_menu<N>_url": N in 0..15, or -1.
int vote_menu_index(const char* tag, bool* is_url) {
    if (std::strncmp(tag, "vote_menu", 9) != 0) return -1;
    const char* p = tag + 9;
    int index = 0;
    int digits = 0;
    while (*p >= '0' && *p <= '9' && digits < 3) {
        index = index * 10 + (*p - '0');
        ++p;
        ++digits;
    }
    if (digits == 0 || index >= TConfig::vote_menu_count) return -1;
    if (word_equals(p, "_name")) {
        *is_url = false;
        return index;
    }
    if (word_equals(p, "_url")) {
        *is_url = true;
        return index;
    }
    return -1;
}

// An identity must survive the file and the identification line intact.
bool valid_uuid(const char* text) {
    for (const char* p = text; *p; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c <= 32 || c > 126) return false;
    }
    return true;
}

}  // namespace

TConfig::TConfig() = default;
TConfig::~TConfig() = default;

TConfig& TConfig::instance() {
    static TConfig config;
    return config;
}

// ---------------------------------------------------------------- records

namespace {

// A record without font descriptions gets those of the fonts in use, so the
// saved file says which fonts the player sees.
void describe_fonts_in_use(tarv_char_config& record) {
    if (record.font.empty() && text_font) record.font = text_font->native_description();
    if (record.button_font.empty() && small_font) record.button_font = small_font->native_description();
}

}  // namespace

tarv_char_config TConfig::make_default_record(const std::string& name) const {
    tarv_char_config record;
    record.name = name;
    // The fonts in use are the current record's, which apply_font follows.
    if (current_) {
        record.font = current_->font;
        record.font_size = current_->font_size;
        record.button_font = current_->button_font;
        record.button_font_size = current_->button_font_size;
    } else {
        record.font_size = default_font_size_;
        record.button_font_size = small_font ? small_font->GetPointSize() : 6;
    }
    describe_fonts_in_use(record);
    return record;
}

tarv_char_config* TConfig::add(const tarv_char_config& record) {
    for (auto& existing : records_) {
        if (existing->name == record.name) {
            TARV_LOG(3, "TConfig::add(), replacing config for %s.\n", record.name.c_str());
            std::vector<tarv_popup_geometry> popups = record.popup_window_list;
            popups.insert(popups.end(), existing->popup_window_list.begin(), existing->popup_window_list.end());
            *existing = record;
            existing->popup_window_list = std::move(popups);
            return existing.get();
        }
    }
    records_.push_back(std::make_unique<tarv_char_config>(record));
    return records_.back().get();
}

tarv_char_config* TConfig::get_or_load(const std::string& name) {
    for (auto& record : records_)
        if (record->name == name) return record.get();
    TARV_LOG(2, "TConfig::get_or_load() - trying load of config '%s'.\n", name.c_str());
    if (name.empty()) {
        // ".cfg" would be a hidden file of no character.
        TARV_LOG(2, "TConfig::get_or_load() - no config file for '%s'.\n", name.c_str());
        return nullptr;
    }
    if (!tarv_client_get_config_directory()) {
        TARV_LOG(1, "Unable to load config '%s' - no config file directory.\n", name.c_str());
        return nullptr;
    }
    const std::string base = tarv_char_config_file_base(name);
    std::string old_path = config_path((base + ".cfg").c_str());
    std::FILE* file = nullptr;
    bool old_style = false;
    // The system file sits where an old-style file of that name would.
    if (base != system_file_base) file = std::fopen(old_path.c_str(), "rb");
    if (file) {
        TARV_LOG(1, "TConfig::get_or_load() - got old style per-char config file '%s'.\n", old_path.c_str());
        old_style = true;
    } else {
        file = std::fopen(char_config_path(base).c_str(), "rb");
        if (!file) {
            TARV_LOG(2, "TConfig::get_or_load() - no config file for '%s'.\n", name.c_str());
            return nullptr;
        }
    }
    {
        tarv_xml_file_reader reader(file);
        char tag[value_size];
        while (reader.read_tag(tag, sizeof tag)) {
            if (word_equals(tag, "single_config"))
                load_xml_single_system_config(reader, name.c_str());
            else
                reader.skip_data();
        }
    }
    std::fclose(file);
    tarv_char_config* found = nullptr;
    for (auto& record : records_)
        if (record->name == name) found = record.get();
    if (found && old_style) {
        // The old file goes only once its content is safe in the new place.
        if (save_char_config(*found))
            std::remove(old_path.c_str());
        else
            TARV_LOG(1, "Warning in TConfig::get_or_load(), could not move '%s'; keeping it.\n", old_path.c_str());
    }
    TARV_LOG(2, "TConfig::get_or_load() - load of config '%s' success.\n", name.c_str());
    return found;
}

void TConfig::load_xml_single_system_config(tarv_xml_reader& reader, const char* expected_name) {
    tarv_char_config record = make_default_record("");
    tarv_read_char_config(reader, record);
    record.normalize();
    if (record.name.empty()) {
        TARV_LOG(1, "Error in TConfig::load_xml_single_system_config(), missing name for loaded config.  Ignoring.\n");
        return;
    }
    if (expected_name && record.name != expected_name) {
        TARV_LOG(1, "Error in TConfig::load_xml_single_system_config(), got bad name '%s' for loaded config '%s'.\n",
                 record.name.c_str(), expected_name);
        return;
    }
    tarv_char_config* added = add(record);
    TARV_LOG(3, "TConfig::load_xml_single_system_config() - Font size %d, '%s'.\n", added->font_size,
             added->font.c_str());
    TARV_LOG(3, "TConfig::load_xml_single_system_config() - Button font size %d, '%s'.\n", added->button_font_size,
             added->button_font.c_str());
}

tarv_char_config* TConfig::create_new_config(const std::string& name, tarv_char_config* old) {
    if (!old) {
        TARV_LOG(1, "Error in TConfig::create_new_config(), NULL old config?  Creating new.\n");
        tarv_char_config record = make_default_record(name);
        return add(record);
    }
    if (old->name.empty()) {
        TARV_LOG(3, "TConfig::create_new_config() - attaching name '%s' to current blank config.\n", name.c_str());
        old->name = name;
        return old;
    }
    TARV_LOG(3, "TConfig::create_new_config() - making a copy of current config '%s' to create config '%s'.\n",
             old->name.c_str(), name.c_str());
    tarv_char_config record = make_default_record(name);
    record.font = old->font;
    record.font_size = old->font_size;
    record.button_font = old->button_font;
    record.button_font_size = old->button_font_size;
    describe_fonts_in_use(record);
    return add(record);
}

void TConfig::setup_default_config(const char* name) {
    if (name && *name) {
        TARV_LOG(3, "TConfig::setup_default_config() - trying to use previous config '%s'.\n", name);
        current_ = get_or_load(name);
        if (current_) return;
        TARV_LOG(3, "TConfig::setup_default_config() - unable to load or find previous config, using default.\n");
    } else {
        TARV_LOG(3, "TConfig::setup_default_config() - no previous config specified, using default.\n");
    }
    current_ = add(make_default_record(""));
}

tarv_char_config* TConfig::switch_character_config(const std::string& name) {
    tarv_char_config* record = get_or_load(name);
    if (!record) record = create_new_config(name, current_);
    current_ = record;
    if (view_) view_->character_config_changed();
    apply_font();
    return record;
}

void TConfig::reset_char_config_to_defaults() {
    if (!current_) return;
    current_->reset_preferences();
    if (view_) view_->character_config_changed();
    apply_font();
}

// ---------------------------------------------------------------- fonts

bool TConfig::parse_font(const std::string& description, tarv_font_desc* out) const {
    if (description.empty() || !view_) return false;
    return view_->parse_native_font(description, out);
}

void TConfig::apply_font() {
    if (!current_) {
        TARV_LOG(1, "Error in TConfig::apply_font(), null current_char_cfg.\n");
        return;
    }
    default_font_size_ = current_->font_size;
    tarv_font_desc desc;
    if (parse_font(current_->font, &desc)) {
        desc.point_size = current_->font_size;
        if (text_font) text_font->assign_font(desc);
    } else if (text_font) {
        text_font->SetPointSize(current_->font_size);
    }
    const int size = current_->button_font_size;
    if (parse_font(current_->button_font, &desc)) {
        desc.point_size = size;
        if (small_font) small_font->assign_font(desc);
        desc.point_size = size + 2;
        if (panel_font) panel_font->assign_font(desc);
    } else {
        if (small_font) small_font->SetPointSize(size);
        if (panel_font) panel_font->SetPointSize(size + 2);
    }
}

void TConfig::set_font_from(const std::string& native_description, int point_size) {
    if (!current_) return;
    current_->font = native_description;
    current_->font_size = point_size;
}

void TConfig::set_button_font_from(const std::string& native_description, int point_size) {
    if (!current_) return;
    current_->button_font = native_description;
    current_->button_font_size = point_size;
}

void TConfig::set_font(const std::string& description) {
    if (current_) current_->font = description;
}

void TConfig::set_button_font(const std::string& description) {
    if (current_) current_->button_font = description;
}

// ---------------------------------------------------------------- popups

tarv_popup_geometry TConfig::get_popup_geometry(const std::string& name) const {
    if (current_)
        for (const auto& entry : current_->popup_window_list)
            if (entry.name == name) return entry;
    tarv_popup_geometry fresh;
    fresh.name = name.substr(0, tarv_popup_geometry::max_name);
    return fresh;
}

void TConfig::set_popup_geometry(const tarv_popup_geometry& entry) {
    if (!current_) return;
    tarv_popup_geometry stored = entry;
    if (stored.name.size() > tarv_popup_geometry::max_name) stored.name.resize(tarv_popup_geometry::max_name);
    auto& list = current_->popup_window_list;
    for (auto& existing : list) {
        if (existing.name == stored.name) {
            existing = stored;
            return;
        }
    }
    list.insert(list.begin(), stored);
}

// ---------------------------------------------------------------- setters

void TConfig::check(int menu_id, int value) {
    if (view_ && menu_id) view_->set_menu_check(menu_id, value != 0);
}

void TConfig::dirty() {
    if (view_) view_->mark_status_dirty();
}

void TConfig::relayout() {
    if (!view_) return;
    view_->relayout();
    view_->mark_status_dirty();
}

#define TARV_STORE_ONLY(key)                      \
    void TConfig::set_##key(int value) {          \
        if (current_) current_->key = value;      \
    }
TARV_STORE_ONLY(font_size)
TARV_STORE_ONLY(button_font_size)
TARV_STORE_ONLY(button_tooltips)
TARV_STORE_ONLY(hp_display)
TARV_STORE_ONLY(enemy_hp_display)
TARV_STORE_ONLY(automap_size)
TARV_STORE_ONLY(input_height)
TARV_STORE_ONLY(channel_window_height)
#undef TARV_STORE_ONLY

#define TARV_CHECK_ONLY(key, item)                \
    void TConfig::set_##key(int value) {          \
        if (!current_) return;                    \
        current_->key = value;                    \
        check(item, value);                       \
    }
TARV_CHECK_ONLY(keypad_walking, MENU_KEYPAD_WALKING)
TARV_CHECK_ONLY(url_hotlinking, MENU_URL_LINKING)
TARV_CHECK_ONLY(cmd_pushthrough, MENU_SELECT_LAST_COMMAND)
TARV_CHECK_ONLY(local_echo, MENU_LOCAL_ECHO)
TARV_CHECK_ONLY(locking_scrollback_enable, MENU_LOCKING_SCROLLBACK)
TARV_CHECK_ONLY(split_scrollback, MENU_SPLIT_SCROLLBACK)
TARV_CHECK_ONLY(group_status_inverted_bars, MENU_GROUP_BAR_INVERT)
#undef TARV_CHECK_ONLY

#define TARV_CHECK_DIRTY(key, item)               \
    void TConfig::set_##key(int value) {          \
        if (!current_) return;                    \
        current_->key = value;                    \
        check(item, value);                       \
        dirty();                                  \
    }
TARV_CHECK_DIRTY(cmd_separator, MENU_COMMAND_SEPARATOR)
TARV_CHECK_DIRTY(colorflash_enable, MENU_COLOR_FLASH)
#undef TARV_CHECK_DIRTY

#define TARV_STORE_DIRTY(key)                     \
    void TConfig::set_##key(int value) {          \
        if (!current_) return;                    \
        current_->key = value;                    \
        dirty();                                  \
    }
TARV_STORE_DIRTY(font_colors_setting)
TARV_STORE_DIRTY(automap_docked)
TARV_STORE_DIRTY(automap_display)
TARV_STORE_DIRTY(channel_window_dupe)
#undef TARV_STORE_DIRTY

#define TARV_CHECK_RELAYOUT(key, item)                      \
    void TConfig::set_##key(int value) {                    \
        if (!current_ || current_->key == value) return;    \
        current_->key = value;                              \
        check(item, value);                                 \
        relayout();                                         \
    }
TARV_CHECK_RELAYOUT(direction_button_enable, MENU_DIRECTION_BUTTONS)
TARV_CHECK_RELAYOUT(hint_button_enable, MENU_HINT_BUTTONS)
TARV_CHECK_RELAYOUT(fkey_button_display, MENU_FKEY_BUTTONS)
TARV_CHECK_RELAYOUT(popup_display, MENU_POPUP_BUTTONS)
#undef TARV_CHECK_RELAYOUT

#define TARV_PANEL_SWITCH(key, item, panel)                 \
    void TConfig::set_##key(int value) {                    \
        if (!current_ || current_->key == value) return;    \
        current_->key = value;                              \
        check(item, value);                                 \
        if (view_) view_->show_panel(panel, value != 0);    \
        relayout();                                         \
    }
TARV_PANEL_SWITCH(status_bar, MENU_STATUS_BAR, tarv_config_panel::status_bar)
TARV_PANEL_SWITCH(sky_bar, MENU_SKY_BAR, tarv_config_panel::sky_bar)
#undef TARV_PANEL_SWITCH

#define TARV_STATUS_BAR_SWITCH(key, item)                                                  \
    void TConfig::set_##key(int value) {                                                   \
        if (!current_ || current_->key == value) return;                                   \
        current_->key = value;                                                             \
        check(item, value);                                                                \
        if (view_)                                                                         \
            view_->set_status_display_bars(current_->hpbar_enable != 0, current_->exp_display != 0, \
                                           current_->enemy_hpbar_enable != 0);             \
        relayout();                                                                        \
    }
TARV_STATUS_BAR_SWITCH(exp_display, MENU_EXP_BAR)
TARV_STATUS_BAR_SWITCH(hpbar_enable, MENU_HP_BAR)
TARV_STATUS_BAR_SWITCH(enemy_hpbar_enable, MENU_ENEMY_HP_BAR)
#undef TARV_STATUS_BAR_SWITCH

void TConfig::set_compact_mode(int value) {
    if (!current_) return;
    current_->compact_mode = value;
    check(MENU_COMPACT_FONT, value);
    if (view_) view_->refresh_main_display_layout();
}

void TConfig::set_mw_scrollbar_enable(int value) {
    if (!current_ || current_->mw_scrollbar_enable == value) return;
    current_->mw_scrollbar_enable = value;
    check(MENU_MAIN_SCROLLBAR, value);
    if (!view_) return;
    view_->show_panel(tarv_config_panel::main_scrollbar, value != 0);
    view_->repaint();
}

void TConfig::set_group_status_display(int value) {
    if (!current_ || current_->group_status_display == value) return;
    current_->group_status_display = value;
    check(tarv_group_mode_menu_item(value), 1);
    if (!view_) return;
    if (value == 0) view_->show_panel(tarv_config_panel::group_display, false);
    relayout();
}

void TConfig::set_current_layout(int value) {
    if (!current_ || current_->current_layout == value) return;
    current_->current_layout = value;
    check(tarv_layout_menu_item(value), 1);
    if (!view_) return;
    view_->apply_layout_mode();
    view_->mark_status_dirty();
}

void TConfig::set_current_theme(int value) {
    if (!current_ || current_->current_theme == value) return;
    current_->current_theme = value;
    check(tarv_theme_menu_item(MENU_BUTTON_THEME_FIRST, value), 1);
    if (!view_) return;
    view_->apply_theme_change(false);
    view_->mark_status_dirty();
}

void TConfig::set_current_background_theme(int value) {
    if (!current_ || current_->current_background_theme == value) return;
    current_->current_background_theme = value;
    check(tarv_theme_menu_item(MENU_BACKGROUND_THEME_FIRST, value), 1);
    if (!view_) return;
    view_->apply_theme_change(true);
    view_->mark_status_dirty();
}

void TConfig::set_theme_bg_setting(int value) {
    if (!current_ || current_->theme_bg_setting == value) return;
    current_->theme_bg_setting = value;
    check(tarv_background_style_menu_item(value), 1);
    if (!view_) return;
    view_->apply_theme_change(true);
    view_->mark_status_dirty();
}

void TConfig::set_channel_window_enable(int value) {
    if (!current_ || current_->channel_window_enable == value) return;
    current_->channel_window_enable = value;
    if (!view_) return;
    view_->show_panel(tarv_config_panel::channel_window, value != 0);
    relayout();
}

// ---------------------------------------------------------------- system values

void TConfig::SetSystemAudio(int on) {
    on = on != 0;
    if (on == system_audio_enable_) return;
    system_audio_enable_ = on;
    dirty();
    if (!on) {
        if (view_) view_->stop_audio();
    } else if (view_ && !view_->start_audio()) {
        TARV_LOG(1, "TConfig::SetSystemAudio() - unable to start audio.  Disabling.\n");
        system_audio_enable_ = 0;
        dirty();
        view_->stop_audio();
    }
    check(MENU_SOUNDS, system_audio_enable_);
}

std::string TConfig::create_default_uuid() {
    static const char hex[] = "0123456789abcdef";
    std::string uuid = "DFLT";
    for (int i = 0; i < 28; ++i) uuid += hex[tarv_random_int() & 15];
    TARV_LOG(3, "create_default_uuid() - created default uuid '%s'.\n", uuid.c_str());
    return uuid;
}

void TConfig::set_uuid(const char* text) {
    // The tag's data may end its line like any other; blanks and line ends
    // around the identity are not part of it.
    auto is_blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    std::string_view trimmed = text ? std::string_view(text) : std::string_view();
    while (!trimmed.empty() && is_blank(trimmed.front())) trimmed.remove_prefix(1);
    while (!trimmed.empty() && is_blank(trimmed.back())) trimmed.remove_suffix(1);
    if (trimmed.empty()) {
        TARV_LOG(1, "Error in set_uuid(), null string?\n");
        uuid_ = create_default_uuid();
        return;
    }
    std::string uuid(trimmed.substr(0, max_uuid));
    if (!valid_uuid(uuid.c_str())) {
        TARV_LOG(1, "Warning in set_uuid(), unusable uuid from the server; keeping '%s'.\n", uuid_.c_str());
        return;
    }
    uuid_ = uuid;
    TARV_LOG(3, "Changed uuid to '%s'.\n", uuid_.c_str());
    int now = static_cast<int>(std::time(nullptr));
    uuid_create_time_ = now;
    last_voting_reminder_time_ = now;
    last_voting_time_ = now;
    save_system_config_file();
}

const char* TConfig::vote_menu_name(int index) const {
    return index >= 0 && index < vote_menu_count ? vote_menu_name_[index].c_str() : "";
}

const char* TConfig::vote_menu_url(int index) const {
    return index >= 0 && index < vote_menu_count ? vote_menu_url_[index].c_str() : "";
}

// ---------------------------------------------------------------- addresses

bool TConfig::valid_host_name(const char* host) {
    if (!host || !*host) return false;
    std::size_t n = 0;
    for (const char* p = host; *p; ++p, ++n) {
        char c = *p;
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
        if (!ok || n >= 253) return false;
    }
    return host[0] != '-' && host[0] != '.';
}

const char* TConfig::game_host() const {
    if (!game_host_override_.empty()) return game_host_override_.c_str();
    return game_host_.empty() ? tarv_default_game_host : game_host_.c_str();
}

int TConfig::game_port() const {
    if (game_port_override_) return game_port_override_;
    return game_port_ ? game_port_ : tarv_default_game_port;
}

const char* TConfig::web_site_host() const {
    return web_site_host_.empty() ? tarv_default_web_site_host : web_site_host_.c_str();
}

const char* TConfig::help_server_host() const {
    return help_server_host_.empty() ? tarv_default_help_server_host : help_server_host_.c_str();
}

const char* TConfig::soundpack_host() const {
    if (!soundpack_host_override_.empty()) return soundpack_host_override_.c_str();
    return soundpack_host_.empty() ? tarv_default_soundpack_host : soundpack_host_.c_str();
}

const char* TConfig::browser() const {
    return browser_.empty() ? "firefox" : browser_.c_str();
}

void TConfig::set_browser(const char* program) {
    browser_.clear();
    if (!program) return;
    std::string name = program;
    // Started directly, never through a shell; only control characters and
    // absurd lengths are refused.
    bool usable = name.size() <= 1023;
    for (unsigned char ch : name)
        if (ch < 32 || ch == 127) usable = false;
    if (usable)
        browser_ = name;
    else
        TARV_LOG(1, "Warning in TConfig::set_browser(), unusable browser '%s' ignored.\n", program);
}

bool TConfig::set_game_host_override(const char* host) {
    if (!valid_host_name(host)) {
        TARV_LOG(1, "Warning in TConfig::set_game_host_override(), bad host name '%s' ignored.\n", host ? host : "");
        return false;
    }
    game_host_override_ = host;
    return true;
}

bool TConfig::valid_host_port(const char* host_port) {
    if (!host_port) return false;
    const char* colon = std::strchr(host_port, ':');
    if (!colon) return valid_host_name(host_port);
    std::string host(host_port, colon - host_port);
    int port = 0;
    for (const char* p = colon + 1; *p; ++p) {
        if (*p < '0' || *p > '9' || port > 6553) return false;
        port = port * 10 + (*p - '0');
    }
    return port >= 1 && port <= 65535 && valid_host_name(host.c_str());
}

bool TConfig::set_soundpack_host_override(const char* host_port) {
    if (!valid_host_port(host_port)) {
        TARV_LOG(1, "Warning in TConfig::set_soundpack_host_override(), bad host '%s' ignored.\n",
                 host_port ? host_port : "");
        return false;
    }
    soundpack_host_override_ = host_port;
    return true;
}

bool TConfig::set_game_port_override(int port) {
    if (port < 1 || port > 65535) {
        TARV_LOG(1, "Warning in TConfig::set_game_port_override(), bad port %d ignored.\n", port);
        return false;
    }
    game_port_override_ = port;
    return true;
}

// ---------------------------------------------------------------- system file

void TConfig::load_host_key(tarv_xml_reader& reader, const char* key, std::string& target) {
    std::string host;
    if (!read_text(reader, host)) return;
    bool port_allowed = std::strcmp(key, "soundpack_host") == 0;
    if (port_allowed ? valid_host_port(host.c_str()) : valid_host_name(host.c_str()))
        target = host;
    else
        TARV_LOG(1, "Warning in TConfig::load_xml_system_config(), bad %s '%s' ignored.\n", key, host.c_str());
}

void TConfig::load_xml_system_config(tarv_xml_reader& reader) {
    char tag[value_size];
    std::string ignored;
    int number = 0;
    while (reader.read_tag(tag, sizeof tag)) {
        bool is_url = false;
        int vote = vote_menu_index(tag, &is_url);
        if (word_equals(tag, "uuid")) {
            // Kept as long as set_uuid keeps it, so an identity set by the
            // server is the same after a restart.
            if (read_text(reader, uuid_, max_uuid))
                TARV_LOG(3, "load_xml_system_config() - loaded uuid '%s'.\n", uuid_.c_str());
        } else if (word_equals(tag, "uuid_create_time")) {
            reader.read_data(&uuid_create_time_);
        } else if (word_equals(tag, "curr_config")) {
            read_text(reader, curr_config_);
        } else if (word_equals(tag, "system_audio_enable")) {
            reader.read_data(&system_audio_enable_);
        } else if (word_equals(tag, "last_voting_time")) {
            reader.read_data(&last_voting_time_);
        } else if (word_equals(tag, "last_voting_reminder_time")) {
            reader.read_data(&last_voting_reminder_time_);
        } else if (word_equals(tag, "voting_reminders")) {
            reader.read_data(&voting_reminders_);
        } else if (vote >= 0) {
            read_text(reader, is_url ? vote_menu_url_[vote] : vote_menu_name_[vote]);
        } else if (word_equals(tag, "bootloader_version")) {
            read_text(reader, ignored);
        } else if (word_equals(tag, "autoupdate_executable1_state") ||
                   word_equals(tag, "autoupdate_executable2_state")) {
            reader.read_data(&number);
        } else if (word_equals(tag, "single_config")) {
            load_xml_single_system_config(reader, nullptr);
        } else if (word_equals(tag, "game_host")) {
            load_host_key(reader, "game_host", game_host_);
        } else if (word_equals(tag, "game_port")) {
            if (reader.read_data(&number)) {
                if (number >= 1 && number <= 65535)
                    game_port_ = number;
                else
                    TARV_LOG(1, "Warning in TConfig::load_xml_system_config(), bad game_port %d ignored.\n", number);
            }
        } else if (word_equals(tag, "web_site_host")) {
            load_host_key(reader, "web_site_host", web_site_host_);
        } else if (word_equals(tag, "help_server_host")) {
            load_host_key(reader, "help_server_host", help_server_host_);
        } else if (word_equals(tag, "soundpack_host")) {
            load_host_key(reader, "soundpack_host", soundpack_host_);
        } else if (word_equals(tag, "browser")) {
            std::string program;
            if (read_text(reader, program)) set_browser(program.c_str());
        } else {
            reader.skip_data();
        }
    }
}

void TConfig::load_system_config_file() {
    const char* dir = tarv_client_get_config_directory();
    if (!dir) {
        TARV_LOG(1, "Unable to load system config - no config file directory.\n");
    } else {
        std::remove(config_path("sound_version.cfg").c_str());
        const std::string path = config_path(system_file_name);
        TARV_LOG(3, "load_system_config_file() - using core config file name '%s'.\n", path.c_str());
        std::FILE* file = std::fopen(path.c_str(), "rb");
        if (!file) {
            TARV_LOG(1, "Unable to load system config - cannot open config file '%s'.\n", path.c_str());
        } else {
            auto line = std::make_unique<char[]>(10000);
            if (!fget_line(file, line.get(), 10000) || !tarv_xml_reader::check_xml_header_string(line.get())) {
                TARV_LOG(1, "Warning in load_system_config_file() - bad XML header, bailing.\n");
            } else {
                tarv_xml_file_reader reader(file);
                char tag[value_size];
                while (reader.read_tag(tag, sizeof tag)) {
                    if (word_equals(tag, "system_config_list")) {
                        load_xml_system_config(reader);
                    } else {
                        TARV_LOG(1, "TConfig::load_system_config_file() got unknown tag '%s'\n", tag);
                        reader.skip_data();
                    }
                }
            }
            std::fclose(file);
        }
    }
    // Without a usable file the client still starts, with defaults.
    if (uuid_.empty()) {
        uuid_ = create_default_uuid();
        TARV_LOG(3, "load_system_config_file() - created default uuid '%s'.\n", uuid_.c_str());
    }
    setup_default_config(curr_config_.empty() ? nullptr : curr_config_.c_str());
    apply_font();
}

void TConfig::write_system_values(tarv_xml_writer& writer) {
    writer.write_value("uuid", uuid_.c_str());
    writer.write_value("uuid_create_time", uuid_create_time_);
    if (current_ && !current_->name.empty()) writer.write_value("curr_config", current_->name.c_str());
    writer.write_value("system_audio_enable", system_audio_enable_);
    writer.write_value("last_voting_time", last_voting_time_);
    writer.write_value("last_voting_reminder_time", last_voting_reminder_time_);
    writer.write_value("voting_reminders", voting_reminders_);
    for (int i = 0; i < vote_menu_count; ++i) {
        if (vote_menu_name_[i].empty()) continue;
        char key[32];
        std::snprintf(key, sizeof key, "vote_menu%d_name", i);
        writer.write_value(key, vote_menu_name_[i].c_str());
        std::snprintf(key, sizeof key, "vote_menu%d_url", i);
        writer.write_value(key, vote_menu_url_[i].c_str());
    }
    if (!game_host_.empty()) writer.write_value("game_host", game_host_.c_str());
    if (game_port_) writer.write_value("game_port", game_port_);
    if (!web_site_host_.empty()) writer.write_value("web_site_host", web_site_host_.c_str());
    if (!help_server_host_.empty()) writer.write_value("help_server_host", help_server_host_.c_str());
    if (!soundpack_host_.empty()) writer.write_value("soundpack_host", soundpack_host_.c_str());
    if (!browser_.empty()) writer.write_value("browser", browser_.c_str());
}

bool TConfig::save_system_config_file() {
    if (!tarv_client_get_config_directory()) {
        TARV_LOG(1, "Unable to save system config - no config file directory.\n");
        return false;
    }
    const std::string path = config_path(system_file_name);
    tarv_atomic_file out(path);
    if (!out.file()) {
        TARV_LOG(1, "Unable to save system config - cannot open config file '%s'.\n", path.c_str());
        return false;
    }
    tarv_xml_file_writer writer(out.file());
    if (writer.write_header() <= 0) {
        TARV_LOG(1, "Error in TConfig::save_system_config_file(), unable to write to system config file '%s'.\n",
                 path.c_str());
        return false;
    }
    writer.write_tag("system_config_list", 1);
    write_system_values(writer);
    for (const auto& record : records_)
        if (!record->name.empty()) save_char_config(*record);
    writer.end_tag("system_config_list", 1);
    writer.write_newline();
    if (writer.failed() || !out.commit()) {
        TARV_LOG(1, "Error in TConfig::save_system_config_file(), unable to write to system config file '%s'.\n",
                 path.c_str());
        return false;
    }
    return true;
}

bool TConfig::save_char_config(const tarv_char_config& record) {
    if (record.name.empty() || !tarv_client_get_config_directory()) return false;
    const std::string dir = char_config_dir();
    if (!tarv_client_check_config_directory(dir.c_str())) {
        TARV_LOG(2, "Unable to create directory for config file '%s'.\n", dir.c_str());
        return false;
    }
    const std::string path = char_config_path(tarv_char_config_file_base(record.name));
    tarv_atomic_file out(path);
    if (!out.file()) {
        TARV_LOG(1, "Unable to save config file '%s'.\n", path.c_str());
        return false;
    }
    tarv_xml_file_writer writer(out.file());
    tarv_write_char_config(writer, record);
    if (writer.failed() || !out.commit()) {
        TARV_LOG(1, "Unable to save config file '%s'.\n", path.c_str());
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- process-wide entry points

void load_system_config() {
    TConfig::instance().load_system_config_file();
    TARV_LOG(3, "load_system_config() - finished\n");
    TARV_LOG(3, "\n");
    std::remove(config_path("bootname.txt").c_str());
}

void switch_character_config(const char* name) { TConfig::instance().switch_character_config(name ? name : ""); }

void reset_char_config_to_defaults() { TConfig::instance().reset_char_config_to_defaults(); }

void set_uuid(const char* text) { TConfig::instance().set_uuid(text); }
