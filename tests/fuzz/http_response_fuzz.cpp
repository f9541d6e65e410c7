// Feeds arbitrary bytes as an HTTP response, whole and one byte at a time,
// and checks that the outcome and the delivered body do not depend on the
// slicing and that a body never exceeds an announced length.
#include "net/http_processor.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void check(bool ok)
{
    if (!ok) std::abort();
}

struct outcome {
    int result = 1;
    int status = 0;
    int completes = 0;
    std::string body;
};

outcome run(const std::uint8_t* data, std::size_t size, bool bytewise)
{
    outcome out;
    tarv_http_data_processor_oline p;
    p.set_user_data(&out);
    p.set_message_complete_callback([](tarv_http_data_processor_oline*, void* u) {
        ++static_cast<outcome*>(u)->completes;
        return 1;
    });
    p.set_body_data_callback([](tarv_http_data_processor_oline*, void* u, const char* d, int n) {
        check(n > 0);
        static_cast<outcome*>(u)->body.append(d, n);
        return 1;
    });
    check(p.start_http_GET("fuzz", "/a b") == 1);
    char sink[64];
    while (p.take_data_to_send(sink, sizeof sink) > 0) {
    }
    const char* bytes = reinterpret_cast<const char*>(data);
    if (bytewise) {
        for (std::size_t i = 0; i < size && out.result == 1; ++i) out.result = p.feed_received_data(bytes + i, 1);
    } else {
        out.result = p.feed_received_data(bytes, static_cast<int>(size));
    }
    out.status = p.status();
    if (p.content_length() >= 0 && !p.chunked()) check(static_cast<int>(out.body.size()) <= p.content_length());
    check(p.body_received() == static_cast<int>(out.body.size()));
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 65536) return 0;
    outcome whole = run(data, size, false);
    outcome bytes = run(data, size, true);
    check(whole.result == bytes.result);
    check(whole.body == bytes.body);
    check(whole.completes == bytes.completes);
    check(whole.status == bytes.status);
    return 0;
}
