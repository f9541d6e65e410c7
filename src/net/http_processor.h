// HTTP/1.1 message processor, client side: builds requests into a transmit
// queue and parses responses fed to it in any slicing, following bodies by
// content length, chunked coding or connection close. It never touches a
// socket; its owner moves the bytes.
#pragma once

#include "net/socket_data_queue.h"
#include "support/text_buffer.h"

class tarv_http_data_processor_oline;

using tarv_http_event_fn = int (*)(tarv_http_data_processor_oline* processor, void* user);
using tarv_http_reset_fn = void (*)(tarv_http_data_processor_oline* processor, void* user);
using tarv_http_body_fn = int (*)(tarv_http_data_processor_oline* processor, void* user, const char* data,
                                  int length);
using tarv_http_tx_body_fn = int (*)(tarv_http_data_processor_oline* processor, void* user, char* buffer,
                                     int size);

// Content type codes.
constexpr int HTTP_CONTENT_TEXT_PLAIN = 1;
constexpr int HTTP_CONTENT_TEXT_HTML = 2;
constexpr int HTTP_CONTENT_FORM = 10;
constexpr int HTTP_CONTENT_XML = 11;
constexpr int HTTP_CONTENT_RSS = 12;
constexpr int HTTP_CONTENT_JSON = 13;
constexpr int HTTP_CONTENT_OTHER = 99;

int tarv_http_content_type_code(const char* name);
const char* tarv_http_content_type_name(int code);

class tarv_http_data_processor_oline {
public:
    tarv_http_data_processor_oline() { init(); }
    ~tarv_http_data_processor_oline() { free_resources(); }
    tarv_http_data_processor_oline(const tarv_http_data_processor_oline&) = delete;
    tarv_http_data_processor_oline& operator=(const tarv_http_data_processor_oline&) = delete;

    void init();
    void free_resources();

    void set_user_data(void* user) { user_ = user; }
    void set_connection_reset_callback(tarv_http_reset_fn fn) { on_reset_ = fn; }
    void set_headers_complete_callback(tarv_http_event_fn fn) { on_headers_ = fn; }
    void set_message_complete_callback(tarv_http_event_fn fn) { on_complete_ = fn; }
    void set_body_data_callback(tarv_http_body_fn fn) { on_body_ = fn; }
    void set_tx_body_callback(tarv_http_tx_body_fn fn) { on_tx_body_ = fn; }

    void set_http10_mode(int on) { http10_mode_ = on; }
    void set_expect_100(int on) { expect_100_ = on; }
    void set_credentials(const char* user, const char* password);

    // 1 when the request was queued.
    int start_http_GET(const char* host, const char* path);
    int start_http_HEAD(const char* host, const char* path);

    // Bytes to send: count, 0 when nothing is left, -1 on failure.
    int take_data_to_send(char* buffer, int size);
    // 1 all consumed and more expected, 0 done, -1 failed.
    int feed_received_data(const char* data, int length);
    // The peer closed the connection in an orderly way. 1 when that ends the
    // message properly (it was complete, or its body runs until the close);
    // 0 when the message is cut short.
    int connection_closed();

    int status() const { return status_; }
    const char* reason() const { return reason_.c_str(); }
    int peer_version() const { return peer_version_; }
    int content_length() const { return content_length_; }
    int content_type_code() const { return content_type_code_; }
    const char* content_type() const { return content_type_.c_str(); }
    int chunked() const { return chunked_; }
    int body_received() const { return body_received_; }
    int failed() const { return failed_; }
    int done() const { return done_; }
    int in_body() const { return in_body_; }
    int close_after() const { return close_after_; }

private:
    int start_request(const char* method, const char* host, const char* path);
    void reset_message();
    int step(const unsigned char* data, int length);
    // Consumes bytes into the line buffer; true once a whole line is read.
    bool read_line(const unsigned char* data, int length, int* consumed);
    int header_line_parse(const char* line);
    int try_extract_http_version_number(const char* word);
    bool has_body() const;
    void end_of_headers();
    void message_complete();
    void fail() { failed_ = 1; }
    void log_warning(const char* prefix, const char* line, const char* suffix);

    // settings
    int http10_mode_ = 0;
    int expect_100_ = 0;
    tarv_text_buffer user_name_;
    tarv_text_buffer password_;

    // message state
    int client_role_ = 0;
    char method_[8] = {0};
    int peer_version_ = 20;
    int status_ = 0;
    tarv_text_buffer reason_;
    tarv_text_buffer content_type_;
    int content_type_code_ = 0;
    int content_length_ = -1;
    tarv_text_buffer transfer_coding_;
    tarv_text_buffer host_;
    int chunked_ = 0;
    int chunk_state_ = 0;
    int chunk_left_ = 0;
    int body_received_ = 0;
    tarv_text_buffer line_;
    unsigned char pending_eol_ = 0;
    int line_bytes_ = 0; // bytes of the current line, kept or not
    int header_lines_ = 0;
    int in_body_ = 0;
    int failed_ = 0;
    int done_ = 0;
    int close_after_ = 0;
    int close_requested_ = 0;
    int body_pending_ = 0;

    tarv_socket_data_queue tx_queue_;

    void* user_ = nullptr;
    tarv_http_reset_fn on_reset_ = nullptr;
    tarv_http_event_fn on_headers_ = nullptr;
    tarv_http_event_fn on_complete_ = nullptr;
    tarv_http_body_fn on_body_ = nullptr;
    tarv_http_tx_body_fn on_tx_body_ = nullptr;
};
