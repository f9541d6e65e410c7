// Arbitrary bytes as the file of remembered server keys: the reader never
// reads past the text, every key it accepts survives being written and read
// again unchanged, and a text without its end line is never reported whole.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "connection/server_keys.h"

namespace {

void check(bool ok)
{
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    tarv_server_keys::parsed first = tarv_server_keys::parse(text);
    if (text.find("end") == std::string::npos || (size > 0 && text.back() != '\n')) check(!first.problem.empty());
    for (const auto& [server, fingerprint] : first.keys) {
        check(server.second >= 1 && server.second <= 65535);
        check(!server.first.empty());
    }
    tarv_server_keys::parsed again = tarv_server_keys::parse(tarv_server_keys::format(first.keys));
    check(again.problem.empty());
    check(again.keys == first.keys);
    return 0;
}
