// Streaming reader and writer for the small XML subset of the settings files:
// elements hold either child elements or one text value, three character
// entities, one header line.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

class tarv_xml_reader {
public:
    tarv_xml_reader() = default;
    virtual ~tarv_xml_reader() = default;
    tarv_xml_reader(const tarv_xml_reader&) = delete;
    tarv_xml_reader& operator=(const tarv_xml_reader&) = delete;

    // Next byte of the source (0..255), or -1 at the end.
    virtual int read_byte() = 0;

    static int check_xml_header_string(const char* line);

    // 1 when an opening tag was read into dest (and pushed); 0 at the end of
    // the source, after a closing tag (popped), or on error.
    int read_tag(char* dest, int size);
    // 1 when the element's value was read and its closing tag consumed.
    int read_data(char* dest, int size);
    // 1 only when the value is a number; the closing tag is consumed once a
    // value was read, number or not.
    int read_data(int* out);
    // Skips the rest of the element opened last, nested elements included.
    void skip_data();

    int depth() const { return static_cast<int>(stack_.size()); }
    // The newest open element's text, or nullptr.
    const char* open_tag() const { return stack_.empty() ? nullptr : stack_.back().c_str(); }

    // Longest tag text kept on the stack.
    static constexpr int max_tag_text = 999;

private:
    enum class block_kind { tag, value };
    int read_block(char* dest, int size, block_kind kind);
    int skip_to_open_bracket(bool warn_on_close);
    int get();
    void unread_closing_bracket();
    void push_stack_entry(const char* text);
    void pop_stack_entry(const char* text);

    // Open elements, oldest first. A vector keeps very deep nesting cheap to
    // tear down (no recursive destruction).
    std::vector<std::string> stack_;
    bool at_end_ = false;
    int last_stop_ = -1;
    int pushback_ = -1;
};

class tarv_xml_file_reader : public tarv_xml_reader {
public:
    // The file is not owned: the caller opens and closes it.
    explicit tarv_xml_file_reader(std::FILE* file);
    int read_byte() override;

private:
    std::FILE* file_;
};

// Reads from memory (tests and the fuzz target).
class tarv_xml_memory_reader : public tarv_xml_reader {
public:
    tarv_xml_memory_reader(const void* data, std::size_t size)
        : data_(static_cast<const unsigned char*>(data)), size_(size) {}
    int read_byte() override { return pos_ < size_ ? data_[pos_++] : -1; }

private:
    const unsigned char* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

class tarv_xml_writer {
public:
    tarv_xml_writer() = default;
    virtual ~tarv_xml_writer() = default;
    tarv_xml_writer(const tarv_xml_writer&) = delete;
    tarv_xml_writer& operator=(const tarv_xml_writer&) = delete;

    // Writes text unchanged; characters written, negative on error.
    virtual int write_text(const char* text) = 0;

    int write_header();
    void write_tag(const char* name, int newline, const char* attributes = nullptr);
    void write_string(const char* text);
    void end_tag(const char* name, int indent);
    void write_newline();

    // One element holding a value, on one line at the current indent.
    void write_value(const char* key, const char* value);
    void write_value(const char* key, int value);

    int indent_depth() const { return depth_; }
    // True once any write reported an error.
    bool failed() const { return failed_; }

protected:
    int emit(const char* text);

private:
    void write_indent(int levels);
    void write_escaped(const char* text);

    int depth_ = 0;
    std::vector<std::string> stack_;
    bool failed_ = false;
};

class tarv_xml_file_writer : public tarv_xml_writer {
public:
    // The file is not owned: the caller opens and closes it.
    explicit tarv_xml_file_writer(std::FILE* file);
    int write_text(const char* text) override;

private:
    std::FILE* file_;
};

class tarv_xml_string_writer : public tarv_xml_writer {
public:
    int write_text(const char* text) override;
    const std::string& text() const { return out_; }

private:
    std::string out_;
};
