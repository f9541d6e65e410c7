#include "draw/image_button.h"

#include <algorithm>

#include "draw/font.h"
#include "draw/theme.h"

void (*tarv_button_click_sound)() = nullptr;

namespace {

constexpr int fit_limit = 254;

std::string bounded_copy(const char* text)
{
    if (!text) return {};
    std::size_t n = 0;
    while (n < static_cast<std::size_t>(button_text_limit) && text[n]) ++n;
    return std::string(text, n);
}

int glyph_width(const tarv_font& font, unsigned char c)
{
    const tarv_bitmap* g = font.glyph(c);
    return g ? g->GetWidth() : 0;
}

}  // namespace

int tarv_button_fit_count(const tarv_font* font, const char* text, int max_width)
{
    if (!font || !text || !*text) return 0;
    // Text widths are sums of glyph widths, so a running sum measures each prefix.
    long long width = 0;
    for (int i = 1; i <= fit_limit; ++i) {
        width += glyph_width(*font, static_cast<unsigned char>(text[i - 1]));
        if (width > max_width) return std::max(1, i - 1);
        if (!text[i]) return i;
    }
    return fit_limit;
}

void tarv_draw_button_face(tarv_bitmap& surface, int width, int height, const tarv_color& face, int mode)
{
    surface.Clear(face);
    if (mode != 1 && mode != 2) return;
    auto light_of = [](int c) { return std::min(255, (3 * c + 96) / 2); };
    const tarv_color light{light_of(face.red), light_of(face.green), light_of(face.blue)};
    const tarv_color dark{face.red / 2, face.green / 2, face.blue / 2};
    const tarv_color& first = mode == 1 ? light : dark;
    const tarv_color& second = mode == 1 ? dark : light;
    const int w = width, h = height;
    surface.DrawLine(0, 1, 0, h - 1, first);
    surface.DrawLine(1, 1, 1, h - 2, first);
    surface.DrawLine(1, 0, w - 1, 0, first);
    surface.DrawLine(1, 1, w - 2, 1, first);
    surface.DrawLine(w - 1, 1, w - 1, h - 1, second);
    surface.DrawLine(w - 2, 2, w - 2, h - 2, second);
    surface.DrawLine(1, h - 1, w - 1, h - 1, second);
    surface.DrawLine(2, h - 2, w - 2, h - 2, second);
}

// tarv_image_button

tarv_image_button::tarv_image_button(int id, std::string name)
    : tarv_embedded_window(0, 0, 20, 20, std::move(name)), id(id)
{
}

tarv_image_button::image_slot tarv_image_button::current_slot() const
{
    if (state == UP) return hover && has_up_hover ? IMAGE_UP_HOVER : IMAGE_UP;
    if (state == DOWN) return hover && has_down_hover ? IMAGE_DOWN_HOVER : IMAGE_DOWN;
    return IMAGE_DISABLED;
}

void tarv_image_button::render(tarv_bitmap& surface)
{
    const tarv_bitmap& picture = images_[current_slot()];
    // A picture smaller than the button must not leave stale pixels around it.
    if (picture.GetWidth() < surface.GetWidth() || picture.GetHeight() < surface.GetHeight())
        surface.Clear(color_black);
    surface.DrawBitmap(picture, 0, 0);
    if (flash_active()) surface.DrawFrame(flash_color(), width(), height());
}

void tarv_image_button::on_mouse(const tarv_mouse_event& event)
{
    if (state == DISABLED) return;
    const int old_state = state;
    const bool old_hover = hover;
    if (event.type == tarv_mouse_event::LEAVE) {
        hover = false;
        if (!toggle) {
            state = UP;
            if (state != old_state || hover != old_hover) Refresh();
            return;
        }
    } else {
        hover = true;
        if (!toggle) {
            // A double click is a second press: each press sends one click.
            if (event.type == tarv_mouse_event::LEFT_DOWN || event.type == tarv_mouse_event::LEFT_DCLICK) {
                state = DOWN;
                notify_click();
            } else if (event.type == tarv_mouse_event::LEFT_UP) {
                // The click may have disabled the button meanwhile.
                if (state != DISABLED) state = UP;
            }
            if (state != old_state || hover != old_hover) Refresh();
            return;
        }
    }
    const bool pressed = event.type == tarv_mouse_event::LEFT_DOWN || event.type == tarv_mouse_event::LEFT_DCLICK ||
                         event.type == tarv_mouse_event::RIGHT_DOWN || event.type == tarv_mouse_event::MIDDLE_DOWN;
    if (pressed) {
        state = state == UP ? DOWN : UP;
        notify_click();
    }
    if (state != old_state || hover != old_hover) Refresh();
}

void tarv_image_button::notify_click()
{
    on_click();
    if (tarv_button_click_sound) tarv_button_click_sound();
}

void tarv_image_button::on_click()
{
    if (clicked) clicked(id);
}

void tarv_image_button::set_up_image(const tarv_bitmap& image)
{
    images_[IMAGE_UP] = image;
    Refresh();
}

void tarv_image_button::set_up_hover_image(const tarv_bitmap& image)
{
    images_[IMAGE_UP_HOVER] = image;
    has_up_hover = true;
    Refresh();
}

void tarv_image_button::set_down_image(const tarv_bitmap& image)
{
    images_[IMAGE_DOWN] = image;
    Refresh();
}

void tarv_image_button::set_down_hover_image(const tarv_bitmap& image)
{
    images_[IMAGE_DOWN_HOVER] = image;
    has_down_hover = true;
    Refresh();
}

void tarv_image_button::set_disabled_image(const tarv_bitmap& image)
{
    images_[IMAGE_DISABLED] = image;
    Refresh();
}

void tarv_image_button::set_state(int new_state)
{
    state = std::clamp(new_state, static_cast<int>(UP), static_cast<int>(DISABLED));
    Refresh();
}

void tarv_image_button::Show(bool shown)
{
    hover = false;
    tarv_embedded_window::Show(shown);
}

// tarv_button

tarv_button::tarv_button(int id, std::string name) : tarv_image_button(id, std::move(name)) {}

void tarv_button::update_content(bool rebuild)
{
    if (rebuild) build_images();
}

void tarv_button::set_label(const char* text)
{
    label_ = bounded_copy(text);
    build_images();
}

void tarv_button::set_lit(bool new_lit)
{
    lit_ = new_lit;
    build_images();
}

void tarv_button::set_enabled(bool enabled)
{
    hover = false;
    state = enabled ? UP : DISABLED;
    Refresh();
}

void tarv_button::draw_label(tarv_bitmap& work, const tarv_color& color) const
{
    if (!panel_font || label_.empty()) return;
    const int w = width(), h = height();
    const int n = tarv_button_fit_count(panel_font, label_.c_str(), w - 2);
    const std::string shown = label_.substr(0, static_cast<std::size_t>(n));
    int text_w = 0, text_h = 0;
    panel_font->GetTextExtent(shown.c_str(), &text_w, &text_h);
    const int x = text_w / 2 > w / 2 ? 0 : w / 2 - text_w / 2;
    const int y = text_h / 2 > h / 2 ? 0 : h / 2 - text_h / 2;
    work.DrawTextTransparent(*panel_font, shown.c_str(), x, y, color);
}

void tarv_button::build_images()
{
    const tarv_button_theme& t = *current_button_theme;
    const int w = width(), h = height();
    tarv_bitmap work(w, h);
    auto picture = [&](int face, int mode, int frame, int label) {
        tarv_draw_button_face(work, w, h, t[face], mode);
        if (frame >= 0) work.DrawFrame(t[frame], w, h);
        draw_label(work, t[label]);
    };
    if (toggle) picture(THEME_ON_FACE, 2, -1, THEME_ON_LABEL);
    else picture(THEME_PRESSED_FACE, 2, -1, THEME_PRESSED_LABEL);
    set_down_image(work);
    if (toggle) picture(THEME_ON_HOVER_FACE, 2, THEME_ON_HOVER_FRAME, THEME_ON_HOVER_LABEL);
    else picture(THEME_PRESSED_FACE, 2, THEME_PRESSED_HOVER_FRAME, THEME_PRESSED_LABEL);
    set_down_hover_image(work);
    if (lit_) picture(THEME_LIT_FACE, 1, -1, THEME_LIT_LABEL);
    else picture(THEME_UNLIT_FACE, 1, -1, THEME_UNLIT_LABEL);
    set_up_image(work);
    if (lit_) picture(THEME_LIT_HOVER_FACE, 1, THEME_LIT_HOVER_FRAME, THEME_LIT_HOVER_LABEL);
    else picture(THEME_UNLIT_HOVER_FACE, 1, THEME_UNLIT_HOVER_FRAME, THEME_UNLIT_HOVER_LABEL);
    set_up_hover_image(work);
    picture(THEME_DISABLED_FACE, 1, -1, THEME_DISABLED_LABEL);
    set_disabled_image(work);
}

// tarv_command_button

tarv_command_button::tarv_command_button() : tarv_button(-1)
{
    set_enabled(false);
}

void tarv_command_button::set_command(const char* label, const char* command, bool enabled)
{
    set_label(label);
    command_ = bounded_copy(command);
    set_enabled(enabled);
}

void tarv_command_button::click()
{
    if (state != DISABLED && send_command) send_command(command_);
    if (after_click) after_click();
}
