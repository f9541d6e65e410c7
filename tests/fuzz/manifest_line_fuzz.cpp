// Parses arbitrary bytes as manifest lines, the way the updater reads the
// downloaded manifest, and checks each entry it accepts: a hexadecimal hash
// start, a size of 0 or more, a name without line ends, and that the safe
// name test never lets a parent-folder step through.
#include "audio/file_manifest.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void check(bool ok)
{
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        qdu_manifest_entry entry;
        if (qdu_file_manifest::parse_line(line.c_str(), "downloaded data", &entry) == 1) {
            check(entry.hash.size() >= 10);
            check(entry.size >= 0);
            check(!entry.name.empty());
            check(entry.name.find('\n') == std::string::npos);
            if (qdu_safe_file_name(entry.name)) {
                check(entry.name[0] != '/');
                check(entry.name != ".." && entry.name.rfind("../", 0) != 0);
                check(entry.name.find("/../") == std::string::npos);
                check(entry.name.size() < 3 || entry.name.compare(entry.name.size() - 3, 3, "/..") != 0);
                for (unsigned char c : entry.name) check(c >= 32);
            }
        }
        start = end + 1;
    }
    return 0;
}
