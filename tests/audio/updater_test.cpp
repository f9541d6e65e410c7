#include "audio/file_manifest.h"
#include "audio/soundpack_updater.h"
#include "audio/updater.h"
#include "support/thread.h"

#include "common/http_test_server.h"
#include "common/log_capture.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <sys/inotify.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

std::string hash_of(const std::string& bytes)
{
    // Any text will do: the client only compares hashes.
    char text[48];
    std::snprintf(text, sizeof text, "%08x%08x%08x",
                  static_cast<unsigned>(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), bytes.size())),
                  static_cast<unsigned>(bytes.size()), 0xabcdefu);
    return text;
}

struct served_file {
    std::string name;
    std::string bytes;
};

struct UpdaterTest : ::testing::Test {
    LogCapture log{3};
    TestHttpServer server;
    TempDir local;

    std::string pack() const { return local / "soundpack"; }

    void publish_manifest(const std::string& text)
    {
        fs::create_directories(server.root() + "/soundpack");
        std::string path = server.root() + "/soundpack/file_manifest_audio.txt.gz";
        gzFile gz = gzopen(path.c_str(), "wb");
        ASSERT_NE(gz, nullptr);
        if (!text.empty()) gzwrite(gz, text.data(), static_cast<unsigned>(text.size()));
        gzclose(gz);
    }

    // Serves the files and a manifest listing them with their true sizes.
    void publish(const std::vector<served_file>& files, const std::string& extra_lines = "")
    {
        std::string manifest = "# sound pack\n\n";
        for (const served_file& f : files) {
            server.put("soundpack/" + f.name, f.bytes);
            char line[512];
            std::snprintf(line, sizeof line, "%s %d %s\n", hash_of(f.bytes).c_str(), static_cast<int>(f.bytes.size()),
                          f.name.c_str());
            manifest += line;
        }
        publish_manifest(manifest + extra_lines);
    }

    static void log_messages(qdu_updater& updater)
    {
        updater.set_message_callback([](void*, const char* text) { tarv_debug_log("%s\n", text); });
    }

    int run(qdu_updater& updater)
    {
        log_messages(updater);
        updater.set_wait_ms(2000);
        EXPECT_EQ(updater.set_destination_dir(pack().c_str()), 1);
        EXPECT_EQ(updater.set_temp_file((pack() + "/tmp/update.tmp").c_str()), 1);
        updater.load_manifest((pack() + "/update_manifest.lst").c_str());
        updater.load_exclude_list((pack() + "/update_exclude.lst").c_str());
        return updater.run_update(server.host_port().c_str(), "/soundpack", "file_manifest_audio.txt.gz");
    }

    int run()
    {
        qdu_updater updater;
        return run(updater);
    }

    int requests_for(const std::string& path) const
    {
        std::string all = server.requests();
        int n = 0;
        for (size_t at = all.find(path + "\n"); at != std::string::npos; at = all.find(path + "\n", at + 1))
            if (at == 0 || all[at - 1] == '\n') ++n;
        return n;
    }
};

TEST_F(UpdaterTest, FetchesEveryFileAndSavesTheManifestExactly)
{
    std::string rain(3000, 'r'), hit(70000, 'h');
    publish({{"rain drop.ogg", rain}, {"combat/hit.ogg", hit}});
    qdu_updater updater;
    ASSERT_EQ(run(updater), QDU_OK);
    EXPECT_EQ(updater.files_to_update(), 2);
    EXPECT_EQ(updater.updated(), 2);
    EXPECT_EQ(read_file(pack() + "/rain drop.ogg"), rain);
    EXPECT_EQ(read_file(pack() + "/combat/hit.ogg"), hit);
    EXPECT_EQ(requests_for("/soundpack/rain%20drop.ogg"), 1);
    // Entries are added at the front, so the later file comes first.
    EXPECT_EQ(read_file(pack() + "/update_manifest.lst"),
              "# This is an automatically generated file - do not modify\n"
              "# It contains a list of the files currently managed by the\n"
              "# updater.  Changing or deleting it may cause your next\n"
              "# update to download far more things than it needs.\n"
              "\n" +
                  hash_of(hit) + "      70000 combat/hit.ogg\n" + hash_of(rain) + "       3000 rain drop.ogg\n");
    EXPECT_TRUE(log.contains("2 files to update."));

    // Up to date: the next pass fetches only the manifest.
    qdu_updater again;
    ASSERT_EQ(run(again), QDU_OK);
    EXPECT_EQ(again.files_to_update(), 0);
    EXPECT_EQ(requests_for("/soundpack/combat/hit.ogg"), 1);
    EXPECT_EQ(requests_for("/soundpack/file_manifest_audio.txt.gz"), 2);
}

TEST_F(UpdaterTest, EmptyManifestIsASuccessWithNothingToDo)
{
    publish_manifest("");
    qdu_updater updater;
    EXPECT_EQ(run(updater), QDU_OK);
    EXPECT_EQ(updater.remote_records(), 0);
    EXPECT_EQ(updater.files_to_update(), 0);
    EXPECT_FALSE(fs::exists(pack() + "/update_manifest.lst"));
}

TEST_F(UpdaterTest, ExcludedNameIsNeverDownloaded)
{
    publish({{"a.ogg", "aaaa"}, {"mine.ogg", "server version"}});
    fs::create_directories(pack());
    std::FILE* f = std::fopen((pack() + "/update_exclude.lst").c_str(), "w");
    std::fputs("# my own sounds\n\n   mine.ogg\n", f);
    std::fclose(f);
    qdu_updater updater;
    ASSERT_EQ(run(updater), QDU_OK);
    EXPECT_EQ(updater.skipped(), 1);
    EXPECT_EQ(requests_for("/soundpack/mine.ogg"), 0);
    EXPECT_FALSE(fs::exists(pack() + "/mine.ogg"));
    EXPECT_TRUE(fs::exists(pack() + "/a.ogg"));
    EXPECT_TRUE(log.contains("Skipping file 'mine.ogg'."));
}

TEST_F(UpdaterTest, LocallyDeletedFileIsFetchedAgain)
{
    publish({{"a.ogg", "aaaa"}, {"b.ogg", "bbbb"}});
    ASSERT_EQ(run(), QDU_OK);
    fs::remove(pack() + "/b.ogg");
    qdu_updater updater;
    ASSERT_EQ(run(updater), QDU_OK);
    EXPECT_EQ(updater.files_to_update(), 1);
    EXPECT_EQ(read_file(pack() + "/b.ogg"), "bbbb");
    EXPECT_EQ(requests_for("/soundpack/b.ogg"), 2);
    EXPECT_EQ(requests_for("/soundpack/a.ogg"), 1);
}

TEST_F(UpdaterTest, ShortHashAbortsThePass)
{
    publish({{"a.ogg", "aaaa"}}, "abc123 4 b.ogg\n");
    qdu_updater updater;
    EXPECT_EQ(run(updater), QDU_NO_REMOTE_MANIFEST);
    EXPECT_EQ(requests_for("/soundpack/a.ogg"), 0);
    EXPECT_TRUE(log.contains("Syntax error in downloaded data - bad or missing hash field for line:\nabc123 4 b.ogg\n"));
    EXPECT_TRUE(log.contains("Error fetching update file 'file_manifest_audio.txt.gz' from remote server, aborting "
                             "update."));
}

TEST_F(UpdaterTest, FailedDownloadLeavesTheOldFileAndEntry)
{
    publish({{"a.ogg", "version one"}});
    ASSERT_EQ(run(), QDU_OK);
    std::string saved = read_file(pack() + "/update_manifest.lst");
    // A new version is announced, but the file is gone from the server.
    publish({{"a.ogg", "version two!"}});
    fs::remove(server.root() + "/soundpack/a.ogg");
    qdu_updater updater;
    EXPECT_EQ(run(updater), QDU_OK);
    EXPECT_EQ(updater.download_failures(), 1);
    EXPECT_EQ(read_file(pack() + "/a.ogg"), "version one");
    EXPECT_EQ(read_file(pack() + "/update_manifest.lst"), saved);
    EXPECT_TRUE(log.contains("Unable to update file 'a.ogg' - download failed."));

    // Once it is back, the new version is renamed onto the old one.
    server.put("soundpack/a.ogg", "version two!");
    ASSERT_EQ(run(), QDU_OK);
    EXPECT_EQ(read_file(pack() + "/a.ogg"), "version two!");
    EXPECT_NE(read_file(pack() + "/update_manifest.lst").find(hash_of("version two!")), std::string::npos);
}

TEST_F(UpdaterTest, NewVersionIsRenamedOntoTheOldWithoutDeletingIt)
{
    publish({{"a.ogg", "version one"}});
    ASSERT_EQ(run(), QDU_OK);
    publish({{"a.ogg", "version two!"}});
    // Watch the folder: a delete of a.ogg would be a moment with no sound.
    int watch = inotify_init1(IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, pack().c_str(), IN_DELETE | IN_MOVED_TO), 0);
    ASSERT_EQ(run(), QDU_OK);
    EXPECT_EQ(read_file(pack() + "/a.ogg"), "version two!");
    int deletes = 0, moves = 0;
    alignas(inotify_event) char events[8192];
    for (ssize_t n; (n = read(watch, events, sizeof events)) > 0;) {
        for (char* p = events; p < events + n;) {
            inotify_event* e = reinterpret_cast<inotify_event*>(p);
            if (e->len && std::string(e->name) == "a.ogg") {
                if (e->mask & IN_DELETE) ++deletes;
                if (e->mask & IN_MOVED_TO) ++moves;
            }
            p += sizeof(inotify_event) + e->len;
        }
    }
    close(watch);
    EXPECT_EQ(deletes, 0);
    EXPECT_EQ(moves, 1);
}

TEST_F(UpdaterTest, NamesThatLeaveTheSoundPackAreRefused)
{
    const char* bad[] = {"../escape.ogg", "/tmp/abs.ogg", "sub/../../up.ogg", "ctl\x01.ogg", "download.lck"};
    std::string lines;
    for (const char* name : bad) lines += hash_of("x") + " 1 " + name + "\n";
    publish({{"good.ogg", "fine"}}, lines);
    qdu_updater updater;
    ASSERT_EQ(run(updater), QDU_OK);
    EXPECT_EQ(updater.updated(), 1);
    EXPECT_EQ(updater.skipped(), 5);
    EXPECT_EQ(read_file(pack() + "/good.ogg"), "fine");
    EXPECT_FALSE(fs::exists(local / "escape.ogg"));
    EXPECT_FALSE(fs::exists(local / "up.ogg"));
    EXPECT_EQ(server.requests().find("escape"), std::string::npos);
    EXPECT_TRUE(log.contains("refusing unsafe file name '../escape.ogg'."));

    EXPECT_TRUE(qdu_safe_file_name("a/b c/..d.ogg"));
    EXPECT_FALSE(qdu_safe_file_name(".."));
    EXPECT_FALSE(qdu_safe_file_name(""));
}

TEST_F(UpdaterTest, TruncatedOrMisSizedFilesAreNotInstalled)
{
    publish({{"cut.ogg", "old cut"}, {"size.ogg", "old size"}});
    ASSERT_EQ(run(), QDU_OK);
    // The server now closes early on one file and lies about the other's size.
    std::string big(40000, 'n');
    server.put("soundpack/cut.ogg", big);
    server.put("soundpack/cut.ogg.short", "");
    server.put("soundpack/size.ogg", "new");
    publish_manifest(hash_of(big) + " 40000 cut.ogg\n" + hash_of("new") + " 999 size.ogg\n");
    qdu_updater updater;
    ASSERT_EQ(run(updater), QDU_OK);
    EXPECT_EQ(updater.updated(), 0);
    EXPECT_EQ(updater.download_failures(), 2);
    EXPECT_EQ(read_file(pack() + "/cut.ogg"), "old cut");
    EXPECT_EQ(read_file(pack() + "/size.ogg"), "old size");
    EXPECT_FALSE(fs::exists(pack() + "/tmp/update.tmp"));
    EXPECT_TRUE(log.contains("Unable to update file 'size.ogg' - size does not match the manifest."));
}

TEST_F(UpdaterTest, FailedManifestSaveEndsThePassAsAFailure)
{
    publish({{"a.ogg", "aaaa"}});
    qdu_updater updater;
    log_messages(updater);
    updater.set_wait_ms(2000);
    ASSERT_EQ(updater.set_destination_dir(pack().c_str()), 1);
    ASSERT_EQ(updater.set_temp_file((pack() + "/tmp/update.tmp").c_str()), 1);
    // A folder where the manifest should be: it cannot be written.
    std::string manifest = local / "manifest_is_a_folder";
    fs::create_directories(manifest + "/x");
    updater.load_manifest(manifest.c_str());
    EXPECT_EQ(updater.run_update(server.host_port().c_str(), "/soundpack", "file_manifest_audio.txt.gz"),
              QDU_MANIFEST_NOT_SAVED);
    EXPECT_TRUE(log.contains("Error - unable to save manifest file.  Bailing out."));
}

TEST_F(UpdaterTest, ManifestThatInflatesWithoutBoundIsRefused)
{
    // Comment lines only, but far more than any sound pack needs.
    fs::create_directories(server.root() + "/soundpack");
    gzFile gz = gzopen((server.root() + "/soundpack/file_manifest_audio.txt.gz").c_str(), "wb9");
    std::string block(1 << 20, '#');
    for (std::size_t i = 0; i < block.size(); i += 64) block[i] = '\n';
    for (int i = 0; i < 65; ++i) gzwrite(gz, block.data(), static_cast<unsigned>(block.size()));
    gzclose(gz);
    EXPECT_EQ(run(), QDU_NO_REMOTE_MANIFEST);
    EXPECT_TRUE(log.contains("manifest inflates beyond its limit."));
}

TEST(FileManifest, LinesAndHostPorts)
{
    LogCapture log;
    struct line_case {
        const char* line;
        int result;
        const char* name;
        int size;
    } cases[] = {
        {"", 0, "", 0},
        {"   # comment", 0, "", 0},
        {"\t0123456789abcdef   42   a name with  blanks.ogg", 1, "a name with  blanks.ogg", 42},
        {"0123456789 7 x.ogg\r", 1, "x.ogg", 7},
        {"0123456789 +7 x.ogg", 1, "x.ogg", 7},
        {"012345678g 7 x.ogg", -1, "", 0},
        {"012345678ABCDEF 7 x.ogg", -1, "", 0},
        {"0123456789XYZ 7 x.ogg", 1, "x.ogg", 7},
        {"0123456789 seven x.ogg", -1, "", 0},
        {"0123456789 -7 x.ogg", -1, "", 0},
        {"0123456789 7", -1, "", 0},
        {"0123456789 7   ", -1, "", 0},
    };
    for (const line_case& c : cases) {
        SCOPED_TRACE(c.line);
        qdu_manifest_entry e;
        ASSERT_EQ(qdu_file_manifest::parse_line(c.line, "file manifest", &e), c.result);
        if (c.result == 1) {
            EXPECT_EQ(e.name, c.name);
            EXPECT_EQ(e.size, c.size);
        }
    }
    EXPECT_TRUE(log.contains("Syntax error in file manifest - bad or missing file size for line:\n0123456789 seven"));
    EXPECT_TRUE(log.contains("Syntax error in file manifest - missing file name for line:\n0123456789 7\n"));

    struct host_case {
        const char* text;
        bool ok;
        const char* host;
        int port;
    } hosts[] = {{"www.karthem.net", true, "www.karthem.net", 80}, {"127.0.0.1:8123", true, "127.0.0.1", 8123},
                 {"h:65535", true, "h", 65535}, {"h:65536", false, "", 0}, {"h:0", false, "", 0},
                 {"h:", false, "", 0}, {":80", false, "", 0}, {"h:8x", false, "", 0},
                 {"a b", false, "", 0}, {"", false, "", 0}};
    for (const host_case& h : hosts) {
        std::string host;
        int port = 0;
        EXPECT_EQ(qdu_split_host_port(h.text, &host, &port), h.ok) << h.text;
        if (h.ok) {
            EXPECT_EQ(host, h.host);
            EXPECT_EQ(port, h.port);
        }
    }
}

TEST(FileManifest, SavesShortHashesWithAWarningAndLoadsBack)
{
    LogCapture log;
    TempDir dir;
    qdu_file_manifest m;
    m.put({"0123456789abcdef0123", 5, "b.ogg"});
    m.put({"0123456789", 12, "a b.ogg"});
    m.put({"0123456789", 13, "a b.ogg"});
    ASSERT_EQ(m.save_file((dir / "m.lst").c_str()), 1);
    EXPECT_TRUE(log.contains("Error in qdu_file_manifest::save_file(), file 'a b.ogg' had short hash len of 10.\n"));
    qdu_file_manifest back;
    ASSERT_EQ(back.load_file((dir / "m.lst").c_str()), 1);
    ASSERT_EQ(back.size(), 2);
    EXPECT_EQ(back.find("a b.ogg")->size, 13);
    EXPECT_EQ(back.entries().front().name, "a b.ogg");
    qdu_file_manifest none;
    EXPECT_EQ(none.load_file((dir / "none.lst").c_str()), 0);
}

struct UpdaterThreadTest : UpdaterTest {
    tarv_soundpack_updater_settings settings()
    {
        tarv_soundpack_updater_settings s;
        s.config_dir = local.path();
        s.host = server.host_port();
        s.start_delay_ms = 0;
        s.success_sleep_ms = 111;
        s.failure_sleep_ms = 222;
        s.wait_ms = 2000;
        return s;
    }
};

TEST_F(UpdaterThreadTest, PassSucceedsOrFailsWithItsSleep)
{
    publish({{"bell.ogg", "ding"}});
    EXPECT_EQ(tarv_soundpack_update_pass(settings()), 111);
    EXPECT_EQ(read_file(pack() + "/bell.ogg"), "ding");
    EXPECT_TRUE(log.contains("1/1 files successfully updated.\n"));
    EXPECT_TRUE(log.contains("Soundpack update success, sleeping six hours.\n"));

    tarv_soundpack_updater_settings offline = settings();
    offline.host = "127.0.0.1:1";
    EXPECT_EQ(tarv_soundpack_update_pass(offline), 222);
    EXPECT_TRUE(log.contains("Soundpack update failed?  Trying again in ten minutes.\n"));
}

TEST_F(UpdaterThreadTest, SecondProcessFindsTheLock)
{
    publish({{"bell.ogg", "ding"}});
    fs::create_directories(pack());
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    pid_t child = fork();
    if (child == 0) {
        int fd = tarv_lock_file((pack() + "/download.lck").c_str());
        char c = fd >= 0 ? 'y' : 'n';
        (void)!write(ready[1], &c, 1);
        (void)!read(release[0], &c, 1);
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    EXPECT_EQ(tarv_soundpack_update_pass(settings()), 222);
    EXPECT_TRUE(log.contains("Soundpack update already in progress, doing nothing.\n"));
    EXPECT_FALSE(fs::exists(pack() + "/bell.ogg"));
    (void)!write(release[1], "x", 1);
    waitpid(child, nullptr, 0);
    for (int fd : {ready[0], ready[1], release[0], release[1]}) close(fd);
    EXPECT_EQ(tarv_soundpack_update_pass(settings()), 111);
    EXPECT_TRUE(fs::exists(pack() + "/bell.ogg"));
}

TEST_F(UpdaterThreadTest, ThreadFetchesThePackInTheBackground)
{
    publish({{"bell.ogg", "ding"}});
    tarv_soundpack_updater_settings s = settings();
    s.success_sleep_ms = 3600000; // one pass is all this test needs
    ASSERT_EQ(tarv_soundpack_start_updater(s), 1);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!fs::exists(pack() + "/update_manifest.lst") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(read_file(pack() + "/bell.ogg"), "ding");
}

} // namespace
