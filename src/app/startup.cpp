#include "app/startup.h"

#include <csignal>
#include <cstring>

#include "net/tcp_socket.h"
#include "support/config_dir.h"
#include "support/debug_log.h"
#include "support/random.h"
#include "support/util.h"

char launcher_version[257] = "";

tarv_launch_options tarv_parse_command_line(int argc, const char* const* argv)
{
    tarv_launch_options result;
    enum { NORMAL, LAUNCHER, HOST, PORT, SOUNDPACK_HOST, CA_FILE } expect = NORMAL;
    for (int i = 0; i < argc; ++i) {
        const char* arg = argv[i] ? argv[i] : "";
        if (i == 0) {
            TARV_LOG(2, "DEBUG - Command line executable name:  %s\n", arg);
        } else if (expect == LAUNCHER) {
            TARV_LOG(2, "DEBUG - Command line launcher version: %s\n", arg);
            std::strncpy(launcher_version, arg, sizeof launcher_version - 1);
            launcher_version[sizeof launcher_version - 1] = 0;
            expect = NORMAL;
        } else if (expect == HOST) {
            TARV_LOG(2, "DEBUG - Command line game host:        %s\n", arg);
            result.host = arg;
            expect = NORMAL;
        } else if (expect == SOUNDPACK_HOST) {
            TARV_LOG(2, "DEBUG - Command line sound pack host:  %s\n", arg);
            result.soundpack_host = arg;
            expect = NORMAL;
        } else if (expect == CA_FILE) {
            TARV_LOG(2, "DEBUG - Command line trusted authorities: %s\n", arg);
            result.ca_file = arg;
            expect = NORMAL;
        } else if (expect == PORT) {
            int port = 0;
            if (parse_leading_int(arg, &port) && port > 0 && port < 65536) {
                TARV_LOG(2, "DEBUG - Command line game port:        %s\n", arg);
                result.port = port;
            } else {
                TARV_LOG(1, "Warning in tarv_parse_command_line(), bad port '%s' ignored.\n", arg);
            }
            expect = NORMAL;
        } else if (word_equals(arg, "-l")) {
            TARV_LOG(2, "DEBUG - Command line launcher flag:    %s\n", arg);
            expect = LAUNCHER;
        } else if (word_equals(arg, "-n")) {
            TARV_LOG(2, "DEBUG - Command line old launcher:     %s\n", arg);
            std::strcpy(launcher_version, "(old style launcher)");
        } else if (word_equals(arg, "--host")) {
            expect = HOST;
        } else if (word_equals(arg, "--port")) {
            expect = PORT;
        } else if (word_equals(arg, "--soundpack-host")) {
            expect = SOUNDPACK_HOST;
        } else if (word_equals(arg, "--ca-file")) {
            expect = CA_FILE;
        } else {
            TARV_LOG(2, "DEBUG - Unknown command line arg:      %s\n", arg);
        }
    }
    return result;
}

namespace {
volatile std::sig_atomic_t pending_signal = 0;

extern "C" void record_shutdown_signal(int signal_number)
{
    pending_signal = signal_number;
}
}  // namespace

void tarv_install_shutdown_signals()
{
    struct sigaction action {};
    action.sa_handler = record_shutdown_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &action, nullptr);
}

void tarv_record_shutdown_signal(int signal_number)
{
    pending_signal = signal_number;
}

int tarv_take_shutdown_signal()
{
    int sig = pending_signal;
    pending_signal = 0;
    return sig;
}

bool tarv_boot_early()
{
    tarv_client_set_autoopen_debug_logfile_name("karthem_tessel.txt");
    TARV_LOG(2, "--------------------------- BOOT START --------------------------\n");
    std::signal(SIGPIPE, SIG_IGN);
    if (!tarv_ssl_startup()) {
        TARV_LOG(1, "Boot failed, SSL startup is broken.\n");
        return false;
    }
    if (!tarv_client_set_up_config_directory("Karthem")) {
        TARV_LOG(1, "Boot failed, unable to get at system config directory.\n");
        return false;
    }
    tarv_random_seed_from_clock();
    tarv_install_shutdown_signals();
    return true;
}
