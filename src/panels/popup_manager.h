// Popup windows the server defines ("window_create"): each is a hidden
// top-level window with its own text display, a toggle button in the popup
// row at the bottom of the main window (unless menu-only) and a check item
// in the Popups menu. Positions and sizes live in the character
// configuration.
#pragma once

#include <memory>
#include <string>

#include "draw/image_button.h"
#include "draw/transparent_window.h"
#include "text/ansi_display.h"

class tarv_panel_hosting;
class tarv_popup_button;
class tarv_popup_manager;
class tarv_font;

// What the popups ask of the main window.
class tarv_popup_host {
public:
    virtual ~tarv_popup_host() = default;
    virtual void process_command(const char* text, bool echo) = 0;
    virtual void add_popup_menu_item(const char* label) = 0;
    virtual void reset_popup_menu() = 0;
    virtual void check_popup_menu_item(const char* name, bool flag) = 0;
    // Keyboard back to the command line.
    virtual void focus_command_line() = 0;
    // Usable area of the display that holds the main window.
    virtual void screen_size(int* width, int* height) const = 0;
};

// The toolkit window of a popup.
class tarv_popup_frame {
public:
    virtual ~tarv_popup_frame() = default;
    // Showing first restores a minimised window.
    virtual void frame_show(bool shown) = 0;
    virtual bool frame_shown() const = 0;
    virtual void frame_move(int x, int y) = 0;
    virtual void frame_position(int* x, int* y) const = 0;
    virtual void frame_set_client_size(int width, int height) = 0;
    virtual void frame_client_size(int* width, int* height) const = 0;
    // The core is going away: the window closes for good.
    virtual void frame_core_destroyed() = 0;
};

// A popup's core: its display, command and controlling button. Without a
// toolkit window (tests) it keeps its geometry and visibility itself.
class tarv_popup_window {
public:
    static constexpr int command_limit = 399;
    static constexpr int min_display_height = 24;

    tarv_popup_window(const std::string& title, const tarv_font* font);
    ~tarv_popup_window();
    tarv_popup_window(const tarv_popup_window&) = delete;
    tarv_popup_window& operator=(const tarv_popup_window&) = delete;

    void attach_frame(tarv_popup_frame* frame);
    // The toolkit window went first (the main window is being torn down).
    void frame_destroyed() { frame_ = nullptr; }

    void show(bool shown);
    bool is_shown() const;
    void move(int x, int y);
    void position(int* x, int* y) const;
    void set_client_size(int width, int height);
    void client_size(int* width, int* height) const;
    // The client area changed size: the display fills it.
    void on_client_resized(int width, int height);
    // The close box.
    void close_handler();

    const std::string& title() const { return title_; }

    tarv_ansi_display display;
    tarv_popup_button* button = nullptr;
    std::string popup_command;

private:
    std::string title_;
    tarv_popup_frame* frame_ = nullptr;
    bool shown_ = false;
    int x_ = 48, y_ = 48;
    int client_width_ = 1, client_height_ = 1;
};

class tarv_popup_button : public tarv_button {
public:
    tarv_popup_button(tarv_popup_manager* manager, std::unique_ptr<tarv_popup_window> window);
    ~tarv_popup_button() override;

    // The click: opens or closes the window and tells the server.
    void toggle_state();
    void toggle_state_now();
    void unlink_window(tarv_popup_window* target);
    tarv_popup_window* window() const { return window_.get(); }

    tarv_popup_button* next = nullptr;
    bool closed = false;  // closed while a toggle ran; waiting to be destroyed

protected:
    void on_click() override { toggle_state(); }

private:
    tarv_popup_manager* manager_;
    std::unique_ptr<tarv_popup_window> window_;
};

class tarv_popup_manager : public tarv_transparent_window {
public:
    static constexpr int default_position = 48;
    // Every popup is a window of its own; definitions beyond this are dropped.
    static constexpr int max_popups = 64;

    explicit tarv_popup_manager(tarv_popup_host& host);
    ~tarv_popup_manager() override;

    void show(bool shown_now) override;
    void layout() override;
    void redraw_all() override;

    void attach_hosting(tarv_panel_hosting* hosting) { hosting_ = hosting; }

    // A "window_create" payload: five lines (name, title, size, command, options).
    void create_window(const char* data);
    // The popup's display, or null.
    tarv_ansi_display* find_popup_window(const char* name);
    tarv_popup_button* find_button(const char* name);
    // Ctrl + digit: the n-th button (1-based), continuing into the menu-only ones.
    void toggle_popup_number(int n);
    void save_popup_geometry();
    void close_all_popups();
    void reset_popup_positions();
    void change_font(const tarv_font* font);
    void flash_buttons();
    bool has_popups() const { return buttons_ || menu_only_; }

    tarv_popup_button* first_button() const { return buttons_; }
    tarv_popup_button* first_menu_only() const { return menu_only_; }
    tarv_popup_host& host() { return host_; }

    // A toggle runs commands, and a command may disconnect: buttons closed
    // meanwhile are only hidden, and destroyed once no toggle is running.
    void begin_toggle() { ++toggling_; }
    void end_toggle() { --toggling_; }

private:
    void size_in_characters(tarv_popup_window& window, int columns, int rows);
    void destroy_list(tarv_popup_button*& head);
    void purge_closed();
    int popup_count() const;

    tarv_popup_host& host_;
    tarv_panel_hosting* hosting_ = nullptr;
    tarv_popup_button* buttons_ = nullptr;    // newest first, each owned through its list
    tarv_popup_button* menu_only_ = nullptr;  // newest first, never shown
    tarv_popup_button* closed_ = nullptr;     // closed during a toggle
    int toggling_ = 0;
};
