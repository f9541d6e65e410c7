#include "app/preference_commands.h"

#include "app/mw.h"
#include "config/config.h"
#include "input/input_window.h"
#include "support/debug_log.h"
#include "support/util.h"
#include "text/main_window.h"

namespace {

enum class action { none, enable, disable, flash, other };

action action_of(const char* word)
{
    if (!word) return action::none;
    if (word_equals(word, "enable")) return action::enable;
    if (word_equals(word, "disable")) return action::disable;
    if (word_equals(word, "flash")) return action::flash;
    return action::other;
}

// The action word as far as it goes, for the error line.
std::string first_word(const char* text)
{
    const char* end = text;
    while (*end && *end != ' ' && *end != '\t' && *end != '\n') ++end;
    return std::string(text, end);
}

void bad_command(const char* parser, const char* word)
{
    TARV_LOG(2, "Error in tarv_mw::%s(), bad command '%s'.\n", parser, first_word(word).c_str());
}

void parse_cmd_automap(tarv_mw& mw, const char* word)
{
    const bool on = TConfig::instance().automap_display() != 0;
    switch (action_of(word)) {
    case action::none: return;
    case action::enable:
        if (!on) mw.set_automap_display(true);
        return;
    case action::disable:
        if (on) mw.set_automap_display(false);
        return;
    case action::flash:
        if (!on) mw.set_automap_display(true);
        mw.flash_automap();
        return;
    case action::other: bad_command("parse_cmd_automap", word); return;
    }
}

void parse_cmd_hint_buttons(tarv_mw& mw, const char* word)
{
    TConfig& c = TConfig::instance();
    switch (action_of(word)) {
    case action::none: return;
    case action::enable: c.set_hint_button_enable(1); return;
    case action::disable: c.set_hint_button_enable(0); return;
    case action::flash:
        c.set_hint_button_enable(1);
        mw.hint_buttons->flash_all();
        return;
    case action::other: bad_command("parse_cmd_hint_buttons", word); return;
    }
}

void parse_cmd_status_bar(tarv_mw& mw, const char* word)
{
    // The word names the HP bar of the status display, not the bottom status bar.
    TConfig& c = TConfig::instance();
    switch (action_of(word)) {
    case action::none: return;
    case action::enable: c.set_hpbar_enable(1); return;
    case action::disable: c.set_hpbar_enable(0); return;
    case action::flash:
        c.set_hpbar_enable(1);
        mw.status_display->start_flash();
        return;
    case action::other: bad_command("parse_cmd_status_bar", word); return;
    }
}

void parse_cmd_popup_display(tarv_mw& mw, const char* word)
{
    TConfig& c = TConfig::instance();
    switch (action_of(word)) {
    case action::none: return;
    case action::enable: c.set_popup_display(1); return;
    case action::disable: c.set_popup_display(0); return;
    case action::flash:
        c.set_popup_display(1);
        mw.flash_popup_buttons();
        return;
    case action::other: bad_command("parse_cmd_popup_display", word); return;
    }
}

// Switches that only turn on and off.
template <void (TConfig::*setter)(int)>
void switch_only(const char* parser, const char* word)
{
    switch (action_of(word)) {
    case action::none: return;
    case action::enable: (TConfig::instance().*setter)(1); return;
    case action::disable: (TConfig::instance().*setter)(0); return;
    case action::flash:
    case action::other: bad_command(parser, word); return;
    }
}

// Panels that can only blink.
void flash_only(const char* parser, const char* word, tarv_embedded_window* panel)
{
    const action a = action_of(word);
    if (a == action::none) return;
    if (a != action::flash) {
        bad_command(parser, word);
        return;
    }
    if (panel) panel->start_flash();
}

}  // namespace

void config_cmd_process(tarv_mw* mw, const char* data)
{
    const char* p = data;
    if (p)
        while (*p == ' ' || *p == '\t' || *p == '\n') ++p;
    if (!mw || !p || !*p) {
        TARV_LOG(2, "Warning in tarv_mw::config_cmd_process() - got null string?\n");
        return;
    }
    const char* word = next_arg(p);
    if (word_equals(p, "automap"))
        parse_cmd_automap(*mw, word);
    else if (word_equals(p, "hint_buttons"))
        parse_cmd_hint_buttons(*mw, word);
    else if (word_equals(p, "fkey_buttons"))
        switch_only<&TConfig::set_fkey_button_display>("parse_cmd_fkey_buttons", word);
    else if (word_equals(p, "status_bar"))
        parse_cmd_status_bar(*mw, word);
    else if (word_equals(p, "popup_buttons"))
        parse_cmd_popup_display(*mw, word);
    else if (word_equals(p, "main_window"))
        flash_only("parse_cmd_main_display", word, mw->main_display.get());
    else if (word_equals(p, "input_window"))
        flash_only("parse_cmd_input_window", word, mw->input_window);
    else if (word_equals(p, "direction_buttons"))
        switch_only<&TConfig::set_direction_button_enable>("parse_cmd_direction_buttons", word);
    else if (word_equals(p, "exp_bar"))
        switch_only<&TConfig::set_exp_display>("parse_cmd_exp_bar", word);
    else
        TARV_LOG(2, "Warning in tarv_mw::config_cmd_process() - got unknown command '%s'.\n", data);
}
