// Shared fixtures of the main window tests: a mock toolkit view and a
// loopback TLS server that holds one client.
#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include <gmock/gmock.h>

#include "../net/loopback.h"
#include "app/mw.h"

class mock_mw_view : public tarv_mw_view {
public:
    mock_mw_view()
    {
        ON_CALL(*this, client_size).WillByDefault([](int* w, int* h) {
            *w = 984;
            *h = 728;
        });
    }
    MOCK_METHOD(void, focus_input, (), (override));
    MOCK_METHOD(void, destroy_window, (), (override));
    MOCK_METHOD(void, force_exit, (int), (override));
    MOCK_METHOD(void, set_title, (const char*), (override));
    MOCK_METHOD(void, ring_bell, (), (override));
    MOCK_METHOD(void, client_size, (int*, int*), (const, override));
    MOCK_METHOD(void, show_exit_dialog, (tarv_exit_dialog), (override));
    MOCK_METHOD(void, rebuild_background, (), (override));
    MOCK_METHOD(void, wake_tick, (), (override));
};

// Accepts one TLS client and keeps it until the test ends.
struct held_server {
    loopback::tls_server_context ctx;
    std::atomic<bool> done{false};
    loopback::listener l{[this](int fd) {
        SSL* ssl = ctx.accept(fd);
        while (!done) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (ssl) SSL_free(ssl);
        close(fd);
    }};
    ~held_server() { done = true; }
};

// What waits in the outgoing buffer.
inline std::string outgoing(const tarv_mw& mw)
{
    const auto& buffer = mw.connection.outgoing();
    return std::string(buffer.data(), static_cast<std::size_t>(buffer.length()));
}

// The main display's text without its wrap points: the shared fonts other
// tests resize decide where lines break.
inline std::string flat_display_text(const tarv_mw& mw)
{
    std::string text = mw.display_text();
    std::erase(text, '\n');
    return text;
}
