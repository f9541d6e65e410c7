#include "net/http_processor.h"

#include "support/debug_log.h"
#include "support/util.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {

constexpr int module_http = 3;
constexpr int reason_size = 255;
constexpr int content_type_size = 63;
constexpr int coding_size = 255;
// A peer that never ends a line or the headers is cut off rather than read
// forever.
constexpr int max_line_bytes = 65536;
constexpr int max_header_lines = 256;

struct content_type_entry {
    int code;
    const char* name;
};

const content_type_entry content_types[] = {
    {HTTP_CONTENT_TEXT_PLAIN, "text/plain"}, {HTTP_CONTENT_TEXT_HTML, "text/html"},
    {HTTP_CONTENT_FORM, "application/x-www-form-urlencoded"}, {HTTP_CONTENT_XML, "application/xml"},
    {HTTP_CONTENT_RSS, "application/rss+xml"}, {HTTP_CONTENT_JSON, "application/json"},
};

void log_line(const tarv_text_buffer& text) { tarv_debug_log_flagged(text.c_str(), LOG_CLASS_ERROR, module_http); }

bool is_blank(char c) { return c == ' ' || c == '\t'; }

const char* skip_blanks(const char* p)
{
    while (*p && is_blank(*p)) ++p;
    return p;
}

// The value after a header name: the rest of the line past the name's word.
const char* header_value(const char* line)
{
    const char* p = skip_blanks(line);
    while (*p && !is_blank(*p)) ++p;
    return skip_blanks(p);
}

// Copies a value with "," and ";" turned into blanks.
void copy_list_value(tarv_text_buffer& out, const char* value, int limit)
{
    out.clear();
    for (const char* p = value; *p && out.length < limit; ++p) out.append_char(*p == ',' || *p == ';' ? ' ' : *p);
}

// A decimal number of 0 or more that fits an int, followed by the end or a
// blank.
bool parse_length(const char* text, int* out)
{
    const char* p = text;
    if (*p < '0' || *p > '9') return false;
    long long value = 0;
    while (*p >= '0' && *p <= '9') {
        value = value * 10 + (*p - '0');
        if (value > INT_MAX) return false;
        ++p;
    }
    if (*p && !is_blank(*p)) return false;
    *out = static_cast<int>(value);
    return true;
}

// Up to 20 hexadecimal digits; the size must fit an int.
bool parse_chunk_size(const char* text, int* out)
{
    const char* p = skip_blanks(text);
    long long value = 0;
    int digits = 0;
    for (; digits < 20; ++p, ++digits) {
        int d = tarv_hex_digit(*p);
        if (d < 0) break;
        value = value * 16 + d;
        if (value > INT_MAX) return false;
    }
    if (digits == 0) return false;
    *out = static_cast<int>(value);
    return true;
}

} // namespace

int tarv_http_content_type_code(const char* name)
{
    if (!name) return 0;
    std::size_t n = 0;
    while (name[n] && !is_blank(name[n]) && name[n] != ';') ++n;
    for (const content_type_entry& e : content_types)
        if (std::strlen(e.name) == n && strncasecmp(name, e.name, n) == 0) return e.code;
    return HTTP_CONTENT_OTHER;
}

const char* tarv_http_content_type_name(int code)
{
    for (const content_type_entry& e : content_types)
        if (e.code == code) return e.name;
    return "binary/unknown";
}

void tarv_http_data_processor_oline::init()
{
    reset_message();
    client_role_ = 0;
    method_[0] = 0;
    host_.clear();
    failed_ = 0;
    done_ = 0;
    close_after_ = 0;
    close_requested_ = 0;
    body_pending_ = 0;
    tx_queue_.clear_queue();
    tx_queue_.set_buffer_limit(-1);
}

void tarv_http_data_processor_oline::free_resources() { tx_queue_.clear_queue(); }

void tarv_http_data_processor_oline::set_credentials(const char* user, const char* password)
{
    user_name_.assign(user ? user : "");
    password_.assign(password ? password : "");
}

void tarv_http_data_processor_oline::reset_message()
{
    status_ = 0;
    peer_version_ = 20;
    reason_.clear();
    content_type_.clear();
    content_type_code_ = 0;
    content_length_ = -1;
    transfer_coding_.clear();
    chunked_ = 0;
    chunk_state_ = 0;
    chunk_left_ = 0;
    body_received_ = 0;
    line_.clear();
    pending_eol_ = 0;
    line_bytes_ = 0;
    header_lines_ = 0;
    in_body_ = 0;
}

void tarv_http_data_processor_oline::log_warning(const char* prefix, const char* line, const char* suffix)
{
    tarv_text_buffer text;
    text.append(prefix);
    text.append(line);
    text.append(suffix);
    log_line(text);
}

int tarv_http_data_processor_oline::start_http_GET(const char* host, const char* path)
{
    return start_request("GET", host, path);
}

int tarv_http_data_processor_oline::start_http_HEAD(const char* host, const char* path)
{
    return start_request("HEAD", host, path);
}

int tarv_http_data_processor_oline::start_request(const char* method, const char* host, const char* path)
{
    if (close_after_ || failed_) return 0;
    if (body_pending_) {
        tarv_text_buffer text;
        text.append_format("Error in tarv_http_data_processor_oline, attempt to 'start_http_%s' without completing "
                           "previous message.",
                           method);
        log_line(text);
        return 0;
    }
    // A host is copied into a header line: control bytes would forge headers.
    if (!host) host = "";
    for (const char* p = host; *p; ++p)
        if (static_cast<unsigned char>(*p) < 32 || *p == 127) return 0;
    if (!path || !*path) path = "/";
    safe_strcpy(method_, method, sizeof method_);

    tarv_text_buffer request;
    request.append(method);
    request.append_char(' ');
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(path); *p; ++p) {
        if (*p < '!' || *p > '~')
            request.append_format("%%%02x", *p);
        else
            request.append_char(static_cast<char>(*p));
    }
    request.append(http10_mode_ ? " HTTP/1.0\r\n" : " HTTP/1.1\r\n");
    request.append("Host: ");
    request.append(host);
    request.append("\r\n");
    request.append("Content-Length: 0\r\n");
    if (!user_name_.empty() || !password_.empty()) {
        tarv_text_buffer credentials;
        credentials.append(user_name_.c_str());
        credentials.append_char(':');
        credentials.append(password_.c_str());
        request.append("Authorization: Basic ");
        base64_append_text(request, credentials.c_str());
        request.append("\r\n");
    }
    request.append("Accept-Encoding: identity\r\n");
    if (expect_100_) request.append("Expect: 100-continue\r\n");
    if (close_requested_ || peer_version_ < 11 || http10_mode_) {
        request.append("Connection: close\r\n");
        close_after_ = 1;
    }
    if (!request.append("\r\n")) return 0; // cut short: never send half a request

    client_role_ = 1;
    done_ = 0;
    reset_message();
    return tx_queue_.append_bytes(request.c_str(), request.length) == request.length ? 1 : 0;
}

int tarv_http_data_processor_oline::take_data_to_send(char* buffer, int size)
{
    if (failed_) return -1;
    if (!buffer || size <= 0) return 0;
    if (body_pending_) {
        if (!on_tx_body_) {
            tarv_debug_log_flagged("Error in tarv_http_data_processor_oline::fill_content_body(), tx callback function "
                                   "was NULL.",
                                   LOG_CLASS_ERROR, module_http);
            fail();
            return -1;
        }
    }
    return tx_queue_.read_block(buffer, size);
}

bool tarv_http_data_processor_oline::read_line(const unsigned char* data, int length, int* consumed)
{
    int i = 0;
    while (i < length) {
        unsigned char b = data[i];
        if (pending_eol_) {
            bool pair = (pending_eol_ == '\r' && b == '\n') || (pending_eol_ == '\n' && b == '\r');
            pending_eol_ = 0;
            line_bytes_ = 0;
            if (pair) ++i;
            *consumed = i;
            return true;
        }
        ++i;
        if (b == '\r' || b == '\n')
            pending_eol_ = b;
        else if (line_.length < tarv_text_buffer::max_length)
            line_.append_char(static_cast<char>(b));
        if (++line_bytes_ > max_line_bytes) {
            tarv_debug_log_flagged("Warning in tarv_http_data_processor_oline::read_line(), line without end.",
                                   LOG_CLASS_ERROR, module_http);
            fail();
            break;
        }
    }
    *consumed = i;
    return false;
}

int tarv_http_data_processor_oline::try_extract_http_version_number(const char* word)
{
    if (strncasecmp(word, "HTTP/", 5) != 0) {
        tarv_text_buffer shown;
        for (const char* p = word; *p && !is_blank(*p); ++p) shown.append_char(*p);
        log_warning("Warning in tarv_http_data_processor_oline::try_extract_http_version_number(), got bad http "
                    "version '",
                    shown.c_str(), "'.");
        return 20;
    }
    const char* number = word + 5;
    if (word_equals(number, "1.0")) return 10;
    if (word_equals(number, "1.1")) return 11;
    char* end = nullptr;
    double value = std::strtod(number, &end);
    if (end != number && value > 0.0 && value < 1.0) return 0;
    return 20;
}

int tarv_http_data_processor_oline::header_line_parse(const char* line)
{
    const char* first = skip_blanks(line);
    if (header_lines_ == 1) {
        reset_message();
        header_lines_ = 1;
        if (strncasecmp(first, "HTTP/", 5) == 0) {
            peer_version_ = try_extract_http_version_number(first);
            const char* status_word = next_arg(first);
            int status = 0;
            if (status_word && parse_length(status_word, &status) && status > 0 && status < 1000) {
                status_ = status;
                const char* reason = next_arg(status_word);
                if (reason) reason_.append(reason, std::strlen(reason) < reason_size ? std::strlen(reason) : std::size_t(reason_size));
                return 0;
            }
        }
        // Requests are not served here: for a client any other start line is
        // as bad as a broken response line.
        log_warning("Warning in tarv_http_data_processor_oline::header_line_parse(), failed to parse response line '",
                    line, "'.");
        return 1;
    }

    const char* value = header_value(line);
    if (word_equals(first, "Content-Length:")) {
        int length = 0;
        if (!parse_length(value, &length)) {
            log_warning("Warning in tarv_http_data_processor_oline::header_line_parse(), got bad content length, "
                        "line: ",
                        line, "");
            return 1;
        }
        content_length_ = length;
    } else if (word_equals(first, "Content-Type:")) {
        if (!*value) {
            log_warning("Warning in tarv_http_data_processor_oline::header_line_parse(), got bad content type line: ",
                        line, "");
            return 2;
        }
        content_type_.clear();
        for (const char* p = value; *p && !is_blank(*p) && content_type_.length < content_type_size; ++p)
            content_type_.append_char(*p);
        content_type_code_ = tarv_http_content_type_code(value);
    } else if (word_equals(first, "Connection:")) {
        if (!*value) {
            log_warning("Warning in tarv_http_data_processor_oline::header_line_parse(), got bad Connection: line: ",
                        line, "");
            return 2;
        }
        tarv_text_buffer words;
        copy_list_value(words, value, tarv_text_buffer::max_length);
        for (const char* w = skip_blanks(words.c_str()); w && *w; w = next_arg(w)) {
            if (word_equals(w, "close")) {
                if (client_role_) close_after_ = 1;
                else close_requested_ = 1;
            } else if (!word_equals(w, "te") && !word_equals(w, "keep-alive")) {
                log_warning("Warning in tarv_http_data_processor_oline::header_line_parse(), got questionable "
                            "Connection: line: ",
                            line, "");
            }
        }
    } else if (word_equals(first, "Expect:")) {
        tarv_text_buffer words;
        copy_list_value(words, value, tarv_text_buffer::max_length);
        if (!word_equals(skip_blanks(words.c_str()), "100-continue")) {
            log_warning("Warning in tarv_http_data_processor_oline::header_line_parse(), got bad Expect: line: ", line,
                        "");
            return 2;
        }
        expect_100_ = 1;
    } else if (word_equals(first, "Transfer-Encoding:")) {
        if (!*value) {
            log_warning("Warning in tarv_http_data_processor_oline::header_line_parse(), got bad transfer encoding "
                        "line: ",
                        line, "");
            return 2;
        }
        copy_list_value(transfer_coding_, value, coding_size);
        for (const char* w = skip_blanks(transfer_coding_.c_str()); w && *w; w = next_arg(w)) {
            if (word_equals(w, "chunked")) {
                chunked_ = 1;
                chunk_state_ = 1;
            }
        }
    } else if (word_equals(first, "Host:")) {
        if (!*value) {
            log_warning("Warning in tarv_http_data_processor_oline::header_line_parse(), got empty host line '", line,
                        "'.");
            return 2;
        }
        if (host_.empty()) host_.assign(value);
        else if (std::strcmp(host_.c_str(), value) != 0) return 2;
    }
    return 0;
}

bool tarv_http_data_processor_oline::has_body() const
{
    if (status_ / 100 == 1 || status_ == 204 || status_ == 304) return false;
    if (std::strcmp(method_, "HEAD") == 0) return false;
    if (peer_version_ > 10 && !transfer_coding_.empty() && !word_equals(skip_blanks(transfer_coding_.c_str()), "identity"))
        return true;
    if (content_length_ > 0) return true;
    return content_length_ < 0 && status_ > 0;
}

void tarv_http_data_processor_oline::message_complete()
{
    if (on_complete_ && !on_complete_(this, user_)) {
        fail();
        return;
    }
    bool informational = status_ / 100 == 1;
    if (informational) {
        // An interim response: the real one follows on the same connection.
        reset_message();
        return;
    }
    done_ = 1;
    in_body_ = 0;
    if (close_after_) {
        if (on_reset_) on_reset_(this, user_);
        close_after_ = 0;
        close_requested_ = 0;
    }
}

void tarv_http_data_processor_oline::end_of_headers()
{
    if (client_role_ && status_ <= 0) {
        fail();
        return;
    }
    bool body = has_body();
    if (body) {
        in_body_ = 1;
        // A transfer coding we cannot undo is read until the close, unless a
        // length says otherwise.
        if (chunked_ && chunk_state_ == 0) chunk_state_ = 1;
    }
    if (on_headers_ && !on_headers_(this, user_)) {
        fail();
        return;
    }
    if (!body) message_complete();
}

int tarv_http_data_processor_oline::step(const unsigned char* data, int length)
{
    if (!in_body_) {
        int consumed = 0;
        if (!read_line(data, length, &consumed)) return consumed;
        if (!line_.empty()) {
            if (++header_lines_ > max_header_lines) {
                tarv_debug_log_flagged("Warning in tarv_http_data_processor_oline::header_line_parse(), too many "
                                       "header lines.",
                                       LOG_CLASS_ERROR, module_http);
                fail();
                return consumed;
            }
            // The first line resets the message state, line buffer included.
            tarv_text_buffer line;
            line.assign(line_.c_str());
            line_.clear();
            int result = header_line_parse(line.c_str());
            if (result == 1 && client_role_) fail();
        } else if (header_lines_ > 0) {
            end_of_headers();
        }
        return consumed;
    }

    if (chunked_) {
        if (chunk_state_ == 2) {
            int n = length < chunk_left_ ? length : chunk_left_;
            if (n > 0) {
                if (!on_body_ || !on_body_(this, user_, reinterpret_cast<const char*>(data), n)) {
                    fail();
                    return n;
                }
                body_received_ += n;
                chunk_left_ -= n;
            }
            if (chunk_left_ == 0) chunk_state_ = 3;
            return n;
        }
        int consumed = 0;
        if (!read_line(data, length, &consumed)) return consumed;
        if (chunk_state_ == 1) {
            int size = 0;
            if (line_.empty() || !parse_chunk_size(line_.c_str(), &size)) {
                log_warning("Warning in tarv_http_data_processor_oline::parse_chunk_size(), bad chunk size line '",
                            line_.c_str(), "'.");
                line_.clear();
                fail();
                return consumed;
            }
            line_.clear();
            if (size > 0) {
                chunk_left_ = size;
                chunk_state_ = 2;
            } else {
                message_complete();
            }
        } else {
            bool empty = line_.empty();
            line_.clear();
            if (!empty) {
                fail();
                return consumed;
            }
            chunk_state_ = 1;
        }
        return consumed;
    }

    int n = length;
    if (content_length_ >= 0 && n > content_length_ - body_received_) n = content_length_ - body_received_;
    if (n > 0) {
        if (!on_body_ || !on_body_(this, user_, reinterpret_cast<const char*>(data), n)) {
            fail();
            return n;
        }
        body_received_ += n;
    }
    if (content_length_ >= 0 && body_received_ >= content_length_) message_complete();
    return n;
}

int tarv_http_data_processor_oline::feed_received_data(const char* data, int length)
{
    if (failed_) return -1;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data);
    int offset = 0;
    // A step may finish a line without taking a byte (a lone line end is
    // known only by the byte after it); it never does so twice in a row.
    int idle_steps = 0;
    while (bytes && offset < length && idle_steps < 3) {
        if (done_) return 0; // whatever follows a complete response is not ours
        int consumed = step(bytes + offset, length - offset);
        if (failed_) return -1;
        offset += consumed;
        idle_steps = consumed == 0 ? idle_steps + 1 : 0;
    }
    return done_ ? 0 : 1;
}

int tarv_http_data_processor_oline::connection_closed()
{
    if (failed_) return 0;
    if (done_) return 1;
    if (in_body_ && !chunked_ && content_length_ < 0) {
        message_complete();
        return failed_ ? 0 : 1;
    }
    return 0;
}
