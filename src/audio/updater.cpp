#include "audio/updater.h"

#include "net/http_downloader.h"
#include "support/config_dir.h"
#include "support/debug_log.h"
#include "support/text_buffer.h"
#include "support/thread.h"
#include "support/util.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

namespace {

constexpr int module_updater = 12;
constexpr int inflate_piece = 65536;
constexpr int save_interval_s = 10;

void log_error(const char* text) { tarv_debug_log_flagged(text, LOG_CLASS_ERROR, module_updater); }

std::string format(const char* fmt, double a, double b = 0)
{
    char text[128];
    std::snprintf(text, sizeof text, fmt, a, b);
    return text;
}

std::string format_int(const char* fmt, int a)
{
    char text[128];
    std::snprintf(text, sizeof text, fmt, a);
    return text;
}

// Inflates the manifest as it arrives and parses it line by line.
struct remote_manifest_fetch {
    z_stream zs{};
    bool zs_ready = false;
    bool stream_end = false;
    bool failed = false;
    long long inflated = 0;
    std::string line;
    std::vector<qdu_manifest_entry>* entries = nullptr;
    int received = 0;
    int expected = -1;
    std::vector<unsigned char> piece = std::vector<unsigned char>(inflate_piece);

    ~remote_manifest_fetch()
    {
        if (zs_ready) inflateEnd(&zs);
    }

    bool take_line()
    {
        if (line.size() > static_cast<std::size_t>(tarv_text_buffer::max_length)) line.resize(tarv_text_buffer::max_length);
        qdu_manifest_entry entry;
        int r = qdu_file_manifest::parse_line(line.c_str(), "downloaded data", &entry);
        line.clear();
        if (r < 0) return false;
        if (r > 0) entries->push_back(entry);
        return true;
    }

    bool take_text(const unsigned char* data, std::size_t n)
    {
        for (std::size_t i = 0; i < n; ++i) {
            if (data[i] == '\n') {
                if (!take_line()) return false;
            } else if (line.size() <= static_cast<std::size_t>(tarv_text_buffer::max_length)) {
                line.push_back(static_cast<char>(data[i]));
            }
        }
        return true;
    }

    int take(const char* data, int length)
    {
        if (failed) return 0;
        received += length;
        if (stream_end) return 1; // anything after the compressed stream is ignored
        zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        zs.avail_in = static_cast<uInt>(length);
        while (zs.avail_in > 0 && !stream_end) {
            zs.next_out = piece.data();
            zs.avail_out = inflate_piece;
            int r = inflate(&zs, Z_NO_FLUSH);
            if (r != Z_OK && r != Z_STREAM_END && r != Z_BUF_ERROR) {
                log_error("Error in http_fetch_remote_manifest_data::download_data_callback(), ZLip inflate failed?");
                failed = true;
                return 0;
            }
            std::size_t produced = inflate_piece - zs.avail_out;
            inflated += static_cast<long long>(produced);
            if (inflated > QDU_MAX_MANIFEST_BYTES) {
                log_error("Error in http_fetch_remote_manifest_data::download_data_callback(), manifest inflates "
                          "beyond its limit.");
                failed = true;
                return 0;
            }
            if (!take_text(piece.data(), produced)) {
                failed = true;
                return 0;
            }
            if (r == Z_STREAM_END) stream_end = true;
            if (r == Z_BUF_ERROR && produced == 0) break;
        }
        return 1;
    }
};

int fetch_callback(void* user, const char* data, int length)
{
    return static_cast<remote_manifest_fetch*>(user)->take(data, length);
}

bool file_exists(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

long long file_size(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return -1;
    return static_cast<long long>(st.st_size);
}

bool create_empty_file(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    return std::fclose(f) == 0;
}

} // namespace

bool qdu_split_host_port(const char* text, std::string* host, int* port)
{
    if (!text || !*text) return false;
    const char* colon = std::strchr(text, ':');
    std::string name = colon ? std::string(text, colon - text) : std::string(text);
    int number = 80;
    if (colon) {
        const char* p = colon + 1;
        if (!*p) return false;
        long value = 0;
        for (; *p; ++p) {
            if (*p < '0' || *p > '9') return false;
            value = value * 10 + (*p - '0');
            if (value > 65535) return false;
        }
        if (value < 1) return false;
        number = static_cast<int>(value);
    }
    if (name.empty()) return false;
    for (char c : name) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.';
        if (!ok) return false;
    }
    if (host) *host = name;
    if (port) *port = number;
    return true;
}

void qdu_updater::message(const std::string& text)
{
    if (message_) message_(user_, text.c_str());
}

void qdu_updater::verbose(const std::string& text)
{
    if (verbose_) message(text);
}

int qdu_updater::set_destination_dir(const char* path)
{
    if (!path || !*path) return 0;
    destination_ = path;
    while (destination_.size() > 1 && destination_.back() == '/') destination_.pop_back();
    return tarv_create_and_check_writeable_directory(destination_.c_str(), 0700, nullptr);
}

int qdu_updater::set_temp_file(const char* path)
{
    if (!path || !*path) return 0;
    temp_file_ = path;
    std::string parent = std::filesystem::path(temp_file_).parent_path().string();
    if (!parent.empty() && !tarv_recursive_mkdir((parent + "/").c_str(), 0700, nullptr)) return 0;
    return create_empty_file(temp_file_) ? 1 : 0;
}

int qdu_updater::load_manifest(const char* path)
{
    if (!path) return 0;
    manifest_file_ = path;
    manifest_.clear();
    int result = manifest_.load_file(path);
    verbose(format_int("Loaded %d entries from current manifest file '", manifest_.size()) + path + "'.");
    // Files the player deleted are fetched again.
    std::vector<std::string> gone;
    for (const qdu_manifest_entry& e : manifest_.entries())
        if (!qdu_safe_file_name(e.name) || !file_exists(destination_ + "/" + e.name)) gone.push_back(e.name);
    for (const std::string& name : gone) manifest_.remove(name);
    if (!gone.empty()) verbose(format_int("Some files were deleted.  Only %d entries remain.", manifest_.size()));
    return result;
}

int qdu_updater::load_exclude_list(const char* path) { return exclude_.load_file(path); }

bool qdu_updater::connect_downloader(tarv_http_downloader& downloader, const char* host)
{
    std::string name;
    int port = 80;
    if (!qdu_split_host_port(host, &name, &port)) {
        message(std::string("Bad sound pack host '") + (host ? host : "") + "'.");
        return false;
    }
    downloader.set_wait_ms(wait_ms_);
    downloader.set_idle_limit_ms(wait_ms_ * 12);
    return downloader.set_connection(name.c_str(), port, 0) == 1;
}

int qdu_updater::fetch_remote_manifest(const char* host, const char* path, std::vector<qdu_manifest_entry>& out)
{
    tarv_http_downloader downloader;
    if (!connect_downloader(downloader, host)) return 0;
    remote_manifest_fetch fetch;
    fetch.entries = &out;
    if (inflateInit2(&fetch.zs, 47) != Z_OK) return 0;
    fetch.zs_ready = true;
    downloader.set_user_data(&fetch);
    downloader.set_data_callback(fetch_callback);
    int ok = downloader.download(host, path);
    // The last line may lack its line feed.
    if (ok && !fetch.failed && !fetch.line.empty() && !fetch.take_line()) ok = 0;
    if (!ok || fetch.failed) {
        out.clear();
        return 0;
    }
    return 1;
}

int qdu_updater::run_update(const char* host, const char* base_path, const char* manifest_name)
{
    if (manifest_file_.empty()) {
        message("No manifest filename set.");
        return QDU_NO_MANIFEST_FILE;
    }
    if (temp_file_.empty()) {
        message("No temporary download filename set.");
        return QDU_NO_TEMP_FILE;
    }
    if (destination_.empty()) {
        message("No destination path set to store downloaded files.");
        return QDU_NO_DESTINATION;
    }
    remote_records_ = files_to_update_ = updated_ = download_failures_ = other_failures_ = skipped_ = 0;
    std::string base = base_path ? base_path : "";
    std::vector<qdu_manifest_entry> remote;
    if (!fetch_remote_manifest(host, (base + "/" + (manifest_name ? manifest_name : "")).c_str(), remote)) {
        message(std::string("Error fetching update file '") + (manifest_name ? manifest_name : "") +
                "' from remote server, aborting update.");
        return QDU_NO_REMOTE_MANIFEST;
    }
    remote_records_ = static_cast<int>(remote.size());
    verbose(format_int("Retrieved %d records from remote server.", remote_records_));

    std::vector<qdu_manifest_entry> wanted;
    for (const qdu_manifest_entry& e : remote) {
        if (!qdu_safe_file_name(e.name)) {
            // Bad input from the network: say so even when not verbose.
            std::string text = "Warning in qdu_updater::run_update(), refusing unsafe file name '" + e.name + "'.";
            log_error(text.c_str());
            message("Skipping file '" + e.name + "'.");
            ++skipped_;
            continue;
        }
        if (exclude_.contains(e.name)) {
            message("Skipping file '" + e.name + "'.");
            ++skipped_;
            continue;
        }
        const qdu_manifest_entry* local = manifest_.find(e.name);
        if (!local) {
            verbose("File '" + e.name + "' missing, should update.");
            wanted.push_back(e);
        } else if (local->size != e.size || local->hash != e.hash) {
            verbose(format_int("Expected %8d, ", e.size) + e.hash);
            verbose(format_int("Previous %8d, ", local->size) + local->hash + " - file '" + e.name + "'");
            wanted.push_back(e);
        }
    }
    files_to_update_ = static_cast<int>(wanted.size());
    if (wanted.empty()) {
        verbose("Everything appears to be up to date already.");
        return QDU_OK;
    }
    message(wanted.size() == 1 ? std::string("One file to update.") : format_int("%d files to update.", files_to_update_));
    return update_files(host, base.c_str(), wanted);
}

void qdu_updater::report_progress()
{
    if (progress_) progress_(user_, finished_bytes_ + current_bytes_, total_bytes_);
    if (dirty_ && !save_failed_ && std::time(nullptr) - last_save_ >= save_interval_s) {
        verbose("Saving file manifest.");
        if (manifest_.save_file(manifest_file_.c_str())) {
            dirty_ = false;
        } else {
            // Ends the pass; the thread tries again later.
            message("Error - unable to save manifest file.  Bailing out.");
            save_failed_ = true;
        }
        last_save_ = std::time(nullptr);
    }
}

void qdu_updater::on_download_progress(void* user, int received, int)
{
    qdu_updater* self = static_cast<qdu_updater*>(user);
    self->current_bytes_ = received;
    self->report_progress();
}

int qdu_updater::update_files(const char* host, const char* base_path, const std::vector<qdu_manifest_entry>& files)
{
    if (temp_file_.empty()) {
        message("No temporary download filename set.");
        return QDU_NO_TEMP_FILE;
    }
    if (destination_.empty()) {
        message("No destination path set to store downloaded files.");
        return QDU_NO_DESTINATION;
    }
    if (!create_empty_file(temp_file_)) {
        message("Temporary file unwriteable.");
        return QDU_NOT_WRITABLE;
    }
    if (!tarv_create_and_check_writeable_directory(destination_.c_str(), 0700, nullptr)) {
        message("Download base path appears to be unwriteable.");
        return QDU_NOT_WRITABLE;
    }
    total_bytes_ = 0;
    for (const qdu_manifest_entry& e : files) total_bytes_ += e.size;
    finished_bytes_ = current_bytes_ = 0;
    dirty_ = false;
    save_failed_ = false;
    last_save_ = std::time(nullptr);

    tarv_http_downloader downloader;
    bool connected = connect_downloader(downloader, host);
    downloader.set_user_data(this);
    downloader.set_progress_callback(on_download_progress);

    for (const qdu_manifest_entry& e : files) {
        if (save_failed_) break;
        verbose("Updating file '" + e.name + "'.");
        std::string target = destination_ + "/" + e.name;
        std::string parent = std::filesystem::path(target).parent_path().string();
        if (!tarv_recursive_mkdir((parent + "/").c_str(), 0700, nullptr)) {
            message("Unable to update file '" + e.name + "' - cannot create directory.");
            ++other_failures_;
            continue;
        }
        std::string path = std::string(base_path) + (e.name[0] == '/' ? "" : "/") + e.name;
        verbose("Starting download of file '" + path + "'.");
        current_bytes_ = 0;
        // Never take more than the manifest announces.
        downloader.set_max_body(e.size);
        int ok = connected && downloader.download(host, path.c_str(), temp_file_.c_str());
        verbose(format("Received %10.0f / %10.0f bytes.", current_bytes_, e.size));
        finished_bytes_ += e.size;
        current_bytes_ = 0;
        if (!ok) {
            message("Unable to update file '" + e.name + "' - download failed.");
            ++download_failures_;
            std::remove(temp_file_.c_str());
        } else if (file_size(temp_file_) != e.size) {
            // A file that is not what the manifest describes is not installed.
            message("Unable to update file '" + e.name + "' - size does not match the manifest.");
            ++download_failures_;
            std::remove(temp_file_.c_str());
        } else if (std::rename(temp_file_.c_str(), target.c_str()) != 0) {
            // rename replaces the old version in one step: it is never missing.
            message("Unable to update file '" + e.name + "' - cannot write new version.");
            ++other_failures_;
        } else {
            manifest_.put(e);
            ++updated_;
            dirty_ = true;
            report_progress();
        }
        tarv_sleep_ms(pause_ms_);
    }
    if (save_failed_) return QDU_MANIFEST_NOT_SAVED;
    if (dirty_) {
        verbose("Saving file manifest due to completion.");
        if (!manifest_.save_file(manifest_file_.c_str())) {
            message("Error - unable to save manifest file.  Bailing out.");
            return QDU_MANIFEST_NOT_SAVED;
        }
        dirty_ = false;
    }
    return QDU_OK;
}
