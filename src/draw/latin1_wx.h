// The program works on 8-bit text; the toolkit on Unicode strings. Characters
// beyond ISO-8859-1 become '?', so positions and bytes stay one to one.
#pragma once

#include <string>

#include <wx/string.h>

std::string tarv_to_latin1(const wxString& text);
wxString tarv_from_latin1(const std::string& text);
