// Test helper: points the debug log at a private file. Header-only so other
// test folders can share it.
#pragma once

#include "support/debug_log.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace loopback {

// Points the debug log at a private file for the life of the object.
class log_capture {
public:
    explicit log_capture(int level = 3)
    {
        char name[] = "/tmp/tessel_log_XXXXXX";
        int fd = mkstemp(name);
        close(fd);
        path_ = name;
        if (tarv_client_debug_logfile_is_open()) tarv_client_debug_logfile_close();
        tarv_client_set_debug_logfile_name(path_.c_str());
        saved_level_ = tarv_debug_level;
        tarv_debug_level = level;
    }
    ~log_capture()
    {
        tarv_debug_level = saved_level_;
        if (tarv_client_debug_logfile_is_open()) tarv_client_debug_logfile_close();
        std::remove(path_.c_str());
    }
    std::string text() const
    {
        std::ifstream in(path_, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    bool contains(const std::string& needle) const { return text().find(needle) != std::string::npos; }
    int count(const std::string& needle) const
    {
        std::string t = text();
        int n = 0;
        for (size_t at = t.find(needle); at != std::string::npos; at = t.find(needle, at + needle.size())) ++n;
        return n;
    }

private:
    std::string path_;
    int saved_level_ = 1;
};

}  // namespace loopback
