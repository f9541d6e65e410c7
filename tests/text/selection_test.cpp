// Selecting text with the mouse: positions, the copied text, drag scrolling,
// the wheel and the other buttons, lost capture and the selected-text colour.
#include <gtest/gtest.h>

#include <string>

#include "text/ansi_display.h"
#include "text/clipboard.h"
#include "text_test_util.h"

namespace {

// The primary selection as another program would read it.
class MemoryClipboard : public tarv_clipboard_backend {
public:
    bool write_primary(const std::string& text) override
    {
        content = text;
        ++writes;
        return true;
    }
    bool read_primary(std::string& text) override
    {
        text = content;
        return true;
    }
    std::string content = "untouched";
    int writes = 0;
};

using E = tarv_mouse_event;

E mouse(E::kind type, int x, int y, bool left = false)
{
    E e;
    e.type = type;
    e.x = x;
    e.y = y;
    e.left_down = left;
    return e;
}

class SelectionTest : public ::testing::Test {
protected:
    SelectionTest() { tarv_set_clipboard_backend(&clipboard); }
    ~SelectionTest() override { tarv_set_clipboard_backend(nullptr); }

    void show(const std::string& s)
    {
        d.process_ansi_text(s.data(), s.size());
        d.refresh_display();
    }
    // Top pixel row of a line in the bottom-anchored view.
    int row(int line) const { return t().height() - 12 - (t().display_line - line) * 12; }
    void drag(int x1, int y1, int x2, int y2)
    {
        d.text.on_mouse(mouse(E::LEFT_DOWN, x1, y1, true));
        d.text.on_mouse(mouse(E::MOTION, x2, y2, true));
        d.text.on_mouse(mouse(E::LEFT_UP, x2, y2));
    }
    const tarv_textctrl& t() const { return d.text; }

    MemoryClipboard clipboard;
    // Ten-pixel characters, twelve-pixel lines.
    std::unique_ptr<tarv_font> font = make_test_font(10, 12);
    // Text area 100 x 120: ten characters, ten lines.
    tarv_ansi_display d{font.get(), 0, 0, 120, 124};
};

TEST_F(SelectionTest, PixelPositionsMapToLinesAndCharacters)
{
    show("abcdef\nxyz\n0123");  // lines 0, 1, 2; the view shows them at its bottom
    ASSERT_EQ(t().width(), 100);
    ASSERT_EQ(t().height(), 120);
    ASSERT_EQ(t().display_line, 2);
    struct pos_case {
        const char* name;
        int x, y, line, offset;
    };
    const pos_case cases[] = {
        {"left edge of the newest line", 0, 108, 2, 0},
        {"left of the text area", -30, 108, 2, 0},
        {"last pixel of the first character", 10, 108, 2, 0},
        {"first pixel of the second character", 11, 108, 2, 1},
        {"last character", 40, 108, 2, 3},
        {"right of the line's end", 95, 108, 2, 4},
        {"bottom pixel row", 0, 119, 2, 0},
        {"below the text area", 5, 500, 2, 0},
        {"one pixel above the newest line", 25, 107, 1, 2},
        {"top row of the oldest line", 0, 84, 0, 0},
        {"above every line", 0, 0, 0, 0},
        {"above the text area", 0, -50, 0, 0},
    };
    for (const auto& c : cases) {
        tarv_text_pos p = t().translate_xy_to_line_and_offset(c.x, c.y);
        EXPECT_EQ(p.line, c.line) << c.name;
        EXPECT_EQ(p.offset, c.offset) << c.name;
    }

    // A popup's view is anchored at the top: y = 0 is its display line.
    tarv_ansi_display popup(font.get(), 0, 0, 120, 124);
    popup.set_popup_mode();
    std::string s = "a\nb\nc\nd\n";
    popup.process_ansi_text(s.data(), s.size());
    popup.text.set_display_line(1);
    EXPECT_EQ(popup.text.translate_xy_to_line_and_offset(0, 0), (tarv_text_pos{1, 0}));
    EXPECT_EQ(popup.text.translate_xy_to_line_and_offset(0, 24), (tarv_text_pos{3, 0}));
}

TEST_F(SelectionTest, WithoutALineHeightEveryPositionIsTheStart)
{
    LogCapture log(2);
    show("abc\ndef");
    d.text.line_height = 0;
    EXPECT_EQ(t().translate_xy_to_line_and_offset(50, 50), (tarv_text_pos{0, 0}));
    EXPECT_NE(log.text().find("translate_xy_to_line_and_offset(), font height 0"), std::string::npos);
}

TEST_F(SelectionTest, DraggingCopiesTheCharactersBetweenBothEndsInclusive)
{
    // Line 0 wraps after its blank, so line 1 follows it without a newline;
    // lines 1 and 2 end with newlines.
    show("abcdefgh ijklm\nnopqrs\ntuvw");
    ASSERT_EQ(d.dump_lines(), (std::vector<std::string>{"abcdefgh ", "ijklm", "nopqrs", "tuvw"}));
    struct drag_case {
        const char* name;
        int line1, x1, line2, x2;
        const char* copied;
    };
    // x = 10 k + 5 lies on character k.
    const drag_case cases[] = {
        {"one line", 2, 15, 2, 35, "opq"},
        {"right to left", 2, 35, 2, 15, "opq"},
        {"across a complete line", 1, 25, 2, 15, "klm\nno"},
        {"upwards across a complete line", 2, 15, 1, 25, "klm\nno"},
        {"across a wrapped line", 0, 65, 1, 15, "gh ij"},
        {"over a whole line between", 1, 35, 3, 5, "lm\nnopqrs\nt"},
        {"past the end of a line", 2, 45, 2, 99, "rs"},
    };
    for (const auto& c : cases) {
        clipboard.content = "untouched";
        drag(c.x1, row(c.line1) + 3, c.x2, row(c.line2) + 3);
        EXPECT_TRUE(t().has_selection()) << c.name;
        EXPECT_EQ(clipboard.content, c.copied) << c.name;
        std::string selected;
        EXPECT_TRUE(t().get_selected_text(selected)) << c.name;
        EXPECT_EQ(selected, c.copied) << c.name;
    }
    // A drag that comes back to its anchor keeps one character.
    d.text.on_mouse(mouse(E::LEFT_DOWN, 25, row(2) + 3, true));
    d.text.on_mouse(mouse(E::MOTION, 55, row(2) + 3, true));
    d.text.on_mouse(mouse(E::MOTION, 25, row(2) + 3, true));
    d.text.on_mouse(mouse(E::LEFT_UP, 25, row(2) + 3));
    EXPECT_EQ(clipboard.content, "p");
    // The drags left the view where it was: selecting does not scroll.
    EXPECT_EQ(t().display_line, 3);
}

TEST_F(SelectionTest, AClickWithoutMotionSelectsNothingAndLeavesTheClipboard)
{
    show("abcdef\nxyz");
    drag(15, row(0) + 2, 35, row(0) + 2);
    ASSERT_EQ(clipboard.content, "bcd");
    int writes = clipboard.writes;

    d.text.on_mouse(mouse(E::LEFT_DOWN, 15, row(1) + 2, true));
    // A new press hides the old selection at once.
    EXPECT_FALSE(t().has_selection());
    d.text.on_mouse(mouse(E::LEFT_UP, 15, row(1) + 2));
    EXPECT_FALSE(t().has_selection());
    EXPECT_EQ(clipboard.content, "bcd");
    EXPECT_EQ(clipboard.writes, writes);
    std::string selected = "x";
    EXPECT_FALSE(t().get_selected_text(selected));
    EXPECT_EQ(selected, "");
}

TEST_F(SelectionTest, EveryMotionOfADragRewritesTheClipboard)
{
    show("abcdef");
    d.text.on_mouse(mouse(E::LEFT_DOWN, 5, row(0) + 2, true));
    d.text.on_mouse(mouse(E::MOTION, 25, row(0) + 2, true));
    EXPECT_EQ(clipboard.content, "abc");
    d.text.on_mouse(mouse(E::MOTION, 45, row(0) + 2, true));
    EXPECT_EQ(clipboard.content, "abcde");
    // Motion without the button held does nothing.
    d.text.on_mouse(mouse(E::MOTION, 5, row(0) + 2, false));
    EXPECT_EQ(clipboard.content, "abcde");
    d.text.on_mouse(mouse(E::LEFT_UP, 35, row(0) + 2));
    EXPECT_EQ(clipboard.content, "abcd");
    EXPECT_EQ(t().dragging, 0);
}

TEST_F(SelectionTest, ClearingRemovesTheSelectionButNotTheCopiedText)
{
    show("abcdef");
    drag(5, row(0), 25, row(0));
    d.text.clear_selection();
    EXPECT_FALSE(t().has_selection());
    EXPECT_EQ(clipboard.content, "abc");
    // Rebuilding the lines for a new width clears it too.
    drag(5, row(0), 25, row(0));
    d.set_geometry(0, 0, 200, 124);
    EXPECT_FALSE(t().has_selection());
}

TEST_F(SelectionTest, LosingTheCaptureKeepsTheCopyAndDropsTheHighlight)
{
    show("abcdef");
    d.text.on_mouse(mouse(E::LEFT_DOWN, 5, row(0), true));
    d.text.on_mouse(mouse(E::MOTION, 25, row(0), true));
    d.text.on_mouse(mouse(E::CAPTURE_LOST, 0, 0));
    EXPECT_EQ(clipboard.content, "abc");
    EXPECT_FALSE(t().has_selection());
    EXPECT_EQ(t().dragging, 0);
}

TEST_F(SelectionTest, SelectedCharactersAreDrawnOverGrey)
{
    // The test glyphs are fully inked except the blank, which shows what is
    // behind a character.
    show("a   e\n \n  ");
    drag(25, row(0) + 2, 15, row(2) + 2);  // from the third blank of line 0 to the second of line 2
    ASSERT_EQ(clipboard.content, "  e\n \n  ");
    tarv_bitmap surface(t().width(), t().height());
    d.text.repaint_internal(surface);
    const tarv_color grey{64, 64, 64}, black{0, 0, 0};
    // Line n is drawn with its top at H - 13 - 12 (2 - n); characters start at x = 1.
    auto at = [&](int line, int offset) {
        return surface.GetPixel(1 + 10 * offset + 5, t().height() - 13 - 12 * (2 - line) + 5);
    };
    EXPECT_EQ(at(0, 1), black);  // before the start
    EXPECT_EQ(at(0, 2), grey);
    const tarv_color selected_letter = at(0, 4);
    EXPECT_EQ(at(1, 0), grey);   // a whole line between
    EXPECT_EQ(at(2, 1), grey);
    d.text.clear_selection();
    d.text.repaint_internal(surface);
    EXPECT_EQ(at(0, 2), black);
    EXPECT_EQ(at(1, 0), black);
    EXPECT_EQ(at(0, 4), selected_letter);  // a selected letter keeps its colour
    EXPECT_NE(selected_letter, black);
}

TEST_F(SelectionTest, DraggingPastTheTopScrollsBackByTheDistance)
{
    // A text area 480 pixels high with 16-pixel lines.
    auto tall = make_test_font(10, 16);
    tarv_ansi_display big(tall.get(), 0, 0, 120, 484);
    std::string s;
    for (int i = 0; i < 100; ++i) s += std::to_string(i) + "\n";
    big.process_ansi_text(s.data(), s.size());
    big.refresh_display();
    ASSERT_EQ(big.text.height(), 480);
    ASSERT_EQ(big.text.display_line, 100);

    big.text.on_mouse(mouse(E::LEFT_DOWN, 5, 470, true));
    // Ten pixels above: a step of 0 does not scroll.
    big.text.on_mouse(mouse(E::MOTION, 5, -10, true));
    EXPECT_EQ(big.text.drag_step, 0);
    // Forty pixels above: -1280 / 480 truncates to -2 lines per step.
    big.text.on_mouse(mouse(E::MOTION, 5, -40, true));
    EXPECT_EQ(big.text.drag_step, -2);
    int top_before = big.text.display_line;
    // The first step comes two ticks later, the next ones four ticks apart.
    run_animations(20);
    EXPECT_EQ(big.text.display_line, top_before);
    run_animations(20);
    EXPECT_EQ(big.text.display_line, top_before - 2);
    EXPECT_FALSE(big.is_following());
    for (int i = 0; i < 4; ++i) run_animations(20);
    EXPECT_EQ(big.text.display_line, top_before - 4);
    // The selection runs from the top of the view to the anchor.
    std::string selected;
    ASSERT_TRUE(big.text.get_selected_text(selected));
    int first_line = big.text.display_line - 29;
    EXPECT_EQ(selected.substr(0, selected.find('\n')), std::to_string(first_line));

    // Releasing the button stops the scrolling.
    big.text.on_mouse(mouse(E::LEFT_UP, 5, -40));
    int after = big.text.display_line;
    for (int i = 0; i < 20; ++i) run_animations(20);
    EXPECT_EQ(big.text.display_line, after);
}

TEST_F(SelectionTest, TheWheelScrollsPerDeltaAndTheOtherButtonsFollowAgain)
{
    std::string s;
    for (int i = 0; i < 30; ++i) s += std::to_string(i) + "\n";
    show(s);
    E wheel = mouse(E::WHEEL, 5, 5);
    wheel.wheel_delta = 120;
    wheel.wheel_rotation = 60;
    d.text.on_mouse(wheel);
    EXPECT_EQ(t().display_line, 30);
    EXPECT_TRUE(d.is_following());
    d.text.on_mouse(wheel);  // completes one delta
    EXPECT_EQ(t().display_line, 27);
    EXPECT_FALSE(d.is_following());

    for (E::kind button : {E::MIDDLE_DOWN, E::RIGHT_DOWN}) {
        d.freeze_scrolling();
        d.scroll_lines_up(3);
        ASSERT_FALSE(d.is_following());
        d.text.on_mouse(mouse(button, 5, 5));
        EXPECT_TRUE(d.is_following());
        EXPECT_EQ(t().display_line, 30);
    }
    // Without any button, motion does nothing.
    d.text.on_mouse(mouse(E::MOTION, 5, 5));
    EXPECT_FALSE(t().has_selection());
}

}  // namespace
