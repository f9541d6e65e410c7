// The one connection to the game server: connecting with TLS and
// identifying, polling the socket each tick, the outgoing buffer, noticing
// the end of the connection, and the client's own lines (identification,
// ping, client status). The main window is reached only through
// tarv_connection_host; received bytes go through the demultiplexer to a
// tarv_demux_sink.
#pragma once

#include "connection/outgoing_buffer.h"
#include "connection/server_keys.h"
#include "connection/stream_demux.h"
#include "net/tcp_socket.h"

#include <chrono>
#include <cstdint>
#include <string>

struct tarv_client_status;

// What the connection asks of the main window.
class tarv_connection_host {
public:
    virtual ~tarv_connection_host() = default;

    // The main display: client messages are printed with print_text and
    // coloured with SGR parameters.
    virtual void main_print_text(const char* text) = 0;
    virtual void main_ansi_code(int parameter) = 0;
    virtual void main_reset_color() = 0;
    // Scroll to the bottom and follow new text again.
    virtual void main_scroll_to_end() = 0;
    virtual void main_refresh() = 0;

    // 0 disconnected, 1 connected but not logged in, 2 logged in.
    virtual void select_history_set(int set) = 0;
    virtual int play_state() const = 0;
    virtual void set_play_state(int state) = 0;
    virtual void set_title(const char* title) = 0;

    // Before connecting: all twelve hint buttons lose their labels.
    virtual void clear_hint_buttons() = 0;
    // After a disconnect, in this order: automap visibility updated and
    // function keys disabled, status bar and status display reset (status
    // display redrawn), group display cleared and hidden.
    virtual void reset_panels_after_disconnect() = 0;
    // Direction buttons off; hint row cleared but for "Connect" (first,
    // command "connect") and "Quit" (last, command "quit"); automap cleared.
    virtual void show_disconnected_buttons() = 0;
    // Record the geometry of every popup window and close it.
    virtual void close_popup_windows() = 0;
    virtual void relayout_main_window() = 0;

    // Configuration: the game server's address and the client identity.
    virtual const char* game_host() = 0;
    virtual int game_port() = 0;
    virtual const char* client_identity() = 0;
};

class tarv_game_connection {
public:
    static constexpr int read_buffer_size = 10000;
    static constexpr int connect_time_limit_ms = 5000;
    // A flooding server must not keep the tick from returning to the main
    // loop: past this much reading in one tick the rest waits for the next.
    static constexpr int read_budget_ms = 100;

    tarv_game_connection(tarv_connection_host& host, tarv_demux_sink& sink);
    ~tarv_game_connection();
    tarv_game_connection(const tarv_game_connection&) = delete;
    tarv_game_connection& operator=(const tarv_game_connection&) = delete;

    // Port 0 or less: the configured game port.
    void socket_connect(int port);
    // Every tick: the first connect, then reading and writing.
    void socket_handler();

    // Returns the number of bytes copied (the rest is dropped and logged).
    int append_outgoing_string(const char* text);
    // The text and a line feed, or nothing at all when they do not fit
    // together: a cut command must not run into the next one.
    void send_line(const char* text);
    void disconnect_game(const char* message);
    void begin_client_message();
    void send_client_status(const tarv_client_status& status);

    // "tsping", and the stopwatch restarts.
    void send_ping();
    // The ping timer: pings only while playing.
    void on_ping_timer();
    void restart_ping_stopwatch();
    std::int64_t ping_stopwatch_ms() const;

    // The socket's connected bit (advancing a pending connection).
    bool is_connected();

    // "//trust": the key a server presented at the last refused connect is
    // remembered for that server, and the player may connect again.
    void trust_presented_key();
    // The remembered keys; by default the file in the configuration
    // directory (in memory only when there is none).
    tarv_server_keys& server_keys();
    void set_server_keys_path(std::string path);

    tarv_stream_demux& demux() { return demux_; }
    tarv_tcp_socket& socket() { return socket_; }
    const tarv_outgoing_buffer& outgoing() const { return outgoing_; }
    bool connection_seen() const { return connection_seen_ != 0; }
    bool first_connect_done() const { return first_connect_done_ != 0; }

    // Tests shorten the time limits.
    void set_connect_time_limit_ms(int milliseconds) { connect_limit_ms_ = milliseconds; }
    void set_read_budget_ms(int milliseconds) { read_budget_ms_ = milliseconds; }

private:
    void connection_lost(const char* message);
    // After the handshake, before anything is sent: true when the server may
    // be talked to. Otherwise the connection is closed and the player told.
    bool check_server_identity(const char* host_name, int port);
    void print_key_line(const char* label, const tarv_key_fingerprint& fingerprint);

    tarv_connection_host& host_;
    tarv_demux_sink& sink_;
    tarv_tcp_socket socket_;
    tarv_stream_demux demux_;
    tarv_outgoing_buffer outgoing_;
    int first_connect_done_ = 0;
    int connection_seen_ = 0;
    int connect_limit_ms_ = connect_time_limit_ms;
    int read_budget_ms_ = read_budget_ms;
    std::chrono::steady_clock::time_point ping_start_;
    tarv_server_keys server_keys_;
    bool server_keys_path_chosen_ = false;
    // The key of the last refused server, until "//trust" or the next connect.
    struct presented_key {
        bool pending = false;
        std::string host;
        int port = 0;
        tarv_key_fingerprint fingerprint{};
    } presented_;
    char read_buffer_[read_buffer_size];
};

extern const char* const client_version;
