// Test helpers shared by every test folder: a private temp folder and a debug
// log redirected into it.
#pragma once

#include "support/debug_log.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tessel-test-XXXXXX").string();
        char* made = mkdtemp(pattern.data());
        EXPECT_NE(made, nullptr);
        path_ = pattern;
    }
    ~TempDir()
    {
        std::error_code ignored;
        // Tests may leave read-only folders behind; make them removable first.
        for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored))
            if (entry.is_directory(ignored) && !entry.is_symlink(ignored))
                std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Leaves the log closed with no name and no failed flag, whatever state it was in.
inline void reset_debug_log()
{
    if (tarv_client_debug_logfile_is_open())
        tarv_client_debug_logfile_close();
    else
        tarv_client_set_debug_logfile_name(nullptr);
}

// Sends the debug log to a fresh file (not yet created) for one test and
// restores the level afterwards.
class LogCapture {
public:
    explicit LogCapture(int level = 1) : saved_level_(tarv_debug_level), path_(dir_ / "debug.log")
    {
        reset_debug_log();
        tarv_debug_level = level;
        tarv_client_set_debug_logfile_name(path_.c_str());
    }
    ~LogCapture()
    {
        reset_debug_log();
        tarv_debug_level = saved_level_;
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::string& path() const { return path_; }
    const TempDir& dir() const { return dir_; }
    std::string text() const { return read_file(path_); }
    bool contains(const std::string& needle) const { return text().find(needle) != std::string::npos; }
    // Non-overlapping occurrences.
    int count(const std::string& needle) const
    {
        std::string t = text();
        int n = 0;
        for (size_t at = t.find(needle); at != std::string::npos; at = t.find(needle, at + needle.size())) ++n;
        return n;
    }

private:
    int saved_level_;
    TempDir dir_;
    std::string path_;
};
