#include "text/clipboard.h"

namespace {
tarv_clipboard_backend* backend = nullptr;
}

void tarv_set_clipboard_backend(tarv_clipboard_backend* b) { backend = b; }

tarv_clipboard_backend* tarv_get_clipboard_backend() { return backend; }

void set_clipboard_data(const std::string& text)
{
    if (backend) backend->write_primary(text);
}

int get_clipboard_data(std::string& text)
{
    text.clear();
    if (!backend) return 0;
    std::string got;
    if (!backend->read_primary(got)) return 0;
    text = std::move(got);
    return 1;
}

void set_clipboard_text(const std::string& text)
{
    if (backend) backend->write_clipboard(text);
}

int get_clipboard_text(std::string& text)
{
    text.clear();
    if (!backend) return 0;
    std::string got;
    if (!backend->read_clipboard(got)) return 0;
    text = std::move(got);
    return 1;
}
