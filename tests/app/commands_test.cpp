// The command interpreter against a recording host: which text does what,
// in which order the keywords are tried, the words that work while
// disconnected, local echo, the screens and the debug commands.
#include "app/commands.h"
#include "common/log_capture.h"
#include "support/config_dir.h"
#include "support/debug_log.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using strings = std::vector<std::string>;

constexpr int not_playing = 0;
constexpr int creating = 1;
constexpr int playing = 2;

struct command_host : tarv_command_host {
    strings calls;
    bool connected = false;
    int state = not_playing;
    bool password = false;
    bool echo_on = false;
    bool separator_on = false;
    std::string launcher;
    std::string listing = "\nRecent Command History:\n 1 - look\n";

    void main_print_text(const char* text) override { calls.push_back(std::string("P:") + text); }
    void main_ansi_code(int p) override { calls.push_back("A:" + std::to_string(p)); }
    void main_reset_color() override { calls.push_back("RESET"); }
    void main_scroll_to_end() override { calls.push_back("SCROLL_END"); }
    void main_refresh() override { calls.push_back("REFRESH"); }
    void main_clear() override { calls.push_back("CLEAR"); }
    void main_debug_fill() override { calls.push_back("FILL"); }
    bool is_connected() override { return connected; }
    void send_line(const char* text) override { calls.push_back(std::string("SEND:") + text); }
    void socket_connect(int port) override { calls.push_back("CONNECT:" + std::to_string(port)); }
    void disconnect_game(const char* message) override { calls.push_back(std::string("DISCONNECT:") + message); }
    void begin_client_message() override { calls.push_back("BEGIN"); }
    void send_ping() override { calls.push_back("PING"); }
    void trust_presented_key() override { calls.push_back("TRUST"); }
    int play_state() const override { return state; }
    bool password_mode() const override { return password; }
    std::string history_listing() const override { return listing; }
    bool local_echo() const override { return echo_on; }
    bool cmd_separator() const override { return separator_on; }
    const char* launcher_version_text() const override { return launcher.c_str(); }
    void request_shutdown() override { calls.push_back("SHUTDOWN"); }
    void clear_channels() override { calls.push_back("CHANCLEAR"); }
    void dispatch_tag(const char* name, const char* data, int length) override
    {
        calls.push_back(std::string("TAG:") + name + "|" + data + "|" + std::to_string(length));
    }

    // Everything but the printing and the refreshes.
    strings actions() const
    {
        strings out;
        for (const auto& c : calls)
            if (c.rfind("P:", 0) != 0 && c.rfind("A:", 0) != 0 && c != "RESET" && c != "REFRESH") out.push_back(c);
        return out;
    }
    std::string printed() const
    {
        std::string out;
        for (const auto& c : calls)
            if (c.rfind("P:", 0) == 0) out += c.substr(2);
        return out;
    }
};

struct run_result {
    strings calls;
    strings actions;
    std::string printed;
};

run_result run(const std::string& text, bool connected, int state = not_playing)
{
    command_host host;
    host.connected = connected;
    host.state = state;
    tarv_command_interpreter(host).process_command(text.c_str(), true);
    return {host.calls, host.actions(), host.printed()};
}

struct command_case {
    const char* text;
    bool connected;
    int state;
    strings actions;
    const char* printed;  // a piece of the printed text, or "" for nothing printed
};

TEST(Commands, EachTextDoesWhatItsFirstMatchingKeywordSays)
{
    const char* list = "Tessel Control Commands";
    const char* keys = "Keyboard controls you can use with this client:";
    const command_case cases[] = {
        // The command list before anything else that starts with "//c".
        {"//c", false, not_playing, {}, list},
        {"//C", true, playing, {}, list},
        {"//co", true, not_playing, {}, list},
        {"//commands and more", true, not_playing, {}, list},
        {"//cx", true, not_playing, {"SEND://cx"}, ""},
        {"//commandsx", true, not_playing, {"SEND://commandsx"}, ""},
        {"//", true, not_playing, {"SEND://"}, ""},
        {"//cl", true, not_playing, {"CLEAR"}, ""},
        {"//CLEAR", true, not_playing, {"CLEAR"}, ""},
        {"//ch", true, not_playing, {"CHANCLEAR"}, ""},
        {"//chanclear", true, not_playing, {"CHANCLEAR"}, ""},
        {"//cc", true, not_playing, {"CHANCLEAR"}, ""},
        {"//cclear", true, not_playing, {"CHANCLEAR"}, ""},
        {"//cha", true, not_playing, {"CHANCLEAR"}, ""},
        // Help before history.
        {"//h", true, not_playing, {"BEGIN"}, keys},
        {"//he", true, not_playing, {"BEGIN"}, keys},
        {"//hi", true, not_playing, {"BEGIN"}, "\nRecent Command History:\n 1 - look\n"},
        {"//History", false, not_playing, {"BEGIN"}, "Recent Command History"},
        {"//v", true, not_playing, {"BEGIN"}, "Karthem Client Version: 1.095-gtk-test2"},
        {"//ver", true, playing, {"BEGIN", "SEND:version"}, "Karthem Client Version"},
        {"//b", true, playing, {"SEND:\x03", "SCROLL_END"}, ""},
        {"//break", false, not_playing, {"SEND:\x03", "SCROLL_END"}, ""},
        {"//bx", true, playing, {"SEND://bx"}, ""},
        // The exit words need their whole word; "//e" is the echo.
        {"//qu", true, playing, {"SEND://qu"}, ""},
        {"//qu", false, not_playing, {}, ""},
        {"//QUIT", true, playing, {"SHUTDOWN"}, ""},
        {"//quit now", false, not_playing, {"SHUTDOWN"}, ""},
        {"//exit", true, playing, {"SHUTDOWN"}, ""},
        {"//exi", true, playing, {"SEND://exi"}, ""},
        {"//e", true, playing, {}, "\n"},
        {"//echo hello  world", false, not_playing, {}, "\nhello  world"},
        {"//disc", true, playing, {"DISCONNECT:Disconnecting."}, ""},
        {"//disconnect", false, not_playing, {"DISCONNECT:Disconnecting."}, ""},
        {"//dis", true, playing, {"SEND://dis"}, ""},
        // Accepting a server's key takes the whole word.
        {"//trust", false, not_playing, {"TRUST"}, ""},
        {"//TRUST", true, playing, {"TRUST"}, ""},
        {"//trus", true, playing, {"SEND://trus"}, ""},
        {"//t", false, not_playing, {}, ""},
        // The ping words count only while playing.
        {"tsping", true, playing, {"PING"}, ""},
        {"TSPING", true, playing, {"PING"}, ""},
        {"tsping x", true, playing, {"PING"}, ""},
        {"tspin", true, playing, {"SEND:tspin"}, ""},
        {"tsping", true, not_playing, {"SEND:tsping"}, ""},
        {"tsping", true, creating, {"SEND:tsping"}, ""},
        {"//ping", true, playing, {"PING"}, ""},
        {"//p", true, playing, {"PING"}, ""},
        {"//ping", true, not_playing, {"SEND://ping"}, ""},
        {"//ping", false, not_playing, {}, ""},
        // The debug words.
        {"//deb", true, playing, {}, "To change the debug level"},
        {"//debug", true, playing, {}, "To change the debug level"},
        {"//debuglevel", true, playing, {}, "To change the debug level"},
        {"//debugf", true, playing, {}, "You must give a filename"},
        {"//debugfile", true, playing, {}, "You must give a filename"},
        {"//debugfil", true, playing, {}, "You must give a filename"},
        {"//debugfill", true, playing, {"FILL"}, ""},
        {"//DEBUGFILL", false, not_playing, {"FILL"}, ""},
        {"//debugfillx", true, playing, {"SEND://debugfillx"}, ""},
        {"//de", true, playing, {"SEND://de"}, ""},
        // Local tests of tags.
        {"//icons 10", true, playing, {"TAG:icons|10|2"}, ""},
        {"//icons", false, not_playing, {"TAG:icons||0"}, ""},
        {"//icon 1", true, playing, {"SEND://icon 1"}, ""},
        {"//soundtest bell 50", true, playing, {"TAG:sound|bell 50|7"}, ""},
        {"//sound", true, playing, {"SEND://sound"}, ""},
        // Everything else goes to the server while connected.
        {"look", true, playing, {"SEND:look"}, ""},
        {"", true, playing, {"SEND:"}, ""},
        {" //c", true, playing, {"SEND: //c"}, ""},
        {"c", true, not_playing, {"SEND:c"}, ""},
        {"quit", true, playing, {"SEND:quit"}, ""},
    };
    for (const command_case& c : cases) {
        SCOPED_TRACE(std::string("'") + c.text + "' connected " + std::to_string(c.connected) + " state " +
                     std::to_string(c.state));
        run_result r = run(c.text, c.connected, c.state);
        EXPECT_EQ(r.actions, c.actions);
        if (*c.printed)
            EXPECT_NE(r.printed.find(c.printed), std::string::npos) << r.printed;
        else
            EXPECT_EQ(r.printed, "");
    }
}

TEST(Commands, DisconnectedWords)
{
    const command_case cases[] = {
        {"c", false, not_playing, {"CONNECT:0"}, ""},
        {"CONNECT", false, not_playing, {"CONNECT:0"}, ""},
        {"co 4000", false, not_playing, {"CONNECT:4000"}, ""},
        {"connect 0", false, not_playing, {"CONNECT:0"}, ""},
        {"connect abc", false, not_playing, {"CONNECT:0"}, ""},
        {"connect -5", false, not_playing, {"CONNECT:-5"}, ""},
        {"connect 65535", false, not_playing, {"CONNECT:65535"}, ""},
        {"connectx", false, not_playing, {}, ""},
        {"re", false, not_playing, {"CONNECT:0"}, ""},
        {"restart 4000", false, not_playing, {"CONNECT:4000"}, ""},
        {"r", false, not_playing, {}, ""},
        {"st", false, not_playing, {"CONNECT:0"}, ""},
        {"s", false, not_playing, {}, ""},
        {"log", false, not_playing, {}, ""},
        {"logi", false, not_playing, {"CONNECT:0"}, ""},
        {"login", false, not_playing, {"CONNECT:0"}, ""},
        {"qu", false, not_playing, {}, ""},
        {"qui", false, not_playing, {"SHUTDOWN"}, ""},
        {"QUIT", false, not_playing, {"SHUTDOWN"}, ""},
        {"ex", false, not_playing, {"SHUTDOWN"}, ""},
        {"e", false, not_playing, {}, ""},
        {"exits", false, not_playing, {}, ""},
        {"look", false, not_playing, {}, ""},
        {"", false, not_playing, {}, ""},
    };
    for (const command_case& c : cases) {
        SCOPED_TRACE(c.text);
        run_result r = run(c.text, c.connected, c.state);
        EXPECT_EQ(r.actions, c.actions);
        EXPECT_EQ(r.printed, "");
    }
}

TEST(Commands, ConnectWordsReturnWithoutARefreshClientCommandsEndWithOne)
{
    EXPECT_EQ(run("c 4000", false).calls, strings{"CONNECT:4000"});
    EXPECT_EQ(run("look", true).calls, strings{"SEND:look"});
    EXPECT_EQ(run("//clear", true).calls, (strings{"CLEAR", "REFRESH"}));
    EXPECT_EQ(run("//break", true).calls, (strings{"SEND:\x03", "SCROLL_END", "REFRESH"}));
    EXPECT_EQ(run("//echo hi", true).calls, (strings{"P:\n", "P:hi", "REFRESH"}));
}

TEST(Commands, PortBeyondSixteenBitsIsRefusedNotCut)
{
    LogCapture log(1);
    run_result r = run("connect 70000", false);
    EXPECT_EQ(r.actions, strings{});
    EXPECT_NE(r.printed.find("The port must be a number from 1 to 65535."), std::string::npos);
    EXPECT_TRUE(log.contains("Warning in process_command(), port 70000 is out of range.\n"));
}

TEST(Commands, NullTextIsAnEmptyCommand)
{
    command_host host;
    host.connected = true;
    tarv_command_interpreter(host).process_command(nullptr, true);
    EXPECT_EQ(host.calls, strings{"SEND:"});
}

// ---------------------------------------------------------------- local echo

const std::string rule = "\n" + std::string(73, '-');

TEST(Commands, LocalEchoWithTheSeparatorLine)
{
    command_host host;
    host.connected = true;
    host.echo_on = true;
    host.separator_on = true;
    tarv_command_interpreter(host).process_command("look", true);
    const strings expected = {"RESET", "P:\n", "P:\n", "A:1", "A:51", "P:>", "RESET", "P:look", "A:1", "A:51",
                              "P:<", "A:1", "A:55", "P:" + rule, "RESET", "REFRESH", "SEND:look"};
    EXPECT_EQ(host.calls, expected);
}

TEST(Commands, LocalEchoOfAnEmptyCommandHasNoSeparator)
{
    command_host host;
    host.connected = true;
    host.echo_on = true;
    host.separator_on = true;
    tarv_command_interpreter(host).process_command("", true);
    const strings expected = {"RESET", "P:\n", "A:1", "A:51", "P:>", "RESET", "P:", "A:1", "A:51", "P:<",
                              "RESET", "REFRESH", "SEND:"};
    EXPECT_EQ(host.calls, expected);
}

TEST(Commands, LocalEchoWithoutTheSeparator)
{
    command_host host;
    host.connected = true;
    host.echo_on = true;
    tarv_command_interpreter(host).process_command("look", true);
    const strings expected = {"RESET", "P:\n", "A:1", "A:51", "P:>", "RESET", "P:look", "A:1", "A:51", "P:<",
                              "RESET", "REFRESH", "SEND:look"};
    EXPECT_EQ(host.calls, expected);
}

TEST(Commands, NothingIsEchoedInPasswordModeOrWhenNotAsked)
{
    struct {
        bool echo_arg, local_echo, password;
    } cases[] = {{true, true, true}, {false, true, false}, {true, false, false}};
    for (const auto& c : cases) {
        command_host host;
        host.connected = true;
        host.echo_on = c.local_echo;
        host.separator_on = true;
        host.password = c.password;
        tarv_command_interpreter(host).process_command("secret", c.echo_arg);
        EXPECT_EQ(host.calls, strings{"SEND:secret"});
    }
}

TEST(Commands, ClientCommandsAreEchoedToo)
{
    command_host host;
    host.echo_on = true;
    tarv_command_interpreter(host).process_command("//clear", true);
    EXPECT_EQ(host.printed(), "\n>//clear<");
    EXPECT_EQ(host.actions(), strings{"CLEAR"});
}

// ---------------------------------------------------------------- screens

const std::string separator = "\n=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=-=";
const strings separator_calls = {"A:1", "A:51", "P:" + separator, "A:0", "A:55"};

strings concat(std::initializer_list<strings> parts)
{
    strings out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

TEST(Commands, CommandListText)
{
    run_result r = run("//commands", true);
    const std::string expected =
        "\n"
        "\nTessel Control Commands -------------------------------"
        "\n//commands               - this help screen"
        "\n//help                   - show keyboard shortcuts"
        "\n//version                - show client/server versions"
        "\n//break                  - send TTY *break*"
        "\n//history                - show recent client history"
        "\n//ping                   - check/update ping time"
        "\n//debug                  - display/change debug level"
        "\n//debugfile              - change name of debug file"
        "\n//cclear                 - quick clear of channel windows"
        "\n//clear                  - quick clear of all backscroll"
        "\n//quit                   - quick program exit"
        "\n//disconnect             - quick disconnect"
        "\n//trust                  - accept the new key of a refused server"
        "\n"
        "\nCommands Used While Disconnected -----------------------"
        "\nconnect <port>           - connect on a specified port"
        "\nquit                     - quick program exit"
        "\n";
    EXPECT_EQ(r.printed, expected);
    EXPECT_EQ(r.calls.front(), "RESET");
    EXPECT_EQ(r.calls.back(), "REFRESH");
    EXPECT_EQ(r.calls.size(), 22u);  // one print a line
}

TEST(Commands, KeyboardHelpShowsTheFunctionKeysOnlyWhilePlaying)
{
    const strings keys = {
        "P:\nPgUp/PgDn         - lock and scroll the screen (any other key to unlock)",
        "P:\nEscape            - erase current line",
        "P:\nControl C         - (break) erase current line and stop all aliases",
        "P:\nControl \\         - (abort) erase current line and stop all aliases",
        "P:\nControl K         - erase/kill current line",
        "P:\nControl M         - toggle automap window",
        "P:\nControl P         - toggle hitpoint display bar",
        "P:\nControl S         - freeze screen scrolling",
        "P:\nControl Z         - freeze screen scrolling",
        "P:\nControl Q         - unfreeze screen scrolling",
        "P:\nControl -         - decrease font size",
        "P:\nControl +         - increase font size",
        "P:\nControl [         - decrease automap size",
        "P:\nControl ]         - increase automap size",
        "P:\nControl {         - decrease input window size",
        "P:\nControl }         - increase input window size",
        "P:\nControl 1-9       - quick open/close of popup windows",
        "P:\nControl-Shift 1-9 - quick enable/disable of various features",
    };
    const strings head = concat({{"BEGIN", "P:\n"}, separator_calls,
                                 {"P:\nKeyboard controls you can use with this client:", "P:\n"}, keys});
    const strings tail = concat({{"P:\nUp/Down           - look through previous commands",
                                  "P:\nControl F         - find text in the scrollback (Enter/F3 older, Shift newer, "
                                  "Escape closes)",
                                  "P:\nControl C         - with text selected: copy it to the clipboard",
                                  "P:\nShift Insert      - paste the clipboard (Control V pastes the selection)"},
                                 separator_calls,
                                 {"P:\n", "REFRESH"}});
    EXPECT_EQ(run("//help", true, not_playing).calls, concat({head, tail}));
    EXPECT_EQ(run("//help", true, playing).calls,
              concat({head, {"P:\nF1-F12            - trigger aliases 'f01' through 'f12'"}, tail}));
}

TEST(Commands, VersionScreen)
{
    const char* directory = tarv_client_get_config_directory();
    const std::string dir = directory ? directory : "";
    const std::string notice = "\nTessel is the Karthem desktop client; report problems to the game's staff.";
    for (const char* launcher : {"", "2.4"}) {
        for (int mode = 0; mode < 3; ++mode) {
            SCOPED_TRACE(std::string(launcher) + " mode " + std::to_string(mode));
            command_host host;
            host.launcher = launcher;
            host.connected = mode != 0;
            host.state = mode == 2 ? playing : not_playing;
            tarv_command_interpreter(host).show_version_screen();
            strings expected = concat({{"BEGIN", "P:\n"}, separator_calls,
                                       {"P:\nKarthem Client Version: ", "P:1.095-gtk-test2"}});
            if (*launcher) expected.insert(expected.end(), {"P:\nLauncher Version:          ", "P:2.4"});
            expected = concat({expected, {"P:\nClient config directory:   ", "P:" + dir, "P:\n", "P:" + notice},
                               separator_calls, {"P:\n"}});
            expected.push_back(mode == 2 ? "SEND:version" : "P:\nUnable to retrieve server version.");
            expected.push_back("REFRESH");
            EXPECT_EQ(host.calls, expected);
        }
    }
}

TEST(Commands, InGameHelp)
{
    for (bool more : {false, true}) {
        command_host host;
        host.connected = true;
        host.state = playing;
        tarv_command_interpreter(host).show_ingame_help(more);
        EXPECT_EQ(host.calls, strings{more ? "SEND:help me" : "SEND:help"});
    }
    struct {
        bool connected;
        int state;
        const char* message;
    } cases[] = {
        {true, not_playing, "\nSorry, but in-game help isn't available until after you have logged in."},
        {true, creating, "\nSorry, but in-game help isn't available until after you have logged in."},
        {false, playing, "\nYou must be connected to the server to view the in-game help."},
    };
    for (const auto& c : cases) {
        command_host host;
        host.connected = c.connected;
        host.state = c.state;
        tarv_command_interpreter(host).show_ingame_help(false);
        strings expected = concat({{"BEGIN", "P:\n"}, separator_calls,
                                   {"P:\n", std::string("P:") + c.message,
                                    "P:\n(The on-line help is the same, you could try there instead.)", "P:\n"},
                                   separator_calls, {"P:\n", "REFRESH"}});
        EXPECT_EQ(host.calls, expected);
    }
}

// ---------------------------------------------------------------- debug commands

// A private folder; the debug log is left closed with no name afterwards.
class DebugCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tessel-commands-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        saved_level = tarv_debug_level;
        forget_log();
    }
    void TearDown() override
    {
        forget_log();
        tarv_debug_level = saved_level;
        std::error_code ignored;
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     ignored);
        std::filesystem::remove_all(dir, ignored);
    }
    static void forget_log()
    {
        if (tarv_client_debug_logfile_is_open())
            tarv_client_debug_logfile_close();
        else
            tarv_client_set_debug_logfile_name(nullptr);
    }
    static std::string read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::string command(const std::string& text)
    {
        command_host host;
        tarv_command_interpreter(host).process_command(text.c_str(), false);
        return host.printed();
    }

    std::string dir;
    int saved_level = 1;
};

TEST_F(DebugCommands, LevelIsStoredWithoutARangeCheck)
{
    tarv_debug_level = 1;
    EXPECT_EQ(command("//debuglevel 7"), "\nDebug level changed from 1 to 7.\n\n");
    EXPECT_EQ(tarv_debug_level, 7);
    EXPECT_EQ(command("//deb -2"), "\nDebug level changed from 7 to -2.\n\n");
    EXPECT_EQ(tarv_debug_level, -2);
    EXPECT_EQ(command("//deb 99999999999999"), "\nDebug level changed from -2 to 2147483647.\n\n");
    EXPECT_EQ(command("//deb x"), "\nDebug level changed from 2147483647 to 0.\n\n");
}

TEST_F(DebugCommands, LevelWithoutArgumentShowsTheInformation)
{
    std::string log = dir + "/log.txt";
    tarv_client_set_debug_logfile_name(log.c_str());
    tarv_debug_level = 2;
    EXPECT_EQ(command("//debuglevel"), "\nThe current debug level is:     2\nThe current debug filename is:  " + log +
                                           "\n\nTo change the debug level, you must give a number between 0 and 3.\n\n");
}

TEST_F(DebugCommands, InformationTellsWhenLoggingIsDisabled)
{
    std::string bad = dir + "/missing/log.txt";
    tarv_client_set_debug_logfile_name(bad.c_str());
    EXPECT_EQ(command("//debugfilename"),
              "\n\nDebug logging is currently DISABLED - unable to open debug file.\nThe failed filename is:  " + bad +
                  "\n\nYou must give a filename to change the debug file.\n\n");
}

TEST_F(DebugCommands, FileChangeMovesTheLog)
{
    std::string first = dir + "/first.txt", second = dir + "/second.txt";
    tarv_client_set_debug_logfile_name(first.c_str());
    tarv_debug_log("before\n");
    EXPECT_EQ(command("//debugfilename " + second), "\nDebug logfile changed.\n\n");
    EXPECT_STREQ(tarv_client_get_debug_logfile_name(), second.c_str());
    tarv_debug_log("after\n");
    EXPECT_NE(read(first).find("before"), std::string::npos);
    EXPECT_EQ(read(first).find("after"), std::string::npos);
    EXPECT_NE(read(second).find("after"), std::string::npos);
}

TEST_F(DebugCommands, UnopenableFileKeepsTheOldLog)
{
    std::string first = dir + "/first.txt";
    tarv_client_set_debug_logfile_name(first.c_str());
    EXPECT_EQ(command("//debugf " + dir + "/no/such/dir.txt"), "\nUnable to open new logfile, old logfile not changed.\n\n");
    EXPECT_STREQ(tarv_client_get_debug_logfile_name(), first.c_str());
    tarv_debug_log("still here\n");
    EXPECT_NE(read(first).find("still here"), std::string::npos);
}

TEST_F(DebugCommands, UnopenableFileWithoutAnOldOne)
{
    EXPECT_EQ(command("//debugfile " + dir + "/no/such/dir.txt"),
              "\nUnable to open logfile.  Please try again with a different name/path.\n\n");
}

TEST_F(DebugCommands, NeitherNewNorOldFileOpens)
{
    std::string old_dir = dir + "/old";
    std::filesystem::create_directory(old_dir);
    std::string first = old_dir + "/first.txt";
    tarv_client_set_debug_logfile_name(first.c_str());
    tarv_debug_log("x\n");
    std::filesystem::remove_all(old_dir);
    EXPECT_EQ(command("//debugfile " + dir + "/no/such/dir.txt"),
              "\nUnable to open new logfile, and could not re-open old logfile.  No logfile currently set.\n\n");
}

}  // namespace
