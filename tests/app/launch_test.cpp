#include "app/launch.h"
#include "common/log_capture.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

tarv_early_command_line read(std::vector<const char*> args)
{
    args.insert(args.begin(), "tessel");
    return tarv_read_early_command_line(static_cast<int>(args.size()), args.data());
}

struct early_case {
    std::vector<const char*> args;
    tarv_launch_mode mode;
    bool demo;
    std::vector<std::string> passed;  // after the program name
};

TEST(EarlyCommandLine, HelpVersionAndDemoAreFoundButNeverInAnOptionsValue)
{
    using m = tarv_launch_mode;
    const early_case cases[] = {
        {{}, m::play, false, {}},
        {{"--help"}, m::help, false, {"--help"}},
        {{"-h"}, m::help, false, {"-h"}},
        {{"--version"}, m::version, false, {"--version"}},
        {{"--port", "4000", "--version", "--help"}, m::version, false, {"--port", "4000", "--version", "--help"}},
        {{"-l", "--help"}, m::play, false, {"-l", "--help"}},
        {{"--host", "--version"}, m::play, false, {"--host", "--version"}},
        {{"--ca-file", "--demo"}, m::play, false, {"--ca-file", "--demo"}},
        {{"--demo", "-n", "--help"}, m::help, true, {"-n", "--help"}},
        {{"--host", "x", "--demo", "--port", "5"}, m::play, true, {"--host", "x", "--port", "5"}},
        {{"--helpme", "version"}, m::play, false, {"--helpme", "version"}},
    };
    for (const early_case& c : cases) {
        std::string trace;
        for (const char* a : c.args) trace += std::string(a) + " ";
        SCOPED_TRACE(trace);
        tarv_early_command_line r = read(c.args);
        EXPECT_EQ(r.mode, c.mode);
        EXPECT_EQ(r.demo, c.demo);
        std::vector<std::string> expected{"tessel"};
        expected.insert(expected.end(), c.passed.begin(), c.passed.end());
        EXPECT_EQ(r.args, expected);
    }
}

TEST(EarlyCommandLine, UsageNamesEveryOptionAndVersionTheProgram)
{
    std::string usage = tarv_usage_text();
    EXPECT_EQ(usage.rfind("Usage: tessel", 0), 0u);
    for (const char* option : {"--host NAME", "--port N", "--soundpack-host HOST[:PORT]", "--demo", "--ca-file FILE",
                               "-l VERSION", "-n ", "--help", "--version"})
        EXPECT_NE(usage.find(std::string("  ") + option), std::string::npos) << option;
    EXPECT_EQ(tarv_version_text(), std::string("tessel ") + TESSEL_VERSION + " (Karthem client version 1.095-gtk-test2)\n");
}

TEST(DemoWorld, ScriptIsFoundBesideTheInstalledProgramFirst)
{
    TempDir dir;
    ASSERT_EQ(mkdir((dir / "bin").c_str(), 0700), 0);
    ASSERT_EQ(mkdir((dir / "share").c_str(), 0700), 0);
    ASSERT_EQ(mkdir((dir / "share/tessel").c_str(), 0700), 0);
    std::ofstream(dir / "share/tessel/demo_world.py") << "# demo\n";
    EXPECT_EQ(tarv_demo_world::find_script(dir / "bin/tessel"), dir / "share/tessel/demo_world.py");
    // Not installed: the source tree's copy.
    std::string fallback = tarv_demo_world::find_script("/nonexistent/bin/tessel");
    EXPECT_EQ(fallback, std::string(TESSEL_TEST_DATA) + "/e2e/demo_world.py");
}

bool accepts_connections(int port)
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(fd);
    return ok;
}

TEST(DemoWorld, StartsOnAFreePortAndStopsForGood)
{
    LogCapture log(1);
    tarv_demo_world demo;
    int port = demo.start(std::string(TESSEL_TEST_DATA) + "/e2e/demo_world.py", 20000);
    ASSERT_GT(port, 0) << log.text();
    pid_t pid = demo.pid();
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(accepts_connections(port));
    demo.stop();
    EXPECT_EQ(demo.pid(), -1);
    // Reaped and gone: no such process any more.
    EXPECT_EQ(kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
    EXPECT_FALSE(accepts_connections(port));
}

std::string file_text(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(DemoWorld, KeyFolderKeepsTheSameKeyForTheNextRun)
{
    LogCapture log(1);
    TempDir dir;
    const std::string keys = dir / "demo_world";
    const std::string script = std::string(TESSEL_TEST_DATA) + "/e2e/demo_world.py";
    tarv_demo_world demo;
    ASSERT_GT(demo.start(script, 20000, keys), 0) << log.text();
    demo.stop();
    const std::string key = file_text(keys + "/key.pem");
    ASSERT_NE(key.find("PRIVATE KEY"), std::string::npos);
    struct stat st {};
    ASSERT_EQ(stat(keys.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u);
    ASSERT_GT(demo.start(script, 20000, keys), 0) << log.text();
    demo.stop();
    EXPECT_EQ(file_text(keys + "/key.pem"), key);
}

TEST(DemoWorld, ScriptThatCannotRunGivesNoPort)
{
    LogCapture log(1);
    TempDir dir;
    std::ofstream(dir / "broken.py") << "import sys\nsys.exit(3)\n";
    tarv_demo_world demo;
    EXPECT_EQ(demo.start(dir / "broken.py", 20000), 0);
    EXPECT_EQ(demo.pid(), -1);
    EXPECT_NE(log.text().find("Error in tarv_demo_world::start()"), std::string::npos) << log.text();
}

}  // namespace
