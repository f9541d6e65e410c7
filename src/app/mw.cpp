#include "app/mw.h"

#include "app/preference_commands.h"
#include "app/startup.h"
#include "app/web_links.h"
#include "audio/audio_engine.h"
#include "config/config.h"
#include "connection/client_status.h"
#include "draw/embedded_window.h"
#include "draw/font.h"
#include "draw/theme.h"
#include "input/command_line.h"
#include "input/input_window.h"
#include "support/debug_log.h"
#include "support/util.h"
#include "text/find_bar.h"
#include "text/main_window.h"

tarv_mw* mw_instance = nullptr;
int mw_ready = 0;
int refocus_pending = 0;
int prompt_flush_count = 0;

tarv_mw::tarv_mw(tarv_mw_view* view) : connection(*this, *this), view_(view)
{
    mw_instance = this;
    main_display = std::make_unique<tarv_main_window>(text_font, 0, 0, 100, 100);
    main_display->text.set_compact_mode(TConfig::instance().compact_mode() != 0);
    output_display = main_display.get();
    find_bar = std::make_unique<tarv_find_bar>(*main_display);
    main_display->text.split_wanted = [] { return TConfig::instance().split_scrollback() != 0; };
    // The panels in their construction order.
    direction_buttons = std::make_unique<tarv_direction_buttons>(button_actions());
    hint_buttons = std::make_unique<tarv_hint_buttons>(button_actions());
    fkey_manager = std::make_unique<tarv_fkey_manager>(button_actions());
    popup_manager = std::make_unique<tarv_popup_manager>(*this);
    channel_window = std::make_unique<tarv_channel_window>();
    group_display = std::make_unique<tarv_group_display>();
    group_display->settings = [] {
        const TConfig& c = TConfig::instance();
        return tarv_group_settings{c.group_status_display(), c.group_status_inverted_bars() != 0, c.current_layout()};
    };
    main_display->set_group_overlay(group_display.get());
    group_display->Show(false);
    direction_buttons->setup_labels();
    status_display = std::make_unique<tarv_status_display>(status_values_);
    status_display->reset_values();
    status_bar = std::make_unique<tarv_status_bar>(status_values_);
    status_bar->Show(false);
    status_bar->scroll_locked = [this] { return !main_display->is_following(); };
    status_bar->unlock_scrollback = [this] { main_display->unfreeze_scrolling(); };
    status_bar->sky_bar_enabled = [] { return TConfig::instance().sky_bar() != 0; };
    create_automap();
    main_display->on_follow_changed = [this] {
        if (status_bar) status_bar->Refresh();
    };
    TConfig::instance().set_view(this);
    // Addresses clicked in any text display open through the next tick.
    tarv_url_opener = [this](const char* url) { open_url(*this, url); };
}

tarv_mw::~tarv_mw()
{
    if (TConfig::instance().view() == this) TConfig::instance().set_view(nullptr);
    main_display->set_automap_overlay(nullptr);
    if (mw_instance == this) {
        mw_instance = nullptr;
        tarv_url_opener = nullptr;
    }
    mw_ready = 0;
}

void system_shutdown_handler(tarv_mw* mw)
{
    TARV_LOG(2, "tarv_mw system_shutdown_handler.\n");
    if (!mw) return;
    mw->exit_countdown = 10;
    // An idle window ticks slowly; the countdown needs the normal pace now.
    mw->view()->wake_tick();
}

void tarv_shutdown_signal_arrived(int signal_number)
{
    tarv_record_shutdown_signal(signal_number);
    if (mw_instance) mw_instance->view()->wake_tick();
}

void tarv_mw::attach_input(tarv_input_window* window, tarv_command_line* command_line)
{
    input_window = window;
    command_line_ = command_line;
}

void tarv_mw::OnTimer()
{
    if (!mw_ready) {
        TARV_LOG(2, "tarv_mw::OnTimer() - constructor not finished?\n");
        return;
    }
    if (int sig = tarv_take_shutdown_signal(); sig != 0 && exit_countdown == 0) {
        TARV_LOG(2, "tarv_mw::OnTimer() - signal %d, shutting down.\n", sig);
        system_shutdown_handler(this);
    }
    if (refocus_pending) {
        view_->focus_input();
        refocus_pending = 0;
    }

    connection.socket_handler();

    run_animations(20);
    find_bar->tick();

    if (play_state_ == PLAYING && status_dirty) {
        connection.send_client_status(tarv_client_status_from_config(TConfig::instance()));
        status_dirty = 0;
    }

    if (pending_message_flag) {
        connection.begin_client_message();
        main_display->print_text(pending_message.c_str());
        main_display->refresh_display();
        display_changed_ = true;
        pending_message.clear();
        pending_message_length = 0;
        pending_message_flag = 0;
    }

    launch_pending_url(*this);

    flush_partial_line();

    if (exit_countdown > 0) {
        --exit_countdown;
        if (exit_countdown == 0) {
            TARV_LOG(2, "tarv_mw::shutdown - exit forced.\n");
            view_->force_exit(0);
            return;
        }
    }
    if (exit_countdown == 1) orderly_exit();
}

bool tarv_mw::tick_needed() const
{
    return !mw_ready || !connection.first_connect_done() || connection.connection_seen() ||
           animations_running() || pending_message_flag || pending_url_flag || exit_countdown > 0 || refocus_pending ||
           main_display->has_partial_line() || (play_state_ == PLAYING && status_dirty);
}

void tarv_mw::flush_partial_line()
{
    if (!main_display->has_partial_line()) {
        prompt_flush_count = 0;
        return;
    }
    if (++prompt_flush_count > 2) {
        main_display->flush_partial_line();
        prompt_flush_count = 0;
    }
}

void tarv_mw::orderly_exit()
{
    TARV_LOG(2, "tarv_mw::shutdown - requested exit\n");
    release_audio();
    close_all_popups();
    save_configuration();
    view_->destroy_window();
}

void tarv_mw::on_ping_timer()
{
    connection.on_ping_timer();
}

void tarv_mw::on_save_timer()
{
    save_popup_geometry();
    save_configuration();
}

void tarv_mw::save_configuration()
{
    TConfig::instance().save_system_config_file();
}

bool tarv_mw::on_close_request(bool can_veto)
{
    if (exit_countdown != 1 && can_veto) {
        verify_program_exit();
        return false;
    }
    close_all_popups();
    save_configuration();
    return true;
}

void tarv_mw::queue_pending_message(const char* text)
{
    pending_message.append(text);
    pending_message_length = pending_message.length;
    pending_message_flag = 1;
}

void tarv_mw::process_command(const char* text, bool echo)
{
    commands_.process_command(text, echo);
    view_->wake_tick();
}

// Layout.

tarv_layout_input tarv_mw::layout_input() const
{
    tarv_layout_input in;
    view_->client_size(&in.client_width, &in.client_height);
    in.last_width = last_width;
    in.last_height = last_height;
    in.play_state = play_state_;
    const TConfig& c = TConfig::instance();
    in.current_layout = c.current_layout();
    in.automap_docked = c.automap_docked();
    in.automap_display = c.automap_display();
    in.group_status_display = c.group_status_display();
    in.direction_button_enable = c.direction_button_enable();
    in.hint_button_enable = c.hint_button_enable();
    in.fkey_button_display = c.fkey_button_display();
    in.popup_display = c.popup_display();
    in.status_bar = c.status_bar();
    in.hpbar_enable = c.hpbar_enable();
    in.exp_display = c.exp_display();
    in.enemy_hpbar_enable = c.enemy_hpbar_enable();
    in.input_height = c.input_height();
    in.channel_window_enable = c.channel_window_enable();
    in.channel_window_height = c.channel_window_height();
    in.mw_scrollbar_enable = c.mw_scrollbar_enable();
    in.group_preferred_height = group_display->preferred_height();
    in.group_has_entries = !group_display->entries().empty();
    in.automap_cell_size = automap_display->renderer().cell_size();
    in.automap_width = automap_display->width();
    in.automap_height = automap_display->height();
    return in;
}

void tarv_mw::layout_panels()
{
    const tarv_layout layout = tarv_compute_layout(layout_input());
    auto apply = [](tarv_embedded_window& window, const tarv_layout_place& place) {
        if (!place.placed) return;
        window.set_geometry(place.rect.x, place.rect.y, place.rect.width, place.rect.height);
        if (place.visibility != tarv_visibility::keep) window.Show(place.visibility == tarv_visibility::show);
    };
    if (input_window) apply(*input_window, layout.input_window);
    apply(*status_bar, layout.status_bar);
    status_display->edge_flags = layout.status_edge_flags;
    status_display->set_bars(layout.show_hp_bars, layout.show_exp, layout.show_enemy);
    apply(*status_display, layout.status_display);
    apply(*main_display, layout.main_display);
    apply_automap_layout(layout);
    auto apply_group = [](tarv_transparent_window& group, const tarv_layout_place& place) {
        if (place.placed) group.set_rect(place.rect.x, place.rect.y, place.rect.width, place.rect.height);
        if (place.visibility != tarv_visibility::keep) group.set_shown(place.visibility == tarv_visibility::show);
    };
    apply_group(*direction_buttons, layout.direction_buttons);
    apply_group(*hint_buttons, layout.hint_buttons);
    apply_group(*fkey_manager, layout.fkey_manager);
    // The group display is shown while it has members and its setting is
    // on; in the embedded layout the main display places it.
    group_display->mode = layout.group_display_mode;
    if (layout.group_parent == tarv_layout_parent::main_window) apply(*group_display, layout.group_display);
    group_display->Show(TConfig::instance().group_status_display() != 0 && !group_display->entries().empty());
    update_overlays();
    group_display->Refresh();
    apply_group(*popup_manager, layout.popup_manager);
    apply_group(*channel_window, layout.channel_window);
    main_display->scroll_to_end();
}

void tarv_mw::redraw_button_groups()
{
    direction_buttons->redraw_all();
    hint_buttons->redraw_all();
    fkey_manager->redraw_all();
    popup_manager->redraw_all();
    channel_window->redraw_all();
}

tarv_button_actions tarv_mw::button_actions()
{
    tarv_button_actions actions;
    actions.send_command = [this](const char* command, bool echo) { process_command(command, echo); };
    // The keyboard goes back to the command line now and again on the next
    // tick, in case the toolkit moves it to the clicked window afterwards.
    actions.after_click = [this] {
        main_display->unfreeze_scrolling();
        view_->focus_input();
        refocus_pending = 1;
    };
    actions.playing = [this] { return play_state_ == PLAYING; };
    return actions;
}

bool tarv_mw::OnResize()
{
    int width = 0, height = 0;
    view_->client_size(&width, &height);
    if (!layout_accept_resize(mw_ready != 0, width, height, last_width, last_height)) return false;
    layout_panels();
    view_->repaint();
    return true;
}

// The end-to-end seam.

std::string tarv_mw::display_text() const
{
    std::string out;
    for (const auto& line : main_display->dump_lines()) {
        out += line;
        out += '\n';
    }
    return out;
}

bool tarv_mw::take_display_changed()
{
    bool changed = display_changed_;
    display_changed_ = false;
    return changed;
}

// tarv_connection_host

void tarv_mw::main_print_text(const char* text)
{
    main_display->print_text(text);
    display_changed_ = true;
}

void tarv_mw::main_ansi_code(int parameter)
{
    main_display->process_ansi_code(parameter);
}

void tarv_mw::main_reset_color()
{
    main_display->reset_color();
}

void tarv_mw::main_scroll_to_end()
{
    main_display->unfreeze_scrolling();
    main_display->scroll_to_end();
}

void tarv_mw::main_refresh()
{
    main_display->refresh_display();
}

void tarv_mw::select_history_set(int set)
{
    if (command_line_) command_line_->select_history_set(set);
}

void tarv_mw::reset_panels_after_disconnect()
{
    update_automap_visibility();
    fkey_manager->set_active(false);
    status_bar->reset_values();
    status_display->reset_values();
    group_display->clear_group();
}

void tarv_mw::show_disconnected_buttons()
{
    status_values_.directions_enabled = 0;
    direction_buttons->disable_all();
    hint_buttons->clear_all();
    hint_buttons->set_connect_quit();
    automap_display->reset_automap();
}

void tarv_mw::clear_hint_buttons()
{
    hint_buttons->clear_all();
}

void tarv_mw::directions_changed()
{
    direction_buttons->apply(status_values_.directions_enabled != 0, status_values_.exit_mask);
    automap_display->renderer().set_exit_mask(status_values_.exit_mask);
    automap_display->renderer().Refresh();
}

void tarv_mw::set_fkey_buttons_active(bool active)
{
    fkey_manager->set_active(active);
}

void tarv_mw::fkey_button_tag(const char* name, const char* data)
{
    fkey_manager->setup_button(name, data);
}

void tarv_mw::hint_button_tag(const char* name, const char* data)
{
    hint_buttons->setup_button(name, data);
}

void tarv_mw::group_data(const char* data)
{
    group_display->update_group(data);
    // The embedded form sits under the automap at the height it now wants.
    main_display->place_overlays();
}

void tarv_mw::preference_command(const char* data)
{
    config_cmd_process(this, data);
}

void tarv_mw::flash_automap()
{
    automap_display->start_flash();
}

void tarv_mw::set_title(const char* title)
{
    view_->set_title(title);
}

const char* tarv_mw::game_host()
{
    return TConfig::instance().game_host();
}

int tarv_mw::game_port()
{
    return TConfig::instance().game_port();
}

const char* tarv_mw::client_identity()
{
    return TConfig::instance().uuid();
}

// tarv_demux_sink

void tarv_mw::demux_text(const char* text, int length)
{
    if (channel_divert) {
        channel_window->display_socket_data(text, length);
        const TConfig& c = TConfig::instance();
        if (!c.channel_window_enable() || c.channel_window_dupe())
            main_display->process_ansi_text(text, static_cast<std::size_t>(length));
    } else {
        output_display->process_ansi_text(text, static_cast<std::size_t>(length));
    }
    display_changed_ = true;
}

void tarv_mw::demux_password_mode(bool hidden)
{
    if (!command_line_) return;
    if (hidden)
        command_line_->set_password_mode();
    else
        command_line_->clear_password_mode();
}

void tarv_mw::demux_bell()
{
    view_->ring_bell();
}

void tarv_mw::demux_tag(const char* name, const char* data, int length)
{
    process_tagged_data(*this, name, data, length);
    display_changed_ = true;
}

void tarv_mw::demux_block_end()
{
    // A display redraws once per block, and only when text reached it: a
    // block of tags alone leaves the text as it was.
    for (tarv_ansi_display* display : {static_cast<tarv_ansi_display*>(main_display.get()), output_display}) {
        if (!display->text_arrived) continue;
        display->text_arrived = 0;
        display->refresh_display();
    }
    channel_window->end_block();
}

// tarv_config_view

void tarv_mw::repaint()
{
    view_->repaint();
}

void tarv_mw::refresh_main_display_layout()
{
    main_display->rebuild();
}

void tarv_mw::show_panel(tarv_config_panel panel, bool shown)
{
    if (panel == tarv_config_panel::main_scrollbar) main_display->set_scrollbar_enable(shown);
    // The status bar appears only while playing; the login shows it.
    if (panel == tarv_config_panel::status_bar && (play_state_ == PLAYING || !shown)) status_bar->Show(shown);
    if (panel == tarv_config_panel::sky_bar) status_bar->sky_bar.Show(shown);
    layout_panels();
}

void tarv_mw::set_status_display_bars(bool hp, bool exp, bool enemy)
{
    status_display->set_bars(hp, exp, enemy);
    status_display->Show(hp || exp || enemy);
    layout_panels();
}

void tarv_mw::apply_layout_mode()
{
    place_automap();
    place_group_display();
    layout_panels();
    view_->repaint();
}

void tarv_mw::apply_theme_change(bool force_background)
{
    const TConfig& c = TConfig::instance();
    switch_themes(c.current_theme(), c.current_background_theme());
    if (force_background) view_->rebuild_background();
    redraw_button_groups();
    group_display->Refresh();
    automap_display->Refresh();
    layout_panels();
    view_->repaint();
}

void tarv_mw::place_group_display()
{
    const tarv_group_placement place = place_group_display_decision(TConfig::instance().current_layout());
    group_display->mode = place.mode;
    view_->place_panel_window(*group_display, place.parent);
    update_overlays();
}

void tarv_mw::update_overlays()
{
    const TConfig& c = TConfig::instance();
    main_display->set_overlay_state(play_state_ == PLAYING, c.automap_display() != 0, c.group_status_display() != 0);
}

bool tarv_mw::parse_native_font(const std::string& description, tarv_font_desc* out)
{
    return view_->parse_native_font(description, out);
}

void tarv_mw::character_config_changed()
{
    resync_theme_menus();
    resync_menus();
}

// Size steps.

void tarv_mw::grow_input_window()
{
    TConfig& c = TConfig::instance();
    c.set_input_height(grow_input_height(c.input_height()));
    layout_panels();
    view_->repaint();
}

void tarv_mw::shrink_input_window()
{
    TConfig& c = TConfig::instance();
    c.set_input_height(shrink_input_height(c.input_height()));
    layout_panels();
    view_->repaint();
}

void tarv_mw::grow_channel_window()
{
    TConfig& c = TConfig::instance();
    c.set_channel_window_height(grow_channel_height(c.channel_window_height()));
    layout_panels();
}

void tarv_mw::shrink_channel_window()
{
    TConfig& c = TConfig::instance();
    c.set_channel_window_height(shrink_channel_height(c.channel_window_height()));
    layout_panels();
}

void tarv_mw::increase_text_size()
{
    apply_text_size_step(increase_text_size_step(TConfig::instance().default_font_size()));
}

void tarv_mw::decrease_text_size()
{
    apply_text_size_step(decrease_text_size_step(TConfig::instance().default_font_size()));
}

void tarv_mw::apply_text_size_step(const tarv_text_size_step& step)
{
    TConfig& c = TConfig::instance();
    c.set_default_font_size(step.size);
    if (!step.apply) return;
    c.set_font_size(step.size);
    text_font->SetPointSize(step.size);
    main_display->scroll_to_end();
    apply_text_font();
}

void tarv_mw::apply_text_font()
{
    // The line height follows the current character's compact setting.
    main_display->text.compact_mode = TConfig::instance().compact_mode() != 0;
    main_display->set_display_font(text_font);
    channel_window->set_display_font(text_font);
    popup_manager->change_font(text_font);
    view_->fonts_changed();
    layout_panels();
}

void tarv_mw::apply_button_fonts()
{
    // Labels are measured in the panel font: a new font needs new pictures.
    redraw_button_groups();
    group_display->update_font_metrics();
    layout_panels();
    view_->repaint();
}

// tarv_input_host

bool tarv_mw::keypad_walking() const
{
    return TConfig::instance().keypad_walking() != 0;
}

bool tarv_mw::cmd_pushthrough() const
{
    return TConfig::instance().cmd_pushthrough() != 0;
}

bool tarv_mw::locking_scrollback_enable() const
{
    return TConfig::instance().locking_scrollback_enable() != 0;
}

tarv_ansi_display* tarv_mw::display_of(tarv_display_ref display) const
{
    return display == tarv_display_ref::main ? main_display.get() : &channel_window->shown_display();
}

bool tarv_mw::is_following(tarv_display_ref display) const
{
    const tarv_ansi_display* d = display_of(display);
    return d ? d->is_following() != 0 : true;
}

void tarv_mw::freeze_scrolling(tarv_display_ref display)
{
    if (auto* d = display_of(display)) d->freeze_scrolling();
}

void tarv_mw::unfreeze_scrolling(tarv_display_ref display)
{
    if (auto* d = display_of(display)) d->unfreeze_scrolling();
}

void tarv_mw::page_up(tarv_display_ref display)
{
    if (auto* d = display_of(display)) d->page_up();
}

void tarv_mw::page_down(tarv_display_ref display)
{
    if (auto* d = display_of(display)) d->page_down();
}

void tarv_mw::scroll_lines_up(tarv_display_ref display, int lines)
{
    if (auto* d = display_of(display)) d->scroll_lines_up(lines);
}

void tarv_mw::scroll_lines_down(tarv_display_ref display, int lines)
{
    if (auto* d = display_of(display)) d->scroll_lines_down(lines);
}

bool tarv_mw::has_selection(tarv_display_ref display) const
{
    const tarv_ansi_display* d = display_of(display);
    return d && d->text.has_selection();
}

void tarv_mw::clear_selection(tarv_display_ref display)
{
    if (auto* d = display_of(display)) d->text.clear_selection();
}

void tarv_mw::toggle_feature(tarv_feature feature)
{
    TConfig& c = TConfig::instance();
    switch (feature) {
    case tarv_feature::automap_display: toggle_automap(); break;
    case tarv_feature::group_status_display: c.set_group_status_display(c.group_status_display() ? 0 : 1); break;
    case tarv_feature::hpbar_enable: c.set_hpbar_enable(!c.hpbar_enable()); break;
    case tarv_feature::enemy_hpbar_enable: c.set_enemy_hpbar_enable(!c.enemy_hpbar_enable()); break;
    case tarv_feature::exp_display: c.set_exp_display(!c.exp_display()); break;
    case tarv_feature::fkey_button_display: c.set_fkey_button_display(!c.fkey_button_display()); break;
    case tarv_feature::popup_display: c.set_popup_display(!c.popup_display()); break;
    case tarv_feature::mw_scrollbar_enable: c.set_mw_scrollbar_enable(!c.mw_scrollbar_enable()); break;
    }
}

// tarv_command_host

void tarv_mw::request_shutdown()
{
    system_shutdown_handler(this);
}

void tarv_mw::main_clear()
{
    main_display->clear_display();
    display_changed_ = true;
}

void tarv_mw::main_debug_fill()
{
    main_display->text.debug_fill();
    display_changed_ = true;
}

bool tarv_mw::password_mode() const
{
    return command_line_ && command_line_->is_password_mode();
}

std::string tarv_mw::history_listing() const
{
    return command_line_ ? command_line_->history_listing() : std::string();
}

bool tarv_mw::local_echo() const
{
    return TConfig::instance().local_echo() != 0;
}

bool tarv_mw::cmd_separator() const
{
    return TConfig::instance().cmd_separator() != 0;
}

const char* tarv_mw::launcher_version_text() const
{
    return launcher_version;
}

void tarv_mw::dispatch_tag(const char* name, const char* data, int length)
{
    process_tagged_data(*this, name, data, length);
}

// tarv_tag_host

tarv_tag_settings tarv_mw::tag_settings() const
{
    const TConfig& c = TConfig::instance();
    tarv_tag_settings s;
    s.status_bar = c.status_bar() != 0;
    s.sky_bar = c.sky_bar() != 0;
    s.hpbar_enable = c.hpbar_enable() != 0;
    s.exp_display = c.exp_display() != 0;
    s.enemy_hpbar_enable = c.enemy_hpbar_enable() != 0;
    s.colorflash_enable = c.colorflash_enable() != 0;
    s.system_audio_enable = c.GetSystemAudio() != 0;
    return s;
}

void tarv_mw::switch_character_config(const char* name)
{
    // Re-ticks, re-themes and re-lays out through character_config_changed,
    // then makes the process fonts follow the record.
    ::switch_character_config(name);
    apply_text_font();
    apply_button_fonts();
}

void tarv_mw::clear_password_mode()
{
    if (command_line_) command_line_->clear_password_mode();
}

void tarv_mw::set_uuid(const char* text)
{
    ::set_uuid(text);
}

tarv_ansi_display& tarv_mw::main_text_display()
{
    return *main_display;
}

void tarv_mw::redraw_status_display()
{
    status_display->Refresh();
}

void tarv_mw::redraw_status_bar()
{
    status_bar->Refresh();
}

void tarv_mw::show_status_display(bool shown)
{
    status_display->Show(shown);
}

void tarv_mw::clear_status_display_enemy_flag()
{
    status_display->set_bars(status_display->show_hp_bars != 0, status_display->show_exp != 0, false);
}

void tarv_mw::sky_state(const char* data)
{
    status_bar->update_sky_display(data);
}
