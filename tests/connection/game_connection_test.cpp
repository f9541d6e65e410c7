#include "connection/client_status.h"
#include "connection/game_connection.h"
#include "common/log_capture.h"
#include "../net/loopback.h"
#include "recording_sink.h"
#include "support/text_buffer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>

#include <fstream>
#include <sstream>

#include <algorithm>
#include <chrono>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace {

using loopback::listener;
using loopback::tls_server_context;
using ::testing::ElementsAreArray;
using strings = std::vector<std::string>;

// Writes down every call in order.
struct recording_host : tarv_connection_host {
    strings calls;
    std::string host_name = "127.0.0.1";
    int port = 0;
    std::string identity = "DFLT0123456789abcdef0123456789ab";
    int state = 0;

    void main_print_text(const char* text) override { calls.push_back(std::string("P:") + text); }
    void main_ansi_code(int p) override { calls.push_back("A:" + std::to_string(p)); }
    void main_reset_color() override { calls.push_back("RESET"); }
    void main_scroll_to_end() override { calls.push_back("SCROLL"); }
    void main_refresh() override { calls.push_back("REFRESH"); }
    void select_history_set(int set) override { calls.push_back("HISTORY:" + std::to_string(set)); }
    int play_state() const override { return state; }
    void set_play_state(int s) override
    {
        state = s;
        calls.push_back("PLAY:" + std::to_string(s));
    }
    void set_title(const char* title) override { calls.push_back(std::string("TITLE:") + title); }
    void clear_hint_buttons() override { calls.push_back("CLEAR_HINTS"); }
    void reset_panels_after_disconnect() override { calls.push_back("RESET_PANELS"); }
    void show_disconnected_buttons() override { calls.push_back("DISCONNECTED_BUTTONS"); }
    void close_popup_windows() override { calls.push_back("CLOSE_POPUPS"); }
    void relayout_main_window() override { calls.push_back("RELAYOUT"); }
    const char* game_host() override { return host_name.c_str(); }
    int game_port() override { return port; }
    const char* client_identity() override { return identity.c_str(); }

    // The printed text alone, in order.
    std::string printed() const
    {
        std::string out;
        for (const auto& c : calls)
            if (c.rfind("P:", 0) == 0) out += c.substr(2);
        return out;
    }
    bool saw(const std::string& call) const { return std::find(calls.begin(), calls.end(), call) != calls.end(); }
};

// What disconnect_game must do, worked out by hand from its steps.
strings disconnect_calls(const std::string& message)
{
    return {"HISTORY:0", "PLAY:0", "TITLE:Karthem", "RESET_PANELS",
            "A:0", "A:55", "P:\n", "P:\n", "P:" + message, "P:\n", "P:\n", "P:To log in again, type '",
            "A:1", "A:51", "P:connect", "A:0", "A:55", "P:' or use the ", "A:1", "A:51", "P:File / Connect",
            "A:0", "A:55", "P: menu option.\n", "P:\n", "REFRESH",
            "DISCONNECTED_BUTTONS", "CLOSE_POPUPS", "RELAYOUT"};
}

// The calls of socket_connect up to the point where the address is known.
strings connect_prologue()
{
    return {"CLEAR_HINTS", "SCROLL", "RESET", "P:\n", "P:\n", "P:Connecting to server...\n"};
}

strings concat(strings a, const strings& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string outgoing_text(const tarv_game_connection& c)
{
    return std::string(c.outgoing().data(), static_cast<size_t>(c.outgoing().length()));
}

class GameConnection : public ::testing::Test {
protected:
    void SetUp() override
    {
        loopback::ignore_sigpipe();
        ASSERT_EQ(tarv_ssl_startup(), 1);
    }
    // Ticks until `done` or about five seconds have passed.
    template <typename F>
    void tick_until(tarv_game_connection& c, F done)
    {
        for (int i = 0; i < 500 && !done(); ++i) {
            c.socket_handler();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    recording_host host;
    recording_sink sink;
};

TEST(OutgoingBuffer, PartialWriteLeavesTheRestInOrderAtTheFront)
{
    tarv_outgoing_buffer b;
    std::string data;
    for (int i = 0; i < 5000; ++i) data += static_cast<char>('A' + i % 23);
    EXPECT_EQ(b.append(data.data(), 5000), 5000);
    b.consume(3000);
    ASSERT_EQ(b.length(), 2000);
    EXPECT_EQ(std::string(b.data(), 2000), data.substr(3000));
    b.consume(2000);
    EXPECT_EQ(b.length(), 0);
}

TEST(OutgoingBuffer, OverflowIsCutAndLogged)
{
    LogCapture log(2);
    tarv_outgoing_buffer b;
    std::string pending(9900, 'p'), more(200, 'm');
    b.append(pending.data(), 9900);
    EXPECT_EQ(log.text(), "");
    EXPECT_EQ(b.append(more.data(), 200), 100);
    EXPECT_EQ(b.length(), 10000);
    EXPECT_EQ(std::string(b.data() + 9900, 100), std::string(100, 'm'));
    EXPECT_EQ(b.append("\n", 1), 0);
    EXPECT_EQ(log.count("Error in append_outgoing_string() - not enough space in outgoing buffer?\n"), 2);
}

TEST_F(GameConnection, SendLineEndsEveryLineWithOneLineFeedAndNeverCutsOne)
{
    LogCapture log(2);
    tarv_game_connection c(host, sink);
    c.send_line("look");
    c.send_line("");
    c.send_line("\x03");
    EXPECT_EQ(outgoing_text(c), "look\n\n\x03\n");

    // A line that does not fit with its line feed is not sent at all, so a
    // cut command cannot run into the next one.
    std::string filler(9990 - 8, 'f');
    c.append_outgoing_string(filler.c_str());
    ASSERT_EQ(c.outgoing().length(), 9990);
    c.send_line("say 1234567890");
    EXPECT_EQ(c.outgoing().length(), 9990);
    EXPECT_EQ(log.count("Error in append_outgoing_string() - not enough space in outgoing buffer?\n"), 1);
    c.send_line("say 12345");  // 9 + 1 bytes fill the buffer exactly
    EXPECT_EQ(c.outgoing().length(), 10000);
    EXPECT_EQ(outgoing_text(c).substr(9990), "say 12345\n");
}

TEST_F(GameConnection, DisconnectShowsTheMessageAndResetsEverything)
{
    tarv_game_connection c(host, sink);
    host.state = 2;
    c.send_line("pending");
    recording_sink s;
    c.demux().process_socket_data(";shp;1", 6, s);
    c.disconnect_game("Disconnecting.");
    EXPECT_THAT(host.calls, ElementsAreArray(disconnect_calls("Disconnecting.")));
    EXPECT_EQ(host.printed(),
              "\n\nDisconnecting.\n\nTo log in again, type 'connect' or use the File / Connect menu option.\n\n");
    EXPECT_EQ(host.state, 0);
    EXPECT_EQ(c.outgoing().length(), 0);
    EXPECT_EQ(c.demux().state(), DEMUX_TEXT);
    EXPECT_STREQ(c.demux().start_tag_name(), "hp");
}

TEST_F(GameConnection, ClientMessageScrollsResetsAndAbandonsAnOpenTag)
{
    tarv_game_connection c(host, sink);
    recording_sink s;
    c.demux().process_socket_data(";shp;1", 6, s);
    c.begin_client_message();
    EXPECT_THAT(host.calls, ElementsAreArray(strings{"SCROLL", "RESET", "P:\n"}));
    EXPECT_EQ(c.demux().state(), DEMUX_TEXT);
    EXPECT_STREQ(c.demux().start_tag_name(), "");
}

TEST(ClientStatus, LineForTheWorkedExample)
{
    tarv_client_status s;
    for (int* v : {&s.system_audio_enable, &s.cmd_separator, &s.direction_button_enable, &s.hint_button_enable,
                   &s.fkey_button_display, &s.status_bar, &s.sky_bar, &s.exp_display, &s.hpbar_enable,
                   &s.enemy_hpbar_enable, &s.popup_display, &s.automap_display, &s.automap_docked,
                   &s.channel_window_enable, &s.channel_window_dupe, &s.colorflash_enable, &s.voting_reminders})
        *v = 1;
    s.group_status_display = 1;
    tarv_text_buffer line;
    tarv_format_client_status(s, line);
    EXPECT_STREQ(line.c_str(), "tslstatus 1111111111110111110" "1  0  0  0");
    EXPECT_EQ(line.length, 39);
}

TEST(ClientStatus, EachSettingHasItsPlaceAndItsCharacters)
{
    struct status_case {
        const char* name;
        void (*set)(tarv_client_status&);
        const char* expected;
    };
    const status_case cases[] = {
        {"all off", [](tarv_client_status&) {}, "tslstatus 00000000000000000000  0  0  0"},
        {"any non-zero switch is 1", [](tarv_client_status& s) { s.system_audio_enable = 7; },
         "tslstatus 10000000000000000000  0  0  0"},
        {"group horizontal", [](tarv_client_status& s) { s.group_status_display = 2; },
         "tslstatus 00000000000200000000  0  0  0"},
        {"group out of range", [](tarv_client_status& s) { s.group_status_display = 3; },
         "tslstatus 00000000000000000000  0  0  0"},
        {"layout 2", [](tarv_client_status& s) { s.current_layout = 2; }, "tslstatus 00000000000020000000  0  0  0"},
        {"font colours 3", [](tarv_client_status& s) { s.font_colors_setting = 3; },
         "tslstatus 00000000000000000030  0  0  0"},
        {"font colours out of range", [](tarv_client_status& s) { s.font_colors_setting = 4; },
         "tslstatus 00000000000000000090  0  0  0"},
        {"font colours negative", [](tarv_client_status& s) { s.font_colors_setting = -1; },
         "tslstatus 00000000000000000090  0  0  0"},
        {"voting reminders last", [](tarv_client_status& s) { s.voting_reminders = 1; },
         "tslstatus 00000000000000000001  0  0  0"},
        {"dupe before colour flash", [](tarv_client_status& s) { s.channel_window_dupe = 1; },
         "tslstatus 00000000000000001000  0  0  0"},
        {"themes in order", [](tarv_client_status& s) {
             s.current_theme = 12;
             s.current_background_theme = 3;
             s.theme_bg_setting = 5;
         },
         "tslstatus 00000000000000000000 12  3  5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        tarv_client_status s;
        c.set(s);
        tarv_text_buffer line;
        tarv_format_client_status(s, line);
        EXPECT_STREQ(line.c_str(), c.expected);
    }
}

TEST_F(GameConnection, StatusLineAndPingGoOutAsLines)
{
    tarv_game_connection c(host, sink);
    tarv_client_status s;
    s.status_bar = 1;
    c.send_client_status(s);
    EXPECT_EQ(outgoing_text(c), "tslstatus 00000100000000000000  0  0  0\n");

    c.disconnect_game("x");  // empties the buffer
    host.state = 0;
    c.on_ping_timer();
    EXPECT_EQ(c.outgoing().length(), 0);
    host.state = 2;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    ASSERT_GE(c.ping_stopwatch_ms(), 30);
    c.on_ping_timer();
    EXPECT_EQ(outgoing_text(c), "tsping\n");
    EXPECT_LT(c.ping_stopwatch_ms(), 30);
}

TEST_F(GameConnection, LookupFailureIsReported)
{
    host.host_name = "";
    tarv_game_connection c(host, sink);
    c.socket_connect(4000);
    EXPECT_THAT(host.calls,
                ElementsAreArray(concat(concat(connect_prologue(),
                                               disconnect_calls("Unable to look up address for game server.")),
                                        {"REFRESH"})));
}

TEST_F(GameConnection, FirstTickConnectsToTheConfiguredPortAndReportsRefusal)
{
    host.port = loopback::closed_port();
    tarv_game_connection c(host, sink);
    EXPECT_FALSE(c.first_connect_done());
    c.socket_handler();
    EXPECT_TRUE(c.first_connect_done());
    EXPECT_THAT(host.calls, ElementsAreArray(concat(concat(connect_prologue(),
                                                           disconnect_calls("Unable to connect to server.")),
                                                    {"REFRESH"})));
    // Later ticks neither connect again nor report anything.
    host.calls.clear();
    c.socket_handler();
    c.socket_handler();
    EXPECT_TRUE(host.calls.empty());
    EXPECT_FALSE(c.connection_seen());
}

TEST_F(GameConnection, SilentServerEndsInUnableToConnect)
{
    listener server([](int fd) {
        loopback::read_all(fd, 3000);
        close(fd);
    });
    tarv_game_connection c(host, sink);
    c.set_connect_time_limit_ms(300);
    c.socket_connect(server.port());
    EXPECT_THAT(host.calls, ElementsAreArray(concat(concat(connect_prologue(),
                                                           disconnect_calls("Unable to connect to server.")),
                                                    {"REFRESH"})));
    EXPECT_FALSE(c.is_connected());
}

// A scripted TLS game server in a thread: greets, records what arrives, then
// sends the farewell and ends the way it is told.
struct scripted_server {
    scripted_server() = default;
    explicit scripted_server(const loopback::test_identity& identity) : ctx(identity) {}
    tls_server_context ctx;
    std::string greeting = "Welcome to Karthem!\r\n";
    std::string farewell = "Bye.;tbye;";
    bool reset = false;
    std::string received;
    std::atomic<bool> hang_up{false};
    // After the hang-up, keep reading until the client has closed.
    bool read_to_end = false;
    std::unique_ptr<listener> l;

    void start(int port = 0)
    {
        l = std::make_unique<listener>([this](int fd) {
            SSL* ssl = ctx.accept(fd);
            if (!ssl) {
                close(fd);
                return;
            }
            loopback::ssl_write_all(ssl, greeting);
            char buffer[4096];
            // Reads what the client sends until told to hang up.
            int flags = fcntl(fd, F_GETFL);
            fcntl(fd, F_SETFL, flags | O_NONBLOCK);
            while (!hang_up) {
                int n = SSL_read(ssl, buffer, sizeof buffer);
                if (n > 0)
                    received.append(buffer, static_cast<size_t>(n));
                else
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            fcntl(fd, F_SETFL, flags);
            if (read_to_end) received += loopback::ssl_read_all(ssl);
            loopback::ssl_write_all(ssl, farewell);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            SSL_free(ssl);
            if (reset)
                loopback::close_with_reset(fd);
            else
                close(fd);
        }, port);
    }
    int port() const { return l->port(); }
    void finish() { l.reset(); }
};

TEST_F(GameConnection, SessionFromIdentificationToServerClose)
{
    for (bool reset : {false, true}) {
        SCOPED_TRACE(reset);
        recording_host h;
        recording_sink s;
        scripted_server server;
        server.reset = reset;
        server.start();
        h.port = server.port();
        tarv_game_connection c(h, s);

        c.socket_handler();  // connects; the identification line waits
        EXPECT_TRUE(h.saw("HISTORY:1"));
        EXPECT_EQ(outgoing_text(c), "_tessel DFLT0123456789abcdef0123456789ab 1.095-gtk-test2\n");
        EXPECT_TRUE(c.connection_seen());
        EXPECT_TRUE(s.events.empty());

        tick_until(c, [&] { return c.outgoing().length() == 0 && !s.events.empty(); });
        EXPECT_THAT(s.merged(), ElementsAreArray(strings{"T:Welcome to Karthem!\r\n"}));
        c.send_line("look");
        tick_until(c, [&] { return c.outgoing().length() == 0; });

        h.calls.clear();
        server.hang_up = true;
        tick_until(c, [&] { return !c.connection_seen(); });
        server.finish();
        EXPECT_EQ(server.received, "_tessel DFLT0123456789abcdef0123456789ab 1.095-gtk-test2\nlook\n");
        EXPECT_THAT(s.merged(), ElementsAreArray(strings{"T:Welcome to Karthem!\r\nBye.", "TAG:bye||0"}));
        EXPECT_THAT(h.calls, ElementsAreArray(disconnect_calls(reset ? "Connection to server lost."
                                                                       : "Connection closed by server.")));
        h.calls.clear();
        c.socket_handler();
        EXPECT_TRUE(h.calls.empty());
    }
}

TEST_F(GameConnection, GivenPortWinsOverTheConfiguredOne)
{
    scripted_server server;
    server.start();
    host.port = loopback::closed_port();
    tarv_game_connection c(host, sink);
    c.socket_connect(server.port());
    EXPECT_TRUE(c.is_connected());
    server.hang_up = true;
    c.disconnect_game("done");
    server.finish();
}

TEST_F(GameConnection, EmptyIdentityGivesTwoBlanks)
{
    scripted_server server;
    server.start();
    host.port = server.port();
    host.identity = "";
    tarv_game_connection c(host, sink);
    c.socket_connect(0);
    EXPECT_EQ(outgoing_text(c), "_tessel  1.095-gtk-test2\n");
    server.hang_up = true;
    c.disconnect_game("done");
    server.finish();
}

TEST_F(GameConnection, SocketFoundClosedAfterBeingSeenIsAnAbnormalFailure)
{
    LogCapture log(1);
    scripted_server server;
    server.start();
    host.port = server.port();
    tarv_game_connection c(host, sink);
    c.socket_handler();
    ASSERT_TRUE(c.connection_seen());
    c.socket().close_socket();
    host.calls.clear();
    c.socket_handler();
    EXPECT_THAT(host.calls, ElementsAreArray(disconnect_calls("Connection to server lost.")));
    EXPECT_EQ(log.count("tarv_mw::socket_handler() - abnormal connection failure?\n"), 1);
    server.hang_up = true;
    server.finish();
}

// "connect" while connected: the socket refuses, the old connection is
// closed, and the loss is reported once only.
TEST_F(GameConnection, ConnectWhileConnectedReportsOnce)
{
    scripted_server server;
    server.start();
    host.port = server.port();
    tarv_game_connection c(host, sink);
    c.socket_handler();
    c.socket_handler();
    ASSERT_TRUE(c.is_connected());
    host.calls.clear();
    c.socket_connect(0);
    EXPECT_THAT(host.calls, ElementsAreArray(concat(concat(connect_prologue(),
                                                           disconnect_calls("Unable to connect to server.")),
                                                    {"REFRESH"})));
    EXPECT_FALSE(c.is_connected());
    host.calls.clear();
    c.socket_handler();
    c.socket_handler();
    EXPECT_TRUE(host.calls.empty()) << host.printed();
    server.hang_up = true;
    server.finish();
}

TEST_F(GameConnection, ReadingStopsAtTheBudgetAndResumesNextTick)
{
    scripted_server server;
    server.greeting = std::string(35000, 'g');
    server.start();
    host.port = server.port();
    tarv_game_connection c(host, sink);
    c.set_read_budget_ms(0);
    c.socket_handler();
    auto text_bytes = [&] {
        size_t n = 0;
        for (int len : sink.run_lengths) n += static_cast<size_t>(len);
        return n;
    };
    size_t before = 0;
    for (int i = 0; i < 500 && text_bytes() < 35000; ++i) {
        c.socket_handler();
        EXPECT_LE(text_bytes() - before, static_cast<size_t>(tarv_game_connection::read_buffer_size));
        before = text_bytes();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(text_bytes(), 35000u);
    server.hang_up = true;
    c.disconnect_game("done");
    server.finish();
}

// ---------------------------------------------------------------- server keys

std::string file_text(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class ServerIdentity : public GameConnection {
protected:
    // Connects to a server with this identity on `port` (0: any) and ends
    // it; returns what the server received and the connection's state right
    // after the connect.
    struct outcome {
        std::string printed;
        std::string queued;
        bool connected = false;
        std::string received;
        int port = 0;
    };
    outcome connect_to(tarv_game_connection& c, const loopback::test_identity& identity, int port)
    {
        scripted_server server(identity);
        server.read_to_end = true;
        server.start(port);
        host.calls.clear();
        host.port = server.port();
        // The first tick makes the first connect.
        if (c.first_connect_done())
            c.socket_connect(0);
        else
            c.socket_handler();
        outcome o;
        o.port = server.port();
        o.printed = host.printed();
        o.queued = outgoing_text(c);
        o.connected = c.is_connected();
        tick_until(c, [&] { return c.outgoing().length() == 0; });
        c.disconnect_game("done");
        server.hang_up = true;
        server.finish();
        o.received = server.received;
        return o;
    }
    static std::string fingerprint_of(const loopback::test_identity& identity)
    {
        return tarv_format_fingerprint(identity.key_sha256());
    }
    static std::string hex_of(const loopback::test_identity& identity)
    {
        return tarv_fingerprint_hex(identity.key_sha256());
    }
    TempDir dir;
    std::string keys_path = dir / "server_keys.txt";
};

TEST_F(ServerIdentity, FirstUseRemembersThenOnlyThatKeyConnectsUntilTrusted)
{
    const std::string identification = "_tessel DFLT0123456789abcdef0123456789ab 1.095-gtk-test2\n";
    loopback::test_identity first("IP:127.0.0.1"), second("IP:127.0.0.1");
    tarv_game_connection c(host, sink);
    c.set_server_keys_path(keys_path);

    outcome o = connect_to(c, first, 0);
    const int port = o.port;
    EXPECT_TRUE(o.connected);
    EXPECT_EQ(o.received, identification);
    EXPECT_NE(o.printed.find("is not vouched for by a known authority"), std::string::npos) << o.printed;
    EXPECT_NE(o.printed.find("  SHA-256 " + fingerprint_of(first) + "\n"), std::string::npos) << o.printed;
    EXPECT_NE(file_text(keys_path).find("127.0.0.1 " + std::to_string(port) + " " + hex_of(first) + "\n"),
              std::string::npos);

    // The same key again: silent.
    o = connect_to(c, first, port);
    EXPECT_TRUE(o.connected);
    EXPECT_EQ(o.received, identification);
    EXPECT_EQ(o.printed.find("SHA-256"), std::string::npos) << o.printed;

    // Another key on the same port: not a byte is sent, and the player sees
    // both keys and how to accept the new one.
    const std::string remembered = file_text(keys_path);
    o = connect_to(c, second, port);
    EXPECT_FALSE(o.connected);
    EXPECT_EQ(o.queued, "");
    EXPECT_EQ(o.received, "");
    EXPECT_NE(o.printed.find("presented a different key"), std::string::npos) << o.printed;
    EXPECT_NE(o.printed.find("Remembered key: SHA-256 " + fingerprint_of(first)), std::string::npos) << o.printed;
    EXPECT_NE(o.printed.find("Presented key:  SHA-256 " + fingerprint_of(second)), std::string::npos) << o.printed;
    EXPECT_NE(o.printed.find("//trust"), std::string::npos);
    EXPECT_EQ(file_text(keys_path), remembered);

    host.calls.clear();
    c.trust_presented_key();
    EXPECT_NE(host.printed().find("is now trusted"), std::string::npos) << host.printed();
    EXPECT_NE(file_text(keys_path).find(hex_of(second)), std::string::npos);
    EXPECT_EQ(file_text(keys_path).find(hex_of(first)), std::string::npos);

    o = connect_to(c, second, port);
    EXPECT_TRUE(o.connected);
    EXPECT_EQ(o.received, identification);
    EXPECT_EQ(o.printed.find("SHA-256"), std::string::npos) << o.printed;
    // A refused key is trusted only right after its refusal.
    host.calls.clear();
    c.trust_presented_key();
    EXPECT_NE(host.printed().find("There is no refused server key to trust."), std::string::npos);
}

TEST_F(ServerIdentity, DamagedKeyFileNeverTakesANewKeyOnItsOwn)
{
    LogCapture log(1);
    loopback::test_identity identity("IP:127.0.0.1");
    tarv_game_connection c(host, sink);
    c.set_server_keys_path(keys_path);
    // Cut short in the middle of a line: whichever server it named, its key is lost.
    const std::string torn = "other.example 3102 " + hex_of(identity).substr(0, 20);
    std::ofstream(keys_path, std::ios::binary) << torn;

    outcome o = connect_to(c, identity, 0);
    EXPECT_FALSE(o.connected);
    EXPECT_EQ(o.received, "");
    EXPECT_NE(o.printed.find("the file of remembered server keys is damaged (the file is cut short)"),
              std::string::npos)
        << o.printed;
    EXPECT_NE(o.printed.find("Presented key:  SHA-256 " + fingerprint_of(identity)), std::string::npos);
    EXPECT_EQ(file_text(keys_path), torn);

    c.trust_presented_key();
    EXPECT_EQ(file_text(keys_path + ".damaged"), torn);
    o = connect_to(c, identity, o.port);
    EXPECT_TRUE(o.connected);
    EXPECT_NE(o.received, "");
    EXPECT_EQ(o.printed.find("SHA-256"), std::string::npos) << o.printed;
}

}  // namespace
