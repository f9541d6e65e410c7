#include "net/net_error.h"
#include "net/tcp_socket.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace {

struct errno_case {
    int error_number;
    int code;
    const char* text;
};

TEST(NetError, SystemErrorsMapToCodeAndText)
{
    const errno_case cases[] = {
        {0, -2, "no error"},
        {EBADF, -11, "bad function argument"},
        {EINVAL, -11, "bad function argument"},
        {EBADFD, -11, "bad function argument"},
        {ENOTSOCK, -11, "bad function argument"},
        {EFAULT, -12, "address/segmentation fault"},
        {ENFILE, -13, "out of file descriptors"},
        {EMFILE, -13, "out of file descriptors"},
        {ENOMEM, -14, "oom or buffer space"},
        {ENOBUFS, -14, "oom or buffer space"},
        {EMSGSIZE, -15, "data too big for operation"},
        {EADDRINUSE, -16, "address in use"},
        {EPIPE, -20, "broken network pipe"},
        {ESHUTDOWN, -20, "broken network pipe"},
        {ECONNABORTED, -21, "connection aborted/reset"},
        {ECONNRESET, -21, "connection aborted/reset"},
        {EHOSTDOWN, -22, "remote host down"},
        {EHOSTUNREACH, -23, "remote host unreachable"},
        {ENETDOWN, -24, "network down"},
        {ENETUNREACH, -25, "network unreachable"},
        {ENETRESET, -26, "network was reset"},
        {EAGAIN, -30, "would block"},
        {ERESTART, -30, "would block"},
        {EINPROGRESS, -31, "in progress"},
        {EINTR, -32, "interrupted"},
        {ECONNREFUSED, -40, "connection refused"},
        {ETIMEDOUT, -41, "timeout"},
        {EALREADY, -42, "already done"},
        {EISCONN, -43, "already is connected"},
        {ENOTCONN, -44, "is not connected"},
        {ENOENT, -1, "unknown error"},
        {EACCES, -1, "unknown error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error_number);
        EXPECT_EQ(tarv_net_error_from_errno(c.error_number), c.code);
        EXPECT_STREQ(tarv_net_error_text(c.code), c.text);
        errno = c.error_number;
        EXPECT_EQ(tarv_net_last_error(), c.code);
    }
}

TEST(NetError, UnnamedAndOutOfRangeCodesAreUnknown)
{
    EXPECT_STREQ(tarv_net_error_text(-10), "network socket subsystem uninitialized");
    for (int code : {0, -1, -3, -17, -27, -33, -39, -45, 5, -1000})
        EXPECT_STREQ(tarv_net_error_text(code), "unknown error") << code;
}

TEST(NetError, OnlyWouldBlockInProgressInterruptedAndNoneAreTemporary)
{
    for (int code = -50; code <= 0; ++code) {
        bool expected = code == -30 || code == -31 || code == -32 || code == -2;
        EXPECT_EQ(tarv_net_error_is_temporary(code), expected) << code;
    }
}

TEST(Ipv4Literal, OnlyFourNumbersBelow256WithThreeDotsAreLiterals)
{
    struct literal_case {
        const char* text;
        const char* expected;  // nullptr: not a literal
    };
    const literal_case cases[] = {
        {"127.0.0.1", "127.0.0.1"},
        {"255.255.255.255", "255.255.255.255"},
        {"0.0.0.0", "0.0.0.0"},
        {"010.1.2.3", "10.1.2.3"},  // decimal, not octal
        {"256.1.1.1", nullptr},
        {"1.2.3.4.5", nullptr},
        {"1.2.3", nullptr},
        {"1..2.3", nullptr},
        {".1.2.3", nullptr},
        {"1.2.3.", nullptr},
        {"1.2.3.4 ", nullptr},
        {"1.2.3.x", nullptr},
        {"-1.2.3.4", nullptr},
        {"0000.0000.0000.0001", nullptr},  // 13 digits
        {"000.000.000.001", "0.0.0.1"},    // 12 digits
        {"", nullptr},
        {"localhost", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        in_addr a{};
        int ok = tarv_parse_ipv4_literal(c.text, &a);
        if (!c.expected) {
            EXPECT_EQ(ok, 0);
            continue;
        }
        ASSERT_EQ(ok, 1);
        char text[INET_ADDRSTRLEN];
        inet_ntop(AF_INET, &a, text, sizeof text);
        EXPECT_STREQ(text, c.expected);
    }
}

TEST(ResolveHostAddress, LiteralAndLocalNameGiveLoopback)
{
    for (const char* host : {"127.0.0.1", "localhost"}) {
        SCOPED_TRACE(host);
        sockaddr_in a;
        std::memset(&a, 0xff, sizeof a);
        ASSERT_EQ(tarv_resolve_host_address(host, &a), 1);
        EXPECT_EQ(a.sin_family, AF_INET);
        EXPECT_EQ(ntohl(a.sin_addr.s_addr), 0x7f000001u);
        EXPECT_EQ(a.sin_port, 0);
    }
}

TEST(ResolveHostAddress, MissingHostFails)
{
    sockaddr_in a{};
    EXPECT_EQ(tarv_resolve_host_address(nullptr, &a), 0);
    EXPECT_EQ(tarv_resolve_host_address("", &a), 0);
}

}  // namespace
