// Splits the game server's byte stream into display text, echo negotiation,
// the bell and tagged data. A plain state machine fed with received blocks;
// what it finds goes to a sink. Its state persists across blocks, so a tag
// may span any number of them.
#pragma once

constexpr int DEMUX_TEXT = 1;
constexpr int DEMUX_TELNET_COMMAND = 10;
constexpr int DEMUX_TELNET_OPTION = 11;
constexpr int DEMUX_TAG_START = 20;
constexpr int DEMUX_START_TAG_NAME = 21;
constexpr int DEMUX_END_TAG_NAME = 22;
constexpr int DEMUX_TAG_DATA = 23;
constexpr int DEMUX_EMPTY_TAG_NAME = 30;

class tarv_demux_sink {
public:
    virtual ~tarv_demux_sink() = default;
    // A received block starts: displays clear their text-arrived flags.
    virtual void demux_block_begin() {}
    // A run of plain text for the current output target (never empty).
    virtual void demux_text(const char* text, int length) = 0;
    // Telnet DONT ECHO hides typing (true), DO ECHO shows it again (false).
    virtual void demux_password_mode(bool hidden) = 0;
    virtual void demux_bell() = 0;
    // A complete tag; name and data are terminated, data may be empty.
    virtual void demux_tag(const char* name, const char* data, int length) = 0;
    // The end tag that closes a tag with data (the names may differ).
    virtual void demux_tag_end(const char* end_name, const char* start_name) {}
    // The block is done: each display that received text redraws once.
    virtual void demux_block_end() {}
};

class tarv_stream_demux {
public:
    static constexpr int name_capacity = 65;  // 63 characters are accepted
    static constexpr int max_name_length = 63;
    static constexpr int data_capacity = 15000;  // 14999 bytes are accepted
    static constexpr int text_run_capacity = 2560;

    tarv_stream_demux();

    void process_socket_data(const char* bytes, int length, tarv_demux_sink& sink);

    // After a connect or disconnect: back to text, tag names kept.
    void reset_to_text();
    // Before a client message: back to text, any open tag abandoned.
    void reset_for_client_message();

    int state() const { return state_; }
    const char* start_tag_name() const { return start_tag_name_; }
    const char* end_tag_name() const { return end_tag_name_; }

private:
    void flush(tarv_demux_sink& sink);
    void append_text(const char* bytes, int n, tarv_demux_sink& sink);
    void begin_tag(int next_state);
    void warn_stray_semicolon(const char* block, int length);

    int state_ = DEMUX_TEXT;
    unsigned char telnet_command_ = 0;
    char start_tag_name_[name_capacity];
    char end_tag_name_[name_capacity];
    int tag_index_ = 0;
    char tag_data_[data_capacity];
    char text_run_[text_run_capacity + 1];
    int text_length_ = 0;
};
