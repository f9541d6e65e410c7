#include "config/char_config.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "config/xml.h"
#include "config_test_env.h"

namespace {

class CharConfigTest : public config_test::Fixture {};

// The file of a default record named Bob with one popup entry, written out
// by hand from the table of keys, defaults and file order.
const char* const bob_file =
    "<single_config>\n"
    "  <name>Bob</name>\n"
    "  <font></font>\n"
    "  <font_size>8</font_size>\n"
    "  <button_font></button_font>\n"
    "  <button_font_size>6</button_font_size>\n"
    "  <keypad_walking>1</keypad_walking>\n"
    "  <url_hotlinking>1</url_hotlinking>\n"
    "  <compact_mode>0</compact_mode>\n"
    "  <local_echo>1</local_echo>\n"
    "  <cmd_separator>1</cmd_separator>\n"
    "  <cmd_pushthrough>0</cmd_pushthrough>\n"
    "  <hint_button_enable>1</hint_button_enable>\n"
    "  <direction_button_enable>0</direction_button_enable>\n"
    "  <fkey_button_display>0</fkey_button_display>\n"
    "  <button_tooltips>0</button_tooltips>\n"
    "  <status_bar>1</status_bar>\n"
    "  <sky_bar>1</sky_bar>\n"
    "  <exp_display>1</exp_display>\n"
    "  <hpbar_enable>1</hpbar_enable>\n"
    "  <hp_display>0</hp_display>\n"
    "  <enemy_hpbar_enable>1</enemy_hpbar_enable>\n"
    "  <enemy_hp_display>1</enemy_hp_display>\n"
    "  <group_status_display>1</group_status_display>\n"
    "  <group_status_inverted_bars>1</group_status_inverted_bars>\n"
    "  <popup_display>1</popup_display>\n"
    "  <locking_scrollback_enable>0</locking_scrollback_enable>\n"
    "  <mw_scrollbar_enable>1</mw_scrollbar_enable>\n"
    "  <current_layout>2</current_layout>\n"
    "  <current_theme>1</current_theme>\n"
    "  <current_background_theme>2</current_background_theme>\n"
    "  <font_colors_setting>0</font_colors_setting>\n"
    "  <theme_bg_setting>3</theme_bg_setting>\n"
    "  <automap_docked>1</automap_docked>\n"
    "  <automap_display>1</automap_display>\n"
    "  <automap_size>11</automap_size>\n"
    "  <input_height>48</input_height>\n"
    "  <channel_window_enable>0</channel_window_enable>\n"
    "  <channel_window_height>25</channel_window_height>\n"
    "  <channel_window_dupe>1</channel_window_dupe>\n"
    "  <colorflash_enable>1</colorflash_enable>\n"
    "  <split_scrollback>1</split_scrollback>\n"
    "  <popup_window_list>\n"
    "    <single_popup_window>\n"
    "      <name>map &amp; more</name>\n"
    "      <x>10</x>\n"
    "      <y>-5</y>\n"
    "      <width>300</width>\n"
    "      <height>200</height>\n"
    "    </single_popup_window>\n"
    "  </popup_window_list>\n"
    "</single_config>\n";

tarv_char_config bob() {
    tarv_char_config record;
    record.name = "Bob";
    tarv_popup_geometry map;
    map.name = "map & more";
    map.x = 10;
    map.y = -5;
    map.requested_width = 80;  // memory only
    map.width = 300;
    map.height = 200;
    record.popup_window_list.push_back(map);
    return record;
}

tarv_char_config read_record(const std::string& text) {
    tarv_xml_memory_reader reader(text.data(), text.size());
    char tag[100];
    tarv_char_config record;
    if (reader.read_tag(tag, sizeof tag)) tarv_read_char_config(reader, record);
    record.normalize();
    return record;
}

TEST_F(CharConfigTest, DefaultRecordWritesTheDocumentedFile) {
    tarv_xml_string_writer w;
    tarv_write_char_config(w, bob());
    EXPECT_EQ(w.text(), bob_file);
}

TEST_F(CharConfigTest, EveryFieldRoundTrips) {
    tarv_char_config r = bob();
    r.font = "Monospace Bold 11";
    r.font_size = 11;
    r.button_font = "Sans <odd> & co";
    r.button_font_size = 9;
    // Each switch flipped from its default, each number off its default.
    r.keypad_walking = 0, r.url_hotlinking = 0, r.compact_mode = 1, r.cmd_pushthrough = 1, r.local_echo = 0;
    r.cmd_separator = 0, r.button_tooltips = 1, r.direction_button_enable = 1, r.hint_button_enable = 0;
    r.fkey_button_display = 1, r.status_bar = 0, r.sky_bar = 0, r.exp_display = 0, r.hp_display = 1;
    r.hpbar_enable = 0, r.enemy_hp_display = 0, r.enemy_hpbar_enable = 0, r.popup_display = 0;
    r.mw_scrollbar_enable = 0, r.locking_scrollback_enable = 1, r.group_status_display = 2;
    r.group_status_inverted_bars = 0, r.current_layout = 1, r.current_theme = 80, r.current_background_theme = 90;
    r.font_colors_setting = 3, r.theme_bg_setting = 5, r.automap_docked = 0, r.automap_display = 0;
    r.automap_size = 400, r.input_height = 800, r.channel_window_enable = 1, r.channel_window_height = 80;
    r.channel_window_dupe = 0, r.colorflash_enable = 0;
    tarv_popup_geometry second;
    second.name = "who";
    r.popup_window_list.push_back(second);

    tarv_xml_string_writer w;
    tarv_write_char_config(w, r);
    tarv_char_config back = read_record(w.text());

    tarv_char_config expected = r;
    expected.popup_window_list[0].requested_width = 0;  // never stored
    tarv_xml_string_writer again;
    tarv_write_char_config(again, back);
    EXPECT_EQ(again.text(), w.text());
    EXPECT_EQ(back.font, expected.font);
    EXPECT_EQ(back.button_font, expected.button_font);
    ASSERT_EQ(back.popup_window_list.size(), 2u);
    EXPECT_EQ(back.popup_window_list[0].name, "map & more");
    EXPECT_EQ(back.popup_window_list[0].requested_width, 0);
    EXPECT_EQ(back.popup_window_list[1].name, "who");
    EXPECT_EQ(back.popup_window_list[1].x, 48);
    EXPECT_EQ(back.channel_window_height, 80);
    EXPECT_EQ(back.current_theme, 80);
}

struct range_case {
    const char* element;
    int tarv_char_config::*field;
    int expected;
};

TEST_F(CharConfigTest, ValuesAreBroughtIntoRange) {
    const range_case cases[] = {
        {"<font_size>200</font_size>", &tarv_char_config::font_size, 10},
        {"<font_size>1</font_size>", &tarv_char_config::font_size, 10},
        {"<font_size>2</font_size>", &tarv_char_config::font_size, 2},
        {"<font_size>150</font_size>", &tarv_char_config::font_size, 150},
        {"<font_size>99999999999999999999</font_size>", &tarv_char_config::font_size, 10},
        {"<current_layout>-1</current_layout>", &tarv_char_config::current_layout, 0},
        {"<current_layout>7</current_layout>", &tarv_char_config::current_layout, 2},
        {"<automap_size>0</automap_size>", &tarv_char_config::automap_size, 11},
        {"<automap_size>401</automap_size>", &tarv_char_config::automap_size, 11},
        {"<automap_size>1</automap_size>", &tarv_char_config::automap_size, 1},
        {"<theme_bg_setting>9</theme_bg_setting>", &tarv_char_config::theme_bg_setting, 3},
        {"<theme_bg_setting>-1</theme_bg_setting>", &tarv_char_config::theme_bg_setting, 3},
        {"<theme_bg_setting>5</theme_bg_setting>", &tarv_char_config::theme_bg_setting, 5},
        {"<group_status_display>3</group_status_display>", &tarv_char_config::group_status_display, 0},
        {"<group_status_display>-1</group_status_display>", &tarv_char_config::group_status_display, 0},
        {"<font_colors_setting>4</font_colors_setting>", &tarv_char_config::font_colors_setting, 0},
        {"<font_colors_setting>3</font_colors_setting>", &tarv_char_config::font_colors_setting, 3},
        {"<input_height>23</input_height>", &tarv_char_config::input_height, 48},
        {"<input_height>801</input_height>", &tarv_char_config::input_height, 48},
        {"<input_height>24</input_height>", &tarv_char_config::input_height, 24},
        {"<channel_window_height>9</channel_window_height>", &tarv_char_config::channel_window_height, 25},
        {"<channel_window_height>81</channel_window_height>", &tarv_char_config::channel_window_height, 25},
        {"<channel_window_height>10</channel_window_height>", &tarv_char_config::channel_window_height, 10},
        {"<status_bar>3</status_bar>", &tarv_char_config::status_bar, 1},
        {"<status_bar>2</status_bar>", &tarv_char_config::status_bar, 0},
        {"<colorflash_enable>-2</colorflash_enable>", &tarv_char_config::colorflash_enable, 0},
        {"<current_theme>12345</current_theme>", &tarv_char_config::current_theme, 12345},
        {"<button_font_size>10</button_font_size>", &tarv_char_config::button_font_size, 10},
        // The larger button font is two points up: this must not overflow.
        {"<button_font_size>2147483647</button_font_size>", &tarv_char_config::button_font_size, 6},
        {"<button_font_size>0</button_font_size>", &tarv_char_config::button_font_size, 6},
        // Older clients' keys.
        {"<use_new_layout>5</use_new_layout>", &tarv_char_config::current_layout, 1},
        {"<use_new_layout>0</use_new_layout>", &tarv_char_config::current_layout, 0},
        {"<use_new_layout>1</use_new_layout><current_layout>0</current_layout>", &tarv_char_config::current_layout, 0},
        {"<bright_color_display>1</bright_color_display>", &tarv_char_config::font_colors_setting, 1},
        {"<zmud_color_display>1</zmud_color_display>", &tarv_char_config::font_colors_setting, 2},
        {"<gmud_color_display>7</gmud_color_display>", &tarv_char_config::font_colors_setting, 3},
        {"<gmud_color_display>0</gmud_color_display>", &tarv_char_config::font_colors_setting, 0},
        {"<font_colors_setting>2</font_colors_setting><bright_color_display>0</bright_color_display>",
         &tarv_char_config::font_colors_setting, 2},
        // Keys are matched by the tag's first word, whatever its case.
        {"<AUTOMAP_SIZE>20</AUTOMAP_SIZE>", &tarv_char_config::automap_size, 20},
        {"<automap_size extra=\"1\">21</automap_size>", &tarv_char_config::automap_size, 21},
        // Unknown children are skipped whole, nested ones included.
        {"<future><automap_size>99</automap_size></future><input_height>30</input_height>",
         &tarv_char_config::automap_size, 11},
        {"<future><automap_size>99</automap_size></future><input_height>30</input_height>",
         &tarv_char_config::input_height, 30},
        {"<font_size>abc</font_size><input_height>31</input_height>", &tarv_char_config::input_height, 31},
    };
    for (const auto& c : cases) {
        tarv_char_config r = read_record(std::string("<single_config>") + c.element + "</single_config>");
        EXPECT_EQ(r.*c.field, c.expected) << c.element;
    }
}

TEST_F(CharConfigTest, CorruptPopupGeometryFallsBack) {
    tarv_char_config r = read_record(
        "<single_config><popup_window_list>"
        "<single_popup_window><name>a</name><x>-40000</x><y>100</y><width>-3</width><height>50</height>"
        "</single_popup_window>"
        "<single_popup_window><name>b</name><x>-20</x><y>99999</y><width>500</width><height>90000</height>"
        "</single_popup_window>"
        "</popup_window_list></single_config>");
    ASSERT_EQ(r.popup_window_list.size(), 2u);
    const auto& a = r.popup_window_list[0];
    const auto& b = r.popup_window_list[1];
    EXPECT_EQ(a.x, 48);
    EXPECT_EQ(a.y, 100);
    EXPECT_EQ(a.width, 0);
    EXPECT_EQ(a.height, 0);
    EXPECT_EQ(b.x, -20);
    EXPECT_EQ(b.y, 48);
    EXPECT_EQ(b.width, 0);
    EXPECT_EQ(b.height, 0);
}

TEST_F(CharConfigTest, PopupNameIsCutTo99Characters) {
    std::string name(150, 'p');
    tarv_char_config r = read_record("<single_config><popup_window_list><single_popup_window><name>" + name +
                                     "</name></single_popup_window></popup_window_list></single_config>");
    ASSERT_EQ(r.popup_window_list.size(), 1u);
    EXPECT_EQ(r.popup_window_list[0].name, std::string(99, 'p'));
}

TEST_F(CharConfigTest, ResetKeepsNameFontsAndPopups) {
    tarv_char_config r = bob();
    r.font = "F";
    r.font_size = 14;
    r.button_font = "B";
    r.button_font_size = 9;
    r.status_bar = 0;
    r.automap_size = 30;
    r.current_theme = 90;
    r.reset_preferences();
    tarv_char_config expected = bob();
    expected.font = "F";
    expected.font_size = 14;
    expected.button_font = "B";
    expected.button_font_size = 9;
    tarv_xml_string_writer a, b;
    tarv_write_char_config(a, r);
    tarv_write_char_config(b, expected);
    EXPECT_EQ(a.text(), b.text());
}

struct name_case {
    const char* name;
    const char* base;
};

TEST_F(CharConfigTest, FileNamesStayInsideTheFolder) {
    const name_case cases[] = {
        {"Bob", "Bob"},
        {"Mary Ann-2", "Mary Ann-2"},
        {"Dot.In.Middle", "Dot.In.Middle"},
        {"../evil", "%2E.%2Fevil"},
        {"a/b", "a%2Fb"},
        {"a\\b", "a%5Cb"},
        {".hidden", "%2Ehidden"},
        {"..", "%2E."},
        {"x\ty\r", "x%09y%0D"},
        {"50%", "50%25"},
        {"a%2Fb", "a%252Fb"},  // differs from what "a/b" maps to
        {"\xe9t\xe9", "%E9t%E9"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(tarv_char_config_file_base(c.name), c.base) << c.name;
}

}  // namespace
