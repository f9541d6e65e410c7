// Process-wide debug log and its level.
#pragma once

extern int tarv_debug_level;

// Flagged-writer class bits; anything but LOG_CLASS_VERBOSE counts as an
// error/warning class and is written from level 1 on.
constexpr unsigned LOG_CLASS_ERROR = 0x1;
constexpr unsigned LOG_CLASS_VERBOSE = 0x100;

// printf-style; writes exactly what is formatted and flushes. Callers test
// tarv_debug_level first (TARV_LOG does that for them).
void tarv_debug_log(const char* format, ...) __attribute__((format(printf, 1, 2)));

// One line ("%s\n") filtered by class bits; module id only names the caller.
void tarv_debug_log_flagged(const char* text, unsigned class_bits, int module_id);

void tarv_client_set_autoopen_debug_logfile_name(const char* name);
void tarv_client_set_debug_logfile_name(const char* path);
void tarv_client_try_open_debug_logfile();
void tarv_client_debug_logfile_close();
bool tarv_client_debug_logfile_is_open();
// The returned name stays valid after a close or rename.
const char* tarv_client_get_debug_logfile_name();
bool tarv_client_debug_logfile_open_failed();

#define TARV_LOG(level, ...)                                   \
    do {                                                       \
        if (tarv_debug_level >= (level)) tarv_debug_log(__VA_ARGS__); \
    } while (0)
