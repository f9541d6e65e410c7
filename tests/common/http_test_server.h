// Starts tests/common/http_test_server.py on 127.0.0.1 for one test: it
// serves a folder and records every request path.
#pragma once

#include "common/log_capture.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

class TestHttpServer {
public:
    TestHttpServer()
    {
        std::filesystem::create_directories(root());
        int out[2];
        if (pipe(out) != 0) return;
        std::string script = std::string(TESSEL_TEST_DATA) + "/common/http_test_server.py";
        std::string root_path = root(), log_path = request_log();
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], 1);
            close(out[0]);
            close(out[1]);
            execlp("python3", "python3", script.c_str(), root_path.c_str(), log_path.c_str(), (char*)nullptr);
            _exit(127);
        }
        close(out[1]);
        // The port comes on the first line; wait for it a bounded time.
        std::string line;
        pollfd p{out[0], POLLIN, 0};
        while (line.find('\n') == std::string::npos && poll(&p, 1, 10000) > 0) {
            char c[16];
            ssize_t n = read(out[0], c, sizeof c);
            if (n <= 0) break;
            line.append(c, n);
        }
        close(out[0]);
        port_ = std::atoi(line.c_str());
        EXPECT_GT(port_, 0) << "test HTTP server did not start";
    }
    ~TestHttpServer()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    int port() const { return port_; }
    std::string host_port() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string root() const { return dir_ / "root"; }
    std::string request_log() const { return dir_ / "requests.log"; }
    std::string requests() const { return read_file(request_log()); }
    // Writes a served file (creating its folders) and returns its path.
    std::string put(const std::string& name, const std::string& bytes) const
    {
        std::string path = root() + "/" + name;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (f) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        return path;
    }

private:
    TempDir dir_;
    pid_t pid_ = -1;
    int port_ = 0;
};
