// The toolkit windows of channel tabs and popups: made when the panels are,
// placed and labelled as the cores say, and gone when the panels go, in
// whichever order the two sides are torn down.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/tooltip.h>

#include "app/panel_hosting_wx.h"
#include "config/config.h"
#include "draw/font.h"
#include "draw/theme.h"
#include "panels/channel_window.h"
#include "panels/popup_manager.h"

namespace {

void load_fonts()
{
    tarv_set_glyph_rasterizer(nullptr);
    tarv_create_fonts();
    create_themes();
}

std::vector<wxWindow*> children_named(wxWindow* parent, const wxString& name)
{
    std::vector<wxWindow*> out;
    for (wxWindow* child : parent->GetChildren())
        if (child->GetName() == name && !child->IsBeingDeleted()) out.push_back(child);
    return out;
}

TEST(PanelHostingWx, ChannelTabsGetWindowsThatGoWithThem)
{
    load_fonts();
    auto* frame = new wxFrame(nullptr, wxID_ANY, "test", wxDefaultPosition, wxSize(600, 400));
    tarv_panel_hosting_wx hosting(frame);
    {
        tarv_channel_window window;
        window.attach_hosting(&hosting);
        window.set_rect(0, 0, 500, 150);
        window.set_shown(true);
        ASSERT_EQ(children_named(frame, "channel tab").size(), 1u);  // "(no channel)"
        EXPECT_TRUE(children_named(frame, "channel tab")[0]->IsShown());

        window.set_divert_channel("gossip");
        window.display_socket_data("hi\n", 3);
        const auto tabs = children_named(frame, "channel tab");
        ASSERT_EQ(tabs.size(), 3u);
        tarv_channel_button& gossip = *window.find_channel("gossip")->tab;
        auto* gossip_window = dynamic_cast<wxWindow*>(gossip.peer());
        ASSERT_NE(gossip_window, nullptr);
        EXPECT_EQ(gossip_window->GetPosition(), wxPoint(gossip.x(), gossip.y()));
        EXPECT_EQ(gossip_window->GetSize(), wxSize(gossip.width(), gossip.height()));
        ASSERT_NE(gossip_window->GetToolTip(), nullptr);
        EXPECT_EQ(gossip_window->GetToolTip()->GetTip(), "Tabbed display for channel 'gossip'.");
        // The tab's page button is a child of the tab's own window.
        EXPECT_EQ(children_named(gossip_window, "channel page button").size(), 1u);
        EXPECT_EQ(children_named(frame, "gossip").size(), 1u);  // its display

        window.clear_channels();
        EXPECT_EQ(children_named(frame, "channel tab").size(), 1u);
        EXPECT_TRUE(children_named(frame, "gossip").empty());
    }
    // The window's own panels went with it.
    EXPECT_TRUE(children_named(frame, "channel tab").empty());
    EXPECT_TRUE(children_named(frame, "Blank Channel Tab").empty());
    frame->Destroy();
}

struct quiet_host : tarv_popup_host {
    std::vector<std::string> sent;
    void process_command(const char* text, bool) override { sent.push_back(text); }
    void add_popup_menu_item(const char*) override {}
    void reset_popup_menu() override {}
    void check_popup_menu_item(const char*, bool) override {}
    void focus_command_line() override {}
    void screen_size(int* w, int* h) const override
    {
        *w = 1280;
        *h = 1024;
    }
};

wxWindow* popup_frame(const char* title)
{
    for (wxWindow* w : wxTopLevelWindows)
        if (w->GetName() == wxString("popup window ") + title && !w->IsBeingDeleted() &&
            !wxTheApp->IsScheduledForDestruction(w))
            return w;
    return nullptr;
}

TEST(PanelHostingWx, APopupIsAHiddenWindowThatItsButtonAndCloseBoxToggle)
{
    load_fonts();
    TConfig::instance().set_current(TConfig::instance().add(TConfig::instance().make_default_record("")));
    TConfig::instance().current()->popup_window_list.clear();
    auto* frame = new wxFrame(nullptr, wxID_ANY, "test", wxDefaultPosition, wxSize(600, 400));
    tarv_panel_hosting_wx hosting(frame);
    quiet_host host;
    tarv_popup_manager manager(host);
    manager.attach_hosting(&hosting);
    manager.set_rect(0, 350, 600, 46);
    manager.create_window("Score\nScore Sheet\n30 4\n\n\n");

    wxWindow* window = popup_frame("Score Sheet");
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->IsShown());
    EXPECT_EQ(window->GetLabel(), "Score Sheet");
    EXPECT_TRUE(window->GetWindowStyleFlag() & wxFRAME_FLOAT_ON_PARENT);
    tarv_popup_window& core = *manager.find_button("Score")->window();
    int w = 0, h = 0;
    core.client_size(&w, &h);
    EXPECT_EQ(wxSize(w, h), window->GetClientSize());
    EXPECT_EQ(core.display.width(), w);

    manager.find_button("Score")->toggle_state();
    EXPECT_TRUE(window->IsShown());
    // The close box hides the window and tells the server; it does not destroy it.
    EXPECT_FALSE(window->Close(false));
    EXPECT_FALSE(window->IsShown());
    EXPECT_EQ(host.sent, (std::vector<std::string>{"tslwindow open Score", "tslwindow close Score"}));
    EXPECT_EQ(popup_frame("Score Sheet"), window);

    manager.close_all_popups();
    EXPECT_EQ(popup_frame("Score Sheet"), nullptr);
    frame->Destroy();
}

TEST(PanelHostingWx, APopupWhoseWindowWentFirstStillCloses)
{
    load_fonts();
    TConfig::instance().set_current(TConfig::instance().add(TConfig::instance().make_default_record("")));
    auto* frame = new wxFrame(nullptr, wxID_ANY, "test", wxDefaultPosition, wxSize(600, 400));
    tarv_panel_hosting_wx hosting(frame);
    quiet_host host;
    tarv_popup_manager manager(host);
    manager.attach_hosting(&hosting);
    manager.create_window("Map\nMap Legend\n30 4\n\n\n");
    // The main window's teardown takes the popup's window before the core.
    delete popup_frame("Map Legend");
    tarv_popup_window& core = *manager.find_button("Map")->window();
    core.move(10, 20);
    int x = 0, y = 0;
    core.position(&x, &y);
    EXPECT_EQ(x, 10);
    manager.close_all_popups();
    EXPECT_EQ(TConfig::instance().get_popup_geometry("Map").x, 10);
    frame->Destroy();
}

}  // namespace
