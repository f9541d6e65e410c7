// Client-side TCP connection with optional TLS. Every operation is
// non-blocking underneath; the waiting variants poll with a time limit.
// Results: positive = done or byte count, 0 = nothing now, negative = failed;
// the cause stays in read_error() / write_error() as a network error code.
#pragma once

#include <netinet/in.h>

#include <array>
#include <cstdint>
#include <string>

struct ssl_st;

constexpr int SOCKET_UNCONNECTED = 1;
constexpr int SOCKET_CONNECTING = 2;
constexpr int SOCKET_SSL_CONNECTING = 4;
constexpr int SOCKET_CONNECTED = 8;

// Process-wide TLS start-up: 1 ok, 0 failed. Safe to call again. The
// system's trusted authorities are loaded for checking servers.
int tarv_ssl_startup();
// Also trusts the authorities in a PEM file (a test aid: a test authority
// vouches for the scripted server). 1 ok, 0 failed (logged). After start-up.
int tarv_ssl_trust_authorities(const char* pem_file);

// SHA-256 of a server's public key (its DER SubjectPublicKeyInfo).
using tarv_key_fingerprint = std::array<std::uint8_t, 32>;

// Dotted IPv4 literals are converted directly, anything else is looked up
// (IPv4 only). Fills family and address; the port is left to the connect.
int tarv_resolve_host_address(const char* host, sockaddr_in* address);
// The literal test alone: exactly three dots, four numbers below 256, 4 to 12
// digits in all. 1 and the address, or 0.
int tarv_parse_ipv4_literal(const char* host, in_addr* address);

class tarv_network_socket {
public:
    static int set_blocking(int descriptor);
    static int set_nonblocking(int descriptor);
};

class tarv_tcp_socket {
public:
    tarv_tcp_socket() = default;
    ~tarv_tcp_socket();
    tarv_tcp_socket(const tarv_tcp_socket&) = delete;
    tarv_tcp_socket& operator=(const tarv_tcp_socket&) = delete;

    int enable_ssl();
    int disable_ssl();
    // The name the server's certificate must carry (a host name or a dotted
    // IPv4 address), used by every later handshake; also sent as the server
    // name for host names. Empty: no name, so no certificate counts as
    // vouched for.
    void set_peer_name(const char* name);

    // After a completed handshake: true when the certificate chain verified
    // against the trusted authorities and carries the peer name.
    bool peer_verified() const;
    // After a completed handshake: the fingerprint of the server's public
    // key; false when there is none (no TLS, no certificate).
    bool peer_key_fingerprint(tarv_key_fingerprint* out) const;

    // 1 connected, 0 in progress, negative failed.
    int start_nonblocking_connect(const sockaddr_in& address, int port);
    // 1 connected, 0 only when no TLS object could be made (the next
    // get_state retries), -1 failed. The limit covers the TCP connect and the
    // TLS handshake together; a negative limit means none.
    int connect_with_timeout(const sockaddr_in& address, int port, int milliseconds);
    // The state after advancing a pending connect or handshake.
    int get_state();

    int nonblocking_read(char* buffer, int size);
    int read_with_timeout(char* buffer, int size, int milliseconds);
    int nonblocking_write(const char* data, int length);
    int write_with_timeout(const char* data, int length, int milliseconds);

    void close_socket();

    int read_error() const { return read_error_; }
    int write_error() const { return write_error_; }
    bool ssl_enabled() const { return ssl_enabled_ != 0; }
    int descriptor() const { return descriptor_; }

private:
    int ssl_try_connect(bool wait, std::int64_t deadline_ms);
    int ssl_retry_connect();
    int handshake_until(std::int64_t deadline_ms);
    int poll_connect();
    int finish_tcp_connect(short revents, bool wait, std::int64_t deadline_ms);
    void fail_connect(int code);

    ssl_st* ssl_ = nullptr;
    int ssl_enabled_ = 0;
    std::string peer_name_;
    int descriptor_ = -1;
    sockaddr_in peer_{};
    int state_ = SOCKET_UNCONNECTED;
    int read_error_ = 0;
    int write_error_ = 0;
    // Which direction the last handshake step was waiting for.
    bool handshake_wants_write_ = false;
};
