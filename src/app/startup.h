// Start-up pieces that need no toolkit: the command line, the shutdown
// signals and the early boot steps.
#pragma once

#include <string>

// Launcher version from "-l" (at most 256 characters).
extern char launcher_version[257];

// One-run overrides of the configured game address ("--host NAME",
// "--port N"); empty / 0 when not given.
struct tarv_launch_options {
    std::string host;
    int port = 0;
    std::string soundpack_host; // "--soundpack-host HOST[:PORT]"
    // "--ca-file FILE": authorities trusted besides the system's (a test aid).
    std::string ca_file;
};

// Reads the arguments in order, logging each at level 2.
tarv_launch_options tarv_parse_command_line(int argc, const char* const* argv);

// TERM, INT and HUP only record the signal; the tick acts on it, so the
// orderly exit runs on the main thread.
void tarv_install_shutdown_signals();
// The recorded signal number, or 0; each signal is reported once.
int tarv_take_shutdown_signal();
void tarv_record_shutdown_signal(int signal_number);

// Boot steps up to the configuration directory: log name, broken pipe
// ignored, TLS, configuration directory, random seed. Returns false after
// logging the boot failure; the caller exits with status 1.
bool tarv_boot_early();
