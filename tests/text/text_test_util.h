// Test helpers for the text displays: fonts of known glyph sizes, a peer that
// counts repaint requests, and a captured debug log.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/log_capture.h"
#include "draw/bitmap.h"
#include "draw/embedded_window.h"
#include "draw/font.h"
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
