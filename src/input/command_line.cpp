#include "input/command_line.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "support/debug_log.h"

namespace {

constexpr const char* break_character = "\x03";
constexpr const char* abort_character = "\x1a";
constexpr int playing = 2;

// Keys that only change what the next key means. Pressing one alone is not
// typing: it must not pull a scrolled-back view to the newest text, or every
// Ctrl+Up after letting go of Ctrl would first jump to the end.
bool is_modifier_key(int k)
{
    switch (k) {
    case tarv_key::SHIFT:
    case tarv_key::ALT:
    case tarv_key::CONTROL:
    case tarv_key::MENU:
    case tarv_key::CAPITAL:
    case tarv_key::NUMLOCK:
    case tarv_key::SCROLL:
    case tarv_key::WINDOWS_LEFT:
    case tarv_key::WINDOWS_RIGHT:
    case tarv_key::WINDOWS_MENU:
        return true;
    default:
        return false;
    }
}

}  // namespace

const char* tarv_feature_key(tarv_feature feature)
{
    switch (feature) {
    case tarv_feature::automap_display: return "automap_display";
    case tarv_feature::group_status_display: return "group_status_display";
    case tarv_feature::hpbar_enable: return "hpbar_enable";
    case tarv_feature::enemy_hpbar_enable: return "enemy_hpbar_enable";
    case tarv_feature::exp_display: return "exp_display";
    case tarv_feature::fkey_button_display: return "fkey_button_display";
    case tarv_feature::popup_display: return "popup_display";
    case tarv_feature::mw_scrollbar_enable: return "mw_scrollbar_enable";
    }
    return "";
}

const char* tarv_walk_direction(int key_code)
{
    switch (key_code) {
    case tarv_key::NUMPAD_HOME: return "northwest";
    case tarv_key::NUMPAD_UP: return "north";
    case tarv_key::NUMPAD_PAGEUP: return "northeast";
    case tarv_key::NUMPAD_LEFT: return "west";
    case tarv_key::NUMPAD_BEGIN: return "scan -ts";
    case tarv_key::NUMPAD_RIGHT: return "east";
    case tarv_key::NUMPAD_END: return "southwest";
    case tarv_key::NUMPAD_DOWN: return "south";
    case tarv_key::NUMPAD_PAGEDOWN: return "southeast";
    case tarv_key::NUMPAD_ADD: return "up";
    case tarv_key::NUMPAD_SUBTRACT: return "down";
    case tarv_key::CLEAR: return "scan -ts";
    default: return nullptr;
    }
}

tarv_command_line::tarv_command_line(tarv_edit_control& edit, tarv_input_host* host) : edit_(edit), host_(host) {}

bool tarv_command_line::whole_text_selected() const
{
    long from = 0, to = 0;
    edit_.get_selection(&from, &to);
    long last = edit_.get_last_position();
    return last > 0 && from == 0 && to == last;
}

void tarv_command_line::unfreeze_main_if_needed()
{
    if (!host_->is_following(tarv_display_ref::main)) host_->unfreeze_scrolling(tarv_display_ref::main);
}

bool tarv_command_line::on_key_down(const tarv_key_event& event)
{
    const int k = event.key_code;
    const int was_held = key_held;
    key_held = 1;
    const int old_key = previous_key;
    previous_key = k;
    const int old_ctrl = previous_ctrl;
    previous_ctrl = event.control ? 1 : 0;

    if (!host_) {
        TARV_LOG(2, "Warning in tarv_line_edit::key_down(), no host yet; key %d passed on.\n", k);
        return false;
    }
    tarv_input_host& host = *host_;

    // The find field takes its keys first; a character key is passed on
    // untouched so that it arrives as a character for the field.
    if (host.find_open()) {
        if (host.find_key(event)) return true;
        if (!event.control && !event.alt && !event.meta && k >= tarv_key::SPACE && k < 256) return false;
    }

    // Auto-repeat is ignored until the key is released: one step per press.
    if (host.keypad_walking() && !event.control && !event.shift) {
        if (const char* direction = tarv_walk_direction(k)) {
            if (!was_held) {
                unfreeze_main_if_needed();
                host.process_command(direction, true);
            }
            return true;
        }
    }

    // After a pushed-through line the whole text stays selected.
    if (whole_text_selected()) {
        if (k == tarv_key::HOME || k == tarv_key::LEFT || k == tarv_key::NUMPAD_HOME) {
            if (host.cmd_pushthrough()) {
                edit_.set_insertion_point(0);
                return true;
            }
        } else if (k == tarv_key::UP && !event.control && !event.shift) {
            // The line shown is the newest command already: go one further.
            edit_.set_insertion_point(edit_.get_last_position());
            history_up();
            history_up();
            return true;
        }
    }

    if (event.control) {
        // A held shortcut acts once; Backspace may repeat to delete words.
        if (was_held && old_key == k && old_ctrl == 1 && k != tarv_key::BACK) return true;
        if (handle_ctrl_key(event)) return true;
    }

    switch (k) {
    case tarv_key::ESCAPE:
        handle_escape();
        return true;
    case tarv_key::RETURN:
    case tarv_key::NUMPAD_ENTER:
        if (event.control) return false;
        unfreeze_main_if_needed();
        submit_line();
        return true;
    case tarv_key::UP:
        if (event.control) {
            host.freeze_scrolling(tarv_display_ref::main);
            host.page_up(tarv_display_ref::main);
        } else {
            history_up();
        }
        return true;
    case tarv_key::DOWN:
        if (event.control) {
            host.freeze_scrolling(tarv_display_ref::main);
            host.page_down(tarv_display_ref::main);
        } else {
            history_down();
        }
        return true;
    case tarv_key::INSERT:
        // Shift+Insert pastes the CLIPBOARD (Ctrl+V keeps the primary selection).
        if (!event.shift || event.control || event.alt) break;
        {
            std::string text;
            host.get_clipboard_text(text);
            edit_.replace_selection(text);
        }
        return true;
    case tarv_key::PAGEUP:
        host.freeze_scrolling(tarv_display_ref::main);
        host.page_up(tarv_display_ref::main);
        return true;
    case tarv_key::PAGEDOWN:
        // Freezing a following view leaves it at the newest line.
        host.freeze_scrolling(tarv_display_ref::main);
        host.page_down(tarv_display_ref::main);
        return true;
    default:
        break;
    }

    if (k >= tarv_key::F1 && k <= tarv_key::F12 && host.play_state() == playing && handle_function_key(event))
        return true;

    if (!is_modifier_key(k) && !host.is_following(tarv_display_ref::main) && !host.locking_scrollback_enable())
        host.unfreeze_scrolling(tarv_display_ref::main);
    return false;
}

bool tarv_command_line::handle_ctrl_key(const tarv_key_event& event)
{
    tarv_input_host& host = *host_;
    int k = event.key_code;
    if (k >= 'a' && k <= 'z') k -= 'a' - 'A';
    const bool shift = event.shift;

    switch (k) {
    case 'C': {
        long from = 0, to = 0;
        edit_.get_selection(&from, &to);
        if (from != to) {
            long caret = edit_.get_insertion_point();
            std::string value = edit_.get_value();
            long size = static_cast<long>(value.size());
            if (from > to) std::swap(from, to);
            if (from < 0) from = 0;
            if (to > size) to = size;
            if (from < to) {
                host.set_clipboard_data(value.substr(from, to - from));
                host.set_clipboard_text(value.substr(from, to - from));
            }
            edit_.set_insertion_point(caret);
            return true;
        }
        erase_line();
        // A selection in a display goes to the CLIPBOARD before it is cleared.
        if (host.has_selection(tarv_display_ref::main)) {
            host.copy_selection(tarv_display_ref::main);
            host.clear_selection(tarv_display_ref::main);
        } else if (host.has_selection(tarv_display_ref::channel)) {
            host.copy_selection(tarv_display_ref::channel);
            host.clear_selection(tarv_display_ref::channel);
        } else if (!host.take_other_selection()) {
            host.send_line(break_character);
            host.unfreeze_scrolling(tarv_display_ref::main);
        }
        return true;
    }
    case 'D':
        erase_line();
        host.send_line(break_character);
        host.unfreeze_scrolling(tarv_display_ref::main);
        return true;
    case 'K':
        erase_line();
        return true;
    case '\\':
        erase_line();
        host.send_line(abort_character);
        host.unfreeze_scrolling(tarv_display_ref::main);
        return true;
    case 'M':
        host.toggle_feature(tarv_feature::automap_display);
        return true;
    case 'P':
        host.toggle_feature(tarv_feature::hpbar_enable);
        return true;
    case 'Q':
        if (!host.is_following(tarv_display_ref::main))
            host.unfreeze_scrolling(tarv_display_ref::main);
        else if (!host.is_following(tarv_display_ref::channel))
            host.unfreeze_scrolling(tarv_display_ref::channel);
        return true;
    case 'S':
    case 'Z':
        host.freeze_scrolling(tarv_display_ref::main);
        return true;
    case 'V':
        manual_clipboard_paste();
        return true;
    case 'F':
        host.open_find();
        return true;
    case '+':
    case '=':
    case tarv_key::NUMPAD_ADD:
        if (shift)
            host.grow_channel_window();
        else
            host.increase_text_size();
        return true;
    case '-':
    case '_':
    case tarv_key::NUMPAD_SUBTRACT:
        if (shift)
            host.shrink_channel_window();
        else
            host.decrease_text_size();
        return true;
    // Braces are the bracket keys with Shift on layouts that report them so.
    case '[':
    case '{':
        if (shift || k == '{')
            host.shrink_input_window();
        else
            host.decrease_map_size();
        return true;
    case ']':
    case '}':
        if (shift || k == '}')
            host.grow_input_window();
        else
            host.increase_map_size();
        return true;
    case '0':
        if (!shift && host.play_state() == playing) host.popup_quick_toggle(10);
        return true;
    default:
        break;
    }

    if (k >= '1' && k <= '9') {
        int digit = k - '0';
        if (!shift) {
            if (host.play_state() == playing) host.popup_quick_toggle(digit);
            return true;
        }
        static constexpr tarv_feature none = static_cast<tarv_feature>(-1);
        static constexpr tarv_feature toggles[10] = {
            none,
            tarv_feature::automap_display,
            tarv_feature::group_status_display,
            tarv_feature::hpbar_enable,
            tarv_feature::enemy_hpbar_enable,
            tarv_feature::exp_display,
            none,
            tarv_feature::fkey_button_display,
            tarv_feature::popup_display,
            tarv_feature::mw_scrollbar_enable,
        };
        if (toggles[digit] != none) host.toggle_feature(toggles[digit]);
        return true;
    }
    return false;
}

bool tarv_command_line::handle_function_key(const tarv_key_event& event)
{
    const char* prefix = "";
    if (event.control || event.meta)
        prefix = "c";
    else if (event.alt)
        return false;
    else if (event.shift)
        prefix = "s";
    char command[16];
    std::snprintf(command, sizeof command, "%sf%02d", prefix, event.key_code - tarv_key::F1 + 1);
    host_->process_command(command, false);
    unfreeze_main_if_needed();
    return true;
}

void tarv_command_line::handle_escape()
{
    tarv_input_host& host = *host_;
    if (!host.is_following(tarv_display_ref::main)) {
        host.unfreeze_scrolling(tarv_display_ref::main);
        return;
    }
    if (host.is_following(tarv_display_ref::channel)) {
        erase_line();
        host.clear_selection(tarv_display_ref::main);
        host.clear_selection(tarv_display_ref::channel);
    } else {
        host.unfreeze_scrolling(tarv_display_ref::channel);
    }
}

bool tarv_command_line::on_char(int ch)
{
    return host_ && host_->find_open() && host_->find_char(ch);
}

void tarv_command_line::on_key_up()
{
    key_held = 0;
}

void tarv_command_line::on_mouse_wheel(int rotation, int wheel_delta)
{
    if (!host_) return;
    const int notches = wheel.add(rotation, wheel_delta);
    if (notches > 0) {
        host_->freeze_scrolling(tarv_display_ref::main);
        host_->scroll_lines_up(tarv_display_ref::main, 3);
    } else if (notches < 0) {
        host_->freeze_scrolling(tarv_display_ref::main);
        host_->scroll_lines_down(tarv_display_ref::main, 3);
    }
}

void tarv_command_line::on_paste_event()
{
    TARV_LOG(2, "tarv_line_edit::pasteEvent()\n");
    manual_clipboard_paste();
}

void tarv_command_line::manual_clipboard_paste()
{
    TARV_LOG(2, "tarv_line_edit::manual_clipboard_paste()\n");
    std::string text;
    // An unreadable selection pastes nothing, which still removes a selection.
    if (host_) host_->get_clipboard_data(text);
    edit_.replace_selection(text);
}

void tarv_command_line::submit_line()
{
    if (!host_) {
        TARV_LOG(1, "Warning in tarv_line_edit::submit_line(), no host; line kept.\n");
        return;
    }
    const std::string text = edit_.get_value();
    const std::string command = text.substr(0, TARV_MAX_COMMAND_LENGTH);

    // Push-through keeps the line, selected, to be sent again or typed over;
    // never a password, which would show once echo comes back.
    if (!password_mode && host_->play_state() == playing && host_->cmd_pushthrough())
        edit_.set_selection(0, edit_.get_last_position());
    else
        edit_.set_value(std::string());

    if (!command.empty()) history_store(text);
    host_->process_command(command.c_str(), true);
    reset_input_style();
}

void tarv_command_line::reset_input_style()
{
    // Styling happens after every sent line and recall; while the server has
    // echo off it must keep the text hidden.
    edit_.apply_style(password_mode ? tarv_edit_control::STYLE_HIDDEN : tarv_edit_control::STYLE_NORMAL);
}

void tarv_command_line::set_password_mode()
{
    password_mode = 1;
    edit_.apply_style(tarv_edit_control::STYLE_HIDDEN);
}

void tarv_command_line::clear_password_mode()
{
    password_mode = 0;
    reset_input_style();
}

void tarv_command_line::history_store(const std::string& text)
{
    if (password_mode) return;
    history_.store(text);
}

void tarv_command_line::show_history_text(const std::string& text)
{
    reset_input_style();
    edit_.set_value(text);
    edit_.set_insertion_point(edit_.get_last_position());
    reset_input_style();
}

void tarv_command_line::history_up()
{
    const long caret = edit_.get_insertion_point();
    const long last = edit_.get_last_position();
    if (caret < last) {
        // In a multi-line text Up first walks up through the lines.
        const std::string value = edit_.get_value();
        long target = 0;
        for (long i = std::min<long>(caret, static_cast<long>(value.size())) - 1; i >= 0; --i) {
            if (value[i] == '\n') {
                target = i;
                break;
            }
        }
        edit_.set_insertion_point(target);
        return;
    }
    if (auto text = history_.step_up(edit_.get_value())) show_history_text(*text);
}

void tarv_command_line::history_down()
{
    const long caret = edit_.get_insertion_point();
    const long last = edit_.get_last_position();
    if (caret < last) {
        // The newline right at the caret ends the line it is on already;
        // counting it would keep the caret there for good.
        const std::string value = edit_.get_value();
        long target = last;
        for (long i = caret + 1; i < static_cast<long>(value.size()); ++i) {
            if (value[i] == '\n') {
                target = i;
                break;
            }
        }
        edit_.set_insertion_point(target);
        return;
    }
    if (auto text = history_.step_down(edit_.get_value())) show_history_text(*text);
}
