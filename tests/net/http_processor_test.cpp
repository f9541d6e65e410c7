#include "net/http_processor.h"

#include "common/log_capture.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

struct recorder {
    std::string body;
    int headers = 0;
    int completes = 0;
    int resets = 0;
    int refuse_body_after = -1; // refuse once this many bytes were taken
};

void attach(tarv_http_data_processor_oline& p, recorder& r)
{
    p.set_user_data(&r);
    p.set_headers_complete_callback([](tarv_http_data_processor_oline*, void* u) {
        ++static_cast<recorder*>(u)->headers;
        return 1;
    });
    p.set_message_complete_callback([](tarv_http_data_processor_oline*, void* u) {
        ++static_cast<recorder*>(u)->completes;
        return 1;
    });
    p.set_connection_reset_callback([](tarv_http_data_processor_oline*, void* u) { ++static_cast<recorder*>(u)->resets; });
    p.set_body_data_callback([](tarv_http_data_processor_oline*, void* u, const char* data, int length) {
        recorder* r = static_cast<recorder*>(u);
        if (r->refuse_body_after >= 0 && static_cast<int>(r->body.size()) >= r->refuse_body_after) return 0;
        r->body.append(data, length);
        return 1;
    });
}

std::string request_text(tarv_http_data_processor_oline& p)
{
    std::string out;
    char block[7];
    for (int n; (n = p.take_data_to_send(block, sizeof block)) > 0;) out.append(block, n);
    return out;
}

enum outcome { DONE, MORE, FAILED };

std::string repeat(const std::string& text, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) out += text;
    return out;
}

struct response_case {
    const char* name;
    std::string bytes;
    outcome expected;
    const char* body;
    int status;
    int close_ends_it; // connection_closed() afterwards
};

const response_case response_cases[] = {
    {"content length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhelloEXTRA", DONE, "hello", 200, 1},
    {"chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n", DONE, "hello", 200, 1},
    {"two chunks with an extension",
     "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip, Chunked\r\n\r\n3;x=1\r\nabc\r\nA\r\n0123456789\r\n0\r\n\r\n", DONE,
     "abc0123456789", 200, 1},
    {"204 with a length", "HTTP/1.1 204 No Content\r\nContent-Length: 10\r\n\r\n", DONE, "", 204, 1},
    {"body until close", "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nall of it", MORE, "all of it", 200, 1},
    {"cut short", "HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\nonly this", MORE, "only this", 200, 0},
    {"negative length", "HTTP/1.1 200 OK\r\nContent-Length: -5\r\n\r\nhello", FAILED, "", 200, 0},
    {"length beyond int", "HTTP/1.1 200 OK\r\nContent-Length: 2147483648\r\n\r\nx", FAILED, "", 200, 0},
    {"largest int length", "HTTP/1.1 200 OK\r\nContent-Length: 2147483647\r\n\r\nxy", MORE, "xy", 200, 0},
    {"chunk beyond int", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n80000000\r\nabc", FAILED, "", 200, 0},
    {"chunk size garbage", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\nabc", FAILED, "", 200, 0},
    {"chunk without its blank line", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nabX\r\n", FAILED, "ab",
     200, 0},
    {"bad response line", "HTTP/1.1 OK\r\n\r\n", FAILED, "", 0, 0},
    {"not a response", "GET / HTTP/1.1\r\n\r\n", FAILED, "", 0, 0},
    {"bare line feeds", "HTTP/1.1 404 Not Found\nContent-Length: 3\n\nnopX", DONE, "nop", 404, 1},
    {"100 continue first", "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok", DONE, "ok",
     200, 1},
    {"headers not finished", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n", MORE, "", 200, 0},
    // A peer that never ends its headers is cut off.
    {"endless header lines", "HTTP/1.1 200 OK\r\n" + repeat("X-A: b\r\n", 300), FAILED, "", 200, 0},
    {"endless line", "HTTP/1.1 200 OK\r\nX-A: " + std::string(70000, 'a'), FAILED, "", 200, 0},
    {"endless chunk size line",
     "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1" + std::string(70000, ';'), FAILED, "", 200, 0},
    {"long header kept short", "HTTP/1.1 200 OK\r\nX-A: " + std::string(9000, 'a') + "\r\nContent-Length: 1\r\n\r\nz",
     DONE, "z", 200, 1},
};

struct fed_result {
    int last = 1;
    recorder rec;
    int status = 0;
    int closed = 0;
};

fed_result feed(const std::string& bytes, bool byte_by_byte)
{
    fed_result out;
    tarv_http_data_processor_oline p;
    attach(p, out.rec);
    EXPECT_EQ(p.start_http_GET("h", "/x"), 1);
    request_text(p);
    if (byte_by_byte) {
        for (char c : bytes) {
            out.last = p.feed_received_data(&c, 1);
            if (out.last <= 0) break;
        }
    } else {
        out.last = p.feed_received_data(bytes.data(), static_cast<int>(bytes.size()));
    }
    out.status = p.status();
    out.closed = p.connection_closed();
    return out;
}

TEST(HttpProcessor, ResponsesFedByteByByteAndInOneBlock)
{
    LogCapture log;
    for (const response_case& c : response_cases) {
        for (bool byte_by_byte : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (byte_by_byte ? " byte by byte" : " in one block"));
            fed_result r = feed(c.bytes, byte_by_byte);
            int expected = c.expected == DONE ? 0 : c.expected == MORE ? 1 : -1;
            EXPECT_EQ(r.last, expected);
            EXPECT_EQ(r.rec.body, c.body);
            EXPECT_EQ(r.closed, c.close_ends_it);
            if (c.expected != FAILED || c.status) EXPECT_EQ(r.status, c.status);
            if (c.expected == DONE) EXPECT_EQ(r.rec.completes, c.status == 200 && std::string(c.name).find("100") == 0 ? 2 : 1);
        }
    }
    EXPECT_TRUE(log.contains("Warning in tarv_http_data_processor_oline::header_line_parse(), got bad content length, "
                             "line: Content-Length: -5"));
    EXPECT_TRUE(log.contains("Warning in tarv_http_data_processor_oline::header_line_parse(), failed to parse response "
                             "line 'HTTP/1.1 OK'."));
}

TEST(HttpProcessor, GetRequestBytes)
{
    tarv_http_data_processor_oline p;
    ASSERT_EQ(p.start_http_GET("www.karthem.net:8080", "/soundpack/rain drop\x01\xe9.ogg"), 1);
    EXPECT_EQ(request_text(p), "GET /soundpack/rain%20drop%01%e9.ogg HTTP/1.1\r\n"
                               "Host: www.karthem.net:8080\r\n"
                               "Content-Length: 0\r\n"
                               "Accept-Encoding: identity\r\n"
                               "\r\n");
    EXPECT_EQ(p.take_data_to_send(nullptr, 0), 0);

    tarv_http_data_processor_oline q;
    q.set_http10_mode(1);
    q.set_credentials("bob", "pw");
    ASSERT_EQ(q.start_http_GET("h", ""), 1);
    EXPECT_EQ(request_text(q), "GET / HTTP/1.0\r\nHost: h\r\nContent-Length: 0\r\nAuthorization: Basic Ym9iOnB3\r\n"
                               "Accept-Encoding: identity\r\nConnection: close\r\n\r\n");
    // The connection closes after this message: no second request on it.
    EXPECT_EQ(q.start_http_GET("h", "/"), 0);

    tarv_http_data_processor_oline r;
    EXPECT_EQ(r.start_http_GET("h\r\nX-Evil: 1", "/"), 0);
}

TEST(HttpProcessor, ServerAskingToCloseResetsAfterTheMessage)
{
    recorder rec;
    tarv_http_data_processor_oline p;
    attach(p, rec);
    ASSERT_EQ(p.start_http_GET("h", "/"), 1);
    std::string response = "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 2\r\n\r\nok";
    EXPECT_EQ(p.feed_received_data(response.data(), static_cast<int>(response.size())), 0);
    EXPECT_EQ(rec.resets, 1);
    EXPECT_EQ(rec.body, "ok");
}

TEST(HttpProcessor, RefusalsFailTheProcessorForGood)
{
    recorder rec;
    rec.refuse_body_after = 3;
    tarv_http_data_processor_oline p;
    attach(p, rec);
    ASSERT_EQ(p.start_http_GET("h", "/"), 1);
    std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc";
    EXPECT_EQ(p.feed_received_data(head.data(), static_cast<int>(head.size())), 1);
    EXPECT_EQ(p.feed_received_data("defg", 4), -1);
    EXPECT_EQ(p.feed_received_data("h", 1), -1);
    EXPECT_EQ(p.start_http_GET("h", "/"), 0);
    EXPECT_EQ(rec.body, "abc");

    tarv_http_data_processor_oline q;
    q.set_headers_complete_callback([](tarv_http_data_processor_oline*, void*) { return 0; });
    ASSERT_EQ(q.start_http_GET("h", "/"), 1);
    std::string not_found = "HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\nnop";
    EXPECT_EQ(q.feed_received_data(not_found.data(), static_cast<int>(not_found.size())), -1);
    EXPECT_EQ(q.status(), 404);
}

TEST(HttpProcessor, HeaderFieldsAndWarnings)
{
    LogCapture log;
    tarv_http_data_processor_oline p;
    recorder rec;
    attach(p, rec);
    ASSERT_EQ(p.start_http_GET("h", "/"), 1);
    std::string response = "HTTP/1.1 200 Fine by me\r\n"
                           "content-type: Application/JSON; charset=utf-8\r\n"
                           "Connection: keep-alive, upgrade\r\n"
                           "Connection:\r\n"
                           "Expect: nothing\r\n"
                           "X-Other: whatever\r\n"
                           "Content-Length: 0\r\n\r\n";
    EXPECT_EQ(p.feed_received_data(response.data(), static_cast<int>(response.size())), 0);
    EXPECT_EQ(p.peer_version(), 11);
    EXPECT_STREQ(p.reason(), "Fine by me");
    EXPECT_EQ(p.content_type_code(), HTTP_CONTENT_JSON);
    EXPECT_EQ(rec.completes, 1);
    EXPECT_TRUE(log.contains("got questionable Connection: line: Connection: keep-alive, upgrade"));
    EXPECT_TRUE(log.contains("got bad Connection: line: Connection:"));
    EXPECT_TRUE(log.contains("got bad Expect: line: Expect: nothing"));
    EXPECT_EQ(tarv_http_content_type_code("text/HTML;x"), HTTP_CONTENT_TEXT_HTML);
    EXPECT_EQ(tarv_http_content_type_code("image/png"), HTTP_CONTENT_OTHER);
    EXPECT_STREQ(tarv_http_content_type_name(12), "application/rss+xml");
    EXPECT_STREQ(tarv_http_content_type_name(14), "binary/unknown");

    struct version_case {
        const char* line;
        int version;
    } versions[] = {{"HTTP/1.0 200 OK", 10}, {"HTTP/0.9 200 OK", 0}, {"HTTP/2 200 OK", 20}, {"http/1.1 200 OK", 11}};
    for (const version_case& v : versions) {
        tarv_http_data_processor_oline q;
        q.start_http_GET("h", "/");
        std::string text = std::string(v.line) + "\r\nContent-Length: 0\r\n\r\n";
        q.feed_received_data(text.data(), static_cast<int>(text.size()));
        EXPECT_EQ(q.peer_version(), v.version) << v.line;
    }
}

} // namespace
