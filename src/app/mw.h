// The main window's core: play state, the tick and the orderly exit. The
// toolkit frame (mw_frame_wx) owns one and forwards its timers, close
// requests and focus to it; everything here runs without a display.
#pragma once

#include "support/text_buffer.h"

enum tarv_play_state { NOT_PLAYING = 0, CREATING_CHARACTER = 1, PLAYING = 2, LOGGED_OFF = 3 };

// What the core asks of the toolkit window.
class tarv_mw_view {
public:
    virtual ~tarv_mw_view() = default;
    virtual void focus_input() = 0;
    virtual void destroy_window() = 0;
    virtual void force_exit(int status) = 0;
    virtual void set_title(const char* title) = 0;
    virtual void ring_bell() = 0;
};

class tarv_mw {
public:
    explicit tarv_mw(tarv_mw_view* view);
    ~tarv_mw();
    tarv_mw(const tarv_mw&) = delete;
    tarv_mw& operator=(const tarv_mw&) = delete;

    // Timers: the 20 ms tick, the 15 s ping and the 5 minute save.
    void OnTimer();
    void on_ping_timer();
    void on_save_timer();
    // The window manager's close request; true when the window may close.
    bool on_close_request(bool can_veto);
    void verify_program_exit();

    // Queues a client message for the next tick.
    void queue_pending_message(const char* text);

    void save_configuration();

    int exit_countdown = 0;
    int status_dirty = 0;
    int play_state = NOT_PLAYING;
    tarv_text_buffer pending_message;
    int pending_message_length = 0;
    int pending_message_flag = 0;

    tarv_mw_view* view() const { return view_; }

private:
    void orderly_exit();

    tarv_mw_view* view_;
};

extern tarv_mw* mw_instance;
extern int mw_ready;
extern int refocus_pending;
extern int prompt_flush_count;

// The one way the client's own commands and dialogs end the program.
void system_shutdown_handler(tarv_mw* mw);
