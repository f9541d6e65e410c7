// The command interpreter every command line goes through, whether typed,
// clicked or issued by the client itself: local echo, the client's own "//"
// commands, the words that work while disconnected, and everything else to
// the server. Also the help, version and debug screens. Stateless; it works
// on the main window only through tarv_command_host.
#pragma once

#include <string>

class tarv_command_host {
public:
    virtual ~tarv_command_host() = default;

    // The main display: client text is printed with print_text and coloured
    // with SGR parameters (process_ansi_code).
    virtual void main_print_text(const char* text) = 0;
    virtual void main_ansi_code(int parameter) = 0;
    virtual void main_reset_color() = 0;
    virtual void main_scroll_to_end() = 0;
    virtual void main_refresh() = 0;
    // clear_display of the main display (the channels keep their text).
    virtual void main_clear() = 0;
    // The scrollback stress fill, straight into the main display's text control.
    virtual void main_debug_fill() = 0;

    // The connection.
    virtual bool is_connected() = 0;
    virtual void send_line(const char* text) = 0;
    // 0 or less: the default port.
    virtual void socket_connect(int port) = 0;
    virtual void disconnect_game(const char* message) = 0;
    virtual void begin_client_message() = 0;
    // "tsping" now, and the ping stopwatch restarts.
    virtual void send_ping() = 0;
    // "//trust": accept the key of the server refused at the last connect.
    virtual void trust_presented_key() = 0;
    // 2 while playing.
    virtual int play_state() const = 0;

    // The command line and the history.
    virtual bool password_mode() const = 0;
    // The "//history" text of the current history list.
    virtual std::string history_listing() const = 0;

    // Settings.
    virtual bool local_echo() const = 0;
    virtual bool cmd_separator() const = 0;
    // Empty when the program was not started by a launcher.
    virtual const char* launcher_version_text() const = 0;

    // Ends the program without asking (system_shutdown_handler).
    virtual void request_shutdown() = 0;
    // Every channel of the channel window loses its text.
    virtual void clear_channels() = 0;
    // The tag dispatcher, for the local tests "//icons" and "//soundtest".
    virtual void dispatch_tag(const char* name, const char* data, int length) = 0;
};

class tarv_command_interpreter {
public:
    static constexpr int echo_rule_length = 73;

    explicit tarv_command_interpreter(tarv_command_host& host) : host_(host) {}

    // text has no line ending; echo is true for what the player typed or
    // clicked, false for what the client issues itself.
    void process_command(const char* text, bool echo);

    // Screens, also reached from the Help menu.
    void show_command_list();
    void show_keyboard_help();
    void show_version_screen();
    // In-game help: "help" (basic) or "help me" (more) while playing, else a
    // notice why not.
    void show_ingame_help(bool more);

private:
    void local_echo(const char* text);
    bool client_command(const char* text);
    void disconnected_word(const char* text);
    void connect_command(const char* argument);
    void print_separator();
    void print_debug_information();
    void debug_level_command(const char* argument);
    void debug_file_command(const char* argument);

    tarv_command_host& host_;
};
