// The client's own text in a real main display: the colours the player sees
// for the local echo, the help screens and the connection's messages.
#include <cstdint>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/app_test_util.h"
#include "app/mw.h"
#include "config/config.h"
#include "text/main_window.h"
#include "text/palette.h"

namespace {

constexpr std::uint32_t bright_yellow = 0xffff55;  // the default palette
constexpr std::uint32_t bright_white = 0xffffff;
constexpr std::uint32_t plain_white = 0xa0a0a0;

// Every character the display holds, in order, with the colour stored for it.
struct cells {
    std::string text;
    std::vector<std::uint32_t> colors;

    explicit cells(const tarv_textctrl& t)
    {
        for (int line = 0; line < t.line_count(); ++line)
            for (std::size_t i = t.line_chunk_begin(line), e = t.line_chunk_end(line); i < e; ++i) {
                const tarv_textctrl_chunk& c = t.chunk(i);
                text.append(t.chunk_text(c), c.text.length);
                colors.insert(colors.end(), c.text.length, c.color);
            }
    }
    // Colour of the first character of the first `what` found after `from`.
    std::uint32_t color_of(const std::string& what, std::size_t from = 0) const
    {
        std::size_t at = text.find(what, from);
        EXPECT_NE(at, std::string::npos) << "'" << what << "' not shown in: " << text;
        return at == std::string::npos ? 0 : colors[at];
    }
};

struct ClientText : testing::Test {
    testing::NiceMock<mock_mw_view> view;
    tarv_mw mw{&view};

    void SetUp() override
    {
        TConfig::instance().setup_default_config(nullptr);
        tarv_select_palette(0);
    }
    cells shown() const { return cells(mw.main_display->text); }
};

TEST_F(ClientText, LocalEchoMarksAreBrightYellowAndTheRuleBrightWhite)
{
    TConfig::instance().set_local_echo(1);
    TConfig::instance().set_cmd_separator(1);
    mw.process_command("//echo", true);
    cells c = shown();
    const std::size_t echo = c.text.find(">//echo<");
    ASSERT_NE(echo, std::string::npos) << c.text;
    EXPECT_EQ(c.colors[echo], bright_yellow);
    EXPECT_EQ(c.color_of("//echo", echo), plain_white);
    EXPECT_EQ(c.color_of("<", echo), bright_yellow);
    EXPECT_EQ(c.color_of("-----", echo), bright_white);
}

TEST_F(ClientText, HelpScreenSeparatorIsBrightYellowAndItsTextPlainWhite)
{
    mw.process_command("//help", false);
    cells c = shown();
    EXPECT_EQ(c.color_of("=-=-="), bright_yellow);
    EXPECT_EQ(c.color_of("Keyboard controls"), plain_white);
}

TEST_F(ClientText, DisconnectMessageShowsTheWordsToTypeInBrightYellow)
{
    mw.connection.disconnect_game("Connection closed by server.");
    cells c = shown();
    EXPECT_EQ(c.color_of("Connection closed by server."), plain_white);
    EXPECT_EQ(c.color_of("To log in again"), plain_white);
    EXPECT_EQ(c.color_of("connect'"), bright_yellow);
    EXPECT_EQ(c.color_of("' or use the"), plain_white);
    EXPECT_EQ(c.color_of("File / Connect"), bright_yellow);
    EXPECT_EQ(c.color_of(" menu option."), plain_white);
}

}  // namespace
