// The software drawing surface: 32 bits per pixel in the byte order red,
// green, blue, alpha. Only Clear and ClearAlpha write alpha.
#pragma once

#include <cstdint>
#include <memory>

#include "draw/color.h"

class tarv_font;

enum tarv_edge_flags : int { EDGE_TOP = 1, EDGE_RIGHT = 2, EDGE_BOTTOM = 4, EDGE_LEFT = 8 };

struct tarv_point {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

class tarv_bitmap {
public:
    tarv_bitmap();  // 16 x 16
    tarv_bitmap(int width, int height);
    tarv_bitmap(const tarv_bitmap& other);
    tarv_bitmap& operator=(const tarv_bitmap& other);
    tarv_bitmap(tarv_bitmap&&) noexcept;
    tarv_bitmap& operator=(tarv_bitmap&&) noexcept;
    ~tarv_bitmap();

    // Copies decoded RGBA image data (keeps its alpha); rgba may be null
    // (black, opaque).
    static tarv_bitmap from_rgba(int width, int height, const std::uint8_t* rgba);

    int GetWidth() const { return width_; }
    int GetHeight() const { return height_; }
    bool IsOk() const { return pixels_ != nullptr; }
    int stride() const { return width_ * 4; }
    std::uint8_t* data() { return pixels_.get(); }
    const std::uint8_t* data() const { return pixels_.get(); }
    // Pointer to pixel (x, y); no bounds check.
    std::uint8_t* pixel(int x, int y) { return pixels_.get() + (static_cast<std::size_t>(y) * width_ + x) * 4; }
    const std::uint8_t* pixel(int x, int y) const { return pixels_.get() + (static_cast<std::size_t>(y) * width_ + x) * 4; }
    tarv_color GetPixel(int x, int y) const;  // black outside the surface

    void Clear(const tarv_color& color);
    void ClearAlpha();

    void SetPixel(int x, int y, const tarv_color& color);
    void SetPixel(int x, int y, int red, int green, int blue);
    void DrawLine(int x1, int y1, int x2, int y2, const tarv_color& color);
    void DrawGradientLine(int x1, int y1, int x2, int y2, const tarv_color& start, const tarv_color& end);
    void DrawFrame(const tarv_color& color, int width, int height);
    // color == nullptr: white primary, grey secondary.
    void DrawEdges(int width, int height, int flags, const tarv_color* color);

    void DrawFilledRectangle(int x1, int y1, int x2, int y2, const tarv_color& color);
    void DrawXGradientRectangle(int x1, int y1, int x2, int y2, const tarv_color& left, const tarv_color& right);
    void DrawYGradientRectangle(int x1, int y1, int x2, int y2, const tarv_color& top, const tarv_color& bottom);
    void DrawFilledCircle(int cx, int cy, int radius, const tarv_color& color);
    void DrawPolygon(int count, const tarv_point* points, int x_offset, int y_offset, const tarv_color& outline,
                     const tarv_color& fill);

    void DrawBitmap(const tarv_bitmap& source, int x, int y);
    void DrawBitmapNukeAlpha(const tarv_bitmap& source, int x, int y);
    // Source composited over the destination by its alpha (logos, icons);
    // destination alpha kept.
    void DrawBitmapBlend(const tarv_bitmap& source, int x, int y);

    void DrawTextGlyph(const tarv_bitmap& glyph, int x, int y, const tarv_color& fg, const tarv_color& bg);
    void DrawTextGlyphTransparent(const tarv_bitmap& glyph, int x, int y, const tarv_color& fg);
    void DrawText(const tarv_font& font, const char* text, int x, int y, const tarv_color& fg, const tarv_color& bg);
    void DrawTextTransparent(const tarv_font& font, const char* text, int x, int y, const tarv_color& fg);
    static void GetTextExtent(const tarv_font& font, const char* text, int* width, int* height);

private:
    void line64(long long x1, long long y1, long long x2, long long y2, const tarv_color& color);
    void fill_rows(const std::uint8_t pixel[4]);

    int width_ = 0;
    int height_ = 0;
    std::unique_ptr<std::uint8_t[]> pixels_;
};
