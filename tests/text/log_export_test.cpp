// Saving the render list as HTML and as plain text, compared byte for byte
// with expected files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>

#include "text/ansi_display.h"
#include "text/palette.h"
#include "text_test_util.h"

const char* render_get_html_color(int color_code, int attributes);

namespace {

std::string expected(const std::string& name)
{
    return read_file(std::string(TESSEL_TEST_DATA) + "/text/log_export/" + name);
}

class LogExportTest : public ::testing::Test {
protected:
    LogExportTest()
    {
        // The title shows the time as local time.
        const char* tz = std::getenv("TZ");
        saved_tz_ = tz ? tz : "";
        had_tz_ = tz != nullptr;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    ~LogExportTest() override
    {
        if (had_tz_)
            setenv("TZ", saved_tz_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
        tarv_select_palette(0);
    }

    // Writes one log into a file and returns the file's bytes.
    std::string export_log(tarv_ansi_display& d, bool html, std::time_t when = 0)
    {
        std::string path = dir / (html ? "log.html" : "log.txt");
        std::FILE* f = std::fopen(path.c_str(), "wb");
        EXPECT_NE(f, nullptr);
        EXPECT_TRUE(html ? d.write_html_log(f, when) : d.write_text_log(f));
        EXPECT_EQ(std::fclose(f), 0);
        return read_file(path);
    }
    void run(tarv_ansi_display& d, int color_code, int attributes, const char* text)
    {
        // A colour of its own per run keeps the runs apart.
        d.set_current_style(tarv_color{color_code, attributes, ++runs_}, color_code, attributes);
        d.add_run_text(text, std::strlen(text));
    }
    void ansi(tarv_ansi_display& d, const std::string& bytes) { d.process_ansi_text(bytes.data(), bytes.size()); }

    TempDir dir;
    std::unique_ptr<tarv_font> font = make_test_font(8, 10);
    int runs_ = 0;

private:
    std::string saved_tz_;
    bool had_tz_ = false;
};

TEST_F(LogExportTest, EachCaseMatchesItsExpectedFiles)
{
    struct export_case {
        const char* name;
        std::function<void(tarv_ansi_display&)> feed;
    };
    const export_case cases[] = {
        {"empty", [](tarv_ansi_display&) {}},
        // The last run is still pending: it is closed into the list first.
        {"escaping", [&](tarv_ansi_display& d) { ansi(d, "x\n\x1b[31ma<b & c>d"); }},
        {"classes",
         [&](tarv_ansi_display& d) {
             run(d, 0, 0, "w");
             run(d, 49, ATTR_BRIGHT | ATTR_DIM, "rb");  // bright wins
             run(d, 50, ATTR_DIM, "gd");
             run(d, 54, ATTR_BRIGHT, "cb");
             run(d, 52, ATTR_REVERSE, "bl");
             run(d, 53, ATTR_BLINK, "pu");
             run(d, 51, 0, "ye");
             run(d, 60, 0, "zz");
         }},
        // Tabs and newlines as received; high bytes arrive as '.'.
        {"tabs", [&](tarv_ansi_display& d) { ansi(d, "a\tb\n\nc\xe9" "d"); }},
    };
    for (const auto& c : cases) {
        tarv_ansi_display d(font.get(), 0, 0, 300, 200);
        c.feed(d);
        EXPECT_EQ(export_log(d, true), expected(std::string(c.name) + ".html")) << c.name;
        EXPECT_EQ(export_log(d, false), expected(std::string(c.name) + ".txt")) << c.name;
    }
}

TEST_F(LogExportTest, TheRulesKeepTheDefaultPaletteWhateverPaletteIsInUse)
{
    tarv_select_palette(1);  // bright
    tarv_ansi_display d(font.get(), 0, 0, 300, 200);
    ansi(d, "x\n\x1b[31ma<b & c>d");
    EXPECT_EQ(export_log(d, true), expected("escaping.html"));
}

TEST_F(LogExportTest, ALongRunIsWrittenWhole)
{
    tarv_ansi_display d(font.get(), 0, 0, 300, 200);
    const std::string long_run = repeat('q', 70000) + "<" + repeat('r', 6000);
    ansi(d, "\x1b[31m" + long_run);
    const std::string html = export_log(d, true);
    const std::string body = "<span class=\"red\">" + repeat('q', 70000) + "&lt;" + repeat('r', 6000) + "</span>";
    EXPECT_NE(html.find("<body><pre><tt>\n" + body + "\n</tt></pre></body>\n</html>\n"), std::string::npos);
    EXPECT_EQ(export_log(d, false), long_run);
}

TEST_F(LogExportTest, TwoExportsDifferOnlyInTheTime)
{
    tarv_ansi_display d(font.get(), 0, 0, 300, 200);
    ansi(d, "one\n\x1b[32mtwo\n");
    std::string first = export_log(d, true, 0);
    std::string second = export_log(d, true, 86400 * 365);
    EXPECT_NE(first, second);
    const std::string old_title = "Thu Jan  1 00:00:00 1970", new_title = "Fri Jan  1 00:00:00 1971";
    ASSERT_NE(first.find(old_title), std::string::npos);
    first.replace(first.find(old_title), old_title.size(), new_title);
    EXPECT_EQ(first, second);
}

TEST_F(LogExportTest, AFullDeviceIsReportedAsAFailedWrite)
{
    tarv_ansi_display d(font.get(), 0, 0, 300, 200);
    ansi(d, "some text\n");
    for (bool html : {true, false}) {
        std::FILE* f = std::fopen("/dev/full", "wb");
        ASSERT_NE(f, nullptr);
        EXPECT_FALSE(html ? d.write_html_log(f) : d.write_text_log(f)) << html;
        std::fclose(f);
    }
}

TEST_F(LogExportTest, AnUnknownColourIsLoggedAsBogus)
{
    LogCapture log(2);
    EXPECT_STREQ(render_get_html_color(60, 0), "bogus");
    EXPECT_TRUE(log.contains("error in render_get_html_color() - bad color '60'?\n"));
    EXPECT_STREQ(render_get_html_color(55, ATTR_DIM), "dwhite");
}

}  // namespace
