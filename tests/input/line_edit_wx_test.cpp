// What only the native entry can get wrong: 8-bit text and positions, the
// selection rules the core relies on, the password entry swap, and the
// panel placing the entry.
#include "input/line_edit_wx.h"

#include <gtest/gtest.h>

#include <wx/frame.h>

#include "input_fakes.h"

namespace {

struct LineEditWx : testing::Test {
    wxFrame* frame = nullptr;
    recording_host host;
    tarv_input_window_wx* panel = nullptr;
    tarv_line_edit* edit = nullptr;

    void SetUp() override
    {
        frame = new wxFrame(nullptr, wxID_ANY, "line edit test", wxDefaultPosition, wxSize(400, 200));
        panel = new tarv_input_window_wx(frame, &host, 0, 0, 300, 48);
        edit = panel->line_edit();
        frame->Show();
    }
    void TearDown() override { frame->Destroy(); }
};

TEST_F(LineEditWx, TextIsEightBitWithPositionsOneToOne)
{
    const std::string text = "caf\xe9 \xff!";
    edit->set_value(text);
    EXPECT_EQ(edit->get_value(), text);
    EXPECT_EQ(edit->get_last_position(), static_cast<long>(text.size()));
    EXPECT_EQ(edit->GetValue()[3], wxUniChar(0xe9));

    edit->ChangeValue(wxString::FromUTF8("a\xe2\x82\xac" "b"));  // a, euro sign, b
    EXPECT_EQ(edit->get_value(), "a?b");
    EXPECT_EQ(edit->get_last_position(), 3);
}

TEST_F(LineEditWx, CaretMovesDropTheSelection)
{
    edit->set_value("hello");
    edit->set_selection(1, 4);
    long from = 0, to = 0;
    edit->get_selection(&from, &to);
    EXPECT_EQ(from, 1);
    EXPECT_EQ(to, 4);
    edit->set_insertion_point(2);
    edit->get_selection(&from, &to);
    EXPECT_EQ(from, to);
    EXPECT_EQ(edit->get_insertion_point(), 2);

    edit->set_selection(1, 4);
    edit->replace_selection("EY");
    EXPECT_EQ(edit->get_value(), "hEYo");
}

TEST_F(LineEditWx, PasswordModeUsesAHiddenEntryAndComesBack)
{
    edit->set_value("ab");
    edit->set_password_mode();
    ASSERT_TRUE(edit->password_entry_shown());
    wxTextCtrl* entry = edit->password_entry();
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(entry->HasFlag(wxTE_PASSWORD));
    EXPECT_TRUE(entry->IsShown());
    EXPECT_FALSE(edit->IsShown());
    EXPECT_EQ(edit->GetValue(), "");  // nothing left readable in the rich line
    EXPECT_EQ(edit->get_value(), "ab");

    edit->replace_selection("cd");
    edit->submit_line();
    EXPECT_EQ(host.calls, (std::vector<std::string>{"cmd:abcd:1"}));
    EXPECT_TRUE(edit->password_entry_shown());
    EXPECT_EQ(edit->core().history().command_count(), 1);  // only "connect"

    // Unsent hidden text is dropped, not shown, when echo comes back.
    edit->replace_selection("half");
    edit->clear_password_mode();
    EXPECT_FALSE(edit->password_entry_shown());
    EXPECT_TRUE(edit->IsShown());
    EXPECT_FALSE(entry->IsShown());
    EXPECT_EQ(entry->GetValue(), "");
    EXPECT_EQ(edit->get_value(), "");
}

TEST_F(LineEditWx, PanelPlacesTheEntryInsideItsFrame)
{
    panel->core().set_geometry(10, 20, 200, 40);
    EXPECT_EQ(panel->GetPosition(), wxPoint(10, 20));
    EXPECT_EQ(panel->GetSize(), wxSize(200, 40));
    EXPECT_EQ(edit->GetPosition(), wxPoint(2, 1));
    EXPECT_EQ(edit->GetSize(), wxSize(196, 38));
    EXPECT_EQ(edit->password_entry()->GetSize(), wxSize(196, 38));
}

TEST_F(LineEditWx, EnterKeyEventSendsTheLine)
{
    edit->set_value("look");
    wxKeyEvent down(wxEVT_KEY_DOWN);
    down.m_keyCode = WXK_RETURN;
    down.SetEventObject(edit);
    edit->GetEventHandler()->ProcessEvent(down);
    EXPECT_EQ(host.calls, (std::vector<std::string>{"cmd:look:1"}));
    EXPECT_EQ(edit->get_value(), "");
}

}  // namespace
