// Preference commands: the server's "config" tag switches some panels on
// and off or makes them blink (a tutorial pointing at part of the window).
// Each switch goes through the configuration setter the matching menu item
// uses, so menus, layout and the client status line follow.
#pragma once

class tarv_mw;

// One command: a panel word, then an action word ("enable", "disable",
// "flash"); further words are ignored. Words compare without regard to case.
void config_cmd_process(tarv_mw* mw, const char* data);
