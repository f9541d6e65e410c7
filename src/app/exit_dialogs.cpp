// Which question to ask before the program ends or the connection drops,
// and what each answer sends. The dialogs themselves are toolkit windows.
#include "app/mw.h"
#include "support/debug_log.h"

namespace {

// Logs the character off: the server receives every line in this order.
void send_logoff(tarv_mw& mw, const char* quit, bool echo_last)
{
    mw.process_command("", false);
    mw.process_command("recall", false);
    mw.process_command(quit, false);
    mw.process_command("recall", false);
    mw.process_command(quit, echo_last);
}

}  // namespace

void tarv_mw::verify_program_exit()
{
    TARV_LOG(2, "tarv_mw::verify_program_exit()\n");
    const bool connected = connection.is_connected();
    if (connected && play_state_ == CREATING_CHARACTER) {
        TARV_LOG(2, "tarv_mw::verify_program_exit() - raising dialog for newbie create mode\n");
        view_->show_exit_dialog(tarv_exit_dialog::newbie_quit);
    } else if (connected && play_state_ == PLAYING) {
        process_command("quit -check", false);
        view_->show_exit_dialog(tarv_exit_dialog::pgm_exit);
    } else {
        system_shutdown_handler(this);
    }
}

void tarv_mw::menu_file_save_and_quit()
{
    TARV_LOG(2, "tarv_mw::menu_file_save_and_quit()\n");
    if (connection.is_connected() && play_state_ == CREATING_CHARACTER)
        view_->show_exit_dialog(tarv_exit_dialog::newbie_quit);
    else if (connection.is_connected() && play_state_ == PLAYING)
        view_->show_exit_dialog(tarv_exit_dialog::save_quit);
    else
        system_shutdown_handler(this);
}

void tarv_mw::verify_disconnect()
{
    TARV_LOG(2, "tarv_mw::verify_disconnect\n");
    if (!connection.is_connected()) return;
    view_->show_exit_dialog(play_state_ == CREATING_CHARACTER ? tarv_exit_dialog::newbie_disconnect
                                                              : tarv_exit_dialog::disconnect);
}

void tarv_mw::exit_dialog_choice(tarv_exit_dialog dialog, tarv_dialog_button button)
{
    if (button == tarv_dialog_button::cancel) return;
    const bool ok = button == tarv_dialog_button::ok;
    switch (dialog) {
    case tarv_exit_dialog::save_quit:
        if (!ok) return;
        TARV_LOG(2, "tarv_save_quit_dialog::logoff_handler()\n");
        send_logoff(*this, "quit -f", false);
        return;
    case tarv_exit_dialog::pgm_exit:
        if (ok) {
            TARV_LOG(2, "tarv_pgm_exit_dialog::logoff_handler()\n");
            send_logoff(*this, "quit -f", false);
        } else {
            TARV_LOG(2, "tarv_pgm_exit_dialog::quit_handler()\n");
            system_shutdown_handler(this);
        }
        return;
    case tarv_exit_dialog::disconnect:
        if (ok) {
            TARV_LOG(2, "tarv_disconnect_dialog::logoff_handler()\n");
            send_logoff(*this, "quit", true);
        } else {
            TARV_LOG(2, "tarv_disconnect_dialog::disconnect_handler()\n");
            process_command("//disconnect", false);
        }
        return;
    case tarv_exit_dialog::newbie_disconnect:
        if (!ok) return;
        TARV_LOG(2, "tarv_newbie_disconnect_dialog::disconnect_handler()\n");
        process_command("//disconnect", false);
        return;
    case tarv_exit_dialog::newbie_quit:
        if (!ok) return;
        TARV_LOG(2, "tarv_newbie_quit_dialog::quit_handler()\n");
        system_shutdown_handler(this);
        return;
    }
}
