// Saving a display's render list: an HTML document that keeps the colours,
// or the plain text as received.
#include <cstring>
#include <ctime>
#include <string>

#include "support/debug_log.h"
#include "text/ansi_display.h"
#include "text/palette.h"

namespace {

// The class rules, in the default palette's own order; the colours are the
// default palette's whatever palette the display uses.
const char* const class_rule_formats[21] = {
    ".dwhite  {color:%06x}\n", ".white   {color:%06x}\n", ".bwhite  {color:%06x}\n",
    ".dred    {color:%06x}\n", ".red     {color:%06x}\n", ".bred    {color:%06x}\n",
    ".dyellow {color:%06x}\n", ".yellow  {color:%06x}\n", ".byellow {color:%06x}\n",
    ".dgreen  {color:%06x}\n", ".green   {color:%06x}\n", ".bgreen  {color:%06x}\n",
    ".dcyan   {color:%06x}\n", ".cyan    {color:%06x}\n", ".bcyan   {color:%06x}\n",
    ".dblue   {color:%06x}\n", ".blue    {color:%06x}\n", ".bblue   {color:%06x}\n",
    ".dpurple {color:%06x}\n", ".purple  {color:%06x}\n", ".bpurple {color:%06x}\n",
};

// Collects output and hands it to the file in large pieces; remembers
// whether any write failed.
class log_writer {
public:
    explicit log_writer(std::FILE* file) : file_(file) { buffer_.reserve(limit + 4096); }
    void put(const char* text, std::size_t n)
    {
        buffer_.append(text, n);
        if (buffer_.size() >= limit) flush();
    }
    void put(const char* text) { put(text, std::strlen(text)); }
    void put_escaped(const char* text, std::size_t n)
    {
        std::size_t plain = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const char* entity = text[i] == '<' ? "&lt;" : text[i] == '>' ? "&gt;" : text[i] == '&' ? "&amp;" : nullptr;
            if (!entity) continue;
            put(text + plain, i - plain);
            put(entity);
            plain = i + 1;
        }
        put(text + plain, n - plain);
    }
    // True when every byte reached the file.
    bool finish()
    {
        flush();
        if (ok_ && std::fflush(file_) != 0) ok_ = false;
        return ok_ && !std::ferror(file_);
    }

private:
    static constexpr std::size_t limit = 1 << 16;
    void flush()
    {
        if (buffer_.empty()) return;
        if (ok_ && std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size()) ok_ = false;
        buffer_.clear();
    }
    std::FILE* file_;
    std::string buffer_;
    bool ok_ = true;
};

}  // namespace

const char* render_get_html_color(int color_code, int attributes)
{
    static const char* const classes[7][3] = {
        {"white", "bwhite", "dwhite"},    {"red", "bred", "dred"},       {"green", "bgreen", "dgreen"},
        {"yellow", "byellow", "dyellow"}, {"blue", "bblue", "dblue"},    {"purple", "bpurple", "dpurple"},
        {"cyan", "bcyan", "dcyan"},
    };
    int family;
    if (color_code == 0 || color_code == 55)
        family = 0;
    else if (color_code >= 49 && color_code <= 54)
        family = color_code - 48;
    else {
        TARV_LOG(2, "error in render_get_html_color() - bad color '%d'?\n", color_code);
        return "bogus";
    }
    // Bright wins over dim.
    int column = (attributes & ATTR_BRIGHT) ? 1 : (attributes & ATTR_DIM) ? 2 : 0;
    return classes[family][column];
}

bool tarv_ansi_display::write_html_log(std::FILE* file) { return write_html_log(file, std::time(nullptr)); }

bool tarv_ansi_display::write_html_log(std::FILE* file, std::time_t when)
{
    if (!file) return false;
    if (!pending_run_empty()) rerender_flush();
    char stamp[64] = "";
    if (!ctime_r(&when, stamp)) stamp[0] = 0;

    log_writer out(file);
    char line[128];
    out.put("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n");
    out.put("<html>\n<head>\n<title>Karthem Logfile - ");
    out.put(stamp);  // ctime's own newline included
    out.put("</title>\n");
    out.put("<meta http-equiv=\"Content-Type\" content=\"text/html;charset=utf-8\" >\n");
    out.put("<style type=\"text/css\">\n");
    out.put("body     {background-color:#000000}\n");
    for (int i = 0; i < 21; ++i) {
        int n = std::snprintf(line, sizeof line, class_rule_formats[i], static_cast<unsigned>(tarv_palettes[0][static_cast<std::size_t>(i)]));
        out.put(line, static_cast<std::size_t>(n));
    }
    out.put("</style>\n");
    out.put("</head>\n");
    out.put("<body><pre><tt>\n");
    for_each_render_run([&](const tarv_render_run_view& run) {
        out.put("<span class=\"");
        out.put(render_get_html_color(run.color_code, run.attributes));
        out.put("\">");
        for_each_run_piece(run, [&](const char* p, std::size_t n) { out.put_escaped(p, n); });
        out.put("</span>");
    });
    out.put("\n</tt></pre></body>\n</html>\n");
    return out.finish();
}

bool tarv_ansi_display::write_text_log(std::FILE* file)
{
    if (!file) return false;
    if (!pending_run_empty()) rerender_flush();
    log_writer out(file);
    for_each_render_run([&](const tarv_render_run_view& run) {
        for_each_run_piece(run, [&](const char* p, std::size_t n) { out.put(p, n); });
    });
    return out.finish();
}
