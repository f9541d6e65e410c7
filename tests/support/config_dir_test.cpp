#include "support/config_dir.h"

#include "support/text_buffer.h"

#include "common/log_capture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

mode_t mode_of(const std::string& path)
{
    struct stat st;
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return st.st_mode & 07777;
}

bool has_entries(const std::string& dir)
{
    return fs::directory_iterator(dir) != fs::directory_iterator();
}

}  // namespace

// Runs each test with HOME and the current directory inside a temp folder,
// and with a /tmp fallback name no other test run uses.
class ConfigDirTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (const char* home = std::getenv("HOME")) saved_home_ = home;
        saved_cwd_ = fs::current_path();
        fs::create_directory(home_);
        fs::create_directory(work_);
        setenv("HOME", home_.c_str(), 1);
        ASSERT_EQ(chdir(work_.c_str()), 0);
        fs::remove_all(tmp_fallback_);
    }
    void TearDown() override
    {
        EXPECT_EQ(chdir(saved_cwd_.c_str()), 0);
        if (saved_home_)
            setenv("HOME", saved_home_->c_str(), 1);
        else
            unsetenv("HOME");
        std::error_code ignored;
        fs::remove_all(tmp_fallback_, ignored);
    }

    // HOME names a regular file, so nothing can be created below it.
    void make_home_unusable()
    {
        std::ofstream(root_ / "not-a-dir") << "x";
        setenv("HOME", (root_ / "not-a-dir").c_str(), 1);
    }
    // The current directory is deleted under us: relative candidates fail.
    void make_cwd_unusable() { fs::remove(work_); }

    TempDir root_;
    std::string home_ = root_ / "home";
    std::string work_ = root_ / "work";
    std::string base_ = "tessel-cfg-test-" + std::to_string(getpid());
    std::string tmp_fallback_ = "/tmp/" + base_;
    std::optional<std::string> saved_home_;
    fs::path saved_cwd_;
};

TEST_F(ConfigDirTest, PrefersAHiddenFolderInHome)
{
    LogCapture log(3);
    ASSERT_EQ(tarv_client_set_up_config_directory(base_.c_str()), 1);
    std::string expected = home_ + "/." + base_;
    EXPECT_STREQ(tarv_client_get_config_directory(), expected.c_str());
    EXPECT_TRUE(fs::is_directory(expected));
    EXPECT_EQ(mode_of(expected), 0700u);
    EXPECT_FALSE(has_entries(expected));  // the write test leaves nothing behind
    std::string text = log.text();
    EXPECT_NE(text.find("Checking config directory: " + expected + "\n"), std::string::npos);
    EXPECT_NE(text.find("tarv_client_set_up_config_directory() - got final config directory '" + expected + "'\n"),
              std::string::npos);
}

TEST_F(ConfigDirTest, FallsBackToTheCurrentDirectoryWhenHomeIsUnusable)
{
    LogCapture log(3);
    make_home_unusable();
    ASSERT_EQ(tarv_client_set_up_config_directory(base_.c_str()), 1);
    EXPECT_STREQ(tarv_client_get_config_directory(), ("." + base_).c_str());
    EXPECT_TRUE(fs::is_directory(work_ + "/." + base_));
    EXPECT_NE(log.text().find("Checking config directory: " + root_.path() + "/not-a-dir/." + base_ + " [FAIL]\n"),
              std::string::npos);
}

TEST_F(ConfigDirTest, FallsBackToAPrivateFolderInTmp)
{
    make_home_unusable();
    make_cwd_unusable();
    ASSERT_EQ(tarv_client_set_up_config_directory(base_.c_str()), 1);
    EXPECT_STREQ(tarv_client_get_config_directory(), tmp_fallback_.c_str());
    EXPECT_EQ(mode_of(tmp_fallback_), 0700u);
}

// /tmp is shared: a fallback folder someone else could write to, or a link
// to elsewhere, is skipped; with every other candidate gone set-up fails.
TEST_F(ConfigDirTest, TmpFallbackMustBeOursAlone)
{
    struct Case {
        const char* what;
        void (*plant)(const std::string& path, const std::string& elsewhere);
        int expected;
        bool needs_root;
    };
    const Case cases[] = {
        {"existing private folder",
         [](const std::string& path, const std::string&) { fs::create_directory(path), chmod(path.c_str(), 0700); },
         1, false},
        {"world writable",
         [](const std::string& path, const std::string&) { fs::create_directory(path), chmod(path.c_str(), 0777); },
         0, false},
        {"group writable",
         [](const std::string& path, const std::string&) { fs::create_directory(path), chmod(path.c_str(), 0770); },
         0, false},
        {"link to a private folder",
         [](const std::string& path, const std::string& elsewhere) {
             fs::create_directory(elsewhere);
             chmod(elsewhere.c_str(), 0700);
             fs::create_directory_symlink(elsewhere, path);
         },
         0, false},
        {"foreign owner",
         [](const std::string& path, const std::string&) {
             fs::create_directory(path);
             chmod(path.c_str(), 0700);
             ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
         },
         0, true},
    };
    make_home_unusable();
    make_cwd_unusable();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needs_root && geteuid() != 0) continue;  // only root can hand a folder to another user
        fs::remove_all(tmp_fallback_);
        std::string elsewhere = root_ / "elsewhere";
        fs::remove_all(elsewhere);
        c.plant(tmp_fallback_, elsewhere);
        LogCapture log;
        EXPECT_EQ(tarv_client_set_up_config_directory(base_.c_str()), c.expected);
        if (c.expected == 0) {
            EXPECT_NE(log.text().find("tarv_client_set_up_config_directory() - Giving up.  Cannot create config "
                                      "directory.\n"),
                      std::string::npos);
            if (fs::is_directory(elsewhere)) {
                EXPECT_FALSE(has_entries(elsewhere));
            }
        }
        EXPECT_FALSE(fs::exists(tmp_fallback_ + "/xx-rw-test.qqq"));
    }
}

TEST_F(ConfigDirTest, WithoutHomeNoCandidateIsTried)
{
    LogCapture log;
    unsetenv("HOME");
    EXPECT_EQ(tarv_client_set_up_config_directory(base_.c_str()), 0);
    EXPECT_NE(log.text().find("Error in tarv_client_set_up_config_directory(), unable to fetch home directory - "
                              "please set HOME environment variable and restart.\n"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(work_ + "/." + base_));
}

TEST_F(ConfigDirTest, MissingOrEmptyBaseNameFails)
{
    EXPECT_EQ(tarv_client_set_up_config_directory(nullptr), 0);
    EXPECT_EQ(tarv_client_set_up_config_directory(""), 0);
    EXPECT_FALSE(has_entries(home_));
    EXPECT_FALSE(has_entries(work_));
}

TEST_F(ConfigDirTest, SecondSetUpLogsTheChangeAndReplacesThePath)
{
    ASSERT_EQ(tarv_client_set_up_config_directory(base_.c_str()), 1);
    std::string first = tarv_client_get_config_directory();

    std::string other_home = root_ / "other";
    fs::create_directory(other_home);
    setenv("HOME", other_home.c_str(), 1);
    LogCapture log(3);
    ASSERT_EQ(tarv_client_set_up_config_directory(base_.c_str()), 1);
    EXPECT_STREQ(tarv_client_get_config_directory(), (other_home + "/." + base_).c_str());
    std::string text = log.text();
    EXPECT_NE(text.find("Error in tarv_client_set_up_config_directory(), attempt to change config directory path "
                        "after initial configuration.\nOld path '" +
                        first + "', new base name '" + base_ + "'\n"),
              std::string::npos);
}

TEST(RecursiveMkdir, CreatesEveryComponentFollowedByASeparator)
{
    struct Case {
        const char* path;
        std::vector<const char*> created;
        std::vector<const char*> absent;
    };
    const Case cases[] = {
        {"a/b/c", {"a", "a/b"}, {"a/b/c"}},
        {"a//b/", {"a", "a/b"}, {"a/b/b"}},
        {"x\\y\\z", {"x", "x/y"}, {"x/y/z", "x\\y"}},
        {"p/q/", {"p", "p/q"}, {}},
        {"lone", {}, {"lone"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        TempDir dir;
        std::string saved = fs::current_path();
        ASSERT_EQ(chdir(dir.path().c_str()), 0);
        int result = tarv_recursive_mkdir(c.path, 0700, nullptr);
        ASSERT_EQ(chdir(saved.c_str()), 0);
        EXPECT_EQ(result, 1);
        for (const char* name : c.created) EXPECT_TRUE(fs::is_directory(dir / name)) << name;
        for (const char* name : c.absent) EXPECT_FALSE(fs::exists(dir / name)) << name;
    }
}

TEST(RecursiveMkdir, AbsolutePathsStayAbsolute)
{
    TempDir dir;
    std::string path = dir.path() + "//deep/er/file.txt";
    EXPECT_EQ(tarv_recursive_mkdir(path.c_str(), 0700, nullptr), 1);
    EXPECT_TRUE(fs::is_directory(dir / "deep/er"));
    EXPECT_FALSE(fs::exists(dir / "deep/er/file.txt"));
}

TEST(RecursiveMkdir, FailureNamesTheComponentThatFailed)
{
    TempDir dir;
    std::ofstream(dir / "file") << "x";
    std::string path = dir.path() + "/file/sub/";
    tarv_text_buffer error_text;
    error_text.assign("cannot create ");
    EXPECT_EQ(tarv_recursive_mkdir(path.c_str(), 0700, &error_text), 0);
    EXPECT_EQ(std::string(error_text.c_str()), "cannot create " + dir.path() + "/file/sub");

    LogCapture log;
    EXPECT_EQ(tarv_recursive_mkdir(nullptr, 0700, nullptr), 0);
    EXPECT_EQ(log.text(), "Error in tarv_recursive_mkdir(), NULL path.\n");
}

TEST(RecursiveMkdir, OverlongPathFailsInsteadOfCreatingACutOne)
{
    TempDir dir;
    std::string path = dir.path() + "/" + std::string(tarv_text_buffer::max_length, 'a') + "/";
    tarv_text_buffer error_text;
    EXPECT_EQ(tarv_recursive_mkdir(path.c_str(), 0700, &error_text), 0);
    EXPECT_FALSE(has_entries(dir.path()));
}

TEST(WriteableDirectory, CreatesTheFolderPrivateAndLeavesNoTestFile)
{
    TempDir dir;
    std::string path = dir / "one/two";
    EXPECT_EQ(tarv_create_and_check_writeable_directory(path.c_str(), 0755, nullptr), 1);
    EXPECT_EQ(mode_of(path), 0700u);  // the mode argument is ignored
    EXPECT_FALSE(has_entries(path));
}

TEST(WriteableDirectory, EmptyPathTestsTheCurrentDirectory)
{
    TempDir dir;
    std::string saved = fs::current_path();
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    int writable = tarv_create_and_check_writeable_directory("", 0700, nullptr);
    fs::remove(dir.path());
    tarv_text_buffer error_text;
    int gone = tarv_create_and_check_writeable_directory("", 0700, &error_text);
    ASSERT_EQ(chdir(saved.c_str()), 0);
    fs::create_directory(dir.path());
    EXPECT_EQ(writable, 1);
    EXPECT_EQ(gone, 0);
    EXPECT_STREQ(error_text.c_str(), "xx-rw-test.qqq");
}

TEST(WriteableDirectory, PlantedTestFileLinkIsNotFollowed)
{
    TempDir dir;
    std::string victim = dir / "victim.txt";
    std::ofstream(victim) << "keep\n";
    fs::create_directory(dir / "cfg");
    fs::create_symlink(victim, dir / "cfg/xx-rw-test.qqq");
    tarv_text_buffer error_text;
    EXPECT_EQ(tarv_create_and_check_writeable_directory((dir / "cfg").c_str(), 0700, &error_text), 0);
    EXPECT_EQ(read_file(victim), "keep\n");
    EXPECT_EQ(std::string(error_text.c_str()), dir / "cfg/xx-rw-test.qqq");
}

TEST(WriteableDirectory, NullPathIsRefused)
{
    LogCapture log;
    EXPECT_EQ(tarv_create_and_check_writeable_directory(nullptr, 0700, nullptr), 0);
    EXPECT_EQ(tarv_client_check_config_directory(nullptr), 0);
    EXPECT_EQ(log.text(),
              "Error in tarv_create_and_check_writeable_directory(), NULL path.\n"
              "Error in tarv_create_and_check_writeable_directory(), NULL path.\n");
}
