// The command line's three history lists: one while disconnected, one while
// logging in, one while playing, so what is typed in each phase stays apart.
// Each list is seen as 100 slots: 0 the blank line below the edit line, 1 the
// edit line (what was typed before walking away from it), 2 the newest stored
// command, up to 99 the oldest. Lives only in memory.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

enum tarv_history_set { HISTORY_OFFLINE = 0, HISTORY_LOGIN = 1, HISTORY_PLAYING = 2 };

class tarv_command_history {
public:
    static constexpr int slot_count = 100;
    static constexpr int max_commands = slot_count - 2;
    static constexpr int set_count = 3;
    static constexpr int listing_count = 19;

    tarv_command_history();

    // Makes list n current, keeping each list's browse position.
    void select_history_set(int n);
    int current_history() const { return current_; }
    // Browse position in the current list (1: the edit line).
    int position() const { return position_; }

    // Stores a sent command unless it repeats the newest one; either way the
    // position goes back to the edit line, which is emptied.
    void store(const std::string& text);

    // One step older / newer. edit_text is the command line's text, kept in
    // slot 1 when walking away from it. Returns the text to show, or nothing
    // when the walk is at its end.
    std::optional<std::string> step_up(const std::string& edit_text);
    std::optional<std::string> step_down(const std::string& edit_text);

    // Slot i of the current list, or nullptr when it holds nothing.
    const std::string* slot(int i) const;
    int command_count() const { return static_cast<int>(lists_[current_].commands.size()); }

    // The "//history" text: up to 19 newest commands, oldest first.
    std::string listing() const;

private:
    struct list {
        std::string edit_line;
        std::vector<std::string> commands;  // newest first
        int saved_position = 1;
    };

    std::array<list, set_count> lists_;
    int current_ = HISTORY_OFFLINE;
    int position_ = 1;
};
