#include "draw/images_wx.h"

#include <wx/image.h>
#include <wx/mstream.h>

#include "draw/bitmap_wx.h"
#include "draw/images.h"
#include "support/debug_log.h"

int tarv_load_builtin_images_wx()
{
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    int decoded = 0;
    for (int id = 0; id < IMAGE_COUNT; ++id) {
        const tarv_builtin_image_data& d = tarv_builtin_image_table[id];
        wxMemoryInputStream in(d.png, d.png_size);
        wxImage image;
        if (image.LoadFile(in, wxBITMAP_TYPE_PNG) && image.GetWidth() == d.width && image.GetHeight() == d.height) {
            tarv_set_builtin_image(id, tarv_bitmap_from_image(image));
            ++decoded;
        } else {
            TARV_LOG(1, "Warning in tarv_load_builtin_images_wx(), image '%s' did not decode, using its raw pixels.\n",
                     d.name);
            tarv_set_builtin_image(id, tarv_bitmap::from_rgba(d.width, d.height, d.rgba));
        }
    }
    return decoded;
}
