#include "draw/bitmap_wx.h"

#include <cstring>

#include <wx/rawbmp.h>

#include "support/debug_log.h"

tarv_bitmap tarv_bitmap_from_image(const wxImage& image)
{
    if (!image.IsOk()) {
        TARV_LOG(1, "Warning in tarv_bitmap_from_image(), invalid image.\n");
        tarv_bitmap empty(1, 1);
        empty.Clear(color_black);
        return empty;
    }
    int w = image.GetWidth(), h = image.GetHeight();
    tarv_bitmap b(w, h);
    const unsigned char* rgb = image.GetData();
    const unsigned char* alpha = image.HasAlpha() ? image.GetAlpha() : nullptr;
    std::uint8_t* d = b.data();
    for (std::size_t i = 0, n = static_cast<std::size_t>(w) * h; i < n; ++i) {
        d[i * 4 + 0] = rgb[i * 3 + 0];
        d[i * 4 + 1] = rgb[i * 3 + 1];
        d[i * 4 + 2] = rgb[i * 3 + 2];
        d[i * 4 + 3] = alpha ? alpha[i] : 255;
    }
    return b;
}

wxImage tarv_bitmap_to_image(const tarv_bitmap& surface, bool with_alpha)
{
    int w = std::max(1, surface.GetWidth()), h = std::max(1, surface.GetHeight());
    wxImage image(w, h, false);
    if (with_alpha) image.InitAlpha();
    if (!surface.IsOk() || surface.GetWidth() < 1 || surface.GetHeight() < 1) return image;
    unsigned char* rgb = image.GetData();
    unsigned char* alpha = with_alpha ? image.GetAlpha() : nullptr;
    const std::uint8_t* s = surface.data();
    for (std::size_t i = 0, n = static_cast<std::size_t>(w) * h; i < n; ++i) {
        rgb[i * 3 + 0] = s[i * 4 + 0];
        rgb[i * 3 + 1] = s[i * 4 + 1];
        rgb[i * 3 + 2] = s[i * 4 + 2];
        if (alpha) alpha[i] = s[i * 4 + 3];
    }
    return image;
}

wxBitmap tarv_bitmap_copy(const tarv_bitmap& surface)
{
    return wxBitmap(tarv_bitmap_to_image(surface, true), 32);
}

void tarv_blit_into(const tarv_bitmap& surface, wxBitmap& target)
{
    int w = surface.GetWidth(), h = surface.GetHeight();
    if (!surface.IsOk() || w < 1 || h < 1) return;
    if (!target.IsOk() || target.GetWidth() != w || target.GetHeight() != h || target.GetDepth() != 24)
        target = wxBitmap(w, h, 24);
    wxNativePixelData data(target);
    if (!data) {
        // No raw access on this port: go through an image instead.
        target = wxBitmap(tarv_bitmap_to_image(surface, false), 24);
        return;
    }
    // Straight row pointers: this runs on every paint of every panel.
    wxNativePixelData::Iterator origin(data);
    unsigned char* row = reinterpret_cast<unsigned char*>(origin.m_ptr);
    const int stride = data.GetRowStride();
    const int r = wxNativePixelFormat::RED, g = wxNativePixelFormat::GREEN, b = wxNativePixelFormat::BLUE;
    const int step = wxNativePixelFormat::SizePixel;
    for (int y = 0; y < h; ++y, row += stride) {
        const std::uint8_t* s = surface.pixel(0, y);
        unsigned char* d = row;
        for (int x = 0; x < w; ++x, s += 4, d += step) {
            d[r] = s[0];
            d[g] = s[1];
            d[b] = s[2];
        }
    }
}
