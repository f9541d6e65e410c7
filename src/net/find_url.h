// Recognises a web address around a position in a line of text (clickable
// links).
#pragma once

#include "support/text_buffer.h"

#include <string_view>

// 1 when position lies inside a web address: the address goes to result and
// its first and last byte offsets (inclusive) to start and end. 0 otherwise,
// leaving the outputs untouched.
int tarv_find_url_at(std::string_view text, int position, tarv_text_buffer& result, int* start, int* end);
