// Test helpers: loopback listeners, plain and TLS with a key and certificate
// made in memory. Header-only so the connection tests can share it.
#pragma once

#include <openssl/ec.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/pem.h>
#include <openssl/sha.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

namespace loopback {

inline void ignore_sigpipe()
{
    std::signal(SIGPIPE, SIG_IGN);
}

inline sockaddr_in address_of(int port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    return a;
}

// A port on which nothing listens (bound once, then released).
inline int closed_port()
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = address_of(0);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    close(fd);
    return ntohs(a.sin_port);
}

// Reads until the peer closes or `timeout_ms` passes without data.
inline std::string read_all(int fd, int timeout_ms = 3000)
{
    std::string out;
    char buffer[65536];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, timeout_ms) <= 0) break;
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        out.append(buffer, static_cast<size_t>(n));
    }
    return out;
}

inline void write_all(int fd, const std::string& data)
{
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

// Closing with a zero linger time sends a reset instead of a FIN.
inline void close_with_reset(int fd)
{
    linger l{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    close(fd);
}

// Listens on 127.0.0.1 and runs `handler` on the first accepted connection
// in a thread; the handler owns the descriptor.
class listener {
public:
    // Port 0: any free port.
    explicit listener(std::function<void(int)> handler, int port = 0) : handler_(std::move(handler))
    {
        ignore_sigpipe();
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in a = address_of(port);
        bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        listen(fd_, 4);
        socklen_t len = sizeof a;
        getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] {
            pollfd p{fd_, POLLIN, 0};
            // Never wait for good: a test that does not connect still ends.
            if (poll(&p, 1, 15000) <= 0) return;
            int client = accept(fd_, nullptr, nullptr);
            if (client < 0) return;
            handler_(client);
        });
    }
    ~listener()
    {
        if (thread_.joinable()) thread_.join();
        close(fd_);
    }
    int port() const { return port_; }
    sockaddr_in address() const { return address_of(port_); }

private:
    std::function<void(int)> handler_;
    int fd_ = -1;
    int port_ = 0;
    std::thread thread_;
};

// A throw-away P-256 key and a certificate for it, valid for an hour:
// self-signed, or issued by another identity. `alt_name` is a subject
// alternative name such as "IP:127.0.0.1" or "DNS:game.example".
class test_identity {
public:
    explicit test_identity(const char* alt_name, const test_identity* issuer = nullptr, bool authority = false)
    {
        key_ = EVP_EC_gen("P-256");
        cert_ = X509_new();
        X509_set_version(cert_, 2);
        static int serial = 100;
        ASN1_INTEGER_set(X509_get_serialNumber(cert_), ++serial);
        X509_gmtime_adj(X509_getm_notBefore(cert_), -60);
        X509_gmtime_adj(X509_getm_notAfter(cert_), 3600);
        X509_set_pubkey(cert_, key_);
        X509_NAME* name = X509_get_subject_name(cert_);
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>(authority ? "Test Authority" : "server"), -1,
                                   -1, 0);
        X509_set_issuer_name(cert_, issuer ? X509_get_subject_name(issuer->cert_) : name);
        X509V3_CTX v3;
        X509V3_set_ctx(&v3, issuer ? issuer->cert_ : cert_, cert_, nullptr, nullptr, 0);
        auto add = [&](int nid, const char* value) {
            X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &v3, nid, value);
            X509_add_ext(cert_, ext, -1);
            X509_EXTENSION_free(ext);
        };
        if (authority) {
            add(NID_basic_constraints, "critical,CA:TRUE");
            add(NID_key_usage, "critical,keyCertSign,cRLSign");
        }
        if (alt_name) add(NID_subject_alt_name, alt_name);
        X509_sign(cert_, issuer ? issuer->key_ : key_, EVP_sha256());
    }
    ~test_identity()
    {
        X509_free(cert_);
        EVP_PKEY_free(key_);
    }
    test_identity(const test_identity&) = delete;
    test_identity& operator=(const test_identity&) = delete;

    EVP_PKEY* key() const { return key_; }
    X509* certificate() const { return cert_; }

    // SHA-256 of the DER public key, worked out from the key itself.
    std::array<unsigned char, 32> key_sha256() const
    {
        unsigned char* der = nullptr;
        int length = i2d_PUBKEY(key_, &der);
        std::array<unsigned char, 32> digest{};
        SHA256(der, static_cast<size_t>(length), digest.data());
        OPENSSL_free(der);
        return digest;
    }

    // Writes the certificate as PEM; false on failure.
    bool write_pem(const std::string& path) const
    {
        FILE* f = std::fopen(path.c_str(), "w");
        if (!f) return false;
        bool ok = PEM_write_X509(f, cert_) == 1;
        return std::fclose(f) == 0 && ok;
    }

private:
    EVP_PKEY* key_ = nullptr;
    X509* cert_ = nullptr;
};

// Server side TLS with a throw-away P-256 key and self-signed certificate,
// or with a given identity.
class tls_server_context {
public:
    explicit tls_server_context(const test_identity& identity)
    {
        ctx_ = SSL_CTX_new(TLS_server_method());
        SSL_CTX_use_certificate(ctx_, identity.certificate());
        SSL_CTX_use_PrivateKey(ctx_, identity.key());
    }
    tls_server_context()
    {
        ctx_ = SSL_CTX_new(TLS_server_method());
        EVP_PKEY* key = EVP_EC_gen("P-256");
        X509* cert = X509_new();
        ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
        X509_gmtime_adj(X509_getm_notBefore(cert), 0);
        X509_gmtime_adj(X509_getm_notAfter(cert), 3600);
        X509_set_pubkey(cert, key);
        X509_NAME* name = X509_get_subject_name(cert);
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"),
                                   -1, -1, 0);
        X509_set_issuer_name(cert, name);
        X509_sign(cert, key, EVP_sha256());
        SSL_CTX_use_certificate(ctx_, cert);
        SSL_CTX_use_PrivateKey(ctx_, key);
        X509_free(cert);
        EVP_PKEY_free(key);
    }
    ~tls_server_context() { SSL_CTX_free(ctx_); }
    SSL_CTX* get() const { return ctx_; }

    // Blocking accept of the handshake on `fd`; nullptr on failure.
    SSL* accept(int fd) const
    {
        SSL* ssl = SSL_new(ctx_);
        SSL_set_fd(ssl, fd);
        if (SSL_accept(ssl) != 1) {
            SSL_free(ssl);
            return nullptr;
        }
        return ssl;
    }

private:
    SSL_CTX* ctx_ = nullptr;
};

inline std::string ssl_read_all(SSL* ssl)
{
    std::string out;
    char buffer[65536];
    for (;;) {
        int n = SSL_read(ssl, buffer, sizeof buffer);
        if (n <= 0) break;
        out.append(buffer, static_cast<size_t>(n));
    }
    return out;
}

inline bool ssl_write_all(SSL* ssl, const std::string& data)
{
    size_t done = 0;
    while (done < data.size()) {
        int n = SSL_write(ssl, data.data() + done, static_cast<int>(data.size() - done));
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace loopback
