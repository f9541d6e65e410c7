#include "draw/latin1_wx.h"

std::string tarv_to_latin1(const wxString& text)
{
    std::string out;
    out.reserve(text.length());
    for (wxUniChar c : text) {
        auto value = c.GetValue();
        out.push_back(value < 256 ? static_cast<char>(value) : '?');
    }
    return out;
}

wxString tarv_from_latin1(const std::string& text)
{
    wxString out;
    out.reserve(text.size());
    for (unsigned char c : text) out += wxUniChar(static_cast<unsigned>(c));
    return out;
}
