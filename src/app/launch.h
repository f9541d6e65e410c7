// What the command line asks for before anything else starts ("--help",
// "--version", "--demo"), and the bundled demo world run as a child
// process for "--demo". Plain C++: the toolkit's entry point uses it.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

enum class tarv_launch_mode { play, help, version };

struct tarv_early_command_line {
    tarv_launch_mode mode = tarv_launch_mode::play;
    bool demo = false;
    // The arguments for the client, program name first, "--demo" taken out.
    std::vector<std::string> args;
};

// The first "--help" or "--version" wins; an option's value (after "-l",
// "--host" ...) is never taken for one.
tarv_early_command_line tarv_read_early_command_line(int argc, const char* const* argv);
std::string tarv_usage_text();
std::string tarv_version_text();

class tarv_demo_world {
public:
    tarv_demo_world() = default;
    ~tarv_demo_world();
    tarv_demo_world(const tarv_demo_world&) = delete;
    tarv_demo_world& operator=(const tarv_demo_world&) = delete;

    // The installed script (share/tessel/demo_world.py beside the program's
    // bin folder), else the one in the source tree; "" when neither exists.
    static std::string find_script(const std::string& executable_path);

    // Starts "python3 script" listening on a free port of 127.0.0.1 and
    // waits up to `timeout_ms` for it to say which: the port, or 0 (logged,
    // and the child stopped). The child ends with this process, however
    // this process ends. With a key folder the world keeps its key there,
    // so the key the client remembers holds on whichever port comes next.
    int start(const std::string& script, int timeout_ms, const std::string& key_dir = "");
    // SIGTERM, and SIGKILL if it has not ended within a few seconds.
    void stop();
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    std::string folder_;
};
