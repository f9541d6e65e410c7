#include "audio/soundpack_updater.h"

#include "audio/soundpack.h"
#include "audio/updater.h"
#include "support/config_dir.h"
#include "support/debug_log.h"
#include "support/thread.h"

#include <ctime>
#include <new>

namespace {

struct progress_state {
    std::time_t last_report = 0;
};

void log_message(void*, const char* text) { TARV_LOG(3, "%s\n", text); }

// At most once per second of wall-clock time.
void log_progress(void* user, double done, double total)
{
    progress_state* state = static_cast<progress_state*>(user);
    std::time_t now = std::time(nullptr);
    if (now == state->last_report) return;
    state->last_report = now;
    if (total <= 0) total = 1;
    TARV_LOG(3, "Soundpack %5.1f%% complete.\n", done * 100.0 / total);
}

void updater_thread(void* raw)
{
    tarv_soundpack_updater_settings* settings = static_cast<tarv_soundpack_updater_settings*>(raw);
    for (;;) {
        tarv_sleep_ms(settings->start_delay_ms);
        tarv_sleep_ms(tarv_soundpack_update_pass(*settings));
    }
}

} // namespace

int tarv_soundpack_update_pass(const tarv_soundpack_updater_settings& settings)
{
    std::string dir = settings.config_dir + "/soundpack";
    if (!tarv_create_and_check_writeable_directory(dir.c_str(), 0700, nullptr)) {
        TARV_LOG(1, "Unable to create soundpack directory '%s'.\n", dir.c_str());
        return settings.failure_sleep_ms;
    }
    std::string lock_path = dir + "/download.lck";
    int lock = tarv_lock_file(lock_path.c_str());
    if (lock < 0) {
        TARV_LOG(2, "Soundpack update already in progress, doing nothing.\n");
        return settings.failure_sleep_ms;
    }

    bool ok = false;
    {
        progress_state progress;
        qdu_updater updater;
        updater.set_verbose(0);
        updater.set_message_callback(log_message);
        updater.set_progress_callback(log_progress);
        updater.set_user_data(&progress);
        updater.set_wait_ms(settings.wait_ms);
        std::string temp = dir + "/tmp/update.tmp";
        std::string manifest = dir + "/update_manifest.lst";
        std::string exclude = dir + "/update_exclude.lst";
        if (!updater.set_destination_dir(dir.c_str())) {
            TARV_LOG(3, "Unable to access destination directory '%s', aborting update.\n", dir.c_str());
        } else if (!updater.set_temp_file(temp.c_str())) {
            TARV_LOG(3, "Unable to access temporary download file '%s', aborting update.\n", temp.c_str());
        } else {
            if (!updater.load_manifest(manifest.c_str()))
                TARV_LOG(3, "Error loading manifest file '%s', creating new.\n", manifest.c_str());
            updater.load_exclude_list(exclude.c_str());
            if (updater.run_update(settings.host.c_str(), "/soundpack", "file_manifest_audio.txt.gz") == QDU_OK) {
                if (updater.files_to_update() > 0)
                    TARV_LOG(3, "%d/%d files successfully updated.\n", updater.updated(), updater.files_to_update());
                TARV_LOG(3, "Soundpack update success, sleeping six hours.\n");
                ok = true;
            }
        }
    }
    if (!ok) TARV_LOG(1, "Soundpack update failed?  Trying again in ten minutes.\n");
    tarv_unlock_file(lock);
    return ok ? settings.success_sleep_ms : settings.failure_sleep_ms;
}

int tarv_soundpack_start_updater(const tarv_soundpack_updater_settings& settings)
{
    // The thread owns its copy: it shares nothing with the main thread.
    tarv_soundpack_updater_settings* own = new (std::nothrow) tarv_soundpack_updater_settings(settings);
    if (!own || !tarv_thread_create("soundpack updater", updater_thread, own)) {
        delete own;
        TARV_LOG(1, "Error in tarv_soundpack::start_updater(), unable to create downloader thread.\n");
        return 0;
    }
    return 1;
}

// The client's updater: the configuration directory, the given server and
// the normal sleeps. Nothing happens before the directory is set up.
int tarv_soundpack::start_updater(const char* host)
{
    const char* dir = tarv_client_get_config_directory();
    if (!dir || !host) return 0;
    tarv_soundpack_updater_settings settings;
    settings.config_dir = dir;
    settings.host = host;
    return tarv_soundpack_start_updater(settings);
}
