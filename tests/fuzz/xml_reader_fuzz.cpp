// Feeds arbitrary bytes to the settings reader: the header check on the first
// line, a character record, and a generic walk mixing every read operation.
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/char_config.h"
#include "config/xml.h"
#include "support/debug_log.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tarv_debug_level = 0;

    std::size_t line_end = 0;
    while (line_end < size && data[line_end] != '\n') ++line_end;
    std::string first_line(reinterpret_cast<const char*>(data), line_end);
    tarv_xml_reader::check_xml_header_string(first_line.c_str());

    {
        tarv_xml_memory_reader reader(data, size);
        char tag[1000];
        while (reader.read_tag(tag, sizeof tag)) {
            tarv_char_config record;
            tarv_read_char_config(reader, record);
            record.normalize();
        }
    }

    // The low bits of each tag's first byte pick the next operation, so the
    // input steers the walk; every step consumes input or ends it.
    tarv_xml_memory_reader reader(data, size);
    char tag[64];
    char value[16];
    int number = 0;
    int idle = 0;
    while (idle < 4) {
        if (!reader.read_tag(tag, sizeof tag)) {
            ++idle;
            continue;
        }
        idle = 0;
        switch (static_cast<unsigned char>(tag[0]) & 3) {
            case 0: reader.read_data(value, sizeof value); break;
            case 1: reader.read_data(&number); break;
            case 2: reader.skip_data(); break;
            default: break;
        }
    }
    return 0;
}
