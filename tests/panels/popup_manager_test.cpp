#include "panels/popup_manager.h"

#include <string>
#include <vector>

#include "common/log_capture.h"
#include "config/config.h"
#include "draw/theme.h"
#include "panels_test_util.h"

namespace {

// The main window's side as far as popups see it: the commands go out in
// order, and the Popups menu is kept as the toolkit shows it.
struct popup_host : tarv_popup_host {
    std::vector<std::string> sent;
    std::vector<std::string> menu;  // top to bottom
    std::vector<std::string> checked;
    int focus_returns = 0;
    int screen_width = 1024, screen_height = 768;

    void process_command(const char* text, bool echo) override
    {
        sent.push_back(std::string(text) + (echo ? " (echo)" : ""));
    }
    void add_popup_menu_item(const char* label) override { menu.insert(menu.begin(), label); }
    void reset_popup_menu() override
    {
        menu.clear();
        checked.clear();
    }
    void check_popup_menu_item(const char* name, bool flag) override
    {
        std::erase(checked, std::string(name));
        if (flag) checked.push_back(name);
    }
    void focus_command_line() override { ++focus_returns; }
    void screen_size(int* w, int* h) const override
    {
        *w = screen_width;
        *h = screen_height;
    }
};

class PopupManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        load_panel_resources();
        create_themes();
        TConfig::instance().set_view(nullptr);
        TConfig::instance().set_current(TConfig::instance().add(TConfig::instance().make_default_record("")));
        TConfig::instance().current()->popup_window_list.clear();
        manager.set_rect(0, 600, 500, 46);
        // The fallback glyphs are all as wide as each other.
        text_font->GetCharSize('W', &widest, &line_height);
    }

    tarv_popup_window& window(const char* name)
    {
        tarv_popup_button* b = manager.find_button(name);
        EXPECT_NE(b, nullptr) << name;
        return *b->window();
    }

    std::vector<std::string> button_order()
    {
        std::vector<std::string> out;
        for (tarv_popup_button* b = manager.first_button(); b; b = b->next) out.push_back(b->label());
        return out;
    }

    popup_host host;
    tarv_popup_manager manager{host};
    int widest = 0, line_height = 0;
};

TEST_F(PopupManagerTest, DefinitionsAreReadLineByLine)
{
    struct row {
        const char* data;
        const char* logged;  // nullptr: the popup is made
        int columns, rows;
        const char* command;
    };
    const row rows[] = {
        {"Score\nScore Sheet\n40 10\nscore\n", nullptr, 40, 10, "score"},
        {"Score\nScore Sheet\n40 10\nscore", "no command", 0, 0, ""},
        {"Score\nScore Sheet\n40 10", "no size", 0, 0, ""},
        {"Score\nScore Sheet", "no title", 0, 0, ""},
        {"Score", "no name", 0, 0, ""},
        {"", "no name", 0, 0, ""},
        {"Score\nScore Sheet\n40 10\n\n", nullptr, 40, 10, ""},
        {"Score\n\n\n\n", nullptr, 1, 1, ""},                          // no numbers: one character each
        {"Score\nT\n  12\nlook\nnoscroll", nullptr, 12, 1, "look"},   // one number, leading blanks
        {"Score\nT\nwide tall\nx\n", nullptr, 1, 1, "x"},             // words that are no numbers
        {"Score\nT\n-5 99999999999999\nx\n", nullptr, 1, 1000, "x"},  // held to a sane size
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.data);
        LogCapture log(2);
        tarv_popup_manager fresh(host);
        fresh.create_window(r.data);
        tarv_popup_button* b = fresh.find_button("Score");
        if (r.logged) {
            EXPECT_EQ(b, nullptr);
            EXPECT_TRUE(log.contains(std::string("Error in tarv_popup_manager::create_window(), ") + r.logged + ".\n"))
                << log.text();
            continue;
        }
        ASSERT_NE(b, nullptr);
        int w = 0, h = 0;
        b->window()->client_size(&w, &h);
        EXPECT_EQ(w, r.columns * widest);
        EXPECT_EQ(h, r.rows * line_height + line_height / 2);
        EXPECT_EQ(b->window()->popup_command, r.command);
        EXPECT_FALSE(b->window()->is_shown());
    }
}

TEST_F(PopupManagerTest, OptionWordsAndTheSameNameTwice)
{
    manager.create_window("Map\nMap Legend\n30 5\n\nNOSCROLL NoWrap unknown\n");
    manager.create_window("Map\nAnother Title\n10 2\n\n\n");
    manager.create_window("Who\nWho is on\n20 20\nwho\nmenuonly\n");
    tarv_popup_window& map = window("Map");
    EXPECT_EQ(map.title(), "Map Legend");
    EXPECT_FALSE(map.display.scrollbar_shown());
    EXPECT_EQ(map.display.text.wrap_enabled, 0);
    EXPECT_EQ(map.display.text.top_anchored, 1);
    EXPECT_EQ(map.display.framed, 0);
    EXPECT_EQ(map.display.name(), "popup window Map Legend display");
    // The menu-only popup has a menu item but no button in the row.
    EXPECT_EQ(button_order(), std::vector<std::string>{"Map"});
    EXPECT_EQ(manager.first_menu_only()->label(), "Who");
    EXPECT_FALSE(manager.first_menu_only()->IsShown());
    EXPECT_EQ(host.menu, (std::vector<std::string>{"Who", "Map"}));
    EXPECT_TRUE(window("Who").display.scrollbar_shown());
}

TEST_F(PopupManagerTest, ButtonsReadNewestFirstAndQuickKeysCountOnIntoMenuOnlyOnes)
{
    manager.create_window("A\nA\n10 2\n\n\n");
    manager.create_window("M\nM\n10 2\n\nmenuonly\n");
    manager.create_window("B\nB\n10 2\n\n\n");
    manager.create_window("C\nC\n10 2\n\n\n");
    EXPECT_EQ(button_order(), (std::vector<std::string>{"C", "B", "A"}));
    // Squares of 46 - 7 with gaps of 4, from x 4.
    EXPECT_EQ(manager.find_button("C")->x(), 4);
    EXPECT_EQ(manager.find_button("B")->x(), 4 + 43);
    EXPECT_EQ(manager.find_button("A")->y(), 604);
    EXPECT_EQ(manager.find_button("A")->width(), 39);
    manager.toggle_popup_number(1);
    EXPECT_TRUE(window("C").is_shown());
    manager.toggle_popup_number(4);
    EXPECT_TRUE(window("M").is_shown());
    manager.toggle_popup_number(5);  // nothing there
    manager.toggle_popup_number(0);
    EXPECT_FALSE(window("A").is_shown());
    EXPECT_FALSE(window("B").is_shown());
}

TEST_F(PopupManagerTest, OpeningAndClosingTellTheServer)
{
    manager.create_window("Score\nScore Sheet\n40 10\nscore\n\n");
    tarv_popup_button& button = *manager.find_button("Score");
    tarv_mouse_event press;
    press.type = tarv_mouse_event::LEFT_DOWN;
    button.on_mouse(press);
    EXPECT_EQ(host.sent, (std::vector<std::string>{"tslwindow open Score", "score"}));
    EXPECT_TRUE(window("Score").is_shown());
    EXPECT_EQ(button.state, tarv_image_button::DOWN);
    EXPECT_EQ(host.checked, std::vector<std::string>{"Score"});
    EXPECT_EQ(host.focus_returns, 1);
    // The close box acts like the button.
    window("Score").close_handler();
    EXPECT_EQ(host.sent.back(), "tslwindow close Score");
    EXPECT_FALSE(window("Score").is_shown());
    EXPECT_EQ(button.state, tarv_image_button::UP);
    EXPECT_TRUE(host.checked.empty());
}

TEST_F(PopupManagerTest, WindowsOffTheScreenOpenAt48)
{
    LogCapture log(2);
    manager.create_window("Score\nScore Sheet\n40 10\n\n\n");
    tarv_popup_window& w = window("Score");
    w.set_client_size(300, 100);
    w.move(-500, 2000);
    manager.find_button("Score")->toggle_state();
    int x = 0, y = 0;
    w.position(&x, &y);
    EXPECT_EQ(x, 48);
    EXPECT_EQ(y, 48);
    EXPECT_TRUE(log.contains("X value -500 too near display edge 1024, resetting."));
    EXPECT_TRUE(log.contains("Y value 2000 too near display edge 768, resetting."));
    // A window on the screen stays where it is.
    manager.find_button("Score")->toggle_state();
    w.move(100, 700);
    manager.find_button("Score")->toggle_state();
    w.position(&x, &y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 700);
}

TEST_F(PopupManagerTest, GeometryIsRecordedAndUsedAgain)
{
    manager.create_window("Score\nScore Sheet\n40 10\n\n\n");
    window("Score").move(300, 200);
    window("Score").set_client_size(500, 120);
    manager.close_all_popups();
    EXPECT_EQ(manager.find_button("Score"), nullptr);
    EXPECT_TRUE(host.menu.empty());
    tarv_popup_geometry g = TConfig::instance().get_popup_geometry("Score");
    EXPECT_EQ(g.x, 300);
    EXPECT_EQ(g.y, 200);
    EXPECT_EQ(g.width, 500);
    EXPECT_EQ(g.height, 120);
    // Defined again after the next login: where and as large as it was.
    manager.create_window("Score\nScore Sheet\n40 10\n\n\n");
    int x = 0, y = 0, w = 0, h = 0;
    window("Score").position(&x, &y);
    window("Score").client_size(&w, &h);
    EXPECT_EQ(x, 300);
    EXPECT_EQ(y, 200);
    EXPECT_EQ(w, 500);
    EXPECT_EQ(h, 120);
    // Reset: back at 48, 48 at the requested size, the saved size gone.
    manager.reset_popup_positions();
    window("Score").position(&x, &y);
    window("Score").client_size(&w, &h);
    EXPECT_EQ(x, 48);
    EXPECT_EQ(w, 40 * widest);
    EXPECT_EQ(h, 10 * line_height + line_height / 2);
    EXPECT_EQ(TConfig::instance().get_popup_geometry("Score").width, 0);
}

TEST_F(PopupManagerTest, DefinitionsBeyondTheLimitAreDropped)
{
    LogCapture log(2);
    for (int i = 0; i <= tarv_popup_manager::max_popups; ++i)
        manager.create_window(("P" + std::to_string(i) + "\nT\n5 1\n\n\n").c_str());
    EXPECT_NE(manager.find_button("P63"), nullptr);
    EXPECT_EQ(manager.find_button("P64"), nullptr);
    EXPECT_TRUE(log.contains("too many popup windows for 'P64'"));
    // Closing them all makes room again.
    manager.close_all_popups();
    manager.create_window("P64\nT\n5 1\n\n\n");
    EXPECT_NE(manager.find_button("P64"), nullptr);
}

TEST_F(PopupManagerTest, LongNamesKeepTheirGeometryUnderTheCutName)
{
    const std::string name(150, 'n');
    manager.create_window((name + "\nT\n10 2\n\n\n").c_str());
    ASSERT_NE(manager.find_button(name.c_str()), nullptr);
    manager.find_button(name.c_str())->window()->move(222, 111);
    manager.close_all_popups();
    EXPECT_EQ(TConfig::instance().get_popup_geometry(name.substr(0, 99)).x, 222);
    manager.create_window((name + "\nT\n10 2\n\n\n").c_str());
    int x = 0, y = 0;
    manager.find_button(name.c_str())->window()->position(&x, &y);
    EXPECT_EQ(x, 222);
}

// A command run by opening a popup can end the connection, which closes
// every popup: the button being clicked must outlive its own click.
struct disconnecting_host : popup_host {
    tarv_popup_manager* manager = nullptr;
    void process_command(const char* text, bool echo) override
    {
        popup_host::process_command(text, echo);
        if (std::string(text) == "//disconnect") manager->close_all_popups();
    }
};

TEST(PopupManagerDisconnect, ACommandThatClosesEveryPopupEndsTheToggle)
{
    load_panel_resources();
    TConfig::instance().set_current(TConfig::instance().add(TConfig::instance().make_default_record("")));
    disconnecting_host host;
    tarv_popup_manager manager(host);
    host.manager = &manager;
    manager.create_window("Quit\nQuit\n10 2\n//disconnect\n\n");
    manager.create_window("Other\nOther\n10 2\n\n\n");
    tarv_mouse_event press;
    press.type = tarv_mouse_event::LEFT_DOWN;
    manager.find_button("Quit")->on_mouse(press);
    EXPECT_EQ(manager.first_button(), nullptr);
    EXPECT_EQ(host.sent, (std::vector<std::string>{"tslwindow open Quit", "//disconnect"}));
    // The next definition is served normally.
    manager.create_window("Again\nAgain\n10 2\n\n\n");
    EXPECT_NE(manager.find_button("Again"), nullptr);
}

}  // namespace
