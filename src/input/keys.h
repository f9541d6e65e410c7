// Key codes and the key event the command line's core handler reads. The
// values are the toolkit's own key codes, so the shell passes them through
// unchanged (line_edit_wx.cpp checks each one against the toolkit at compile
// time). Letters arrive upper case, digits and punctuation as the unshifted
// ASCII character of the key.
#pragma once

namespace tarv_key {

constexpr int BACK = 8;
constexpr int TAB = 9;
constexpr int RETURN = 13;
constexpr int ESCAPE = 27;
constexpr int SPACE = 32;
constexpr int DELETE = 127;

constexpr int CLEAR = 305;
constexpr int SHIFT = 306;
constexpr int ALT = 307;
constexpr int CONTROL = 308;
constexpr int MENU = 309;
constexpr int CAPITAL = 311;
constexpr int END = 312;
constexpr int HOME = 313;
constexpr int LEFT = 314;
constexpr int UP = 315;
constexpr int RIGHT = 316;
constexpr int DOWN = 317;
constexpr int INSERT = 322;
constexpr int F1 = 340;
constexpr int F12 = 351;
constexpr int NUMLOCK = 364;
constexpr int SCROLL = 365;
constexpr int PAGEUP = 366;
constexpr int PAGEDOWN = 367;
constexpr int NUMPAD_ENTER = 370;
constexpr int NUMPAD_HOME = 375;
constexpr int NUMPAD_LEFT = 376;
constexpr int NUMPAD_UP = 377;
constexpr int NUMPAD_RIGHT = 378;
constexpr int NUMPAD_DOWN = 379;
constexpr int NUMPAD_PAGEUP = 380;
constexpr int NUMPAD_PAGEDOWN = 381;
constexpr int NUMPAD_END = 382;
constexpr int NUMPAD_BEGIN = 383;
constexpr int NUMPAD_ADD = 388;
constexpr int NUMPAD_SUBTRACT = 390;
constexpr int WINDOWS_LEFT = 393;
constexpr int WINDOWS_RIGHT = 394;
constexpr int WINDOWS_MENU = 395;

}  // namespace tarv_key

struct tarv_key_event {
    int key_code = 0;
    bool control = false;
    bool shift = false;
    bool alt = false;
    bool meta = false;
};
