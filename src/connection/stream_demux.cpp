#include "connection/stream_demux.h"

#include "support/debug_log.h"

#include <cstring>

namespace {

constexpr unsigned char IAC = 255;
constexpr unsigned char WILL = 251;
constexpr unsigned char DO = 253;
constexpr unsigned char DONT = 254;
constexpr unsigned char TELOPT_ECHO = 1;
constexpr unsigned char BEL = 7;

// Bytes that end a run of plain text.
struct text_stops {
    bool stop[256] = {};
    constexpr text_stops()
    {
        stop[IAC] = true;
        stop[BEL] = true;
        stop[static_cast<unsigned char>(';')] = true;
    }
};
constexpr text_stops text_stop_table;

}  // namespace

tarv_stream_demux::tarv_stream_demux()
{
    start_tag_name_[0] = 0;
    end_tag_name_[0] = 0;
    tag_data_[0] = 0;
    text_run_[0] = 0;
}

void tarv_stream_demux::reset_to_text()
{
    state_ = DEMUX_TEXT;
}

void tarv_stream_demux::reset_for_client_message()
{
    state_ = DEMUX_TEXT;
    start_tag_name_[0] = 0;
    end_tag_name_[0] = 0;
}

void tarv_stream_demux::flush(tarv_demux_sink& sink)
{
    if (text_length_ == 0) return;
    text_run_[text_length_] = 0;
    int n = text_length_;
    text_length_ = 0;
    sink.demux_text(text_run_, n);
}

// Runs are handed over as soon as they reach their full size.
void tarv_stream_demux::append_text(const char* bytes, int n, tarv_demux_sink& sink)
{
    while (n > 0) {
        int room = text_run_capacity - text_length_;
        int take = n < room ? n : room;
        std::memcpy(text_run_ + text_length_, bytes, static_cast<size_t>(take));
        text_length_ += take;
        bytes += take;
        n -= take;
        if (text_length_ == text_run_capacity) flush(sink);
    }
}

void tarv_stream_demux::begin_tag(int next_state)
{
    if (start_tag_name_[0] && tarv_debug_level >= 2)
        tarv_debug_log("Warning in tarv_mw::process_socket_data(), double start tags?  Previous was '%s'.\n",
                       start_tag_name_);
    start_tag_name_[0] = 0;
    end_tag_name_[0] = 0;
    tag_index_ = 0;
    state_ = next_state;
}

void tarv_stream_demux::warn_stray_semicolon(const char* block, int length)
{
    if (tarv_debug_level < 2) return;
    tarv_debug_log("Warning in tarv_mw::process_socket_data(), semicolon found?\n");
    char shown[5999];
    int n = length < 5998 ? length : 5998;
    std::memcpy(shown, block, static_cast<size_t>(n));
    shown[n] = 0;
    tarv_debug_log("Current string data ->%s<-\n", shown);
}

void tarv_stream_demux::process_socket_data(const char* bytes, int length, tarv_demux_sink& sink)
{
    if (!bytes || length <= 0) return;
    sink.demux_block_begin();
    text_length_ = 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
    const unsigned char* end = p + length;

    while (p < end) {
        // Sink calls may reset the machine (a client message abandons a
        // tag), so the state is read afresh for every step.
        switch (state_) {
        case DEMUX_TEXT: {
            const unsigned char* run = p;
            while (p < end && !text_stop_table.stop[*p]) ++p;
            if (p > run) append_text(reinterpret_cast<const char*>(run), static_cast<int>(p - run), sink);
            if (p == end) break;
            unsigned char b = *p++;
            if (b == BEL) {
                sink.demux_bell();
            } else if (b == IAC) {
                flush(sink);
                state_ = DEMUX_TELNET_COMMAND;
            } else {
                flush(sink);
                state_ = DEMUX_TAG_START;
            }
            break;
        }
        case DEMUX_TELNET_COMMAND: {
            unsigned char b = *p++;
            telnet_command_ = b;
            state_ = (b >= WILL && b <= DONT) ? DEMUX_TELNET_OPTION : DEMUX_TEXT;
            break;
        }
        case DEMUX_TELNET_OPTION: {
            unsigned char b = *p++;
            state_ = DEMUX_TEXT;
            if (b != TELOPT_ECHO) break;
            flush(sink);
            if (telnet_command_ == DONT) {
                sink.demux_text("\n", 1);
                sink.demux_password_mode(true);
            } else if (telnet_command_ == DO) {
                sink.demux_password_mode(false);
            }
            break;
        }
        case DEMUX_TAG_START: {
            unsigned char b = *p++;
            if (b == ';') {
                state_ = DEMUX_TEXT;
                append_text(";", 1, sink);
            } else if (b == 's') {
                begin_tag(DEMUX_START_TAG_NAME);
            } else if (b == 't') {
                begin_tag(DEMUX_EMPTY_TAG_NAME);
            } else if (b == 'e') {
                if (tarv_debug_level >= 2) {
                    if (end_tag_name_[0])
                        tarv_debug_log("Warning in tarv_mw::process_socket_data(), double end tags?  Previous was '%s'.\n",
                                       end_tag_name_);
                    if (!start_tag_name_[0])
                        tarv_debug_log("Warning in tarv_mw::process_socket_data(), end tag '%s' without start tag.\n",
                                       end_tag_name_);
                }
                end_tag_name_[0] = 0;
                tag_index_ = 0;
                state_ = DEMUX_END_TAG_NAME;
            } else {
                warn_stray_semicolon(bytes, length);
                state_ = DEMUX_TEXT;
                char pair[2] = {';', static_cast<char>(b)};
                append_text(pair, 2, sink);
            }
            break;
        }
        case DEMUX_START_TAG_NAME:
        case DEMUX_EMPTY_TAG_NAME:
        case DEMUX_END_TAG_NAME: {
            bool end_tag = state_ == DEMUX_END_TAG_NAME;
            char* name = end_tag ? end_tag_name_ : start_tag_name_;
            unsigned char b = *p++;
            if (b != ';') {
                // Kept terminated: a reset or a warning may read it mid-name.
                name[tag_index_++] = static_cast<char>(b);
                name[tag_index_] = 0;
                if (tag_index_ > max_name_length) {
                    if (tarv_debug_level >= 2) {
                        const char* kind = end_tag ? "tse" : (state_ == DEMUX_START_TAG_NAME ? "tss" : "tst");
                        tarv_debug_log("Warning in tarv_mw::process_socket_data(), %s tag '%s' too long?\n", kind, name);
                    }
                    name[0] = 0;
                    tag_index_ = 0;
                    state_ = DEMUX_TEXT;
                }
                break;
            }
            name[tag_index_] = 0;
            tag_index_ = 0;
            if (state_ == DEMUX_START_TAG_NAME) {
                state_ = DEMUX_TAG_DATA;
            } else if (state_ == DEMUX_EMPTY_TAG_NAME) {
                state_ = DEMUX_TEXT;
                char tag[name_capacity];
                std::memcpy(tag, start_tag_name_, sizeof tag);
                start_tag_name_[0] = 0;
                sink.demux_tag(tag, "", 0);
            } else {
                if (std::strcmp(end_tag_name_, start_tag_name_) != 0 && tarv_debug_level >= 2)
                    tarv_debug_log("Warning tarv_mw::process_socket_data(), tse tag '%s' does not match tss tag '%s'.\n",
                                   end_tag_name_, start_tag_name_);
                char end_name[name_capacity], start_name[name_capacity];
                std::memcpy(end_name, end_tag_name_, sizeof end_name);
                std::memcpy(start_name, start_tag_name_, sizeof start_name);
                start_tag_name_[0] = 0;
                end_tag_name_[0] = 0;
                state_ = DEMUX_TEXT;
                sink.demux_tag_end(end_name, start_name);
            }
            break;
        }
        case DEMUX_TAG_DATA: {
            while (p < end) {
                unsigned char b = *p++;
                if (b == ';') {
                    tag_data_[tag_index_] = 0;
                    // Set before the call: a reset from inside the handler wins.
                    state_ = DEMUX_TAG_START;
                    int n = tag_index_;
                    sink.demux_tag(start_tag_name_, tag_data_, n);
                    break;
                }
                if (b == '\r') continue;
                tag_data_[tag_index_++] = static_cast<char>(b);
                if (tag_index_ >= data_capacity) {
                    if (tarv_debug_level >= 2)
                        tarv_debug_log("Warning in tarv_mw::process_socket_data(), tagged data was too long, discarding.\n");
                    tag_data_[0] = 0;
                    end_tag_name_[0] = 0;
                    tag_index_ = 0;
                    state_ = DEMUX_TEXT;
                    break;
                }
            }
            break;
        }
        default:
            // Never reached; keeps a corrupted state from looping.
            state_ = DEMUX_TEXT;
            break;
        }
    }
    flush(sink);
    sink.demux_block_end();
}
