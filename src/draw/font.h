// A font turned once into pre-rendered glyphs for the characters 32 to 126.
// The glyphs are made by a rasterizer that the toolkit layer installs; text
// drawing and measuring then use only the table.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "draw/bitmap.h"

struct tarv_font_desc {
    int point_size = 8;
    int family = 75;  // 75 fixed-pitch modern, 76 teletype
    int style = 90;   // normal
    int weight = 90;  // normal
    bool underlined = false;
    std::string face_name;
    int encoding = 0;
};

using tarv_glyph_table = std::array<std::unique_ptr<tarv_bitmap>, 128>;

// Renders white-on-black glyphs (coverage in green) for slots 32-126.
class tarv_glyph_rasterizer {
public:
    virtual ~tarv_glyph_rasterizer() = default;
    virtual void render_glyphs(const tarv_font_desc& desc, tarv_glyph_table& table) = 0;
    // The toolkit's native description of the font, as the configuration
    // stores it; empty where there is no toolkit.
    virtual std::string describe(const tarv_font_desc& desc)
    {
        (void)desc;
        return {};
    }
};

// Installed once at start-up by the toolkit layer; nullptr selects the
// built-in fallback, which tests rely on: every glyph of a font has the same
// size, tarv_fallback_glyph_size, and the space glyph is all background.
// Installing rebuilds the three process fonts if they exist.
void tarv_set_glyph_rasterizer(tarv_glyph_rasterizer* rasterizer);
// Fallback cell: width max(1, size * 3 / 4), height max(1, size * 3 / 2),
// with size clamped to 1-256.
void tarv_fallback_glyph_size(int point_size, int* width, int* height);
tarv_glyph_rasterizer* tarv_get_glyph_rasterizer();

class tarv_font {
public:
    explicit tarv_font(const tarv_font_desc& desc);
    tarv_font(int point_size, int family, int style, int weight, bool underlined, const std::string& face_name,
              int encoding = 0);

    int GetPointSize() const { return desc_.point_size; }
    void SetPointSize(int size);  // rebuilds the table; size clamped to 1-256
    // Copies face, style, underline and weight, then the size (one rebuild).
    void assign_font(const tarv_font_desc& other);
    const tarv_font_desc& desc() const { return desc_; }
    // The installed rasterizer's description of this font (may be empty).
    std::string native_description() const;

    void GetCharSize(int code, int* width, int* height) const;
    void GetTextExtent(const char* text, int* width, int* height) const;
    // Glyph for a character (top bit cleared), or nullptr.
    const tarv_bitmap* glyph(unsigned char c) const { return glyphs_[c & 0x7f].get(); }
    // Replaces one glyph (tests and synthetic fonts).
    void set_glyph(int code, std::unique_ptr<tarv_bitmap> glyph);
    void rebuild();

private:
    tarv_font_desc desc_;
    tarv_glyph_table glyphs_;
};

// The three process-wide fonts; created at start-up (tarv_create_fonts).
extern tarv_font* text_font;
extern tarv_font* small_font;
extern tarv_font* panel_font;
void tarv_create_fonts();
