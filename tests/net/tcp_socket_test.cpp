#include "net/net_error.h"
#include "net/tcp_socket.h"
#include "common/log_capture.h"
#include "loopback.h"

#include <gtest/gtest.h>

#include <fcntl.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace {

using loopback::listener;
using loopback::tls_server_context;

class TcpSocket : public ::testing::Test {
protected:
    void SetUp() override
    {
        loopback::ignore_sigpipe();
        ASSERT_EQ(tarv_ssl_startup(), 1);
    }
};

// Reads until the connection ends; returns the bytes and leaves the final
// result in *last.
std::string read_until_end(tarv_tcp_socket& s, int* last)
{
    std::string out;
    char buffer[10000];
    for (int i = 0; i < 1000; ++i) {
        int n = s.read_with_timeout(buffer, sizeof buffer, 2000);
        *last = n;
        if (n < 0) break;
        out.append(buffer, static_cast<size_t>(n));
    }
    return out;
}

TEST_F(TcpSocket, FreshSocketIsUnconnectedAndRefusesIo)
{
    tarv_tcp_socket s;
    EXPECT_EQ(s.get_state(), SOCKET_UNCONNECTED);
    char buffer[16];
    EXPECT_EQ(s.nonblocking_read(buffer, sizeof buffer), -1);
    EXPECT_EQ(s.read_error(), NET_ERR_NOT_CONNECTED);
    EXPECT_EQ(s.read_with_timeout(buffer, sizeof buffer, 0), -1);
    EXPECT_EQ(s.nonblocking_write("x", 1), -1);
    EXPECT_EQ(s.write_error(), NET_ERR_NOT_CONNECTED);
    EXPECT_EQ(s.write_with_timeout("x", 1, 0), -1);
    EXPECT_EQ(s.write_error(), NET_ERR_NOT_CONNECTED);
}

TEST_F(TcpSocket, ConnectToClosedPortFailsRefusedAndLeavesSocketReusable)
{
    for (bool tls : {false, true}) {
        SCOPED_TRACE(tls);
        tarv_tcp_socket s;
        if (tls) s.enable_ssl();
        EXPECT_EQ(s.connect_with_timeout(loopback::address_of(loopback::closed_port()), loopback::closed_port(), 5000),
                  -1);
        EXPECT_TRUE(s.write_error() == NET_ERR_REFUSED || s.write_error() == NET_ERR_TIMEOUT) << s.write_error();
        EXPECT_EQ(s.get_state(), SOCKET_UNCONNECTED);
        EXPECT_EQ(s.descriptor(), -1);

        // The same object connects afterwards.
        listener server([](int fd) { close(fd); });
        int r = s.connect_with_timeout(server.address(), server.port(), 5000);
        if (!tls) {
            EXPECT_EQ(r, 1);
        }
        s.close_socket();
    }
}

TEST_F(TcpSocket, PlainRoundTripAndSecondConnectIsRefusedWithoutHarm)
{
    listener server([](int fd) {
        char buffer[64];
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) loopback::write_all(fd, "echo:" + std::string(buffer, static_cast<size_t>(n)));
        loopback::read_all(fd);
        close(fd);
    });
    tarv_tcp_socket s;
    ASSERT_EQ(s.connect_with_timeout(server.address(), server.port(), 5000), 1);
    EXPECT_EQ(s.get_state(), SOCKET_CONNECTED);

    EXPECT_EQ(s.start_nonblocking_connect(server.address(), server.port()), -1);
    EXPECT_EQ(s.write_error(), NET_ERR_IS_CONNECTED);
    EXPECT_EQ(s.get_state(), SOCKET_CONNECTED);
    EXPECT_EQ(s.enable_ssl(), 0);
    EXPECT_EQ(s.disable_ssl(), 0);

    EXPECT_EQ(s.write_with_timeout("hi", 2, 2000), 2);
    char buffer[64];
    int n = s.read_with_timeout(buffer, sizeof buffer, 3000);
    ASSERT_GT(n, 0);
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(n)), "echo:hi");
    s.close_socket();
    EXPECT_EQ(s.get_state(), SOCKET_UNCONNECTED);
}

TEST_F(TcpSocket, ReadWithZeroTimeoutReturnsAtOnceWhenNothingWaits)
{
    for (bool tls : {false, true}) {
        SCOPED_TRACE(tls);
        tls_server_context ctx;
        listener server([&](int fd) {
            SSL* ssl = tls ? ctx.accept(fd) : nullptr;
            loopback::read_all(fd, 3000);
            if (ssl) SSL_free(ssl);
            close(fd);
        });
        tarv_tcp_socket s;
        if (tls) s.enable_ssl();
        ASSERT_EQ(s.connect_with_timeout(server.address(), server.port(), 5000), 1);
        char buffer[16];
        EXPECT_EQ(s.read_with_timeout(buffer, sizeof buffer, 0), 0);
        EXPECT_EQ(s.nonblocking_read(buffer, sizeof buffer), 0);
        EXPECT_EQ(s.get_state(), SOCKET_CONNECTED);
        s.close_socket();
    }
}

// How the server ends the connection, and what the client must make of it.
struct ending_case {
    const char* name;
    bool tls;
    bool reset;       // reset instead of an orderly close
    bool close_notify;  // TLS only: say goodbye first
};

class TcpSocketEnding : public TcpSocket, public ::testing::WithParamInterface<ending_case> {};

TEST_P(TcpSocketEnding, ServerGoodbyeAfterGreeting)
{
    const ending_case c = GetParam();
    tls_server_context ctx;
    listener server([&](int fd) {
        SSL* ssl = nullptr;
        if (c.tls) {
            ssl = ctx.accept(fd);
            if (!ssl) {
                close(fd);
                return;
            }
            loopback::ssl_write_all(ssl, "greeting");
        } else {
            loopback::write_all(fd, "greeting");
        }
        // Let the greeting arrive before the goodbye.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        if (c.close_notify) SSL_shutdown(ssl);
        if (ssl) SSL_free(ssl);
        if (c.reset)
            loopback::close_with_reset(fd);
        else
            close(fd);
    });
    tarv_tcp_socket s;
    if (c.tls) s.enable_ssl();
    ASSERT_EQ(s.connect_with_timeout(server.address(), server.port(), 5000), 1);
    int last = 0;
    std::string got = read_until_end(s, &last);
    EXPECT_EQ(got, "greeting");
    EXPECT_EQ(last, -1);
    if (c.reset)
        EXPECT_NE(s.read_error(), 0);
    else
        EXPECT_EQ(s.read_error(), 0);
    EXPECT_EQ(s.get_state(), SOCKET_UNCONNECTED);
    EXPECT_EQ(s.descriptor(), -1);
}

INSTANTIATE_TEST_SUITE_P(Endings, TcpSocketEnding,
                         ::testing::Values(ending_case{"PlainClose", false, false, false},
                                           ending_case{"PlainReset", false, true, false},
                                           ending_case{"TlsCloseNotify", true, false, true},
                                           ending_case{"TlsCloseWithoutNotify", true, false, false},
                                           ending_case{"TlsReset", true, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Fills the connection while the server does not read, so writes come back
// partial and then empty. The caller keeps the untaken rest at the front of
// its buffer and offers it again; every byte reported as taken must arrive,
// in order.
TEST_F(TcpSocket, PartialWritesReportWhatWasTakenAndLoseNothing)
{
    for (bool tls : {false, true}) {
        SCOPED_TRACE(tls);
        tls_server_context ctx;
        std::atomic<bool> start_reading{false};
        std::string received;
        auto server = std::make_unique<listener>([&](int fd) {
            int small = 4096;
            setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
            SSL* ssl = tls ? ctx.accept(fd) : nullptr;
            while (!start_reading) std::this_thread::sleep_for(std::chrono::milliseconds(5));
            received = ssl ? loopback::ssl_read_all(ssl) : loopback::read_all(fd);
            if (ssl) SSL_free(ssl);
            close(fd);
        });
        tarv_tcp_socket s;
        if (tls) s.enable_ssl();
        ASSERT_EQ(s.connect_with_timeout(server->address(), server->port(), 5000), 1);
        int small = 4096;
        setsockopt(s.descriptor(), SOL_SOCKET, SO_SNDBUF, &small, sizeof small);

        std::string pending, sent;
        unsigned next = 0;
        bool saw_partial = false, saw_zero = false;
        for (int i = 0; i < 400 && !saw_zero; ++i) {
            while (pending.size() < 50000) pending += static_cast<char>('a' + (next++ * 7) % 26);
            int n = s.nonblocking_write(pending.data(), static_cast<int>(pending.size()));
            ASSERT_GE(n, 0);
            if (n > 0 && n < static_cast<int>(pending.size())) saw_partial = true;
            if (n == 0) saw_zero = true;
            sent.append(pending, 0, static_cast<size_t>(n));
            pending.erase(0, static_cast<size_t>(n));
        }
        EXPECT_TRUE(saw_partial);
        EXPECT_TRUE(saw_zero);
        start_reading = true;
        for (int i = 0; i < 1000 && !pending.empty(); ++i) {
            int n = s.write_with_timeout(pending.data(), static_cast<int>(pending.size()), 2000);
            ASSERT_GE(n, 0);
            sent.append(pending, 0, static_cast<size_t>(n));
            pending.erase(0, static_cast<size_t>(n));
        }
        EXPECT_TRUE(pending.empty());
        // Closing with unread bytes (TLS session tickets) would send a reset
        // and cut the tail the server has not read yet.
        char drain[256];
        s.read_with_timeout(drain, sizeof drain, 100);
        s.close_socket();
        server.reset();
        EXPECT_EQ(received.size(), sent.size());
        EXPECT_TRUE(received == sent);
    }
}

TEST_F(TcpSocket, TlsRoundTripThroughNonblockingConnect)
{
    tls_server_context ctx;
    listener server([&](int fd) {
        SSL* ssl = ctx.accept(fd);
        if (!ssl) {
            close(fd);
            return;
        }
        char buffer[64];
        int n = SSL_read(ssl, buffer, sizeof buffer);
        if (n > 0) loopback::ssl_write_all(ssl, "echo:" + std::string(buffer, static_cast<size_t>(n)));
        loopback::ssl_read_all(ssl);
        SSL_free(ssl);
        close(fd);
    });
    tarv_tcp_socket s;
    ASSERT_EQ(s.enable_ssl(), 1);
    int r = s.start_nonblocking_connect(server.address(), server.port());
    ASSERT_GE(r, 0);
    int state = s.get_state();
    for (int i = 0; i < 500 && state != SOCKET_CONNECTED; ++i) {
        EXPECT_TRUE(state == SOCKET_CONNECTING || state == SOCKET_SSL_CONNECTING) << state;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        state = s.get_state();
    }
    ASSERT_EQ(state, SOCKET_CONNECTED);
    EXPECT_EQ(s.write_with_timeout("tls", 3, 2000), 3);
    char buffer[64];
    int n = s.read_with_timeout(buffer, sizeof buffer, 3000);
    ASSERT_GT(n, 0);
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(n)), "echo:tls");
    s.close_socket();
}

// A server that accepts and never answers the handshake. It hangs up after a
// few seconds, so a handshake without a limit would end in a reset, not a
// timeout.
TEST_F(TcpSocket, SilentServerCannotHoldTheHandshakePastTheLimit)
{
    LogCapture log(1);
    listener server([](int fd) {
        loopback::read_all(fd, 3000);
        close(fd);
    });
    tarv_tcp_socket s;
    s.enable_ssl();
    EXPECT_EQ(s.connect_with_timeout(server.address(), server.port(), 300), -1);
    EXPECT_EQ(s.write_error(), NET_ERR_TIMEOUT);
    EXPECT_EQ(s.get_state(), SOCKET_UNCONNECTED);
    EXPECT_EQ(s.descriptor(), -1);
    EXPECT_TRUE(log.contains("TLS handshake timed out")) << log.text();
}

TEST_F(TcpSocket, ServerThatIsNotTlsFailsTheHandshake)
{
    LogCapture log(1);
    listener server([](int fd) {
        loopback::write_all(fd, "Welcome to plain text!\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n");
        loopback::read_all(fd, 500);
        close(fd);
    });
    tarv_tcp_socket s;
    s.enable_ssl();
    EXPECT_EQ(s.connect_with_timeout(server.address(), server.port(), 5000), -1);
    EXPECT_EQ(s.write_error(), NET_ERR_RESET);
    EXPECT_EQ(s.get_state(), SOCKET_UNCONNECTED);
    EXPECT_TRUE(log.contains("tarv_tcp_socket::ssl_retry_connect()")) << log.text();
}

TEST_F(TcpSocket, SslSwitchOnlyWhileUnconnected)
{
    LogCapture log(1);
    tarv_tcp_socket s;
    EXPECT_EQ(s.enable_ssl(), 1);
    EXPECT_EQ(s.enable_ssl(), 1);  // already on: logged, unchanged
    EXPECT_TRUE(s.ssl_enabled());
    EXPECT_EQ(log.count("Error in tarv_tcp_socket::enable_ssl()"), 1);
    EXPECT_EQ(s.disable_ssl(), 1);
    EXPECT_FALSE(s.ssl_enabled());
}

TEST_F(TcpSocket, DestroyingAnOpenSocketLogsAndCloses)
{
    LogCapture log(1);
    listener server([](int fd) {
        loopback::read_all(fd, 2000);
        close(fd);
    });
    int fd = -1;
    {
        tarv_tcp_socket s;
        ASSERT_EQ(s.connect_with_timeout(server.address(), server.port(), 5000), 1);
        fd = s.descriptor();
    }
    EXPECT_TRUE(log.contains("Error in ~tarv_tcp_socket(), socket not closed.\n")) << log.text();
    EXPECT_EQ(fcntl(fd, F_GETFD), -1);
}

}  // namespace

namespace {

struct identity_case {
    const char* name;
    const char* alt_name;  // of the server's certificate
    bool issued;           // by the trusted test authority (else self-signed)
    const char* peer_name;
    bool verified;
};

TEST_F(TcpSocket, ServerIsVouchedForOnlyByATrustedChainCarryingItsName)
{
    TempDir dir;
    loopback::test_identity authority(nullptr, nullptr, true);
    ASSERT_TRUE(authority.write_pem(dir / "ca.pem"));
    {
        LogCapture log(1);
        EXPECT_EQ(tarv_ssl_trust_authorities((dir / "missing.pem").c_str()), 0);
        EXPECT_NE(log.text().find("Warning in tarv_ssl_trust_authorities()"), std::string::npos) << log.text();
    }
    ASSERT_EQ(tarv_ssl_trust_authorities((dir / "ca.pem").c_str()), 1);

    const identity_case cases[] = {
        {"issued for the address", "IP:127.0.0.1", true, "127.0.0.1", true},
        {"issued for the name", "DNS:localhost", true, "localhost", true},
        {"name compared without case", "DNS:localhost", true, "LocalHost", true},
        {"issued for another address", "IP:127.0.0.2", true, "127.0.0.1", false},
        {"issued for another name", "DNS:other.example", true, "localhost", false},
        {"a name is not an address", "DNS:127.0.0.1", true, "127.0.0.1", false},
        {"no name to check", "IP:127.0.0.1", true, "", false},
        {"self-signed", "IP:127.0.0.1", false, "127.0.0.1", false},
    };
    for (const identity_case& c : cases) {
        SCOPED_TRACE(c.name);
        loopback::test_identity identity(c.alt_name, c.issued ? &authority : nullptr);
        tls_server_context ctx(identity);
        listener server([&](int fd) {
            SSL* ssl = ctx.accept(fd);
            loopback::read_all(fd, 3000);
            if (ssl) SSL_free(ssl);
            close(fd);
        });
        tarv_tcp_socket s;
        s.enable_ssl();
        s.set_peer_name(c.peer_name);
        ASSERT_EQ(s.connect_with_timeout(server.address(), server.port(), 5000), 1);
        EXPECT_EQ(s.peer_verified(), c.verified);
        tarv_key_fingerprint fingerprint{};
        ASSERT_TRUE(s.peer_key_fingerprint(&fingerprint));
        auto expected = identity.key_sha256();
        EXPECT_TRUE(std::equal(fingerprint.begin(), fingerprint.end(), expected.begin()));
        s.close_socket();
        // Nothing to vouch for once the connection is gone.
        EXPECT_FALSE(s.peer_verified());
        EXPECT_FALSE(s.peer_key_fingerprint(&fingerprint));
    }
}

TEST_F(TcpSocket, PlainConnectionHasNoKey)
{
    listener server([](int fd) {
        loopback::read_all(fd, 3000);
        close(fd);
    });
    tarv_tcp_socket s;
    s.set_peer_name("127.0.0.1");
    ASSERT_EQ(s.connect_with_timeout(server.address(), server.port(), 5000), 1);
    tarv_key_fingerprint fingerprint{};
    EXPECT_FALSE(s.peer_verified());
    EXPECT_FALSE(s.peer_key_fingerprint(&fingerprint));
    s.close_socket();
}

}  // namespace
