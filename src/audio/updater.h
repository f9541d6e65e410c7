// Brings a folder in step with a web server's gzip manifest: fetches the
// manifest, compares it with the local one and downloads every file that is
// new or changed into a temporary file before moving it into place.
#pragma once

#include "audio/file_manifest.h"

#include <ctime>
#include <string>
#include <vector>

class tarv_http_downloader;

// Result codes of run_update.
constexpr int QDU_OK = 0;
constexpr int QDU_NO_TEMP_FILE = 1;
constexpr int QDU_NO_DESTINATION = 2;
constexpr int QDU_NO_MANIFEST_FILE = 3;
constexpr int QDU_NO_REMOTE_MANIFEST = 4;
constexpr int QDU_NOT_WRITABLE = 5;
constexpr int QDU_MANIFEST_NOT_SAVED = 6;

// Largest manifest accepted once inflated.
constexpr long long QDU_MAX_MANIFEST_BYTES = 64LL * 1024 * 1024;

// "host" or "host:port" (port 1-65535, default 80). False for anything else.
bool qdu_split_host_port(const char* text, std::string* host, int* port);

class qdu_updater {
public:
    using message_fn = void (*)(void* user, const char* text);
    using progress_fn = void (*)(void* user, double done, double total);

    void set_message_callback(message_fn fn) { message_ = fn; }
    void set_progress_callback(progress_fn fn) { progress_ = fn; }
    void set_user_data(void* user) { user_ = user; }
    void set_verbose(int on) { verbose_ = on; }
    void set_pause_ms(int ms) { pause_ms_ = ms; }
    // Wait limits handed to the downloader (tests shorten them).
    void set_wait_ms(int ms) { wait_ms_ = ms; }

    int set_destination_dir(const char* path);
    int set_temp_file(const char* path);
    int load_manifest(const char* path);
    int load_exclude_list(const char* path);
    int run_update(const char* host, const char* base_path, const char* manifest_name);

    int remote_records() const { return remote_records_; }
    int files_to_update() const { return files_to_update_; }
    int updated() const { return updated_; }
    int download_failures() const { return download_failures_; }
    int other_failures() const { return other_failures_; }
    int skipped() const { return skipped_; }
    const qdu_file_manifest& manifest() const { return manifest_; }

private:
    int fetch_remote_manifest(const char* host, const char* path, std::vector<qdu_manifest_entry>& out);
    int update_files(const char* host, const char* base_path, const std::vector<qdu_manifest_entry>& files);
    bool connect_downloader(tarv_http_downloader& downloader, const char* host);
    void message(const std::string& text);
    void verbose(const std::string& text);
    void report_progress();
    static void on_download_progress(void* user, int received, int expected);

    std::string destination_;
    std::string temp_file_;
    std::string manifest_file_;
    qdu_exclude_list exclude_;
    qdu_file_manifest manifest_;

    message_fn message_ = nullptr;
    progress_fn progress_ = nullptr;
    void* user_ = nullptr;
    int verbose_ = 0;
    int pause_ms_ = 0;
    int wait_ms_ = 5000;

    int remote_records_ = 0;
    int files_to_update_ = 0;
    int updated_ = 0;
    int download_failures_ = 0;
    int other_failures_ = 0;
    int skipped_ = 0;
    double total_bytes_ = 0;
    double finished_bytes_ = 0;
    double current_bytes_ = 0;
    bool dirty_ = false;
    bool save_failed_ = false;
    std::time_t last_save_ = 0;
};
