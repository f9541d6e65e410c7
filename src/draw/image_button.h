// Self-drawn buttons. An image button keeps one picture per visual state and
// shows the one matching its state and hover; tarv_button draws those
// pictures from the current button theme around a text label, and
// tarv_command_button hands its command to the owner when clicked.
#pragma once

#include <functional>
#include <string>

#include "draw/embedded_window.h"

class tarv_font;

// Labels and commands are cut to this many characters.
constexpr int button_text_limit = 400;

// Started after every click notification; the audio side installs it.
extern void (*tarv_button_click_sound)();

// How many leading characters of text fit in max_width pixels: at least one
// (for a non-empty text), at most 254; 0 for an empty text or no font.
int tarv_button_fit_count(const tarv_font* font, const char* text, int max_width);

// The button face: Clear to the face colour, then the bevel (mode 0 none,
// 1 raised, 2 sunken) drawn with that colour's light and dark shades.
void tarv_draw_button_face(tarv_bitmap& surface, int width, int height, const tarv_color& face, int mode);

class tarv_image_button : public tarv_embedded_window {
public:
    enum button_state { UP = 0, DOWN = 1, DISABLED = 2 };
    enum image_slot { IMAGE_UP = 0, IMAGE_UP_HOVER, IMAGE_DOWN, IMAGE_DOWN_HOVER, IMAGE_DISABLED, IMAGE_COUNT };

    explicit tarv_image_button(int id = -1, std::string name = "image button");

    void render(tarv_bitmap& surface) override;
    bool animation_callback(int elapsed_ms) override { return flash_step(elapsed_ms); }
    void on_mouse(const tarv_mouse_event& event) override;

    void set_up_image(const tarv_bitmap& image);
    void set_up_hover_image(const tarv_bitmap& image);
    void set_down_image(const tarv_bitmap& image);
    void set_down_hover_image(const tarv_bitmap& image);
    void set_disabled_image(const tarv_bitmap& image);
    void set_state(int new_state);

    // Hides the base Show: a button shown or hidden has no pointer over it.
    void Show(bool shown);

    // The picture render copies for the current state and hover.
    image_slot current_slot() const;
    const tarv_bitmap& image(image_slot slot) const { return images_[slot]; }

    int id;
    bool has_up_hover = false;
    bool has_down_hover = false;
    bool toggle = false;
    int state = UP;
    bool hover = false;

    // The click notification, with the button's id; the command and
    // function-key buttons handle it themselves in on_click.
    std::function<void(int id)> clicked;

protected:
    // The press (push button) or flip (toggle button) just happened.
    virtual void on_click();

private:
    void notify_click();

    tarv_bitmap images_[IMAGE_COUNT];
};

class tarv_button : public tarv_image_button {
public:
    explicit tarv_button(int id = -1, std::string name = "image button");

    // Rebuilds the pictures when the size changed.
    void update_content(bool rebuild) override;
    virtual void build_images();

    void set_label(const char* text);
    void set_lit(bool new_lit);
    void set_enabled(bool enabled);

    const std::string& label() const { return label_; }
    bool lit() const { return lit_; }

protected:
    // The label centred, cut to what fits in width - 2 pixels.
    void draw_label(tarv_bitmap& work, const tarv_color& color) const;

private:
    std::string label_;
    bool lit_ = true;
};

class tarv_command_button : public tarv_button {
public:
    tarv_command_button();

    // Label and command (null counts as empty), then enabled or disabled.
    void set_command(const char* label, const char* command, bool enabled);
    const std::string& command() const { return command_; }

    // The click: the command goes out unless the button is disabled; the
    // keyboard goes back to the command line in any case.
    void click();

    std::function<void(const std::string& command)> send_command;
    std::function<void()> after_click;

protected:
    void on_click() override { click(); }

private:
    std::string command_;
};
