#include "support/debug_log.h"

#include "common/log_capture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(DebugLog, DefaultLevelSkipsTracesAndCreatesTheFileOnlyOnTheFirstLine)
{
    LogCapture log;  // level 1
    EXPECT_EQ(tarv_debug_level, 1);
    TARV_LOG(2, "DEBUG - trace %d\n", 2);
    TARV_LOG(3, "verbose %d\n", 3);
    EXPECT_FALSE(fs::exists(log.path()));
    EXPECT_FALSE(tarv_client_debug_logfile_is_open());

    TARV_LOG(1, "Warning in x::y(), %s %d", "bad", 7);
    TARV_LOG(1, "!\n");
    EXPECT_TRUE(tarv_client_debug_logfile_is_open());
    // Written exactly as formatted: no prefix, no added newline.
    EXPECT_EQ(log.text(), "Warning in x::y(), bad 7!\n");
}

TEST(DebugLog, LevelThreeAnnouncesTheOpenedFileFirst)
{
    LogCapture log(3);
    TARV_LOG(3, "line\n");
    EXPECT_EQ(log.text(), "tarv_client_try_open_debug_logfile() opened logfile '" + log.path() + "'\nline\n");
}

TEST(DebugLog, NegativeLevelWritesNothingAndLargeLevelWritesEverything)
{
    {
        LogCapture log(-1);
        TARV_LOG(1, "error\n");
        tarv_debug_log_flagged("flagged", 1, 1);
        EXPECT_FALSE(fs::exists(log.path()));
    }
    {
        LogCapture log(9);
        tarv_debug_log_flagged("verbose", LOG_CLASS_VERBOSE, 1);
        EXPECT_NE(log.text().find("verbose\n"), std::string::npos);
    }
}

TEST(DebugLog, FlaggedWriterFiltersByClassBits)
{
    struct Case {
        unsigned bits;
        int level;
        bool written;
    };
    const Case cases[] = {
        {0x100, 3, true}, {0x100, 2, false}, {0x2, 1, true},   {0x2, 0, false}, {0x0, 3, false},
        {0x80, 1, true},  {0x1, 1, true},    {0x104, 2, false}, {0x104, 3, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "bits " << c.bits << " level " << c.level);
        LogCapture log(c.level);
        tarv_debug_log_flagged("some text", c.bits, 42);
        std::string text = log.text();
        // Strip the open announcement that level 3 adds.
        auto pos = text.find("some text");
        if (c.written) {
            ASSERT_NE(pos, std::string::npos);
            EXPECT_EQ(text.substr(pos), "some text\n");
        } else {
            EXPECT_EQ(pos, std::string::npos);
        }
    }
}

TEST(DebugLog, RenamingWhileOpenIsRefusedAndTheOldFileStaysInUse)
{
    LogCapture log;
    TARV_LOG(1, "first\n");
    std::string other = log.dir() / "other.log";
    tarv_client_set_debug_logfile_name(other.c_str());
    tarv_client_set_autoopen_debug_logfile_name("other-auto.log");
    tarv_client_try_open_debug_logfile();
    TARV_LOG(1, "second\n");
    EXPECT_EQ(log.text(),
              "first\n"
              "Error in tarv_client_set_debug_logfile_name(), logfile already open.\n"
              "Error in tarv_client_set_autoopen_debug_logfile_name(), logfile already open.\n"
              "Error in tarv_client_try_open_debug_logfile(), logfile already open.\n"
              "second\n");
    EXPECT_FALSE(fs::exists(other));
    EXPECT_STREQ(tarv_client_get_debug_logfile_name(), log.path().c_str());
}

TEST(DebugLog, FailedOpenIsNotRetriedUntilANameIsSetAgain)
{
    LogCapture log;
    std::string folder = log.dir() / "later";
    std::string path = folder + "/debug.log";
    tarv_client_set_debug_logfile_name(path.c_str());
    TARV_LOG(1, "lost\n");
    EXPECT_TRUE(tarv_client_debug_logfile_open_failed());
    EXPECT_FALSE(tarv_client_debug_logfile_is_open());

    fs::create_directory(folder);
    TARV_LOG(1, "still lost\n");
    EXPECT_TRUE(tarv_client_debug_logfile_open_failed());
    EXPECT_FALSE(fs::exists(path));

    tarv_client_set_debug_logfile_name(path.c_str());
    EXPECT_FALSE(tarv_client_debug_logfile_open_failed());
    TARV_LOG(1, "kept\n");
    EXPECT_EQ(read_file(path), "kept\n");
}

TEST(DebugLog, CloseStopsLoggingUntilANewNameIsSet)
{
    LogCapture log;
    TARV_LOG(1, "one\n");
    tarv_client_debug_logfile_close();
    EXPECT_FALSE(tarv_client_debug_logfile_is_open());
    EXPECT_EQ(tarv_client_get_debug_logfile_name(), nullptr);
    TARV_LOG(1, "dropped\n");
    EXPECT_FALSE(tarv_client_debug_logfile_is_open());

    // Appends across reopenings, as across runs.
    tarv_client_set_debug_logfile_name(log.path().c_str());
    TARV_LOG(1, "two\n");
    EXPECT_EQ(log.text(), "one\ntwo\n");
}

TEST(DebugLog, AutoOpenNameLivesInTmp)
{
    std::string name = "tessel-log-test-" + std::to_string(getpid()) + ".txt";
    std::string expected = "/tmp/" + name;
    fs::remove(expected);
    reset_debug_log();
    tarv_client_set_autoopen_debug_logfile_name(name.c_str());
    const char* path = tarv_client_get_debug_logfile_name();
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(std::string(path), expected);
    EXPECT_TRUE(tarv_client_debug_logfile_is_open());
    reset_debug_log();
    fs::remove(expected);
}

TEST(DebugLog, NewFileIsPrivateToItsOwner)
{
    LogCapture log;
    mode_t old_mask = umask(0);
    TARV_LOG(1, "x\n");
    umask(old_mask);
    struct stat st;
    ASSERT_EQ(stat(log.path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

// Anything another local user could plant at the log path must switch
// logging off rather than be written through.
TEST(DebugLog, RefusesPlantedPaths)
{
    struct Case {
        const char* what;
        void (*plant)(const std::string& path, const std::string& victim);
        bool needs_root;
    };
    const Case cases[] = {
        {"symlink", [](const std::string& path, const std::string& victim) { fs::create_symlink(victim, path); },
         false},
        {"hard link", [](const std::string& path, const std::string& victim) { fs::create_hard_link(victim, path); },
         false},
        {"fifo", [](const std::string& path, const std::string&) { ASSERT_EQ(mkfifo(path.c_str(), 0666), 0); },
         false},
        {"directory", [](const std::string& path, const std::string&) { fs::create_directory(path); }, false},
        {"foreign owner",
         [](const std::string& path, const std::string&) {
             std::ofstream(path) << "theirs\n";
             ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
             chmod(path.c_str(), 0666);
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needs_root && geteuid() != 0) continue;  // only root can hand a file to another user
        TempDir dir;
        std::string path = dir / "planted.log";
        std::string victim = dir / "victim.txt";
        std::ofstream(victim) << "keep\n";
        c.plant(path, victim);
        reset_debug_log();
        tarv_client_set_debug_logfile_name(path.c_str());
        TARV_LOG(1, "secret\n");
        EXPECT_TRUE(tarv_client_debug_logfile_open_failed());
        EXPECT_FALSE(tarv_client_debug_logfile_is_open());
        EXPECT_EQ(read_file(victim), "keep\n");
        if (fs::is_regular_file(fs::symlink_status(path))) {
            EXPECT_EQ(read_file(path).find("secret"), std::string::npos);
        }
        reset_debug_log();
    }
}

// The debug-file command: remember the name, close, try the new file, and
// fall back to the remembered name when the new one cannot be opened.
TEST(DebugLog, RememberedNameSurvivesCloseAndRename)
{
    LogCapture log;
    TARV_LOG(1, "before\n");
    const char* remembered = tarv_client_get_debug_logfile_name();
    tarv_client_debug_logfile_close();
    std::string bad = log.dir() / "missing/debug.log";
    tarv_client_set_debug_logfile_name(bad.c_str());
    ASSERT_TRUE(tarv_client_debug_logfile_open_failed());
    ASSERT_NE(remembered, nullptr);
    EXPECT_EQ(std::string(remembered), log.path());
    tarv_client_set_debug_logfile_name(remembered);
    EXPECT_FALSE(tarv_client_debug_logfile_open_failed());
    TARV_LOG(1, "after\n");
    EXPECT_EQ(log.text(), "before\nafter\n");
}
