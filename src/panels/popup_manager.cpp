#include "panels/popup_manager.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "config/config.h"
#include "draw/font.h"
#include "panels/panel_hosting.h"
#include "support/debug_log.h"
#include "support/util.h"

namespace {

constexpr std::size_t line_limit = 5999;
// A window wider or taller than this many characters would not fit any
// screen; the server's numbers are held to it.
constexpr int max_characters = 1000;

// A popup name as the geometry entries hold it.
std::string geometry_name(const std::string& name)
{
    return name.substr(0, static_cast<std::size_t>(tarv_popup_geometry::max_name));
}

// The next line of a payload: true when a line feed ended it.
bool take_line(const char*& p, std::string& out)
{
    const char* newline = std::strchr(p, '\n');
    const std::size_t length = newline ? static_cast<std::size_t>(newline - p) : std::strlen(p);
    out.assign(p, std::min(length, line_limit));
    p = newline ? newline + 1 : p + length;
    return newline != nullptr;
}

// A decimal word; anything that is not a number gives 0.
int size_word(const char* word)
{
    if (!word) return 0;
    int value = 0;
    if (!parse_leading_int(word, &value)) return 0;
    return std::clamp(value, 0, max_characters);
}

bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

}  // namespace

// ---- the window's core ----

tarv_popup_window::tarv_popup_window(const std::string& title, const tarv_font* font)
    : display(font, 0, 0, 100, 100, "popup window " + title + " display"), title_(title)
{
    display.Show(true);
}

tarv_popup_window::~tarv_popup_window()
{
    if (button) button->unlink_window(this);
    if (frame_) {
        tarv_popup_frame* frame = frame_;
        frame_ = nullptr;
        frame->frame_core_destroyed();
    }
}

void tarv_popup_window::attach_frame(tarv_popup_frame* frame)
{
    frame_ = frame;
    if (!frame_) return;
    frame_->frame_move(x_, y_);
    frame_->frame_set_client_size(client_width_, client_height_);
    frame_->frame_show(shown_);
}

void tarv_popup_window::show(bool shown)
{
    shown_ = shown;
    if (frame_) frame_->frame_show(shown);
}

bool tarv_popup_window::is_shown() const
{
    return frame_ ? frame_->frame_shown() : shown_;
}

void tarv_popup_window::move(int x, int y)
{
    x_ = x;
    y_ = y;
    if (frame_) frame_->frame_move(x, y);
}

void tarv_popup_window::position(int* x, int* y) const
{
    if (frame_) {
        frame_->frame_position(x, y);
        return;
    }
    *x = x_;
    *y = y_;
}

void tarv_popup_window::set_client_size(int width, int height)
{
    client_width_ = std::max(width, 1);
    client_height_ = std::max(height, 1);
    if (frame_)
        frame_->frame_set_client_size(client_width_, client_height_);
    else
        on_client_resized(client_width_, client_height_);
}

void tarv_popup_window::client_size(int* width, int* height) const
{
    if (frame_) {
        frame_->frame_client_size(width, height);
        return;
    }
    *width = client_width_;
    *height = client_height_;
}

void tarv_popup_window::on_client_resized(int width, int height)
{
    display.set_geometry(0, 0, std::max(width, 1), std::max(height, min_display_height));
}

void tarv_popup_window::close_handler()
{
    if (button) {
        if (is_shown()) button->toggle_state();
        return;
    }
    TARV_LOG(2, "Error in tarv_popup_window::close_handler(), no controller?\n");
    show(false);
}

// ---- the button ----

tarv_popup_button::tarv_popup_button(tarv_popup_manager* manager, std::unique_ptr<tarv_popup_window> window)
    : tarv_button(-1, "image button"), manager_(manager), window_(std::move(window))
{
    toggle = true;
    state = UP;
    if (window_) window_->button = this;
}

tarv_popup_button::~tarv_popup_button()
{
    // The window goes with its button; it has nothing to tell it any more.
    if (window_) window_->button = nullptr;
    window_.reset();
}

void tarv_popup_button::unlink_window(tarv_popup_window* target)
{
    if (!target || target != window_.get()) {
        TARV_LOG(2, "Error in tarv_popup_button::unlink_window(), bad target?\n");
        return;
    }
    window_.release();
}

void tarv_popup_button::toggle_state()
{
    manager_->begin_toggle();
    toggle_state_now();
    manager_->end_toggle();
}

void tarv_popup_button::toggle_state_now()
{
    if (!window_) {
        TARV_LOG(2, "Error in tarv_popup_button::toggle_state(), no target?\n");
        return;
    }
    tarv_popup_host& host = manager_->host();
    // The label names the window everywhere; keep a copy, the commands
    // below may run anything.
    const std::string name = label();
    if (window_->is_shown()) {
        host.check_popup_menu_item(name.c_str(), false);
        set_state(UP);
        host.process_command(("tslwindow close " + name).c_str(), false);
        if (closed || !window_) return;
        host.check_popup_menu_item(name.c_str(), false);
        set_state(UP);
        window_->show(false);
    } else {
        host.check_popup_menu_item(name.c_str(), true);
        set_state(DOWN);
        host.process_command(("tslwindow open " + name).c_str(), false);
        if (closed || !window_) return;
        // An empty command would send the server an empty line.
        const std::string command = window_->popup_command;
        if (!command.empty()) host.process_command(command.c_str(), false);
        if (closed || !window_) return;
        window_->show(true);
        int x = 0, y = 0, cw = 0, ch = 0;
        window_->position(&x, &y);
        window_->client_size(&cw, &ch);
        TARV_LOG(2, "tarv_popup_button::toggle_state(), position %d, %d.\n", x, y);
        int screen_width = 0, screen_height = 0;
        host.screen_size(&screen_width, &screen_height);
        if (x <= -(cw / 2) || x >= -(cw / 2) + screen_width) {
            TARV_LOG(2, "Warning in tarv_popup_button::toggle_state(), X value %d too near display edge %d, resetting.\n",
                     x, screen_width);
            x = tarv_popup_manager::default_position;
        }
        if (y < 0 || y >= screen_height - 20) {
            TARV_LOG(2, "Warning in tarv_popup_button::toggle_state(), Y value %d too near display edge %d, resetting.\n",
                     y, screen_height);
            y = tarv_popup_manager::default_position;
        }
        window_->move(x, y);
    }
    host.focus_command_line();
}

// ---- the manager ----

tarv_popup_manager::tarv_popup_manager(tarv_popup_host& host) : host_(host) {}

tarv_popup_manager::~tarv_popup_manager()
{
    toggling_ = 0;
    destroy_list(buttons_);
    destroy_list(menu_only_);
    purge_closed();
}

void tarv_popup_manager::destroy_list(tarv_popup_button*& head)
{
    while (head) {
        tarv_popup_button* b = head;
        head = b->next;
        if (toggling_ > 0) {
            b->closed = true;
            b->Show(false);
            if (b->window()) b->window()->show(false);
            b->next = closed_;
            closed_ = b;
        } else {
            delete b;
        }
    }
}

void tarv_popup_manager::purge_closed()
{
    if (toggling_ > 0) return;
    while (closed_) {
        tarv_popup_button* b = closed_;
        closed_ = b->next;
        delete b;
    }
}

tarv_popup_button* tarv_popup_manager::find_button(const char* name)
{
    if (!name) return nullptr;
    for (tarv_popup_button* list : {buttons_, menu_only_})
        for (tarv_popup_button* b = list; b; b = b->next)
            if (b->window() && b->label() == name) return b;
    return nullptr;
}

tarv_ansi_display* tarv_popup_manager::find_popup_window(const char* name)
{
    tarv_popup_button* b = find_button(name);
    return b ? &b->window()->display : nullptr;
}

void tarv_popup_manager::size_in_characters(tarv_popup_window& window, int columns, int rows)
{
    int widest = 1;
    for (int c = 32; c <= 126; ++c) widest = std::max(widest, window.display.text.char_widths[c]);
    const int line_height = std::max(window.display.text.line_height, 1);
    window.set_client_size(std::max(columns, 1) * widest, std::max(rows, 1) * line_height + line_height / 2);
}

void tarv_popup_manager::create_window(const char* data)
{
    purge_closed();
    if (!data) data = "";
    const char* p = data;
    std::string name, title, size, command, options;
    static const char* const missing[] = {
        "Error in tarv_popup_manager::create_window(), no name.\n",
        "Error in tarv_popup_manager::create_window(), no title.\n",
        "Error in tarv_popup_manager::create_window(), no size.\n",
        "Error in tarv_popup_manager::create_window(), no command.\n",
    };
    std::string* lines[] = {&name, &title, &size, &command};
    for (int i = 0; i < 4; ++i) {
        if (!take_line(p, *lines[i])) {
            TARV_LOG(2, "%s", missing[i]);
            return;
        }
    }
    take_line(p, options);

    if (find_popup_window(name.c_str())) return;
    if (popup_count() >= max_popups) {
        TARV_LOG(2, "Warning in tarv_popup_manager::create_window(), too many popup windows for '%s'.\n",
                 name.c_str());
        return;
    }

    const char* first = size.c_str();
    while (is_blank(*first)) ++first;
    const int w = *first ? size_word(first) : 0;
    const int h = *first ? size_word(next_arg(first)) : 0;

    auto window = std::make_unique<tarv_popup_window>(title, text_font);
    tarv_popup_window& popup = *window;
    tarv_popup_geometry entry = TConfig::instance().get_popup_geometry(geometry_name(name));
    entry.name = geometry_name(name);
    entry.requested_width = w;
    entry.requested_height = h;
    if (entry.width > 0)
        popup.set_client_size(entry.width, std::max(entry.height, 1));
    else
        size_in_characters(popup, w, h);
    popup.popup_command = command.substr(0, tarv_popup_window::command_limit);
    popup.display.set_popup_mode();
    popup.move(entry.x, entry.y);
    TConfig::instance().set_popup_geometry(entry);

    bool menu_only = false;
    for (const char* word = options.c_str(); word && *word; word = next_arg(word)) {
        while (is_blank(*word)) ++word;
        if (!*word) break;
        if (word_equals(word, "noscroll"))
            popup.display.set_scrollbar_shown(false);
        else if (word_equals(word, "nowrap"))
            popup.display.set_wrap(0);
        else if (word_equals(word, "menuonly"))
            menu_only = true;
    }

    auto* button = new tarv_popup_button(this, std::move(window));
    button->set_label(name.c_str());
    if (hosting_) {
        popup.attach_frame(hosting_->host_popup_window(popup, title));
        hosting_->host_panel(*button, nullptr);
    }
    host_.add_popup_menu_item(name.c_str());
    if (menu_only) {
        button->next = menu_only_;
        menu_only_ = button;
        button->Show(false);
    } else {
        button->next = buttons_;
        buttons_ = button;
        button->Show(shown);
        layout();
    }
}

int tarv_popup_manager::popup_count() const
{
    int n = 0;
    for (tarv_popup_button* list : {buttons_, menu_only_})
        for (tarv_popup_button* b = list; b; b = b->next) ++n;
    return n;
}

void tarv_popup_manager::layout()
{
    const int d = height < 8 ? 1 : height - 7;
    int k = 0;
    for (tarv_popup_button* b = buttons_; b; b = b->next, ++k) b->set_geometry(x + 4 + k * (d + 4), y + 4, d, d);
}

void tarv_popup_manager::show(bool shown_now)
{
    for (tarv_popup_button* b = buttons_; b; b = b->next) b->Show(shown_now);
}

void tarv_popup_manager::redraw_all()
{
    for (tarv_popup_button* list : {buttons_, menu_only_})
        for (tarv_popup_button* b = list; b; b = b->next) b->build_images();
}

void tarv_popup_manager::toggle_popup_number(int n)
{
    if (n < 1) return;
    int k = 1;
    for (tarv_popup_button* list : {buttons_, menu_only_})
        for (tarv_popup_button* b = list; b; b = b->next, ++k)
            if (k == n) {
                b->toggle_state();
                return;
            }
}

void tarv_popup_manager::save_popup_geometry()
{
    TConfig& config = TConfig::instance();
    for (tarv_popup_button* list : {buttons_, menu_only_})
        for (tarv_popup_button* b = list; b; b = b->next) {
            tarv_popup_window* w = b->window();
            if (!w) continue;
            tarv_popup_geometry entry = config.get_popup_geometry(geometry_name(b->label()));
            w->position(&entry.x, &entry.y);
            w->client_size(&entry.width, &entry.height);
            config.set_popup_geometry(entry);
        }
}

void tarv_popup_manager::close_all_popups()
{
    save_popup_geometry();
    purge_closed();
    destroy_list(buttons_);
    destroy_list(menu_only_);
    host_.reset_popup_menu();
}

void tarv_popup_manager::reset_popup_positions()
{
    TConfig& config = TConfig::instance();
    for (tarv_popup_button* list : {buttons_, menu_only_})
        for (tarv_popup_button* b = list; b; b = b->next) {
            tarv_popup_window* w = b->window();
            if (!w) return;
            tarv_popup_geometry entry = config.get_popup_geometry(geometry_name(b->label()));
            w->move(default_position, default_position);
            size_in_characters(*w, entry.requested_width, entry.requested_height);
            entry.x = entry.y = entry.width = entry.height = 0;
            config.set_popup_geometry(entry);
        }
}

void tarv_popup_manager::change_font(const tarv_font* font)
{
    for (tarv_popup_button* list : {buttons_, menu_only_})
        for (tarv_popup_button* b = list; b; b = b->next)
            if (b->window()) b->window()->display.set_display_font(font);
}

void tarv_popup_manager::flash_buttons()
{
    for (tarv_popup_button* b = buttons_; b; b = b->next) b->start_flash();
}
