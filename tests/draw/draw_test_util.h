// Test helpers: pictures of surfaces as text, and a captured debug log.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "draw/bitmap.h"
#include "support/debug_log.h"

// One character per pixel, looked up in the legend; '?' for any other colour.
inline std::vector<std::string> picture(const tarv_bitmap& b, const std::map<char, tarv_color>& legend)
{
    std::vector<std::string> rows;
    for (int y = 0; y < b.GetHeight(); ++y) {
        std::string row;
        for (int x = 0; x < b.GetWidth(); ++x) {
            char c = '?';
            for (const auto& [key, color] : legend)
                if (b.GetPixel(x, y) == color) c = key;
            row += c;
        }
        rows.push_back(row);
    }
    return rows;
}

inline tarv_bitmap cleared(int w, int h, tarv_color c = color_black)
{
    tarv_bitmap b(w, h);
    b.Clear(c);
    return b;
}

// Sends the debug log to a private file for one test and restores the level.
class DrawLogCapture {
public:
    explicit DrawLogCapture(int level = 2) : saved_level_(tarv_debug_level)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tessel-draw-XXXXXX").string();
        if (mkdtemp(pattern.data())) dir_ = pattern;
        path_ = dir_ + "/debug.log";
        reset();
        tarv_debug_level = level;
        tarv_client_set_debug_logfile_name(path_.c_str());
    }
    ~DrawLogCapture()
    {
        reset();
        tarv_debug_level = saved_level_;
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    DrawLogCapture(const DrawLogCapture&) = delete;
    DrawLogCapture& operator=(const DrawLogCapture&) = delete;

    std::string text() const
    {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    static void reset()
    {
        if (tarv_client_debug_logfile_is_open())
            tarv_client_debug_logfile_close();
        else
            tarv_client_set_debug_logfile_name(nullptr);
    }
    int saved_level_;
    std::string dir_;
    std::string path_;
};
