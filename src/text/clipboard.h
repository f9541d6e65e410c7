// The X11 primary selection: selecting text in a display copies it there,
// the command line pastes from there (Ctrl+V). Besides, Ctrl+C copies a
// selection to the CLIPBOARD selection, and Shift+Insert pastes from it.
// The toolkit layer installs the backend; without one (tests without a
// display) writes go nowhere and reads find nothing.
#pragma once

#include <string>

class tarv_clipboard_backend {
public:
    virtual ~tarv_clipboard_backend() = default;
    // False when the clipboard could not be opened; the selection is then unchanged.
    virtual bool write_primary(const std::string& text) = 0;
    // False when it could not be opened or holds no text.
    virtual bool read_primary(std::string& text) = 0;
    // The CLIPBOARD selection, the one Ctrl+C and Shift+Insert use.
    virtual bool write_clipboard(const std::string& text)
    {
        (void)text;
        return false;
    }
    virtual bool read_clipboard(std::string& text)
    {
        (void)text;
        return false;
    }
};

// nullptr removes the backend.
void tarv_set_clipboard_backend(tarv_clipboard_backend* backend);
tarv_clipboard_backend* tarv_get_clipboard_backend();

// Bytes as they stand in the text.
void set_clipboard_data(const std::string& text);
// 1 and the text, or 0 with the text left empty.
int get_clipboard_data(std::string& text);

// The same for the CLIPBOARD selection (Ctrl+C with a selection, Shift+Insert).
void set_clipboard_text(const std::string& text);
int get_clipboard_text(std::string& text);
