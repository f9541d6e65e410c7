#include "draw/embedded_window.h"

#include <algorithm>

#include "support/debug_log.h"

namespace {

tarv_embedded_window* animation_head = nullptr;
// The window being called back and its saved successor. Unlinking either
// during a callback (also by destroying it) updates them, so the walk never
// touches a removed or destroyed window.
tarv_embedded_window* animation_walk_current = nullptr;
tarv_embedded_window* animation_walk_next = nullptr;

}  // namespace

tarv_embedded_window::tarv_embedded_window(int x, int y, int width, int height, std::string name)
    : name_(std::move(name)), x_(x), y_(y), width_(std::max(1, width)), height_(std::max(1, height))
{
    surface_ = std::make_unique<tarv_bitmap>(width_, height_);
    flash_period_ms = 200;
}

tarv_embedded_window::~tarv_embedded_window()
{
    remove_from_animation_list(this);
    if (peer_) peer_->peer_core_destroyed();
}

bool tarv_embedded_window::animation_callback(int elapsed_ms)
{
    TARV_LOG(1, "Error in tarv_embedded_window::animation_callback(), this handler should never be called.\n");
    return false;
}

void tarv_embedded_window::set_geometry(int x, int y, int width, int height)
{
    apply_geometry(x, y, width, height, false);
}

void tarv_embedded_window::set_size(int width, int height)
{
    apply_geometry(-1, -1, width, height, true);
}

void tarv_embedded_window::apply_geometry(int x, int y, int width, int height, bool keep_position)
{
    width = std::max(1, width);
    height = std::max(1, height);
    bool recreated = false;
    if (width != width_ || height != height_) {
        surface_.reset();
        surface_ = std::make_unique<tarv_bitmap>(width, height);
        width_ = width;
        height_ = height;
        recreated = true;
    }
    if (!keep_position) {
        x_ = x;
        y_ = y;
    }
    if (peer_) peer_->peer_move_resize(keep_position ? -1 : x, keep_position ? -1 : y, width, height);
    update_content(recreated);
}

const tarv_bitmap* tarv_embedded_window::paint()
{
    if (!shown_) return nullptr;
    render(*surface_);
    return surface_.get();
}

void tarv_embedded_window::Refresh()
{
    if (peer_) peer_->peer_refresh();
}

void tarv_embedded_window::Show(bool shown)
{
    shown_ = shown;
    if (peer_) peer_->peer_show(shown);
}

void tarv_embedded_window::SetFocus()
{
    if (peer_) peer_->peer_set_focus();
}

void tarv_embedded_window::attach_peer(tarv_window_peer* peer)
{
    peer_ = peer;
}

void tarv_embedded_window::start_flash()
{
    flash_shown = 0;
    flash_remaining = 16;
    flash_elapsed_ms = 0;
    flash_period_ms = 200;
    add_to_animation_list(this);
    if (flash_remaining != flash_shown) {
        flash_shown = flash_remaining;
        Refresh();
    }
}

bool tarv_embedded_window::flash_step(int elapsed_ms)
{
    // A finished flash never counts below zero.
    if (flash_remaining <= 0) return false;
    int sum = flash_elapsed_ms + elapsed_ms;
    flash_elapsed_ms = sum;
    if (sum < flash_period_ms) return true;
    flash_elapsed_ms = elapsed_ms < flash_period_ms ? sum - flash_period_ms : 0;
    --flash_remaining;
    if (flash_remaining == flash_shown) return flash_remaining > 0;
    flash_shown = flash_remaining;
    Refresh();
    return flash_remaining > 0;
}

void add_to_animation_list(tarv_embedded_window* window)
{
    if (!window || window->on_animation_list) return;
    window->next_animation = animation_head;
    window->on_animation_list = true;
    animation_head = window;
}

void remove_from_animation_list(tarv_embedded_window* window)
{
    if (!window || !window->on_animation_list) return;
    if (animation_walk_next == window) animation_walk_next = window->next_animation;
    if (animation_walk_current == window) animation_walk_current = nullptr;
    tarv_embedded_window** link = &animation_head;
    while (*link && *link != window) link = &(*link)->next_animation;
    if (*link) *link = window->next_animation;
    window->next_animation = nullptr;
    window->on_animation_list = false;
}

bool animations_running()
{
    return animation_head != nullptr;
}

void run_animations(int elapsed_ms)
{
    // Not re-entrant: a nested call would lose the outer walk's position.
    static bool running = false;
    if (running) return;
    running = true;
    tarv_embedded_window* w = animation_head;
    while (w) {
        animation_walk_current = w;
        animation_walk_next = w->next_animation;
        bool keep = w->animation_callback(elapsed_ms);
        if (!keep && animation_walk_current) remove_from_animation_list(animation_walk_current);
        w = animation_walk_next;
    }
    animation_walk_current = nullptr;
    animation_walk_next = nullptr;
    running = false;
}
