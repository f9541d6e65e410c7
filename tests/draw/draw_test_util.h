// Test helpers: pictures of surfaces as text, and a captured debug log.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "common/log_capture.h"
#include "draw/bitmap.h"

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
