// The toolkit shell of a text display: children placed by the core layout,
// scrollbar values and events passed both ways.
#include <gtest/gtest.h>

#include <wx/frame.h>

#include "text/ansi_display_wx.h"
#include "text/main_window.h"
#include "text_test_util.h"

namespace {

TEST(AnsiDisplayWx, ChildrenFollowTheCoreLayoutAndScrollEventsReachTheDisplay)
{
    auto font = make_test_font(8, 10);
    auto* frame = new wxFrame(nullptr, wxID_ANY, "test", wxDefaultPosition, wxSize(400, 300));
    auto* display = new tarv_main_window(font.get(), 0, 0, 300, 204);
    auto* host = new tarv_ansi_display_host(frame, display, true);

    int s = host->scroll_bar()->GetBestSize().GetWidth();
    ASSERT_GT(s, 0);
    EXPECT_EQ(host->scroll_bar()->GetName(), "scrollBar");
    EXPECT_TRUE(host->scroll_bar()->IsVertical());
    EXPECT_EQ(host->scroll_bar()->GetPosition(), wxPoint(300 - s, 0));
    EXPECT_EQ(display->text.width(), 300 - s - 4);
    EXPECT_EQ(host->text_host()->GetPosition(), wxPoint(2, 2));
    EXPECT_EQ(host->text_host()->GetSize(), wxSize(300 - s - 4, 200));

    std::string lines;
    for (int i = 0; i < 50; ++i) lines += "line " + std::to_string(i) + "\n";
    display->process_ansi_text(lines.data(), lines.size());
    display->refresh_display();
    // 20 visible lines, newest at the bottom.
    EXPECT_EQ(host->scroll_bar()->GetRange(), 50);
    EXPECT_EQ(host->scroll_bar()->GetThumbSize(), 20);
    EXPECT_EQ(host->scroll_bar()->GetThumbPosition(), 30);

    host->scroll_bar()->SetThumbPosition(10);
    wxScrollEvent event(wxEVT_SCROLL_THUMBRELEASE, host->scroll_bar()->GetId(), 10, wxVERTICAL);
    event.SetEventObject(host->scroll_bar());
    host->scroll_bar()->GetEventHandler()->ProcessEvent(event);
    EXPECT_EQ(display->text.display_line, 30);
    EXPECT_FALSE(display->is_following());

    display->set_scrollbar_enable(false);
    EXPECT_FALSE(host->scroll_bar()->IsShown());
    EXPECT_EQ(host->text_host()->GetSize().GetWidth(), 296);

    frame->Destroy();
}

}  // namespace
