// The tabbed channel window over the game display: text the server diverts
// with "chdiv" goes to the named channel's tab and to the "(all)" tab. Tabs
// are sorted by name and sit on one of two pages the player flips between.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "draw/image_button.h"
#include "draw/transparent_window.h"
#include "text/ansi_display.h"

class tarv_channel_window;
class tarv_font;
class tarv_panel_hosting;
struct channel_tab;

// Square button drawn with a slanted stroke: the window's page flipper, and
// inside each tab the button that moves the tab to the other page.
class tarv_channel_paging_button : public tarv_button {
public:
    tarv_channel_paging_button(tarv_channel_window* window, channel_tab* tab);

    void build_images() override;
    void on_mouse(const tarv_mouse_event& event) override;

    tarv_channel_window* window;
    channel_tab* tab;  // null for the window's own page button
};

class tarv_channel_button : public tarv_button {
public:
    enum tab_state { SELECTED = 0, UNREAD = 1, IDLE = 2 };

    explicit tarv_channel_button(tarv_channel_window* window, channel_tab* tab = nullptr);

    void build_images() override;
    void on_mouse(const tarv_mouse_event& event) override;

    // The state image shown: selected, else unread, else idle.
    int tab_state() const { return selected ? SELECTED : unread ? UNREAD : IDLE; }
    void set_selected(bool on);
    void set_unread(bool on);

    tarv_channel_window* window;
    tarv_channel_paging_button page_button;
    int unread = 0;
    bool selected = false;
};

// A channel's text; its frame opens under its own tab.
class tarv_channel_display : public tarv_ansi_display {
public:
    tarv_channel_display(const tarv_font* font, std::string name, tarv_channel_button* tab);
    void render(tarv_bitmap& surface) override;

    tarv_channel_button* tab;
};

struct channel_tab {
    static constexpr int max_name = 39;

    std::string name;
    std::unique_ptr<tarv_channel_button> tab;
    std::unique_ptr<tarv_channel_display> display;
    int page = 0;
};

class tarv_channel_window : public tarv_transparent_window {
public:
    // Each channel holds a scrollback of its own: a server naming endless
    // channels gets this many, and the rest of its text goes to "(all)".
    static constexpr int max_channels = 64;

    tarv_channel_window();
    ~tarv_channel_window() override;

    void show(bool shown_now) override;
    void layout() override;
    void redraw_all() override;

    // The toolkit side for the tabs and displays, present and future.
    void attach_hosting(tarv_panel_hosting* hosting);

    // "chdiv" and "chudiv".
    void set_divert_channel(const char* name);
    void clear_divert_channel();
    // A run of diverted text: to the divert channel and to "(all)".
    void display_socket_data(const char* bytes, int length);
    // Around each received block: every channel display that got text
    // redraws once at the end.
    void begin_block();
    void end_block();

    void clear_channels();
    void select_channel(const char* name);
    void flip_page();
    void move_to_other_page(channel_tab* entry);

    // The display shown (the selected channel's, or the placeholder's).
    tarv_ansi_display& shown_display();
    void set_display_font(const tarv_font* font);

    channel_tab* find_channel(const char* name);
    // Null when the window is full.
    channel_tab* find_or_create_channel(const char* name, bool is_all = false);
    int channel_count() const { return static_cast<int>(channels_.size()); }
    channel_tab& channel(int index) { return *channels_[static_cast<std::size_t>(index)]; }
    channel_tab* selected_channel() const { return selected_; }
    channel_tab* divert_channel() const { return divert_; }
    int current_page() const { return current_page_; }
    tarv_channel_button& placeholder_tab() { return placeholder_tab_; }
    tarv_channel_display& placeholder_display() { return placeholder_display_; }
    tarv_channel_paging_button& page_button() { return page_button_; }

private:
    void select(channel_tab* entry);
    void host(channel_tab& entry);

    std::vector<std::unique_ptr<channel_tab>> channels_;
    channel_tab* selected_ = nullptr;
    channel_tab* other_selected_ = nullptr;
    int current_page_ = 0;
    channel_tab* divert_ = nullptr;
    channel_tab* all_ = nullptr;
    tarv_channel_button placeholder_tab_;
    tarv_channel_display placeholder_display_;
    tarv_channel_paging_button page_button_;
    tarv_panel_hosting* hosting_ = nullptr;
};
