// Searching the scrollback: matches over the received text (across wraps and
// the seams of sealed blocks), their count and order, their display
// positions, and how they are drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "text/text_search.h"
#include "text/textctrl.h"
#include "support/random.h"
#include "text_test_util.h"

namespace {

std::string lowered(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The text as the lines show it, wraps joined and line ends as "\n", with the
// display position of each character.
struct joined_text {
    std::string text;
    std::vector<tarv_text_pos> where;
};

joined_text join_lines(const tarv_textctrl& t)
{
    joined_text j;
    for (int line = 0; line <= t.current_line; ++line) {
        std::string s = t.line_text(line);
        for (int k = 0; k < static_cast<int>(s.size()); ++k) {
            j.text.push_back(s[k]);
            j.where.push_back({line, k});
        }
        if (t.line_complete(line)) {
            j.text.push_back('\n');
            j.where.push_back({line, static_cast<int>(s.size())});
        }
    }
    return j;
}

// The whole received line that display line `line` is part of.
std::string logical_line(const tarv_textctrl& t, int line)
{
    while (line > 0 && !t.line_complete(line - 1)) --line;
    std::string s = t.line_text(line);
    while (line < t.current_line && !t.line_complete(line)) s += t.line_text(++line);
    return s;
}

// Every match by brute force, newest first, as display positions.
std::vector<tarv_search_hit> brute_force(const tarv_textctrl& t, const std::string& needle)
{
    joined_text j = join_lines(t);
    std::string hay = lowered(j.text), n = lowered(needle);
    std::vector<tarv_search_hit> hits;
    for (std::size_t at = hay.find(n); at != std::string::npos; at = hay.find(n, at + 1))
        hits.push_back({j.where[at], j.where[at + n.size() - 1]});
    std::reverse(hits.begin(), hits.end());
    return hits;
}

std::vector<tarv_search_hit> all_hits(const tarv_text_search& s, const tarv_textctrl& t)
{
    std::vector<tarv_search_hit> hits;
    for (std::size_t i = 0; i < s.count(); ++i) {
        tarv_search_hit h{};
        EXPECT_TRUE(s.locate(t, i, &h)) << i;
        hits.push_back(h);
    }
    return hits;
}

void expect_same(const std::vector<tarv_search_hit>& got, const std::vector<tarv_search_hit>& want)
{
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].first, want[i].first) << "match " << i;
        EXPECT_EQ(got[i].last, want[i].last) << "match " << i;
    }
}

// 200,000 lines of play, 7-pixel characters in a 300-pixel text area, so
// most lines wrap. Every 997th line holds a dragon, in changing case, and
// every 1999th line a "red dragon" placed so the wrap falls between the words.
class ScrollbackSearch : public ::testing::Test {
protected:
    static constexpr int line_count = 200000;

    static void SetUpTestSuite()
    {
        font_ = make_test_font(7, 12).release();
        text_ = new tarv_textctrl(font_, 300, 120);
        static const char* const forms[] = {"dragon", "Dragon", "DRAGON", "drAGon"};
        std::string line;
        for (int i = 0; i < line_count; ++i) {
            const std::string n = std::to_string(i);
            if (i % 1999 == 0) {
                // 42 characters fit a row (294 pixels): the row ends with "red ".
                line = std::string(37, 'x') + " red dragon roars, line " + n + ".\n";
            } else if (i % 997 == 0) {
                line = "You hit the goblin, line " + n + ". A " + forms[(i / 997) % 4] + " watches.\n";
            } else {
                line = "You hit the goblin, line " + n + ". It misses you.\n";
            }
            // Colour changes split the received text into several pieces.
            std::size_t half = line.size() / 2;
            text_->append_text(line.c_str(), half);
            text_->append_text(line.c_str() + half, line.size() - half);
        }
    }
    static void TearDownTestSuite()
    {
        delete text_;
        delete font_;
    }

    static tarv_font* font_;
    static tarv_textctrl* text_;
};
tarv_font* ScrollbackSearch::font_ = nullptr;
tarv_textctrl* ScrollbackSearch::text_ = nullptr;

TEST_F(ScrollbackSearch, FindsEveryMatchNewestFirstWithoutRegardToCase)
{
    const tarv_textctrl& t = *text_;
    const int dragons = line_count / 997 + 1 + line_count / 1999 + 1 - (line_count / (997 * 1999) + 1);
    for (const char* needle : {"dragon", "DRAGON", "dRaGoN"}) {
        tarv_text_search s;
        s.set_needle(t, needle);
        s.run_to_end(t);
        EXPECT_EQ(static_cast<int>(s.count()), dragons) << needle;
        EXPECT_EQ(s.current(), 0);
        EXPECT_EQ(s.status_text(), "1 of " + std::to_string(dragons));
    }

    // The newest is in the last line with a dragon.
    tarv_text_search s;
    s.set_needle(t, "Dragon");
    s.run_to_end(t);
    int newest_line = std::max((line_count - 1) / 997 * 997, (line_count - 1) / 1999 * 1999);
    tarv_search_hit h{};
    ASSERT_TRUE(s.locate(t, 0, &h));
    std::string shown = t.line_text(h.first.line);
    EXPECT_EQ(lowered(shown.substr(static_cast<std::size_t>(h.first.offset), 6)), "dragon");
    EXPECT_NE(logical_line(t, h.first.line).find("line " + std::to_string(newest_line) + "."), std::string::npos);

    // Older, older, newer: the numbering follows and the lines go back.
    ASSERT_TRUE(s.older());
    tarv_search_hit h1{};
    ASSERT_TRUE(s.locate(t, static_cast<std::size_t>(s.current()), &h1));
    ASSERT_TRUE(s.older());
    EXPECT_EQ(s.status_text(), "3 of " + std::to_string(dragons));
    tarv_search_hit h2{};
    ASSERT_TRUE(s.locate(t, static_cast<std::size_t>(s.current()), &h2));
    EXPECT_LT(h1.first.line, h.first.line);
    EXPECT_LT(h2.first.line, h1.first.line);
    ASSERT_TRUE(s.newer());
    EXPECT_EQ(s.current(), 1);
    // From the newest, newer goes round to the oldest, and back.
    ASSERT_TRUE(s.newer());
    ASSERT_TRUE(s.newer());
    EXPECT_EQ(s.current(), dragons - 1);
    ASSERT_TRUE(s.older());
    EXPECT_EQ(s.current(), 0);
}

TEST_F(ScrollbackSearch, MatchesAcrossWrapPointsAreFoundAndLocatedOnBothLines)
{
    const tarv_textctrl& t = *text_;
    tarv_text_search s;
    s.set_needle(t, "RED DRAGON");
    s.run_to_end(t);
    ASSERT_EQ(static_cast<int>(s.count()), line_count / 1999 + 1);
    int wrapped = 0;
    for (std::size_t i = 0; i < s.count(); i += 7) {
        tarv_search_hit h{};
        ASSERT_TRUE(s.locate(t, i, &h));
        if (h.first.line != h.last.line) {
            ++wrapped;
            EXPECT_EQ(h.last.line, h.first.line + 1);
            EXPECT_FALSE(t.line_complete(h.first.line));
            std::string a = t.line_text(h.first.line).substr(static_cast<std::size_t>(h.first.offset));
            std::string b = t.line_text(h.last.line).substr(0, static_cast<std::size_t>(h.last.offset) + 1);
            EXPECT_EQ(lowered(a + b), "red dragon");
        }
    }
    EXPECT_GT(wrapped, 0);
}

TEST_F(ScrollbackSearch, NoMatchAndEmptyNeedle)
{
    tarv_text_search s;
    s.set_needle(*text_, "unicorn");
    s.run_to_end(*text_);
    EXPECT_EQ(s.count(), 0u);
    EXPECT_EQ(s.current(), -1);
    EXPECT_EQ(s.status_text(), "no matches");
    EXPECT_FALSE(s.older());
    EXPECT_FALSE(s.newer());
    s.set_needle(*text_, "");
    EXPECT_FALSE(s.active());
    EXPECT_EQ(s.status_text(), "");
}

// Random text over many sealed blocks, searched in small slices and in one
// pass: both give exactly the brute-force matches, seams included.
TEST(TextSearch, SlicedSearchOverSealedBlocksMatchesBruteForce)
{
    auto font = make_test_font(6, 10);
    tarv_textctrl t(font.get(), 200, 100);
    tarv_random rng;
    rng.reseed(7);
    static const char* const words[] = {"ab", "aB", "ba", "aba", "Abab", "x", "abba", "b", "a"};
    std::string piece;
    // Pieces of a few words in and about 600 KB: ten blocks, most sealed.
    while (t.text_store().bytes_stored() < 600000) {
        piece.clear();
        int n = 1 + static_cast<int>(rng.next() % 6);
        for (int k = 0; k < n; ++k) {
            piece += words[rng.next() % 9];
            piece += rng.next() % 5 == 0 ? "\n" : " ";
        }
        t.append_text(piece.c_str(), piece.size());
    }
    ASSERT_GT(t.text_store().block_count(), 8u);
    for (const char* needle : {"abab", "a", "b ab", "ABBA A"}) {
        std::vector<tarv_search_hit> want = brute_force(t, needle);
        tarv_text_search whole;
        whole.set_needle(t, needle);
        whole.run_to_end(t);
        expect_same(all_hits(whole, t), want);

        tarv_text_search sliced;
        sliced.set_needle(t, needle);
        int steps = 0;
        while (!sliced.step(t, 4093)) ++steps;
        EXPECT_GT(steps, 100);
        expect_same(all_hits(sliced, t), want);
    }
}

// A text made only of matches: every seam between two blocks cuts some.
TEST(TextSearch, MatchesAcrossBlockSeamsAreFound)
{
    auto font = make_test_font(6, 10);
    tarv_textctrl t(font.get(), 400, 100);
    tarv_random rng;
    rng.reseed(11);
    std::string piece;
    std::size_t written = 0;
    while (written < 400000) {
        std::size_t n = 1000 + rng.next() % 4000;
        piece.clear();
        for (std::size_t k = 0; k < n; ++k) piece.push_back("abc"[(written + k) % 3]);
        t.append_text(piece.c_str(), piece.size());
        written += n;
    }
    ASSERT_GT(t.text_store().block_count(), 5u);
    for (const char* needle : {"cab", "BCABCABCA"}) {
        tarv_text_search s;
        s.set_needle(t, needle);
        s.run_to_end(t);
        EXPECT_GT(s.count(), written / 3 - 10);
        expect_same(all_hits(s, t), brute_force(t, needle));
    }
}

// Long ranges are searched in two halves at once: the same matches, in the
// same order, as small slices searched one by one, sealed blocks and all.
TEST(TextSearch, SearchOnTwoCoresFindsWhatSlicesFind)
{
    auto font = make_test_font(6, 10);
    tarv_textctrl t(font.get(), 400, 100);
    tarv_random rng;
    rng.reseed(5);
    std::string piece;
    std::size_t written = 0;
    while (written < 6000000) {
        std::size_t n = 1000 + rng.next() % 4000;
        piece.clear();
        for (std::size_t k = 0; k < n; ++k) piece.push_back(rng.next() % 97 == 0 ? '\n' : "abc"[(written + k) % 3]);
        t.append_text(piece.c_str(), piece.size());
        written += n;
    }
    ASSERT_GT(t.text_store().bytes_stored(), 2 * tarv_text_search::parallel_bytes);
    for (const char* needle : {"cab", "BCABCABCA", "a"}) {
        tarv_text_search whole, sliced;
        whole.set_needle(t, needle);
        whole.run_to_end(t);
        sliced.set_needle(t, needle);
        while (!sliced.step(t, 300000)) {
        }
        ASSERT_EQ(whole.count(), sliced.count()) << needle;
        for (std::size_t i = 0; i < whole.count(); ++i)
            ASSERT_EQ(whole.match_position(i), sliced.match_position(i)) << needle << " " << i;
    }
    // The count against the text itself, for one needle.
    tarv_text_search s;
    s.set_needle(t, "bcabcabca");
    s.run_to_end(t);
    const std::string hay = lowered(join_lines(t).text);
    std::size_t n = 0;
    for (std::size_t at = hay.find("bcabcabca"); at != std::string::npos; at = hay.find("bcabcabca", at + 1)) ++n;
    EXPECT_EQ(s.count(), n);
}

TEST(TextSearch, TextArrivingDuringTheSearchIsSearchedAndKeepsTheCurrentMatch)
{
    auto font = make_test_font(6, 10);
    tarv_textctrl t(font.get(), 600, 100);
    for (int i = 0; i < 3000; ++i) t.append_text("an orc here\nnothing\n");
    tarv_text_search s;
    s.set_needle(t, "orc");
    ASSERT_FALSE(s.step(t, 1000));
    ASSERT_GT(s.count(), 0u);
    ASSERT_TRUE(s.older());
    const std::uint64_t before = s.match_position(static_cast<std::size_t>(s.current()));
    // A match cut in two by the end of what had arrived: "o" now, "rc" later.
    t.append_text("the o");
    s.step(t, 1000);
    t.append_text("rc and an ORC\n");
    s.run_to_end(t);
    EXPECT_EQ(s.count(), 3002u);
    EXPECT_EQ(s.match_position(static_cast<std::size_t>(s.current())), before);
    EXPECT_EQ(s.status_text(), "4 of 3002");
    expect_same(all_hits(s, t), brute_force(t, "orc"));

    // Clearing the display forgets every match.
    t.clear_text();
    s.run_to_end(t);
    EXPECT_EQ(s.count(), 0u);
    t.append_text("one orc\n");
    s.run_to_end(t);
    EXPECT_EQ(s.count(), 1u);
}

// Glyphs 4 x 6 with only their left column inked, so the background of each
// cell shows in its other three columns.
std::unique_ptr<tarv_font> column_font()
{
    auto font = std::make_unique<tarv_font>(tarv_font_desc{});
    for (int c = 32; c <= 126; ++c) {
        auto glyph = std::make_unique<tarv_bitmap>(4, 6);
        glyph->Clear(color_black);
        if (c != ' ')
            for (int y = 0; y < 6; ++y) glyph->SetPixel(0, y, color_white);
        font->set_glyph(c, std::move(glyph));
    }
    return font;
}

TEST(TextSearch, HighlightsEveryVisibleMatchAndTheCurrentOneDistinctly)
{
    auto font = column_font();
    // 15 characters a line (61 pixels wide), 3 lines shown.
    tarv_textctrl t(font.get(), 61, 18);
    t.append_text("a dog\nDOG and a do\ng. cat\n");  // "do" + "g." is no match: a line end between
    tarv_text_search s;
    s.set_needle(t, "dog");
    s.run_to_end(t);
    ASSERT_EQ(s.count(), 2u);
    ASSERT_TRUE(s.older());  // the current one is now the older "dog" on line 0
    t.search = &s;
    tarv_bitmap surface(61, 18);
    t.repaint_internal(surface);

    // Line n is drawn with its top at y = 18 - 6 - 1 - (3 - n) * 6 ... rows for lines 1, 2, 3 (line 3 empty).
    const int top_line = t.display_line - 2;
    auto cell = [&](int line, int column) {
        return surface.GetPixel(1 + column * 4 + 2, 18 - 6 - 1 - (t.display_line - line) * 6 + 3);
    };
    ASSERT_EQ(top_line, 1);
    const tarv_color amber{150, 100, 0}, yellow{255, 210, 0};
    EXPECT_EQ(cell(1, 0), amber);  // "DOG" on line 1: a match, not the current one
    EXPECT_EQ(cell(1, 2), amber);
    EXPECT_EQ(cell(1, 3), color_black);  // the blank after it
    EXPECT_EQ(cell(1, 10), color_black);  // "do" of "do\ng"
    EXPECT_EQ(cell(2, 0), color_black);

    // Scrolled back one line, the current match shows in yellow with black ink.
    t.set_display_line(2);
    t.repaint_internal(surface);
    EXPECT_EQ(cell(0, 2), yellow);
    EXPECT_EQ(cell(0, 4), yellow);
    EXPECT_EQ(surface.GetPixel(1 + 2 * 4, 18 - 6 - 1 - 2 * 6 + 3), color_black);  // its ink
    EXPECT_EQ(cell(0, 1), color_black);
    EXPECT_EQ(cell(1, 1), amber);

    // Without the search nothing is highlighted.
    t.search = nullptr;
    t.repaint_internal(surface);
    EXPECT_EQ(cell(1, 1), color_black);
    EXPECT_EQ(cell(0, 2), color_black);
}

}  // namespace
