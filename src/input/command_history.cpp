#include "input/command_history.h"

#include <cstdio>

#include "support/debug_log.h"
#include "support/text_buffer.h"

namespace {
const std::string empty_slot;
}

tarv_command_history::tarv_command_history()
{
    // Up while disconnected offers the connect command at once.
    lists_[HISTORY_OFFLINE].commands.push_back("connect");
}

void tarv_command_history::select_history_set(int n)
{
    if (n < 0 || n >= set_count) {
        TARV_LOG(1, "Warning in tarv_command_history::select_history_set(), no history list %d.\n", n);
        return;
    }
    if (n == current_) return;
    lists_[current_].saved_position = position_;
    current_ = n;
    position_ = lists_[n].saved_position;
}

const std::string* tarv_command_history::slot(int i) const
{
    const list& l = lists_[current_];
    if (i == 0) return &empty_slot;
    if (i == 1) return &l.edit_line;
    if (i < 2 || i - 2 >= static_cast<int>(l.commands.size())) return nullptr;
    return &l.commands[i - 2];
}

void tarv_command_history::store(const std::string& text)
{
    list& l = lists_[current_];
    if (l.commands.empty() || l.commands.front() != text) {
        if (static_cast<int>(l.commands.size()) >= max_commands) l.commands.pop_back();
        l.commands.insert(l.commands.begin(), text);
    }
    position_ = 1;
    l.edit_line.clear();
}

std::optional<std::string> tarv_command_history::step_up(const std::string& edit_text)
{
    int p = position_;
    if (p > slot_count - 2 || !slot(p) || !slot(p + 1)) return std::nullopt;
    if (p == 1) lists_[current_].edit_line = edit_text;
    position_ = p + 1;
    return *slot(p + 1);
}

std::optional<std::string> tarv_command_history::step_down(const std::string& edit_text)
{
    int p = position_;
    // Text typed on the blank line below the edit line is not kept.
    if (p <= 0) return std::string();
    if (!slot(p)) return std::nullopt;
    if (p == 1) lists_[current_].edit_line = edit_text;
    position_ = p - 1;
    return *slot(p - 1);
}

std::string tarv_command_history::listing() const
{
    std::string out = "\nRecent Command History:";
    for (int i = listing_count; i >= 1; --i) {
        const std::string* command = slot(i + 1);
        if (!command) continue;
        char number[16];
        std::snprintf(number, sizeof number, "\n%2d - ", i);
        out += number;
        out.append(*command, 0, tarv_text_buffer::max_length);
    }
    out += "\n";
    return out;
}
