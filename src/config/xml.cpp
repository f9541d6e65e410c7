#include "config/xml.h"

#include <cstdarg>
#include <cstring>

#include "support/debug_log.h"
#include "support/text_buffer.h"
#include "support/util.h"

namespace {

constexpr int xml_module_id = 6;

// Reader messages carry no newline of their own: the flagged writer adds it.
void xml_warn(const char* format, ...) __attribute__((format(printf, 1, 2)));
void xml_warn(const char* format, ...) {
    if (tarv_debug_level < 1) return;
    tarv_text_buffer line;
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line.data, sizeof line.data, format, args);
    va_end(args);
    line.length = n < 0 ? 0 : (n > tarv_text_buffer::max_length ? tarv_text_buffer::max_length : n);
    line.data[line.length] = 0;
    tarv_debug_log_flagged(line.c_str(), LOG_CLASS_ERROR, xml_module_id);
}

// Refuses, with a warning naming the caller, a missing or empty buffer.
bool dest_usable(const char* dest, int size, const char* where) {
    if (!dest) {
        xml_warn("Error in tarv_xml_reader::%s, NULL dest?", where);
        return false;
    }
    if (size <= 0) {
        xml_warn("Error in tarv_xml_reader::%s, dest is too small?", where);
        return false;
    }
    return true;
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_line_end(char c) { return c == 0 || c == '\n' || c == '\r'; }

const char* skip_blanks(const char* p) {
    while (is_blank(*p)) ++p;
    return p;
}

// Decodes the three entities in place; any other '&' stays as it is.
void compact_string(char* text) {
    char* out = text;
    for (const char* in = text; *in;) {
        if (*in == '&') {
            if (std::strncmp(in, "&lt;", 4) == 0) {
                *out++ = '<';
                in += 4;
                continue;
            }
            if (std::strncmp(in, "&gt;", 4) == 0) {
                *out++ = '>';
                in += 4;
                continue;
            }
            if (std::strncmp(in, "&amp;", 5) == 0) {
                *out++ = '&';
                in += 5;
                continue;
            }
            xml_warn("Warning in tarv_xml_reader::compact_string(), unknown '&' conversion found?");
        }
        *out++ = *in++;
    }
    *out = 0;
}

}  // namespace

int tarv_xml_reader::check_xml_header_string(const char* line) {
    const char* prefix = "Warning in tarv_xml_reader::check_xml_header_string(), ";
    if (!line || !word_equals(line, "<?xml")) {
        xml_warn("%smissing opening '<?xml' tag.", prefix);
        return 0;
    }
    const char* p = next_arg(line);
    if (!p || is_line_end(*p)) {
        xml_warn("%sdidn't get either version or encoding.", prefix);
        return 0;
    }
    bool got_version = false;
    bool got_encoding = false;
    while (!is_line_end(*p) && std::strncmp(p, "?>", 2) != 0) {
        const char* what;
        if (std::strncmp(p, "version", 7) == 0) {
            what = "version";
            got_version = true;
            p += 7;
        } else if (std::strncmp(p, "encoding", 8) == 0) {
            what = "encoding";
            got_encoding = true;
            p += 8;
        } else {
            xml_warn("%sunknown tag found.", prefix);
            return 0;
        }
        p = skip_blanks(p);
        if (*p != '=') {
            xml_warn("%s'%s' tag found, but no %s.", prefix, what, what);
            return 0;
        }
        p = skip_blanks(p + 1);
        if (*p != '"') {
            xml_warn("%s'%s' tag found, but no opening %s quote.", prefix, what, what);
            return 0;
        }
        const char* close = std::strchr(p + 1, '"');
        if (!close) {
            xml_warn("%s'%s' tag found, but no closing %s quote.", prefix, what, what);
            return 0;
        }
        p = skip_blanks(close + 1);
    }
    if (got_version && got_encoding) return 1;
    if (got_version)
        xml_warn("%sdidn't get encoding.", prefix);
    else if (got_encoding)
        xml_warn("%sdidn't get version.", prefix);
    else
        xml_warn("%sdidn't get either version or encoding.", prefix);
    return 0;
}

int tarv_xml_reader::read_block(char* dest, int size, block_kind kind) {
    if (!dest_usable(dest, size, "read_block()")) return 0;
    int n = 0;
    int c;
    for (;;) {
        c = get();
        if (c < 0) {
            dest[n] = 0;
            at_end_ = true;
            xml_warn("Warning in tarv_xml_reader::read_block(), file corruption - got EOF before trailing bracket.");
            return 0;
        }
        if (c == '<' || c == '>') break;
        if (n < size - 1) dest[n++] = static_cast<char>(c);
    }
    dest[n] = 0;
    last_stop_ = c;
    if (kind == block_kind::tag && c == '<')
        xml_warn("Warning in tarv_xml_reader::read_block(), got second open bracket?");
    if (kind == block_kind::value && c == '>')
        xml_warn("Warning in tarv_xml_reader::read_block(), got second closing bracket?");
    for (int i = 0; i < n; ++i) {
        unsigned char b = static_cast<unsigned char>(dest[i]);
        if (b < 32 || b > 126) return 0;
    }
    compact_string(dest);
    return 1;
}

// 1 after consuming a '<', 0 at the end of the source.
int tarv_xml_reader::skip_to_open_bracket(bool warn_on_close) {
    for (;;) {
        int c = get();
        if (c < 0) {
            at_end_ = true;
            return 0;
        }
        if (c == '<') return 1;
        if (c == '>' && warn_on_close) xml_warn("Warning in tarv_xml_reader::skip_chunk(), got closing bracket?");
    }
}

void tarv_xml_reader::push_stack_entry(const char* text) {
    std::size_t len = std::strlen(text);
    stack_.emplace_back(text, len > max_tag_text ? max_tag_text : len);
}

void tarv_xml_reader::pop_stack_entry(const char* text) {
    if (text[0] != '/') xml_warn("Warning in tarv_xml_reader::pop_stack_entry() - got bad closing tag '%s'?", text);
    const char* name = text[0] == '/' ? text + 1 : text;
    if (stack_.empty()) {
        // A stray closing tag: nothing is open, so there is nothing to pop.
        xml_warn("Warning in tarv_xml_reader::pop_stack_entry() - closing tag '%s' with no open tag.", name);
        return;
    }
    if (stack_.back() != name)
        xml_warn("Warning in tarv_xml_reader::pop_stack_entry() - popped tag '%s' did not match expected tag '%s'.",
                 name, stack_.back().c_str());
    stack_.pop_back();
}

int tarv_xml_reader::get() {
    if (pushback_ >= 0) {
        int c = pushback_;
        pushback_ = -1;
        return c;
    }
    return read_byte();
}

// A value that failed leaves its closing tag unread, so the caller's next
// read_tag meets it and ends its loop over the element.
void tarv_xml_reader::unread_closing_bracket() {
    if (!at_end_ && last_stop_ == '<') pushback_ = '<';
}

int tarv_xml_reader::read_tag(char* dest, int size) {
    if (!dest_usable(dest, size, "read_tag()")) return 0;
    if (!skip_to_open_bracket(false)) return 0;
    if (!read_block(dest, size, block_kind::tag)) return 0;
    if (dest[0] == '/') {
        pop_stack_entry(dest);
        return 0;
    }
    push_stack_entry(dest);
    return 1;
}

int tarv_xml_reader::read_data(char* dest, int size) {
    if (!dest_usable(dest, size, "read_data(char[])")) return 0;
    if (!read_block(dest, size, block_kind::value)) {
        unread_closing_bracket();
        return 0;
    }
    char closing[1000];
    // The stack follows the file: a closing tag that was there is popped even
    // when its text is unusable.
    if (read_block(closing, sizeof closing, block_kind::tag) || !at_end_) pop_stack_entry(closing);
    return 1;
}

int tarv_xml_reader::read_data(int* out) {
    if (!out) {
        xml_warn("Error in tarv_xml_reader::read_data(int), NULL dest?");
        return 0;
    }
    char text[100];
    if (!read_block(text, sizeof text, block_kind::value)) {
        unread_closing_bracket();
        return 0;
    }
    int value = 0;
    int ok = parse_leading_int(text, &value);
    if (!ok) xml_warn("Warning in tarv_xml_reader::read_data(int) - got non-number'%s'.", text);
    char closing[1000];
    if (read_block(closing, sizeof closing, block_kind::tag) || !at_end_) pop_stack_entry(closing);
    if (ok) *out = value;
    return ok;
}

void tarv_xml_reader::skip_data() {
    if (stack_.empty()) {
        xml_warn("Error in tarv_xml_reader::skip_data() - you must read at least the opening tag before skipping data.");
        return;
    }
    // The element being skipped is the newest record; it is gone once the
    // stack shrinks below this size.
    const std::size_t target = stack_.size();
    char text[1000];
    for (;;) {
        if (!skip_to_open_bracket(true)) {
            xml_warn("Warning in tarv_xml_reader::skip_data() - unable to read chunk?");
            return;
        }
        if (!read_block(text, sizeof text, block_kind::tag)) {
            xml_warn("Warning in tarv_xml_reader::skip_data() - unable to read block?");
            return;
        }
        if (text[0] == '!') continue;
        if (text[0] == '/') {
            pop_stack_entry(text);
            if (stack_.size() < target) return;
        } else {
            push_stack_entry(text);
        }
    }
}

tarv_xml_file_reader::tarv_xml_file_reader(std::FILE* file) : file_(file) {
    if (!file_) xml_warn("Error in tarv_xml_file_reader::tarv_xml_file_reader(), NULL file handle.");
}

int tarv_xml_file_reader::read_byte() {
    if (!file_) return -1;
    int c = std::fgetc(file_);
    return c == EOF ? -1 : c;
}

int tarv_xml_writer::emit(const char* text) {
    int r = write_text(text);
    if (r < 0) failed_ = true;
    return r;
}

void tarv_xml_writer::write_indent(int levels) {
    if (levels <= 0) return;
    std::string blanks(static_cast<std::size_t>(levels) * 2, ' ');
    emit(blanks.c_str());
}

void tarv_xml_writer::write_escaped(const char* text) {
    std::string out;
    for (const char* p = text; *p; ++p) {
        switch (*p) {
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '&': out += "&amp;"; break;
            default: out += *p;
        }
    }
    if (!out.empty()) emit(out.c_str());
}

int tarv_xml_writer::write_header() {
    return emit("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n");
}

void tarv_xml_writer::write_tag(const char* name, int newline, const char* attributes) {
    if (!name) {
        TARV_LOG(1, "Error in tarv_xml_writer::write_tag(), NULL tag.\n");
        return;
    }
    write_indent(depth_);
    emit("<");
    write_escaped(name);
    if (attributes) {
        emit(" ");
        emit(attributes);
    }
    emit(newline ? ">\n" : ">");
    stack_.emplace_back(name);
    ++depth_;
}

void tarv_xml_writer::write_string(const char* text) {
    if (!text) {
        TARV_LOG(1, "Error in tarv_xml_writer::write_string(), NULL data.\n");
        return;
    }
    write_escaped(text);
}

void tarv_xml_writer::end_tag(const char* name, int indent) {
    if (depth_ > 0) --depth_;
    if (indent && depth_ > 0) write_indent(depth_);
    std::string popped;
    if (stack_.empty()) {
        TARV_LOG(1, "Error in tarv_xml_writer::end_tag(), tag stack empty.\n");
        popped = "_BOGUS_ENDING_TAG_";
    } else {
        popped = std::move(stack_.back());
        stack_.pop_back();
        if (name && popped != name) TARV_LOG(1, "Warning in tarv_xml_writer::end_tag(), tried to close wrong tag.\n");
    }
    emit("</");
    write_escaped(popped.c_str());
    emit(">\n");
}

void tarv_xml_writer::write_newline() { emit("\n"); }

void tarv_xml_writer::write_value(const char* key, const char* value) {
    write_tag(key, 0);
    write_string(value ? value : "");
    end_tag(nullptr, 0);
}

void tarv_xml_writer::write_value(const char* key, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    write_value(key, text);
}

tarv_xml_file_writer::tarv_xml_file_writer(std::FILE* file) : file_(file) {
    if (!file_) TARV_LOG(1, "Error in tarv_xml_file_writer::tarv_xml_file_writer(), NULL file handle.\n");
}

int tarv_xml_file_writer::write_text(const char* text) {
    if (!file_) return -1;
    return std::fprintf(file_, "%s", text);
}

int tarv_xml_string_writer::write_text(const char* text) {
    out_ += text;
    return static_cast<int>(std::strlen(text));
}
