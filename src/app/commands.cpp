#include "app/commands.h"

#include "connection/game_connection.h"
#include "support/config_dir.h"
#include "support/debug_log.h"
#include "support/text_buffer.h"
#include "support/util.h"
#include "text/ansi_display.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int state_playing = 2;
constexpr int max_port = 65535;

const char* const separator_text = "\n=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=";

const char* const command_list[] = {
    "\n",
    "\nTessel Control Commands -------------------------------",
    "\n//commands               - this help screen",
    "\n//help                   - show keyboard shortcuts",
    "\n//version                - show client/server versions",
    "\n//break                  - send TTY *break*",
    "\n//history                - show recent client history",
    "\n//ping                   - check/update ping time",
    "\n//debug                  - display/change debug level",
    "\n//debugfile              - change name of debug file",
    "\n//cclear                 - quick clear of channel windows",
    "\n//clear                  - quick clear of all backscroll",
    "\n//quit                   - quick program exit",
    "\n//disconnect             - quick disconnect",
    "\n//trust                  - accept the new key of a refused server",
    "\n",
    "\nCommands Used While Disconnected -----------------------",
    "\nconnect <port>           - connect on a specified port",
    "\nquit                     - quick program exit",
    "\n",
};

const char* const keyboard_help[] = {
    "\nPgUp/PgDn         - lock and scroll the screen (any other key to unlock)",
    "\nEscape            - erase current line",
    "\nControl C         - (break) erase current line and stop all aliases",
    "\nControl \\         - (abort) erase current line and stop all aliases",
    "\nControl K         - erase/kill current line",
    "\nControl M         - toggle automap window",
    "\nControl P         - toggle hitpoint display bar",
    "\nControl S         - freeze screen scrolling",
    "\nControl Z         - freeze screen scrolling",
    "\nControl Q         - unfreeze screen scrolling",
    "\nControl -         - decrease font size",
    "\nControl +         - increase font size",
    "\nControl [         - decrease automap size",
    "\nControl ]         - increase automap size",
    "\nControl {         - decrease input window size",
    "\nControl }         - increase input window size",
    "\nControl 1-9       - quick open/close of popup windows",
    "\nControl-Shift 1-9 - quick enable/disable of various features",
};

// The scrollback tools beyond the keys above.
constexpr const char* scrollback_tools_help[] = {
    "\nControl F         - find text in the scrollback (Enter/F3 older, Shift newer, Escape closes)",
    "\nControl C         - with text selected: copy it to the clipboard",
    "\nShift Insert      - paste the clipboard (Control V pastes the selection)",
};

// Abbreviation with a minimum length; 0 asks for the exact word.
bool matches(const char* text, const char* keyword, int minimum)
{
    if (minimum == 0) return word_equals(text, keyword) != 0;
    return word_abbrev(text, keyword, minimum) != 0;
}

// A decimal argument as strtol reads it (no number gives 0), clamped to int.
long read_long(const char* text)
{
    errno = 0;
    long v = std::strtol(text, nullptr, 10);
    return std::clamp<long>(v, INT_MIN, INT_MAX);
}

const char* or_none(const char* text)
{
    return text ? text : "(none)";
}

}  // namespace

void tarv_command_interpreter::process_command(const char* text, bool echo)
{
    if (!text) text = "";
    if (echo && host_.local_echo() && !host_.password_mode()) local_echo(text);
    if (client_command(text)) return;
    if (host_.is_connected()) {
        host_.send_line(text);
        return;
    }
    disconnected_word(text);
}

void tarv_command_interpreter::local_echo(const char* text)
{
    bool rule = host_.cmd_separator() && *text;
    host_.main_reset_color();
    host_.main_print_text("\n");
    if (rule) host_.main_print_text("\n");
    host_.main_ansi_code(SGR_BRIGHT);
    host_.main_ansi_code(SGR_YELLOW);
    host_.main_print_text(">");
    host_.main_reset_color();
    host_.main_print_text(text);
    host_.main_ansi_code(SGR_BRIGHT);
    host_.main_ansi_code(SGR_YELLOW);
    host_.main_print_text("<");
    if (rule) {
        host_.main_ansi_code(SGR_BRIGHT);
        host_.main_ansi_code(SGR_WHITE);
        std::string line = "\n" + std::string(echo_rule_length, '-');
        host_.main_print_text(line.c_str());
    }
    host_.main_reset_color();
    host_.main_refresh();
}

// True when the text was a client command (never sent to the server).
bool tarv_command_interpreter::client_command(const char* text)
{
    const char* argument = next_arg(text);
    if (matches(text, "//commands", 3)) {
        show_command_list();
        return true;
    }
    if (matches(text, "//help", 3)) {
        show_keyboard_help();
        return true;
    }
    if (matches(text, "//version", 3)) {
        show_version_screen();
        return true;
    }
    if (matches(text, "//break", 3)) {
        host_.send_line("\x03");
        host_.main_scroll_to_end();
    } else if (matches(text, "//history", 3)) {
        host_.begin_client_message();
        std::string listing = host_.history_listing();
        host_.main_print_text(listing.c_str());
    } else if (matches(text, "//quit", 6) || matches(text, "//exit", 6)) {
        host_.request_shutdown();
    } else if (matches(text, "//trust", 0)) {
        // The whole word only: accepting a server's key is never a slip.
        host_.trust_presented_key();
    } else if (matches(text, "//disconnect", 6)) {
        host_.disconnect_game("Disconnecting.");
    } else if (matches(text, "//clear", 4)) {
        host_.main_clear();
    } else if (matches(text, "//chanclear", 4) || matches(text, "//cclear", 4)) {
        host_.clear_channels();
    } else if (host_.play_state() == state_playing && (matches(text, "tsping", 0) || matches(text, "//ping", 3))) {
        host_.send_ping();
    } else if (matches(text, "//echo", 3)) {
        host_.main_print_text("\n");
        host_.main_print_text(argument ? argument : "");
    } else if (matches(text, "//debuglevel", 5)) {
        debug_level_command(argument);
    } else if (matches(text, "//debugfilename", 8)) {
        debug_file_command(argument);
    } else if (matches(text, "//debugfill", 0)) {
        host_.main_debug_fill();
    } else if (matches(text, "//icons", 0) || matches(text, "//soundtest", 0)) {
        const char* data = argument ? argument : "";
        host_.dispatch_tag(matches(text, "//icons", 0) ? "icons" : "sound", data, static_cast<int>(std::strlen(data)));
    } else {
        return false;
    }
    host_.main_refresh();
    return true;
}

void tarv_command_interpreter::disconnected_word(const char* text)
{
    const char* argument = next_arg(text);
    if (matches(text, "connect", 1) || matches(text, "restart", 2) || matches(text, "start", 2) ||
        matches(text, "login", 4)) {
        connect_command(argument);
        return;
    }
    if (matches(text, "quit", 3) || matches(text, "exit", 2)) host_.request_shutdown();
    host_.main_refresh();
}

void tarv_command_interpreter::connect_command(const char* argument)
{
    long port = argument ? read_long(argument) : 0;
    if (port > max_port) {
        // A port the socket would silently cut to 16 bits connects somewhere
        // the player never asked for.
        TARV_LOG(1, "Warning in process_command(), port %ld is out of range.\n", port);
        host_.main_print_text("\nThe port must be a number from 1 to 65535.\n");
        host_.main_refresh();
        return;
    }
    host_.socket_connect(static_cast<int>(port));
}

void tarv_command_interpreter::print_separator()
{
    host_.main_ansi_code(SGR_BRIGHT);
    host_.main_ansi_code(SGR_YELLOW);
    host_.main_print_text(separator_text);
    host_.main_ansi_code(SGR_PLAIN);
    host_.main_ansi_code(SGR_WHITE);
}

void tarv_command_interpreter::show_command_list()
{
    host_.main_reset_color();
    for (const char* line : command_list) host_.main_print_text(line);
    host_.main_refresh();
}

void tarv_command_interpreter::show_keyboard_help()
{
    host_.begin_client_message();
    host_.main_print_text("\n");
    print_separator();
    host_.main_print_text("\nKeyboard controls you can use with this client:");
    host_.main_print_text("\n");
    for (const char* line : keyboard_help) host_.main_print_text(line);
    if (host_.play_state() == state_playing)
        host_.main_print_text("\nF1-F12            - trigger aliases 'f01' through 'f12'");
    host_.main_print_text("\nUp/Down           - look through previous commands");
    for (const char* line : scrollback_tools_help) host_.main_print_text(line);
    print_separator();
    host_.main_print_text("\n");
    host_.main_refresh();
}

void tarv_command_interpreter::show_version_screen()
{
    host_.begin_client_message();
    host_.main_print_text("\n");
    print_separator();
    host_.main_print_text("\nKarthem Client Version: ");
    host_.main_print_text(client_version);
    const char* launcher = host_.launcher_version_text();
    if (launcher && *launcher) {
        host_.main_print_text("\nLauncher Version:          ");
        host_.main_print_text(launcher);
    }
    host_.main_print_text("\nClient config directory:   ");
    const char* directory = tarv_client_get_config_directory();
    host_.main_print_text(directory ? directory : "");
    host_.main_print_text("\n");
    host_.main_print_text("\nTessel is the Karthem desktop client; report problems to the game's staff.");
    print_separator();
    host_.main_print_text("\n");
    if (host_.is_connected() && host_.play_state() == state_playing)
        host_.send_line("version");
    else
        host_.main_print_text("\nUnable to retrieve server version.");
    host_.main_refresh();
}

void tarv_command_interpreter::show_ingame_help(bool more)
{
    bool connected = host_.is_connected();
    if (connected && host_.play_state() == state_playing) {
        host_.send_line(more ? "help me" : "help");
        return;
    }
    host_.begin_client_message();
    host_.main_print_text("\n");
    print_separator();
    host_.main_print_text("\n");
    host_.main_print_text(connected ? "\nSorry, but in-game help isn't available until after you have logged in."
                                    : "\nYou must be connected to the server to view the in-game help.");
    host_.main_print_text("\n(The on-line help is the same, you could try there instead.)");
    host_.main_print_text("\n");
    print_separator();
    host_.main_print_text("\n");
    host_.main_refresh();
}

void tarv_command_interpreter::print_debug_information()
{
    host_.main_print_text("\n");
    tarv_text_buffer line;
    if (tarv_client_debug_logfile_open_failed()) {
        host_.main_print_text("\n");
        host_.main_print_text("Debug logging is currently DISABLED - unable to open debug file.\n");
        host_.main_print_text("The failed filename is:  ");
        line.assign(or_none(tarv_client_get_debug_logfile_name()));
        host_.main_print_text(line.c_str());
    } else {
        line.append_format("The current debug level is:     %d\n", tarv_debug_level);
        host_.main_print_text(line.c_str());
        host_.main_print_text("The current debug filename is:  ");
        line.assign(or_none(tarv_client_get_debug_logfile_name()));
        host_.main_print_text(line.c_str());
    }
    host_.main_print_text("\n");
}

void tarv_command_interpreter::debug_level_command(const char* argument)
{
    if (argument) {
        int old_level = tarv_debug_level;
        tarv_debug_level = static_cast<int>(read_long(argument));
        tarv_text_buffer line;
        line.append_format("Debug level changed from %d to %d.\n", old_level, tarv_debug_level);
        host_.main_print_text("\n");
        host_.main_print_text(line.c_str());
    } else {
        print_debug_information();
        host_.main_print_text("\n");
        host_.main_print_text("To change the debug level, you must give a number between 0 and 3.\n");
    }
    host_.main_print_text("\n");
}

void tarv_command_interpreter::debug_file_command(const char* argument)
{
    if (!argument) {
        print_debug_information();
        host_.main_print_text("\n");
        host_.main_print_text("You must give a filename to change the debug file.\n");
        host_.main_print_text("\n");
        return;
    }
    tarv_text_buffer old_path;
    const char* current = tarv_client_get_debug_logfile_name();
    // A cut path would name some other file: only a whole one is kept.
    bool had_old = current && old_path.append(current);
    if (tarv_client_debug_logfile_is_open()) tarv_client_debug_logfile_close();
    tarv_client_set_debug_logfile_name(argument);
    const char* message;
    if (!tarv_client_debug_logfile_open_failed()) {
        message = "Debug logfile changed.\n";
    } else if (had_old) {
        tarv_client_set_debug_logfile_name(old_path.c_str());
        message = tarv_client_debug_logfile_open_failed()
                      ? "Unable to open new logfile, and could not re-open old logfile.  No logfile currently set.\n"
                      : "Unable to open new logfile, old logfile not changed.\n";
    } else {
        message = "Unable to open logfile.  Please try again with a different name/path.\n";
    }
    host_.main_print_text("\n");
    host_.main_print_text(message);
    host_.main_print_text("\n");
}
