#include "app/mw.h"

#include <csignal>
#include <cstring>
#include <functional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/app_test_util.h"
#include "app/startup.h"
#include "config/config.h"
#include "text/main_window.h"

namespace {

using fake_view = mock_mw_view;

struct MainWindowCore : testing::Test {
    testing::NiceMock<fake_view> view;
    tarv_mw mw{&view};
    void SetUp() override { mw_ready = 1; }
    void TearDown() override { mw_ready = 0; }
};

TEST_F(MainWindowCore, TickBeforeConstructionFinishedDoesNothing)
{
    mw_ready = 0;
    system_shutdown_handler(&mw);
    EXPECT_CALL(view, destroy_window()).Times(0);
    for (int i = 0; i < 20; ++i) mw.OnTimer();
    EXPECT_EQ(mw.exit_countdown, 10);
}

TEST_F(MainWindowCore, OrderlyExitOnNinthTickThenForcedExit)
{
    int tick = 0, destroyed_at = 0, forced_at = 0;
    ON_CALL(view, destroy_window()).WillByDefault([&] { destroyed_at = tick; });
    ON_CALL(view, force_exit(0)).WillByDefault([&](int) { forced_at = tick; });
    system_shutdown_handler(&mw);
    EXPECT_EQ(mw.exit_countdown, 10);
    for (tick = 1; tick <= 10; ++tick) mw.OnTimer();
    EXPECT_EQ(destroyed_at, 9);
    EXPECT_EQ(forced_at, 10);
}

TEST_F(MainWindowCore, CloseRequestWhileDisconnectedStartsTheShutdown)
{
    EXPECT_FALSE(mw.on_close_request(true));
    EXPECT_EQ(mw.exit_countdown, 10);
    // During the countdown a close is refused again; at 1 it is let through.
    EXPECT_FALSE(mw.on_close_request(true));
    mw.exit_countdown = 1;
    EXPECT_TRUE(mw.on_close_request(true));
    mw.exit_countdown = 0;
    EXPECT_TRUE(mw.on_close_request(false));
}

TEST_F(MainWindowCore, TermSignalRunsTheOrderlyExit)
{
    tarv_install_shutdown_signals();
    std::raise(SIGTERM);
    mw.OnTimer();
    EXPECT_EQ(mw.exit_countdown, 9);
}

TEST_F(MainWindowCore, EveryExitPathBringsBackTheNormalPaceAtOnce)
{
    // An idle window ticks slowly; the countdown must not wait for it.
    struct exit_path {
        const char* name;
        std::function<void()> start;
    };
    const exit_path paths[] = {
        {"//quit", [&] { mw.process_command("//quit", false); }},
        {"quit button of the exit question", [&] { mw.exit_dialog_choice(tarv_exit_dialog::pgm_exit, tarv_dialog_button::no); }},
        {"close button while disconnected", [&] { mw.on_close_request(true); }},
        {"Save and Quit while disconnected", [&] { mw.menu_file_save_and_quit(); }},
        {"termination signal", [&] { tarv_shutdown_signal_arrived(SIGTERM); }},
    };
    for (const exit_path& path : paths) {
        mw.exit_countdown = 0;
        testing::Mock::VerifyAndClearExpectations(&view);
        EXPECT_CALL(view, wake_tick()).Times(testing::AtLeast(1));
        path.start();
        testing::Mock::VerifyAndClearExpectations(&view);
        mw.OnTimer();
        EXPECT_EQ(mw.exit_countdown, 9) << path.name;
    }
}

TEST_F(MainWindowCore, RefocusPendingIsServedOnce)
{
    refocus_pending = 1;
    EXPECT_CALL(view, focus_input()).Times(1);
    mw.OnTimer();
    mw.OnTimer();
    EXPECT_EQ(refocus_pending, 0);
}

}  // namespace

namespace {

// The hub wiring: received bytes reach the main display, tags reach the
// dispatcher, and the layout places the display.
struct MainWindowHub : testing::Test {
    testing::NiceMock<fake_view> view;
    tarv_mw mw{&view};
};

TEST_F(MainWindowHub, ReceivedTextAndTagsReachTheirTargets)
{
    const char stream[] = "Hello;;there\x1b[32m green\x1b[0m\n;slogin;Aria\n;elogin;";
    EXPECT_CALL(view, set_title(testing::StrEq("Karthem - Player Aria")));
    mw.connection.demux().process_socket_data(stream, sizeof stream - 1, mw);
    EXPECT_EQ(flat_display_text(mw), "Hello;there green");
    EXPECT_EQ(mw.play_state(), PLAYING);
    EXPECT_TRUE(mw.take_display_changed());
    EXPECT_FALSE(mw.take_display_changed());
}

TEST_F(MainWindowHub, LayoutUsesTheWindowsClientSize)
{
    ON_CALL(view, client_size).WillByDefault([](int* w, int* h) {
        *w = 700;
        *h = 500;
    });
    TConfig& c = TConfig::instance();
    c.setup_default_config(nullptr);
    c.set_current_layout(0);
    for (auto off : {&TConfig::set_automap_display, &TConfig::set_direction_button_enable,
                     &TConfig::set_hint_button_enable, &TConfig::set_fkey_button_display, &TConfig::set_popup_display,
                     &TConfig::set_status_bar, &TConfig::set_hpbar_enable, &TConfig::set_exp_display,
                     &TConfig::set_enemy_hpbar_enable, &TConfig::set_channel_window_enable})
        (c.*off)(0);
    c.set_input_height(40);

    mw.layout_panels();
    // Nothing beside or below: the display fills the window above the
    // 40-pixel command line.
    EXPECT_EQ(mw.main_display->x(), 0);
    EXPECT_EQ(mw.main_display->y(), 0);
    EXPECT_EQ(mw.main_display->width(), 700);
    EXPECT_EQ(mw.main_display->height(), 460);
}

}  // namespace

namespace {

// Counts the paints a panel asks its toolkit window for.
struct refresh_counter : tarv_window_peer {
    int refreshes = 0;
    void peer_refresh() override { ++refreshes; }
    void peer_move_resize(int, int, int, int) override {}
    void peer_show(bool) override {}
    void peer_set_focus() override {}
};

TEST_F(MainWindowHub, StatusTagsRepaintTheBarsWheneverAValueChanged)
{
    TConfig::instance().setup_default_config(nullptr);
    refresh_counter peer;
    mw.status_display->attach_peer(&peer);
    mw.status_display->Show(false);
    struct step {
        const char* stream;
        bool repainted;
        int hp, mana, enemy_percent;
    };
    const step steps[] = {
        {";shp;80 100 20 40 5 10;ehp;", true, 80, 20, -1},
        {";shp;75 100;ehp;", true, 75, 20, -1},
        {";shp;75 100 20;ehp;", false, 75, 20, -1},
        {";senemyhp;60 a rat;eenemyhp;", true, 75, 20, 60},
        {";senemyhp;45;eenemyhp;", true, 75, 20, 45},
    };
    for (const step& s : steps) {
        peer.refreshes = 0;
        mw.connection.demux().process_socket_data(s.stream, static_cast<int>(std::strlen(s.stream)), mw);
        EXPECT_EQ(peer.refreshes > 0, s.repainted) << s.stream;
        EXPECT_EQ(mw.status_values().hp, s.hp) << s.stream;
        EXPECT_EQ(mw.status_values().mana, s.mana) << s.stream;
        EXPECT_EQ(mw.status_values().enemy_percent, s.enemy_percent) << s.stream;
    }
    EXPECT_EQ(mw.status_values().enemy_name, "a rat");
    EXPECT_TRUE(mw.status_display->IsShown());
    mw.status_display->attach_peer(nullptr);
}

TEST_F(MainWindowHub, OnlyBlocksThatBringTextRepaintTheMainDisplay)
{
    refresh_counter peer;
    mw.main_display->text.attach_peer(&peer);
    struct block {
        const char* stream;
        bool repainted;
    };
    const block blocks[] = {
        {";shp;80 100 20 40 5 10;ehp;", false},
        {"You are hungry.\n", true},
        {";sxpp;250 900;expp;;shp;81;ehp;", false},
        {"a prompt> ", true},
        {";shp;82;ehp;", false},
    };
    for (const block& b : blocks) {
        peer.refreshes = 0;
        mw.connection.demux().process_socket_data(b.stream, static_cast<int>(std::strlen(b.stream)), mw);
        EXPECT_EQ(peer.refreshes > 0, b.repainted) << b.stream;
    }
    mw.main_display->text.attach_peer(nullptr);
}

TEST_F(MainWindowHub, HintTagsFillTheColumnAndADisconnectLeavesConnectAndQuit)
{
    const char stream[] = ";sb1;Look\nlook;eb1;;sb2;Score\nscore;eb2;";
    mw.connection.demux().process_socket_data(stream, sizeof stream - 1, mw);
    EXPECT_EQ(mw.hint_buttons->at(0).label(), "Look");
    EXPECT_EQ(mw.hint_buttons->at(0).command(), "look");
    EXPECT_EQ(mw.hint_buttons->at(1).label(), "Score");

    mw.connection.disconnect_game("Connection closed by server.");
    const auto& first = mw.hint_buttons->at(0);
    const auto& last = mw.hint_buttons->at(mw.hint_buttons->count() - 1);
    EXPECT_EQ(first.label(), "Connect");
    EXPECT_EQ(first.command(), "connect");
    EXPECT_EQ(last.label(), "Quit");
    EXPECT_EQ(last.command(), "quit");
    for (int i = 1; i + 1 < mw.hint_buttons->count(); ++i) EXPECT_EQ(mw.hint_buttons->at(i).label(), "") << i;
}

}  // namespace

namespace {

TEST_F(MainWindowCore, TickIsNeededOnlyWhileSomethingWaitsForIt)
{
    // The first tick connects.
    EXPECT_TRUE(mw.tick_needed());
    TConfig::instance().set_game_host_override("127.0.0.1");
    TConfig::instance().set_game_port_override(1);  // nothing listens there
    mw.OnTimer();
    ASSERT_TRUE(mw.connection.first_connect_done());
    // The client's own message can leave a prompt-like partial line; let
    // the flush take it.
    for (int i = 0; i < 3; ++i) mw.OnTimer();
    EXPECT_FALSE(mw.tick_needed());

    mw.queue_pending_message("hello\n");
    EXPECT_TRUE(mw.tick_needed());
    mw.OnTimer();
    for (int i = 0; i < 3; ++i) mw.OnTimer();
    EXPECT_FALSE(mw.tick_needed());

    system_shutdown_handler(&mw);
    EXPECT_TRUE(mw.tick_needed());
}

}  // namespace
