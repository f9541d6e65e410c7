// The main display's find field, driven as the player drives it: keys into
// the real command line, which hands them to the main window's find field.
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "../input/input_fakes.h"
#include "../text/text_test_util.h"
#include "app/app_test_util.h"
#include "app/mw.h"
#include "config/config.h"
#include "input/command_line.h"
#include "text/find_bar.h"
#include "text/main_window.h"

namespace {

tarv_key_event key(int code, bool control = false, bool shift = false)
{
    return tarv_key_event{code, control, shift, false, false};
}

struct FindField : testing::Test {
    std::unique_ptr<tarv_font> font = make_test_font(7, 12);
    testing::NiceMock<mock_mw_view> view;
    tarv_mw mw{&view};
    fake_edit edit;
    tarv_command_line line{edit, &mw};

    void SetUp() override
    {
        TConfig::instance().setup_default_config(nullptr);
        mw.main_display->set_display_font(font.get());
        mw.main_display->set_geometry(0, 0, 600, 300);
        for (int i = 0; i < 500; ++i) {
            std::string text = "line " + std::to_string(i) + (i % 50 == 7 ? ": an Orc growls.\n" : ": quiet.\n");
            mw.main_display->print_text(text.c_str());
        }
        mw.main_display->refresh_display();
    }
    // A character key as the toolkit delivers it: key-down, then the character.
    bool type(char c)
    {
        const int code = c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
        if (line.on_key_down(key(code))) return true;
        line.on_key_up();
        return line.on_char(c);
    }
    const tarv_find_bar& bar() const { return *mw.find_bar; }
    tarv_textctrl& text() { return mw.main_display->text; }
    // Whether the current match lies in the rows the field leaves visible.
    bool current_visible()
    {
        tarv_search_hit hit{};
        if (!bar().search().locate(text(), static_cast<std::size_t>(bar().search().current()), &hit)) return false;
        const int rows = (text().height() - text().reserved_bottom) / text().line_height;
        return hit.first.line > text().display_line - rows && hit.last.line <= text().display_line - bar().covered_rows();
    }
};

TEST_F(FindField, TypingFindsTheNewestMatchAndScrollsItIntoView)
{
    ASSERT_TRUE(mw.is_following(tarv_display_ref::main));
    EXPECT_TRUE(line.on_key_down(key('F', true)));
    ASSERT_TRUE(bar().is_open());
    for (char c : std::string("oRC")) EXPECT_TRUE(type(c));
    EXPECT_EQ(edit.text, "");  // nothing reached the command line
    EXPECT_EQ(bar().query(), "oRC");
    EXPECT_EQ(bar().status_text(), "1 of 10");
    EXPECT_FALSE(mw.is_following(tarv_display_ref::main));
    EXPECT_TRUE(current_visible());

    // Enter and F3 go older, Shift with either newer; the view follows.
    const int newest_view = text().display_line;
    EXPECT_TRUE(line.on_key_down(key(tarv_key::RETURN)));
    line.on_key_up();
    EXPECT_EQ(bar().status_text(), "2 of 10");
    EXPECT_TRUE(line.on_key_down(key(tarv_key::F1 + 2)));
    line.on_key_up();
    EXPECT_EQ(bar().status_text(), "3 of 10");
    EXPECT_TRUE(current_visible());
    EXPECT_LT(text().display_line, newest_view);
    EXPECT_TRUE(line.on_key_down(key(tarv_key::F1 + 2, false, true)));
    line.on_key_up();
    EXPECT_TRUE(line.on_key_down(key(tarv_key::RETURN, false, true)));
    line.on_key_up();
    EXPECT_EQ(bar().status_text(), "1 of 10");
    EXPECT_TRUE(current_visible());
    EXPECT_TRUE(edit.text.empty());
    EXPECT_TRUE(outgoing(mw).empty());  // Enter sent nothing

    // Backspace edits the query; no match says so.
    EXPECT_TRUE(line.on_key_down(key(tarv_key::BACK)));
    line.on_key_up();
    EXPECT_EQ(bar().query(), "oR");
    EXPECT_TRUE(type('x'));
    EXPECT_EQ(bar().status_text(), "no matches");
}

TEST_F(FindField, EscapeClosesClearsTheHighlightAndGivesTheKeysBack)
{
    line.on_key_down(key('F', true));
    for (char c : std::string("orc")) type(c);
    line.on_key_down(key(tarv_key::RETURN));
    line.on_key_up();
    const int view_line = text().display_line;
    ASSERT_EQ(text().search, &bar().search());

    EXPECT_CALL(view, focus_input()).Times(testing::AtLeast(1));
    EXPECT_TRUE(line.on_key_down(key(tarv_key::ESCAPE)));
    line.on_key_up();
    EXPECT_FALSE(bar().is_open());
    EXPECT_EQ(text().search, nullptr);
    EXPECT_FALSE(text().paint_over);
    // The view stays where the search left it.
    EXPECT_EQ(text().display_line, view_line);
    EXPECT_FALSE(mw.is_following(tarv_display_ref::main));

    // Keys are the command line's again: a character is the control's to type.
    EXPECT_FALSE(line.on_key_down(key('A')));
    EXPECT_FALSE(line.on_char('a'));
    // And Escape does what it always did: back to the newest text.
    line.on_key_up();
    line.on_key_down(key(tarv_key::ESCAPE));
    EXPECT_TRUE(mw.is_following(tarv_display_ref::main));
}

TEST_F(FindField, TheFieldIsDrawnOverTheBottomOfTheTextOnlyWhileOpen)
{
    tarv_bitmap surface(text().width(), text().height());
    const int bottom = text().height() - 1;
    text().repaint_internal(surface);
    EXPECT_EQ(surface.GetPixel(text().width() - 3, bottom), (tarv_color{0, 0, 0}));
    mw.open_find();
    text().repaint_internal(surface);
    EXPECT_EQ(surface.GetPixel(text().width() - 3, bottom), (tarv_color{40, 40, 48}));
    line.on_key_down(key(tarv_key::ESCAPE));
    text().repaint_internal(surface);
    EXPECT_EQ(surface.GetPixel(text().width() - 3, bottom), (tarv_color{0, 0, 0}));
}

}  // namespace
