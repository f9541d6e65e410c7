// Drives the command line with arbitrary sequences of keys, typing, caret and
// selection moves, wheel turns, pastes, sends, password mode and history
// switches; the history and the line must stay within their bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "../input/input_fakes.h"
#include "input/command_line.h"

namespace {

const int key_codes[] = {
    tarv_key::BACK,         tarv_key::RETURN,        tarv_key::ESCAPE,        tarv_key::UP,
    tarv_key::DOWN,         tarv_key::LEFT,          tarv_key::HOME,          tarv_key::PAGEUP,
    tarv_key::PAGEDOWN,     tarv_key::F1,            tarv_key::F12,           tarv_key::NUMPAD_UP,
    tarv_key::NUMPAD_HOME,  tarv_key::NUMPAD_BEGIN,  tarv_key::NUMPAD_ADD,    tarv_key::NUMPAD_SUBTRACT,
    tarv_key::NUMPAD_ENTER, tarv_key::CLEAR,         tarv_key::CONTROL,       tarv_key::SHIFT,
    'C', 'D', 'K', '\\', 'M', 'P', 'Q', 'S', 'Z', 'V', '+', '=', '-', '_', '[', ']', '{', '}', '0', '1', '6', '9', 'A',
};

struct reader {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
    bool more() const { return at < size; }
    std::uint8_t next() { return at < size ? data[at++] : 0; }
    std::string text(std::size_t max)
    {
        std::size_t n = next() % (max + 1);
        std::string s;
        while (n-- > 0 && more()) s.push_back(static_cast<char>(next()));
        return s;
    }
};

void check(bool ok)
{
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fake_edit edit;
    recording_host host;
    tarv_command_line line(edit, &host);
    reader in{data, size};

    while (in.more()) {
        switch (in.next() % 12) {
        case 0: {
            std::uint8_t pick = in.next();
            std::uint8_t mods = in.next();
            int code = pick < 200 ? key_codes[pick % std::size(key_codes)] : pick;
            tarv_key_event key{code, (mods & 1) != 0, (mods & 2) != 0, (mods & 4) != 0, (mods & 8) != 0};
            line.on_key_down(key);
            break;
        }
        case 1: line.on_key_up(); break;
        case 2: edit.type(in.text(8)); break;
        case 3: edit.set_selection(in.next(), in.next()); break;
        case 4: edit.set_insertion_point(in.next()); break;
        case 5: {
            static const int deltas[] = {0, 1, 120, -5};
            int rotation = static_cast<std::int8_t>(in.next()) * 30;
            line.on_mouse_wheel(rotation, deltas[in.next() % 4]);
            break;
        }
        case 6:
            host.clipboard = in.text(16);
            host.clipboard_ok = (in.next() & 1) != 0;
            line.manual_clipboard_paste();
            break;
        case 7: {
            // A line sent in password mode never reaches the history.
            int before = line.history().command_count();
            int set = line.history().current_history();
            bool hidden = line.is_password_mode();
            line.submit_line();
            if (hidden) check(line.history().command_count() == before && line.history().current_history() == set);
            break;
        }
        case 8:
            if (line.is_password_mode())
                line.clear_password_mode();
            else
                line.set_password_mode();
            break;
        case 9: line.select_history_set(static_cast<int>(in.next() % 5) - 1); break;
        case 10: {
            std::uint8_t flags = in.next();
            host.state = flags & 3;
            host.pushthrough = flags & 4;
            host.walking = flags & 8;
            host.locking = flags & 16;
            host.main_following = flags & 32;
            host.channel_following = flags & 64;
            host.main_selection = flags & 128;
            break;
        }
        default: edit.type("\n"); break;
        }
        const tarv_command_history& history = line.history();
        check(history.position() >= 0 && history.position() < tarv_command_history::slot_count);
        check(history.command_count() <= tarv_command_history::max_commands);
        check(history.current_history() >= 0 && history.current_history() < tarv_command_history::set_count);
        check(edit.caret >= 0 && edit.caret <= static_cast<long>(edit.text.size()));
        check(line.wheel.pending() > -120 && line.wheel.pending() < 120);
        host.calls.clear();
    }
    return 0;
}
