#include "app/startup.h"

#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

tarv_launch_options parse(std::vector<const char*> args)
{
    args.insert(args.begin(), "tessel");
    return tarv_parse_command_line(static_cast<int>(args.size()), args.data());
}

struct launcher_case {
    std::vector<const char*> args;
    std::string expected;
};

TEST(CommandLine, LauncherVersion)
{
    const std::string long_version(300, 'v');
    const launcher_case cases[] = {
        {{"-l", "2.5"}, "2.5"},
        {{"-L", "3.1"}, "3.1"},
        {{"-n"}, "(old style launcher)"},
        {{"-x"}, "unchanged"},
        {{"-l"}, "unchanged"},
        {{"-l", long_version.c_str()}, std::string(256, 'v')},
        {{"-n", "-l", "4.0"}, "4.0"},
    };
    for (const auto& c : cases) {
        std::strcpy(launcher_version, "unchanged");
        parse(c.args);
        EXPECT_EQ(launcher_version, c.expected) << "first arg " << (c.args.empty() ? "" : c.args[0]);
    }
}

TEST(CommandLine, HostAndPortOverrides)
{
    auto line = parse({"--host", "127.0.0.1", "--soundpack-host", "127.0.0.1:8123", "--port", "4000"});
    EXPECT_EQ(line.host, "127.0.0.1");
    EXPECT_EQ(line.port, 4000);
    EXPECT_EQ(line.soundpack_host, "127.0.0.1:8123");

    EXPECT_EQ(parse({"--port", "0"}).port, 0);
    EXPECT_EQ(parse({"--port", "70000"}).port, 0);
    EXPECT_EQ(parse({"--port", "abc"}).port, 0);
    EXPECT_EQ(parse({"--host"}).host, "");
    EXPECT_EQ(parse({"--ca-file", "/tmp/test-ca.pem", "--port", "4000"}).ca_file, "/tmp/test-ca.pem");
    // The launcher flag takes the next word even when it looks like an option.
    std::strcpy(launcher_version, "");
    EXPECT_EQ(parse({"-l", "--host", "x"}).host, "");
    EXPECT_STREQ(launcher_version, "--host");
}

TEST(ShutdownSignals, RecordedOnceAndTakenByTheTick)
{
    tarv_install_shutdown_signals();
    EXPECT_EQ(tarv_take_shutdown_signal(), 0);
    std::raise(SIGTERM);
    EXPECT_EQ(tarv_take_shutdown_signal(), SIGTERM);
    EXPECT_EQ(tarv_take_shutdown_signal(), 0);
    std::raise(SIGHUP);
    EXPECT_EQ(tarv_take_shutdown_signal(), SIGHUP);
}

}  // namespace
