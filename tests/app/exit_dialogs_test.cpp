// Which question each way out asks, and what each answer sends, against a
// real connection to a loopback TLS server.
#include <chrono>
#include <string>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/app_test_util.h"
#include "app/mw.h"
#include "config/config.h"
#include "net/tcp_socket.h"
#include "text/main_window.h"

namespace {

using testing::NiceMock;

struct ExitDialogs : testing::Test {
    NiceMock<mock_mw_view> view;
    tarv_mw mw{&view};

    void SetUp() override
    {
        ASSERT_EQ(tarv_ssl_startup(), 1);
        TConfig::instance().setup_default_config(nullptr);
        TConfig::instance().set_local_echo(0);
    }

    // Connects the way the first tick does and empties the outgoing buffer.
    void connect(held_server& server)
    {
        ASSERT_TRUE(TConfig::instance().set_game_host_override("127.0.0.1"));
        ASSERT_TRUE(TConfig::instance().set_game_port_override(server.l.port()));
        if (mw.connection.first_connect_done())
            mw.connection.socket_connect(0);
        else
            mw.connection.socket_handler();
        for (int i = 0; i < 200 && outgoing(mw).size() > 0; ++i) {
            mw.connection.socket_handler();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ASSERT_TRUE(mw.connection.is_connected()) << mw.display_text();
        ASSERT_EQ(outgoing(mw), "");
    }
};

TEST_F(ExitDialogs, DisconnectedCloseEndsAtOnceWithoutAQuestion)
{
    EXPECT_CALL(view, show_exit_dialog).Times(0);
    mw.set_play_state(PLAYING);
    mw.verify_program_exit();
    EXPECT_EQ(mw.exit_countdown, 10);
}

TEST_F(ExitDialogs, CloseWhilePlayingAsksTheServerAndThePlayer)
{
    held_server server;
    ASSERT_NO_FATAL_FAILURE(connect(server));
    mw.set_play_state(PLAYING);
    EXPECT_CALL(view, show_exit_dialog(tarv_exit_dialog::pgm_exit));
    mw.verify_program_exit();
    EXPECT_EQ(outgoing(mw), "quit -check\n");
    EXPECT_EQ(mw.exit_countdown, 0);

    mw.exit_dialog_choice(tarv_exit_dialog::pgm_exit, tarv_dialog_button::cancel);
    EXPECT_EQ(outgoing(mw), "quit -check\n");
    mw.exit_dialog_choice(tarv_exit_dialog::pgm_exit, tarv_dialog_button::ok);
    EXPECT_EQ(outgoing(mw), "quit -check\n\nrecall\nquit -f\nrecall\nquit -f\n");
    EXPECT_EQ(mw.exit_countdown, 0);  // logging off does not end the program
    mw.exit_dialog_choice(tarv_exit_dialog::pgm_exit, tarv_dialog_button::no);
    EXPECT_EQ(mw.exit_countdown, 10);
}

TEST_F(ExitDialogs, EachWayOutAsksItsOwnQuestion)
{
    held_server server;
    ASSERT_NO_FATAL_FAILURE(connect(server));
    struct row {
        int state;
        void (tarv_mw::*action)();
        tarv_exit_dialog expected;
    };
    const row rows[] = {
        {CREATING_CHARACTER, &tarv_mw::verify_program_exit, tarv_exit_dialog::newbie_quit},
        {CREATING_CHARACTER, &tarv_mw::menu_file_save_and_quit, tarv_exit_dialog::newbie_quit},
        {PLAYING, &tarv_mw::menu_file_save_and_quit, tarv_exit_dialog::save_quit},
        {CREATING_CHARACTER, &tarv_mw::verify_disconnect, tarv_exit_dialog::newbie_disconnect},
        {PLAYING, &tarv_mw::verify_disconnect, tarv_exit_dialog::disconnect},
        {LOGGED_OFF, &tarv_mw::verify_disconnect, tarv_exit_dialog::disconnect},
    };
    for (const row& r : rows) {
        mw.set_play_state(r.state);
        EXPECT_CALL(view, show_exit_dialog(r.expected)).Times(1);
        (mw.*r.action)();
        testing::Mock::VerifyAndClearExpectations(&view);
    }
    // Connected but neither creating nor playing: save and quit just ends.
    mw.set_play_state(NOT_PLAYING);
    EXPECT_CALL(view, show_exit_dialog).Times(0);
    mw.menu_file_save_and_quit();
    EXPECT_EQ(mw.exit_countdown, 10);
}

TEST_F(ExitDialogs, DisconnectLogoffEchoesOnlyTheLastQuit)
{
    held_server server;
    ASSERT_NO_FATAL_FAILURE(connect(server));
    TConfig::instance().set_local_echo(1);
    const std::string before = flat_display_text(mw);
    mw.exit_dialog_choice(tarv_exit_dialog::disconnect, tarv_dialog_button::ok);
    EXPECT_EQ(outgoing(mw), "\nrecall\nquit\nrecall\nquit\n");
    const std::string echoed = flat_display_text(mw).substr(before.size());
    EXPECT_EQ(echoed.find("recall"), std::string::npos);
    EXPECT_NE(echoed.find("quit"), std::string::npos);
}

TEST_F(ExitDialogs, DisconnectButtonsDropTheConnection)
{
    for (auto dialog : {tarv_exit_dialog::disconnect, tarv_exit_dialog::newbie_disconnect}) {
        held_server server;
        ASSERT_NO_FATAL_FAILURE(connect(server));
        // "&Disconnect" is the negative button of the one and the affirmative
        // button of the other.
        mw.exit_dialog_choice(dialog, dialog == tarv_exit_dialog::disconnect ? tarv_dialog_button::no
                                                                             : tarv_dialog_button::ok);
        EXPECT_FALSE(mw.connection.is_connected());
        EXPECT_NE(flat_display_text(mw).find("Disconnecting."), std::string::npos) << mw.display_text();
    }
}

}  // namespace
