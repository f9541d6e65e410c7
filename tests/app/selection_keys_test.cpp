// The command line's keys on a selection in the main display: Escape and
// Ctrl+C clear it, Ctrl+V pastes what it copied into the primary selection.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/app_test_util.h"
#include "config/config.h"
#include "draw/font.h"
#include "input/command_line.h"
#include "input/input_fakes.h"
#include "text/clipboard.h"
#include "text/main_window.h"

namespace {

class MemoryClipboard : public tarv_clipboard_backend {
public:
    bool write_primary(const std::string& text) override
    {
        content = text;
        return true;
    }
    bool read_primary(std::string& text) override
    {
        text = content;
        return true;
    }
    std::string content;
};

// The main display measures the process-wide fonts when it is made.
struct default_fonts {
    default_fonts() { tarv_create_fonts(); }
};

struct SelectionKeys : testing::Test {
    default_fonts fonts;
    testing::NiceMock<mock_mw_view> view;
    tarv_mw mw{&view};
    fake_edit edit;
    tarv_command_line line{edit, &mw};
    MemoryClipboard clipboard;

    void SetUp() override
    {
        TConfig::instance().setup_default_config(nullptr);
        tarv_set_clipboard_backend(&clipboard);
        mw.layout_panels();
        mw.main_print_text("take this word");
    }
    void TearDown() override { tarv_set_clipboard_backend(nullptr); }

    tarv_textctrl& t() { return mw.main_display->text; }
    // Drags over "this" on the newest line.
    void select_word()
    {
        int w = t().char_widths[static_cast<unsigned char>('t')];
        ASSERT_GT(w, 0);
        int y = t().height() - t().line_height / 2;
        tarv_mouse_event e;
        e.type = tarv_mouse_event::LEFT_DOWN;
        e.left_down = true;
        e.x = 5 * w + w / 2;
        e.y = y;
        t().on_mouse(e);
        e.type = tarv_mouse_event::MOTION;
        e.x = 8 * w + w / 2;
        t().on_mouse(e);
        e.type = tarv_mouse_event::LEFT_UP;
        e.left_down = false;
        t().on_mouse(e);
        ASSERT_TRUE(t().has_selection());
        ASSERT_EQ(clipboard.content, "this");
    }
};

TEST_F(SelectionKeys, EscapeClearsTheSelectionAndTheLine)
{
    select_word();
    edit.set_value("half typed");
    // Dragging froze the view: the first Escape only brings it back.
    ASSERT_FALSE(mw.main_display->is_following());
    EXPECT_TRUE(line.on_key_down({tarv_key::ESCAPE}));
    EXPECT_TRUE(t().has_selection());
    EXPECT_TRUE(mw.main_display->is_following());
    EXPECT_TRUE(line.on_key_down({tarv_key::ESCAPE}));
    EXPECT_FALSE(t().has_selection());
    EXPECT_EQ(edit.text, "");
    // The copy stays where it was.
    EXPECT_EQ(clipboard.content, "this");
}

TEST_F(SelectionKeys, CtrlCClearsASelectionInsteadOfBreaking)
{
    select_word();
    ASSERT_FALSE(mw.main_display->is_following());  // dragging froze the view
    EXPECT_TRUE(line.on_key_down({'C', true}));
    line.on_key_up();
    EXPECT_FALSE(t().has_selection());
    // Only the selection went: no break, the view stays scrolled back.
    EXPECT_FALSE(mw.main_display->is_following());
    // With nothing selected the next Ctrl+C breaks and follows the newest text.
    EXPECT_TRUE(line.on_key_down({'C', true}));
    EXPECT_TRUE(mw.main_display->is_following());
}

TEST_F(SelectionKeys, CtrlVPastesWhatTheDisplaySelected)
{
    select_word();
    edit.set_value("say ");
    EXPECT_TRUE(line.on_key_down({'V', true}));
    EXPECT_EQ(edit.text, "say this");
}

}  // namespace
