#include "config/config.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cctype>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "config/xml.h"
#include "config_test_env.h"
#include "draw/font.h"
#include "recording_view.h"

namespace {

using config_test::exists;
using config_test::log_text;
using config_test::read_file;
using config_test::recording_view;
using config_test::write_file;
using strings = std::vector<std::string>;

std::string system_path() { return config_test::dir() + "/karthem.cfg"; }
std::string char_path(const std::string& base) { return config_test::dir() + "/char_configs/" + base + ".cfg"; }

const char* const header = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n";

std::string char_file(const std::string& name, const std::string& children = "") {
    return "<single_config>\n  <name>" + name + "</name>\n" + children + "</single_config>\n";
}

strings files_in(const std::string& folder) {
    strings names;
    if (!exists(folder)) return names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// "DFLT" and 28 lower-case hexadecimal digits.
bool is_default_uuid(const std::string& uuid) {
    if (uuid.size() != 32 || uuid.compare(0, 4, "DFLT") != 0) return false;
    for (std::size_t i = 4; i < uuid.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(uuid[i])) && (uuid[i] < 'a' || uuid[i] > 'f')) return false;
    return true;
}

class ConfigTest : public config_test::Fixture {};

// ---------------------------------------------------------------- start and login

TEST_F(ConfigTest, FirstStartGivesANamelessDefaultAndADefaultUuid) {
    TConfig cfg;
    cfg.load_system_config_file();
    ASSERT_NE(cfg.current(), nullptr);
    EXPECT_EQ(std::string(cfg.name()), "");
    EXPECT_EQ(cfg.status_bar(), 1);
    EXPECT_EQ(cfg.current_layout(), 2);
    EXPECT_EQ(cfg.font_size(), 8);
    EXPECT_EQ(cfg.GetSystemAudio(), 1);
    EXPECT_EQ(cfg.voting_reminders(), 1);
    EXPECT_TRUE(is_default_uuid(cfg.uuid())) << cfg.uuid();
    EXPECT_FALSE(exists(system_path()));  // loading never writes
    EXPECT_NE(log_text().find("Unable to load system config - cannot open config file '" + system_path() + "'."),
              std::string::npos);

    // The first login names the nameless record instead of making another.
    tarv_char_config* blank = cfg.current();
    cfg.switch_character_config("Bob");
    EXPECT_EQ(cfg.current(), blank);
    EXPECT_EQ(std::string(cfg.name()), "Bob");
    EXPECT_EQ(cfg.records().size(), 1u);
}

TEST_F(ConfigTest, ASecondCharacterGetsDefaultSwitchesButTheFontsInUse) {
    TConfig cfg;
    cfg.load_system_config_file();
    cfg.switch_character_config("Bob");
    cfg.set_font_from("Mono 12", 12);
    cfg.set_button_font_from("Sans 9", 9);
    cfg.set_status_bar(0);
    cfg.set_automap_size(20);
    cfg.switch_character_config("Alice");
    EXPECT_EQ(std::string(cfg.name()), "Alice");
    EXPECT_EQ(cfg.records().size(), 2u);
    EXPECT_EQ(cfg.status_bar(), 1);
    EXPECT_EQ(cfg.automap_size(), 11);
    EXPECT_EQ(std::string(cfg.font()), "Mono 12");
    EXPECT_EQ(cfg.font_size(), 12);
    EXPECT_EQ(std::string(cfg.button_font()), "Sans 9");
    EXPECT_EQ(cfg.button_font_size(), 9);
    // Back to Bob: his own record, unchanged.
    cfg.switch_character_config("Bob");
    EXPECT_EQ(cfg.status_bar(), 0);
    EXPECT_EQ(cfg.automap_size(), 20);
}

TEST_F(ConfigTest, SwitchingTellsTheWindowAndAppliesFonts) {
    recording_view view;
    TConfig cfg;
    cfg.set_view(&view);
    cfg.setup_default_config(nullptr);
    cfg.current()->font = "face:Mono";
    view.take();
    cfg.switch_character_config("Bob");
    EXPECT_EQ(view.take(), (strings{"config_changed", "parse face:Mono"}));
}

TEST_F(ConfigTest, SavedSettingsComeBackAtTheNextStart) {
    {
        TConfig cfg;
        cfg.load_system_config_file();
        cfg.switch_character_config("Bob");
        cfg.set_input_height(60);
        cfg.set_current_theme(40);
        cfg.SetSystemAudio(0);
        tarv_popup_geometry who;
        who.name = "who";
        who.x = 5;
        who.width = 320;
        who.height = 240;
        cfg.set_popup_geometry(who);
        ASSERT_TRUE(cfg.save_system_config_file());
    }
    EXPECT_TRUE(exists(char_path("Bob")));
    TConfig cfg;
    cfg.load_system_config_file();
    EXPECT_EQ(std::string(cfg.name()), "Bob");
    EXPECT_EQ(cfg.input_height(), 60);
    EXPECT_EQ(cfg.current_theme(), 40);
    EXPECT_EQ(cfg.GetSystemAudio(), 0);
    tarv_popup_geometry who = cfg.get_popup_geometry("who");
    EXPECT_EQ(who.x, 5);
    EXPECT_EQ(who.y, 48);
    EXPECT_EQ(who.width, 320);
    EXPECT_EQ(who.height, 240);
}

TEST_F(ConfigTest, SystemFileRoundTripsEveryValue) {
    const std::string original = std::string(header) +
                                 "<system_config_list>\n"
                                 "  <uuid>0123456789abcdef0123456789abcdef</uuid>\n"
                                 "  <uuid_create_time>1700000000</uuid_create_time>\n"
                                 "  <bootloader_version>7</bootloader_version>\n"
                                 "  <autoupdate_executable1_state>1</autoupdate_executable1_state>\n"
                                 "  <system_audio_enable>0</system_audio_enable>\n"
                                 "  <last_voting_time>1700000100</last_voting_time>\n"
                                 "  <last_voting_reminder_time>1700000200</last_voting_reminder_time>\n"
                                 "  <voting_reminders>0</voting_reminders>\n"
                                 "  <vote_menu0_name>Top &amp; Best</vote_menu0_name>\n"
                                 "  <vote_menu0_url>http://vote.example/a?b=1&amp;c=2</vote_menu0_url>\n"
                                 "  <vote_menu15_name>Last</vote_menu15_name>\n"
                                 "  <vote_menu16_name>Beyond</vote_menu16_name>\n"
                                 "  <something_new><nested>1</nested></something_new>\n"
                                 "  <curr_config>Zed</curr_config>\n"
                                 "  <single_config>\n"
                                 "    <name>Zed</name>\n"
                                 "    <automap_size>33</automap_size>\n"
                                 "  </single_config>\n"
                                 "</system_config_list>\n";
    write_file(system_path(), original);
    TConfig cfg;
    cfg.load_system_config_file();
    EXPECT_EQ(std::string(cfg.uuid()), "0123456789abcdef0123456789abcdef");
    EXPECT_EQ(cfg.uuid_create_time(), 1700000000);
    EXPECT_EQ(cfg.GetSystemAudio(), 0);
    EXPECT_EQ(cfg.last_voting_time(), 1700000100);
    EXPECT_EQ(cfg.last_voting_reminder_time(), 1700000200);
    EXPECT_EQ(cfg.voting_reminders(), 0);
    EXPECT_EQ(std::string(cfg.vote_menu_name(0)), "Top & Best");
    EXPECT_EQ(std::string(cfg.vote_menu_url(0)), "http://vote.example/a?b=1&c=2");
    EXPECT_EQ(std::string(cfg.vote_menu_name(15)), "Last");
    EXPECT_EQ(std::string(cfg.vote_menu_url(15)), "");
    EXPECT_EQ(std::string(cfg.vote_menu_name(16)), "");
    EXPECT_EQ(std::string(cfg.name()), "Zed");
    EXPECT_EQ(cfg.automap_size(), 33);

    ASSERT_TRUE(cfg.save_system_config_file());
    const std::string expected = std::string(header) +
                                 "<system_config_list>\n"
                                 "  <uuid>0123456789abcdef0123456789abcdef</uuid>\n"
                                 "  <uuid_create_time>1700000000</uuid_create_time>\n"
                                 "  <curr_config>Zed</curr_config>\n"
                                 "  <system_audio_enable>0</system_audio_enable>\n"
                                 "  <last_voting_time>1700000100</last_voting_time>\n"
                                 "  <last_voting_reminder_time>1700000200</last_voting_reminder_time>\n"
                                 "  <voting_reminders>0</voting_reminders>\n"
                                 "  <vote_menu0_name>Top &amp; Best</vote_menu0_name>\n"
                                 "  <vote_menu0_url>http://vote.example/a?b=1&amp;c=2</vote_menu0_url>\n"
                                 "  <vote_menu15_name>Last</vote_menu15_name>\n"
                                 "  <vote_menu15_url></vote_menu15_url>\n"
                                 "</system_config_list>\n"
                                 "\n";
    EXPECT_EQ(read_file(system_path()), expected);
    // The record from inside the system file now has a file of its own.
    TConfig again;
    EXPECT_EQ(again.get_or_load("Zed")->automap_size, 33);
}

TEST_F(ConfigTest, SystemFileNamesTheCurrentCharacter) {
    write_file(system_path(), std::string(header) + "<system_config_list><curr_config>Bob</curr_config>"
                                                    "<uuid>u1</uuid></system_config_list>\n");
    write_file(char_path("Bob"), char_file("Bob", "  <sky_bar>0</sky_bar>\n"));
    TConfig cfg;
    cfg.load_system_config_file();
    EXPECT_EQ(std::string(cfg.name()), "Bob");
    EXPECT_EQ(cfg.sky_bar(), 0);
    EXPECT_EQ(std::string(cfg.uuid()), "u1");
}

TEST_F(ConfigTest, MissingCharacterFileFallsBackToTheDefault) {
    write_file(system_path(), std::string(header) + "<system_config_list><curr_config>Gone</curr_config>"
                                                    "</system_config_list>\n");
    TConfig cfg;
    cfg.load_system_config_file();
    ASSERT_NE(cfg.current(), nullptr);
    EXPECT_EQ(std::string(cfg.name()), "");
}

TEST_F(ConfigTest, BadHeaderLoadsNothing) {
    write_file(system_path(), "hello\n<system_config_list><uuid>fromfile</uuid>"
                              "<system_audio_enable>0</system_audio_enable></system_config_list>\n");
    TConfig cfg;
    cfg.load_system_config_file();
    EXPECT_TRUE(is_default_uuid(cfg.uuid()));
    EXPECT_EQ(cfg.GetSystemAudio(), 1);
    ASSERT_NE(cfg.current(), nullptr);
    EXPECT_NE(log_text().find("Warning in load_system_config_file() - bad XML header, bailing.\n"), std::string::npos);
}

TEST_F(ConfigTest, StartUpRemovesTheStaleFiles) {
    write_file(config_test::dir() + "/sound_version.cfg", "1");
    write_file(config_test::dir() + "/bootname.txt", "x");
    load_system_config();
    EXPECT_FALSE(exists(config_test::dir() + "/sound_version.cfg"));
    EXPECT_FALSE(exists(config_test::dir() + "/bootname.txt"));
    EXPECT_NE(TConfig::instance().current(), nullptr);
}

// ---------------------------------------------------------------- character files

TEST_F(ConfigTest, OldStyleFileMovesIntoTheFolder) {
    const std::string old_path = config_test::dir() + "/Bob.cfg";
    write_file(old_path, char_file("Bob", "  <automap_size>15</automap_size>\n"));
    TConfig cfg;
    tarv_char_config* bob = cfg.get_or_load("Bob");
    ASSERT_NE(bob, nullptr);
    EXPECT_EQ(bob->automap_size, 15);
    EXPECT_FALSE(exists(old_path));
    ASSERT_TRUE(exists(char_path("Bob")));
    TConfig fresh;
    ASSERT_NE(fresh.get_or_load("Bob"), nullptr);
    EXPECT_EQ(fresh.get_or_load("Bob")->automap_size, 15);
}

TEST_F(ConfigTest, OldStyleFileStaysWhenItCannotBeMoved) {
    const std::string old_path = config_test::dir() + "/Bob.cfg";
    const std::string content = char_file("Bob", "  <automap_size>15</automap_size>\n");
    write_file(old_path, content);
    write_file(config_test::dir() + "/char_configs", "a file where the folder should be");
    TConfig cfg;
    ASSERT_NE(cfg.get_or_load("Bob"), nullptr);
    EXPECT_EQ(read_file(old_path), content);
}

TEST_F(ConfigTest, ACharacterNamedLikeTheSystemFileNeverTouchesIt) {
    // Even a system file that reads like a character file stays put.
    const std::string system = char_file("karthem");
    write_file(system_path(), system);
    TConfig cfg;
    EXPECT_EQ(cfg.get_or_load("karthem"), nullptr);
    EXPECT_EQ(read_file(system_path()), system);
    cfg.setup_default_config(nullptr);
    cfg.switch_character_config("karthem");
    ASSERT_TRUE(cfg.save_char_config(*cfg.current()));
    EXPECT_TRUE(exists(char_path("karthem")));
    EXPECT_EQ(read_file(system_path()), system);
}

TEST_F(ConfigTest, WrongOrMissingNameInAFileIsDropped) {
    write_file(char_path("Bob"), char_file("Alice"));
    write_file(char_path("Eve"), "<single_config><automap_size>3</automap_size></single_config>\n");
    TConfig cfg;
    EXPECT_EQ(cfg.get_or_load("Bob"), nullptr);
    EXPECT_EQ(cfg.get_or_load("Eve"), nullptr);
    EXPECT_TRUE(cfg.records().empty());
    std::string log = log_text();
    EXPECT_NE(log.find("Error in TConfig::load_xml_single_system_config(), got bad name 'Alice' for loaded config "
                       "'Bob'.\n"),
              std::string::npos);
    EXPECT_NE(log.find("Error in TConfig::load_xml_single_system_config(), missing name for loaded config.  "
                       "Ignoring.\n"),
              std::string::npos);
}

TEST_F(ConfigTest, UnsafeNamesStayInsideTheFolderAndLoadBack) {
    const strings names = {"../../escape", "/etc/passwd", "..", ".", "a\\b", "tab\there", "50%", "a%2Fb", "a/b"};
    {
        TConfig cfg;
        cfg.setup_default_config(nullptr);
        int size = 12;
        for (const auto& name : names) {
            cfg.switch_character_config(name);
            cfg.set_automap_size(size++);
        }
        ASSERT_TRUE(cfg.save_system_config_file());
    }
    // Everything written sits in the two expected places.
    EXPECT_EQ(files_in(config_test::dir()), (strings{"char_configs", "karthem.cfg"}));
    EXPECT_EQ(files_in(config_test::home_dir()), (strings{".Karthem", "debug_log.txt"}));
    EXPECT_EQ(files_in(config_test::dir() + "/char_configs").size(), names.size());
    TConfig fresh;
    int size = 12;
    for (const auto& name : names) {
        tarv_char_config* record = fresh.get_or_load(name);
        if (name.find('\t') != std::string::npos) {
            // A tab cannot come back through the reader; the file is dropped.
            EXPECT_EQ(record, nullptr);
            ++size;
            continue;
        }
        ASSERT_NE(record, nullptr) << name;
        EXPECT_EQ(record->automap_size, size++) << name;
    }
}

TEST_F(ConfigTest, EmptyNameNeverReadsAFile) {
    write_file(char_path(""), char_file(""));
    write_file(config_test::dir() + "/.cfg", char_file(""));
    TConfig cfg;
    EXPECT_EQ(cfg.get_or_load(""), nullptr);
}

// ---------------------------------------------------------------- records

TEST_F(ConfigTest, CreateNewConfigWithoutAnOldRecord) {
    TConfig cfg;
    tarv_char_config* made = cfg.create_new_config("Bob", nullptr);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->name, "Bob");
    EXPECT_EQ(made->status_bar, 1);
    EXPECT_NE(log_text().find("Error in TConfig::create_new_config(), NULL old config?  Creating new.\n"),
              std::string::npos);
}

TEST_F(ConfigTest, AddingASameNamedRecordReplacesItAndKeepsItsPopups) {
    TConfig cfg;
    tarv_char_config first;
    first.name = "Bob";
    first.popup_window_list.push_back({"old"});
    tarv_char_config* stored = cfg.add(first);
    tarv_char_config second;
    second.name = "Bob";
    second.automap_size = 30;
    second.popup_window_list.push_back({"new"});
    EXPECT_EQ(cfg.add(second), stored);
    EXPECT_EQ(cfg.records().size(), 1u);
    EXPECT_EQ(stored->automap_size, 30);
    ASSERT_EQ(stored->popup_window_list.size(), 2u);
    EXPECT_EQ(stored->popup_window_list[0].name, "new");
    EXPECT_EQ(stored->popup_window_list[1].name, "old");
}

TEST_F(ConfigTest, ResetToDefaultsKeepsNameFontsAndPopups) {
    recording_view view;
    TConfig cfg;
    cfg.set_view(&view);
    cfg.setup_default_config(nullptr);
    cfg.switch_character_config("Bob");
    cfg.set_font_from("Mono 12", 12);
    cfg.set_popup_geometry({"who", 1, 2});
    cfg.set_status_bar(0);
    cfg.set_current_theme(90);
    cfg.set_channel_window_height(70);
    view.take();
    cfg.reset_char_config_to_defaults();
    EXPECT_EQ(cfg.status_bar(), 1);
    EXPECT_EQ(cfg.current_theme(), 1);
    EXPECT_EQ(cfg.channel_window_height(), 25);
    EXPECT_EQ(std::string(cfg.name()), "Bob");
    EXPECT_EQ(std::string(cfg.font()), "Mono 12");
    EXPECT_EQ(cfg.font_size(), 12);
    EXPECT_EQ(cfg.get_popup_geometry("who").x, 1);
    EXPECT_EQ(view.take(), (strings{"config_changed", "parse Mono 12"}));
}

TEST_F(ConfigTest, PopupGeometry) {
    TConfig cfg;
    EXPECT_EQ(cfg.get_popup_geometry("x").x, 48);  // no record: a fresh entry
    cfg.set_popup_geometry({"x", 1, 1});           // and nothing stored
    cfg.setup_default_config(nullptr);
    EXPECT_TRUE(cfg.current()->popup_window_list.empty());

    tarv_popup_geometry fresh = cfg.get_popup_geometry("who");
    EXPECT_EQ(fresh.name, "who");
    EXPECT_EQ(fresh.x, 48);
    EXPECT_EQ(fresh.y, 48);
    EXPECT_EQ(fresh.width, 0);
    EXPECT_EQ(fresh.height, 0);

    cfg.set_popup_geometry({"a", 1, 2});
    cfg.set_popup_geometry({"b", 3, 4});
    tarv_popup_geometry a = cfg.get_popup_geometry("a");
    a.requested_width = 80;
    a.width = 640;
    cfg.set_popup_geometry(a);
    const auto& list = cfg.current()->popup_window_list;
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "b");  // new entries go in front
    EXPECT_EQ(list[1].name, "a");
    EXPECT_EQ(cfg.get_popup_geometry("a").requested_width, 80);
    EXPECT_EQ(cfg.get_popup_geometry("a").width, 640);
    EXPECT_EQ(cfg.get_popup_geometry("a").y, 2);
}

// ---------------------------------------------------------------- setters

struct setter_case {
    const char* what;
    std::function<void(TConfig&)> set;
    std::function<int(const TConfig&)> get;
    int stored;
    strings calls;
};

TEST_F(ConfigTest, SettersStoreAndTellTheWindow) {
    const strings relayout = {"relayout", "status_dirty"};
    auto with = [](strings head, const strings& tail) {
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    };
    const setter_case cases[] = {
        {"status_bar off", [](TConfig& c) { c.set_status_bar(0); }, &TConfig::status_bar, 0,
         with({"check 14 off", "hide status_bar"}, relayout)},
        {"status_bar unchanged", [](TConfig& c) { c.set_status_bar(1); }, &TConfig::status_bar, 1, {}},
        {"sky_bar off", [](TConfig& c) { c.set_sky_bar(0); }, &TConfig::sky_bar, 0,
         with({"check 15 off", "hide sky_bar"}, relayout)},
        {"hpbar off", [](TConfig& c) { c.set_hpbar_enable(0); }, &TConfig::hpbar_enable, 0,
         with({"check 16 off", "bars hp=0 exp=1 enemy=1"}, relayout)},
        {"exp off", [](TConfig& c) { c.set_exp_display(0); }, &TConfig::exp_display, 0,
         with({"check 17 off", "bars hp=1 exp=0 enemy=1"}, relayout)},
        {"enemy off", [](TConfig& c) { c.set_enemy_hpbar_enable(0); }, &TConfig::enemy_hpbar_enable, 0,
         with({"check 18 off", "bars hp=1 exp=1 enemy=0"}, relayout)},
        {"direction on", [](TConfig& c) { c.set_direction_button_enable(1); }, &TConfig::direction_button_enable, 1,
         with({"check 12 on"}, relayout)},
        {"hint off", [](TConfig& c) { c.set_hint_button_enable(0); }, &TConfig::hint_button_enable, 0,
         with({"check 11 off"}, relayout)},
        {"fkey on", [](TConfig& c) { c.set_fkey_button_display(1); }, &TConfig::fkey_button_display, 1,
         with({"check 13 on"}, relayout)},
        {"popup off", [](TConfig& c) { c.set_popup_display(0); }, &TConfig::popup_display, 0,
         with({"check 10 off"}, relayout)},
        {"popup unchanged", [](TConfig& c) { c.set_popup_display(1); }, &TConfig::popup_display, 1, {}},
        {"scrollbar off", [](TConfig& c) { c.set_mw_scrollbar_enable(0); }, &TConfig::mw_scrollbar_enable, 0,
         {"check 30 off", "hide main_scrollbar", "repaint"}},
        {"group off", [](TConfig& c) { c.set_group_status_display(0); }, &TConfig::group_status_display, 0,
         with({"check 19 on", "hide group_display"}, relayout)},
        {"group horizontal", [](TConfig& c) { c.set_group_status_display(2); }, &TConfig::group_status_display, 2,
         with({"check 20 on"}, relayout)},
        {"layout embedded", [](TConfig& c) { c.set_current_layout(0); }, &TConfig::current_layout, 0,
         {"check 7 on", "apply_layout_mode", "status_dirty"}},
        {"layout unchanged", [](TConfig& c) { c.set_current_layout(2); }, &TConfig::current_layout, 2, {}},
        {"button theme brown", [](TConfig& c) { c.set_current_theme(40); }, &TConfig::current_theme, 40,
         {"check 46 on", "theme", "status_dirty"}},
        {"button theme unknown", [](TConfig& c) { c.set_current_theme(7); }, &TConfig::current_theme, 7,
         {"theme", "status_dirty"}},
        {"background grey", [](TConfig& c) { c.set_current_background_theme(90); },
         &TConfig::current_background_theme, 90, {"check 44 on", "theme forced", "status_dirty"}},
        {"style bubbles", [](TConfig& c) { c.set_theme_bg_setting(4); }, &TConfig::theme_bg_setting, 4,
         {"check 59 on", "theme forced", "status_dirty"}},
        {"style maze3", [](TConfig& c) { c.set_theme_bg_setting(5); }, &TConfig::theme_bg_setting, 5,
         {"check 58 on", "theme forced", "status_dirty"}},
        {"channel window on", [](TConfig& c) { c.set_channel_window_enable(1); }, &TConfig::channel_window_enable, 1,
         with({"show channel_window"}, relayout)},
        {"keypad unchanged still ticks", [](TConfig& c) { c.set_keypad_walking(1); }, &TConfig::keypad_walking, 1,
         {"check 29 on"}},
        {"url off", [](TConfig& c) { c.set_url_hotlinking(0); }, &TConfig::url_hotlinking, 0, {"check 32 off"}},
        {"pushthrough on", [](TConfig& c) { c.set_cmd_pushthrough(1); }, &TConfig::cmd_pushthrough, 1,
         {"check 26 on"}},
        {"echo off", [](TConfig& c) { c.set_local_echo(0); }, &TConfig::local_echo, 0, {"check 28 off"}},
        {"locking on", [](TConfig& c) { c.set_locking_scrollback_enable(1); }, &TConfig::locking_scrollback_enable,
         1, {"check 31 on"}},
        {"split off", [](TConfig& c) { c.set_split_scrollback(0); }, &TConfig::split_scrollback, 0,
         {"check 120 off"}},
        {"bar invert off", [](TConfig& c) { c.set_group_status_inverted_bars(0); },
         &TConfig::group_status_inverted_bars, 0, {"check 22 off"}},
        {"compact on", [](TConfig& c) { c.set_compact_mode(1); }, &TConfig::compact_mode, 1,
         {"check 33 on", "refresh_main_display"}},
        {"separator off", [](TConfig& c) { c.set_cmd_separator(0); }, &TConfig::cmd_separator, 0,
         {"check 27 off", "status_dirty"}},
        {"colorflash off", [](TConfig& c) { c.set_colorflash_enable(0); }, &TConfig::colorflash_enable, 0,
         {"check 25 off", "status_dirty"}},
        {"font colours", [](TConfig& c) { c.set_font_colors_setting(2); }, &TConfig::font_colors_setting, 2,
         {"status_dirty"}},
        {"undocked", [](TConfig& c) { c.set_automap_docked(0); }, &TConfig::automap_docked, 0, {"status_dirty"}},
        {"map hidden", [](TConfig& c) { c.set_automap_display(0); }, &TConfig::automap_display, 0, {"status_dirty"}},
        {"no dupe", [](TConfig& c) { c.set_channel_window_dupe(0); }, &TConfig::channel_window_dupe, 0,
         {"status_dirty"}},
        {"map size", [](TConfig& c) { c.set_automap_size(15); }, &TConfig::automap_size, 15, {}},
        {"input height", [](TConfig& c) { c.set_input_height(60); }, &TConfig::input_height, 60, {}},
        {"channel height", [](TConfig& c) { c.set_channel_window_height(30); }, &TConfig::channel_window_height, 30,
         {}},
        {"tooltips", [](TConfig& c) { c.set_button_tooltips(1); }, &TConfig::button_tooltips, 1, {}},
    };
    for (const auto& c : cases) {
        recording_view view;
        TConfig cfg;
        cfg.setup_default_config(nullptr);
        cfg.set_view(&view);
        c.set(cfg);
        EXPECT_EQ(c.get(cfg), c.stored) << c.what;
        EXPECT_EQ(view.calls, c.calls) << c.what;
    }
}

TEST_F(ConfigTest, WithoutACurrentRecordGettersGiveZeroAndSettersDoNothing) {
    recording_view view;
    TConfig cfg;
    cfg.set_view(&view);
#define TRY_KEY(key)                          \
    cfg.set_##key(cfg.key() == 1 ? 0 : 1);    \
    EXPECT_EQ(cfg.key(), 0) << #key;
    TARV_CONFIG_INT_KEYS(TRY_KEY)
#undef TRY_KEY
    cfg.set_font_from("x", 3);
    cfg.set_popup_geometry({"p"});
    EXPECT_EQ(std::string(cfg.font()), "");
    EXPECT_EQ(std::string(cfg.name()), "");
    EXPECT_TRUE(view.calls.empty());
    EXPECT_TRUE(cfg.records().empty());
}

TEST_F(ConfigTest, SettersWithoutAViewOnlyStore) {
    TConfig cfg;
    cfg.setup_default_config(nullptr);
    cfg.set_status_bar(0);
    cfg.set_current_layout(1);
    cfg.SetSystemAudio(0);
    cfg.SetSystemAudio(1);
    EXPECT_EQ(cfg.status_bar(), 0);
    EXPECT_EQ(cfg.current_layout(), 1);
    EXPECT_EQ(cfg.GetSystemAudio(), 1);
}

TEST_F(ConfigTest, SystemAudio) {
    recording_view view;
    TConfig cfg;
    cfg.set_view(&view);
    cfg.SetSystemAudio(1);
    EXPECT_TRUE(view.take().empty());

    cfg.SetSystemAudio(0);
    EXPECT_EQ(cfg.GetSystemAudio(), 0);
    EXPECT_EQ(view.take(), (strings{"status_dirty", "stop_audio", "check 34 off"}));

    view.audio_starts = false;
    cfg.SetSystemAudio(1);
    EXPECT_EQ(cfg.GetSystemAudio(), 0);
    EXPECT_EQ(view.take(), (strings{"status_dirty", "start_audio", "status_dirty", "stop_audio", "check 34 off"}));
    EXPECT_NE(log_text().find("TConfig::SetSystemAudio() - unable to start audio.  Disabling.\n"), std::string::npos);

    view.audio_starts = true;
    cfg.SetSystemAudio(1);
    EXPECT_EQ(cfg.GetSystemAudio(), 1);
    EXPECT_EQ(view.take(), (strings{"status_dirty", "start_audio", "check 34 on"}));
}

// ---------------------------------------------------------------- fonts

TEST_F(ConfigTest, ApplyFontFollowsTheCurrentRecord) {
    tarv_create_fonts();
    recording_view view;
    TConfig cfg;
    cfg.set_view(&view);

    cfg.apply_font();  // no record: nothing changes
    EXPECT_EQ(text_font->GetPointSize(), 8);
    EXPECT_NE(log_text().find("Error in TConfig::apply_font(), null current_char_cfg.\n"), std::string::npos);

    cfg.setup_default_config(nullptr);
    cfg.set_font_from("face:Mono", 12);
    cfg.set_button_font_from("face:Sans", 10);
    cfg.apply_font();
    EXPECT_EQ(cfg.default_font_size(), 12);
    EXPECT_EQ(text_font->desc().face_name, "Mono");
    EXPECT_EQ(text_font->desc().weight, 92);
    EXPECT_EQ(text_font->GetPointSize(), 12);
    EXPECT_EQ(small_font->desc().face_name, "Sans");
    EXPECT_EQ(small_font->GetPointSize(), 10);
    EXPECT_EQ(panel_font->desc().face_name, "Sans");
    EXPECT_EQ(panel_font->GetPointSize(), 12);

    // A description the toolkit cannot parse changes only the sizes.
    cfg.set_font_from("garbled", 9);
    cfg.set_button_font_from("", 7);
    cfg.apply_font();
    EXPECT_EQ(text_font->desc().face_name, "Mono");
    EXPECT_EQ(text_font->GetPointSize(), 9);
    EXPECT_EQ(small_font->GetPointSize(), 7);
    EXPECT_EQ(panel_font->GetPointSize(), 9);
    tarv_create_fonts();
}

namespace {

// Draws glyphs as the fallback does and describes fonts the way the
// recording view reads them back.
struct describing_rasterizer : tarv_glyph_rasterizer {
    tarv_glyph_rasterizer* glyphs = tarv_get_glyph_rasterizer();
    void render_glyphs(const tarv_font_desc& desc, tarv_glyph_table& table) override {
        if (glyphs) glyphs->render_glyphs(desc, table);
    }
    std::string describe(const tarv_font_desc& desc) override {
        return "face:" + (desc.face_name.empty() ? std::string("Fixed") : desc.face_name) + " " +
               std::to_string(desc.point_size);
    }
};

}  // namespace

TEST_F(ConfigTest, NewRecordsDescribeTheFontsInUse) {
    tarv_create_fonts();
    describing_rasterizer rasterizer;
    tarv_set_glyph_rasterizer(&rasterizer);
    TConfig cfg;
    cfg.load_system_config_file();  // first start: a default record
    EXPECT_EQ(std::string(cfg.font()), "face:Fixed 8");
    EXPECT_EQ(std::string(cfg.button_font()), "face:Fixed 6");

    // A character logging in later copies the fonts in use, and the file
    // says which they are.
    cfg.switch_character_config("Ann");
    cfg.switch_character_config("Bob");
    EXPECT_EQ(std::string(cfg.font()), "face:Fixed 8");
    cfg.save_system_config_file();
    EXPECT_NE(read_file(config_test::dir() + "/char_configs/Bob.cfg").find("<font>face:Fixed 8</font>"), std::string::npos)
        << read_file(config_test::dir() + "/char_configs/Bob.cfg");

    // A chosen font is kept as chosen.
    cfg.set_font_from("face:Mono 12", 12);
    cfg.switch_character_config("Cid");
    EXPECT_EQ(std::string(cfg.font()), "face:Mono 12");
    tarv_set_glyph_rasterizer(rasterizer.glyphs);
    tarv_create_fonts();
}

// ---------------------------------------------------------------- identity

TEST_F(ConfigTest, UuidFromTheServerIsStampedAndSavedAtOnce) {
    TConfig cfg;
    cfg.load_system_config_file();
    int before = static_cast<int>(std::time(nullptr));
    cfg.set_uuid("abc123");
    int after = static_cast<int>(std::time(nullptr));
    EXPECT_EQ(std::string(cfg.uuid()), "abc123");
    for (int stamp : {cfg.uuid_create_time(), cfg.last_voting_time(), cfg.last_voting_reminder_time()}) {
        EXPECT_GE(stamp, before);
        EXPECT_LE(stamp, after);
    }
    EXPECT_NE(read_file(system_path()).find("<uuid>abc123</uuid>"), std::string::npos);
}

TEST_F(ConfigTest, UnusableUuidFromTheServer) {
    TConfig cfg;
    cfg.load_system_config_file();
    const std::string original = cfg.uuid();

    cfg.set_uuid("bad\nuuid");  // would break the file and the identification line
    EXPECT_EQ(std::string(cfg.uuid()), original);
    EXPECT_FALSE(exists(system_path()));

    cfg.set_uuid("");
    EXPECT_TRUE(is_default_uuid(cfg.uuid()));
    EXPECT_NE(std::string(cfg.uuid()), original);
    EXPECT_NE(log_text().find("Error in set_uuid(), null string?\n"), std::string::npos);
}

TEST_F(ConfigTest, UuidLosesTheBlanksAndLineEndsAroundIt) {
    struct uuid_case {
        const char* data;
        const char* kept;  // nullptr: refused, the identity stays
    };
    const std::string id = "DFLT0123456789abcdef0123456789ab";
    const std::string with_line_feed = id + "\n";
    const uuid_case cases[] = {
        {with_line_feed.c_str(), id.c_str()},
        {"abc123 \r\n", "abc123"},
        {" \tabc123\t", "abc123"},
        {"bad\nuuid\n", nullptr},
        {"bad\x01id", nullptr},
        {"bad id", nullptr},
    };
    for (const uuid_case& c : cases) {
        TConfig cfg;
        cfg.load_system_config_file();
        const std::string before = cfg.uuid();
        cfg.set_uuid(c.data);
        EXPECT_EQ(std::string(cfg.uuid()), c.kept ? std::string(c.kept) : before) << c.data;
    }
    TConfig cfg;
    cfg.load_system_config_file();
    cfg.set_uuid(" \r\n");
    EXPECT_TRUE(is_default_uuid(cfg.uuid()));
}

TEST_F(ConfigTest, LongUuidIsCutOnceAndKeptAcrossARestart) {
    {
        TConfig cfg;
        cfg.load_system_config_file();
        cfg.set_uuid("0123456789012345678901234567890123456789");
        EXPECT_EQ(std::string(cfg.uuid()), "012345678901234567890123456789012");
    }
    TConfig cfg;
    cfg.load_system_config_file();
    EXPECT_EQ(std::string(cfg.uuid()), "012345678901234567890123456789012");
}

// ---------------------------------------------------------------- addresses

TEST_F(ConfigTest, AddressesDefaultFileAndOverride) {
    {
        TConfig cfg;
        cfg.load_system_config_file();
        EXPECT_EQ(std::string(cfg.game_host()), "game.karthem.net");
        EXPECT_EQ(cfg.game_port(), 3102);
        EXPECT_EQ(std::string(cfg.web_site_host()), "www.karthem.net");
        EXPECT_EQ(std::string(cfg.help_server_host()), "help.karthem.net");
        EXPECT_EQ(std::string(cfg.soundpack_host()), "www.karthem.net");
        ASSERT_TRUE(cfg.save_system_config_file());
        std::string saved = read_file(system_path());
        for (const char* key : {"game_host", "game_port", "web_site_host", "help_server_host", "soundpack_host"})
            EXPECT_EQ(saved.find(key), std::string::npos) << key;
    }
    write_file(system_path(), std::string(header) +
                                  "<system_config_list>\n"
                                  "  <game_host>test.example.org</game_host>\n"
                                  "  <game_port>4000</game_port>\n"
                                  "  <web_site_host>web.example.org</web_site_host>\n"
                                  "  <help_server_host>help.example.org</help_server_host>\n"
                                  "  <soundpack_host>sounds.example.org:8080</soundpack_host>\n"
                                  "</system_config_list>\n");
    {
        TConfig cfg;
        cfg.load_system_config_file();
        EXPECT_EQ(std::string(cfg.game_host()), "test.example.org");
        EXPECT_EQ(cfg.game_port(), 4000);
        EXPECT_EQ(std::string(cfg.web_site_host()), "web.example.org");
        EXPECT_EQ(std::string(cfg.help_server_host()), "help.example.org");
        EXPECT_EQ(std::string(cfg.soundpack_host()), "sounds.example.org:8080");
        EXPECT_TRUE(cfg.set_soundpack_host_override("127.0.0.1:8123"));
        EXPECT_EQ(std::string(cfg.soundpack_host()), "127.0.0.1:8123");
        EXPECT_TRUE(cfg.set_game_host_override("127.0.0.1"));
        EXPECT_TRUE(cfg.set_game_port_override(5555));
        EXPECT_EQ(std::string(cfg.game_host()), "127.0.0.1");
        EXPECT_EQ(cfg.game_port(), 5555);
        ASSERT_TRUE(cfg.save_system_config_file());
    }
    TConfig cfg;
    cfg.load_system_config_file();
    EXPECT_EQ(std::string(cfg.game_host()), "test.example.org");  // the override was for one run
    EXPECT_EQ(cfg.game_port(), 4000);
    EXPECT_EQ(std::string(cfg.soundpack_host()), "sounds.example.org:8080");
}

TEST_F(ConfigTest, BadAddressesAreIgnored) {
    write_file(system_path(), std::string(header) +
                                  "<system_config_list>\n"
                                  "  <game_host>evil host</game_host>\n"
                                  "  <game_port>70000</game_port>\n"
                                  "  <web_site_host>x/y</web_site_host>\n"
                                  "  <soundpack_host>sounds.example.org:99999</soundpack_host>\n"
                                  "</system_config_list>\n");
    TConfig cfg;
    cfg.load_system_config_file();
    EXPECT_EQ(std::string(cfg.game_host()), "game.karthem.net");
    EXPECT_EQ(cfg.game_port(), 3102);
    EXPECT_EQ(std::string(cfg.web_site_host()), "www.karthem.net");
    EXPECT_FALSE(cfg.set_game_host_override("a\r\nb"));
    EXPECT_FALSE(cfg.set_game_host_override(""));
    EXPECT_FALSE(cfg.set_game_host_override(nullptr));
    EXPECT_FALSE(cfg.set_game_port_override(0));
    EXPECT_FALSE(cfg.set_game_port_override(65536));
    EXPECT_EQ(std::string(cfg.game_host()), "game.karthem.net");
    EXPECT_EQ(cfg.game_port(), 3102);
    EXPECT_EQ(std::string(cfg.soundpack_host()), "www.karthem.net");
    for (const char* bad : {"h:", "h:0", ":80", "h:8x", "a b:80", "h:1:2"})
        EXPECT_FALSE(cfg.set_soundpack_host_override(bad)) << bad;
    EXPECT_EQ(std::string(cfg.soundpack_host()), "www.karthem.net");
    std::string log = log_text();
    EXPECT_NE(log.find("bad soundpack_host 'sounds.example.org:99999' ignored"), std::string::npos);
    EXPECT_NE(log.find("bad game_host 'evil host' ignored"), std::string::npos);
    EXPECT_NE(log.find("bad game_port 70000 ignored"), std::string::npos);
}

// ---------------------------------------------------------------- failed saves

// Writes beyond a small size fail, as on a full disk.
class file_size_limit {
public:
    explicit file_size_limit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        struct rlimit small = old_;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~file_size_limit() { setrlimit(RLIMIT_FSIZE, &old_); }

private:
    struct rlimit old_ {};
};

TEST_F(ConfigTest, FailedSaveKeepsTheOldSystemFile) {
    // Settings whose file is far larger than the limit below.
    const std::string long_name(200, 'v');
    std::string big = std::string(header) + "<system_config_list>";
    for (int i = 0; i < 16; ++i)
        big += "<vote_menu" + std::to_string(i) + "_name>" + long_name + "</vote_menu" + std::to_string(i) + "_name>";
    big += "</system_config_list>\n";
    write_file(system_path(), big);
    TConfig cfg;
    cfg.load_system_config_file();
    const std::string old_content = std::string(header) + "<system_config_list><uuid>old</uuid></system_config_list>\n";
    write_file(system_path(), old_content);
    bool saved;
    {
        file_size_limit limit(1024);
        saved = cfg.save_system_config_file();
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(read_file(system_path()), old_content);
    EXPECT_EQ(files_in(config_test::dir()), (strings{"karthem.cfg"}));
    EXPECT_NE(log_text().find("Error in TConfig::save_system_config_file(), unable to write to system config file '" +
                              system_path() + "'.\n"),
              std::string::npos)
        << log_text();
    // Once there is room again, the save goes through.
    EXPECT_TRUE(cfg.save_system_config_file());
    EXPECT_NE(read_file(system_path()).find(long_name), std::string::npos);
}

TEST_F(ConfigTest, FailedSaveKeepsTheOldCharacterFile) {
    TConfig cfg;
    cfg.setup_default_config(nullptr);
    cfg.switch_character_config("Bob");
    ASSERT_TRUE(cfg.save_char_config(*cfg.current()));
    const std::string old_content = read_file(char_path("Bob"));
    for (int i = 0; i < 40; ++i) cfg.set_popup_geometry({"popup window number " + std::to_string(i)});
    bool saved;
    {
        file_size_limit limit(1024);
        saved = cfg.save_char_config(*cfg.current());
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(read_file(char_path("Bob")), old_content);
    EXPECT_EQ(files_in(config_test::dir() + "/char_configs"), (strings{"Bob.cfg"}));
}

// ---------------------------------------------------------------- damaged files

const std::string full_system_file = std::string(header) +
                                     "<system_config_list>\n"
                                     "  <uuid>abcdefabcdefabcdefabcdefabcdefab</uuid>\n"
                                     "  <uuid_create_time>5</uuid_create_time>\n"
                                     "  <curr_config>Bob</curr_config>\n"
                                     "  <system_audio_enable>0</system_audio_enable>\n"
                                     "  <vote_menu0_name>V</vote_menu0_name>\n"
                                     "  <vote_menu0_url>U</vote_menu0_url>\n"
                                     "  <single_config>\n"
                                     "    <name>Bob</name>\n"
                                     "    <font_size>12</font_size>\n"
                                     "    <popup_window_list>\n"
                                     "      <single_popup_window><name>who</name><x>3</x></single_popup_window>\n"
                                     "    </popup_window_list>\n"
                                     "    <automap_size>77</automap_size>\n"
                                     "  </single_config>\n"
                                     "</system_config_list>\n";

TEST_F(ConfigTest, SystemFileCutAnywhereLoadsWhatItCan) {
    const std::string& full = full_system_file;
    const std::size_t uuid_end = full.find("</uuid>") + 7;
    const std::size_t audio_end = full.find("</system_audio_enable>") + 22;
    const std::size_t map_end = full.find("</automap_size>") + 15;
    for (std::size_t cut = 0; cut <= full.size(); ++cut) {
        write_file(system_path(), full.substr(0, cut));
        TConfig cfg;
        cfg.load_system_config_file();
        ASSERT_NE(cfg.current(), nullptr) << cut;
        ASSERT_NE(std::string(cfg.uuid()), "") << cut;
        if (cut >= uuid_end) {
            EXPECT_EQ(std::string(cfg.uuid()), "abcdefabcdefabcdefabcdefabcdefab") << cut;
        }
        if (cut >= audio_end) {
            EXPECT_EQ(cfg.GetSystemAudio(), 0) << cut;
        }
        if (cut >= map_end) {
            // The record inside the file is read up to where the file ends.
            ASSERT_NE(cfg.get_or_load("Bob"), nullptr) << cut;
            EXPECT_EQ(cfg.get_or_load("Bob")->automap_size, 77) << cut;
            EXPECT_EQ(cfg.get_or_load("Bob")->font_size, 12) << cut;
        }
    }
}

TEST_F(ConfigTest, CharacterFileCutAnywhereLoadsWhatItCan) {
    const std::string full = char_file("Bob",
                                       "  <font_size>12</font_size>\n"
                                       "  <popup_window_list>\n"
                                       "    <single_popup_window><name>who</name><x>3</x></single_popup_window>\n"
                                       "  </popup_window_list>\n"
                                       "  <automap_size>77</automap_size>\n");
    const std::size_t name_end = full.find("</name>") + 7;
    const std::size_t font_end = full.find("</font_size>") + 12;
    const std::size_t popup_end = full.find("</single_popup_window>") + 22;
    const std::size_t map_end = full.find("</automap_size>") + 15;
    for (std::size_t cut = 0; cut <= full.size(); ++cut) {
        write_file(char_path("Bob"), full.substr(0, cut));
        TConfig cfg;
        tarv_char_config* bob = cfg.get_or_load("Bob");
        if (cut < name_end) continue;
        ASSERT_NE(bob, nullptr) << cut;
        if (cut >= font_end) {
            EXPECT_EQ(bob->font_size, 12) << cut;
        }
        if (cut >= popup_end) {
            ASSERT_EQ(bob->popup_window_list.size(), 1u) << cut;
            EXPECT_EQ(bob->popup_window_list[0].x, 3) << cut;
        }
        if (cut >= map_end) {
            EXPECT_EQ(bob->automap_size, 77) << cut;
        }
    }
}

TEST_F(ConfigTest, BinaryBytesNeverBreakALoad) {
    const std::string& full = full_system_file;
    unsigned seed = 12345;
    for (int round = 0; round < 300; ++round) {
        std::string damaged = full;
        for (int i = 0; i < 1 + round % 8; ++i) {
            seed = seed * 1103515245u + 12345u;
            std::size_t at = (seed >> 8) % damaged.size();
            seed = seed * 1103515245u + 12345u;
            char byte = static_cast<char>(seed >> 16);
            if (round % 2)
                damaged[at] = byte;
            else
                damaged.insert(at, 1, byte);
        }
        write_file(system_path(), damaged);
        TConfig cfg;
        cfg.load_system_config_file();
        ASSERT_NE(cfg.current(), nullptr) << round;
        EXPECT_NE(std::string(cfg.uuid()), "") << round;
    }
}

TEST_F(ConfigTest, DeepNestingAndHugeValues) {
    std::string deep = std::string(header) + "<system_config_list>\n  <uuid>before</uuid>\n  <unknown>";
    for (int i = 0; i < 200000; ++i) deep += "<a>";
    deep += "\n</system_config_list>\n";
    write_file(system_path(), deep);
    {
        TConfig cfg;
        cfg.load_system_config_file();
        EXPECT_EQ(std::string(cfg.uuid()), "before");
        ASSERT_NE(cfg.current(), nullptr);
    }

    std::string nested_value = char_file("Bob", "  <font_size>");
    nested_value.insert(nested_value.find("</single_config>"), std::string(10000, '<') + "b>");
    write_file(char_path("Bob"), nested_value);
    {
        TConfig cfg;
        cfg.get_or_load("Bob");  // whatever it makes of it, it returns
    }

    std::string huge = char_file("Bob", "  <font>" + std::string(1 << 20, 'f') +
                                            "</font>\n  <input_height>99999999999999999999999</input_height>\n"
                                            "  <automap_size>12</automap_size>\n");
    write_file(char_path("Bob"), huge);
    TConfig cfg;
    tarv_char_config* bob = cfg.get_or_load("Bob");
    ASSERT_NE(bob, nullptr);
    EXPECT_EQ(bob->font, std::string(9999, 'f'));
    EXPECT_EQ(bob->input_height, 48);
    EXPECT_EQ(bob->automap_size, 12);
}

}  // namespace
