// Fetches one resource with one HTTP GET on its own connection, into a file
// or through a data callback. It waits on the socket with time limits, so it
// belongs on a worker thread.
#pragma once

#include "net/tcp_socket.h"
#include "support/text_buffer.h"

#include <cstdio>

class tarv_http_data_processor_oline;

class tarv_http_downloader {
public:
    // Body bytes; 0 refuses them and ends the download.
    using data_fn = int (*)(void* user, const char* data, int length);
    using progress_fn = void (*)(void* user, int received, int expected);

    tarv_http_downloader() = default;
    ~tarv_http_downloader();
    tarv_http_downloader(const tarv_http_downloader&) = delete;
    tarv_http_downloader& operator=(const tarv_http_downloader&) = delete;

    int set_connection(const char* host, int port, int tls);
    void set_data_callback(data_fn fn) { data_callback_ = fn; }
    void set_progress_callback(progress_fn fn) { progress_callback_ = fn; }
    void set_user_data(void* user) { user_ = user; }
    // Time limit of each connect, write and read wait (5000 ms).
    void set_wait_ms(int ms) { wait_ms_ = ms; }
    // How long the server may send nothing before the download is given up
    // (one minute).
    void set_idle_limit_ms(int ms) { idle_limit_ms_ = ms; }
    // Largest body accepted; -1 for no limit.
    void set_max_body(long long bytes) { max_body_ = bytes; }

    // File mode.
    int download(const char* host, const char* path, const char* destination);
    // Data callback mode, or file mode with a stored destination.
    int download(const char* host, const char* path);

    int received() const { return received_; }
    int expected_length() const { return expected_length_; }
    int status() const { return status_; }

private:
    int common_download(const char* host, const char* path);
    int receive(tarv_http_data_processor_oline& processor);
    void discard_output_file();

    static void on_connection_reset(tarv_http_data_processor_oline* p, void* user);
    static int callback_message_received(tarv_http_data_processor_oline* p, void* user);
    static int on_message_complete(tarv_http_data_processor_oline* p, void* user);
    static int callback_content_data_received(tarv_http_data_processor_oline* p, void* user, const char* data,
                                              int length);
    static int callback_content_body_get_tx_data(tarv_http_data_processor_oline* p, void* user, char* buffer,
                                                 int size);

    int tls_ = 0;
    int port_ = 0;
    sockaddr_in address_{};
    int address_ok_ = 0;
    tarv_text_buffer destination_;
    std::FILE* output_ = nullptr;
    int expected_length_ = -1;
    int received_ = 0;
    int status_ = 0;
    tarv_tcp_socket socket_;
    data_fn data_callback_ = nullptr;
    progress_fn progress_callback_ = nullptr;
    void* user_ = nullptr;
    int wait_ms_ = 5000;
    int idle_limit_ms_ = 60000;
    long long max_body_ = -1;
};
