// Conversions between drawing surfaces and the toolkit's images and bitmaps.
#pragma once

#include <wx/bitmap.h>
#include <wx/image.h>

#include "draw/bitmap.h"

// Keeps the image's alpha (255 where it has none).
tarv_bitmap tarv_bitmap_from_image(const wxImage& image);
wxImage tarv_bitmap_to_image(const tarv_bitmap& surface, bool with_alpha);
// Deep copy as a toolkit bitmap with alpha (image buttons keep their state images so).
wxBitmap tarv_bitmap_copy(const tarv_bitmap& surface);
// Copies the colour bytes into an opaque toolkit bitmap kept by the caller,
// re-creating it only when the size changes: the per-paint path.
void tarv_blit_into(const tarv_bitmap& surface, wxBitmap& target);
