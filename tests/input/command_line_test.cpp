#include "input/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input_fakes.h"

namespace {

using calls_t = std::vector<std::string>;

tarv_key_event key(int code) { return {code, false, false, false, false}; }
tarv_key_event ctrl(int code) { return {code, true, false, false, false}; }
tarv_key_event ctrl_shift(int code) { return {code, true, true, false, false}; }
tarv_key_event shift(int code) { return {code, false, true, false, false}; }
tarv_key_event alt(int code) { return {code, false, false, true, false}; }
tarv_key_event meta(int code) { return {code, false, false, false, true}; }
tarv_key_event ctrl_alt(int code) { return {code, true, false, true, false}; }

// Host state and command line text before the key.
struct setup {
    host_state host = {};
    const char* text = "hello";
    long sel_from = 0;  // a selection when sel_from != sel_to
    long sel_to = 0;
};

struct key_case {
    const char* name;
    tarv_key_event event;
    bool consumed;
    calls_t calls;
    const char* text_after;  // nullptr: the text stays as it was
    setup before;
};

constexpr int playing = 2;

const key_case key_cases[] = {
    // Keypad walking.
    {"keypad 8 walks north", key(tarv_key::NUMPAD_UP), true, {"cmd:north:1"}, nullptr, {}},
    {"walking unfreezes a scrolled-back view first", key(tarv_key::NUMPAD_UP), true,
     {"unfreeze:main", "cmd:north:1"}, nullptr, {.host = {.main_following = false}}},
    {"keypad 5 scans", key(tarv_key::NUMPAD_BEGIN), true, {"cmd:scan -ts:1"}, nullptr, {}},
    {"keypad + walks up", key(tarv_key::NUMPAD_ADD), true, {"cmd:up:1"}, nullptr, {}},
    {"Shift stops walking", shift(tarv_key::NUMPAD_UP), false, {}, nullptr, {}},
    {"walking off passes keypad keys on", key(tarv_key::NUMPAD_UP), false, {}, nullptr, {.host = {.walking = false}}},
    {"keypad digit with NumLock on does not walk", key('8'), false, {}, nullptr, {}},
    {"Ctrl+keypad + is a text size step, not a walk", ctrl(tarv_key::NUMPAD_ADD), true, {"text+"}, nullptr, {}},

    // Escape.
    {"Escape while scrolled back only unfreezes", key(tarv_key::ESCAPE), true, {"unfreeze:main"}, nullptr,
     {.host = {.main_following = false}}},
    {"Escape with both displays following erases the line", key(tarv_key::ESCAPE), true,
     {"clear_sel:main", "clear_sel:channel"}, "", {}},
    {"Escape with the channel scrolled back unfreezes it", key(tarv_key::ESCAPE), true, {"unfreeze:channel"},
     nullptr, {.host = {.channel_following = false}}},

    // Enter.
    {"Enter sends the line", key(tarv_key::RETURN), true, {"cmd:hello:1"}, "", {}},
    {"Enter while scrolled back unfreezes, then sends", key(tarv_key::RETURN), true,
     {"unfreeze:main", "cmd:hello:1"}, "", {.host = {.main_following = false}}},
    {"keypad Enter sends", key(tarv_key::NUMPAD_ENTER), true, {"cmd:hello:1"}, "", {.host = {.walking = false}}},
    {"Ctrl+Enter goes to the control", ctrl(tarv_key::RETURN), false, {}, nullptr, {}},

    // Scrolling keys.
    {"Ctrl+Up pages back", ctrl(tarv_key::UP), true, {"freeze:main", "page_up:main"}, nullptr, {}},
    {"Ctrl+Down pages forward", ctrl(tarv_key::DOWN), true, {"freeze:main", "page_down:main"}, nullptr, {}},
    {"Page Up", key(tarv_key::PAGEUP), true, {"freeze:main", "page_up:main"}, nullptr, {}},
    {"Page Down", key(tarv_key::PAGEDOWN), true, {"freeze:main", "page_down:main"}, nullptr, {}},

    // Function-key aliases.
    {"F1 while playing", key(tarv_key::F1), true, {"cmd:f01:0"}, nullptr, {.host = {.state = playing}}},
    {"Ctrl+F1", ctrl(tarv_key::F1), true, {"cmd:cf01:0"}, nullptr, {.host = {.state = playing}}},
    {"Shift+F12", shift(tarv_key::F12), true, {"cmd:sf12:0"}, nullptr, {.host = {.state = playing}}},
    {"Meta counts as Ctrl", meta(tarv_key::F1 + 2), true, {"cmd:cf03:0"}, nullptr, {.host = {.state = playing}}},
    {"Ctrl wins over Alt", ctrl_alt(tarv_key::F1 + 4), true, {"cmd:cf05:0"}, nullptr, {.host = {.state = playing}}},
    {"Alt+F2 goes to the control", alt(tarv_key::F1 + 1), false, {}, nullptr, {.host = {.state = playing}}},
    {"F1 while not logged in goes to the control", key(tarv_key::F1), false, {}, nullptr, {}},
    {"alias then unfreeze", key(tarv_key::F1 + 9), true, {"cmd:f10:0", "unfreeze:main"}, nullptr,
     {.host = {.state = playing, .main_following = false}}},

    // Any other key.
    {"typing while scrolled back jumps to the end", key('A'), false, {"unfreeze:main"}, nullptr,
     {.host = {.main_following = false}}},
    {"with locking scrollback typing leaves the view", key('A'), false, {}, nullptr,
     {.host = {.locking = true, .main_following = false}}},
    {"Shift alone is not typing", key(tarv_key::SHIFT), false, {}, nullptr, {.host = {.main_following = false}}},
    {"Ctrl alone is not typing", ctrl(tarv_key::CONTROL), false, {}, nullptr, {.host = {.main_following = false}}},
    {"Ctrl+A is the control's", ctrl('A'), false, {}, nullptr, {}},

    // Ctrl table.
    {"Ctrl+C with nothing selected breaks", ctrl('C'), true, {"send:3", "unfreeze:main"}, "", {}},
    {"lower-case code is the same key", ctrl('c'), true, {"send:3", "unfreeze:main"}, "", {}},
    {"Ctrl+C with a game display selection copies it to the CLIPBOARD and clears it", ctrl('C'), true,
     {"copy_sel:main", "clear_sel:main"}, "", {.host = {.main_selection = true}}},
    {"Ctrl+C with a channel selection copies it to the CLIPBOARD and clears it", ctrl('C'), true,
     {"copy_sel:channel", "clear_sel:channel"}, "", {.host = {.channel_selection = true}}},
    {"Ctrl+C with a line selection copies it to both selections", ctrl('C'), true, {"copy:ell", "clip:ell"},
     nullptr, {.sel_from = 1, .sel_to = 4}},
    {"Insert alone is the control's", key(tarv_key::INSERT), false, {}, nullptr, {}},
    {"Ctrl+D breaks", ctrl('D'), true, {"send:3", "unfreeze:main"}, "", {}},
    {"Ctrl+K erases", ctrl('K'), true, {}, "", {}},
    {"Ctrl+backslash aborts", ctrl('\\'), true, {"send:26", "unfreeze:main"}, "", {}},
    {"Ctrl+M toggles the automap", ctrl('M'), true, {"toggle:automap_display"}, nullptr, {}},
    {"Ctrl+P toggles the HP bar", ctrl('P'), true, {"toggle:hpbar_enable"}, nullptr, {}},
    {"Ctrl+Q unfreezes the main display first", ctrl('Q'), true, {"unfreeze:main"}, nullptr,
     {.host = {.main_following = false, .channel_following = false}}},
    {"Ctrl+Q then the channel display", ctrl('Q'), true, {"unfreeze:channel"}, nullptr,
     {.host = {.channel_following = false}}},
    {"Ctrl+Q with both following", ctrl('Q'), true, {}, nullptr, {}},
    {"Ctrl+S freezes", ctrl('S'), true, {"freeze:main"}, nullptr, {}},
    {"Ctrl+Z freezes", ctrl('Z'), true, {"freeze:main"}, nullptr, {}},
    {"Ctrl+=", ctrl('='), true, {"text+"}, nullptr, {}},
    {"Ctrl++", ctrl('+'), true, {"text+"}, nullptr, {}},
    {"Ctrl+Shift+=", ctrl_shift('='), true, {"channel+"}, nullptr, {}},
    {"Ctrl+-", ctrl('-'), true, {"text-"}, nullptr, {}},
    {"Ctrl+keypad -", ctrl(tarv_key::NUMPAD_SUBTRACT), true, {"text-"}, nullptr, {}},
    {"Ctrl+Shift+-", ctrl_shift('-'), true, {"channel-"}, nullptr, {}},
    {"Ctrl+_", ctrl('_'), true, {"text-"}, nullptr, {}},
    {"Ctrl+[", ctrl('['), true, {"map-"}, nullptr, {}},
    {"Ctrl+]", ctrl(']'), true, {"map+"}, nullptr, {}},
    {"Ctrl+Shift+[", ctrl_shift('['), true, {"input-"}, nullptr, {}},
    {"Ctrl+Shift+]", ctrl_shift(']'), true, {"input+"}, nullptr, {}},
    {"Ctrl+{ as reported by some layouts", ctrl('{'), true, {"input-"}, nullptr, {}},
    {"Ctrl+3 while playing opens popup 3", ctrl('3'), true, {"popup:3"}, nullptr, {.host = {.state = playing}}},
    {"Ctrl+0 while playing opens popup 10", ctrl('0'), true, {"popup:10"}, nullptr, {.host = {.state = playing}}},
    {"Ctrl+3 while not logged in does nothing", ctrl('3'), true, {}, nullptr, {}},
    {"Ctrl+Shift+1", ctrl_shift('1'), true, {"toggle:automap_display"}, nullptr, {}},
    {"Ctrl+Shift+2", ctrl_shift('2'), true, {"toggle:group_status_display"}, nullptr, {}},
    {"Ctrl+Shift+3", ctrl_shift('3'), true, {"toggle:hpbar_enable"}, nullptr, {}},
    {"Ctrl+Shift+4", ctrl_shift('4'), true, {"toggle:enemy_hpbar_enable"}, nullptr, {}},
    {"Ctrl+Shift+5", ctrl_shift('5'), true, {"toggle:exp_display"}, nullptr, {}},
    {"Ctrl+Shift+6 does nothing", ctrl_shift('6'), true, {}, nullptr, {.host = {.state = playing}}},
    {"Ctrl+Shift+7", ctrl_shift('7'), true, {"toggle:fkey_button_display"}, nullptr, {}},
    {"Ctrl+Shift+8", ctrl_shift('8'), true, {"toggle:popup_display"}, nullptr, {}},
    {"Ctrl+Shift+9", ctrl_shift('9'), true, {"toggle:mw_scrollbar_enable"}, nullptr, {}},
    {"Ctrl+Shift+0 does nothing", ctrl_shift('0'), true, {}, nullptr, {.host = {.state = playing}}},

    // Whole text selected, as after a pushed-through line.
    {"Home puts the caret at the start", key(tarv_key::HOME), true, {}, nullptr,
     {.host = {.pushthrough = true}, .sel_from = 0, .sel_to = 5}},
    {"Home without push-through is the control's", key(tarv_key::HOME), false, {}, nullptr,
     {.sel_from = 0, .sel_to = 5}},
};

void PrintTo(const key_case& c, std::ostream* os) { *os << c.name; }

class KeyTable : public testing::TestWithParam<key_case> {};

TEST_P(KeyTable, DecidesTheAction)
{
    const key_case& c = GetParam();
    fake_edit edit;
    recording_host host;
    static_cast<host_state&>(host) = c.before.host;
    edit.set_value(c.before.text);
    if (c.before.sel_from != c.before.sel_to) edit.set_selection(c.before.sel_from, c.before.sel_to);
    tarv_command_line line(edit, &host);

    EXPECT_EQ(line.on_key_down(c.event), c.consumed);
    EXPECT_EQ(host.calls, c.calls);
    EXPECT_EQ(edit.text, c.text_after ? std::string(c.text_after) : std::string(c.before.text));
}

INSTANTIATE_TEST_SUITE_P(Keys, KeyTable, testing::ValuesIn(key_cases), [](const auto& info) {
    std::string name;
    for (const char* p = info.param.name; *p; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name + "_" + std::to_string(info.index);
});

TEST(WalkDirection, EveryKeypadKeyHasItsCommand)
{
    const std::pair<int, const char*> table[] = {
        {tarv_key::NUMPAD_HOME, "northwest"}, {tarv_key::NUMPAD_UP, "north"},
        {tarv_key::NUMPAD_PAGEUP, "northeast"}, {tarv_key::NUMPAD_LEFT, "west"},
        {tarv_key::NUMPAD_BEGIN, "scan -ts"},  {tarv_key::NUMPAD_RIGHT, "east"},
        {tarv_key::NUMPAD_END, "southwest"},   {tarv_key::NUMPAD_DOWN, "south"},
        {tarv_key::NUMPAD_PAGEDOWN, "southeast"}, {tarv_key::NUMPAD_ADD, "up"},
        {tarv_key::NUMPAD_SUBTRACT, "down"},   {tarv_key::CLEAR, "scan -ts"},
    };
    for (const auto& [code, command] : table) {
        ASSERT_NE(tarv_walk_direction(code), nullptr) << code;
        EXPECT_STREQ(tarv_walk_direction(code), command) << code;
    }
    for (int code : {int(tarv_key::UP), int(tarv_key::HOME), int('8'), 324 + 8 /* keypad 8, NumLock on */})
        EXPECT_EQ(tarv_walk_direction(code), nullptr) << code;
}

struct command_line_fixture : testing::Test {
    fake_edit edit;
    recording_host host;
    tarv_command_line line{edit, &host};

    bool press(tarv_key_event e) { return line.on_key_down(e); }
    void release() { line.on_key_up(); }
    bool tap(tarv_key_event e)
    {
        bool consumed = press(e);
        release();
        return consumed;
    }
    void type_and_send(const std::string& text)
    {
        edit.type(text);
        tap(key(tarv_key::RETURN));
    }
};

using HeldKeys = command_line_fixture;

TEST_F(HeldKeys, KeypadKeyWalksOncePerPress)
{
    EXPECT_TRUE(press(key(tarv_key::NUMPAD_UP)));
    EXPECT_TRUE(press(key(tarv_key::NUMPAD_UP)));  // auto-repeat: consumed, not walked
    EXPECT_TRUE(press(key(tarv_key::NUMPAD_UP)));
    release();
    EXPECT_TRUE(press(key(tarv_key::NUMPAD_UP)));
    EXPECT_EQ(host.calls, (calls_t{"cmd:north:1", "cmd:north:1"}));
}

TEST_F(HeldKeys, CtrlShortcutActsOncePerPress)
{
    press(ctrl(tarv_key::CONTROL));
    EXPECT_TRUE(press(ctrl('S')));
    EXPECT_TRUE(press(ctrl('S')));
    EXPECT_TRUE(press(ctrl('S')));
    release();
    EXPECT_TRUE(press(ctrl('S')));
    EXPECT_EQ(host.calls, (calls_t{"freeze:main", "freeze:main"}));
}

TEST_F(HeldKeys, HeldCtrlVPastesOnce)
{
    host.clipboard = "x";
    press(ctrl('V'));
    press(ctrl('V'));
    EXPECT_EQ(edit.text, "x");
}

TEST_F(HeldKeys, CtrlBackspaceRepeatsInTheControl)
{
    EXPECT_FALSE(press(ctrl(tarv_key::BACK)));
    EXPECT_FALSE(press(ctrl(tarv_key::BACK)));
}

TEST_F(HeldKeys, SameKeyWithoutCtrlBeforeIsNotARepeat)
{
    // 'S' held, then Ctrl pressed down with it: the first Ctrl+S still acts.
    press(key('S'));
    EXPECT_TRUE(press(ctrl('S')));
    EXPECT_EQ(host.calls, (calls_t{"freeze:main"}));
}

using Submit = command_line_fixture;

TEST_F(Submit, LongLineIsCutForTheServerButStoredWhole)
{
    const std::string text(6000, 'x');
    type_and_send(text);
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0], "cmd:" + std::string(4999, 'x') + ":1");
    ASSERT_NE(line.history().slot(2), nullptr);
    EXPECT_EQ(*line.history().slot(2), text);
}

TEST_F(Submit, PastedLinesGoAsOneCommand)
{
    host.clipboard = "say one\nsay two";
    press(ctrl('V'));
    release();
    tap(key(tarv_key::RETURN));
    EXPECT_EQ(host.calls, (calls_t{"cmd:say one\nsay two:1"}));
    EXPECT_EQ(edit.text, "");
}

TEST_F(Submit, EmptyLineIsSentButNotStored)
{
    tap(key(tarv_key::RETURN));
    EXPECT_EQ(host.calls, (calls_t{"cmd::1"}));
    EXPECT_EQ(line.history().command_count(), 1);  // only the offered "connect"
}

TEST_F(Submit, PushThroughKeepsTheLineSelected)
{
    host.state = playing;
    host.pushthrough = true;
    line.select_history_set(HISTORY_PLAYING);
    type_and_send("north");
    type_and_send("look");
    EXPECT_EQ(edit.text, "look");
    long from, to;
    edit.get_selection(&from, &to);
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, 4);

    // Enter sends it again, and the history keeps one copy.
    tap(key(tarv_key::RETURN));
    EXPECT_EQ(host.calls, (calls_t{"cmd:north:1", "cmd:look:1", "cmd:look:1"}));
    EXPECT_EQ(line.history().command_count(), 2);

    // Typing goes to the control, which replaces the selection.
    EXPECT_FALSE(tap(key('X')));

    // Up brings the command before the one still shown.
    EXPECT_TRUE(tap(key(tarv_key::UP)));
    EXPECT_EQ(edit.text, "north");
}

TEST_F(Submit, PushThroughOnlyWhilePlaying)
{
    host.pushthrough = true;
    type_and_send("connect");
    EXPECT_EQ(edit.text, "");
}

using PasswordMode = command_line_fixture;

TEST_F(PasswordMode, HidesTextAndStoresNothing)
{
    line.set_password_mode();
    EXPECT_EQ(edit.style, tarv_edit_control::STYLE_HIDDEN);
    EXPECT_EQ(line.is_password_mode(), 1);
    type_and_send("secret");
    EXPECT_EQ(host.calls, (calls_t{"cmd:secret:1"}));
    EXPECT_EQ(line.history().command_count(), 1);
    // Sending restyles the line; a second password prompt must stay hidden.
    EXPECT_EQ(edit.style, tarv_edit_control::STYLE_HIDDEN);

    line.clear_password_mode();
    EXPECT_EQ(edit.style, tarv_edit_control::STYLE_NORMAL);
    EXPECT_EQ(line.is_password_mode(), 0);
}

TEST_F(PasswordMode, PushThroughNeverKeepsAPassword)
{
    host.state = playing;
    host.pushthrough = true;
    line.set_password_mode();
    type_and_send("secret");
    EXPECT_EQ(edit.text, "");
    line.clear_password_mode();
    type_and_send("look");
    EXPECT_EQ(edit.text, "look");
}

TEST_F(PasswordMode, HistoryRecallKeepsTextHidden)
{
    line.set_password_mode();
    tap(key(tarv_key::UP));
    EXPECT_EQ(edit.text, "connect");
    EXPECT_EQ(edit.style, tarv_edit_control::STYLE_HIDDEN);
}

using Clipboard = command_line_fixture;

TEST_F(Clipboard, CopyLeavesLineAndCaretAsTheyWere)
{
    edit.set_value("hello world");
    edit.set_selection(6, 11);  // caret at 11
    press(ctrl('C'));
    EXPECT_EQ(host.calls, (calls_t{"copy:world", "clip:world"}));
    EXPECT_EQ(edit.text, "hello world");
    EXPECT_FALSE(edit.has_selection());
    EXPECT_EQ(edit.caret, 11);
}

TEST_F(Clipboard, PasteInsertsAtTheCaret)
{
    edit.set_value("abcd");
    edit.set_insertion_point(2);
    host.clipboard = "XY";
    line.manual_clipboard_paste();
    EXPECT_EQ(edit.text, "abXYcd");
    EXPECT_EQ(edit.caret, 4);
}

TEST_F(Clipboard, PasteEventReplacesTheSelection)
{
    edit.set_value("abcd");
    edit.set_selection(1, 3);
    host.clipboard = "Z";
    line.on_paste_event();
    EXPECT_EQ(edit.text, "aZd");
}

TEST_F(Clipboard, UnreadableSelectionStillRemovesTheSelectedText)
{
    edit.set_value("abcd");
    edit.set_selection(1, 3);
    host.clipboard_ok = false;
    line.manual_clipboard_paste();
    EXPECT_EQ(edit.text, "ad");
}

using Wheel = command_line_fixture;

TEST_F(Wheel, NotchesScrollTheMainDisplay)
{
    struct step {
        int rotation;
        int delta;
        calls_t calls;
    };
    const step steps[] = {
        {120, 120, {"freeze:main", "lines_up:main:3"}},
        {-120, 120, {"freeze:main", "lines_down:main:3"}},
        {0, 120, {}},
        // Smooth scrolling: only a whole notch scrolls, in its own direction.
        {40, 120, {}},
        {40, 120, {}},
        {40, 120, {"freeze:main", "lines_up:main:3"}},
        // Turning back part of a notch does nothing either.
        {-40, 120, {}},
        {40, 120, {}},
        // A delta of 0 counts as 1.
        {-1, 0, {"freeze:main", "lines_down:main:3"}},
    };
    for (const step& s : steps) {
        host.calls.clear();
        line.on_mouse_wheel(s.rotation, s.delta);
        EXPECT_EQ(host.calls, s.calls) << s.rotation << "/" << s.delta;
    }
}

TEST_F(Wheel, AccumulatorStaysBounded)
{
    for (int i = 0; i < 100000; ++i) line.on_mouse_wheel(1 << 20, 120);
    EXPECT_GE(line.wheel.pending(), 0);
    EXPECT_LT(line.wheel.pending(), 120);
}

TEST(CommandLineWithoutHost, PassesKeysOnAndKeepsTheLine)
{
    fake_edit edit;
    tarv_command_line line(edit);
    edit.type("look");
    EXPECT_FALSE(line.on_key_down(key(tarv_key::RETURN)));
    line.submit_line();
    line.on_mouse_wheel(120, 120);
    EXPECT_EQ(edit.text, "look");
}

}  // namespace

TEST_F(Clipboard, ShiftInsertPastesTheClipboardAndCtrlVThePrimarySelection)
{
    host.clipboard = "primary";
    host.clipboard_text = "board";
    edit.set_value("abcd");
    edit.set_selection(1, 3);
    EXPECT_TRUE(tap(shift(tarv_key::INSERT)));
    EXPECT_EQ(edit.text, "aboardd");
    EXPECT_TRUE(tap(ctrl('V')));
    EXPECT_EQ(edit.text, "aboardprimaryd");
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(Clipboard, CtrlCTakesAPopupSelectionInsteadOfBreaking)
{
    host.other_selection = true;
    EXPECT_TRUE(tap(ctrl('C')));
    EXPECT_EQ(host.calls, (calls_t{"take_other_sel"}));
    // With none left, Ctrl+C breaks again.
    host.calls.clear();
    EXPECT_TRUE(tap(ctrl('C')));
    EXPECT_EQ(host.calls, (calls_t{"send:3", "unfreeze:main"}));
}
