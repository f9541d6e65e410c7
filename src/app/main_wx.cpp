// The toolkit's entry point. "--help" and "--version" are answered before
// the toolkit starts (no display needed, nothing written to the
// configuration directory); "--demo" starts the bundled demo world first
// and points the client at it.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/app_wx.h"
#include "app/launch.h"

wxIMPLEMENT_APP_NO_MAIN(tarv_app);

namespace {

std::string executable_path(const char* argv0)
{
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n > 0) return std::string(buffer, static_cast<std::size_t>(n));
    return argv0 ? argv0 : "";
}

}  // namespace

int main(int argc, char** argv)
{
    tarv_early_command_line early = tarv_read_early_command_line(argc, argv);
    if (early.mode == tarv_launch_mode::help) {
        std::fputs(tarv_usage_text().c_str(), stdout);
        return 0;
    }
    if (early.mode == tarv_launch_mode::version) {
        std::fputs(tarv_version_text().c_str(), stdout);
        return 0;
    }

    tarv_demo_world demo;
    if (early.demo) {
        std::string script = tarv_demo_world::find_script(executable_path(argv[0]));
        // Kept with the player's settings: the same key on every run.
        const char* home = std::getenv("HOME");
        std::string key_dir = home && *home ? std::string(home) + "/.Karthem/demo_world" : "";
        int port = script.empty() ? 0 : demo.start(script, 20000, key_dir);
        if (port <= 0) {
            std::fprintf(stderr, "tessel: the demo world could not be started%s.\n",
                         script.empty() ? " (demo_world.py is not installed)" : " (are python3 and openssl installed?)");
            return 1;
        }
        // Last, so that they win over any address given before.
        for (const char* arg : {"--host", "127.0.0.1", "--port"}) early.args.emplace_back(arg);
        early.args.push_back(std::to_string(port));
    }

    std::vector<char*> args;
    for (std::string& arg : early.args) args.push_back(arg.data());
    args.push_back(nullptr);
    int count = static_cast<int>(args.size()) - 1;
    int status = wxEntry(count, args.data());
    demo.stop();
    return status;
}
