// The scrollback model: appending, tabs, high characters, lines and wrapping.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/textctrl.h"
#include "text_test_util.h"

namespace {

using lines_t = std::vector<std::string>;

class TextctrlTest : public ::testing::Test {
protected:
    // Ten-pixel characters; 'W' is wider than the whole text area.
    std::unique_ptr<tarv_font> font = make_test_font(10, 12, {{'W', 150}, {'i', 5}});
};

struct wrap_case {
    const char* name;
    std::vector<std::string> appends;
    lines_t lines;
};

TEST_F(TextctrlTest, WrapsAtTheWidthOfTheTextArea)
{
    // 100 pixels wide, 10 pixels per character (5 for 'i').
    const std::vector<wrap_case> cases = {
        // The second blank would be the 10th character: it reaches 100 before it
        // can count as a break point, so the break is after the first blank.
        {"three words", {"abcd efgh jklm"}, {"abcd ", "efgh jklm"}},
        {"no blank", {"abcdefghjklmnop"}, {"abcdefghj", "klmnop"}},
        {"nine fit", {"abcdefghj"}, {"abcdefghj"}},
        {"ten do not", {"abcdefghjk"}, {"abcdefghj", "k"}},
        {"blank reaching the width", {"abcdefghj klm"}, {"abcdefghj", " klm"}},
        {"two breaks in one append", {"abc defghjk lmn"}, {"abc ", "defghjk ", "lmn"}},
        {"long word cut repeatedly", {repeat('a', 25)}, {repeat('a', 9), repeat('a', 9), repeat('a', 7)}},
        {"across appends", {"abcd ", "efgh ", "jklm"}, {"abcd ", "efgh jklm"}},
        {"narrow letters", {"iiiiiiiiiiiiiiiiiiiiz"}, {"iiiiiiiiiiiiiiiiiii", "iz"}},
        {"newline ends a line", {"abc\ndef"}, {"abc", "def"}},
        {"over-wide first character stays", {"W", "abc"}, {"Wabc"}},
        {"over-wide character after a letter", {"aW"}, {"a", "W"}},
        {"blank after the break point", {"abcdefghjk lm"}, {"abcdefghj", "k lm"}},
    };
    for (const auto& c : cases) {
        tarv_textctrl t(font.get(), 100, 120);
        for (const auto& a : c.appends) t.append_text(a.c_str());
        EXPECT_EQ(t.line_texts(), c.lines) << c.name;
    }
}

TEST_F(TextctrlTest, BrokenLinesAreNotCompleteButNewlineEndedOnesAre)
{
    tarv_textctrl t(font.get(), 100, 120);
    t.append_text("abcd efgh jklm\nx");
    ASSERT_EQ(t.line_texts(), (lines_t{"abcd ", "efgh jklm", "x"}));
    EXPECT_FALSE(t.line_complete(0));
    EXPECT_TRUE(t.line_complete(1));
    EXPECT_FALSE(t.line_complete(2));
    EXPECT_EQ(t.line_width(0), 50);
    EXPECT_EQ(t.line_width(1), 90);
}

TEST_F(TextctrlTest, WrapOffKeepsLongLines)
{
    tarv_textctrl t(font.get(), 100, 120);
    t.wrap_enabled = 0;
    t.append_text(repeat('a', 40).c_str());
    EXPECT_EQ(t.line_texts(), (lines_t{repeat('a', 40)}));
}

TEST_F(TextctrlTest, LeadingNewlinesAreDroppedOnceAfterCreationOrClear)
{
    tarv_textctrl t(font.get(), 400, 120);
    t.append_text("\n\nword");
    EXPECT_EQ(t.line_texts(), (lines_t{"word"}));
    t.append_text("\n\nword");
    EXPECT_EQ(t.line_texts(), (lines_t{"word", "", "word"}));

    t.clear_text();
    t.append_text("\n\r\nx");
    // Only the newlines at the very start go; the carriage return stays.
    EXPECT_EQ(t.line_texts(), (lines_t{"\r", "x"}));
}

TEST_F(TextctrlTest, TabsAndHighCharactersAreConverted)
{
    struct conv_case {
        std::vector<std::string> appends;
        std::string line;
    };
    const std::vector<conv_case> cases = {
        {{"a\tb"}, "a       b"},
        {{"abc\tX"}, "abc     X"},
        {{"abcdefgh\tX"}, "abcdefgh        X"},
        {{"ab", "\tc"}, "ab      c"},           // the column carries over appends
        {{"abc\rd\te"}, "abc\rd       e"},      // a carriage return resets the column
        {{"\xe9\xa0\x80\xff"}, "e Ey"},
        {{"\xd7\xb4\xa6\x93"}, "x'|\""},
        {{"\xe9\tz"}, "e       z"},             // a high character takes one column
    };
    for (const auto& c : cases) {
        tarv_textctrl t(font.get(), 10000, 120);
        for (const auto& a : c.appends) t.append_text(a.c_str());
        EXPECT_EQ(t.line_text(0), c.line) << c.appends[0];
    }
}

TEST_F(TextctrlTest, HighCharacterMapRowsMatchTheTable)
{
    EXPECT_EQ(std::string(high_char_map, 16), "E 'f\"-tt^%S<O Z ");
    EXPECT_EQ(std::string(high_char_map + 16, 16), " ''\"\"*--~ s>o zY");
    EXPECT_EQ(std::string(high_char_map + 32, 16), " !cLoY|S-Ca<!-R-");
    EXPECT_EQ(std::string(high_char_map + 48, 16), "ox23'uP..1o>   ?");
    EXPECT_EQ(std::string(high_char_map + 64, 16), "AAAAAAACEEEEIIII");
    EXPECT_EQ(std::string(high_char_map + 80, 16), "DNOOOOOxOUUUUYPS");
    EXPECT_EQ(std::string(high_char_map + 96, 16), "aaaaaaaceeeeiiii");
    EXPECT_EQ(std::string(high_char_map + 112, 16), "onooooo/ouuuuypy");
}

TEST_F(TextctrlTest, OneAppendKeepsAtMost5999CharactersButTheColumnMovesOn)
{
    tarv_textctrl t(font.get(), 100, 120);
    t.wrap_enabled = 0;
    t.append_text(repeat('a', 7000).c_str());
    EXPECT_EQ(t.line_text(0), repeat('a', 5999));
    EXPECT_EQ(t.current_column, 7000);

    tarv_textctrl u(font.get(), 100, 120);
    u.wrap_enabled = 0;
    u.append_text(repeat('a', 6003).c_str());
    // Column 6003 is 3 past a multiple of 8: the tab gives 5 blanks.
    u.append_text("\tb");
    EXPECT_EQ(u.line_text(0), repeat('a', 5999) + "     b");
}

TEST_F(TextctrlTest, AppendsJoinIntoLinesAndKeepTheirColours)
{
    tarv_textctrl t(font.get(), 1000, 120);
    t.set_text_colors(tarv_color{255, 0, 0}, color_black);
    t.append_text("ab");
    t.set_text_colors(tarv_color{0, 255, 0}, color_black);
    t.append_text("cd");
    ASSERT_EQ(t.line_texts(), (lines_t{"abcd"}));
    ASSERT_EQ(t.line_chunk_end(0) - t.line_chunk_begin(0), 2u);
    EXPECT_EQ(t.chunk(t.line_chunk_begin(0)).color, 0xff0000u);
    EXPECT_EQ(t.chunk(t.line_chunk_begin(0) + 1).color, 0x00ff00u);
    EXPECT_EQ(t.chunk(t.line_chunk_begin(0) + 1).width, 20);

    tarv_textctrl u(font.get(), 1000, 120);
    u.append_text("ab\n");
    u.append_text("cd");
    EXPECT_EQ(u.line_texts(), (lines_t{"ab", "cd"}));
    EXPECT_EQ(u.current_line, 1);
}

TEST_F(TextctrlTest, ChangingTheWidthRebreaksFromTheRawText)
{
    const std::string text = "abcd efgh jklm nopq\nrstu vwxy\n";
    tarv_textctrl t(font.get(), 100, 120);
    t.set_text_colors(tarv_color{1, 2, 3}, color_black);
    t.append_text(text.c_str());
    // "efgh jklm " would end on the blank that reaches the width.
    ASSERT_EQ(t.line_texts(), (lines_t{"abcd ", "efgh ", "jklm nopq", "rstu vwxy", ""}));

    t.set_size(150, 120);
    tarv_textctrl fresh(font.get(), 150, 120);
    fresh.append_text(text.c_str());
    EXPECT_EQ(t.line_texts(), fresh.line_texts());
    EXPECT_EQ(t.line_texts(), (lines_t{"abcd efgh ", "jklm nopq", "rstu vwxy", ""}));
    EXPECT_EQ(t.laid_out_width, 150);
    // Chunks keep the colour they were appended in.
    EXPECT_EQ(t.chunk(t.line_chunk_begin(1)).color, 0x010203u);

    t.set_size(100, 120);
    EXPECT_EQ(t.line_texts(), (lines_t{"abcd ", "efgh ", "jklm nopq", "rstu vwxy", ""}));
}

TEST_F(TextctrlTest, FontChangeRemeasuresAndRewraps)
{
    tarv_textctrl t(font.get(), 100, 120);
    t.append_text("abcdefghjklm");
    ASSERT_EQ(t.current_line, 1);
    auto narrow = make_test_font(5, 8);
    t.set_text_font(narrow.get());
    EXPECT_EQ(t.line_texts(), (lines_t{"abcdefghjklm"}));
    EXPECT_EQ(t.char_widths[static_cast<int>('a')], 5);
    EXPECT_EQ(t.line_height, 8);
}

TEST_F(TextctrlTest, MetricsComeFromThePrintableGlyphsOnly)
{
    tarv_textctrl t(font.get(), 100, 120);
    EXPECT_EQ(t.char_widths[65], 10);
    EXPECT_EQ(t.char_widths[static_cast<int>('W')], 150);
    EXPECT_EQ(t.char_widths[9], 0);
    EXPECT_EQ(t.char_widths[127], 0);
    EXPECT_EQ(t.char_widths[200], 0);
    EXPECT_EQ(t.line_height, 12);
    t.set_compact_mode(true);
    EXPECT_EQ(t.line_height, 11);
}

TEST_F(TextctrlTest, ClearKeepsTheGrownLineTable)
{
    tarv_textctrl t(font.get(), 100, 120);
    EXPECT_EQ(t.line_table_capacity(), 65536u);
    std::string block;
    for (int i = 0; i < 1000; ++i) block += "x\n";
    for (int i = 0; i < 70; ++i) t.append_text(block.c_str());
    EXPECT_EQ(t.current_line, 70000);
    EXPECT_EQ(t.line_table_capacity(), 131072u);
    EXPECT_EQ(t.line_text(69999), "x");

    t.clear_text();
    EXPECT_EQ(t.line_table_capacity(), 131072u);
    EXPECT_EQ(t.current_line, 0);
    EXPECT_EQ(t.display_line, 0);
    EXPECT_EQ(t.line_text(0), "");
    EXPECT_EQ(t.raw_chunk_count(), 0u);
    t.append_text("\nfresh");
    EXPECT_EQ(t.line_texts(), (lines_t{"fresh"}));
}

TEST_F(TextctrlTest, TheViewFollowsNewLinesUnlessFrozenOrTopAnchored)
{
    tarv_textctrl t(font.get(), 100, 120);
    t.append_text("a\nb\nc");
    EXPECT_EQ(t.display_line, 2);
    t.frozen = 1;
    t.append_text("\nd\n");
    EXPECT_EQ(t.display_line, 2);
    EXPECT_EQ(t.current_line, 4);

    tarv_textctrl u(font.get(), 100, 120);
    u.top_anchored = 1;
    u.append_text(("a\nb\n" + repeat('c', 30) + "\n").c_str());
    EXPECT_EQ(u.display_line, 0);
}

TEST_F(TextctrlTest, EmptyAndNullTextsAddNothing)
{
    tarv_textctrl t(font.get(), 100, 120);
    t.append_text("x");
    t.append_text("");
    t.append_text(nullptr);
    EXPECT_EQ(t.raw_chunk_count(), 1u);
    EXPECT_EQ(t.line_texts(), (lines_t{"x"}));
}

TEST_F(TextctrlTest, DebugFillWritesLinesAndCountsLetters)
{
    tarv_textctrl t(font.get(), 800, 120);
    testing::internal::CaptureStdout();
    long letters = t.debug_fill(200);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("size of tarv_textctrl_chunk"), std::string::npos);
    EXPECT_NE(out.find("entries in render list"), std::string::npos);
    std::string last = t.line_text(t.current_line - 1);
    EXPECT_EQ(last, std::to_string(letters) + " characters written (" + std::to_string(letters / 1000) + " kb).");
    // Every word is letters counting down to 'b', then a blank.
    long counted = 0;
    for (int i = 0; i < t.current_line - 1; ++i) {
        std::string line = t.line_text(i);
        for (char c : line)
            if (c != ' ') {
                EXPECT_GE(c, 'b');
                EXPECT_LE(c, 'k');
                ++counted;
            }
    }
    EXPECT_EQ(counted, letters);
}

}  // namespace
