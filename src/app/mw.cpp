#include "app/mw.h"

#include "app/startup.h"
#include "draw/embedded_window.h"
#include "support/debug_log.h"

tarv_mw* mw_instance = nullptr;
int mw_ready = 0;
int refocus_pending = 0;
int prompt_flush_count = 0;

tarv_mw::tarv_mw(tarv_mw_view* view) : view_(view)
{
    mw_instance = this;
}

tarv_mw::~tarv_mw()
{
    if (mw_instance == this) mw_instance = nullptr;
    mw_ready = 0;
}

void system_shutdown_handler(tarv_mw* mw)
{
    TARV_LOG(2, "tarv_mw system_shutdown_handler.\n");
    if (mw) mw->exit_countdown = 10;
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

    run_animations(20);

    if (pending_message_flag) {
        // Printed by the main display once it exists.
        pending_message.clear();
        pending_message_length = 0;
        pending_message_flag = 0;
    }

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

void tarv_mw::orderly_exit()
{
    TARV_LOG(2, "tarv_mw::shutdown - requested exit\n");
    save_configuration();
    view_->destroy_window();
}

void tarv_mw::on_ping_timer()
{
}

void tarv_mw::on_save_timer()
{
    save_configuration();
}

void tarv_mw::save_configuration()
{
}

bool tarv_mw::on_close_request(bool can_veto)
{
    if (exit_countdown != 1 && can_veto) {
        verify_program_exit();
        return false;
    }
    save_configuration();
    return true;
}

void tarv_mw::verify_program_exit()
{
    TARV_LOG(2, "tarv_mw::verify_program_exit()\n");
    system_shutdown_handler(this);
}

void tarv_mw::queue_pending_message(const char* text)
{
    pending_message.append(text);
    pending_message_length = pending_message.length;
    pending_message_flag = 1;
}
