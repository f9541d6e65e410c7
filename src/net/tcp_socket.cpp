#include "net/tcp_socket.h"

#include "net/net_error.h"
#include "support/debug_log.h"
#include "support/text_buffer.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <openssl/x509_vfy.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstring>

namespace {

constexpr int module_tcp_socket = 2;
constexpr int module_ssl_startup = 5;

SSL_CTX* ssl_context = nullptr;
const char* const ssl_cipher_list = "HIGH:@STRENGTH:!aNULL";

void net_log(unsigned class_bits, int module, const char* format, ...) __attribute__((format(printf, 3, 4)));

void net_log(unsigned class_bits, int module, const char* format, ...)
{
    if (class_bits & LOG_CLASS_VERBOSE) {
        if (tarv_debug_level < 3) return;
    } else if (tarv_debug_level < 1) {
        return;
    }
    char text[tarv_text_buffer::capacity];
    std::va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    tarv_debug_log_flagged(text, class_bits, module);
}

void log_error(const char* text)
{
    net_log(LOG_CLASS_ERROR, module_tcp_socket, "%s", text);
}

// The TLS library's own reason, logged as a verbose line.
void log_ssl_detail(int ssl_error)
{
    unsigned long code = ERR_get_error();
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    net_log(LOG_CLASS_VERBOSE, module_tcp_socket, "%s - err code %d.", text, ssl_error);
    ERR_clear_error();
}

std::int64_t now_ms()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t deadline_after(int milliseconds)
{
    return milliseconds < 0 ? -1 : now_ms() + milliseconds;
}

// Milliseconds left for poll(): -1 waits without limit.
int remaining_ms(std::int64_t deadline)
{
    if (deadline < 0) return -1;
    std::int64_t left = deadline - now_ms();
    if (left <= 0) return 0;
    return left > 0x7fffffff ? 0x7fffffff : static_cast<int>(left);
}

// poll() rather than select(): a descriptor above FD_SETSIZE must not
// corrupt the stack. Returns poll's result; EINTR is retried within the limit.
int wait_for(int descriptor, short events, std::int64_t deadline, short* revents)
{
    for (;;) {
        pollfd p{descriptor, events, 0};
        int r = poll(&p, 1, remaining_ms(deadline));
        if (r < 0 && errno == EINTR && (deadline < 0 || remaining_ms(deadline) > 0)) continue;
        *revents = p.revents;
        return r;
    }
}

int pending_socket_error(int descriptor)
{
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(descriptor, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return errno;
    return error;
}

}  // namespace

int tarv_parse_ipv4_literal(const char* host, in_addr* out)
{
    if (!host || !out) return 0;
    unsigned parts[4] = {0, 0, 0, 0};
    int part = 0, digits_in_part = 0, digits = 0;
    for (const char* p = host; *p; ++p) {
        if (*p == '.') {
            if (digits_in_part == 0 || part == 3) return 0;
            ++part;
            digits_in_part = 0;
        } else if (*p >= '0' && *p <= '9') {
            parts[part] = parts[part] * 10 + unsigned(*p - '0');
            if (parts[part] > 255) return 0;
            ++digits_in_part;
            if (++digits > 12) return 0;
        } else {
            return 0;
        }
    }
    if (part != 3 || digits_in_part == 0 || digits < 4) return 0;
    out->s_addr = htonl((parts[0] << 24) | (parts[1] << 16) | (parts[2] << 8) | parts[3]);
    return 1;
}

int tarv_ssl_startup()
{
    if (ssl_context) return 1;
    if (!OPENSSL_init_ssl(OPENSSL_INIT_LOAD_SSL_STRINGS | OPENSSL_INIT_LOAD_CRYPTO_STRINGS, nullptr)) {
        net_log(LOG_CLASS_ERROR, module_ssl_startup, "Error in tarv_ssl_startup(), library initialisation failed.");
        return 0;
    }
    SSL_CTX* context = SSL_CTX_new(TLS_method());
    if (!context) {
        net_log(LOG_CLASS_ERROR, module_ssl_startup, "Error in tarv_ssl_startup(), %s",
                ERR_error_string(ERR_get_error(), nullptr));
        return 0;
    }
    // A close without close_notify is how servers usually hang up: treat it
    // as an orderly end of stream, not a failure.
    SSL_CTX_set_options(context, SSL_OP_NO_SSLv2 | SSL_OP_IGNORE_UNEXPECTED_EOF);
    // Writes may be partial and retried from a moved buffer, since the
    // caller shifts its unsent remainder to the front.
    SSL_CTX_set_mode(context, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    if (!SSL_CTX_set_cipher_list(context, ssl_cipher_list)) {
        net_log(LOG_CLASS_ERROR, module_ssl_startup, "Error in tarv_ssl_startup(), %s",
                ERR_error_string(ERR_get_error(), nullptr));
        SSL_CTX_free(context);
        return 0;
    }
    // Servers are checked against the system's authorities after the
    // handshake (the game connection decides what a failed check means), so
    // no verify mode is set here. Without a trust store nothing verifies and
    // every server is treated as unknown.
    if (!SSL_CTX_set_default_verify_paths(context)) {
        net_log(LOG_CLASS_ERROR, module_ssl_startup,
                "Warning in tarv_ssl_startup(), the system's trusted authorities could not be loaded: %s",
                ERR_error_string(ERR_get_error(), nullptr));
        ERR_clear_error();
    }
    ssl_context = context;
    return 1;
}

int tarv_ssl_trust_authorities(const char* pem_file)
{
    if (!ssl_context || !pem_file || !*pem_file) return 0;
    ERR_clear_error();
    if (!SSL_CTX_load_verify_locations(ssl_context, pem_file, nullptr)) {
        net_log(LOG_CLASS_ERROR, module_ssl_startup,
                "Warning in tarv_ssl_trust_authorities(), cannot load authorities from '%s': %s", pem_file,
                ERR_error_string(ERR_get_error(), nullptr));
        ERR_clear_error();
        return 0;
    }
    return 1;
}

int tarv_resolve_host_address(const char* host, sockaddr_in* address)
{
    if (!host || !address) return 0;
    std::memset(address, 0, sizeof *address);
    address->sin_family = AF_INET;
    if (tarv_parse_ipv4_literal(host, &address->sin_addr)) return 1;

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    int rc = getaddrinfo(host, nullptr, &hints, &result);
    if (rc != 0 || !result) {
        net_log(LOG_CLASS_ERROR, module_tcp_socket, "Warning in tarv_resolve_host_address(), lookup of '%s' failed: %s.",
                host, gai_strerror(rc));
        if (result) freeaddrinfo(result);
        return 0;
    }
    address->sin_addr = reinterpret_cast<sockaddr_in*>(result->ai_addr)->sin_addr;
    freeaddrinfo(result);
    return 1;
}

int tarv_network_socket::set_blocking(int descriptor)
{
    int flags = fcntl(descriptor, F_GETFL);
    if (flags < 0 || fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) < 0) {
        log_error("Error in tarv_network_socket::set_blocking(), setting blocking mode failed.");
        return 0;
    }
    return 1;
}

int tarv_network_socket::set_nonblocking(int descriptor)
{
    int flags = fcntl(descriptor, F_GETFL);
    if (flags < 0 || fcntl(descriptor, F_SETFL, flags | O_NONBLOCK) < 0) {
        log_error("Error in tarv_network_socket::set_nonblocking(), setting nonblocking mode failed.");
        return 0;
    }
    return 1;
}

tarv_tcp_socket::~tarv_tcp_socket()
{
    if (descriptor_ >= 0) {
        log_error("Error in ~tarv_tcp_socket(), socket not closed.");
        close_socket();
    }
    if (ssl_) SSL_free(ssl_);
}

int tarv_tcp_socket::enable_ssl()
{
    if (state_ != SOCKET_UNCONNECTED) {
        log_error("Error in tarv_tcp_socket::enable_ssl(), socket not in unconnected state.");
        return 0;
    }
    if (ssl_enabled_) {
        log_error("Error in tarv_tcp_socket::enable_ssl(), ssl already enabled.");
        return 1;
    }
    ssl_enabled_ = 1;
    return 1;
}

int tarv_tcp_socket::disable_ssl()
{
    if (state_ != SOCKET_UNCONNECTED) {
        log_error("Error in tarv_tcp_socket::disable_ssl(), socket not in unconnected state.");
        return 0;
    }
    ssl_enabled_ = 0;
    if (ssl_) {
        SSL_free(ssl_);
        ssl_ = nullptr;
    }
    return 1;
}

void tarv_tcp_socket::set_peer_name(const char* name)
{
    peer_name_ = name ? name : "";
}

bool tarv_tcp_socket::peer_verified() const
{
    if (state_ != SOCKET_CONNECTED || !ssl_enabled_ || !ssl_ || peer_name_.empty()) return false;
    X509* certificate = SSL_get0_peer_certificate(ssl_);
    return certificate && SSL_get_verify_result(ssl_) == X509_V_OK;
}

bool tarv_tcp_socket::peer_key_fingerprint(tarv_key_fingerprint* out) const
{
    if (!out || state_ != SOCKET_CONNECTED || !ssl_enabled_ || !ssl_) return false;
    X509* certificate = SSL_get0_peer_certificate(ssl_);
    if (!certificate) return false;
    unsigned char* der = nullptr;
    int length = i2d_X509_PUBKEY(X509_get_X509_PUBKEY(certificate), &der);
    if (length <= 0) return false;
    unsigned int digest_length = 0;
    bool ok = EVP_Digest(der, static_cast<std::size_t>(length), out->data(), &digest_length, EVP_sha256(), nullptr) &&
              digest_length == out->size();
    OPENSSL_free(der);
    return ok;
}

void tarv_tcp_socket::close_socket()
{
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = -1;
    state_ = SOCKET_UNCONNECTED;
}

void tarv_tcp_socket::fail_connect(int code)
{
    write_error_ = code;
    close_socket();
}

int tarv_tcp_socket::start_nonblocking_connect(const sockaddr_in& address, int port)
{
    if (state_ & (SOCKET_CONNECTING | SOCKET_SSL_CONNECTING)) {
        write_error_ = NET_ERR_IN_PROGRESS;
        return -1;
    }
    if (state_ == SOCKET_CONNECTED) {
        write_error_ = NET_ERR_IS_CONNECTED;
        return -1;
    }
    if (descriptor_ >= 0) {
        log_error("Error in tarv_tcp_socket::start_nonblocking_connect(), socket not closed.");
        close_socket();
    }
    descriptor_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (descriptor_ < 0) {
        log_error("Error in tarv_tcp_socket::start_nonblocking_connect(), unable to create new socket?");
        write_error_ = NET_ERR_NO_DESCRIPTORS;
        return -1;
    }
    state_ = SOCKET_CONNECTING;
    peer_ = address;
    peer_.sin_family = AF_INET;
    peer_.sin_port = htons(static_cast<std::uint16_t>(port));
    tarv_network_socket::set_nonblocking(descriptor_);
    int code = NET_ERR_NONE;
    if (::connect(descriptor_, reinterpret_cast<const sockaddr*>(&peer_), sizeof peer_) != 0)
        code = tarv_net_last_error();
    if (code == NET_ERR_NONE || code == NET_ERR_IS_CONNECTED) {
        write_error_ = 0;
        return ssl_try_connect(false, -1);
    }
    write_error_ = code;
    if (tarv_net_error_is_temporary(code) || code == NET_ERR_ALREADY) return 0;
    close_socket();
    return code;
}

int tarv_tcp_socket::finish_tcp_connect(short revents, bool wait, std::int64_t deadline_ms)
{
    // A refused or unreachable connect also reports writable: ask the
    // socket for its pending error before calling it established.
    int error = pending_socket_error(descriptor_);
    if (error != 0) {
        fail_connect(tarv_net_error_from_errno(error));
        return -1;
    }
    if (!(revents & POLLOUT)) {
        fail_connect(NET_ERR_RESET);
        return -1;
    }
    return ssl_try_connect(wait, deadline_ms);
}

int tarv_tcp_socket::connect_with_timeout(const sockaddr_in& address, int port, int milliseconds)
{
    std::int64_t deadline = deadline_after(milliseconds);
    int r = start_nonblocking_connect(address, port);
    if (r == 1) return 1;
    if (r < 0) return -1;
    if (state_ == SOCKET_SSL_CONNECTING) {
        r = handshake_until(deadline);
        return r > 0 ? 1 : -1;
    }
    short revents = 0;
    int n = wait_for(descriptor_, POLLOUT, deadline, &revents);
    if (n == 0) {
        fail_connect(NET_ERR_TIMEOUT);
        return -1;
    }
    if (n < 0) {
        fail_connect(NET_ERR_UNKNOWN);
        return -1;
    }
    r = finish_tcp_connect(revents, true, deadline);
    if (r < 0) return -1;
    return r;
}

int tarv_tcp_socket::ssl_try_connect(bool wait, std::int64_t deadline_ms)
{
    if (!ssl_enabled_) {
        state_ = SOCKET_CONNECTED;
        return 1;
    }
    if (state_ != SOCKET_CONNECTING) {
        log_error("Error in tarv_tcp_socket::ssl_try_connect(), socket not in connecting state.");
        fail_connect(NET_ERR_RESET);
        return -1;
    }
    if (ssl_) {
        SSL_free(ssl_);
        ssl_ = nullptr;
    }
    ERR_clear_error();
    ssl_ = ssl_context ? SSL_new(ssl_context) : nullptr;
    if (!ssl_) {
        log_error("Unable to allocate SSL struct in tarv_tcp_socket::ssl_try_connect(), did you run tarv_ssl_startup()?");
        log_ssl_detail(0);
        return 0;
    }
    bool ok = true;
    if (!SSL_set_cipher_list(ssl_, ssl_cipher_list)) {
        log_error("Error in tarv_tcp_socket::ssl_try_connect(), unable to set cipher list?");
        ok = false;
    } else if (!SSL_set_fd(ssl_, descriptor_)) {
        log_error("Error in tarv_tcp_socket::ssl_try_connect(), set_fd failed?");
        ok = false;
    }
    if (ok && !peer_name_.empty()) {
        // The name is checked as part of the chain's verification; a dotted
        // address must appear as an address in the certificate, not a name.
        X509_VERIFY_PARAM* param = SSL_get0_param(ssl_);
        in_addr literal{};
        if (tarv_parse_ipv4_literal(peer_name_.c_str(), &literal)) {
            ok = X509_VERIFY_PARAM_set1_ip_asc(param, peer_name_.c_str()) == 1;
        } else {
            X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
            ok = X509_VERIFY_PARAM_set1_host(param, peer_name_.c_str(), 0) == 1 &&
                 SSL_set_tlsext_host_name(ssl_, peer_name_.c_str()) == 1;
        }
        if (!ok) log_error("Error in tarv_tcp_socket::ssl_try_connect(), unable to set the server's name?");
    }
    if (!ok) {
        fail_connect(NET_ERR_RESET);
        return -1;
    }
    state_ = SOCKET_SSL_CONNECTING;
    if (wait) return handshake_until(deadline_ms);
    return ssl_retry_connect();
}

int tarv_tcp_socket::ssl_retry_connect()
{
    if (!ssl_) {
        log_error("Error in tarv_tcp_socket::ssl_retry_connect(), NULL ssl context?");
        fail_connect(NET_ERR_RESET);
        return -1;
    }
    ERR_clear_error();
    errno = 0;
    int r = SSL_connect(ssl_);
    if (r == 1) {
        state_ = SOCKET_CONNECTED;
        return 1;
    }
    int error = SSL_get_error(ssl_, r);
    if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) {
        handshake_wants_write_ = error == SSL_ERROR_WANT_WRITE;
        return 0;
    }
    // A failed handshake leaves nothing worth retrying: close so that the
    // state says so and no later poll runs the dead handshake again.
    if (r == 0) {
        log_error("Warning in tarv_tcp_socket::ssl_retry_connect(), SSL connect failed due to protocol issue.");
    } else if (error == SSL_ERROR_ZERO_RETURN) {
        log_error("Controlled ssl close in tarv_tcp_socket::ssl_retry_connect(), bailing.");
    } else {
        log_error("SSL connect failed in tarv_tcp_socket::ssl_retry_connect().");
        log_ssl_detail(error);
    }
    fail_connect(NET_ERR_RESET);
    return -1;
}

// Runs the handshake to its end, but never past the deadline: a server that
// accepts and then stays silent must not hold the caller for good.
int tarv_tcp_socket::handshake_until(std::int64_t deadline_ms)
{
    int r = ssl_retry_connect();
    while (r == 0) {
        short revents = 0;
        int n = wait_for(descriptor_, handshake_wants_write_ ? POLLOUT : POLLIN, deadline_ms, &revents);
        if (n == 0) {
            log_error("Error in tarv_tcp_socket::connect_with_timeout(), TLS handshake timed out.");
            fail_connect(NET_ERR_TIMEOUT);
            return -1;
        }
        if (n < 0) {
            fail_connect(tarv_net_last_error());
            return -1;
        }
        r = ssl_retry_connect();
    }
    return r;
}

int tarv_tcp_socket::poll_connect()
{
    if (state_ == SOCKET_CONNECTED) {
        write_error_ = NET_ERR_IS_CONNECTED;
        return -1;
    }
    if (state_ == SOCKET_UNCONNECTED) {
        write_error_ = NET_ERR_NOT_CONNECTED;
        return -1;
    }
    if (state_ == SOCKET_SSL_CONNECTING) return ssl_retry_connect();
    short revents = 0;
    int n = wait_for(descriptor_, POLLOUT, 0, &revents);
    if (n == 0) return 0;
    if (n < 0) {
        write_error_ = tarv_net_last_error();
        if (tarv_net_error_is_temporary(write_error_)) return 0;
        close_socket();
        return -1;
    }
    return finish_tcp_connect(revents, false, -1);
}

int tarv_tcp_socket::get_state()
{
    if (state_ == SOCKET_CONNECTING || state_ == SOCKET_SSL_CONNECTING) poll_connect();
    return state_;
}

int tarv_tcp_socket::nonblocking_read(char* buffer, int size)
{
    if (state_ != SOCKET_CONNECTED) {
        read_error_ = NET_ERR_NOT_CONNECTED;
        return -1;
    }
    if (!buffer || size <= 0) return 0;
    if (ssl_enabled_ && ssl_) {
        ERR_clear_error();
        errno = 0;
        int r = SSL_read(ssl_, buffer, size);
        if (r > 0) return r;
        int error = SSL_get_error(ssl_, r);
        if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) return 0;
        if (error == SSL_ERROR_ZERO_RETURN || (error == SSL_ERROR_SYSCALL && errno == 0 && ERR_peek_error() == 0)) {
            read_error_ = 0;
            close_socket();
            return -1;
        }
        int system_error = errno;
        net_log(LOG_CLASS_VERBOSE, module_tcp_socket, "Unexpected ssl close in tarv_tcp_socket::nonblocking_read().");
        read_error_ = NET_ERR_RESET;
        if (error == SSL_ERROR_SYSCALL && system_error != 0) {
            int code = tarv_net_error_from_errno(system_error);
            if (code != NET_ERR_UNKNOWN && code != NET_ERR_NONE) read_error_ = code;
        }
        log_ssl_detail(error);
        close_socket();
        return -1;
    }
    ssize_t r = ::read(descriptor_, buffer, static_cast<std::size_t>(size));
    if (r > 0) return static_cast<int>(r);
    if (r == 0) {
        read_error_ = 0;
        close_socket();
        return -1;
    }
    read_error_ = tarv_net_last_error();
    if (tarv_net_error_is_temporary(read_error_)) return 0;
    close_socket();
    return -1;
}

int tarv_tcp_socket::read_with_timeout(char* buffer, int size, int milliseconds)
{
    if (state_ != SOCKET_CONNECTED) {
        read_error_ = NET_ERR_NOT_CONNECTED;
        return -1;
    }
    if (!buffer || size <= 0) return 0;
    // Decrypted bytes may already sit inside the TLS object, unseen by poll.
    if (ssl_enabled_) {
        int r = nonblocking_read(buffer, size);
        if (r != 0) return r;
    }
    // TLS housekeeping records (session tickets) make the socket readable
    // without giving data: keep waiting until the limit.
    std::int64_t deadline = deadline_after(milliseconds);
    for (;;) {
        short revents = 0;
        int n = wait_for(descriptor_, POLLIN, deadline, &revents);
        if (n == 0) return 0;
        if (n < 0) {
            int code = tarv_net_last_error();
            if (tarv_net_error_is_temporary(code)) return 0;
            read_error_ = code;
            close_socket();
            return -1;
        }
        if (revents & POLLNVAL) {
            read_error_ = NET_ERR_BAD_ARGUMENT;
            close_socket();
            return -1;
        }
        // Readable, hung up or in error: the read itself tells which.
        int r = nonblocking_read(buffer, size);
        if (r != 0 || remaining_ms(deadline) == 0) return r;
    }
}

int tarv_tcp_socket::nonblocking_write(const char* data, int length)
{
    if (state_ != SOCKET_CONNECTED) {
        write_error_ = NET_ERR_NOT_CONNECTED;
        return -1;
    }
    if (!data || length <= 0) return 0;
    if (ssl_enabled_ && ssl_) {
        ERR_clear_error();
        errno = 0;
        int r = SSL_write(ssl_, data, length);
        if (r > 0) return r;
        int error = SSL_get_error(ssl_, r);
        if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE) return 0;
        if (error == SSL_ERROR_ZERO_RETURN) {
            write_error_ = 0;
            net_log(LOG_CLASS_VERBOSE, module_tcp_socket, "Clean SSL shutdown in tarv_tcp_socket::nonblocking_write().");
            close_socket();
            return -1;
        }
        write_error_ = NET_ERR_RESET;
        if (error == SSL_ERROR_SYSCALL && errno != 0) {
            int code = tarv_net_error_from_errno(errno);
            if (code != NET_ERR_UNKNOWN && code != NET_ERR_NONE) write_error_ = code;
        }
        net_log(LOG_CLASS_VERBOSE, module_tcp_socket, "Unexpected ssl close in tarv_tcp_socket::nonblocking_write().");
        close_socket();
        return -1;
    }
    // MSG_NOSIGNAL: a closed peer gives EPIPE even where SIGPIPE is not ignored.
    ssize_t r = ::send(descriptor_, data, static_cast<std::size_t>(length), MSG_NOSIGNAL);
    if (r >= 0) return static_cast<int>(r);
    write_error_ = tarv_net_last_error();
    if (tarv_net_error_is_temporary(write_error_)) return 0;
    close_socket();
    return -1;
}

int tarv_tcp_socket::write_with_timeout(const char* data, int length, int milliseconds)
{
    if (state_ != SOCKET_CONNECTED) {
        write_error_ = NET_ERR_NOT_CONNECTED;
        return -1;
    }
    if (!data || length <= 0) return 0;
    short revents = 0;
    int n = wait_for(descriptor_, POLLOUT, deadline_after(milliseconds), &revents);
    if (n == 0) return 0;
    if (n < 0) {
        int code = tarv_net_last_error();
        if (tarv_net_error_is_temporary(code)) return 0;
        write_error_ = code;
        close_socket();
        return -1;
    }
    if (revents & POLLNVAL) {
        write_error_ = NET_ERR_BAD_ARGUMENT;
        close_socket();
        return -1;
    }
    return nonblocking_write(data, length);
}
