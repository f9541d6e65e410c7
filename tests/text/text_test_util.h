// Test helpers for the text displays: fonts of known glyph sizes, a peer that
// counts repaint requests, and a captured debug log.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "draw/bitmap.h"
#include "draw/embedded_window.h"
#include "draw/font.h"
#include "support/debug_log.h"
#include "text/textctrl.h"

// Every printable glyph `width` x `height`, fully inked except the blank, with
// per-character widths from `widths`.
inline std::unique_ptr<tarv_font> make_test_font(int width, int height, const std::map<int, int>& widths = {})
{
    auto font = std::make_unique<tarv_font>(tarv_font_desc{});
    for (int c = 32; c <= 126; ++c) {
        auto it = widths.find(c);
        int w = it != widths.end() ? it->second : width;
        auto glyph = std::make_unique<tarv_bitmap>(w, height);
        glyph->Clear(c == ' ' ? color_black : color_white);
        font->set_glyph(c, std::move(glyph));
    }
    return font;
}

class CountingPeer : public tarv_window_peer {
public:
    void peer_refresh() override { ++refreshes; }
    void peer_move_resize(int, int, int, int) override {}
    void peer_show(bool) override {}
    void peer_set_focus() override {}
    int refreshes = 0;
};

inline std::string repeat(char c, int n) { return std::string(static_cast<std::size_t>(n), c); }

// Sends the debug log to a private file for one test and restores the level.
class TextLogCapture {
public:
    explicit TextLogCapture(int level = 2) : saved_level_(tarv_debug_level)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tessel-text-XXXXXX").string();
        if (mkdtemp(pattern.data())) dir_ = pattern;
        path_ = dir_ + "/debug.log";
        reset();
        tarv_debug_level = level;
        tarv_client_set_debug_logfile_name(path_.c_str());
    }
    ~TextLogCapture()
    {
        reset();
        tarv_debug_level = saved_level_;
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    TextLogCapture(const TextLogCapture&) = delete;
    TextLogCapture& operator=(const TextLogCapture&) = delete;

    std::string text() const
    {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool contains(const std::string& s) const { return text().find(s) != std::string::npos; }

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
