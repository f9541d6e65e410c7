#include "connection/game_connection.h"

#include "connection/client_status.h"
#include "support/config_dir.h"
#include "support/debug_log.h"
#include "support/text_buffer.h"
#include "text/ansi_display.h"

#include <cstdio>
#include <cstring>

const char* const client_version = "1.095-gtk-test2";

namespace {

constexpr int play_state_not_playing = 0;
constexpr int play_state_playing = 2;

}  // namespace

tarv_game_connection::tarv_game_connection(tarv_connection_host& host, tarv_demux_sink& sink)
    : host_(host), sink_(sink), ping_start_(std::chrono::steady_clock::now())
{
}

tarv_game_connection::~tarv_game_connection()
{
    socket_.close_socket();
}

void tarv_game_connection::begin_client_message()
{
    host_.main_scroll_to_end();
    host_.main_reset_color();
    host_.main_print_text("\n");
    demux_.reset_for_client_message();
}

void tarv_game_connection::socket_connect(int port)
{
    if (port <= 0) port = host_.game_port();
    socket_.enable_ssl();
    host_.clear_hint_buttons();
    begin_client_message();
    host_.main_print_text("\n");
    host_.main_print_text("Connecting to server...\n");

    const char* host_name = host_.game_host();
    sockaddr_in address{};
    if (!tarv_resolve_host_address(host_name, &address)) {
        disconnect_game("Unable to look up address for game server.");
        host_.main_refresh();
        return;
    }
    TARV_LOG(2, "tarv_mw::socket_connect() - dns lookup ok, address '%s', port %d.\n", host_name, port);

    socket_.set_peer_name(host_name);
    int connected = socket_.connect_with_timeout(address, port, connect_limit_ms_);
    if (connected == 0) {
        // The handshake has not even begun, so the server cannot be checked
        // before the identification line would leave.
        TARV_LOG(1, "Error in tarv_mw::socket_connect(), the TLS handshake could not start.\n");
        connected = -1;
    }
    if (connected < 0) {
        socket_.close_socket();
        disconnect_game("Unable to connect to server.");
        host_.main_refresh();
        return;
    }
    TARV_LOG(2, "tarv_mw::socket_connect() - socket connect ok.\n");
    if (!check_server_identity(host_name, port)) return;
    demux_.reset_to_text();
    outgoing_.clear();

    tarv_text_buffer line;
    line.append("_tessel ");
    line.append(host_.client_identity());
    line.append(" ");
    line.append(client_version);
    send_line(line.c_str());

    host_.main_refresh();
    host_.select_history_set(1);
}

tarv_server_keys& tarv_game_connection::server_keys()
{
    if (!server_keys_path_chosen_) {
        const char* directory = tarv_client_get_config_directory();
        if (directory) server_keys_.set_path(std::string(directory) + "/" + tarv_server_keys::file_name);
        server_keys_path_chosen_ = true;
    }
    return server_keys_;
}

void tarv_game_connection::set_server_keys_path(std::string path)
{
    server_keys_.set_path(std::move(path));
    server_keys_path_chosen_ = true;
}

void tarv_game_connection::print_key_line(const char* label, const tarv_key_fingerprint& fingerprint)
{
    host_.main_print_text(label);
    host_.main_print_text("SHA-256 ");
    host_.main_print_text(tarv_format_fingerprint(fingerprint).c_str());
    host_.main_print_text("\n");
}

bool tarv_game_connection::check_server_identity(const char* host_name, int port)
{
    presented_.pending = false;
    if (socket_.peer_verified()) return true;

    tarv_key_fingerprint presented{};
    if (!socket_.peer_key_fingerprint(&presented)) {
        TARV_LOG(1, "Warning in tarv_mw::socket_connect(), the server presented no key.\n");
        socket_.close_socket();
        disconnect_game("The server did not identify itself; nothing was sent to it.");
        return false;
    }
    tarv_server_keys& keys = server_keys();
    bool readable = keys.load();
    const tarv_key_fingerprint* known = keys.find(host_name, port);
    char where[400];
    std::snprintf(where, sizeof where, "%s port %d", host_name, port);

    if (known && *known == presented) {
        if (!readable) {
            std::string note = "\nThe file of remembered server keys is damaged (" + keys.problem() + "):\n  " +
                               keys.path() + "\nThe keys that can be read are still used.\n";
            host_.main_print_text(note.c_str());
        }
        return true;
    }
    presented_.host = host_name;
    presented_.port = port;
    presented_.fingerprint = presented;
    if (!known && readable) {
        TARV_LOG(1, "tarv_mw::socket_connect() - first use of %s, key %s remembered.\n", where,
                 tarv_format_fingerprint(presented).c_str());
        bool saved = keys.remember(host_name, port, presented);
        std::string text = std::string("\nThe identity of this server (") + where +
                           ") is not vouched for by a known authority.\nIts key has been remembered; from now on the "
                           "client connects only if the server presents this same key:\n";
        host_.main_print_text(text.c_str());
        print_key_line("  ", presented);
        if (!saved)
            host_.main_print_text("(The key could not be saved, see the debug log: it is remembered until the client "
                                  "ends.)\n");
        return true;
    }

    presented_.pending = true;
    TARV_LOG(1, "Warning in tarv_mw::socket_connect(), %s presented the key %s and was refused.\n", where,
             tarv_format_fingerprint(presented).c_str());
    socket_.close_socket();
    disconnect_game("The server's identity could not be confirmed; nothing was sent to it.");
    host_.main_ansi_code(1);
    host_.main_ansi_code(31);
    if (known) {
        std::string text = std::string("WARNING: the server at ") + where +
                           " presented a different key from the one remembered for it!\n";
        host_.main_print_text(text.c_str());
        host_.main_ansi_code(0);
        host_.main_ansi_code(37);
        host_.main_print_text("Someone may be listening in on the connection, or the server's operators may have "
                              "changed its key.\n");
        print_key_line("  Remembered key: ", *known);
        print_key_line("  Presented key:  ", presented);
    } else {
        std::string text = "WARNING: the file of remembered server keys is damaged (" + keys.problem() + "):\n";
        host_.main_print_text(text.c_str());
        host_.main_ansi_code(0);
        host_.main_ansi_code(37);
        text = "  " + keys.path() + "\nso the key of the server at " + where + " cannot be checked.\n";
        host_.main_print_text(text.c_str());
        print_key_line("  Presented key:  ", presented);
    }
    host_.main_print_text("If you are sure that the presented key is the server's own (ask the game's staff), type '");
    host_.main_ansi_code(1);
    host_.main_ansi_code(33);
    host_.main_print_text("//trust");
    host_.main_ansi_code(0);
    host_.main_ansi_code(37);
    host_.main_print_text("' to accept it, then '");
    host_.main_ansi_code(1);
    host_.main_ansi_code(33);
    host_.main_print_text("connect");
    host_.main_ansi_code(0);
    host_.main_ansi_code(37);
    host_.main_print_text("'.\n");
    host_.main_refresh();
    return false;
}

void tarv_game_connection::trust_presented_key()
{
    begin_client_message();
    if (!presented_.pending) {
        host_.main_print_text("There is no refused server key to trust.\n");
        host_.main_refresh();
        return;
    }
    presented_.pending = false;
    bool saved = server_keys().remember(presented_.host, presented_.port, presented_.fingerprint);
    char text[600];
    std::snprintf(text, sizeof text, "The key of the server at %s port %d is now trusted:\n", presented_.host.c_str(),
                  presented_.port);
    host_.main_print_text(text);
    print_key_line("  ", presented_.fingerprint);
    if (!saved)
        host_.main_print_text("(The key could not be saved, see the debug log: it is trusted until the client "
                              "ends.)\n");
    host_.main_print_text("Type 'connect' to connect again.\n");
    host_.main_refresh();
}

void tarv_game_connection::connection_lost(const char* message)
{
    disconnect_game(message);
    connection_seen_ = 0;
}

void tarv_game_connection::socket_handler()
{
    if (!first_connect_done_) {
        // Set first: the connect prints, and nothing must run it twice.
        first_connect_done_ = 1;
        socket_connect(0);
    }
    int state = socket_.get_state();
    if (!connection_seen_) {
        if (state & SOCKET_CONNECTED) connection_seen_ = 1;
        return;
    }
    if (!(state & SOCKET_CONNECTED)) {
        TARV_LOG(1, "tarv_mw::socket_handler() - abnormal connection failure?\n");
        connection_lost("Connection to server lost.");
        return;
    }

    auto started = std::chrono::steady_clock::now();
    auto budget = std::chrono::milliseconds(read_budget_ms_);
    for (;;) {
        int n = socket_.nonblocking_read(read_buffer_, read_buffer_size);
        if (n == 0) break;
        if (n < 0) {
            connection_lost(socket_.read_error() == 0 ? "Connection closed by server." : "Connection to server lost.");
            return;
        }
        demux_.process_socket_data(read_buffer_, n, sink_);
        // A handler may have ended the connection from inside the block.
        if (!connection_seen_) return;
        if (std::chrono::steady_clock::now() - started >= budget) break;
    }

    if (outgoing_.length() > 0) {
        int n = socket_.nonblocking_write(outgoing_.data(), outgoing_.length());
        if (n < 0) {
            connection_lost("Connection to server lost.");
            return;
        }
        outgoing_.consume(n);
    }
}

int tarv_game_connection::append_outgoing_string(const char* text)
{
    if (!text) return 0;
    return outgoing_.append(text, static_cast<int>(std::strlen(text)));
}

void tarv_game_connection::send_line(const char* text)
{
    if (!text) text = "";
    int length = static_cast<int>(std::strlen(text));
    if (length + 1 > outgoing_.free_space()) {
        TARV_LOG(2, "Error in append_outgoing_string() - not enough space in outgoing buffer?\n");
        return;
    }
    outgoing_.append(text, length);
    outgoing_.append("\n", 1);
}

void tarv_game_connection::disconnect_game(const char* message)
{
    socket_.close_socket();
    // Whoever disconnects, the next tick must not report the loss again.
    connection_seen_ = 0;
    demux_.reset_to_text();
    outgoing_.clear();
    host_.select_history_set(0);
    host_.set_play_state(play_state_not_playing);
    host_.set_title("Karthem");
    host_.reset_panels_after_disconnect();

    auto plain = [this] {
        host_.main_ansi_code(SGR_PLAIN);
        host_.main_ansi_code(SGR_WHITE);
    };
    auto bright_yellow = [this] {
        host_.main_ansi_code(SGR_BRIGHT);
        host_.main_ansi_code(SGR_YELLOW);
    };
    plain();
    host_.main_print_text("\n");
    host_.main_print_text("\n");
    host_.main_print_text(message ? message : "");
    host_.main_print_text("\n");
    host_.main_print_text("\n");
    host_.main_print_text("To log in again, type '");
    bright_yellow();
    host_.main_print_text("connect");
    plain();
    host_.main_print_text("' or use the ");
    bright_yellow();
    host_.main_print_text("File / Connect");
    plain();
    host_.main_print_text(" menu option.\n");
    host_.main_print_text("\n");
    host_.main_refresh();

    host_.show_disconnected_buttons();
    host_.close_popup_windows();
    host_.relayout_main_window();
}

void tarv_game_connection::send_client_status(const tarv_client_status& status)
{
    tarv_text_buffer line;
    tarv_format_client_status(status, line);
    send_line(line.c_str());
}

void tarv_game_connection::send_ping()
{
    send_line("tsping");
    restart_ping_stopwatch();
}

void tarv_game_connection::on_ping_timer()
{
    if (host_.play_state() == play_state_playing) send_ping();
}

void tarv_game_connection::restart_ping_stopwatch()
{
    ping_start_ = std::chrono::steady_clock::now();
}

std::int64_t tarv_game_connection::ping_stopwatch_ms() const
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now() - ping_start_).count();
}

bool tarv_game_connection::is_connected()
{
    return (socket_.get_state() & SOCKET_CONNECTED) != 0;
}
