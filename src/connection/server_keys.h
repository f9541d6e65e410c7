// The keys of game servers that no known authority vouched for, remembered
// on first use: one fingerprint per host and port, in a file of the client's
// own in the configuration directory. A file that cannot be read completely
// (cut short, garbled, unreadable) is reported and its unreadable part never
// counts as "not known": the caller must not take a key on first use then.
#pragma once

#include "net/tcp_socket.h"

#include <map>
#include <string>
#include <utility>

// For the player: eight groups of eight lower-case hexadecimal digits
// separated by blanks, which wrap and compare more easily than one run.
std::string tarv_format_fingerprint(const tarv_key_fingerprint& fingerprint);
// For the file: the 64 digits in one run, as `openssl dgst -sha256` prints
// the digest of the key.
std::string tarv_fingerprint_hex(const tarv_key_fingerprint& fingerprint);

class tarv_server_keys {
public:
    static constexpr const char* file_name = "server_keys.txt";
    // Larger files are not read at all.
    static constexpr long max_file_size = 1 << 20;

    struct parsed {
        std::map<std::pair<std::string, int>, tarv_key_fingerprint> keys;
        // Empty when the whole text was read; otherwise why it was not.
        std::string problem;
    };
    // The file's text: a line per server ("host port fingerprint"), comment
    // lines starting with "#", and "end" as the last line, so that a file
    // cut short at a line's end is noticed too. Lines that can be read are
    // kept even when others cannot.
    static parsed parse(const std::string& text);
    static std::string format(const std::map<std::pair<std::string, int>, tarv_key_fingerprint>& keys);

    // An empty path keeps the keys in memory only.
    explicit tarv_server_keys(std::string path = "");

    const std::string& path() const { return path_; }
    void set_path(std::string path);

    // Reads the file anew (a missing file is an empty list). False when the
    // file is damaged or unreadable; problem() says why.
    bool load();
    bool damaged() const { return !problem_.empty(); }
    const std::string& problem() const { return problem_; }

    // The remembered key, or nullptr. Host names are compared without
    // regard to case.
    const tarv_key_fingerprint* find(const std::string& host, int port) const;

    // Remembers (or replaces) the key of a server and writes the file
    // atomically. A damaged file is first kept aside as "<path>.damaged".
    // False when writing failed: the key is then remembered for this run only.
    bool remember(const std::string& host, int port, const tarv_key_fingerprint& fingerprint);

private:
    std::string path_;
    std::map<std::pair<std::string, int>, tarv_key_fingerprint> keys_;
    // Keys that could not be written, kept across reloads for this run.
    std::map<std::pair<std::string, int>, tarv_key_fingerprint> unsaved_;
    std::string problem_;
};
