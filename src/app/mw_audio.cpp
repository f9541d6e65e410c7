// The main window's side of sound: starting and stopping the output for the
// configuration, the "sound" tag, and the image buttons' click.
#include "app/mw.h"
#include "audio/audio_engine.h"
#include "audio/sound_sources.h"
#include "audio/soundpack.h"
#include "config/config.h"
#include "draw/image_button.h"
#include "support/debug_log.h"

bool tarv_mw::start_audio()
{
    return ::start_audio() == 1;
}

void tarv_mw::stop_audio()
{
    // Also called after a start that failed, when there is nothing to stop.
    if (tarv_audio_enabled()) ::stop_audio();
}

void tarv_mw::open_audio_at_start()
{
    tarv_button_click_sound = tarv_audio_play_noise_tick;
    TConfig& config = TConfig::instance();
    if (!config.GetSystemAudio() || start_audio()) return;
    TARV_LOG(2, "Warning in tarv_mw::delayed_initialization() - unable to open audio path.  Disabling in config.\n");
    // Sound stays off for this run and the next, as if the player had
    // switched it off; the menu item turns it on again.
    config.SetSystemAudio(0);
}

void tarv_mw::sound_request(const char* data)
{
    tarv_soundpack::instance().parse_audio_tag(data);
}
