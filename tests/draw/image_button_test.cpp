#include "draw/image_button.h"

#include <string>
#include <vector>

#include "draw/font.h"
#include "draw/theme.h"
#include "draw_test_util.h"

namespace {

class ImageButtonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tarv_set_glyph_rasterizer(nullptr);
        tarv_create_fonts();
        create_themes();
        switch_button_theme(THEME_BLUE);
        panel_font->GetCharSize('A', &glyph_w, &glyph_h);
        ASSERT_GT(glyph_w, 0);
    }
    void TearDown() override { switch_button_theme(THEME_BLUE); }

    int glyph_w = 0;
    int glyph_h = 0;
};

// The image button leaves update_content to its subclasses.
class plain_button : public tarv_image_button {
public:
    using tarv_image_button::tarv_image_button;
    void update_content(bool) override {}
};

// Every pixel of both surfaces (of the same size) alike.
bool same_pixels(const tarv_bitmap& actual, const tarv_bitmap& expected)
{
    if (actual.GetWidth() != expected.GetWidth() || actual.GetHeight() != expected.GetHeight()) {
        ADD_FAILURE() << "size " << actual.GetWidth() << "x" << actual.GetHeight();
        return false;
    }
    for (int y = 0; y < actual.GetHeight(); ++y)
        for (int x = 0; x < actual.GetWidth(); ++x)
            if (!(actual.GetPixel(x, y) == expected.GetPixel(x, y))) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") differs";
                return false;
            }
    return true;
}

tarv_mouse_event mouse(tarv_mouse_event::kind type)
{
    tarv_mouse_event e;
    e.type = type;
    e.left_down = type == tarv_mouse_event::LEFT_DOWN;
    return e;
}

// Solid pictures, one colour per slot, so a render tells which was picked.
const tarv_color slot_colors[] = {{10, 0, 0}, {20, 0, 0}, {30, 0, 0}, {40, 0, 0}, {50, 0, 0}};

void give_solid_images(tarv_image_button& b, bool up_hover, bool down_hover)
{
    b.set_up_image(cleared(20, 20, slot_colors[0]));
    if (up_hover) b.set_up_hover_image(cleared(20, 20, slot_colors[1]));
    b.set_down_image(cleared(20, 20, slot_colors[2]));
    if (down_hover) b.set_down_hover_image(cleared(20, 20, slot_colors[3]));
    b.set_disabled_image(cleared(20, 20, slot_colors[4]));
}

tarv_color rendered_color(tarv_image_button& b)
{
    const tarv_bitmap* s = b.paint();
    return s ? s->GetPixel(10, 10) : tarv_color{-1, -1, -1};
}

TEST_F(ImageButtonTest, RenderPicksTheImageOfStateAndHover)
{
    struct row {
        int state;
        bool hover, up_hover, down_hover;
        int slot;
    };
    const row rows[] = {
        {0, false, true, true, 0}, {0, true, true, true, 1},  {0, true, false, true, 0},
        {1, false, true, true, 2}, {1, true, true, true, 3},  {1, true, true, false, 2},
        {2, false, true, true, 4}, {2, true, true, true, 4},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(::testing::Message() << "state " << r.state << " hover " << r.hover << " up_hover "
                                          << r.up_hover << " down_hover " << r.down_hover);
        plain_button b;
        give_solid_images(b, r.up_hover, r.down_hover);
        b.state = r.state;
        b.hover = r.hover;
        EXPECT_EQ(rendered_color(b), slot_colors[r.slot]);
    }
}

TEST_F(ImageButtonTest, NewButtonIsTwentySquareAndUp)
{
    plain_button b(7);
    EXPECT_EQ(b.width(), 20);
    EXPECT_EQ(b.height(), 20);
    EXPECT_EQ(b.name(), "image button");
    EXPECT_EQ(b.id, 7);
    EXPECT_EQ(b.state, 0);
    EXPECT_FALSE(b.toggle || b.hover || b.has_up_hover || b.has_down_hover);
    EXPECT_EQ(b.image(tarv_image_button::IMAGE_UP).GetWidth(), 16);
}

TEST_F(ImageButtonTest, PushButtonClicksOnPressAndShowsDownUntilRelease)
{
    plain_button b(3);
    give_solid_images(b, true, true);
    std::vector<int> clicks;
    b.clicked = [&](int id) { clicks.push_back(id); };

    b.on_mouse(mouse(tarv_mouse_event::ENTER));
    EXPECT_TRUE(b.hover);
    EXPECT_EQ(rendered_color(b), slot_colors[1]);
    b.on_mouse(mouse(tarv_mouse_event::LEFT_DOWN));
    EXPECT_EQ(clicks, std::vector<int>{3});
    EXPECT_EQ(b.state, 1);
    EXPECT_EQ(rendered_color(b), slot_colors[3]);
    b.on_mouse(mouse(tarv_mouse_event::MOTION));
    b.on_mouse(mouse(tarv_mouse_event::LEFT_UP));
    EXPECT_EQ(b.state, 0);
    EXPECT_EQ(clicks.size(), 1u);

    // Pressed and then left: back to up, no further click.
    b.on_mouse(mouse(tarv_mouse_event::LEFT_DOWN));
    b.on_mouse(mouse(tarv_mouse_event::LEAVE));
    EXPECT_EQ(b.state, 0);
    EXPECT_FALSE(b.hover);
    EXPECT_EQ(rendered_color(b), slot_colors[0]);
    EXPECT_EQ(clicks.size(), 2u);

    // Other buttons do nothing to a push button.
    b.on_mouse(mouse(tarv_mouse_event::RIGHT_DOWN));
    b.on_mouse(mouse(tarv_mouse_event::MIDDLE_DOWN));
    EXPECT_EQ(b.state, 0);
    EXPECT_EQ(clicks.size(), 2u);
}

TEST_F(ImageButtonTest, DoubleClickIsTwoPresses)
{
    plain_button b;
    int clicks = 0;
    b.clicked = [&](int) { ++clicks; };
    for (auto t : {tarv_mouse_event::LEFT_DOWN, tarv_mouse_event::LEFT_UP, tarv_mouse_event::LEFT_DCLICK,
                   tarv_mouse_event::LEFT_UP})
        b.on_mouse(mouse(t));
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(b.state, 0);
}

TEST_F(ImageButtonTest, DisabledButtonIgnoresClicksAndHover)
{
    for (bool toggle : {false, true}) {
        plain_button b;
        b.toggle = toggle;
        give_solid_images(b, true, true);
        int clicks = 0;
        b.clicked = [&](int) { ++clicks; };
        b.set_state(2);
        for (auto t : {tarv_mouse_event::ENTER, tarv_mouse_event::LEFT_DOWN, tarv_mouse_event::RIGHT_DOWN,
                       tarv_mouse_event::LEFT_UP, tarv_mouse_event::LEAVE})
            b.on_mouse(mouse(t));
        EXPECT_EQ(clicks, 0);
        EXPECT_FALSE(b.hover);
        EXPECT_EQ(b.state, 2);
        EXPECT_EQ(rendered_color(b), slot_colors[4]);
    }
}

TEST_F(ImageButtonTest, ToggleFlipsOnEveryPressOfAnyButton)
{
    plain_button b;
    b.toggle = true;
    give_solid_images(b, true, true);
    int clicks = 0;
    b.clicked = [&](int) { ++clicks; };
    struct step {
        tarv_mouse_event::kind type;
        int state, clicks;
        bool hover;
    };
    const step steps[] = {
        {tarv_mouse_event::ENTER, 0, 0, true},       {tarv_mouse_event::LEFT_DOWN, 1, 1, true},
        {tarv_mouse_event::LEFT_UP, 1, 1, true},     {tarv_mouse_event::RIGHT_DOWN, 0, 2, true},
        {tarv_mouse_event::MIDDLE_DOWN, 1, 3, true}, {tarv_mouse_event::LEAVE, 1, 3, false},
        {tarv_mouse_event::MOTION, 1, 3, true},
    };
    for (const step& s : steps) {
        b.on_mouse(mouse(s.type));
        SCOPED_TRACE(::testing::Message() << "event " << s.type);
        EXPECT_EQ(b.state, s.state);
        EXPECT_EQ(clicks, s.clicks);
        EXPECT_EQ(b.hover, s.hover);
    }
    EXPECT_EQ(rendered_color(b), slot_colors[3]);
}

TEST_F(ImageButtonTest, ShowingOrHidingClearsHover)
{
    for (bool shown : {true, false}) {
        plain_button b;
        b.on_mouse(mouse(tarv_mouse_event::ENTER));
        ASSERT_TRUE(b.hover);
        b.Show(shown);
        EXPECT_FALSE(b.hover);
        EXPECT_EQ(b.IsShown(), shown);
    }
}

TEST_F(ImageButtonTest, FlashFramesTheButtonBlackThenWhite)
{
    plain_button b;
    give_solid_images(b, false, false);
    b.start_flash();
    const tarv_bitmap* s = b.paint();
    EXPECT_EQ(s->GetPixel(0, 10), color_black);
    EXPECT_EQ(s->GetPixel(10, 10), slot_colors[0]);
    EXPECT_TRUE(b.animation_callback(200));
    EXPECT_EQ(b.paint()->GetPixel(19, 10), color_white);
    remove_from_animation_list(&b);
}

TEST_F(ImageButtonTest, FitCountIsTheLongestPrefixThatFits)
{
    const std::string long_text(300, 'x');
    struct row {
        std::string text;
        int max_width, expected;
    };
    const row rows[] = {
        {"ABCDEF", 3 * glyph_w, 3},      {"ABCDEF", 3 * glyph_w - 1, 2}, {"ABC", 10 * glyph_w, 3},
        {"ABC", 0, 1},                   {"", 100, 0},                   {long_text, 1000 * glyph_w, 254},
        {"ABCDEF", 6 * glyph_w, 6},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.text.substr(0, 10) + " in " + std::to_string(r.max_width));
        EXPECT_EQ(tarv_button_fit_count(panel_font, r.text.c_str(), r.max_width), r.expected);
    }
    EXPECT_EQ(tarv_button_fit_count(nullptr, "ABC", 100), 0);
}

TEST_F(ImageButtonTest, BevelRaisedAndSunken)
{
    // Face (100, 50, 0): light is (198, 123, 48), dark (50, 25, 0).
    const tarv_color face{100, 50, 0}, light{198, 123, 48}, dark{50, 25, 0};
    const std::vector<std::string> raised = {
        "fLLLLL",
        "LLLLLD",
        "LLffDD",
        "LLDDDD",
        "LDDDDD",
    };
    tarv_bitmap b(6, 5);
    tarv_draw_button_face(b, 6, 5, face, 1);
    EXPECT_EQ(picture(b, {{'f', face}, {'L', light}, {'D', dark}}), raised);
    tarv_draw_button_face(b, 6, 5, face, 2);
    EXPECT_EQ(picture(b, {{'f', face}, {'D', light}, {'L', dark}}), raised);
    tarv_draw_button_face(b, 6, 5, face, 0);
    EXPECT_EQ(picture(b, {{'f', face}}), std::vector<std::string>(5, "ffffff"));
    // Bright faces are capped at 255.
    tarv_draw_button_face(b, 6, 5, tarv_color{250, 0, 255}, 1);
    EXPECT_EQ(b.GetPixel(1, 0), (tarv_color{255, 48, 255}));
}

// The picture build_images should make for one slot, drawn by hand.
tarv_bitmap expected_picture(int w, int h, int face, int mode, int frame, int label_slot, const char* shown_label,
                             int label_x, int label_y)
{
    const tarv_button_theme& t = *current_button_theme;
    tarv_bitmap b(w, h);
    tarv_draw_button_face(b, w, h, t[face], mode);
    if (frame >= 0) b.DrawFrame(t[frame], w, h);
    b.DrawTextTransparent(*panel_font, shown_label, label_x, label_y, t[label_slot]);
    return b;
}

TEST_F(ImageButtonTest, BuildImagesUsesTheThemeSlotsOfEachState)
{
    struct row {
        bool toggle, lit;
        tarv_image_button::image_slot slot;
        int face, mode, frame, label;
    };
    using B = tarv_image_button;
    const row rows[] = {
        {false, true, B::IMAGE_DOWN, THEME_PRESSED_FACE, 2, -1, THEME_PRESSED_LABEL},
        {false, true, B::IMAGE_DOWN_HOVER, THEME_PRESSED_FACE, 2, THEME_PRESSED_HOVER_FRAME, THEME_PRESSED_LABEL},
        {true, true, B::IMAGE_DOWN, THEME_ON_FACE, 2, -1, THEME_ON_LABEL},
        {true, true, B::IMAGE_DOWN_HOVER, THEME_ON_HOVER_FACE, 2, THEME_ON_HOVER_FRAME, THEME_ON_HOVER_LABEL},
        {false, true, B::IMAGE_UP, THEME_LIT_FACE, 1, -1, THEME_LIT_LABEL},
        {false, true, B::IMAGE_UP_HOVER, THEME_LIT_HOVER_FACE, 1, THEME_LIT_HOVER_FRAME, THEME_LIT_HOVER_LABEL},
        {true, false, B::IMAGE_UP, THEME_UNLIT_FACE, 1, -1, THEME_UNLIT_LABEL},
        {false, false, B::IMAGE_UP_HOVER, THEME_UNLIT_HOVER_FACE, 1, THEME_UNLIT_HOVER_FRAME,
         THEME_UNLIT_HOVER_LABEL},
        {false, false, B::IMAGE_DISABLED, THEME_DISABLED_FACE, 1, -1, THEME_DISABLED_LABEL},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(::testing::Message() << "toggle " << r.toggle << " lit " << r.lit << " slot " << r.slot);
        tarv_button b;
        b.toggle = r.toggle;
        b.set_geometry(0, 0, 31, 31);
        b.set_lit(r.lit);
        b.set_label("N");
        // One glyph centred in 31 x 31.
        const int x = 15 - glyph_w / 2, y = 15 - glyph_h / 2;
        tarv_bitmap want = expected_picture(31, 31, r.face, r.mode, r.frame, r.label, "N", x, y);
        EXPECT_TRUE(same_pixels(b.image(r.slot), want));
    }
}

TEST_F(ImageButtonTest, LabelIsCutToWhatFitsButNeverBelowOneCharacter)
{
    struct row {
        int width;
        const char* label;
        const char* shown;
    };
    // Width 5 glyphs + 2 holds five characters exactly.
    const row rows[] = {
        {5 * glyph_w + 2, "ABCDEFGHIJ", "ABCDE"},
        {5 * glyph_w + 1, "ABCDEFGHIJ", "ABCD"},
        {4, "WXYZ", "W"},
        {5 * glyph_w + 2, "AB", "AB"},
    };
    for (const row& r : rows) {
        SCOPED_TRACE(std::string(r.label) + " in " + std::to_string(r.width));
        tarv_button b;
        b.set_geometry(0, 0, r.width, 24);
        b.set_label(r.label);
        int tw = 0, th = 0;
        panel_font->GetTextExtent(r.shown, &tw, &th);
        const int x = tw / 2 > r.width / 2 ? 0 : r.width / 2 - tw / 2;
        tarv_bitmap want = expected_picture(r.width, 24, THEME_LIT_FACE, 1, -1, THEME_LIT_LABEL, r.shown, x, 12 - th / 2);
        EXPECT_TRUE(same_pixels(b.image(tarv_image_button::IMAGE_UP), want));
    }
}

TEST_F(ImageButtonTest, ImagesFollowSizeAndThemeChangesKeepingTheState)
{
    tarv_button b;
    b.set_label("Up");
    b.set_state(1);
    b.set_geometry(5, 5, 48, 31);
    EXPECT_EQ(b.image(tarv_image_button::IMAGE_DOWN).GetWidth(), 48);
    EXPECT_EQ(b.paint()->GetPixel(20, 3), current_button_theme->colors[THEME_PRESSED_FACE]);

    switch_button_theme(THEME_RED);
    ASSERT_NE(tarv_find_button_theme(THEME_RED)->colors[THEME_PRESSED_FACE],
              tarv_find_button_theme(THEME_BLUE)->colors[THEME_PRESSED_FACE]);
    b.build_images();
    EXPECT_EQ(b.state, 1);
    EXPECT_EQ(b.paint()->GetPixel(20, 3), tarv_find_button_theme(THEME_RED)->colors[THEME_PRESSED_FACE]);
}

TEST_F(ImageButtonTest, CommandButtonSendsItsCommandOncePerPress)
{
    tarv_command_button b;
    EXPECT_EQ(b.state, 2);
    EXPECT_EQ(b.id, -1);
    std::vector<std::string> sent;
    int refocused = 0;
    b.send_command = [&](const std::string& c) { sent.push_back(c); };
    b.after_click = [&] { ++refocused; };

    // Disabled: nothing is sent; a direct click still hands the keyboard back.
    b.on_mouse(mouse(tarv_mouse_event::LEFT_DOWN));
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(refocused, 0);
    b.click();
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(refocused, 1);

    b.set_command("Look", "look", true);
    EXPECT_EQ(b.state, 0);
    EXPECT_EQ(b.label(), "Look");
    b.on_mouse(mouse(tarv_mouse_event::ENTER));
    b.on_mouse(mouse(tarv_mouse_event::LEFT_DOWN));
    b.on_mouse(mouse(tarv_mouse_event::LEFT_UP));
    EXPECT_EQ(sent, std::vector<std::string>{"look"});
    EXPECT_EQ(refocused, 2);
}

TEST_F(ImageButtonTest, LabelsAndCommandsAreBounded)
{
    tarv_command_button b;
    const std::string huge(1000, 'q');
    b.set_command(huge.c_str(), huge.c_str(), true);
    EXPECT_EQ(b.label(), std::string(400, 'q'));
    EXPECT_EQ(b.command(), std::string(400, 'q'));
    b.set_command(nullptr, nullptr, false);
    EXPECT_EQ(b.label(), "");
    EXPECT_EQ(b.command(), "");
    EXPECT_EQ(b.state, 2);
}

TEST_F(ImageButtonTest, ClickSoundFollowsEveryClick)
{
    static int sounds = 0;
    sounds = 0;
    tarv_button_click_sound = [] { ++sounds; };
    plain_button push, flip;
    flip.toggle = true;
    push.on_mouse(mouse(tarv_mouse_event::LEFT_DOWN));
    push.on_mouse(mouse(tarv_mouse_event::LEFT_UP));
    flip.on_mouse(mouse(tarv_mouse_event::RIGHT_DOWN));
    tarv_button_click_sound = nullptr;
    EXPECT_EQ(sounds, 2);
}

}  // namespace
