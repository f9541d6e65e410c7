#include "app/launch.h"

#include "connection/game_connection.h"
#include "support/debug_log.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

#ifndef TESSEL_VERSION
#define TESSEL_VERSION "unknown"
#endif

namespace {

bool takes_value(const std::string& arg)
{
    return arg == "-l" || arg == "-L" || arg == "--host" || arg == "--port" || arg == "--soundpack-host" ||
           arg == "--ca-file";
}

bool is_file(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string folder_of(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

tarv_early_command_line tarv_read_early_command_line(int argc, const char* const* argv)
{
    tarv_early_command_line result;
    bool value_next = false;
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i] ? argv[i] : "";
        if (i > 0 && !value_next) {
            if (result.mode == tarv_launch_mode::play && (arg == "--help" || arg == "-h"))
                result.mode = tarv_launch_mode::help;
            else if (result.mode == tarv_launch_mode::play && arg == "--version")
                result.mode = tarv_launch_mode::version;
            if (arg == "--demo") {
                result.demo = true;
                continue;
            }
            value_next = takes_value(arg);
        } else {
            value_next = false;
        }
        result.args.push_back(arg);
    }
    return result;
}

std::string tarv_usage_text()
{
    return "Usage: tessel [OPTION]...\n"
           "The desktop client for Karthem, a text-based multiplayer online game.\n"
           "\n"
           "  --host NAME                  connect to this game server for this run only\n"
           "  --port N                     connect on this port for this run only\n"
           "  --soundpack-host HOST[:PORT] fetch the sound pack from this web server for this run only\n"
           "  --demo                       start the bundled demo world on 127.0.0.1 and play there;\n"
           "                               it stops when the client ends (needs python3 and openssl)\n"
           "  --ca-file FILE               also trust the certificate authorities in FILE (a test aid)\n"
           "  -l VERSION                   launcher version, shown by //version\n"
           "  -n                           started by an old launcher\n"
           "  --help                       show this help and exit\n"
           "  --version                    show the version and exit\n"
           "\n"
           "Settings, remembered server keys and the sound pack live in ~/.Karthem;\n"
           "the debug log is /tmp/karthem_tessel.txt. In the game, //commands lists the\n"
           "client's own commands and //help the keyboard shortcuts.\n";
}

std::string tarv_version_text()
{
    return std::string("tessel ") + TESSEL_VERSION + " (Karthem client version " + client_version + ")\n";
}

std::string tarv_demo_world::find_script(const std::string& executable_path)
{
    std::string installed = folder_of(folder_of(executable_path)) + "/share/tessel/demo_world.py";
    if (is_file(installed)) return installed;
#ifdef TESSEL_SOURCE_DIR
    std::string source = std::string(TESSEL_SOURCE_DIR) + "/tests/e2e/demo_world.py";
    if (is_file(source)) return source;
#endif
    return "";
}

tarv_demo_world::~tarv_demo_world()
{
    stop();
}

int tarv_demo_world::start(const std::string& script, int timeout_ms, const std::string& key_dir)
{
    stop();
    char pattern[] = "/tmp/tessel-demo-XXXXXX";
    if (!mkdtemp(pattern)) {
        TARV_LOG(1, "Error in tarv_demo_world::start(), no temporary folder: %s.\n", std::strerror(errno));
        return 0;
    }
    folder_ = pattern;
    const std::string port_file = folder_ + "/port";
    pid_t parent = getpid();
    pid_t child = fork();
    if (child < 0) {
        TARV_LOG(1, "Error in tarv_demo_world::start(), fork failed: %s.\n", std::strerror(errno));
        return 0;
    }
    if (child == 0) {
        // The demo world must not outlive the client, even one that is killed.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(1);
        int null = open("/dev/null", O_RDONLY);
        if (null >= 0) dup2(null, 0);
        if (key_dir.empty())
            execlp("python3", "python3", script.c_str(), "--port-file", port_file.c_str(), static_cast<char*>(nullptr));
        else
            execlp("python3", "python3", script.c_str(), "--port-file", port_file.c_str(), "--key-dir", key_dir.c_str(),
                   static_cast<char*>(nullptr));
        _exit(127);
    }
    pid_ = child;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream in(port_file);
        int port = 0;
        if (in >> port && port > 0 && port < 65536) {
            TARV_LOG(2, "tarv_demo_world::start() - demo world %d listens on port %d.\n", static_cast<int>(pid_), port);
            return port;
        }
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            TARV_LOG(1, "Error in tarv_demo_world::start(), '%s' ended at start (status %d).\n", script.c_str(),
                     status);
            pid_ = -1;
            stop();
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    TARV_LOG(1, "Error in tarv_demo_world::start(), '%s' gave no port in time.\n", script.c_str());
    stop();
    return 0;
}

void tarv_demo_world::stop()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        bool ended = false;
        for (int i = 0; i < 150 && !ended; ++i) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_)
                ended = true;
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!ended) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }
    if (!folder_.empty()) {
        unlink((folder_ + "/port").c_str());
        unlink((folder_ + "/port.part").c_str());
        rmdir(folder_.c_str());
        folder_.clear();
    }
}
