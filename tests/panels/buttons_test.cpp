#include "panels/buttons.h"

#include <string>
#include <vector>

#include "draw/theme.h"
#include "panels_test_util.h"

namespace {

struct sent_command {
    std::string text;
    bool echo;
    bool operator==(const sent_command&) const = default;
};

class ButtonsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        load_panel_resources();
        create_themes();
        switch_button_theme(THEME_BLUE);
        panel_font->GetCharSize('A', &gw, &gh);
        ASSERT_EQ(gw, glyph_w);
        actions.send_command = [this](const char* c, bool echo) { sent.push_back({c, echo}); };
        actions.after_click = [this] { ++refocused; };
        actions.playing = [this] { return playing; };
    }
    void TearDown() override { switch_button_theme(THEME_BLUE); }

    tarv_button_actions actions;
    std::vector<sent_command> sent;
    int refocused = 0;
    bool playing = false;
    int gw = 0, gh = 0;
};

tarv_mouse_event mouse(tarv_mouse_event::kind type)
{
    tarv_mouse_event e;
    e.type = type;
    return e;
}

void press(tarv_image_button& b)
{
    b.on_mouse(mouse(tarv_mouse_event::ENTER));
    b.on_mouse(mouse(tarv_mouse_event::LEFT_DOWN));
    b.on_mouse(mouse(tarv_mouse_event::LEFT_UP));
}

struct rect {
    int x, y, w, h;
    bool operator==(const rect&) const = default;
};
std::ostream& operator<<(std::ostream& os, const rect& r)
{
    return os << "(" << r.x << ", " << r.y << ", " << r.w << ", " << r.h << ")";
}
rect geometry(const tarv_embedded_window& w)
{
    return {w.x(), w.y(), w.width(), w.height()};
}

bool same_pixels(const tarv_bitmap& a, const tarv_bitmap& b)
{
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return false;
    for (int y = 0; y < a.GetHeight(); ++y)
        for (int x = 0; x < a.GetWidth(); ++x)
            if (!(a.GetPixel(x, y) == b.GetPixel(x, y))) return false;
    return true;
}

// What the button draws now, shown or not.
const tarv_bitmap& shown_picture(const tarv_image_button& b)
{
    return b.image(b.current_slot());
}

// Direction pad

TEST_F(ButtonsTest, DirectionPadPlacesElevenButtonsInItsArea)
{
    tarv_direction_buttons pad(actions);
    pad.setup_labels();
    pad.set_rect(100, 200, 97, 130);
    using D = tarv_direction_buttons;
    struct row {
        int index;
        const char *label, *command;
        rect place;
    };
    const row rows[] = {
        {D::NW, "NW", "nwest", {100, 233, 31, 31}}, {D::N, "N", "north", {133, 233, 31, 31}},
        {D::NE, "NE", "neast", {166, 233, 31, 31}}, {D::W, "W", "west", {100, 266, 31, 31}},
        {D::OUT, "Out", "out", {133, 266, 31, 31}}, {D::E, "E", "east", {166, 266, 31, 31}},
        {D::SW, "SW", "swest", {100, 299, 31, 31}}, {D::S, "S", "south", {133, 299, 31, 31}},
        {D::SE, "SE", "seast", {166, 299, 31, 31}}, {D::UP, "Up", "up", {149, 200, 48, 31}},
        {D::DOWN, "Down", "down", {100, 200, 48, 31}},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.label);
        EXPECT_EQ(pad.at(r.index).label(), r.label);
        EXPECT_EQ(pad.at(r.index).command(), r.command);
        EXPECT_EQ(geometry(pad.at(r.index)), r.place);
        EXPECT_EQ(pad.at(r.index).state, tarv_image_button::DISABLED);
    }
    EXPECT_FALSE(pad.enabled());
}

TEST_F(ButtonsTest, ExitMaskLightsTheButtonsOfItsBits)
{
    using D = tarv_direction_buttons;
    struct row {
        int mask;
        std::vector<int> lit;  // "Out" is always lit
    };
    const row rows[] = {
        {0, {D::OUT}},
        {768, {D::OUT, D::UP, D::DOWN}},
        {1 | 4 | 16, {D::OUT, D::N, D::E, D::S}},
        {2 | 8 | 32 | 64 | 128, {D::OUT, D::NE, D::SE, D::SW, D::W, D::NW}},
        {0x10000 | 1, {D::OUT, D::N}},
        {-1, {D::NW, D::N, D::NE, D::W, D::OUT, D::E, D::SW, D::S, D::SE, D::UP, D::DOWN}},
    };
    tarv_direction_buttons pad(actions);
    pad.setup_labels();
    for (const row& r : rows) {
        SCOPED_TRACE(::testing::Message() << "mask " << r.mask);
        pad.set_exits(r.mask);
        for (int i = 0; i < D::COUNT; ++i) {
            bool want = std::find(r.lit.begin(), r.lit.end(), i) != r.lit.end();
            EXPECT_EQ(pad.at(i).lit(), want) << pad.at(i).label();
        }
    }
    // A new pad's buttons are lit until the first mask.
    tarv_direction_buttons fresh(actions);
    fresh.setup_labels();
    EXPECT_TRUE(fresh.at(D::N).lit());
}

TEST_F(ButtonsTest, EnabledPadSendsTheDirectionOncePerClick)
{
    tarv_direction_buttons pad(actions);
    pad.setup_labels();
    pad.set_rect(0, 0, 97, 130);
    press(pad.at(tarv_direction_buttons::N));
    EXPECT_TRUE(sent.empty());

    pad.apply(true, 1);
    EXPECT_TRUE(pad.enabled());
    press(pad.at(tarv_direction_buttons::N));
    press(pad.at(tarv_direction_buttons::DOWN));
    EXPECT_EQ(sent, (std::vector<sent_command>{{"north", true}, {"down", true}}));
    EXPECT_EQ(refocused, 2);

    pad.apply(false, 1);
    press(pad.at(tarv_direction_buttons::N));
    EXPECT_EQ(sent.size(), 2u);
    EXPECT_EQ(pad.at(tarv_direction_buttons::N).state, tarv_image_button::DISABLED);
}

TEST_F(ButtonsTest, DirectionPadShowsAndHidesAllButtons)
{
    tarv_direction_buttons pad(actions);
    pad.setup_labels();
    EXPECT_FALSE(pad.at(0).IsShown());
    pad.set_rect(10, 10, 97, 130);
    pad.set_shown(true);
    for (int i = 0; i < pad.count(); ++i) EXPECT_TRUE(pad.at(i).IsShown());
    pad.set_shown(false);
    for (int i = 0; i < pad.count(); ++i) EXPECT_FALSE(pad.at(i).IsShown());
}

// Hint column

struct hint_expect {
    bool enabled;
    std::string label, command;
    bool lit;
};

TEST_F(ButtonsTest, HintTagDefinesOrClearsTheButton)
{
    const std::string long_label(1000, 'L'), long_command(1000, 'c');
    struct row {
        std::string data;
        hint_expect want;
    };
    const row rows[] = {
        {"Look\nlook", {true, "Look", "look", true}},
        {"Look", {false, "", "", false}},
        {"Look\n", {false, "", "", false}},
        {"", {false, "", "", false}},
        {"\nlook", {true, "", "look", true}},
        {"Kill rat\nkill rat\nflee", {true, "Kill rat", "kill rat\nflee", true}},
        {long_label + "\n" + long_command, {true, std::string(400, 'L'), std::string(400, 'c'), true}},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.data.substr(0, 20));
        tarv_hint_buttons hints(actions);
        hints.setup_button("b3", "Old\nold");
        hints.setup_button("b3", r.data.c_str());
        const tarv_command_button& b = hints.at(2);
        EXPECT_EQ(b.state != tarv_image_button::DISABLED, r.want.enabled);
        EXPECT_EQ(b.label(), r.want.label);
        EXPECT_EQ(b.command(), r.want.command);
        EXPECT_EQ(b.lit(), r.want.lit);
    }
}

TEST_F(ButtonsTest, BadHintTagNamesChangeNothing)
{
    struct row {
        const char* name;
        const char* warning;  // nullptr: ignored without a message
    };
    const row rows[] = {
        {"b3t", nullptr},
        {"b13", "requested button number 13 is bogus"},
        {"b0", "requested button number 0 is bogus"},
        {"b-2", "requested button number -2 is bogus"},
        {"b99999999999999999999", "requested button number 2147483647 is bogus"},
        {"b", "requested button number 0 is bogus"},
        {"", "requested button number 0 is bogus"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        LogCapture log(2);
        tarv_hint_buttons hints(actions);
        hints.setup_button(r.name, "Look\nlook");
        for (int i = 0; i < hints.count(); ++i) EXPECT_EQ(hints.at(i).state, tarv_image_button::DISABLED);
        if (r.warning) {
            EXPECT_TRUE(log.contains(std::string("Warning in tarv_hint_buttons::setup_button(), ") + r.warning +
                                     ".  Ignoring.\n"))
                << log.text();
        } else {
            EXPECT_EQ(log.text(), "");
        }
    }
    LogCapture quiet(1);
    tarv_hint_buttons hints(actions);
    hints.setup_button("b13", "x\ny");
    EXPECT_EQ(quiet.text(), "");
    hints.setup_button(nullptr, nullptr);
}

TEST_F(ButtonsTest, HintColumnStacksVisibleButtonsWithGapsForHiddenRuns)
{
    struct row {
        std::vector<int> defined;  // button numbers
        std::vector<int> ys;       // their offsets from the area's top
    };
    const row rows[] = {
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {16, 49, 82, 115, 148, 181, 214, 247, 280, 313, 346, 379}},
        {{1, 12}, {16, 65}},
        {{1, 2, 5}, {16, 49, 98}},
        {{4}, {16}},
        {{3, 4, 9}, {16, 49, 98}},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(::testing::Message() << "first defined " << r.defined[0] << " of " << r.defined.size());
        tarv_hint_buttons hints(actions);
        hints.set_rect(880, 136, 97, 500);
        hints.set_shown(true);
        for (int n : r.defined) hints.setup_button(("b" + std::to_string(n)).c_str(), "Hint\nhint");
        for (int i = 0; i < hints.count(); ++i) {
            auto it = std::find(r.defined.begin(), r.defined.end(), i + 1);
            if (it == r.defined.end()) {
                EXPECT_FALSE(hints.at(i).IsShown()) << "button " << i + 1;
                continue;
            }
            EXPECT_TRUE(hints.at(i).IsShown()) << "button " << i + 1;
            EXPECT_EQ(geometry(hints.at(i)), (rect{880, 136 + r.ys[it - r.defined.begin()], 97, 26}))
                << "button " << i + 1;
        }
    }
}

TEST_F(ButtonsTest, HiddenHintColumnShowsNothing)
{
    tarv_hint_buttons hints(actions);
    hints.set_rect(0, 0, 97, 400);
    hints.setup_button("b1", "Look\nlook");
    EXPECT_FALSE(hints.at(0).IsShown());
    hints.set_shown(true);
    EXPECT_TRUE(hints.at(0).IsShown());
    hints.set_shown(false);
    EXPECT_FALSE(hints.at(0).IsShown());
    hints.setup_button("b2", "Score\nscore");
    EXPECT_FALSE(hints.at(1).IsShown());
}

TEST_F(ButtonsTest, DisconnectLeavesConnectAndQuit)
{
    tarv_hint_buttons hints(actions);
    hints.set_rect(0, 100, 97, 400);
    hints.set_shown(true);
    hints.setup_button("b2", "Look\nlook");
    hints.clear_all();
    hints.set_connect_quit();
    for (int i = 1; i < 11; ++i) EXPECT_FALSE(hints.at(i).IsShown());
    EXPECT_EQ(geometry(hints.at(0)), (rect{0, 116, 97, 26}));
    EXPECT_EQ(geometry(hints.at(11)), (rect{0, 165, 97, 26}));
    EXPECT_EQ(hints.at(0).label(), "Connect");
    EXPECT_EQ(hints.at(11).label(), "Quit");
    EXPECT_TRUE(hints.at(0).lit() && hints.at(11).lit());
    press(hints.at(0));
    press(hints.at(11));
    EXPECT_EQ(sent, (std::vector<sent_command>{{"connect", true}, {"quit", true}}));

    hints.clear_all();
    for (int i = 0; i < 12; ++i) EXPECT_FALSE(hints.at(i).IsShown());
}

TEST_F(ButtonsTest, ThemeChangeRedrawsEveryGroupKeepingStates)
{
    tarv_direction_buttons pad(actions);
    tarv_hint_buttons hints(actions);
    tarv_fkey_manager keys(actions);
    pad.setup_labels();
    pad.set_rect(0, 0, 97, 130);
    hints.set_rect(0, 0, 97, 400);
    hints.set_shown(true);
    hints.setup_button("b1", "Look\nlook");
    keys.set_rect(0, 0, 358, 46);
    keys.set_active(true);

    switch_button_theme(THEME_RED);
    const tarv_button_theme& red = *tarv_find_button_theme(THEME_RED);
    ASSERT_NE(red[THEME_LIT_FACE], tarv_find_button_theme(THEME_BLUE)->colors[THEME_LIT_FACE]);
    ASSERT_NE(red[THEME_DISABLED_FACE], tarv_find_button_theme(THEME_BLUE)->colors[THEME_DISABLED_FACE]);
    pad.redraw_all();
    hints.redraw_all();
    keys.redraw_all();
    // (5, 20) lies inside the bevel and away from every label.
    EXPECT_EQ(shown_picture(pad.at(0)).GetPixel(5, 20), red[THEME_DISABLED_FACE]);
    EXPECT_EQ(pad.at(0).state, tarv_image_button::DISABLED);
    EXPECT_EQ(shown_picture(hints.at(0)).GetPixel(5, 20), red[THEME_LIT_FACE]);
    EXPECT_EQ(hints.at(0).state, tarv_image_button::UP);
    EXPECT_EQ(shown_picture(keys.at(0)).GetPixel(38, 38), red[THEME_LIT_FACE]);
}

// Function-key row

TEST_F(ButtonsTest, FunctionKeyRowPlacesEightSquareKeys)
{
    EXPECT_EQ(tarv_fkey_manager::row_width(46), 358);
    tarv_fkey_manager keys(actions);
    keys.set_rect(4, 680, 358, 46);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(geometry(keys.at(i)), (rect{4 + 3 + 44 * i, 683, 41, 41})) << i;
    // Too low a row still gives keys of one pixel, four apart.
    keys.set_rect(0, 0, 40, 5);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(geometry(keys.at(i)), (rect{3 + 4 * i, 3, 1, 1})) << i;
}

TEST_F(ButtonsTest, FunctionKeyNamesAndCommands)
{
    tarv_fkey_manager keys(actions);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(keys.at(i).number(), i + 1);
        EXPECT_EQ(keys.at(i).id, i + 1);
        EXPECT_EQ(keys.at(i).key_command(), "f0" + std::to_string(i + 1));
        EXPECT_EQ(keys.at(i).number_label(), "F" + std::to_string(i + 1));
        EXPECT_FALSE(keys.at(i).active());
    }
}

TEST_F(ButtonsTest, FunctionKeyTagSetsTheFirstLine)
{
    struct row {
        std::string data;
        std::string text;
        bool active;
    };
    const std::string huge(7000, 'z');
    const row rows[] = {
        {"Heal", "Heal", true},
        {"\n\nCast heal\nignored", "Cast heal", true},
        {"", "", false},
        {"\n\n", "", false},
        {huge, std::string(400, 'z'), true},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.data.substr(0, 20));
        tarv_fkey_manager keys(actions);
        keys.set_rect(0, 0, 358, 46);
        keys.setup_button("bf3", "Old");
        keys.setup_button("bf3", r.data.c_str());
        EXPECT_EQ(keys.at(2).text(), r.text);
        EXPECT_EQ(keys.at(2).active(), r.active);
        EXPECT_FALSE(keys.at(1).active());
    }
}

TEST_F(ButtonsTest, BadFunctionKeyNumbers)
{
    struct row {
        const char* name;
        bool warns;
    };
    const row rows[] = {{"bf9", false}, {"bf12", false}, {"bf13", true},  {"bf0", true},
                        {"bf", true},   {"b", true},     {"bf-1", true}, {"bf99999999999", true}};
    for (const row& r : rows) {
        SCOPED_TRACE(r.name);
        LogCapture log(2);
        tarv_fkey_manager keys(actions);
        keys.setup_button(r.name, "Heal");
        for (int i = 0; i < 8; ++i) EXPECT_EQ(keys.at(i).text(), "");
        EXPECT_EQ(log.contains("Warning in tarv_fkey_manager::setup_button(), requested button number "), r.warns)
            << log.text();
    }
}

TEST_F(ButtonsTest, FunctionKeyLabelWrapsIntoTwoLines)
{
    // A 41-pixel key fits six 6-pixel glyphs in its 39 usable pixels.
    struct row {
        std::string text, line1, line2;
    };
    const row rows[] = {
        {"Look", "Look", ""},
        {"Fireball now", "Fireba", "now"},
        {"Abracadabra", "Abraca", ""},
        {"Kill a rat", "Kill a", "rat"},
        {"Go to the inn", "Go to", "the"},
        {"ab cdefghij", "ab", "cdefgh"},
        {"ab\t\tcd ef gh", "ab  cd", "ef"},
        {" abcdefgh", "", "abcdef"},
        {"a\tb c", "a b c", ""},
        // A line feed has no glyph, so it takes no width.
        {"wait\n x y", "wait  x", "y"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.text);
        tarv_fkey_manager keys(actions);
        keys.set_rect(0, 0, 358, 46);
        keys.at(0).set_text(r.text.c_str(), true);
        EXPECT_EQ(keys.at(0).line1(), r.line1);
        EXPECT_EQ(keys.at(0).line2(), r.line2);
    }
}

TEST_F(ButtonsTest, FunctionKeyLabelRewrapsOnResize)
{
    tarv_fkey_manager keys(actions);
    keys.set_rect(0, 0, 358, 46);
    keys.at(0).set_text("Fireball now", true);
    ASSERT_EQ(keys.at(0).line1(), "Fireba");
    // Row height 70: keys of 65 pixels hold ten glyphs.
    keys.set_rect(0, 0, 550, 70);
    EXPECT_EQ(keys.at(0).line1(), "Fireball");
    EXPECT_EQ(keys.at(0).line2(), "now");
}

TEST_F(ButtonsTest, FunctionKeyPictureShowsNumberAndLabelOnlyWhileActive)
{
    tarv_fkey_manager keys(actions);
    keys.set_rect(0, 0, 358, 46);
    tarv_fkey_button& key = keys.at(1);
    tarv_fkey_button& blank = keys.at(2);
    key.set_text("Kill a rat", true);
    blank.clear_text();

    const tarv_button_theme& t = *current_button_theme;
    int nw = 0, nh = 0;
    small_font->GetTextExtent("F2", &nw, &nh);
    tarv_bitmap want(41, 41);
    tarv_draw_button_face(want, 41, 41, t[THEME_LIT_FACE], 1);
    want.DrawTextTransparent(*small_font, "F2", 2, 2, color_white);
    want.DrawTextTransparent(*panel_font, "Kill a", 2, nh + 1, t[THEME_LIT_LABEL]);
    want.DrawTextTransparent(*panel_font, "rat", 2, nh + 1 + gh - 1, t[THEME_LIT_LABEL]);
    EXPECT_TRUE(same_pixels(key.image(tarv_image_button::IMAGE_UP), want));

    // Inactive: only the number, on the disabled face, whatever the text.
    keys.set_active(false);
    EXPECT_EQ(key.line1(), "Kill a");
    tarv_bitmap bare(41, 41);
    tarv_draw_button_face(bare, 41, 41, t[THEME_DISABLED_FACE], 1);
    tarv_bitmap blank_bare = bare;
    bare.DrawTextTransparent(*small_font, "F2", 2, 2, color_white);
    blank_bare.DrawTextTransparent(*small_font, "F3", 2, 2, color_white);
    EXPECT_TRUE(same_pixels(key.image(tarv_image_button::IMAGE_UP), bare));
    EXPECT_TRUE(same_pixels(blank.image(tarv_image_button::IMAGE_UP), blank_bare));
}

TEST_F(ButtonsTest, FunctionKeySendsOnlyWhilePlaying)
{
    tarv_fkey_manager keys(actions);
    keys.set_rect(0, 0, 358, 46);
    keys.set_shown(true);
    press(keys.at(2));
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(refocused, 1);
    playing = true;
    press(keys.at(2));
    EXPECT_EQ(sent, (std::vector<sent_command>{{"f03", false}}));
    EXPECT_EQ(refocused, 2);
    EXPECT_EQ(keys.at(2).state, tarv_image_button::UP);
}

TEST_F(ButtonsTest, ButtonsWithoutActionsAreSafeToClick)
{
    tarv_direction_buttons pad;
    tarv_fkey_manager keys;
    pad.setup_labels();
    pad.enable_all();
    press(pad.at(0));
    press(keys.at(0));
    EXPECT_EQ(pad.at(0).state, tarv_image_button::UP);
}

}  // namespace
