#include "app/mw.h"

#include <csignal>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/startup.h"

namespace {

class fake_view : public tarv_mw_view {
public:
    MOCK_METHOD(void, focus_input, (), (override));
    MOCK_METHOD(void, destroy_window, (), (override));
    MOCK_METHOD(void, force_exit, (int), (override));
    MOCK_METHOD(void, set_title, (const char*), (override));
    MOCK_METHOD(void, ring_bell, (), (override));
};

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

TEST_F(MainWindowCore, RefocusPendingIsServedOnce)
{
    refocus_pending = 1;
    EXPECT_CALL(view, focus_input()).Times(1);
    mw.OnTimer();
    mw.OnTimer();
    EXPECT_EQ(refocus_pending, 0);
}

}  // namespace
