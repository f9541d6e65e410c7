// Web pages: the menu links, the logo, addresses clicked in the game text and
// the browser started on them. The browser is always a small script that
// records its arguments; a real browser is never started.
#include "app/web_links.h"

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/app_test_util.h"
#include "common/log_capture.h"
#include "config/config.h"
#include "draw/font.h"
#include "text/clipboard.h"
#include "text/main_window.h"

using testing::HasSubstr;
using testing::Not;

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

struct WebLinks : testing::Test {
    default_fonts fonts;
    TempDir dir;
    testing::NiceMock<mock_mw_view> view;
    tarv_mw mw{&view};
    TConfig& c = TConfig::instance();
    std::string record = dir / "args.txt";
    MemoryClipboard clipboard;

    void SetUp() override
    {
        c.setup_default_config(nullptr);
        // The script writes its argument count and each argument in brackets.
        std::string script = dir / "browser.sh";
        std::ofstream(script) << "#!/bin/sh\n"
                                 "{ echo \"$#\"; for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done; } > \""
                              << record << ".tmp\" && mv \"" << record << ".tmp\" \"" << record << "\"\n";
        chmod(script.c_str(), 0755);
        c.set_browser(script.c_str());
        c.set_game_host_override("127.0.0.1");
        c.set_game_port_override(1);  // nothing listens there
        mw_ready = 1;
        tarv_set_clipboard_backend(&clipboard);
        mw.layout_panels();
    }
    void TearDown() override
    {
        mw_ready = 0;
        c.set_browser("");
        tarv_set_clipboard_backend(nullptr);
        pending_url_flag = 0;
    }

    // What the browser script received, once it has run; empty after 10 s.
    std::string browser_arguments()
    {
        for (int i = 0; i < 2000; ++i) {
            if (std::filesystem::exists(record)) {
                std::string got = read_file(record);
                std::filesystem::remove(record);
                return got;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return {};
    }
    // Without wrap points: other tests change the shared fonts.
    std::string text() const { return flat_display_text(mw); }
};

TEST_F(WebLinks, EveryLinkOpensItsPageAndSaysSo)
{
    struct link_case {
        int id;
        const char* url;
        const char* message;
    };
    const link_case cases[] = {
        {79, "http://www.karthem.net/?ts", "Opening the main Karthem web page in your browser..."},
        {80, "http://www.karthem.net/forum", "Opening the Karthem Player Forums in your browser..."},
        {81, "http://www.karthem.net/guides?ts", "Opening the Karthem Player Guides page in your browser..."},
        {82, "http://help.karthem.net:8080/help", "Opening the help page search engine in your browser..."},
        {83, "http://www.karthem.net/maps?ts", "Opening the Karthem Maps page in your web browser..."},
        {84, "http://help.karthem.net:8080/shops", "Opening the Karthem Stores and Shops page in your web browser..."},
        {85, "http://help.karthem.net:8080/spells", "Opening the Karthem Spells and Skills page in your web browser..."},
        {86, "http://www.karthem.net/quests?ts", "Opening the Karthem Quest Guides in your web browser..."},
        {87, "http://help.karthem.net:8080/areas", "Opening the Karthem Area list in your web browser..."},
        {88, "http://help.karthem.net:8080/rules", "Opening the Karthem Rules in your web browser..."},
        {89, "http://help.karthem.net:8080/commands", "Opening the Karthem Command list in your web browser..."},
        {90, "http://help.karthem.net:8080/socials", "Opening the Karthem Social list in your web browser..."},
        {91, "http://help.karthem.net:8080/faq", "Opening the Karthem FAQ in your web browser..."},
        {92, "http://help.karthem.net:8080/changes", "Opening the Karthem Changelog in your web browser..."},
    };
    for (const auto& l : cases) {
        mw.main_clear();
        ASSERT_TRUE(mw.menu_command(l.id)) << l.id;
        EXPECT_EQ(browser_arguments(), std::string("1\n[") + l.url + "]\n") << l.id;
        EXPECT_THAT(text(), HasSubstr(l.message)) << l.id;
    }
    // The web site host comes from the system file.
    EXPECT_EQ(tarv_find_web_link(78), nullptr);
}

TEST_F(WebLinks, WithoutABrowserTheAddressIsShownAtTheNextTick)
{
    c.set_browser("tessel-test-no-such-browser");
    ASSERT_TRUE(mw.menu_command(88));  // Game Rules
    EXPECT_THAT(text(), Not(HasSubstr("Sorry")));
    mw.OnTimer();
    const std::string shown = text();
    EXPECT_THAT(shown, HasSubstr("Sorry, but I can't seem invoke the FireFox browser.  This is the only browser I "
                                 "currently trust.You can try to get to the link manually by going to:"
                                 "http://help.karthem.net:8080/rules"));
    // Between empty lines.
    EXPECT_THAT(mw.main_display->render_list_text(),
                HasSubstr("\n\nSorry, but I can't seem invoke the FireFox browser.  This is the only browser I "
                          "currently trust.\nYou can try to get to the link manually by going to:\n\n"
                          "http://help.karthem.net:8080/rules\n\n"));
    EXPECT_THAT(shown, Not(HasSubstr("Opening the Karthem Rules")));
}

TEST_F(WebLinks, AClickedAddressIsOneArgumentAndNeverReachesAShell)
{
    const std::string marker = dir / "x";
    const std::string url = "http://www.karthem.net/a\"; touch " + marker + "; \"";
    open_url(mw, url.c_str());
    EXPECT_FALSE(std::filesystem::exists(record));
    mw.OnTimer();
    EXPECT_EQ(browser_arguments(), "1\n[" + url + "]\n");
    EXPECT_FALSE(std::filesystem::exists(marker));

    // An address that could pass for an option gets its scheme in front.
    open_url(mw, "-remote-debugging.example.com");
    mw.OnTimer();
    EXPECT_EQ(browser_arguments(), "1\n[http://-remote-debugging.example.com]\n");
}

TEST_F(WebLinks, ALongAddressIsCutTo1023Characters)
{
    const std::string url = "http://www.karthem.net/" + std::string(2000 - 23, 'a');
    ASSERT_EQ(url.size(), 2000u);
    open_url(mw, url.c_str());
    EXPECT_EQ(std::string(pending_url), url.substr(0, 1023));
    // A second click before the tick replaces the first.
    open_url(mw, "http://www.karthem.net/second");
    mw.OnTimer();
    EXPECT_EQ(browser_arguments(), "1\n[http://www.karthem.net/second]\n");
    open_url(mw, url.c_str());
    mw.OnTimer();
    EXPECT_EQ(browser_arguments(), "1\n[" + url.substr(0, 1023) + "]\n");
}

TEST_F(WebLinks, TheLogoOpensTheWebSiteOnlyStrictlyInside)
{
    tarv_logo_block block;
    block.x = 700;
    block.y = 650;
    block.width = 192;
    block.height = 50;
    for (auto [x, y] : {std::pair{700, 670}, std::pair{800, 650}, std::pair{892, 670}, std::pair{800, 700}}) {
        EXPECT_FALSE(logo_click(mw, block, x, y)) << x << "," << y;
    }
    EXPECT_FALSE(std::filesystem::exists(record));
    EXPECT_TRUE(logo_click(mw, block, 701, 670));
    EXPECT_EQ(browser_arguments(), "1\n[http://www.karthem.net/?ts]\n");
    EXPECT_TRUE(logo_click(mw, block, 891, 699));
    EXPECT_EQ(browser_arguments(), "1\n[http://www.karthem.net/?ts]\n");
    EXPECT_THAT(text(), HasSubstr("Opening the main Karthem web page in your browser..."));
}

// A left click on an address in the game text.
struct TextLinks : WebLinks {
    tarv_textctrl& t() { return mw.main_display->text; }
    void click_on(const std::string& word)
    {
        std::string line = t().line_text(t().display_line);
        std::size_t at = line.find(word);
        ASSERT_NE(at, std::string::npos) << line;
        int x = 0;
        for (std::size_t i = 0; i < at; ++i) x += t().char_widths[static_cast<unsigned char>(line[i])];
        x += t().char_widths[static_cast<unsigned char>(line[at])] / 2;
        int y = t().height() - t().line_height / 2;
        tarv_mouse_event down;
        down.type = tarv_mouse_event::LEFT_DOWN;
        down.x = x;
        down.y = y;
        down.left_down = true;
        t().on_mouse(down);
        tarv_mouse_event move = down;
        move.type = tarv_mouse_event::MOTION;
        move.x = 1;
        t().on_mouse(move);
        tarv_mouse_event up = move;
        up.type = tarv_mouse_event::LEFT_UP;
        up.left_down = false;
        t().on_mouse(up);
    }
};

TEST_F(TextLinks, AClickOpensTheAddressWithoutItsBracketsAndSelectsIt)
{
    mw.main_print_text("Maps are at (www.karthem.net/maps).");
    click_on("karthem");
    EXPECT_STREQ(pending_url, "www.karthem.net/maps");
    EXPECT_EQ(clipboard.content, "www.karthem.net/maps");
    std::string selected;
    EXPECT_TRUE(t().get_selected_text(selected));
    EXPECT_EQ(selected, "www.karthem.net/maps");  // the motion before the release selected nothing more
    mw.OnTimer();
    EXPECT_EQ(browser_arguments(), "1\n[http://www.karthem.net/maps]\n");
    // Links print no message of their own.
    EXPECT_THAT(text(), Not(HasSubstr("Opening")));
}

TEST_F(TextLinks, WithLinkingOffAClickStartsAnOrdinaryDrag)
{
    c.set_url_hotlinking(0);
    mw.main_print_text("Maps are at (www.karthem.net/maps).");
    click_on("karthem");
    EXPECT_EQ(pending_url_flag, 0);
    std::string selected;
    EXPECT_TRUE(t().get_selected_text(selected));
    EXPECT_EQ(selected.substr(0, 10), "Maps are a");
    mw.OnTimer();
    EXPECT_FALSE(std::filesystem::exists(record));
}

TEST_F(WebLinks, SavingTheLogReportsAFullDiskInsteadOfSuccess)
{
    mw.main_print_text("worth keeping\n");
    mw.save_logfile_to("/dev/full", true);
    EXPECT_THAT(text(), HasSubstr("Error - unable to write to file '/dev/full'."));
    EXPECT_THAT(text(), Not(HasSubstr("log saved to file")));

    // Plain text into an ".html" name is plain text.
    const std::string path = dir / "log.html";
    mw.save_logfile_to(path, false);
    EXPECT_THAT(text(), HasSubstr("Plain text log saved to file '" + path + "'."));
    EXPECT_EQ(read_file(path).substr(0, 14), "worth keeping\n");
    EXPECT_THAT(read_file(path), Not(HasSubstr("<html>")));

    mw.save_logfile_to(dir / "no/such/folder/log.html", true);
    EXPECT_THAT(text(), HasSubstr("Error - unable to open file '" + (dir / "no/such/folder/log.html") +
                                  "'.Logfile was not saved!"));
}

}  // namespace
