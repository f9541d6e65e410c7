// A private HOME with its configuration directory and a debug log the tests
// can read, set up once per test binary.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/config_dir.h"
#include "support/debug_log.h"

namespace config_test {

inline std::string& home_dir() {
    static std::string home;
    return home;
}

inline std::string log_path() { return home_dir() + "/debug_log.txt"; }

inline void set_up_once() {
    if (!home_dir().empty()) return;
    char pattern[] = "/tmp/tessel-config-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    ASSERT_NE(made, nullptr);
    home_dir() = made;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(home_dir(), ignored);
    });
    setenv("HOME", made, 1);
    tarv_client_set_debug_logfile_name(log_path().c_str());
    ASSERT_EQ(tarv_client_set_up_config_directory("Karthem"), 1);
    ASSERT_EQ(std::string(tarv_client_get_config_directory()), home_dir() + "/.Karthem");
}

inline std::string dir() { return tarv_client_get_config_directory(); }

inline std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void write_file(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

inline bool exists(const std::string& path) { return std::filesystem::exists(path); }

inline std::string log_text() { return read_file(log_path()); }

// Empties the configuration directory and the log.
inline void reset() {
    set_up_once();
    for (const auto& entry : std::filesystem::directory_iterator(dir())) std::filesystem::remove_all(entry.path());
    std::ofstream(log_path(), std::ios::trunc).close();
    tarv_debug_level = 1;
}

class Fixture : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
};

}  // namespace config_test
