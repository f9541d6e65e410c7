#include "draw/font_wx.h"

#include <algorithm>

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/image.h>

#include "support/debug_log.h"

namespace {

// Descriptions keep the toolkit's classic weight numbers (90 normal,
// 91 light, 92 bold); anything from 100 up is a numeric weight.
wxFontWeight to_wx_weight(int weight)
{
    switch (weight) {
    case 91: return wxFONTWEIGHT_LIGHT;
    case 92: return wxFONTWEIGHT_BOLD;
    default: break;
    }
    if (weight >= 100 && weight <= 1000) return static_cast<wxFontWeight>(weight / 100 * 100);
    return wxFONTWEIGHT_NORMAL;
}

int from_wx_weight(int weight)
{
    switch (weight) {
    case wxFONTWEIGHT_NORMAL: return 90;
    case wxFONTWEIGHT_LIGHT: return 91;
    case wxFONTWEIGHT_BOLD: return 92;
    default: return weight;
    }
}

wxFontStyle to_wx_style(int style)
{
    switch (style) {
    case 93: return wxFONTSTYLE_ITALIC;
    case 94: return wxFONTSTYLE_SLANT;
    default: return wxFONTSTYLE_NORMAL;
    }
}

wxFontFamily to_wx_family(int family)
{
    if (family >= wxFONTFAMILY_DEFAULT && family <= wxFONTFAMILY_TELETYPE) return static_cast<wxFontFamily>(family);
    return wxFONTFAMILY_DEFAULT;
}

// White ink on black, coverage in green: the toolkit draws each character
// once here and text drawing afterwards is pure blending.
class wx_glyph_rasterizer : public tarv_glyph_rasterizer {
public:
    std::string describe(const tarv_font_desc& desc) override
    {
        return std::string(tarv_make_wxfont(desc).GetNativeFontInfoDesc().utf8_str());
    }

    void render_glyphs(const tarv_font_desc& desc, tarv_glyph_table& table) override
    {
        wxFont font = tarv_make_wxfont(desc);
        wxBitmap scratch(16, 16, 24);
        wxMemoryDC measure(scratch);
        measure.SetFont(font);
        for (int c = 32; c <= 126; ++c) {
            wxString text(static_cast<wchar_t>(c));
            wxCoord w = 0, h = 0;
            measure.GetTextExtent(text, &w, &h);
            auto glyph = std::make_unique<tarv_bitmap>(std::max(0, static_cast<int>(w)), std::max(0, static_cast<int>(h)));
            glyph->Clear(color_black);
            if (w > 0 && h > 0) {
                wxBitmap cell(w, h, 24);
                {
                    wxMemoryDC dc(cell);
                    dc.SetBackground(*wxBLACK_BRUSH);
                    dc.Clear();
                    dc.SetFont(font);
                    dc.SetTextForeground(*wxWHITE);
                    dc.SetTextBackground(*wxBLACK);
                    dc.DrawText(text, 0, 0);
                    dc.SelectObject(wxNullBitmap);
                }
                wxImage image = cell.ConvertToImage();
                if (image.IsOk() && image.GetWidth() == w && image.GetHeight() == h) {
                    const unsigned char* rgb = image.GetData();
                    std::uint8_t* d = glyph->data();
                    for (std::size_t i = 0, n = static_cast<std::size_t>(w) * h; i < n; ++i) {
                        d[i * 4 + 0] = rgb[i * 3 + 0];
                        d[i * 4 + 1] = rgb[i * 3 + 1];
                        d[i * 4 + 2] = rgb[i * 3 + 2];
                    }
                } else {
                    TARV_LOG(2, "Warning in tarv_font::rebuild(), glyph %d could not be read back.\n", c);
                }
            }
            table[c] = std::move(glyph);
        }
        measure.SelectObject(wxNullBitmap);
    }
};

wx_glyph_rasterizer wx_rasterizer;

}  // namespace

void tarv_install_wx_glyph_rasterizer()
{
    tarv_set_glyph_rasterizer(&wx_rasterizer);
}

wxFont tarv_make_wxfont(const tarv_font_desc& desc)
{
    wxFontInfo info(std::clamp(desc.point_size, 1, 256));
    info.Family(to_wx_family(desc.family))
        .Style(to_wx_style(desc.style))
        .Weight(to_wx_weight(desc.weight))
        .Underlined(desc.underlined)
        .Encoding(static_cast<wxFontEncoding>(desc.encoding));
    if (!desc.face_name.empty()) info.FaceName(wxString::FromUTF8(desc.face_name.c_str()));
    wxFont font(info);
    if (!font.IsOk()) {
        TARV_LOG(1, "Warning in tarv_make_wxfont(), the toolkit could not make font '%s' at %d points.\n",
                 desc.face_name.c_str(), desc.point_size);
        font = wxFont(wxFontInfo(std::clamp(desc.point_size, 1, 256)).Family(wxFONTFAMILY_TELETYPE));
    }
    return font;
}

tarv_font_desc tarv_font_desc_from_wxfont(const wxFont& font)
{
    tarv_font_desc d;
    if (!font.IsOk()) return d;
    d.point_size = font.GetPointSize();
    d.family = font.GetFamily();
    d.style = font.GetStyle();
    d.weight = from_wx_weight(font.GetWeight());
    d.underlined = font.GetUnderlined();
    d.face_name = font.GetFaceName().ToStdString(wxConvUTF8);
    d.encoding = 0;
    return d;
}

bool tarv_font_desc_from_native(const wxString& description, int point_size, tarv_font_desc* out)
{
    if (description.empty()) return false;
    wxFont font;
    if (!font.SetNativeFontInfo(description) || !font.IsOk()) return false;
    font.SetPointSize(std::clamp(point_size, 1, 256));
    if (out) *out = tarv_font_desc_from_wxfont(font);
    return true;
}
