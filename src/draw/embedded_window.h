// Base of every panel: a child window that renders its whole content into a
// backing surface on every paint. The toolkit side is a peer that this core
// object talks to through tarv_window_peer; tests use a fake peer.
#pragma once

#include <memory>
#include <string>

#include "draw/bitmap.h"

// What the core needs from the toolkit window it lives in.
class tarv_window_peer {
public:
    virtual ~tarv_window_peer() = default;
    virtual void peer_refresh() = 0;                                  // schedule a paint
    virtual void peer_move_resize(int x, int y, int width, int height) = 0;  // -1 keeps x, y
    virtual void peer_show(bool shown) = 0;
    virtual void peer_set_focus() = 0;
    virtual void peer_set_tooltip(const std::string& text) { (void)text; }
    virtual void peer_capture_mouse(bool capture) { (void)capture; }
    // The core object is going away; the peer must stop using it.
    virtual void peer_core_destroyed() {}
};

// Input events forwarded by the toolkit shell, in client coordinates.
struct tarv_mouse_event {
    enum kind { LEFT_DOWN, LEFT_UP, LEFT_DCLICK, RIGHT_DOWN, RIGHT_UP, MIDDLE_DOWN, MOTION, ENTER, LEAVE, WHEEL,
                CAPTURE_LOST };
    kind type = MOTION;
    int x = 0;
    int y = 0;
    // Buttons held during the event (a press counts its own button).
    bool left_down = false;
    bool middle_down = false;
    bool right_down = false;
    bool shift = false;
    bool control = false;
    int wheel_rotation = 0;  // multiples of wheel_delta; positive is away from the user
    int wheel_delta = 120;
};

// New windows are shown; width and height below 1 are raised to 1.
class tarv_embedded_window {
public:
    tarv_embedded_window(int x, int y, int width, int height, std::string name = {});
    virtual ~tarv_embedded_window();
    tarv_embedded_window(const tarv_embedded_window&) = delete;
    tarv_embedded_window& operator=(const tarv_embedded_window&) = delete;

    virtual void update_content(bool rebuild) = 0;
    virtual void render(tarv_bitmap& surface) = 0;
    virtual bool animation_callback(int elapsed_ms);
    virtual void set_geometry(int x, int y, int width, int height);
    virtual void set_size(int width, int height);
    virtual void rebuild() { update_content(true); }

    // Input, forwarded by the toolkit shell. Defaults ignore the event.
    virtual void on_mouse(const tarv_mouse_event& event) { (void)event; }
    virtual void on_focus() {}

    // The paint handler: renders into the backing surface and returns it for
    // the shell to copy to the screen (nullptr when hidden).
    const tarv_bitmap* paint();

    void Refresh();
    void Show(bool shown);
    bool IsShown() const { return shown_; }
    void SetFocus();

    int x() const { return x_; }
    int y() const { return y_; }
    int width() const { return width_; }
    int height() const { return height_; }
    const std::string& name() const { return name_; }
    tarv_bitmap& surface() { return *surface_; }

    void attach_peer(tarv_window_peer* peer);
    tarv_window_peer* peer() const { return peer_; }

    void start_flash();
    // One flash step; true while the flash goes on. Panels call it from
    // their animation_callback.
    bool flash_step(int elapsed_ms);
    // While flashing, panels draw their frame in this colour: white on odd
    // remaining steps, black on even ones.
    bool flash_active() const { return flash_remaining > 0; }
    const tarv_color& flash_color() const { return (flash_remaining & 1) ? color_white : color_black; }
    int flash_shown = 0;
    int flash_remaining = 0;
    int flash_elapsed_ms = 0;
    int flash_period_ms = 200;

    // Animation list link (process-wide list). The destructor unlinks the
    // window, so a destroyed panel can never be called back.
    tarv_embedded_window* next_animation = nullptr;
    bool on_animation_list = false;

private:
    void apply_geometry(int x, int y, int width, int height, bool keep_position);

    std::string name_;
    int x_, y_, width_, height_;
    bool shown_ = true;
    std::unique_ptr<tarv_bitmap> surface_;
    tarv_window_peer* peer_ = nullptr;
};

void add_to_animation_list(tarv_embedded_window* window);
void remove_from_animation_list(tarv_embedded_window* window);
void run_animations(int elapsed_ms);
// True while any window is on the animation list.
bool animations_running();
