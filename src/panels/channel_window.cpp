#include "panels/channel_window.h"

#include <algorithm>
#include <cstring>

#include "draw/font.h"
#include "draw/theme.h"
#include "panels/panel_hosting.h"
#include "support/debug_log.h"

namespace {

constexpr tarv_color tab_red{255, 0, 0};
constexpr tarv_color tab_light_grey{192, 192, 192};
constexpr tarv_color tab_grey{128, 128, 128};
constexpr tarv_color tab_white{255, 255, 255};
constexpr tarv_color tab_black{0, 0, 0};

const char* const all_name = "(all)";

void set_tooltip(tarv_embedded_window& panel, const std::string& text)
{
    if (panel.peer()) panel.peer()->peer_set_tooltip(text);
}

// Channel names are cut like the fixed 40-byte field they live in.
std::string cut_name(const char* name)
{
    std::string s = name ? name : "";
    if (s.size() > static_cast<std::size_t>(channel_tab::max_name)) {
        TARV_LOG(2, "Warning in safe_strcpy(), string '%s' too long, truncating.\n", s.c_str());
        s.resize(channel_tab::max_name);
    }
    return s;
}

}  // namespace

// ---- page button ----

tarv_channel_paging_button::tarv_channel_paging_button(tarv_channel_window* window, channel_tab* tab)
    : tarv_button(-1, "channel page button"), window(window), tab(tab)
{
    toggle = true;
    build_images();
}

void tarv_channel_paging_button::build_images()
{
    const tarv_button_theme& t = *current_button_theme;
    const int w = width(), h = height();
    tarv_bitmap work(w, h);
    work.Clear(t[THEME_LIT_FACE]);
    work.DrawFrame(tab_white, w, h);
    work.DrawLine(3, 3, w - 4, h - 4, tab_white);
    set_up_image(work);
    work.Clear(t[THEME_ON_FACE]);
    work.DrawFrame(tab_light_grey, w, h);
    work.DrawLine(3, h - 4, w - 4, 3, tab_light_grey);
    set_down_image(work);
    set_disabled_image(work);
}

void tarv_channel_paging_button::on_mouse(const tarv_mouse_event& event)
{
    if (event.type != tarv_mouse_event::LEFT_DOWN || !window) return;
    if (tab)
        window->move_to_other_page(tab);
    else
        window->flip_page();
}

// ---- tab ----

tarv_channel_button::tarv_channel_button(tarv_channel_window* window, channel_tab* tab)
    : tarv_button(-1, "channel tab"), window(window), page_button(window, tab)
{
    state = IDLE;
}

void tarv_channel_button::build_images()
{
    const tarv_button_theme& t = *current_button_theme;
    const int w = width(), h = height();
    tarv_bitmap work(w, h);
    auto picture = [&](const tarv_color& top, const tarv_color& bottom, const tarv_color& label,
                       const tarv_color& edge) {
        work.DrawYGradientRectangle(0, 0, w - 1, h - 1, top, bottom);
        draw_label(work, label);
        work.DrawEdges(w, h, EDGE_TOP | EDGE_RIGHT | EDGE_LEFT, &edge);
        work.SetPixel(2, 1, edge);
        work.SetPixel(w - 3, 1, edge);
        work.SetPixel(0, 0, tab_black);
        work.SetPixel(w - 1, 0, tab_black);
    };
    picture(t[THEME_LIT_FACE], t[THEME_LIT_EDGE], t[THEME_LIT_LABEL], tab_white);
    set_up_image(work);
    picture(t[THEME_ON_FACE], t[THEME_ON_EDGE], tab_red, tab_grey);
    set_down_image(work);
    picture(t[THEME_ON_FACE], t[THEME_ON_FACE], tab_light_grey, tab_grey);
    set_disabled_image(work);
    state = tab_state();
}

void tarv_channel_button::set_selected(bool on)
{
    selected = on;
    set_state(tab_state());
}

void tarv_channel_button::set_unread(bool on)
{
    if ((unread != 0) == on) return;
    unread = on ? 1 : 0;
    set_state(tab_state());
}

void tarv_channel_button::on_mouse(const tarv_mouse_event& event)
{
    if (event.type != tarv_mouse_event::LEFT_DOWN || !window) return;
    // The label may name a tab that a clear has just removed: copy it first.
    const std::string name = label();
    window->select_channel(name.c_str());
    set_unread(false);
}

// ---- channel display ----

tarv_channel_display::tarv_channel_display(const tarv_font* font, std::string name, tarv_channel_button* tab)
    : tarv_ansi_display(font, 0, 0, 100, 100, std::move(name)), tab(tab)
{
}

void tarv_channel_display::render(tarv_bitmap& surface)
{
    tarv_ansi_display::render(surface);
    if (!tab || !tab->IsShown()) return;
    // Open the top edge under the tab, so the selected tab runs into its text.
    const int tx = tab->x() - x();
    const int tt = tab->width();
    if (tt < 6) return;
    surface.DrawLine(tx + 2, 1, tx + tt - 2, 1, color_black);
    surface.DrawLine(tx + 3, 0, tx + tt - 3, 0, color_black);
}

// ---- the window ----

tarv_channel_window::tarv_channel_window()
    : placeholder_tab_(this), placeholder_display_(nullptr, "Blank Channel Tab", &placeholder_tab_),
      page_button_(this, nullptr)
{
    placeholder_tab_.set_label("(no channel)");
    placeholder_tab_.set_selected(true);
    placeholder_tab_.page_button.Show(false);
    placeholder_display_.print_text(" \n(Tabbed channel window - messages from other players will appear here.)\n");
    shown = false;
    show(false);
}

tarv_channel_window::~tarv_channel_window()
{
    // Displays and tabs first; the targets below point into them.
    divert_ = all_ = selected_ = other_selected_ = nullptr;
    channels_.clear();
}

void tarv_channel_window::attach_hosting(tarv_panel_hosting* hosting)
{
    hosting_ = hosting;
    if (!hosting_) return;
    hosting_->host_panel(page_button_, nullptr);
    hosting_->host_panel(placeholder_tab_, nullptr);
    hosting_->host_panel(placeholder_tab_.page_button, &placeholder_tab_);
    hosting_->host_text_display(placeholder_display_);
    set_tooltip(placeholder_tab_,
                "There are no channels to display yet. When there are,\nuse the buttons here to switch between "
                "channels.");
    set_tooltip(placeholder_display_,
                "There are no channels to display yet. When\nthere are, they will be displayed here.");
    for (auto& entry : channels_) host(*entry);
    layout();
    show(shown);
}

void tarv_channel_window::host(channel_tab& entry)
{
    if (!hosting_) return;
    hosting_->host_panel(*entry.tab, nullptr);
    hosting_->host_panel(entry.tab->page_button, entry.tab.get());
    hosting_->host_text_display(*entry.display);
    const bool is_all = &entry == all_;
    std::string tip = is_all ? "Display of all channels combined." : "Tabbed display for channel '" + entry.name + "'.";
    set_tooltip(*entry.tab, tip);
    set_tooltip(*entry.display, tip);
}

channel_tab* tarv_channel_window::find_channel(const char* name)
{
    const std::string wanted = cut_name(name);
    for (auto& entry : channels_)
        if (entry->name == wanted) return entry.get();
    return nullptr;
}

channel_tab* tarv_channel_window::find_or_create_channel(const char* name, bool is_all)
{
    if (channel_tab* found = find_channel(name)) return found;
    if (channel_count() >= max_channels) {
        TARV_LOG(2, "Warning in tarv_channel_window::find_or_create_channel(), too many channels for '%s'.\n",
                 cut_name(name).c_str());
        return nullptr;
    }
    auto entry = std::make_unique<channel_tab>();
    entry->name = cut_name(name);
    entry->page = current_page_;
    entry->tab = std::make_unique<tarv_channel_button>(this, entry.get());
    entry->tab->Show(false);
    entry->tab->set_label(entry->name.c_str());
    entry->tab->page_button.set_state(entry->page);
    entry->display = std::make_unique<tarv_channel_display>(text_font, entry->name, entry->tab.get());
    entry->display->Show(false);
    if (is_all)
        entry->display->print_text(" \nTabbed display for all channels combined.\n");
    else
        entry->display->print_text((" \nTabbed display for channel '" + entry->name + "'\n").c_str());

    channel_tab* created = entry.get();
    auto at = std::find_if(channels_.begin(), channels_.end(),
                           [&](const auto& other) { return other->name > created->name; });
    channels_.insert(at, std::move(entry));
    if (is_all) all_ = created;
    host(*created);
    if (!selected_) select(created);
    layout();
    show(shown);
    return created;
}

void tarv_channel_window::select(channel_tab* entry)
{
    selected_ = entry;
}

void tarv_channel_window::set_divert_channel(const char* name)
{
    if (!all_) all_ = find_or_create_channel(all_name, true);
    divert_ = find_or_create_channel(name);
    if (!divert_) divert_ = all_;
}

void tarv_channel_window::clear_divert_channel()
{
    if (divert_) {
        divert_ = nullptr;
        return;
    }
    TARV_LOG(1, "Error in tarv_channel_window::clear_divert_channel(), null divert channel?\n");
}

void tarv_channel_window::display_socket_data(const char* bytes, int length)
{
    if (!divert_ || !all_) {
        TARV_LOG(1, "Error in tarv_channel_window::display_socket_data(), null divert channel?\n");
        return;
    }
    if (!bytes || length <= 0) return;
    for (channel_tab* entry : {divert_, all_}) {
        entry->display->process_ansi_text(bytes, static_cast<std::size_t>(length));
        if (entry != selected_) entry->tab->set_unread(true);
        // A channel named "(all)" is the combined tab itself: one copy.
        if (divert_ == all_) break;
    }
}

void tarv_channel_window::begin_block()
{
    for (auto& entry : channels_) entry->display->text_arrived = 0;
}

void tarv_channel_window::end_block()
{
    for (auto& entry : channels_)
        if (entry->display->text_arrived) entry->display->refresh_display();
}

void tarv_channel_window::clear_channels()
{
    selected_ = other_selected_ = divert_ = all_ = nullptr;
    channels_.clear();
    show(shown);
}

void tarv_channel_window::select_channel(const char* name)
{
    const std::string wanted = name ? name : "";
    for (auto& entry : channels_) {
        if (entry->name != wanted) continue;
        // A tab on the other page is brought into view with its page.
        if (entry->page != current_page_) {
            current_page_ = entry->page;
            other_selected_ = selected_;
            page_button_.set_state(current_page_);
            layout();
        }
        selected_ = entry.get();
        entry->tab->set_unread(false);
        show(shown);
        return;
    }
}

void tarv_channel_window::flip_page()
{
    current_page_ = 1 - current_page_;
    std::swap(selected_, other_selected_);
    if (selected_ && selected_->page != current_page_) selected_ = nullptr;
    page_button_.set_state(current_page_);
    layout();
    show(shown);
}

void tarv_channel_window::move_to_other_page(channel_tab* entry)
{
    if (!entry) return;
    entry->page = 1 - entry->page;
    entry->tab->page_button.set_state(entry->page);
    if (selected_ == entry) selected_ = nullptr;
    if (other_selected_ == entry) other_selected_ = nullptr;
    layout();
    show(shown);
}

tarv_ansi_display& tarv_channel_window::shown_display()
{
    return selected_ ? static_cast<tarv_ansi_display&>(*selected_->display) : placeholder_display_;
}

void tarv_channel_window::set_display_font(const tarv_font* font)
{
    placeholder_display_.set_display_font(font);
    for (auto& entry : channels_) entry->display->set_display_font(font);
    layout();
}

void tarv_channel_window::layout()
{
    int tw = 0, th = 0;
    if (panel_font) panel_font->GetTextExtent("123456789012345678", &tw, &th);
    th = std::max(th, 1);
    for (auto& entry : channels_) entry->display->refresh_display();
    int n = 0;
    for (auto& entry : channels_)
        if (entry->page == current_page_) ++n;
    if (n == 0) n = 1;
    const int e = th + 4;
    const int f = std::max(width - e - 1, 1);
    page_button_.set_geometry(x + f + 2, 2, th, th);
    const int t = std::max(std::min(tw + th, f / n - 2), 1);
    const int inner = std::max(e - 6, 1);
    auto place_tab = [&](tarv_channel_button& tab, int tab_x) {
        tab.set_geometry(tab_x, y + 1, t, e);
        tab.page_button.set_geometry(t - e + 2, 3, inner, inner);
    };
    place_tab(placeholder_tab_, x + 1);
    placeholder_display_.set_geometry(x, y + e + 1, width, height - e - 1);
    int k = 0;
    for (auto& entry : channels_) {
        if (entry->page == current_page_) place_tab(*entry->tab, x + 1 + k++ * (t + 2));
        entry->display->set_geometry(x, y + e + 1, width, height - e - 1);
    }
}

void tarv_channel_window::show(bool visible)
{
    if (!selected_ || selected_->page != current_page_) {
        selected_ = nullptr;
        for (auto& entry : channels_)
            if (entry->page == current_page_) {
                selected_ = entry.get();
                break;
            }
    }
    bool any_here = false;
    for (auto& entry : channels_) {
        tarv_channel_button& tab = *entry->tab;
        if (entry->page == current_page_) {
            any_here = true;
            const bool is_selected = entry.get() == selected_;
            entry->display->Show(visible && is_selected);
            tab.set_selected(is_selected);
            tab.Show(visible);
            tab.page_button.Show(visible);
            tab.Refresh();
        } else {
            entry->display->Show(false);
            tab.Show(false);
            tab.page_button.Show(false);
        }
    }
    placeholder_tab_.Show(visible && !any_here);
    placeholder_display_.Show(visible && !any_here);
    page_button_.Show(visible);
}

void tarv_channel_window::redraw_all()
{
    page_button_.build_images();
    placeholder_tab_.build_images();
    for (auto& entry : channels_) {
        entry->tab->build_images();
        entry->tab->page_button.build_images();
    }
    layout();
}
