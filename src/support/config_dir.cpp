#include "support/config_dir.h"

#include "support/debug_log.h"
#include "support/text_buffer.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int module_config_directory = 71;
constexpr char rw_test_name[] = "xx-rw-test.qqq";

// Never freed: the updater thread may still hold the pointer. A repeated
// set-up keeps the older paths chained behind the current one.
struct stored_path {
    stored_path* older;
    char text[1];
};
stored_path* stored_paths = nullptr;
const char* config_directory = nullptr;

const char* store_path(const char* path)
{
    std::size_t length = std::strlen(path);
    auto* node = static_cast<stored_path*>(std::malloc(sizeof(stored_path) + length));
    if (!node) return nullptr;
    node->older = stored_paths;
    std::memcpy(node->text, path, length + 1);
    stored_paths = node;
    return node->text;
}

void log_error(const char* text)
{
    tarv_debug_log_flagged(text, LOG_CLASS_ERROR, module_config_directory);
}

void log_verbose(const tarv_text_buffer& text)
{
    tarv_debug_log_flagged(text.c_str(), LOG_CLASS_VERBOSE, module_config_directory);
}

void note_failure(tarv_text_buffer* error_text, const char* path)
{
    if (error_text) error_text->append(path);
}

inline bool is_separator(char c)
{
    return c == '/' || c == '\\';
}

// A directory in the shared /tmp is only trusted when it is ours alone;
// anyone else could plant files in it or swap it for a link.
bool is_private_directory(const char* path)
{
    struct stat st;
    if (lstat(path, &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

int check_candidate(const char* path, bool must_be_private)
{
    bool ok;
    if (must_be_private) {
        struct stat st;
        // Refuse a foreign path before writing anything into it.
        ok = (lstat(path, &st) != 0 || is_private_directory(path)) &&
             tarv_create_and_check_writeable_directory(path, 0700, nullptr) && is_private_directory(path);
        if (!ok) {
            tarv_text_buffer warning;
            warning.append("Warning in tarv_client_check_config_directory(), '");
            warning.append(path);
            warning.append("' is not a private directory of this user.");
            log_error(warning.c_str());
        }
    } else {
        ok = tarv_create_and_check_writeable_directory(path, 0700, nullptr) != 0;
    }
    tarv_text_buffer line;
    line.append("Checking config directory: ");
    line.append(path);
    if (!ok) line.append(" [FAIL]");
    log_verbose(line);
    return ok ? 1 : 0;
}

}  // namespace

int tarv_recursive_mkdir(const char* path, int mode, tarv_text_buffer* error_text)
{
    if (!path) {
        log_error("Error in tarv_recursive_mkdir(), NULL path.");
        return 0;
    }
    tarv_text_buffer built;
    const char* p = path;
    if (is_separator(*p)) built.append_char('/');
    while (*p) {
        while (is_separator(*p)) ++p;
        if (!*p) break;
        const char* start = p;
        while (*p && !is_separator(*p)) ++p;
        if (!*p) break;  // a trailing file name is not created
        // A cut path would create some other directory: fail instead.
        if (!built.append(start, static_cast<std::size_t>(p - start))) {
            log_error("Error in tarv_recursive_mkdir(), path too long.");
            note_failure(error_text, built.c_str());
            return 0;
        }
        if (mkdir(built.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST) {
            note_failure(error_text, built.c_str());
            return 0;
        }
        if (!built.append_char('/')) {
            log_error("Error in tarv_recursive_mkdir(), path too long.");
            note_failure(error_text, built.c_str());
            return 0;
        }
    }
    return 1;
}

int tarv_create_and_check_writeable_directory(const char* path, int mode, tarv_text_buffer* error_text)
{
    if (!path) {
        log_error("Error in tarv_create_and_check_writeable_directory(), NULL path.");
        return 0;
    }
    tarv_text_buffer test_path;
    if (*path) {
        tarv_text_buffer dir;
        dir.append(path);
        if (!dir.append_char('/')) {
            note_failure(error_text, path);
            return 0;
        }
        if (!tarv_recursive_mkdir(dir.c_str(), 0700, error_text)) return 0;
        test_path.append(dir.c_str());
    }
    if (!test_path.append(rw_test_name)) {
        note_failure(error_text, test_path.c_str());
        return 0;
    }
    // No link is followed, so a planted test file cannot truncate another file.
    int fd = open(test_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0) {
        note_failure(error_text, test_path.c_str());
        return 0;
    }
    close(fd);
    unlink(test_path.c_str());
    return 1;
}

int tarv_client_check_config_directory(const char* path)
{
    if (!path) {
        log_error("Error in tarv_create_and_check_writeable_directory(), NULL path.");
        return 0;
    }
    return check_candidate(path, false);
}

int tarv_client_set_up_config_directory(const char* base_name)
{
    if (!base_name) return 0;
    if (!*base_name) {
        // An empty name would make the current directory or HOME itself the
        // configuration directory, whose files then land under "/".
        log_error("Error in tarv_client_set_up_config_directory(), empty base name.");
        return 0;
    }
    if (config_directory) {
        log_error("Error in tarv_client_set_up_config_directory(), attempt to change config directory path after "
                  "initial configuration.");
        tarv_text_buffer line;
        line.append("Old path '");
        line.append(config_directory);
        line.append("', new base name '");
        line.append(base_name);
        line.append("'");
        log_verbose(line);
    }
    const char* home = std::getenv("HOME");
    if (!home) {
        log_error("Error in tarv_client_set_up_config_directory(), unable to fetch home directory - please set HOME "
                  "environment variable and restart.");
        return 0;
    }

    struct candidate {
        const char* prefix;
        const char* middle;
        bool must_be_private;
    };
    const candidate candidates[] = {
        {home, "/.", false},
        {"", ".", false},
        {"/tmp/", "", true},
        {"", "", false},
    };
    for (const candidate& c : candidates) {
        tarv_text_buffer path;
        bool whole = path.append(c.prefix) && path.append(c.middle) && path.append(base_name);
        if (!whole) continue;  // a cut path is not the directory asked for
        if (!check_candidate(path.c_str(), c.must_be_private)) continue;
        const char* stored = store_path(path.c_str());
        if (!stored) break;
        config_directory = stored;
        tarv_text_buffer line;
        line.append("tarv_client_set_up_config_directory() - got final config directory '");
        line.append(stored);
        line.append("'");
        log_verbose(line);
        return 1;
    }
    log_error("tarv_client_set_up_config_directory() - Giving up.  Cannot create config directory.");
    return 0;
}

const char* tarv_client_get_config_directory()
{
    return config_directory;
}
