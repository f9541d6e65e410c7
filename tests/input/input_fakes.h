// A text entry held in a string and a host that records what it is asked to
// do, for driving the command line without the toolkit.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "input/input_host.h"

// Behaves like the native entry: moving the caret drops the selection,
// selecting puts the caret at the selection's end.
class fake_edit : public tarv_edit_control {
public:
    std::string text;
    long caret = 0;
    long sel_from = 0;
    long sel_to = 0;
    input_style style = STYLE_NORMAL;

    std::string get_value() const override { return text; }
    void set_value(const std::string& value) override
    {
        text = value;
        caret = size();
        sel_from = sel_to = 0;
    }
    long get_insertion_point() const override { return caret; }
    void set_insertion_point(long position) override
    {
        caret = clamp(position);
        sel_from = sel_to = 0;
    }
    long get_last_position() const override { return size(); }
    void get_selection(long* from, long* to) const override
    {
        if (sel_from == sel_to) {
            *from = *to = caret;
        } else {
            *from = sel_from;
            *to = sel_to;
        }
    }
    void set_selection(long from, long to) override
    {
        sel_from = clamp(std::min(from, to));
        sel_to = clamp(std::max(from, to));
        caret = sel_to;
    }
    void replace_selection(const std::string& value) override
    {
        long at = caret;
        if (sel_from != sel_to) {
            text.erase(sel_from, sel_to - sel_from);
            at = sel_from;
        }
        text.insert(at, value);
        caret = at + static_cast<long>(value.size());
        sel_from = sel_to = 0;
    }
    void apply_style(input_style s) override { style = s; }

    // The native control's own typing, for keys the handler passes on.
    void type(const std::string& value) { replace_selection(value); }
    bool has_selection() const { return sel_from != sel_to; }

private:
    long size() const { return static_cast<long>(text.size()); }
    long clamp(long p) const { return std::max(0L, std::min(p, size())); }
};

// What the host answers when asked; tests set it up before a key.
struct host_state {
    int state = 0;
    bool walking = true;
    bool pushthrough = false;
    bool locking = false;
    bool main_following = true;
    bool channel_following = true;
    bool main_selection = false;
    bool channel_selection = false;
};

class recording_host : public tarv_input_host, public host_state {
public:
    std::string clipboard;
    std::string clipboard_text;  // the CLIPBOARD selection
    bool clipboard_ok = true;
    std::vector<std::string> calls;

    int play_state() const override { return state; }
    bool keypad_walking() const override { return walking; }
    bool cmd_pushthrough() const override { return pushthrough; }
    bool locking_scrollback_enable() const override { return locking; }

    void process_command(const char* text, bool echo) override
    {
        calls.push_back("cmd:" + std::string(text) + (echo ? ":1" : ":0"));
    }
    void send_line(const char* text) override
    {
        std::string s = "send:";
        for (const char* p = text; *p; ++p) s += std::to_string(static_cast<unsigned char>(*p));
        calls.push_back(s);
    }

    bool is_following(tarv_display_ref d) const override
    {
        return d == tarv_display_ref::main ? main_following : channel_following;
    }
    void freeze_scrolling(tarv_display_ref d) override
    {
        calls.push_back("freeze:" + name(d));
        following(d) = false;
    }
    void unfreeze_scrolling(tarv_display_ref d) override
    {
        calls.push_back("unfreeze:" + name(d));
        following(d) = true;
    }
    void page_up(tarv_display_ref d) override { calls.push_back("page_up:" + name(d)); }
    void page_down(tarv_display_ref d) override { calls.push_back("page_down:" + name(d)); }
    void scroll_lines_up(tarv_display_ref d, int n) override
    {
        calls.push_back("lines_up:" + name(d) + ":" + std::to_string(n));
    }
    void scroll_lines_down(tarv_display_ref d, int n) override
    {
        calls.push_back("lines_down:" + name(d) + ":" + std::to_string(n));
    }
    bool has_selection(tarv_display_ref d) const override
    {
        return d == tarv_display_ref::main ? main_selection : channel_selection;
    }
    void clear_selection(tarv_display_ref d) override
    {
        calls.push_back("clear_sel:" + name(d));
        (d == tarv_display_ref::main ? main_selection : channel_selection) = false;
    }

    void toggle_feature(tarv_feature f) override { calls.push_back(std::string("toggle:") + tarv_feature_key(f)); }
    void increase_text_size() override { calls.push_back("text+"); }
    void decrease_text_size() override { calls.push_back("text-"); }
    void grow_channel_window() override { calls.push_back("channel+"); }
    void shrink_channel_window() override { calls.push_back("channel-"); }
    void grow_input_window() override { calls.push_back("input+"); }
    void shrink_input_window() override { calls.push_back("input-"); }
    void increase_map_size() override { calls.push_back("map+"); }
    void decrease_map_size() override { calls.push_back("map-"); }
    void popup_quick_toggle(int n) override { calls.push_back("popup:" + std::to_string(n)); }

    void set_clipboard_data(const std::string& text) override { calls.push_back("copy:" + text); }
    bool get_clipboard_data(std::string& text) override
    {
        if (!clipboard_ok) return false;
        text = clipboard;
        return true;
    }

    void set_clipboard_text(const std::string& text) override { calls.push_back("clip:" + text); }
    bool get_clipboard_text(std::string& text) override
    {
        text = clipboard_text;
        return true;
    }
    void copy_selection(tarv_display_ref d) override { calls.push_back("copy_sel:" + name(d)); }
    bool other_selection = false;
    bool take_other_selection() override
    {
        if (!other_selection) return false;
        calls.push_back("take_other_sel");
        other_selection = false;
        return true;
    }

private:
    static std::string name(tarv_display_ref d) { return d == tarv_display_ref::main ? "main" : "channel"; }
    bool& following(tarv_display_ref d) { return d == tarv_display_ref::main ? main_following : channel_following; }
};
