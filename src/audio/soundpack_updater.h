// The "soundpack updater" thread: keeps the sound pack under the
// configuration directory in step with the web server, one pass at a time.
#pragma once

#include <string>

struct tarv_soundpack_updater_settings {
    std::string config_dir;  // the configuration directory
    std::string host;        // the web server, "host" or "host:port"
    int start_delay_ms = 3000;
    int success_sleep_ms = 21600000; // six hours
    int failure_sleep_ms = 600000;   // ten minutes
    int wait_ms = 5000;              // network wait limits of each download
};

// One pass: directory, lock, manifest, update. Returns the sleep it chose
// (the success or the failure sleep of the settings).
int tarv_soundpack_update_pass(const tarv_soundpack_updater_settings& settings);

// Starts the detached thread that runs passes forever. 1 when it started.
int tarv_soundpack_start_updater(const tarv_soundpack_updater_settings& settings);
