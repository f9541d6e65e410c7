// The ANSI interpreter: escape sequences, styles, palettes, the render list,
// suspended updates and the line hook.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "text/ansi_display.h"
#include "text/palette.h"
#include "text_test_util.h"

namespace {

using runs_t = std::vector<std::pair<std::string, std::uint32_t>>;

// Chunks of all lines with their colours, blank-only chunks left out.
runs_t colored_chunks(const tarv_textctrl& t)
{
    runs_t out;
    for (int line = 0; line <= t.current_line; ++line)
        for (std::size_t i = t.line_chunk_begin(line); i < t.line_chunk_end(line); ++i) {
            const auto& c = t.chunk(i);
            std::string s(t.chunk_text(c), c.text.length);
            if (!s.empty()) out.emplace_back(s, c.color);
        }
    return out;
}

struct render_run {
    std::string text;
    std::uint32_t color;
    int attributes;
    int code;
    bool operator==(const render_run&) const = default;
};

std::vector<render_run> runs_of(tarv_ansi_display& d)
{
    std::vector<render_run> out;
    d.for_each_render_run([&](const tarv_render_run_view& r) {
        out.push_back({d.run_text(r), tarv_pack_color(r.color), r.attributes, r.color_code});
    });
    return out;
}

class AnsiTest : public ::testing::Test {
protected:
    void SetUp() override { tarv_select_palette(0); }
    void TearDown() override { tarv_select_palette(0); }

    void feed(const std::string& bytes) { d.process_ansi_text(bytes.data(), bytes.size()); }

    std::unique_ptr<tarv_font> font = make_test_font(8, 10);
    // 1000 wide: nothing in these tests wraps.
    tarv_ansi_display d{font.get(), 0, 0, 1000, 104};
};

TEST_F(AnsiTest, SingleParameterCodesSetColourAndAttribute)
{
    struct sgr_case {
        const char* input;
        std::uint32_t color;  // of the text "x", default palette
    };
    const std::vector<sgr_case> cases = {
        {"x", 0xa0a0a0},                          // construction resets to normal white
        {"\x1b[31mx", 0xaa0000},                  // "31" read as hex 0x31 = 49, red
        {"\x1b[32mx", 0x00aa00},
        {"\x1b[33mx", 0xaa8800},
        {"\x1b[34mx", 0x0000cc},
        {"\x1b[35mx", 0xaa00cc},
        {"\x1b[36mx", 0x0080aa},
        {"\x1b[37mx", 0xa0a0a0},
        {"\x1b[1m\x1b[31mx", 0xff5555},
        {"\x1b[31m\x1b[1mx", 0xff5555},
        {"\x1b[2m\x1b[34mx", 0x000088},
        {"\x1b[2m\x1b[22mx", 0xa0a0a0},           // "22" is 0x22 = 34: normal again
        {"\x1b[1m\x1b[0mx", 0xa0a0a0},            // default entry
        {"\x1b[5m\x1b[33mx", 0xaa8800},           // blink draws like normal
        {"\x1b[31m\x1b[30mx", 0xaa0000},          // black is not supported
        {"\x1b[31m\x1b[40mx", 0xaa0000},          // nor are backgrounds
        {"\x1b[31m\x1b[99999999999mx", 0xaa0000}, // an endless number matches nothing
        {"\x1b[31m\x1b[mx", 0xa0a0a0},            // no digits: parameter 0
    };
    for (const auto& c : cases) {
        tarv_ansi_display fresh(font.get(), 0, 0, 1000, 104);
        fresh.process_ansi_text(c.input, std::strlen(c.input));
        runs_t chunks = colored_chunks(fresh.text);
        ASSERT_EQ(chunks.size(), 1u) << c.input;
        EXPECT_EQ(chunks[0].first, "x") << c.input;
        EXPECT_EQ(chunks[0].second, c.color) << std::hex << c.input;
    }
}

TEST_F(AnsiTest, SemicolonEndsTheSequenceAndTheRestIsText)
{
    LogCapture log(2);
    feed("\x1b[1;31mx");
    EXPECT_EQ(colored_chunks(d.text), (runs_t{{"31mx", 0xa0a0a0}}));
    EXPECT_TRUE(log.contains("process_ansi_code(2) - ignoring unhandled code 59.\n"));
}

TEST_F(AnsiTest, UnsupportedValuesAreLoggedAndBounded)
{
    LogCapture log(2);
    feed("\x1b[30m\x1b[40m\x1b[99999999999999999999m\x1b(x");
    EXPECT_TRUE(log.contains("error in tarv_ansi_display::process_ansi_code() - bad value '48'.\n"));
    EXPECT_TRUE(log.contains("error in tarv_ansi_display::process_ansi_code() - bad value '64'.\n"));
    EXPECT_TRUE(log.contains("error in tarv_ansi_display::process_ansi_code() - bad value '2147483647'.\n"));
    EXPECT_TRUE(log.contains("process_ansi_code(1) - got unhandled code 40.\n"));
    // After "ESC (" the parser is back in text: the x shows.
    EXPECT_EQ(d.text.line_text(0), "x");
}

TEST_F(AnsiTest, ReverseDarkensTheWholeBackgroundUntilAStyleWithoutIt)
{
    feed("\x1b[7mx");
    EXPECT_EQ(d.text.background_color, (tarv_color{64, 64, 64}));
    feed("\x1b[32my");
    EXPECT_EQ(d.text.background_color, (tarv_color{64, 64, 64}));  // still reverse
    feed("\x1b[22mz");
    EXPECT_EQ(d.text.background_color, color_black);
}

TEST_F(AnsiTest, SequencesSplitAcrossCallsStillApply)
{
    const std::vector<std::vector<std::string>> splits = {
        {"a\x1b", "[32mb"},
        {"a\x1b[", "32mb"},
        {"a\x1b[3", "2mb"},
        {"a\x1b[32", "mb"},
        {"a", "\x1b", "[", "3", "2", "m", "b"},
    };
    for (const auto& pieces : splits) {
        tarv_ansi_display fresh(font.get(), 0, 0, 1000, 104);
        for (const auto& p : pieces) fresh.process_ansi_text(p.data(), p.size());
        EXPECT_EQ(colored_chunks(fresh.text), (runs_t{{"a", 0xa0a0a0}, {"b", 0x00aa00}})) << pieces[1];
    }
}

TEST_F(AnsiTest, ControlBytesAreDroppedAndHighBytesShowAsDots)
{
    feed(std::string("a\rb\x07" "c\x01\x7f" "d\xe9" "e\tf", 12));
    EXPECT_EQ(d.text.line_text(0), "abcd.e  f");
    EXPECT_EQ(d.render_list_text(), "abcd.e\tf");
}

TEST_F(AnsiTest, LongTextReachesTheControlInPiecesOf256)
{
    d.text.wrap_enabled = 0;
    feed(repeat('a', 300));
    EXPECT_EQ(d.text.raw_chunk_count(), 2u);
    EXPECT_EQ(d.text.line_text(0), repeat('a', 300));
    // A newline flushes the work buffer at once.
    feed("b\nc");
    EXPECT_EQ(d.text.raw_chunk_count(), 4u);
}

TEST_F(AnsiTest, EscCResetsTheColourAndScrollsTheOldTextAway)
{
    int v = d.text.get_visible_line_count();
    ASSERT_EQ(v, 10);
    feed("\x1b[31mold\x1b");
    feed("cnew");
    EXPECT_EQ(d.text.current_line, 2 * v + 1);
    EXPECT_EQ(d.text.line_text(0), "old");
    EXPECT_EQ(d.text.line_text(2 * v + 1), "new");
    EXPECT_EQ(colored_chunks(d.text).back(), (std::pair<std::string, std::uint32_t>{"new", 0xa0a0a0}));
}

TEST_F(AnsiTest, ResetGivesNormalWhiteOfThePaletteAndZeroItsDefaultEntry)
{
    tarv_select_palette(3);
    d.reset_color();
    feed("a\x1b[0mb\x1b[1m\x1b[37mc");
    // GMud-style: normal white ffffff, bright white darker (808080).
    EXPECT_EQ(colored_chunks(d.text), (runs_t{{"a", 0xffffff}, {"b", 0xffffff}, {"c", 0x808080}}));
}

TEST_F(AnsiTest, APaletteChangeOnlyAffectsTextAfterTheNextStyleChange)
{
    feed("\x1b[31ma\n");
    tarv_select_palette(2);
    EXPECT_STREQ(tarv_palette_name(2), "ZMud-style");
    feed("b\x1b[31mc\x1b[32md\x1b[31me");
    EXPECT_EQ(colored_chunks(d.text),
              (runs_t{{"a", 0xaa0000}, {"b", 0xaa0000}, {"c", 0xaa0000}, {"d", 0x00b300}, {"e", 0x800000}}));
    // The render list keeps the resolved colours too.
    std::vector<render_run> runs = runs_of(d);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0], (render_run{"a\nbc", 0xaa0000, 0, 49}));
    EXPECT_EQ(runs[2], (render_run{"e", 0x800000, 0, 49}));
}

TEST_F(AnsiTest, UnknownPaletteNumberKeepsThePalette)
{
    LogCapture log(2);
    EXPECT_EQ(tarv_select_palette(1), 1);
    EXPECT_EQ(tarv_select_palette(7), 0);
    EXPECT_EQ(current_palette, &tarv_palettes[1]);
    EXPECT_EQ(tarv_palette_name(-1), nullptr);
}

TEST_F(AnsiTest, RunsCloseOnColourOrAttributeButNotOnCodeAlone)
{
    // White (55) and the default entry (0) are both a0a0a0 here.
    feed("a\x1b[0mb\x1b[31mc\x1b[1md\x1b[2m\x1b[22me\n");
    std::vector<render_run> runs = runs_of(d);
    EXPECT_EQ(runs, (std::vector<render_run>{{"ab", 0xa0a0a0, 0, 55},
                                             {"c", 0xaa0000, 0, 49},
                                             {"d", 0xff5555, ATTR_BRIGHT, 49},
                                             {"e\n", 0xaa0000, 0, 49}}));
}

TEST_F(AnsiTest, FlushOfAnEmptyPendingRunOnlyLogs)
{
    LogCapture log(2);
    d.rerender_flush();
    EXPECT_TRUE(log.contains("tarv_ansi_display - rerender_flush() - temp space was empty, WTF?\n"));
    EXPECT_EQ(d.render_run_count(), 0u);
}

TEST_F(AnsiTest, SuspendedTextGoesOnlyToTheRenderListAndIsReplayedOnResume)
{
    feed("before\n");
    d.suspend_updates();
    d.clear_display();
    feed("\x1b[31mred\n\x1b[32mgreen\n");
    // The control still shows what it had.
    EXPECT_EQ(d.text.line_texts(), (std::vector<std::string>{"before", ""}));
    feed("\x1b[34m");
    d.resume_updates();
    EXPECT_EQ(d.text.line_texts(), (std::vector<std::string>{"red", "green", ""}));
    feed("blue");
    // Text after the resume comes out in the style set while suspended.
    EXPECT_EQ(colored_chunks(d.text), (runs_t{{"red", 0xaa0000}, {"green", 0x00aa00}, {"blue", 0x0000cc}}));
}

TEST_F(AnsiTest, ResumeWithoutSuspendOnlyLogs)
{
    LogCapture log(2);
    feed("x");
    d.resume_updates();
    EXPECT_TRUE(log.contains("Error in tarv_ansi_display::resume_updates(), updates were not suspended?\n"));
    EXPECT_EQ(d.text.line_text(0), "x");
}

TEST_F(AnsiTest, ReplayRestoresReverseBackgroundsAndSplitsLongRuns)
{
    std::string long_run = repeat('q', 7000);
    d.text.wrap_enabled = 0;
    feed(long_run + "\n\x1b[7mr");
    d.replay_render_list();
    EXPECT_EQ(d.text.line_text(0), long_run);
    EXPECT_EQ(d.text.background_color, (tarv_color{64, 64, 64}));
}

TEST_F(AnsiTest, SetWrapRebuildsTheLines)
{
    tarv_ansi_display narrow(font.get(), 0, 0, 100, 104);  // text area 80 wide: 9 characters
    std::string line = repeat('a', 20);
    narrow.process_ansi_text(line.data(), line.size());
    EXPECT_EQ(narrow.text.current_line, 2);
    narrow.set_wrap(0);
    EXPECT_EQ(narrow.text.line_texts(), (std::vector<std::string>{line}));
    narrow.set_wrap(1);
    EXPECT_EQ(narrow.text.current_line, 2);
}

TEST_F(AnsiTest, ClearDisplayEmptiesBothStoresAndResetsTheColour)
{
    feed("\x1b[31mabc\n\x1b[1mdef");
    d.clear_display();
    EXPECT_EQ(d.render_run_count(), 0u);
    EXPECT_EQ(d.render_list_text(), "");
    EXPECT_EQ(d.text.line_texts(), (std::vector<std::string>{""}));
    feed("x");
    EXPECT_EQ(colored_chunks(d.text), (runs_t{{"x", 0xa0a0a0}}));
}

class HookedDisplay : public tarv_ansi_display {
public:
    using tarv_ansi_display::tarv_ansi_display;
    void on_complete_line(const char* line) override
    {
        lines.emplace_back(line);
        if (echo) print_text("echo\n");
    }
    std::vector<std::string> lines;
    bool echo = false;
};

TEST_F(AnsiTest, TheLineHookSeesCompleteLinesAndThePartialFlush)
{
    HookedDisplay h(font.get(), 0, 0, 1000, 104);
    std::string first = "one\n\x1b[31mtw";
    h.process_ansi_text(first.data(), first.size());
    h.process_ansi_text("o\npro", 5);
    EXPECT_EQ(h.lines, (std::vector<std::string>{"one", "two"}));
    EXPECT_TRUE(h.has_partial_line());
    h.flush_partial_line();
    EXPECT_EQ(h.lines, (std::vector<std::string>{"one", "two", "pro"}));
    EXPECT_FALSE(h.has_partial_line());
    h.flush_partial_line();
    EXPECT_EQ(h.lines.size(), 3u);

    // A hook that prints does not run itself again.
    h.echo = true;
    h.process_ansi_text("x\n", 2);
    EXPECT_EQ(h.lines.size(), 4u);
    EXPECT_EQ(h.text.line_text(h.text.current_line - 1), "echo");

    // Lines are cut at 5999 characters.
    h.echo = false;
    std::string big = repeat('z', 7000) + "\n";
    h.process_ansi_text(big.data(), big.size());
    EXPECT_EQ(h.lines.back(), repeat('z', 5999));
}

TEST_F(AnsiTest, PrintTextIgnoresNothingAndMarksNoArrival)
{
    d.print_text(nullptr);
    d.print_text("");
    d.process_ansi_text("abc", 0);
    EXPECT_EQ(d.text_arrived, 0);
    EXPECT_EQ(d.render_run_count(), 0u);
    d.process_ansi_text("abc", 3);
    EXPECT_EQ(d.text_arrived, 1);
}

}  // namespace
