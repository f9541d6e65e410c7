// The toolkit's glyph rasterizer and conversions between toolkit fonts and
// font descriptions.
#pragma once

#include <wx/font.h>
#include <wx/string.h>

#include "draw/font.h"

// Installs the rasterizer that draws glyphs with the toolkit (call once at
// start-up before tarv_create_fonts; fonts that already exist are rebuilt).
void tarv_install_wx_glyph_rasterizer();

wxFont tarv_make_wxfont(const tarv_font_desc& desc);
tarv_font_desc tarv_font_desc_from_wxfont(const wxFont& font);
// A native font description (as the font dialog stores it) at the given
// size; false when the toolkit cannot parse it.
bool tarv_font_desc_from_native(const wxString& description, int point_size, tarv_font_desc* out);
