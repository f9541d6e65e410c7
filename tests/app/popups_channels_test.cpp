// The main window's wiring of the channel window and the popups: received
// tags and text reach the right display, the Popups menu follows the
// popups, and disconnecting, saving and leaving record and close them.
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/app_test_util.h"
#include "app/mw.h"
#include "common/log_capture.h"
#include "config/config.h"
#include "config/config_test_env.h"
#include "net/tcp_socket.h"
#include "text/main_window.h"

namespace {

using testing::NiceMock;

// The toolkit's Popups menu as the view is told to show it.
struct menu_view : mock_mw_view {
    std::vector<std::string> popups_menu{"Not Connected"};
    void popup_menu_reset() override { popups_menu = {"Not Connected"}; }
    void popup_menu_insert(int id, const char* label) override
    {
        std::erase(popups_menu, "Not Connected");
        if (std::find(popups_menu.begin(), popups_menu.end(), "&Reset Window Positions") == popups_menu.end()) {
            popups_menu.push_back("-");
            popups_menu.push_back("&Reset Window Positions");
        }
        popups_menu.insert(popups_menu.begin(), std::to_string(id) + " " + label);
    }
};

std::string lines_of(const tarv_ansi_display& display)
{
    std::string out;
    for (const auto& line : display.dump_lines()) out += line + "|";
    return out;
}

struct PopupsAndChannels : testing::Test {
    NiceMock<menu_view> view;
    tarv_mw mw{&view};

    void SetUp() override
    {
        config_test::reset();
        ASSERT_EQ(tarv_ssl_startup(), 1);
        TConfig& c = TConfig::instance();
        c.set_current(c.add(c.make_default_record("Rosa")));
        c.current()->popup_window_list.clear();
        c.set_local_echo(0);
        c.set_channel_window_enable(0);
        c.set_channel_window_dupe(1);
    }

    void receive(const std::string& bytes)
    {
        mw.connection.demux().process_socket_data(bytes.data(), static_cast<int>(bytes.size()), mw);
    }
    static std::string tag(const std::string& name, const std::string& data)
    {
        return ";s" + name + ";" + data + ";e" + name + ";";
    }
    static std::string bare(const std::string& name) { return ";t" + name + ";"; }

    tarv_popup_window& popup(const char* name)
    {
        tarv_popup_button* b = mw.popup_manager->find_button(name);
        EXPECT_NE(b, nullptr) << name;
        return *b->window();
    }

    void connect(held_server& server)
    {
        ASSERT_TRUE(TConfig::instance().set_game_host_override("127.0.0.1"));
        ASSERT_TRUE(TConfig::instance().set_game_port_override(server.l.port()));
        mw.connection.socket_handler();
        for (int i = 0; i < 200 && outgoing(mw).size() > 0; ++i) {
            mw.connection.socket_handler();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        ASSERT_TRUE(mw.connection.is_connected()) << mw.display_text();
        ASSERT_EQ(outgoing(mw), "");
    }
};

TEST_F(PopupsAndChannels, DivertReplacesAndAppendAddsInTheNamedPopup)
{
    receive(tag("window_create", "Score\nScore Sheet\n40 6\n\n\n") +
            tag("window_create", "Journal\nJournal\n40 6\n\n\n") + "before\n");
    receive(tag("divert", "Score") + "old sheet\n" + bare("undivert") + tag("divert", "Score") + "Level 2\n" +
            bare("undivert") + "between\n" + tag("append", "Journal") + "entry one\n" + bare("unappend") +
            tag("append", "Journal") + "entry two\n" + bare("unappend") + "after\n");
    EXPECT_EQ(lines_of(popup("Score").display), "Level 2||");
    EXPECT_EQ(lines_of(popup("Journal").display), "entry one|entry two||");
    // The main display's lines break where the shared fonts decide.
    const std::string main = flat_display_text(mw);
    EXPECT_NE(main.find("beforebetweenafter"), std::string::npos) << main;
    EXPECT_EQ(main.find("Level 2"), std::string::npos);
    EXPECT_EQ(main.find("entry"), std::string::npos);
    EXPECT_EQ(mw.output_display, mw.main_display.get());
    EXPECT_EQ(popup("Score").display.updates_suspended, 0);

    receive(tag("divert", "Nothing") + "stray\n");
    EXPECT_NE(flat_display_text(mw).find("Sorry, no popup window by that name has been defined.stray"),
              std::string::npos);
}

TEST_F(PopupsAndChannels, ChannelTextGoesToItsTabAndToTheMainDisplayAsConfigured)
{
    struct row {
        int enable, dupe;
        bool in_main;
    };
    const row rows[] = {{0, 0, true}, {0, 1, true}, {1, 1, true}, {1, 0, false}};
    int n = 0;
    for (const row& r : rows) {
        SCOPED_TRACE(testing::Message() << "enable " << r.enable << " dupe " << r.dupe);
        TConfig::instance().set_channel_window_enable(r.enable);
        TConfig::instance().set_channel_window_dupe(r.dupe);
        const std::string line = "gossip line " + std::to_string(++n);
        receive(tag("chdiv", "gossip") + line + "\n" + bare("chudiv") + "game text " + std::to_string(n) + "\n");
        EXPECT_NE(lines_of(*mw.channel_window->find_channel("gossip")->display).find(line), std::string::npos);
        EXPECT_NE(lines_of(*mw.channel_window->find_channel("(all)")->display).find(line), std::string::npos);
        const std::string main = flat_display_text(mw);
        EXPECT_EQ(main.find(line) != std::string::npos, r.in_main) << main;
        EXPECT_NE(main.find("game text " + std::to_string(n)), std::string::npos);
        EXPECT_EQ(lines_of(*mw.channel_window->find_channel("gossip")->display).find("game text"),
                  std::string::npos);
    }
    // "//chanclear" empties the window; the scrollback item clears both.
    mw.process_command("//chanclear", false);
    EXPECT_EQ(mw.channel_window->channel_count(), 0);
}

TEST_F(PopupsAndChannels, TheChannelWindowShowsWhilePlayingAndEnabled)
{
    mw.layout_panels();
    EXPECT_FALSE(mw.channel_window->shown);
    receive(tag("login", "Rosa"));
    TConfig::instance().set_channel_window_enable(1);
    mw.layout_panels();
    EXPECT_TRUE(mw.channel_window->shown);
    // 984 x 728 with the bars and the command line: a quarter of what is above the status display.
    EXPECT_EQ(mw.channel_window->y, 0);
    EXPECT_GT(mw.channel_window->height, 50);
    EXPECT_EQ(mw.main_display->y(), mw.channel_window->height);
    EXPECT_TRUE(mw.menu_command(MENU_CHANNEL_WINDOW));
    EXPECT_FALSE(mw.channel_window->shown);
    EXPECT_FALSE(mw.menu_ticks().checked(MENU_CHANNEL_WINDOW));
    EXPECT_EQ(mw.main_display->y(), 0);
}

TEST_F(PopupsAndChannels, ButtonsQuickKeysAndMenuItemsTellTheServer)
{
    held_server server;
    ASSERT_NO_FATAL_FAILURE(connect(server));
    receive(tag("window_create", "Score\nScore Sheet\n40 6\nscore\n\n"));
    EXPECT_EQ(view.popups_menu, (std::vector<std::string>{"94 Score", "-", "&Reset Window Positions"}));
    mw.set_play_state(PLAYING);
    mw.popup_quick_toggle(1);
    EXPECT_EQ(outgoing(mw), "tslwindow open Score\nscore\n");
    EXPECT_TRUE(popup("Score").is_shown());
    EXPECT_TRUE(mw.menu_ticks().checked(MENU_POPUP_FIRST));
    EXPECT_TRUE(mw.menu_command(MENU_POPUP_FIRST));
    EXPECT_EQ(outgoing(mw), "tslwindow open Score\nscore\ntslwindow close Score\n");
    EXPECT_FALSE(popup("Score").is_shown());
    EXPECT_FALSE(mw.menu_ticks().checked(MENU_POPUP_FIRST));
    // "Not Connected" is never chosen; an id without a popup does nothing.
    EXPECT_FALSE(mw.menu_command(MENU_POPUPS_NOT_CONNECTED));
    EXPECT_FALSE(mw.menu_command(MENU_POPUP_FIRST + 5));
}

TEST_F(PopupsAndChannels, APreferenceCommandFlashesThePopupButtonsInTheRow)
{
    receive(tag("window_create", "Score\nScore Sheet\n40 6\n\n\n") +
            tag("window_create", "Who\nWho\n20 6\n\nmenuonly\n") + tag("config", "popup_buttons flash"));
    EXPECT_TRUE(mw.popup_manager->find_button("Score")->flash_active());
    EXPECT_FALSE(mw.popup_manager->find_button("Who")->flash_active());
    for (int tick = 0; tick < 200; ++tick) run_animations(20);
    EXPECT_FALSE(mw.popup_manager->find_button("Score")->flash_active());
}

TEST_F(PopupsAndChannels, TheSeventeenthPopupHasNoMenuItem)
{
    LogCapture log(2);
    for (int i = 1; i <= 17; ++i) receive(tag("window_create", "P" + std::to_string(i) + "\nT\n10 2\n\n\n"));
    EXPECT_EQ(mw.popup_menu_count(), 16);
    EXPECT_EQ(log.count("tarv_mw::add_popup_menu_item : too many popup windows!"), 1);
    EXPECT_NE(mw.popup_manager->find_button("P17"), nullptr);
    EXPECT_EQ(mw.popup_menu_label(MENU_POPUP_LAST), "P16");
    EXPECT_EQ(view.popups_menu.front(), std::to_string(MENU_POPUP_LAST) + " P16");
}

TEST_F(PopupsAndChannels, DisconnectingClosesThePopupsAndEndsTheirDiversions)
{
    held_server server;
    ASSERT_NO_FATAL_FAILURE(connect(server));
    receive(tag("login", "Rosa") + tag("window_create", "Score\nScore Sheet\n40 6\n\n\n"));
    popup("Score").move(321, 123);
    // The connection drops in the middle of a refill and of a channel message.
    receive(tag("divert", "Score") + "half a sheet\n" + tag("chdiv", "gossip") + "half a line");
    mw.disconnect_game("Connection closed by server.");
    EXPECT_EQ(mw.popup_manager->first_button(), nullptr);
    EXPECT_EQ(view.popups_menu, std::vector<std::string>{"Not Connected"});
    EXPECT_EQ(mw.popup_menu_count(), 0);
    EXPECT_EQ(TConfig::instance().get_popup_geometry("Score").x, 321);
    EXPECT_EQ(mw.output_display, mw.main_display.get());
    EXPECT_EQ(mw.channel_divert, 0);
    // What the next connection sends lands in the main display.
    receive("next connection\n");
    EXPECT_NE(flat_display_text(mw).find("next connection"), std::string::npos);
}

TEST_F(PopupsAndChannels, GeometrySurvivesARestart)
{
    receive(tag("window_create", "Score\nScore Sheet\n40 6\n\n\n"));
    popup("Score").move(400, 250);
    popup("Score").set_client_size(333, 99);
    // The save timer records the geometry and writes the files.
    mw.on_save_timer();
    TConfig fresh;
    const tarv_char_config* saved = fresh.get_or_load("Rosa");
    ASSERT_NE(saved, nullptr);
    ASSERT_EQ(saved->popup_window_list.size(), 1u);
    EXPECT_EQ(saved->popup_window_list[0].name, "Score");
    EXPECT_EQ(saved->popup_window_list[0].x, 400);
    EXPECT_EQ(saved->popup_window_list[0].width, 333);

    // A new run reads the record and defines the popup again.
    mw.popup_manager->close_all_popups();
    tarv_char_config restarted = *saved;
    restarted.name = "Rosa again";
    TConfig::instance().set_current(TConfig::instance().add(restarted));
    receive(tag("window_create", "Score\nScore Sheet\n40 6\n\n\n"));
    int x = 0, y = 0, w = 0, h = 0;
    popup("Score").position(&x, &y);
    popup("Score").client_size(&w, &h);
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 250);
    EXPECT_EQ(w, 333);
    EXPECT_EQ(h, 99);
}

TEST_F(PopupsAndChannels, TheOrderlyExitRecordsAndClosesThePopups)
{
    mw_ready = 1;
    receive(tag("window_create", "Score\nScore Sheet\n40 6\n\n\n"));
    popup("Score").move(77, 66);
    system_shutdown_handler(&mw);
    for (int i = 0; i < 9; ++i) mw.OnTimer();
    mw_ready = 0;
    EXPECT_EQ(mw.popup_manager->first_button(), nullptr);
    TConfig fresh;
    const tarv_char_config* saved = fresh.get_or_load("Rosa");
    ASSERT_NE(saved, nullptr);
    ASSERT_EQ(saved->popup_window_list.size(), 1u);
    EXPECT_EQ(saved->popup_window_list[0].x, 77);
}

}  // namespace
