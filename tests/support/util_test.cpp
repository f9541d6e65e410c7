#include "support/util.h"

#include "support/text_buffer.h"

#include "common/log_capture.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::FILE* file_with(const std::string& content)
{
    std::FILE* file = std::tmpfile();
    EXPECT_NE(file, nullptr);
    std::fwrite(content.data(), 1, content.size(), file);
    std::rewind(file);
    return file;
}

}  // namespace

TEST(FgetLine, ReadsLinesTable)
{
    struct Step {
        int result;
        const char* text;
    };
    struct Case {
        const char* what;
        std::string content;
        int size;
        std::vector<Step> steps;
    };
    const Case cases[] = {
        {"crlf", "abc\r\nnext\n", 100, {{4, "abc"}, {5, "next"}, {0, "untouched"}}},
        {"empty line", "\nx", 100, {{1, ""}, {2, "x"}, {0, "untouched"}}},
        {"carriage returns anywhere", "a\r\rb\r\n", 100, {{3, "ab"}, {0, "untouched"}}},
        {"zero byte ends a line", std::string("a\0b", 3), 100, {{2, "a"}, {2, "b"}, {0, "untouched"}}},
        {"exact fit", "abcdefg\nz\n", 8, {{8, "abcdefg"}, {2, "z"}}},
        // The first character that did not fit starts the next call.
        {"overflow", "abcdefghij\n", 8, {{8, "abcdefg"}, {4, "hij"}, {0, "untouched"}}},
        {"empty file", "", 8, {{0, "untouched"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::FILE* file = file_with(c.content);
        for (const Step& step : c.steps) {
            char buffer[100];
            std::strcpy(buffer, "untouched");
            EXPECT_EQ(fget_line(file, buffer, c.size), step.result);
            EXPECT_STREQ(buffer, step.text);
        }
        std::fclose(file);
    }
}

TEST(FgetLine, OverflowIsLoggedWithTheCutText)
{
    for (const char* line : {"abcdefg\n", "abcdefghij\n"}) {
        SCOPED_TRACE(line);
        LogCapture log;
        std::FILE* file = file_with(line);
        char buffer[8];
        EXPECT_EQ(fget_line(file, buffer, sizeof buffer), 8);
        std::fclose(file);
        EXPECT_EQ(log.text(), "Warning in fget_line(), string overflow.  String was:\nabcdefg\n");
    }
}

TEST(FgetLine, TooSmallBufferIsRefused)
{
    std::FILE* file = file_with("abc\n");
    char buffer[1] = {'x'};
    EXPECT_EQ(fget_line(file, buffer, 1), 0);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(fget_line(nullptr, buffer, 1), 0);
    std::fclose(file);
}

TEST(NextArg, FindsTheSecondWord)
{
    struct Case {
        const char* text;
        const char* expected;  // nullptr: none
    };
    const Case cases[] = {
        {"  look  at  me", "at  me"}, {"single", nullptr}, {"   ", nullptr},        {"", nullptr},
        {"a\tb", "b"},                {"a\n\n b ", "b "},  {"a\rb c", "c"},         {"word   ", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const char* result = next_arg(c.text);
        if (c.expected) {
            ASSERT_NE(result, nullptr);
            EXPECT_STREQ(result, c.expected);
            EXPECT_GE(result, c.text);  // a pointer into the text
        } else {
            EXPECT_EQ(result, nullptr);
        }
    }
}

TEST(NextArg, NullIsReportedAtVerboseLevel)
{
    LogCapture log(3);
    EXPECT_EQ(next_arg(nullptr), nullptr);
    EXPECT_NE(log.text().find("Error in next_arg(), NULL pointer passed in.\n"), std::string::npos);
}

TEST(WordMatch, EqualsTable)
{
    std::string long_word(400, 'q');
    std::string word_399(399, 'q');
    struct Case {
        const char* a;
        const char* b;
        int expected;
    };
    const Case cases[] = {
        {"Look", "LOOK here", 1}, {"look", "looking", 0}, {"looking", "look", 0}, {"a\tb", "A\nc", 1},
        {"", " x", 1},            {"x", "", 0},            {"ab\r", "ab", 0},    {"[{", "[{", 1},
        // Only A-Z fold: '[' is not '{'.
        {"[", "{", 0},            {nullptr, "x", 0},       {"x", nullptr, 0},
        {long_word.c_str(), long_word.c_str(), 0},         {word_399.c_str(), word_399.c_str(), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.a ? c.a : "(null)") << " / " << (c.b ? c.b : "(null)"));
        EXPECT_EQ(word_equals(c.a, c.b), c.expected);
    }
}

TEST(WordMatch, PrefixAndAbbreviationTable)
{
    struct Case {
        const char* word;
        const char* keyword;
        int minimum;
        int prefix;
        int abbrev;
    };
    const Case cases[] = {
        {"sc", "score", 3, 2, 0},
        {"score", "score", 8, 5, 5},   // the whole keyword beats the minimum
        {"scores", "score", 1, 0, 0},  // longer than the keyword
        {"SCO", "score", 3, 3, 3},
        {"sco now", "score", 3, 3, 3},  // only the first word counts
        {"s", "score", 0, 1, 1},        // minimum 0 accepts any prefix
        {"s", "score", -2, 1, 1},
        {"sc", "sc ore", 3, 2, 2},  // keyword's first word ends where the word ends
        {"", "score", 0, 0, 0},
        {" sc", "score", 0, 0, 0},
        {"x", "score", 0, 0, 0},
        {"scx", "score", 0, 0, 0},
        {"sc", "", 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "'" << c.word << "' vs '" << c.keyword << "'");
        EXPECT_EQ(word_is_prefix(c.word, c.keyword), c.prefix);
        EXPECT_EQ(word_abbrev(c.word, c.keyword, c.minimum), c.abbrev);
    }
    EXPECT_EQ(word_is_prefix(nullptr, "x"), 0);
    EXPECT_EQ(word_abbrev("x", nullptr, 0), 0);
    std::string long_word(400, 'q');
    EXPECT_EQ(word_is_prefix(long_word.c_str(), long_word.c_str()), 0);
}

TEST(WordMatch, InListTable)
{
    struct Case {
        const char* word;
        const char* list;
        int expected;
    };
    const Case cases[] = {
        {"north", "north south east", 1}, {"EAST", "north south east", 1}, {"west", "north south east", 0},
        {"nor", "north south", 0},         {"south x", "north\tsouth", 1},   {"x", "", 0},
        {nullptr, "a", 0},                 {"a", nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.word ? c.word : "(null)"));
        EXPECT_EQ(word_in_list(c.word, c.list), c.expected);
    }
}

TEST(ParseLeadingInt, Table)
{
    struct Case {
        const char* text;
        int result;
        int value;  // what out holds afterwards; starts as 555
    };
    const Case cases[] = {
        {"42abc", 1, 42},           {"-7", 1, -7},     {"+", 1, 0},       {"+12", 1, 12},   {"-x", 0, 555},
        {" 5", 0, 555},             {"", 0, 555},      {"x1", 0, 555},    {"007", 1, 7},    {"-", 0, 555},
        {"99999999999", 1, INT_MAX}, {"-99999999999", 1, INT_MIN},       {"2147483647", 1, INT_MAX},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        int out = 555;
        EXPECT_EQ(parse_leading_int(c.text, &out), c.result);
        EXPECT_EQ(out, c.value);
        EXPECT_EQ(parse_leading_int(c.text, nullptr), c.result);
    }
    EXPECT_EQ(parse_leading_int(nullptr, nullptr), 0);
}

TEST(SafeStrcpy, Table)
{
    struct Case {
        const char* src;
        int size;
        int result;
        const char* dest;
        const char* log;
    };
    const Case cases[] = {
        {"abcd", 5, 1, "abcd", ""},
        {"", 1, 1, "", ""},
        {"abcdefghij", 5, 0, "abcd", "Error in safe_strcpy(), src overflow. String was: ->abcdefghij<-\n"},
        {"a", 1, 0, "", "Error in safe_strcpy(), src overflow. String was: ->a<-\n"},
        {nullptr, 5, 0, "", "Error in safe_strcpy(), NULL src.\n"},
        {"abc", 0, 0, "untouched", "Error in safe_strcpy(), dest too short.\n"},
        {"abc", -3, 0, "untouched", "Error in safe_strcpy(), dest too short.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.src ? c.src : "(null)") << " size " << c.size);
        LogCapture log;
        char dest[16];
        std::strcpy(dest, "untouched");
        EXPECT_EQ(safe_strcpy(dest, c.src, c.size), c.result);
        EXPECT_STREQ(dest, c.dest);
        EXPECT_EQ(log.text(), c.log);
    }
    LogCapture log;
    EXPECT_EQ(safe_strcpy(nullptr, "x", 4), 0);
    EXPECT_EQ(log.text(), "Error in safe_strcpy(), NULL dest.\n");
}

TEST(SafeStrcpy, DoesNotWritePastSize)
{
    char dest[8];
    std::memset(dest, '#', sizeof dest);
    EXPECT_EQ(safe_strcpy(dest, "abcdefghij", 4), 0);
    EXPECT_STREQ(dest, "abc");
    EXPECT_EQ(dest[4], '#');
}

TEST(Base64, EncodesTable)
{
    struct Case {
        const char* text;
        const char* encoded;
    };
    const Case cases[] = {
        {"", ""},           {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
        {"Aladdin:open sesame", "QWxhZGRpbjpvcGVuIHNlc2FtZQ=="},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        tarv_text_buffer buffer;
        buffer.assign("Basic ");
        EXPECT_EQ(base64_append_text(buffer, c.text), 1);
        EXPECT_EQ(std::string(buffer.c_str()), std::string("Basic ") + c.encoded);
    }
    const unsigned char bytes[] = {0xff, 0xfe, 0x00, 0x80};
    tarv_text_buffer buffer;
    EXPECT_EQ(base64_append(buffer, bytes, 4), 1);
    EXPECT_STREQ(buffer.c_str(), "//4AgA==");
    EXPECT_EQ(base64_append(buffer, nullptr, 3), 0);
    EXPECT_EQ(base64_append_text(buffer, nullptr), 0);
    EXPECT_STREQ(buffer.c_str(), "//4AgA==");
}

TEST(Base64, StopsAtTheBufferLimit)
{
    struct Case {
        int prefill;
        int result;
        const char* tail;
    };
    const Case cases[] = {
        {5994, 1, "Zm9v"},  // ends at 5998
        {5995, 0, "Zm9v"},  // ends exactly at 5999: reported as full
        {5997, 0, "Zm"},    // the rest is dropped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.prefill);
        tarv_text_buffer buffer;
        buffer.assign(std::string(static_cast<std::size_t>(c.prefill), '.').c_str());
        EXPECT_EQ(base64_append_text(buffer, "foo"), c.result);
        std::string text = buffer.c_str();
        EXPECT_EQ(text.substr(static_cast<std::size_t>(c.prefill)), c.tail);
        EXPECT_LE(buffer.length, tarv_text_buffer::max_length);
    }
}

TEST(HashText, WorkedValues)
{
    EXPECT_EQ(tarv_hash_text(""), 447547777u);
    EXPECT_EQ(tarv_hash_text("abc"), 1257601186u);
    // Bytes above 127 are read unsigned; read signed, this text would hash
    // to 1076385215.
    EXPECT_EQ(tarv_hash_text("caf\xe9"), 2858655362u);
}

TEST(HexDigit, EveryDigitInEitherCaseAndTheNeighboursOfTheRanges)
{
    EXPECT_EQ(tarv_hex_digit('0'), 0);
    EXPECT_EQ(tarv_hex_digit('9'), 9);
    EXPECT_EQ(tarv_hex_digit('a'), 10);
    EXPECT_EQ(tarv_hex_digit('F'), 15);
    for (char c : {'/', ':', '@', 'G', '`', 'g', ' ', '\0'}) EXPECT_EQ(tarv_hex_digit(c), -1) << static_cast<int>(c);
}

TEST(DirectionAngle, Table)
{
    struct Case {
        int dx, dy, degrees;
    };
    const Case cases[] = {
        {1, 0, 0},     {0, 1, 90},   {-1, 0, 180},   {0, -1, 270}, {5, -5, 315}, {1, -100, 271},
        {0, 0, 90},    {5, 5, 45},   {-5, 5, 135},   {-5, -5, 225}, {100, 1, 1},  {-100, -1, 181},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy);
        EXPECT_EQ(tarv_direction_angle(c.dx, c.dy), c.degrees);
    }
}
