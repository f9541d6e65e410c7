#include "support/thread.h"

#include "common/log_capture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>

#include <csignal>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void fulfil(void* argument)
{
    static_cast<std::promise<std::string>*>(argument)->set_value("ran");
}

// Whether another process can take the lock right now.
bool other_process_can_lock(const std::string& path)
{
    pid_t child = fork();
    if (child == 0) {
        int fd = tarv_lock_file(path.c_str());
        _exit(fd >= 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

TEST(Thread, RunsTheFunctionWithItsArgument)
{
    std::promise<std::string> promise;
    auto result = promise.get_future();
    EXPECT_EQ(tarv_thread_create("worker", fulfil, &promise), 1);
    ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_EQ(result.get(), "ran");
}

TEST(Thread, MissingFunctionFails)
{
    LogCapture log;
    EXPECT_EQ(tarv_thread_create("worker", nullptr, nullptr), 0);
    EXPECT_EQ(log.text(), "Error in tarv_thread_create(), thread create failed?\n");
}

TEST(Thread, SleepWaitsAtLeastTheGivenTime)
{
    auto start = std::chrono::steady_clock::now();
    tarv_sleep_ms(1030);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1030));
    tarv_sleep_ms(-5);  // returns at once
}

TEST(LockFile, ExcludesOtherProcessesUntilUnlocked)
{
    TempDir dir;
    std::string path = dir / "download.lck";
    int fd = tarv_lock_file(path.c_str());
    ASSERT_GE(fd, 0);
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_FALSE(other_process_can_lock(path));

    EXPECT_EQ(tarv_unlock_file(fd), 1);
    EXPECT_TRUE(other_process_can_lock(path));
}

TEST(LockFile, BadArgumentsFail)
{
    TempDir dir;
    EXPECT_EQ(tarv_lock_file(nullptr), -1);
    EXPECT_EQ(tarv_lock_file((dir / "no/such/dir/lock").c_str()), -1);
    EXPECT_EQ(tarv_unlock_file(-1), 0);
}

TEST(Thread, ExitAfterEndsAProcessThatWouldRunOnWithItsStatus)
{
    for (int wanted : {0, 7}) {
        pid_t child = fork();
        if (child == 0) {
            tarv_exit_after(20, wanted);
            for (;;) pause();  // a main loop that never ends by itself
        }
        ASSERT_GT(child, 0);
        int status = 0;
        pid_t done = 0;
        for (int i = 0; i < 1000 && done == 0; ++i) {
            done = waitpid(child, &status, WNOHANG);
            if (done == 0) tarv_sleep_ms(10);
        }
        if (done == 0) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
        }
        EXPECT_EQ(done, child) << "still running after 10 s";
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), wanted);
    }
}
