#include <gtest/gtest.h>

#include "app/app_test_util.h"
#include "app/mw.h"
#include "audio/audio_engine.h"
#include "audio/sound_sources.h"
#include "common/fake_audio_device.h"
#include "common/log_capture.h"
#include "config/config.h"
#include "draw/font.h"
#include "draw/image_button.h"

namespace {

struct MainWindowSound : testing::Test {
    testing::NiceMock<mock_mw_view> view;
    std::unique_ptr<tarv_mw> mw;
    TConfig& config = TConfig::instance();

    void SetUp() override
    {
        tarv_create_fonts();
        config.setup_default_config(nullptr);
        // Other tests may have left sound running on the stand-in device.
        if (tarv_audio_enabled()) stop_audio();
        fake_audio_device::reset();
        tarv_audio_set_backend(fake_audio_device::backend());
        // As at start-up: the stored setting, before any window exists.
        config.set_view(nullptr);
        config.SetSystemAudio(1);
        mw = std::make_unique<tarv_mw>(&view);
        mw->build_menus();
    }
    void TearDown() override
    {
        mw.reset();
        if (tarv_audio_enabled()) stop_audio();
        tarv_button_click_sound = nullptr;
    }
};

TEST_F(MainWindowSound, StartsWithTheWindowAndClicksFromThenOn)
{
    mw->open_audio_at_start();
    EXPECT_TRUE(tarv_audio_enabled());
    EXPECT_TRUE(fake_audio_device::stream_open);
    EXPECT_EQ(tarv_button_click_sound, &tarv_audio_play_noise_tick);
    EXPECT_TRUE(mw->menu_ticks().checked(MENU_SOUNDS));
}

TEST_F(MainWindowSound, NoDeviceAtStartSwitchesSoundOffAndGoesOn)
{
    fake_audio_device::has_device = false;
    LogCapture log(2);
    mw->open_audio_at_start();
    EXPECT_FALSE(tarv_audio_enabled());
    EXPECT_EQ(config.GetSystemAudio(), 0);
    EXPECT_FALSE(mw->menu_ticks().checked(MENU_SOUNDS));
    EXPECT_TRUE(log.contains("Error in start_audio_internal() - no device available.\n"));
    EXPECT_TRUE(log.contains(
        "Warning in tarv_mw::delayed_initialization() - unable to open audio path.  Disabling in config.\n"));
    EXPECT_FALSE(log.contains("Error in stop_audio()"));
    // Clicks still work; they are simply not heard.
    tarv_button_click_sound();
}

TEST_F(MainWindowSound, MenuItemStartsAndStopsTheOutput)
{
    mw->open_audio_at_start();
    ASSERT_TRUE(mw->menu_command(MENU_SOUNDS));
    EXPECT_FALSE(tarv_audio_enabled());
    EXPECT_FALSE(fake_audio_device::stream_open);
    EXPECT_FALSE(mw->menu_ticks().checked(MENU_SOUNDS));
    ASSERT_TRUE(mw->menu_command(MENU_SOUNDS));
    EXPECT_TRUE(tarv_audio_enabled());
    EXPECT_TRUE(mw->menu_ticks().checked(MENU_SOUNDS));
}

TEST_F(MainWindowSound, SoundTagReachesTheSoundPackOnlyWhileSoundIsOn)
{
    mw->open_audio_at_start();
    LogCapture log(1);
    mw->dispatch_tag("sound", "../../.ssh/key", -1);
    EXPECT_TRUE(log.contains("refused sound name '../../.ssh/key' outside the sound pack"));
    config.SetSystemAudio(0);
    mw->dispatch_tag("sound", "../../other", -1);
    EXPECT_FALSE(log.contains("other"));
}

TEST_F(MainWindowSound, BumpIntoAWallIsHeard)
{
    mw->open_audio_at_start();
    mw->dispatch_tag("walkfail", "2", -1);
    short left = 0, right = 0;
    mix_frame(&left, &right);
    EXPECT_EQ(left, 74);
    mix_frame(&left, &right);
    EXPECT_EQ(right, 148);
    // Not a direction: the map stays, and so does the silence.
    for (int i = 0; i < 700; ++i) mix_frame(&left, &right);
    mw->dispatch_tag("walkfail", "9", -1);
    mix_frame(&left, &right);
    EXPECT_EQ(left, 0);
}

TEST_F(MainWindowSound, OrderlyExitClosesTheStream)
{
    mw->open_audio_at_start();
    mw_ready = 1;
    system_shutdown_handler(mw.get());
    for (int i = 0; i < 9; ++i) mw->OnTimer();
    mw_ready = 0;
    EXPECT_FALSE(fake_audio_device::stream_open);
}

}  // namespace
