// File / Save Logfile: the main display's scrollback as HTML or plain text.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/mw.h"
#include "support/debug_log.h"
#include "text/main_window.h"

void tarv_mw::save_logfile()
{
    std::string path;
    int filter = 0;
    if (!view_->choose_logfile(&path, &filter)) return;
    // The format follows the filter chosen, not the name's extension.
    save_logfile_to(path, filter == 0);
}

void tarv_mw::save_logfile_to(const std::string& chosen, bool html)
{
    tarv_main_window& d = *main_display;
    const std::string path = chosen.substr(0, 5999);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        TARV_LOG(1, "Warning in tarv_mw::save_logfile(), cannot open '%s': %s.\n", path.c_str(), std::strerror(errno));
        d.print_text("\n\nError - unable to open file '");
        d.print_text(path.c_str());
        d.print_text("'.\nLogfile was not saved!\n\n");
        d.refresh_display();
        display_changed_ = true;
        return;
    }
    bool written = html ? d.write_html_log(file) : d.write_text_log(file);
    int error = written ? 0 : errno;
    // A full disk may only show when the last buffer goes out at the close.
    if (std::fclose(file) != 0) {
        if (written) error = errno;
        written = false;
    }
    if (written) {
        d.print_text(html ? "\n\nHTML log saved to file '" : "\n\nPlain text log saved to file '");
        d.print_text(path.c_str());
        d.print_text("'.\n\n");
    } else {
        TARV_LOG(1, "Error in tarv_mw::save_logfile(), writing '%s' failed: %s.\n", path.c_str(),
                 std::strerror(error));
        d.print_text("\n\nError - unable to write to file '");
        d.print_text(path.c_str());
        d.print_text("'.\nLogfile was not saved completely!\n\n");
    }
    d.refresh_display();
    display_changed_ = true;
}
