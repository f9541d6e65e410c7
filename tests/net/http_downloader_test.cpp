#include "net/http_downloader.h"

#include "common/http_test_server.h"
#include "common/log_capture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

std::string binary_body(int n)
{
    std::string s(n, '\0');
    for (int i = 0; i < n; ++i) s[i] = static_cast<char>((i * 131 + i / 256) & 0xff);
    return s;
}

struct DownloaderTest : ::testing::Test {
    LogCapture log;
    TestHttpServer server;
    TempDir out;
    tarv_http_downloader downloader;

    void SetUp() override
    {
        ASSERT_EQ(downloader.set_connection("127.0.0.1", server.port(), 0), 1);
        downloader.set_wait_ms(2000);
    }
};

TEST_F(DownloaderTest, FileModeWritesExactlyTheBody)
{
    // Plain length, chunked and until-close bodies all land byte for byte.
    const char* modes[] = {"", ".chunked", ".nolength"};
    std::string body = binary_body(70000);
    for (const char* mode : modes) {
        SCOPED_TRACE(mode);
        std::string name = std::string("f") + mode + ".ogg";
        server.put(name, body);
        if (*mode) server.put(name + mode, "");
        std::string dest = out / name;
        ASSERT_EQ(downloader.download(server.host_port().c_str(), ("/" + name).c_str(), dest.c_str()), 1);
        EXPECT_EQ(read_file(dest), body);
        EXPECT_EQ(downloader.received(), 70000);
    }
    EXPECT_NE(server.requests().find("/f.ogg\n"), std::string::npos);
}

TEST_F(DownloaderTest, NotFoundCreatesNoFile)
{
    std::string dest = out / "missing.ogg";
    EXPECT_EQ(downloader.download("127.0.0.1", "/missing.ogg", dest.c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(dest));
    EXPECT_TRUE(log.contains("Warning in tarv_http_downloader::callback_message_received(), download failed for file '" +
                             dest + "'.  Aborting download."));
    EXPECT_TRUE(log.contains("Error in tarv_http_downloader::download(), http data fetch failed."));
}

TEST_F(DownloaderTest, ResetMidBodyRemovesThePartialFile)
{
    server.put("r.ogg", binary_body(200000));
    server.put("r.ogg.reset", "");
    std::string dest = out / "r.ogg";
    EXPECT_EQ(downloader.download("h", "/r.ogg", dest.c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(dest));
    EXPECT_TRUE(log.contains("blocking read failed, unknown file state.  Deleting file."));
}

TEST_F(DownloaderTest, OrderlyCloseBeforeTheLengthIsAFailure)
{
    server.put("s.ogg", binary_body(50000));
    server.put("s.ogg.short", "");
    std::string dest = out / "s.ogg";
    EXPECT_EQ(downloader.download("h", "/s.ogg", dest.c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(dest));
    EXPECT_TRUE(log.contains("connection closed before the whole response arrived."));
}

TEST_F(DownloaderTest, DataCallbackGetsTheBodyAndMayStopIt)
{
    std::string body = binary_body(30000);
    server.put("d.bin", body);
    struct sink {
        std::string got;
        int calls_left;
        int progress_calls = 0;
        int last_expected = 0;
    } s{"", 1000};
    downloader.set_user_data(&s);
    downloader.set_progress_callback([](void* u, int, int expected) {
        ++static_cast<sink*>(u)->progress_calls;
        static_cast<sink*>(u)->last_expected = expected;
    });
    downloader.set_data_callback([](void* u, const char* data, int n) {
        sink* k = static_cast<sink*>(u);
        if (k->calls_left-- <= 0) return 0;
        k->got.append(data, n);
        return 1;
    });
    ASSERT_EQ(downloader.download("h", "/d.bin"), 1);
    EXPECT_EQ(s.got, body);
    EXPECT_GE(s.progress_calls, 2);
    EXPECT_EQ(s.last_expected, 30000);

    // A file download is refused while a data callback is set.
    EXPECT_EQ(downloader.download("h", "/d.bin", (out / "x").c_str()), 0);
    EXPECT_TRUE(log.contains("attempt to do file based download after setting data callback."));

    s.got.clear();
    s.calls_left = 0;
    EXPECT_EQ(downloader.download("h", "/d.bin"), 0);
    EXPECT_TRUE(s.got.empty());
    EXPECT_TRUE(log.contains("Error in tarv_http_downloader::download(), http data fetch failed."));
}

TEST_F(DownloaderTest, LimitsAndRefusals)
{
    server.put("big.ogg", binary_body(5000));
    std::string dest = out / "big.ogg";
    downloader.set_max_body(4999);
    EXPECT_EQ(downloader.download("h", "/big.ogg", dest.c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(dest));
    downloader.set_max_body(-1);

    // A server that goes silent mid-body is given up after the idle limit.
    server.put("stall.ogg", binary_body(100));
    server.put("stall.ogg.stall", "");
    downloader.set_wait_ms(100);
    downloader.set_idle_limit_ms(300);
    EXPECT_EQ(downloader.download("h", "/stall.ogg", (out / "stall.ogg").c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(out / "stall.ogg"));
    EXPECT_TRUE(log.contains("server sent nothing for too long."));

    EXPECT_EQ(downloader.download(nullptr, "/x", dest.c_str()), 0);
    EXPECT_EQ(downloader.download("h", nullptr, dest.c_str()), 0);
    EXPECT_EQ(downloader.download("h", "/x", nullptr), 0);
    EXPECT_TRUE(log.contains("Error in tarv_http_downloader::download(), NULL destination file name."));
    EXPECT_EQ(downloader.set_connection(nullptr, 80, 0), 0);
    EXPECT_TRUE(log.contains("Error in tarv_http_downloader::set_connection(), NULL host name."));
}

TEST(Downloader, ConnectFailureIsReported)
{
    LogCapture log;
    TempDir out;
    // A port nobody listens on: bind one, note it, close it.
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    close(fd);
    tarv_http_downloader d;
    ASSERT_EQ(d.set_connection("127.0.0.1", ntohs(a.sin_port), 0), 1);
    EXPECT_EQ(d.download("h", "/x", (out / "x").c_str()), 0);
    EXPECT_TRUE(log.contains("Error in tarv_http_downloader::download(), connect failed."));
    EXPECT_FALSE(std::filesystem::exists(out / "x"));
}

} // namespace
