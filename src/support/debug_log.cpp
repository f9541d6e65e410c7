#include "support/debug_log.h"

#include "support/text_buffer.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int tarv_debug_level = 1;

namespace {

constexpr int module_debug_log = 70;

// Written from worker threads too; only opening and closing are serialised.
std::atomic<std::FILE*> log_stream{nullptr};
std::mutex log_state_mutex;
char* log_path = nullptr;
char* autoopen_name = nullptr;
bool open_failed = false;

char* copy_or_null(const char* text)
{
    return text ? strdup(text) : nullptr;
}

// Names handed out by tarv_client_get_debug_logfile_name() are remembered
// across a close and rename, so old names are kept, never freed.
struct retired_name {
    retired_name* older;
    char* text;
};
retired_name* retired_names = nullptr;

void retire(char*& name)
{
    if (!name) return;
    if (auto* node = static_cast<retired_name*>(std::malloc(sizeof(retired_name)))) {
        *node = {retired_names, name};
        retired_names = node;
    }
    name = nullptr;
}

void retire_names()
{
    retire(log_path);
    retire(autoopen_name);
}

// The default log sits in the shared /tmp: never follow a link planted at the
// path, never write into someone else's file or one of ours hard-linked there,
// and never block on a FIFO.
std::FILE* open_log_file(const char* path)
{
    int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid() || st.st_nlink != 1) {
        close(fd);
        return nullptr;
    }
    int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* stream = fdopen(fd, "ab");
    if (!stream) close(fd);
    return stream;
}

enum class open_result { nothing, opened, failed };

// Caller holds log_state_mutex. The path used is left in `path`.
open_result lazy_open_locked(tarv_text_buffer& path)
{
    if (log_stream.load(std::memory_order_acquire) || open_failed) return open_result::nothing;
    if (!log_path) {
        if (!autoopen_name) return open_result::nothing;
        tarv_text_buffer full;
        full.append("/tmp/");
        // A cut path would name some other file: treat it as a failed open.
        if (!full.append(autoopen_name)) {
            open_failed = true;
            path.assign(full.c_str());
            return open_result::failed;
        }
        log_path = strdup(full.c_str());
        if (!log_path) {
            open_failed = true;
            return open_result::failed;
        }
    }
    path.assign(log_path);
    std::FILE* stream = std::strlen(log_path) <= static_cast<std::size_t>(tarv_text_buffer::max_length)
                            ? open_log_file(log_path)
                            : nullptr;
    if (!stream) {
        open_failed = true;
        return open_result::failed;
    }
    open_failed = false;
    log_stream.store(stream, std::memory_order_release);
    return open_result::opened;
}

void lazy_open()
{
    tarv_text_buffer path;
    open_result result;
    {
        std::lock_guard<std::mutex> lock(log_state_mutex);
        result = lazy_open_locked(path);
    }
    if (result == open_result::nothing) return;
    tarv_text_buffer line;
    line.append(result == open_result::opened ? "tarv_client_try_open_debug_logfile() opened logfile '"
                                              : "tarv_client_try_open_debug_logfile() failed to open logfile '");
    line.append(path.c_str());
    line.append("'");
    // After a failure this reaches no file; the flag stops a retry.
    tarv_debug_log_flagged(line.c_str(), LOG_CLASS_VERBOSE, module_debug_log);
}

// Shared body of the two name setters; false when a stream is already open.
bool set_names(const char* path, const char* name)
{
    std::lock_guard<std::mutex> lock(log_state_mutex);
    if (log_stream.load(std::memory_order_acquire)) return false;
    retire_names();
    open_failed = false;
    log_path = copy_or_null(path);
    autoopen_name = copy_or_null(name);
    return true;
}

}  // namespace

void tarv_debug_log(const char* format, ...)
{
    std::FILE* stream = log_stream.load(std::memory_order_acquire);
    if (!stream) {
        lazy_open();
        stream = log_stream.load(std::memory_order_acquire);
        if (!stream) return;
    }
    if (!format) return;
    std::va_list args;
    va_start(args, format);
    std::vfprintf(stream, format, args);
    va_end(args);
    std::fflush(stream);
}

void tarv_debug_log_flagged(const char* text, unsigned class_bits, int module_id)
{
    if (class_bits == 0) return;
    int needed = (class_bits & LOG_CLASS_VERBOSE) ? 3 : 1;
    if (tarv_debug_level < needed) return;
    tarv_debug_log("%s\n", text ? text : "(null)");
}

void tarv_client_set_autoopen_debug_logfile_name(const char* name)
{
    if (!set_names(nullptr, name))
        tarv_debug_log_flagged("Error in tarv_client_set_autoopen_debug_logfile_name(), logfile already open.", LOG_CLASS_ERROR, module_debug_log);
}

void tarv_client_set_debug_logfile_name(const char* path)
{
    if (!set_names(path, nullptr))
        tarv_debug_log_flagged("Error in tarv_client_set_debug_logfile_name(), logfile already open.", LOG_CLASS_ERROR, module_debug_log);
}

void tarv_client_try_open_debug_logfile()
{
    if (log_stream.load(std::memory_order_acquire)) {
        tarv_debug_log_flagged("Error in tarv_client_try_open_debug_logfile(), logfile already open.", LOG_CLASS_ERROR, module_debug_log);
        return;
    }
    lazy_open();
}

void tarv_client_debug_logfile_close()
{
    std::FILE* stream;
    {
        std::lock_guard<std::mutex> lock(log_state_mutex);
        stream = log_stream.exchange(nullptr, std::memory_order_acq_rel);
        if (stream) {
            retire_names();
            open_failed = false;
        }
    }
    if (!stream) {
        tarv_debug_log_flagged("Error in tarv_client_debug_logfile_close(), no logfile open.", LOG_CLASS_ERROR, module_debug_log);
        return;
    }
    std::fclose(stream);
}

bool tarv_client_debug_logfile_is_open()
{
    return log_stream.load(std::memory_order_acquire) != nullptr;
}

const char* tarv_client_get_debug_logfile_name()
{
    lazy_open();
    std::lock_guard<std::mutex> lock(log_state_mutex);
    return log_path;
}

bool tarv_client_debug_logfile_open_failed()
{
    lazy_open();
    std::lock_guard<std::mutex> lock(log_state_mutex);
    return open_failed;
}
