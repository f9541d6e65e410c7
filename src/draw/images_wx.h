// Decoding of the built-in images through the toolkit's PNG support.
#pragma once

// Registers the PNG handler if needed and decodes every built-in image; an
// image whose data does not decode to its stated size is taken from its raw
// pixels instead, with a logged warning. Returns how many decoded.
int tarv_load_builtin_images_wx();
