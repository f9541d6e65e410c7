// Feeds arbitrary bytes to the stream demultiplexer, whole and cut into
// blocks, and checks what reaches the sink: bounded runs, names and data,
// and an outcome that does not depend on where the blocks were cut.
#include "connection/stream_demux.h"
#include "support/debug_log.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void check(bool ok)
{
    if (!ok) std::abort();
}

struct checking_sink : tarv_demux_sink {
    // Non-text events in order, with the text between them joined.
    std::vector<std::string> events;
    int bells = 0;
    int open_blocks = 0;

    void demux_block_begin() override
    {
        check(open_blocks == 0);
        ++open_blocks;
    }
    void demux_block_end() override
    {
        check(open_blocks == 1);
        --open_blocks;
    }
    void demux_text(const char* text, int length) override
    {
        check(open_blocks == 1);
        check(length >= 1 && length <= tarv_stream_demux::text_run_capacity);
        if (events.empty() || events.back()[0] != 'T') events.push_back("T");
        events.back().append(text, static_cast<size_t>(length));
    }
    void demux_password_mode(bool hidden) override { events.push_back(hidden ? "H" : "S"); }
    void demux_bell() override { ++bells; }
    void demux_tag(const char* name, const char* data, int length) override
    {
        size_t name_length = std::strlen(name);
        check(name_length <= tarv_stream_demux::max_name_length);
        check(std::strchr(name, ';') == nullptr);
        check(length >= 0 && length < tarv_stream_demux::data_capacity);
        check(data[length] == 0);
        check(std::memchr(data, ';', static_cast<size_t>(length)) == nullptr);
        check(std::memchr(data, '\r', static_cast<size_t>(length)) == nullptr);
        events.push_back("G" + std::string(name) + '\0' + std::string(data, static_cast<size_t>(length)));
    }
    void demux_tag_end(const char* end_name, const char* start_name) override
    {
        check(std::strlen(end_name) <= tarv_stream_demux::max_name_length);
        events.push_back("E" + std::string(end_name) + '\0' + start_name);
    }
};

bool valid_state(int s)
{
    return s == DEMUX_TEXT || s == DEMUX_TELNET_COMMAND || s == DEMUX_TELNET_OPTION || s == DEMUX_TAG_START ||
           s == DEMUX_START_TAG_NAME || s == DEMUX_END_TAG_NAME || s == DEMUX_TAG_DATA || s == DEMUX_EMPTY_TAG_NAME;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tarv_debug_level = 0;
    if (size < 1) return 0;
    // The first byte picks the block size of the cut run.
    int block = data[0] % 64 + 1;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    int length = static_cast<int>(size - 1);

    tarv_stream_demux whole;
    checking_sink a;
    whole.process_socket_data(bytes, length, a);
    check(valid_state(whole.state()));

    tarv_stream_demux cut;
    checking_sink b;
    for (int at = 0; at < length; at += block) {
        cut.process_socket_data(bytes + at, length - at < block ? length - at : block, b);
        check(valid_state(cut.state()));
    }
    check(a.events == b.events);
    check(a.bells == b.bells);
    check(whole.state() == cut.state());
    return 0;
}
