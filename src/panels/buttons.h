// The three button groups around the game display: the direction pad, the
// hint column (labels and commands from the server) and the function-key row
// (F1 to F8, labels from the server). Each group owns its buttons and places
// them inside the area the main window gives it.
#pragma once

#include <array>
#include <functional>
#include <string>

#include "draw/image_button.h"
#include "draw/transparent_window.h"

// What a click does beyond the button: the main window wires these.
struct tarv_button_actions {
    // process_command: echo true for command buttons, false for function keys.
    std::function<void(const char* command, bool echo)> send_command;
    // Keyboard back to the command line; the main display follows new text again.
    std::function<void()> after_click;
    // The character is in play (function keys send only then).
    std::function<bool()> playing;
};

class tarv_direction_buttons : public tarv_transparent_window {
public:
    enum button { NW = 0, N, NE, W, OUT, E, SW, S, SE, UP, DOWN, COUNT };
    static constexpr int pad_width = 97;
    static constexpr int pad_height = 130;

    explicit tarv_direction_buttons(tarv_button_actions actions = {});

    void show(bool shown) override;
    void layout() override;
    void redraw_all() override;

    // Labels and commands from the fixed table, "Out" lit, all disabled.
    void setup_labels();
    void enable_all();
    void disable_all();
    // Lights each button but "Out" by its exit bit (low 16 bits used).
    void set_exits(int mask);
    // Enabled flag and exit mask as the server last sent them.
    void apply(bool enabled, int mask);
    bool enabled() const { return buttons_[0].state != tarv_image_button::DISABLED; }

    static int exit_bit(int index);

    tarv_command_button& at(int index) { return buttons_[index]; }
    int count() const { return COUNT; }

private:
    tarv_button_actions actions_;
    std::array<tarv_command_button, COUNT> buttons_;
};

class tarv_hint_buttons : public tarv_transparent_window {
public:
    static constexpr int button_count = 12;
    static constexpr int button_width = 97;
    static constexpr int button_height = 26;

    explicit tarv_hint_buttons(tarv_button_actions actions = {});

    void show(bool shown) override;
    void layout() override;
    void redraw_all() override;

    // A "b1" to "b12" tag: a label and, after the first line feed, a command.
    void setup_button(const char* tag_name, const char* data);
    void clear_all();
    // After a disconnect: "Connect" first, "Quit" last.
    void set_connect_quit();
    void flash_all();

    // Buttons 1 to 12 are indices 0 to 11.
    tarv_command_button& at(int index) { return buttons_[index]; }
    int count() const { return button_count; }

private:
    tarv_button_actions actions_;
    std::array<tarv_command_button, button_count> buttons_;
};

class tarv_fkey_button : public tarv_image_button {
public:
    explicit tarv_fkey_button(int number = 1, tarv_button_actions* actions = nullptr);

    void update_content(bool rebuild) override;

    // Null text counts as empty.
    void set_text(const char* text, bool active);
    void clear_text() { set_text(nullptr, false); }
    void set_active(bool active);
    void build_images();
    void click();

    int number() const { return number_; }
    const std::string& text() const { return text_; }
    const std::string& key_command() const { return key_command_; }
    const std::string& number_label() const { return number_label_; }
    const std::string& line1() const { return line1_; }
    const std::string& line2() const { return line2_; }
    bool active() const { return active_; }

protected:
    void on_click() override { click(); }

private:
    void wrap_label();
    void decorate(tarv_bitmap& work, const tarv_color& label_color) const;

    int number_;
    std::string text_;
    std::string key_command_;
    std::string number_label_;
    std::string line1_;
    std::string line2_;
    bool active_ = false;
    tarv_button_actions* actions_;
};

class tarv_fkey_manager : public tarv_transparent_window {
public:
    static constexpr int key_count = 8;

    explicit tarv_fkey_manager(tarv_button_actions actions = {});

    void show(bool shown) override;
    void layout() override;
    void redraw_all() override;

    // A "bf1" to "bf8" tag: the key's label from the first non-empty line.
    void setup_button(const char* tag_name, const char* data);
    void set_active(bool active);
    static int row_width(int row_height) { return 8 * row_height - 10; }

    // Keys F1 to F8 are indices 0 to 7.
    tarv_fkey_button& at(int index) { return keys_[index]; }
    int count() const { return key_count; }

private:
    tarv_button_actions actions_;
    std::array<tarv_fkey_button, key_count> keys_;
};
