#include "connection/server_keys.h"

#include "config/atomic_file.h"
#include "support/debug_log.h"
#include "support/util.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using key_map = std::map<std::pair<std::string, int>, tarv_key_fingerprint>;

std::string lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool valid_host(const std::string& host)
{
    if (host.empty() || host.size() > 253) return false;
    for (char c : host)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.'))
            return false;
    return true;
}

bool parse_port(const std::string& text, int* port)
{
    if (text.empty() || text.size() > 5) return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 65535) return false;
    *port = value;
    return true;
}

// Exactly 64 hexadecimal digits.
bool parse_fingerprint(const std::string& text, tarv_key_fingerprint* out)
{
    if (text.size() != out->size() * 2) return false;
    for (std::size_t i = 0; i < out->size(); ++i) {
        int high = tarv_hex_digit(text[i * 2]), low = tarv_hex_digit(text[i * 2 + 1]);
        if (high < 0 || low < 0) return false;
        (*out)[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return true;
}

// The line's fields, split at runs of blanks and tabs.
std::vector<std::string> fields_of(const std::string& line)
{
    std::vector<std::string> fields;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
        std::size_t start = at;
        while (at < line.size() && line[at] != ' ' && line[at] != '\t') ++at;
        if (at > start) fields.push_back(line.substr(start, at - start));
    }
    return fields;
}

std::string line_problem(int number, const char* what)
{
    char text[128];
    std::snprintf(text, sizeof text, "line %d %s", number, what);
    return text;
}

}  // namespace

std::string tarv_fingerprint_hex(const tarv_key_fingerprint& fingerprint)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (std::uint8_t byte : fingerprint) {
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    return text;
}

std::string tarv_format_fingerprint(const tarv_key_fingerprint& fingerprint)
{
    std::string hex = tarv_fingerprint_hex(fingerprint), text;
    for (std::size_t at = 0; at < hex.size(); at += 8) {
        if (at) text += ' ';
        text += hex.substr(at, 8);
    }
    return text;
}

tarv_server_keys::parsed tarv_server_keys::parse(const std::string& text)
{
    parsed result;
    auto note = [&result](std::string problem) {
        if (result.problem.empty()) result.problem = std::move(problem);
    };
    bool ended = false;
    int number = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        bool complete = end != std::string::npos;
        std::string line = text.substr(at, complete ? end - at : std::string::npos);
        at = complete ? end + 1 : text.size();
        ++number;
        if (!complete) {
            // The last write stopped in the middle of a line.
            note("the file is cut short");
            break;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> fields = fields_of(line);
        if (fields.empty() || fields[0][0] == '#') continue;
        if (ended) {
            note(line_problem(number, "comes after the end line"));
            continue;
        }
        if (fields.size() == 1 && fields[0] == "end") {
            ended = true;
            continue;
        }
        int port = 0;
        tarv_key_fingerprint fingerprint{};
        if (fields.size() != 3 || !valid_host(fields[0]) || !parse_port(fields[1], &port) ||
            !parse_fingerprint(fields[2], &fingerprint)) {
            note(line_problem(number, "cannot be read"));
            continue;
        }
        auto key = std::make_pair(lower(fields[0]), port);
        if (result.keys.count(key)) {
            note(line_problem(number, "gives a second key for the same server"));
            continue;
        }
        result.keys.emplace(std::move(key), fingerprint);
    }
    if (!ended) note("the file is cut short");
    return result;
}

std::string tarv_server_keys::format(const key_map& keys)
{
    std::string text =
        "# Tessel: the keys of game servers that no known authority vouches for,\n"
        "# remembered the first time the client met each one: host, port and the\n"
        "# SHA-256 fingerprint of the server's public key. Delete a server's line\n"
        "# to forget its key. The last line must be \"end\".\n";
    for (const auto& [server, fingerprint] : keys)
        text += server.first + " " + std::to_string(server.second) + " " + tarv_fingerprint_hex(fingerprint) + "\n";
    text += "end\n";
    return text;
}

tarv_server_keys::tarv_server_keys(std::string path) : path_(std::move(path)) {}

void tarv_server_keys::set_path(std::string path)
{
    path_ = std::move(path);
    keys_.clear();
    unsaved_.clear();
    problem_.clear();
}

bool tarv_server_keys::load()
{
    if (path_.empty()) return true;
    keys_.clear();
    problem_.clear();
    std::FILE* file = std::fopen(path_.c_str(), "rb");
    if (!file) {
        if (errno != ENOENT) problem_ = std::string("it cannot be read: ") + std::strerror(errno);
    } else {
        std::string text;
        char buffer[8192];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
            text.append(buffer, n);
            if (static_cast<long>(text.size()) > max_file_size) break;
        }
        bool failed = std::ferror(file) != 0;
        std::fclose(file);
        if (failed) {
            problem_ = "it cannot be read";
        } else if (static_cast<long>(text.size()) > max_file_size) {
            problem_ = "it is larger than a file of server keys can be";
        } else {
            parsed p = parse(text);
            keys_ = std::move(p.keys);
            problem_ = std::move(p.problem);
        }
    }
    for (const auto& [server, fingerprint] : unsaved_) keys_[server] = fingerprint;
    if (!problem_.empty())
        TARV_LOG(1, "Warning in tarv_server_keys::load(), '%s' is damaged: %s.\n", path_.c_str(), problem_.c_str());
    return problem_.empty();
}

const tarv_key_fingerprint* tarv_server_keys::find(const std::string& host, int port) const
{
    auto it = keys_.find(std::make_pair(lower(host), port));
    return it == keys_.end() ? nullptr : &it->second;
}

bool tarv_server_keys::remember(const std::string& host, int port, const tarv_key_fingerprint& fingerprint)
{
    auto server = std::make_pair(lower(host), port);
    if (path_.empty()) {
        keys_[server] = fingerprint;
        return true;
    }
    // Keys added meanwhile by another client instance are kept.
    load();
    keys_[server] = fingerprint;
    unsaved_[server] = fingerprint;
    if (!valid_host(host) || port < 1 || port > 65535) {
        TARV_LOG(1, "Warning in tarv_server_keys::remember(), '%s' port %d cannot be written down.\n", host.c_str(),
                 port);
        return false;
    }
    if (damaged()) {
        // What could not be read may still matter to the player: keep it.
        std::string aside = path_ + ".damaged";
        if (std::rename(path_.c_str(), aside.c_str()) != 0 && errno != ENOENT) {
            TARV_LOG(1, "Warning in tarv_server_keys::remember(), cannot keep '%s' aside: %s.\n", path_.c_str(),
                     std::strerror(errno));
            return false;
        }
        TARV_LOG(1, "tarv_server_keys::remember() - the damaged file is kept as '%s'.\n", aside.c_str());
    }
    tarv_atomic_file file(path_);
    if (!file.file()) return false;
    std::string text = format(keys_);
    std::fwrite(text.data(), 1, text.size(), file.file());
    if (!file.commit()) return false;
    unsaved_.clear();
    problem_.clear();
    return true;
}
