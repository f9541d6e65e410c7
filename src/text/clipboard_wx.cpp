#include "text/clipboard_wx.h"

#include <wx/clipbrd.h>
#include <wx/log.h>

#include "draw/latin1_wx.h"
#include "support/debug_log.h"
#include "text/clipboard.h"

namespace {

bool write_selection(const std::string& text, bool primary)
{
    // The toolkit's own complaints would pop up message boxes.
    wxLogNull quiet;
    if (!wxTheClipboard->Open()) {
        TARV_LOG(2, "Error in set_clipboard_data(), unable to open clipboard.\n");
        return false;
    }
    wxTheClipboard->UsePrimarySelection(primary);
    wxTheClipboard->SetData(new wxTextDataObject(tarv_from_latin1(text)));
    wxTheClipboard->Close();
    wxTheClipboard->UsePrimarySelection(true);
    return true;
}

bool read_selection(std::string& text, bool primary)
{
    wxLogNull quiet;
    if (!wxTheClipboard->Open()) {
        TARV_LOG(2, "Error in get_clipboard_data(), unable to open clipboard.\n");
        return false;
    }
    wxTheClipboard->UsePrimarySelection(primary);
    bool ok = false;
    // Programs that offer only UTF-8 text have no plain-text format.
    if (wxTheClipboard->IsSupported(wxDF_UNICODETEXT) || wxTheClipboard->IsSupported(wxDF_TEXT)) {
        wxTextDataObject data;
        ok = wxTheClipboard->GetData(data);
        if (ok) text = tarv_to_latin1(data.GetText());
    }
    wxTheClipboard->Close();
    wxTheClipboard->UsePrimarySelection(true);
    return ok;
}

class wx_primary_selection : public tarv_clipboard_backend {
public:
    bool write_primary(const std::string& text) override { return write_selection(text, true); }
    bool read_primary(std::string& text) override { return read_selection(text, true); }
    bool write_clipboard(const std::string& text) override { return write_selection(text, false); }
    bool read_clipboard(std::string& text) override { return read_selection(text, false); }
};

}  // namespace

void tarv_install_wx_clipboard()
{
    static wx_primary_selection backend;
    if (!tarv_get_clipboard_backend()) tarv_set_clipboard_backend(&backend);
}
