#include "net/http_downloader.h"

#include "net/http_processor.h"
#include "support/debug_log.h"

#include <cstdio>

namespace {

constexpr int module_downloader = 11;
constexpr int block_size = 8192;

void log_error(const char* text) { tarv_debug_log_flagged(text, LOG_CLASS_ERROR, module_downloader); }

void log_with(const char* prefix, const char* middle, const char* suffix)
{
    tarv_text_buffer text;
    text.append(prefix);
    text.append(middle);
    text.append(suffix);
    log_error(text.c_str());
}

} // namespace

tarv_http_downloader::~tarv_http_downloader()
{
    if (output_) std::fclose(output_);
    socket_.close_socket();
}

int tarv_http_downloader::set_connection(const char* host, int port, int tls)
{
    if (!host) {
        log_error("Error in tarv_http_downloader::set_connection(), NULL host name.");
        return 0;
    }
    port_ = port;
    tls_ = tls;
    address_ok_ = tarv_resolve_host_address(host, &address_);
    return address_ok_;
}

int tarv_http_downloader::download(const char* host, const char* path, const char* destination)
{
    if (!host) {
        log_error("Error in tarv_http_downloader::download(), NULL host.");
        return 0;
    }
    if (!path) {
        log_error("Error in tarv_http_downloader::download(), NULL path.");
        return 0;
    }
    if (!destination || !*destination) {
        log_error("Error in tarv_http_downloader::download(), NULL destination file name.");
        return 0;
    }
    if (data_callback_) {
        log_error("Error in tarv_http_downloader::download(), attempt to do file based download after setting data "
                  "callback.");
        return 0;
    }
    destination_.assign(destination);
    return common_download(host, path);
}

int tarv_http_downloader::download(const char* host, const char* path)
{
    if (!host) {
        log_error("Error in tarv_http_downloader::download(), NULL host.");
        return 0;
    }
    if (!path) {
        log_error("Error in tarv_http_downloader::download(), NULL path.");
        return 0;
    }
    if (destination_.empty() && !data_callback_) {
        log_error("Error in tarv_http_downloader::download(), NULL destination file name and NULL download data "
                  "callback.");
        return 0;
    }
    return common_download(host, path);
}

void tarv_http_downloader::discard_output_file()
{
    if (output_) {
        std::fclose(output_);
        output_ = nullptr;
    }
    if (!destination_.empty() && !data_callback_) std::remove(destination_.c_str());
}

int tarv_http_downloader::common_download(const char* host, const char* path)
{
    received_ = 0;
    expected_length_ = -1;
    status_ = 0;
    if (output_) {
        std::fclose(output_);
        output_ = nullptr;
    }
    if (tls_) socket_.enable_ssl();
    else socket_.disable_ssl();
    if (!address_ok_ || socket_.connect_with_timeout(address_, port_, wait_ms_) <= 0) {
        log_error("Error in tarv_http_downloader::download(), connect failed.");
        socket_.close_socket();
        return 0;
    }

    tarv_http_data_processor_oline processor;
    processor.init();
    processor.set_user_data(this);
    processor.set_connection_reset_callback(on_connection_reset);
    processor.set_headers_complete_callback(callback_message_received);
    processor.set_message_complete_callback(on_message_complete);
    processor.set_body_data_callback(callback_content_data_received);
    processor.set_tx_body_callback(callback_content_body_get_tx_data);

    int result = 0;
    if (!processor.start_http_GET(host, path)) {
        log_error("Error in tarv_http_downloader::download(), unable to start HTTP GET?");
    } else {
        bool sent = true;
        char block[block_size];
        while (sent && socket_.get_state() == SOCKET_CONNECTED) {
            int n = processor.take_data_to_send(block, block_size);
            if (n <= 0) break;
            for (int done = 0; done < n;) {
                int w = socket_.write_with_timeout(block + done, n - done, wait_ms_);
                if (w < 0) {
                    log_error("Error in tarv_http_downloader::download(), blocking write failed.");
                    sent = false;
                    break;
                }
                done += w;
            }
        }
        if (sent) result = receive(processor);
    }
    processor.free_resources();
    socket_.close_socket();
    if (output_) {
        std::fclose(output_);
        output_ = nullptr;
    }
    return result;
}

int tarv_http_downloader::receive(tarv_http_data_processor_oline& processor)
{
    char block[block_size];
    int idle_ms = 0;
    for (;;) {
        if (socket_.get_state() == SOCKET_UNCONNECTED) return 1;
        int n = socket_.read_with_timeout(block, block_size, wait_ms_);
        if (n == 0) {
            idle_ms += wait_ms_;
            if (idle_limit_ms_ > 0 && idle_ms >= idle_limit_ms_) {
                log_error("Error in tarv_http_downloader::download(), server sent nothing for too long.");
                discard_output_file();
                return 0;
            }
            continue;
        }
        idle_ms = 0;
        if (n < 0) {
            if (socket_.read_error() == 0) {
                // An orderly close ends a body that runs until the close; one
                // that arrives before the announced length cuts it short.
                if (processor.connection_closed()) return 1;
                log_error("Error in tarv_http_downloader::download(), connection closed before the whole response "
                          "arrived.");
                discard_output_file();
                return 0;
            }
            bool all = received_ == expected_length_;
            if (progress_callback_) {
                log_error(all ? "Error in tarv_http_downloader::download(), blocking read failed but all data received."
                              : "Error in tarv_http_downloader::download(), blocking read failed, not all bytes read.");
            } else if (all) {
                log_error("Error in tarv_http_downloader::download(), blocking read failed but file seems ok.  Keeping "
                          "file.");
            } else {
                log_error("Error in tarv_http_downloader::download(), blocking read failed, unknown file state.  "
                          "Deleting file.");
                discard_output_file();
            }
            return 0;
        }
        int fed = processor.feed_received_data(block, n);
        if (fed < 0) {
            log_error("Error in tarv_http_downloader::download(), http data fetch failed.");
            return 0;
        }
        if (fed == 0) return 1;
    }
}

void tarv_http_downloader::on_connection_reset(tarv_http_data_processor_oline*, void* user)
{
    static_cast<tarv_http_downloader*>(user)->socket_.close_socket();
}

int tarv_http_downloader::callback_message_received(tarv_http_data_processor_oline* p, void* user)
{
    tarv_http_downloader* self = static_cast<tarv_http_downloader*>(user);
    self->received_ = 0;
    self->expected_length_ = p->content_length();
    self->status_ = p->status();
    if (self->data_callback_) {
        if (p->status() == 200) return 1;
        log_error("Warning in tarv_http_downloader::callback_message_received(), download failed in callback mode.");
        return 0;
    }
    if (self->destination_.empty()) {
        log_error("Error in tarv_http_downloader::callback_message_received(), NULL destination file name and NULL "
                  "download data callback.");
        return 0;
    }
    if (p->status() != 200) {
        log_with("Warning in tarv_http_downloader::callback_message_received(), download failed for file '",
                 self->destination_.c_str(), "'.  Aborting download.");
        return 0;
    }
    if (self->max_body_ >= 0 && self->expected_length_ > self->max_body_) {
        log_with("Warning in tarv_http_downloader::callback_message_received(), file '", self->destination_.c_str(),
                 "' is larger than expected.  Aborting download.");
        return 0;
    }
    self->output_ = std::fopen(self->destination_.c_str(), "wb");
    if (!self->output_) {
        log_with("Warning in tarv_http_downloader::callback_message_received(), unable to open output file '",
                 self->destination_.c_str(), "'.  Aborting download.");
        return 0;
    }
    return 1;
}

int tarv_http_downloader::on_message_complete(tarv_http_data_processor_oline*, void* user)
{
    tarv_http_downloader* self = static_cast<tarv_http_downloader*>(user);
    if (self->output_) {
        bool flushed = std::fflush(self->output_) == 0;
        bool closed = std::fclose(self->output_) == 0;
        self->output_ = nullptr;
        if (!flushed || !closed) {
            log_error("Warning in tarv_http_downloader::callback_content_data_received(), unable to write all data to "
                      "disk.  Bailing.");
            return 0;
        }
    }
    return 1;
}

int tarv_http_downloader::callback_content_data_received(tarv_http_data_processor_oline*, void* user, const char* data,
                                                         int length)
{
    tarv_http_downloader* self = static_cast<tarv_http_downloader*>(user);
    if (length <= 0) return 0;
    if (self->max_body_ >= 0 && self->received_ + static_cast<long long>(length) > self->max_body_) {
        log_error("Warning in tarv_http_downloader::callback_content_data_received(), more data than expected.  "
                  "Bailing.");
        return 0;
    }
    if (self->received_ == 0 && self->progress_callback_)
        self->progress_callback_(self->user_, 0, self->expected_length_);
    if (self->data_callback_) {
        if (!self->data_callback_(self->user_, data, length)) return 0;
    } else if (!self->output_) {
        log_error("Warning in tarv_http_downloader::callback_content_data_received(), attempt to download data via "
                  "callback, only no callback set.");
        return 0;
    } else if (std::fwrite(data, 1, static_cast<std::size_t>(length), self->output_) !=
               static_cast<std::size_t>(length)) {
        log_error("Warning in tarv_http_downloader::callback_content_data_received(), unable to write all data to "
                  "disk.  Bailing.");
        return 0;
    }
    self->received_ += length;
    if (self->progress_callback_) self->progress_callback_(self->user_, self->received_, self->expected_length_);
    return 1;
}

int tarv_http_downloader::callback_content_body_get_tx_data(tarv_http_data_processor_oline*, void*, char*, int)
{
    log_error("Error in tarv_http_downloader::callback_content_body_get_tx_data(), this callback should never be "
              "invoked.");
    return -1;
}
