#include "config/xml.h"

#include <gtest/gtest.h>

#include <string>

#include "config_test_env.h"

namespace {

using config_test::log_text;

class XmlTest : public config_test::Fixture {};

// Owns its text, unlike the memory reader it tests through.
class text_reader : public tarv_xml_reader {
public:
    explicit text_reader(std::string text) : text_(std::move(text)) {}
    int read_byte() override { return pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_++]) : -1; }

private:
    std::string text_;
    std::size_t pos_ = 0;
};

struct header_case {
    const char* line;
    int result;
    const char* logged;  // nullptr: nothing logged
};

TEST_F(XmlTest, HeaderCheck) {
    const header_case cases[] = {
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", 1, nullptr},
        {"<?XML encoding = \"x\" version=\"2\" ?>", 1, nullptr},
        {"<?xml version=\"1.0\"?>", 0, "didn't get encoding."},
        {"<?xml encoding=\"ISO-8859-1\"?>", 0, "didn't get version."},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?>", 0, "unknown tag found."},
        {"<?xml", 0, "didn't get either version or encoding."},
        {"<?xml ?>", 0, "didn't get either version or encoding."},
        {"<xml version=\"1.0\" encoding=\"a\"?>", 0, "missing opening '<?xml' tag."},
        {" <?xml version=\"1.0\" encoding=\"a\"?>", 0, "missing opening '<?xml' tag."},
        {"<?xml VERSION=\"1.0\" encoding=\"a\"?>", 0, "unknown tag found."},
        {"<?xml version \"1.0\" encoding=\"a\"?>", 0, "'version' tag found, but no version."},
        {"<?xml version='1.0' encoding=\"a\"?>", 0, "'version' tag found, but no opening version quote."},
        {"<?xml version=\"1.0 encoding=a?>", 0, "'version' tag found, but no closing version quote."},
        {"<?xml version=\"1\" encoding?>", 0, "'encoding' tag found, but no encoding."},
        {"<?xml version=\"1\" encoding=ISO?>", 0, "'encoding' tag found, but no opening encoding quote."},
        {"<?xml version=\"1\" encoding=\"ISO?>", 0, "'encoding' tag found, but no closing encoding quote."},
    };
    for (const auto& c : cases) {
        config_test::reset();
        EXPECT_EQ(tarv_xml_reader::check_xml_header_string(c.line), c.result) << c.line;
        std::string log = log_text();
        if (c.logged) {
            EXPECT_NE(log.find(std::string("Warning in tarv_xml_reader::check_xml_header_string(), ") + c.logged),
                      std::string::npos)
                << c.line << "\n" << log;
        } else {
            EXPECT_EQ(log, "") << c.line;
        }
    }
}

TEST_F(XmlTest, WriterIndentsNestedContainersAndEscapesValues) {
    tarv_xml_string_writer w;
    EXPECT_EQ(w.write_header(), 44);
    w.write_tag("outer", 1);
    w.write_tag("inner", 1);
    w.write_tag("value", 0);
    w.write_string("a<b&c>d");
    w.end_tag(nullptr, 0);
    w.end_tag("inner", 1);
    w.write_tag("t", 0, "k=\"v\"");
    w.write_string("");
    w.end_tag("t", 0);
    w.end_tag("outer", 1);
    w.write_newline();
    EXPECT_EQ(w.text(),
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
              "<outer>\n"
              "  <inner>\n"
              "    <value>a&lt;b&amp;c&gt;d</value>\n"
              "  </inner>\n"
              "  <t k=\"v\"></t>\n"
              "</outer>\n"
              "\n");
    EXPECT_EQ(w.indent_depth(), 0);
    EXPECT_FALSE(w.failed());
    EXPECT_EQ(log_text(), "");
}

TEST_F(XmlTest, WriterEndTagMistakes) {
    tarv_xml_string_writer w;
    w.write_tag("a", 1);
    w.end_tag("b", 1);  // wrong name: the open one is closed anyway
    w.end_tag(nullptr, 1);
    w.write_tag(nullptr, 0);
    w.write_string(nullptr);
    EXPECT_EQ(w.text(), "<a>\n</a>\n</_BOGUS_ENDING_TAG_>\n");
    EXPECT_EQ(w.indent_depth(), 0);
    std::string log = log_text();
    EXPECT_NE(log.find("Warning in tarv_xml_writer::end_tag(), tried to close wrong tag.\n"), std::string::npos);
    EXPECT_NE(log.find("Error in tarv_xml_writer::end_tag(), tag stack empty.\n"), std::string::npos);
    EXPECT_NE(log.find("Error in tarv_xml_writer::write_tag(), NULL tag.\n"), std::string::npos);
    EXPECT_NE(log.find("Error in tarv_xml_writer::write_string(), NULL data.\n"), std::string::npos);
}

class failing_writer : public tarv_xml_writer {
public:
    int write_text(const char*) override { return -1; }
};

TEST_F(XmlTest, WriterRemembersSinkErrors) {
    failing_writer w;
    EXPECT_LT(w.write_header(), 0);
    EXPECT_TRUE(w.failed());
}

TEST_F(XmlTest, EscapedValueReadsBack) {
    tarv_xml_string_writer w;
    w.write_value("v", "a<b&c");
    EXPECT_EQ(w.text(), "<v>a&lt;b&amp;c</v>\n");
    text_reader r(w.text());
    char tag[100], value[100];
    ASSERT_EQ(r.read_tag(tag, sizeof tag), 1);
    EXPECT_STREQ(tag, "v");
    EXPECT_EQ(r.depth(), 1);
    ASSERT_EQ(r.read_data(value, sizeof value), 1);
    EXPECT_STREQ(value, "a<b&c");
    EXPECT_EQ(r.depth(), 0);
    EXPECT_EQ(r.read_tag(tag, sizeof tag), 0);
    EXPECT_EQ(log_text(), "");
}

TEST_F(XmlTest, UnknownEntityStaysAndWarns) {
    text_reader r("<v>x &nbsp; &gt;&lt</v>");
    char tag[100], value[100];
    ASSERT_EQ(r.read_tag(tag, sizeof tag), 1);
    ASSERT_EQ(r.read_data(value, sizeof value), 1);
    EXPECT_STREQ(value, "x &nbsp; >&lt");
    EXPECT_NE(log_text().find("Warning in tarv_xml_reader::compact_string(), unknown '&' conversion found?"),
              std::string::npos);
}

TEST_F(XmlTest, LongValueIsCutAndTheRestSkipped) {
    text_reader r("<a><v>abcdefghij</v><w>7</w></a>");
    char tag[100], value[5];
    int number = 0;
    ASSERT_EQ(r.read_tag(tag, sizeof tag), 1);
    ASSERT_EQ(r.read_tag(tag, sizeof tag), 1);
    ASSERT_EQ(r.read_data(value, sizeof value), 1);
    EXPECT_STREQ(value, "abcd");
    ASSERT_EQ(r.read_tag(tag, sizeof tag), 1);
    EXPECT_STREQ(tag, "w");
    ASSERT_EQ(r.read_data(&number), 1);
    EXPECT_EQ(number, 7);
    EXPECT_EQ(r.read_tag(tag, sizeof tag), 0);  // </a>
    EXPECT_EQ(r.depth(), 0);
}

TEST_F(XmlTest, NonNumberLeavesTargetAndReadingGoesOn) {
    text_reader r("<font_size>abc</font_size><n>-12x</n><m>+</m>");
    char tag[100];
    int number = 5;
    ASSERT_EQ(r.read_tag(tag, sizeof tag), 1);
    EXPECT_EQ(r.read_data(&number), 0);
    EXPECT_EQ(number, 5);
    EXPECT_EQ(r.depth(), 0);
    EXPECT_NE(log_text().find("Warning in tarv_xml_reader::read_data(int) - got non-number'abc'."),
              std::string::npos);
    ASSERT_EQ(r.read_tag(tag, sizeof tag), 1);
    EXPECT_STREQ(tag, "n");
    EXPECT_EQ(r.read_data(&number), 1);
    EXPECT_EQ(number, -12);
    ASSERT_EQ(r.read_tag(tag, sizeof tag), 1);
    EXPECT_EQ(r.read_data(&number), 1);
    EXPECT_EQ(number, 0);
}

TEST_F(XmlTest, SkipDataSkipsJustTheOpenElement) {
    text_reader r(
        "<list>\n"
        "  <unknown><a><b>1</b><!-- note --></a><c>x</c></unknown>\n"
        "  <next>2</next>\n"
        "</list>\n");
    char tag[100];
    int number = 0;
    ASSERT_EQ(r.read_tag(tag, sizeof tag), 1);
    ASSERT_EQ(r.read_tag(tag, sizeof tag), 1);
    EXPECT_STREQ(tag, "unknown");
    r.skip_data();
    EXPECT_EQ(r.depth(), 1);
    EXPECT_STREQ(r.open_tag(), "list");
    ASSERT_EQ(r.read_tag(tag, sizeof tag), 1);
    EXPECT_STREQ(tag, "next");
    ASSERT_EQ(r.read_data(&number), 1);
    EXPECT_EQ(number, 2);
    EXPECT_EQ(r.read_tag(tag, sizeof tag), 0);
    EXPECT_EQ(r.depth(), 0);
    EXPECT_EQ(log_text(), "");
}

TEST_F(XmlTest, SkipDataNeedsAnOpenElement) {
    text_reader r("<a>1</a>");
    r.skip_data();
    EXPECT_NE(log_text().find("Error in tarv_xml_reader::skip_data() - you must read at least the opening tag before "
                              "skipping data."),
              std::string::npos);
    char tag[10];
    EXPECT_EQ(r.read_tag(tag, sizeof tag), 1);  // nothing was consumed
}

TEST_F(XmlTest, SkipDataStopsAtTheEnd) {
    text_reader r("<a><b>");
    char tag[10];
    ASSERT_EQ(r.read_tag(tag, sizeof tag), 1);
    r.skip_data();
    EXPECT_NE(log_text().find("Warning in tarv_xml_reader::skip_data() - unable to read chunk?"), std::string::npos);
    EXPECT_EQ(r.read_tag(tag, sizeof tag), 0);
}

TEST_F(XmlTest, StrayClosingTagAtTopReturnsZeroAndReadingGoesOn) {
    text_reader r("</stray><a>1</a>");
    char tag[10];
    EXPECT_EQ(r.read_tag(tag, sizeof tag), 0);
    EXPECT_EQ(r.depth(), 0);
    ASSERT_EQ(r.read_tag(tag, sizeof tag), 1);
    EXPECT_STREQ(tag, "a");
    EXPECT_NE(log_text().find("'stray'"), std::string::npos);
}

TEST_F(XmlTest, MismatchedClosingTagStillPops) {
    text_reader r("<a><b>1</c></a>");
    char tag[10], value[10];
    ASSERT_EQ(r.read_tag(tag, sizeof tag), 1);
    ASSERT_EQ(r.read_tag(tag, sizeof tag), 1);
    ASSERT_EQ(r.read_data(value, sizeof value), 1);
    EXPECT_EQ(r.depth(), 1);
    EXPECT_NE(log_text().find("Warning in tarv_xml_reader::pop_stack_entry() - popped tag 'c' did not match expected "
                              "tag 'b'."),
              std::string::npos);
    EXPECT_EQ(r.read_tag(tag, sizeof tag), 0);
    EXPECT_EQ(r.depth(), 0);
}

TEST_F(XmlTest, ValueWithControlByteFailsAndEndsTheElement) {
    text_reader r(std::string("<list><v>a\x01" "b</v><w>2</w></list>"));
    char tag[10], value[10];
    ASSERT_EQ(r.read_tag(tag, sizeof tag), 1);
    ASSERT_EQ(r.read_tag(tag, sizeof tag), 1);
    EXPECT_EQ(r.read_data(value, sizeof value), 0);
    EXPECT_EQ(r.depth(), 2);
    // The caller's next read_tag meets </v> and ends its loop.
    EXPECT_EQ(r.read_tag(tag, sizeof tag), 0);
    EXPECT_EQ(r.depth(), 1);
}

TEST_F(XmlTest, EndOfSourceInsideATag) {
    text_reader r("<a><b>12");
    char tag[10];
    int number = 0;
    ASSERT_EQ(r.read_tag(tag, sizeof tag), 1);
    ASSERT_EQ(r.read_tag(tag, sizeof tag), 1);
    EXPECT_EQ(r.read_data(&number), 0);
    EXPECT_EQ(number, 0);
    EXPECT_NE(
        log_text().find("Warning in tarv_xml_reader::read_block(), file corruption - got EOF before trailing bracket."),
        std::string::npos);
    EXPECT_EQ(r.read_tag(tag, sizeof tag), 0);
}

TEST_F(XmlTest, BracketWarnings) {
    text_reader r("<a<b>x>y</b>");
    char tag[10], value[10];
    ASSERT_EQ(r.read_tag(tag, sizeof tag), 1);
    EXPECT_STREQ(tag, "a");
    EXPECT_NE(log_text().find("Warning in tarv_xml_reader::read_block(), got second open bracket?"), std::string::npos);
    ASSERT_EQ(r.read_data(value, sizeof value), 1);  // "b" was the value
    EXPECT_NE(log_text().find("Warning in tarv_xml_reader::read_block(), got second closing bracket?"),
              std::string::npos);
}

TEST_F(XmlTest, BadArguments) {
    text_reader r("<a>1</a>");
    char tag[10];
    EXPECT_EQ(r.read_tag(nullptr, 10), 0);
    EXPECT_EQ(r.read_tag(tag, 0), 0);
    EXPECT_EQ(r.read_data(nullptr, 10), 0);
    EXPECT_EQ(r.read_data(tag, -1), 0);
    EXPECT_EQ(r.read_data(static_cast<int*>(nullptr)), 0);
    std::string log = log_text();
    for (const char* line : {"Error in tarv_xml_reader::read_tag(), NULL dest?",
                             "Error in tarv_xml_reader::read_tag(), dest is too small?",
                             "Error in tarv_xml_reader::read_data(char[]), NULL dest?",
                             "Error in tarv_xml_reader::read_data(char[]), dest is too small?",
                             "Error in tarv_xml_reader::read_data(int), NULL dest?"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
    EXPECT_EQ(r.read_tag(tag, sizeof tag), 1);  // still at the start
}

TEST_F(XmlTest, StackKeepsAtMost999CharactersOfATag) {
    std::string name(1500, 'n');
    std::string text = "<" + name + ">";
    text_reader r(text);
    std::string tag(2000, 0);
    ASSERT_EQ(r.read_tag(tag.data(), static_cast<int>(tag.size())), 1);
    EXPECT_EQ(std::string(tag.c_str()), name);
    EXPECT_EQ(std::string(r.open_tag()), std::string(999, 'n'));
}

TEST_F(XmlTest, FileVariantsRoundTrip) {
    std::string path = config_test::dir() + "/round.xml";
    std::FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    {
        tarv_xml_file_writer w(out);
        w.write_header();
        w.write_tag("list", 1);
        w.write_value("n", 42);
        w.end_tag("list", 1);
    }
    std::fclose(out);
    std::FILE* in = std::fopen(path.c_str(), "rb");
    ASSERT_NE(in, nullptr);
    char line[100];
    ASSERT_NE(std::fgets(line, sizeof line, in), nullptr);
    EXPECT_EQ(tarv_xml_reader::check_xml_header_string(line), 1);
    tarv_xml_file_reader r(in);
    char tag[10];
    int number = 0;
    ASSERT_EQ(r.read_tag(tag, sizeof tag), 1);
    ASSERT_EQ(r.read_tag(tag, sizeof tag), 1);
    ASSERT_EQ(r.read_data(&number), 1);
    EXPECT_EQ(number, 42);
    std::fclose(in);

    tarv_xml_file_reader no_file(nullptr);
    tarv_xml_file_writer no_sink(nullptr);
    EXPECT_EQ(no_file.read_byte(), -1);
    EXPECT_LT(no_sink.write_text("x"), 0);
    std::string log = log_text();
    EXPECT_NE(log.find("Error in tarv_xml_file_reader::tarv_xml_file_reader(), NULL file handle."), std::string::npos);
    EXPECT_NE(log.find("Error in tarv_xml_file_writer::tarv_xml_file_writer(), NULL file handle.\n"),
              std::string::npos);
}

}  // namespace
