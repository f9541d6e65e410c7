// The tagged data dispatcher against a recording host with real text
// displays, and the status values it parses the small payloads into.
#include "connection/tag_dispatch.h"
#include "common/log_capture.h"
#include "../text/text_test_util.h"
#include "text/ansi_display.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using strings = std::vector<std::string>;

const char* const no_handler = "Warning in tarv_mw::process_tagged_data(), no handler for tag '";

std::string b(bool v) { return v ? "1" : "0"; }

// Writes down every call in order. The panel hooks record too, unless
// `defaults` asks for the built-in placeholders.
struct tag_host : tarv_tag_host {
    strings calls;
    int state = 0;
    tarv_tag_settings settings;
    // Settings that become current when switch_character_config runs.
    tarv_tag_settings settings_after_switch;
    bool switch_changes_settings = false;
    tarv_status_values values;
    std::int64_t stopwatch_ms = 0;
    bool defaults = false;

    std::unique_ptr<tarv_font> font = make_test_font(8, 10);
    tarv_ansi_display main{font.get(), 0, 0, 1000, 104, "main"};
    tarv_ansi_display popup{font.get(), 0, 0, 1000, 104, "news"};
    tarv_ansi_display* output = &main;

    void rec(const std::string& s) { calls.push_back(s); }

    int play_state() const override { return state; }
    void set_play_state(int s) override
    {
        state = s;
        rec("PLAY:" + std::to_string(s));
    }
    void set_title(const char* t) override { rec(std::string("TITLE:") + t); }
    void select_history_set(int set) override { rec("HISTORY:" + std::to_string(set)); }
    void mark_status_dirty() override { rec("STATUS_DIRTY"); }
    void relayout() override { rec("RELAYOUT"); }
    void show_panel(tarv_config_panel p, bool shown) override
    {
        rec(std::string("PANEL:") + (p == tarv_config_panel::status_bar ? "status_bar" : p == tarv_config_panel::sky_bar ? "sky_bar" : "other") +
            ":" + b(shown));
    }
    void set_status_display_bars(bool hp, bool exp, bool enemy) override
    {
        rec("BARS:" + b(hp) + b(exp) + b(enemy));
    }
    tarv_tag_settings tag_settings() const override { return settings; }
    void switch_character_config(const char* name) override
    {
        rec(std::string("CONFIG:") + name);
        if (switch_changes_settings) settings = settings_after_switch;
    }
    void clear_password_mode() override { rec("CLEAR_PASSWORD"); }
    void set_uuid(const char* text) override { rec(std::string("UUID:") + text); }
    std::int64_t ping_stopwatch_ms() const override { return stopwatch_ms; }
    tarv_status_values& status_values() override { return values; }
    void redraw_status_display() override { rec("REDRAW_DISPLAY"); }
    void redraw_status_bar() override { rec("REDRAW_BAR"); }
    void show_status_display(bool shown) override { rec("SHOW_DISPLAY:" + b(shown)); }
    void clear_status_display_enemy_flag() override { rec("ENEMY_FLAG_OFF"); }
    void directions_changed() override { rec("DIRS"); }
    tarv_ansi_display& main_text_display() override { return main; }
    tarv_ansi_display* output_target() const override { return output; }
    void set_output_target(tarv_ansi_display* d) override { output = d; }
    tarv_ansi_display* find_popup_display(const char* name) override
    {
        return std::string(name) == "news" ? &popup : nullptr;
    }

    void update_automap_visibility() override { rec("AUTOMAP_VISIBILITY"); }
    void set_fkey_buttons_active(bool on) override { rec("FKEYS:" + b(on)); }
    void automap_data(const char* d, int n) override
    {
        if (defaults) return tarv_tag_host::automap_data(d, n);
        rec(std::string("MAP:") + d + "|" + std::to_string(n));
    }
    bool automap_walkfail(const char* d) override
    {
        if (defaults) return tarv_tag_host::automap_walkfail(d);
        rec(std::string("WALKFAIL:") + d);
        return std::string(d) == "shake";
    }
    void wall_bump_sound() override { rec("BUMP"); }
    void automap_area_name(const char* d) override
    {
        if (defaults) return tarv_tag_host::automap_area_name(d);
        rec(std::string("AREA:") + d);
    }
    void automap_combat(bool on) override
    {
        if (defaults) return tarv_tag_host::automap_combat(on);
        rec("COMBAT:" + b(on));
    }
    void group_data(const char* d) override
    {
        if (defaults) return tarv_tag_host::group_data(d);
        rec(std::string("GROUP:") + d);
    }
    void sound_request(const char* d) override
    {
        if (defaults) return tarv_tag_host::sound_request(d);
        rec(std::string("SOUND:") + d);
    }
    void clear_hint_buttons() override
    {
        if (defaults) return tarv_tag_host::clear_hint_buttons();
        rec("CLEAR_HINTS");
    }
    void popup_window_create(const char* d) override
    {
        if (defaults) return tarv_tag_host::popup_window_create(d);
        rec(std::string("WINDOW:") + d);
    }
    void set_channel_divert(const char* c) override
    {
        if (defaults) return tarv_tag_host::set_channel_divert(c);
        rec(std::string("CHDIV:") + c);
    }
    void clear_channel_divert() override
    {
        if (defaults) return tarv_tag_host::clear_channel_divert();
        rec("CHUDIV");
    }
    void preference_command(const char* d) override
    {
        if (defaults) return tarv_tag_host::preference_command(d);
        rec(std::string("PREF:") + d);
    }
    void sky_state(const char* d) override
    {
        if (defaults) return tarv_tag_host::sky_state(d);
        rec(std::string("SKY:") + d);
    }
    void fkey_button_tag(const char* name, const char* d) override
    {
        if (defaults) return tarv_tag_host::fkey_button_tag(name, d);
        rec(std::string("FKEY:") + name + "|" + d);
    }
    void hint_button_tag(const char* name, const char* d) override
    {
        if (defaults) return tarv_tag_host::hint_button_tag(name, d);
        rec(std::string("HINT:") + name + "|" + d);
    }

    void tag(const std::string& name, const std::string& data)
    {
        process_tagged_data(*this, name.c_str(), data.c_str(), static_cast<int>(data.size()));
    }
};

std::vector<int> exp_of(const tarv_status_values& v) { return std::vector<int>(std::begin(v.exp), std::end(v.exp)); }
std::vector<int> hp_of(const tarv_status_values& v) { return {v.hp, v.hp_max, v.mana, v.mana_max, v.move, v.move_max}; }
std::vector<int> icons_of(const tarv_status_values& v)
{
    return std::vector<int>(std::begin(v.icons), std::end(v.icons));
}

bool has_line(const tarv_ansi_display& d, const std::string& text)
{
    strings lines = d.dump_lines();
    return std::find(lines.begin(), lines.end(), text) != lines.end();
}

// ---------------------------------------------------------------- routing

struct route_case {
    const char* name;
    const char* data;
    strings calls;
};

TEST(TagDispatch, EachNameReachesItsHandler)
{
    const route_case cases[] = {
        {"map", "3 4 xyz", {"MAP:3 4 xyz|7"}},
        {"walkfail", "north", {"WALKFAIL:north"}},
        {"walkfail", "shake", {"WALKFAIL:shake", "BUMP"}},
        {"areaname", "The Old Keep", {"AREA:The Old Keep"}},
        {"combat", "", {"COMBAT:1"}},
        // The enemy bar is off in these settings, so its flag is cleared.
        {"ncombat", "", {"COMBAT:0", "ENEMY_FLAG_OFF"}},
        {"uuid", "0123abcd", {"UUID:0123abcd"}},
        {"uuid", "", {"UUID:"}},
        {"group", "Bob 10 20", {"GROUP:Bob 10 20"}},
        {"bclear", "", {"CLEAR_HINTS"}},
        {"window_create", "news 1 2", {"WINDOW:news 1 2"}},
        {"chdiv", "gossip", {"CHDIV:gossip"}},
        {"chudiv", "", {"CHUDIV"}},
        {"config", "flash hints", {"PREF:flash hints"}},
        {"skystate", "101 5 720 Late evening", {"SKY:101 5 720 Late evening"}},
        {"icons", "10", {"REDRAW_BAR"}},
        {"bf3", "Look\nlook", {"FKEY:bf3|Look\nlook"}},
        {"bf8", "x", {"FKEY:bf8|x"}},
        {"bf13", "x", {"FKEY:bf13|x"}},  // the button row decides what is bogus
        {"b12", "Look\nlook", {"HINT:b12|Look\nlook"}},
        {"b1", "", {"HINT:b1|"}},
        {"b4t", "x", {"HINT:b4t|x"}},
        {"b99999999999999999999", "x", {"HINT:b99999999999999999999|x"}},
        {"bf0", "x", {}},
        {"bx", "x", {}},
        {"b", "x", {}},
        {"bf", "x", {}},
        {"b-3", "x", {}},
        {"b0", "x", {}},
        {"Login", "Bob", {}},
        {"hp ", "1 2 3 4 5 6", {}},
        {"zork", "", {}},
        {"", "", {}},
    };
    for (const route_case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " / " + c.data);
        LogCapture log(2);
        tag_host host;
        host.tag(c.name, c.data);
        EXPECT_EQ(host.calls, c.calls);
        bool warned = log.contains(no_handler + std::string(c.name) + "'.\n");
        EXPECT_EQ(warned, c.calls.empty());
    }
}

TEST(TagDispatch, UnknownTagWarningIsATraceOfLevelTwo)
{
    LogCapture log(1);
    tag_host host;
    host.tag("zork", "");
    EXPECT_FALSE(log.contains("zork"));
}

TEST(TagDispatch, PanelsNotYetBuiltLogTheTagAtLevelThree)
{
    const char* names[] = {"map", "walkfail", "areaname", "combat", "group", "sound", "bclear", "window_create",
                           "chdiv", "chudiv", "config", "skystate", "bf2", "b7"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        LogCapture log(3);
        tag_host host;
        host.defaults = true;
        host.settings.system_audio_enable = true;
        host.tag(name, "data");
        EXPECT_TRUE(log.contains("tarv_mw::process_tagged_data() - no handler yet for tag '" + std::string(name) + "'.\n"));
        EXPECT_FALSE(log.contains(no_handler));
        EXPECT_EQ(host.output, &host.main);  // no channel window: text stays put
    }
}

TEST(TagDispatch, SoundOnlyWhileSystemSoundIsOn)
{
    tag_host host;
    host.tag("sound", "bell 50");
    EXPECT_TRUE(host.calls.empty());
    host.settings.system_audio_enable = true;
    host.tag("sound", "bell 50");
    EXPECT_EQ(host.calls, strings{"SOUND:bell 50"});
}

TEST(TagDispatch, NullTextsCountAsEmpty)
{
    LogCapture log(2);
    tag_host host;
    process_tagged_data(host, "login", nullptr, 5);
    EXPECT_EQ(host.state, 2);
    process_tagged_data(host, nullptr, "x", 1);
    EXPECT_TRUE(log.contains(no_handler + std::string("'.\n")));
}

// ---------------------------------------------------------------- login

TEST(TagDispatch, LoginSwitchesConfigurationThenAppliesItsSettings)
{
    tag_host host;
    host.switch_changes_settings = true;
    host.settings_after_switch.status_bar = true;
    host.settings_after_switch.hpbar_enable = true;
    host.settings_after_switch.enemy_hpbar_enable = true;
    host.tag("login", "Bob\n");
    const strings expected = {"TITLE:Karthem - Player Bob", "CONFIG:Bob", "PLAY:2", "HISTORY:2",
                              "AUTOMAP_VISIBILITY", "FKEYS:1", "PANEL:status_bar:1", "PANEL:sky_bar:0",
                              "BARS:101", "CLEAR_PASSWORD", "RELAYOUT", "STATUS_DIRTY"};
    EXPECT_EQ(host.calls, expected);
}

TEST(TagDispatch, LoginNameEndsAtTheFirstLineFeed)
{
    tag_host host;
    host.tag("login", "Alice\nsecond line");
    EXPECT_EQ(host.calls[0], "TITLE:Karthem - Player Alice");
    EXPECT_EQ(host.calls[1], "CONFIG:Alice");
}

TEST(TagDispatch, LoginWithoutANameStillEntersPlay)
{
    for (const char* data : {"", "\nBob"}) {
        SCOPED_TRACE(data);
        tag_host host;
        host.tag("login", data);
        EXPECT_EQ(host.state, 2);
        for (const auto& c : host.calls) {
            EXPECT_NE(c.rfind("TITLE:", 0), 0u) << c;
            EXPECT_NE(c.rfind("CONFIG:", 0), 0u) << c;
        }
        EXPECT_EQ(host.calls.back(), "STATUS_DIRTY");
    }
}

TEST(TagDispatch, LongLoginNameIsCut)
{
    tag_host host;
    host.tag("login", std::string(7000, 'n'));
    EXPECT_EQ(host.calls[0], "TITLE:Karthem - Player " + std::string(5999 - 17, 'n'));
    EXPECT_EQ(host.calls[1], "CONFIG:" + std::string(5999, 'n'));
}

// ---------------------------------------------------------------- dirs

struct dirs_case {
    const char* data;
    int enabled;  // after, starting from 1
    int mask;     // after, starting from 5
    bool notified;
    const char* warning;
};

TEST(TagDispatch, DirsSwitchButtonsAndDecodeTheExitMask)
{
    const dirs_case cases[] = {
        {"on AB", 1, 1, true, nullptr},
        {"off", 0, 5, true, nullptr},
        {"OFF AA", 0, 0, true, nullptr},
        {"on KA", 1, 256 | 64, true, nullptr},  // up and west
        {"on AQ", 1, 16, true, nullptr},
        {"on ``", 1, 1023, true, nullptr},
        {"on\tBA\n", 1, 32, true, nullptr},
        {"maybe", 1, 5, false, "bad dirs string 'maybe'"},
        {"", 1, 5, false, "bad dirs string ''"},
        {"maybe AC", 1, 2, true, "bad dirs string 'maybe AC'"},
        {"on A", 1, 5, true, "bad exit mask 'A'"},
        {"on a!", 1, 5, true, "bad exit mask 'a!'"},
        {"off \xff\xff", 0, 5, true, "bad exit mask"},
        {"on {A", 1, 5, true, "bad exit mask"},
    };
    for (const dirs_case& c : cases) {
        SCOPED_TRACE(c.data);
        LogCapture log(2);
        tag_host host;
        host.values.directions_enabled = 1;
        host.values.exit_mask = 5;
        host.tag("dirs", c.data);
        EXPECT_EQ(host.values.directions_enabled, c.enabled);
        EXPECT_EQ(host.values.exit_mask, c.mask);
        EXPECT_EQ(host.calls, c.notified ? strings{"DIRS"} : strings{});
        if (c.warning)
            EXPECT_TRUE(log.contains(c.warning)) << log.text();
        else
            EXPECT_FALSE(log.contains("Warning")) << log.text();
    }
}

// ---------------------------------------------------------------- enemy

TEST(TagDispatch, EnemyValueAloneRedrawsAndShowsKeepingTheName)
{
    tag_host host;
    host.settings.enemy_hpbar_enable = true;
    host.tag("enemyhp", "50");
    EXPECT_EQ(host.values.enemy_percent, 50);
    EXPECT_EQ(host.values.enemy_name, "(no enemy)");
    EXPECT_EQ(host.calls, (strings{"REDRAW_DISPLAY", "SHOW_DISPLAY:1"}));

    host.tag("enemyhp", "40 a rat");
    host.calls.clear();
    host.tag("enemyhp", "30");
    EXPECT_EQ(host.values.enemy_percent, 30);
    EXPECT_EQ(host.values.enemy_name, "a rat");
    EXPECT_EQ(host.calls, (strings{"REDRAW_DISPLAY", "SHOW_DISPLAY:1"}));
    host.calls.clear();
    host.tag("enemyhp", "30");
    EXPECT_EQ(host.calls, strings{"SHOW_DISPLAY:1"});
}

TEST(TagDispatch, EnemyNameOrValueChangeRedrawsAndShowsTheDisplay)
{
    tag_host host;
    host.settings.hpbar_enable = true;
    host.tag("enemyhp", "75 a hungry goblin");
    EXPECT_EQ(host.values.enemy_percent, 75);
    EXPECT_EQ(host.values.enemy_name, "a hungry goblin");
    EXPECT_EQ(host.calls, (strings{"REDRAW_DISPLAY", "SHOW_DISPLAY:1"}));

    host.calls.clear();
    host.tag("enemyhp", "75 a hungry goblin");
    EXPECT_EQ(host.calls, strings{"SHOW_DISPLAY:1"});

    host.calls.clear();
    host.tag("enemyhp", "60 a hungry goblin");
    EXPECT_EQ(host.calls, (strings{"REDRAW_DISPLAY", "SHOW_DISPLAY:1"}));

    host.calls.clear();
    host.settings = {};
    host.tag("enemyhp", "60 an orc");
    EXPECT_EQ(host.values.enemy_name, "an orc");
    EXPECT_EQ(host.calls, (strings{"REDRAW_DISPLAY", "SHOW_DISPLAY:0"}));
}

TEST(TagDispatch, EmptyEnemyClearsIt)
{
    for (bool bar : {true, false}) {
        SCOPED_TRACE(bar);
        tag_host host;
        host.settings.enemy_hpbar_enable = bar;
        host.values.enemy_percent = 40;
        host.values.enemy_name = "a rat";
        host.tag("enemyhp", "");
        EXPECT_EQ(host.values.enemy_percent, -1);
        EXPECT_EQ(host.values.enemy_name, "(no enemy)");
        EXPECT_EQ(host.calls, strings{bar ? "REDRAW_DISPLAY" : "ENEMY_FLAG_OFF"});
    }
}

TEST(TagDispatch, NcombatClearsTheEnemyLikeAnEmptyEnemyhp)
{
    tag_host host;
    host.settings.enemy_hpbar_enable = true;
    host.values.enemy_percent = 40;
    host.values.enemy_name = "a rat";
    host.tag("ncombat", "");
    EXPECT_EQ(host.values.enemy_percent, -1);
    EXPECT_EQ(host.values.enemy_name, "(no enemy)");
    EXPECT_EQ(host.calls, (strings{"COMBAT:0", "REDRAW_DISPLAY"}));
}

TEST(TagDispatch, MalformedEnemyPayloadsGetADefinedValue)
{
    struct {
        const char* data;
        int percent;
        std::string name;
    } cases[] = {
        {"abc an orc", 0, "an orc"},
        {"99999999999999999999 boss", tarv_status_values::value_limit, "boss"},
        {"-99999999999999999999 boss", -tarv_status_values::value_limit, "boss"},
        {"  30   two  blanks\n", 30, "two  blanks\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        tag_host host;
        host.tag("enemyhp", c.data);
        EXPECT_EQ(host.values.enemy_percent, c.percent);
        EXPECT_EQ(host.values.enemy_name, c.name);
    }
    tag_host host;
    host.tag("enemyhp", "10 " + std::string(8000, 'x'));
    EXPECT_EQ(host.values.enemy_name, std::string(5999, 'x'));
}

// ---------------------------------------------------------------- xpp and hp

TEST(TagDispatch, ExperienceIsStoredSortedWithMissingValuesZero)
{
    struct {
        const char* data;
        std::vector<int> exp;
    } cases[] = {
        {"250 900", {900, 250, 0, 0, 0, 0, 0, 0}},
        {"1 2 3 4 5", {5, 4, 3, 2, 1, 0, 0, 0}},
        {"1 2 3 4 5 6 7 8 9 10", {8, 7, 6, 5, 4, 3, 2, 1}},
        {"-5 x 7", {7, 0, 0, 0, 0, 0, 0, -5}},
        {"", {0, 0, 0, 0, 0, 0, 0, 0}},
        {"99999999999", {tarv_status_values::value_limit, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        tag_host host;
        for (int& v : host.values.exp) v = 3;
        host.tag("xpp", c.data);
        EXPECT_EQ(exp_of(host.values), c.exp);
    }
}

TEST(TagDispatch, ExperienceRedrawsOnlyOnChangeWithTheBarOn)
{
    tag_host host;
    host.settings.exp_display = true;
    host.tag("xpp", "250 900");
    EXPECT_EQ(host.calls, strings{"REDRAW_DISPLAY"});
    host.calls.clear();
    host.tag("xpp", "900 250");  // same values once sorted
    EXPECT_TRUE(host.calls.empty());
    host.tag("xpp", "900");  // 250 dropping to 0 is a change
    EXPECT_EQ(host.calls, strings{"REDRAW_DISPLAY"});
    host.calls.clear();
    host.settings.exp_display = false;
    host.tag("xpp", "100");
    EXPECT_EQ(exp_of(host.values)[0], 100);
    EXPECT_TRUE(host.calls.empty());
}

TEST(TagDispatch, HitPointsStoreWhatIsGiven)
{
    struct {
        const char* data;
        std::vector<int> hp;
    } cases[] = {
        {"100 120 30 40", {100, 120, 30, 40, -1, 1}},
        {"120 150", {120, 150, -1, 1, -1, 1}},
        {"1 2 3 4 5 6 7", {1, 2, 3, 4, 5, 6}},
        {"12abc 7", {12, 7, -1, 1, -1, 1}},
        {"", {-1, 1, -1, 1, -1, 1}},
        {"99999999999 -99999999999 0", {tarv_status_values::value_limit, -tarv_status_values::value_limit, 0, 1, -1, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        tag_host host;
        host.tag("hp", c.data);
        EXPECT_EQ(hp_of(host.values), c.hp);
        // Any change redraws, however many numbers came.
        const std::vector<int> reset = {-1, 1, -1, 1, -1, 1};
        EXPECT_EQ(host.calls, c.hp == reset ? strings{} : strings{"REDRAW_DISPLAY"});
    }
}

TEST(TagDispatch, HitPointsRedrawWheneverAValueChanged)
{
    tag_host host;
    host.tag("hp", "100 120 30 40");
    EXPECT_EQ(host.calls, strings{"REDRAW_DISPLAY"});
    host.calls.clear();
    host.tag("hp", "100 120 30 40 50 60");
    EXPECT_EQ(host.calls, strings{"REDRAW_DISPLAY"});
    host.calls.clear();
    host.tag("hp", "100 120 30 40 50 60");
    host.tag("hp", "100 120");
    EXPECT_TRUE(host.calls.empty());
    host.tag("hp", "99");
    EXPECT_EQ(host.calls, strings{"REDRAW_DISPLAY"});
}

// ---------------------------------------------------------------- events

TEST(TagDispatch, EventsMovePlayStateAndMeasurePing)
{
    tag_host host;
    host.tag("event", "newcreate");
    EXPECT_EQ(host.state, 1);
    host.tag("event", "logoff");
    EXPECT_EQ(host.state, 3);
    host.calls.clear();
    host.stopwatch_ms = 123;
    host.tag("event", "tspong");
    EXPECT_EQ(host.values.ping_count, 1);
    EXPECT_EQ(host.values.ping_average, 123);
    EXPECT_EQ(host.calls, strings{"REDRAW_BAR"});
}

TEST(TagDispatch, EventWordsOtherThanColorflashMustMatchExactly)
{
    for (const char* data : {"tspong ", "TSPONG", "newcreate now", "Logoff", "", "tsp"}) {
        SCOPED_TRACE(data);
        LogCapture log(2);
        tag_host host;
        host.tag("event", data);
        EXPECT_TRUE(host.calls.empty());
        EXPECT_EQ(host.values.ping_count, 0);
        EXPECT_TRUE(log.contains("Warning in tarv_mw::process_tagged_data(), got unhandled event '" + std::string(data) +
                                 "'.\n"));
    }
}

TEST(TagDispatch, ColorflashGoesToTheOutputDisplayWhenEnabled)
{
    tag_host host;
    host.tag("event", "colorflash ff0000 000000 10");
    EXPECT_FALSE(host.main.text.flash_running());

    host.settings.colorflash_enable = true;
    host.tag("event", "COLORFLASH ff0000 000000 10");
    EXPECT_TRUE(host.main.text.flash_running());

    host.output = &host.popup;
    host.tag("event", "colorflash 00ff00 000000 10");
    EXPECT_TRUE(host.popup.text.flash_running());
}

// ---------------------------------------------------------------- icons

TEST(TagDispatch, IconFlagsFollowTheDigits)
{
    struct {
        const char* data;
        std::vector<int> icons;
    } cases[] = {
        {"10", {1, 0, 0, 0, 0}},
        {"11111", {1, 1, 1, 1, 1}},
        {"1x1 1", {1, 0, 1, 0, 1}},
        {"", {0, 0, 0, 0, 0}},
        {"0000111111", {0, 0, 0, 0, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data);
        tag_host host;
        for (int& v : host.values.icons) v = 1;
        host.tag("icons", c.data);
        EXPECT_EQ(icons_of(host.values), c.icons);
        EXPECT_EQ(host.calls, strings{"REDRAW_BAR"});
    }
}

// ---------------------------------------------------------------- output targets

void feed(tarv_ansi_display& d, const std::string& text) { d.process_ansi_text(text.data(), text.size()); }

TEST(TagDispatch, DivertReplacesThePopupContentsAndUndivertShowsIt)
{
    tag_host host;
    feed(host.popup, "old news\n");
    host.tag("divert", "news");
    ASSERT_EQ(host.output, &host.popup);
    EXPECT_TRUE(host.popup.updates_suspended);
    EXPECT_EQ(host.popup.render_list_text(), "");
    feed(*host.output, "fresh news\n");
    EXPECT_FALSE(has_line(host.popup, "fresh news"));  // not shown while diverted

    host.tag("undivert", "");
    EXPECT_EQ(host.output, &host.main);
    EXPECT_FALSE(host.popup.updates_suspended);
    EXPECT_TRUE(has_line(host.popup, "fresh news"));
    EXPECT_FALSE(has_line(host.popup, "old news"));
}

TEST(TagDispatch, AppendAddsToThePopup)
{
    tag_host host;
    feed(host.popup, "first\n");
    host.tag("append", "news");
    ASSERT_EQ(host.output, &host.popup);
    EXPECT_FALSE(host.popup.updates_suspended);
    feed(*host.output, "second\n");
    host.tag("unappend", "");
    EXPECT_EQ(host.output, &host.main);
    EXPECT_TRUE(has_line(host.popup, "first"));
    EXPECT_TRUE(has_line(host.popup, "second"));
}

TEST(TagDispatch, MissingPopupPrintsTheSorryMessageInTheMainDisplay)
{
    for (const char* tag : {"divert", "append"}) {
        SCOPED_TRACE(tag);
        tag_host host;
        host.output = &host.popup;  // even from another target
        host.tag(tag, "nosuch");
        EXPECT_EQ(host.output, &host.main);
        EXPECT_TRUE(has_line(host.main, "Sorry, no popup window by that name has been defined."));
        EXPECT_FALSE(has_line(host.popup, "Sorry, no popup window by that name has been defined."));
    }
}

TEST(TagDispatch, ADivertClosedTheWrongWayDoesNotLeaveThePopupFrozen)
{
    // Closed by unappend.
    {
        tag_host host;
        host.tag("divert", "news");
        feed(*host.output, "diverted\n");
        host.tag("unappend", "");
        EXPECT_EQ(host.output, &host.main);
        EXPECT_FALSE(host.popup.updates_suspended);
        EXPECT_TRUE(has_line(host.popup, "diverted"));
    }
    // Left by a divert that finds no popup.
    {
        tag_host host;
        host.tag("divert", "news");
        feed(*host.output, "diverted\n");
        host.tag("divert", "nosuch");
        EXPECT_EQ(host.output, &host.main);
        EXPECT_FALSE(host.popup.updates_suspended);
        EXPECT_TRUE(has_line(host.popup, "diverted"));
    }
}

TEST(TagDispatch, StrayUndivertLeavesTheMainDisplayAlone)
{
    LogCapture log(2);
    tag_host host;
    feed(host.main, "line one\nline two\n");
    host.tag("undivert", "");
    host.tag("unappend", "");
    EXPECT_EQ(host.output, &host.main);
    EXPECT_TRUE(has_line(host.main, "line two"));
    EXPECT_FALSE(host.main.updates_suspended);
    EXPECT_FALSE(log.contains("Error")) << log.text();
}

// ---------------------------------------------------------------- status values

TEST(StatusValues, NumbersReadLikeStrtolAndClamp)
{
    struct {
        const char* word;
        int value;
    } cases[] = {
        {"42", 42},
        {"-7", -7},
        {"+5", 5},
        {"abc", 0},
        {"12abc", 12},
        {"-", 0},
        {"0000000000000000000000000000000000005", 5},
        {"999999999999999999999999999999", tarv_status_values::value_limit},
        {"-999999999999", -tarv_status_values::value_limit},
        {"1000000000", 1000000000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(tarv_status_read_number(c.word, nullptr), c.value);
    }
}

TEST(StatusValues, PingAverageIsOverTheLastFourSamples)
{
    tarv_status_values v;
    for (int ms : {100, 200, 300, 400}) v.add_ping_sample(ms);
    EXPECT_EQ(v.ping_average, 250);
    v.add_ping_sample(500);
    EXPECT_EQ(v.ping_average, 350);
    EXPECT_EQ(v.ping_count, 4);

    tarv_status_values late;
    late.add_ping_sample(100);
    EXPECT_EQ(late.ping_average, 100);
    late.add_ping_sample(300);
    EXPECT_EQ(late.ping_average, 200);
}

TEST(StatusValues, HugePingSamplesDoNotOverflowTheAverage)
{
    tarv_status_values v;
    for (int i = 0; i < 4; ++i) v.add_ping_sample(1LL << 40);
    EXPECT_EQ(v.ping_average, tarv_status_values::value_limit);
    v.add_ping_sample(-5);
    EXPECT_EQ(v.ping_samples[0], 0);
    EXPECT_GT(v.ping_average, 0);
}

TEST(StatusValues, ResetsRestoreTheStartValues)
{
    tag_host host;
    host.settings.system_audio_enable = true;
    host.tag("hp", "1 2 3 4 5 6");
    host.tag("xpp", "5");
    host.tag("enemyhp", "5 rat");
    host.tag("icons", "111");
    host.stopwatch_ms = 80;
    host.tag("event", "tspong");
    host.values.reset_status_display();
    host.values.reset_status_bar();
    tarv_status_values fresh;
    EXPECT_EQ(hp_of(host.values), hp_of(fresh));
    EXPECT_EQ(exp_of(host.values), exp_of(fresh));
    EXPECT_EQ(host.values.enemy_percent, -1);
    EXPECT_EQ(host.values.enemy_name, "(no enemy)");
    EXPECT_EQ(icons_of(host.values), icons_of(fresh));
    EXPECT_EQ(host.values.ping_count, 0);
    EXPECT_EQ(host.values.ping_average, 0);
}

}  // namespace
