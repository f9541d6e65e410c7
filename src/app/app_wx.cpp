// The application object: start-up in its fixed order, and exit.
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/display.h>

#include "app/app_wx.h"
#include "app/mw_frame_wx.h"
#include "app/startup.h"
#include "audio/soundpack.h"
#include "config/config.h"
#include "draw/font.h"
#include "draw/font_wx.h"
#include "draw/images_wx.h"
#include "draw/theme.h"
#include "net/tcp_socket.h"
#include "support/debug_log.h"

int screen_width = 0;
int screen_height = 0;


bool tarv_app::OnInit()
{
    if (!tarv_boot_early()) std::exit(1);

    create_themes();
    tarv_load_builtin_images_wx();
    tarv_install_wx_glyph_rasterizer();
    tarv_create_fonts();
    load_system_config();

    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.emplace_back(argv[i].utf8_str());
    std::vector<const char*> arg_pointers;
    for (const auto& a : args) arg_pointers.push_back(a.c_str());
    const tarv_launch_options options = tarv_parse_command_line(argc, arg_pointers.data());
    TConfig& config = TConfig::instance();
    if (!options.host.empty()) config.set_game_host_override(options.host.c_str());
    if (options.port > 0) config.set_game_port_override(options.port);
    if (!options.soundpack_host.empty()) config.set_soundpack_host_override(options.soundpack_host.c_str());
    if (!options.ca_file.empty()) tarv_ssl_trust_authorities(options.ca_file.c_str());

    switch_themes(config.current_theme(), config.current_background_theme());

    auto* frame = new tarv_mw_frame("Karthem", wxDefaultPosition, wxSize(984, 728));
    frame->Show(true);
    SetTopWindow(frame);
    // The toolkit wakes its loop for these and calls back on the main
    // thread, so an idle window starts the orderly exit at once.
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) SetSignalHandler(sig, tarv_shutdown_signal_arrived);

    int display_index = wxDisplay::GetFromWindow(frame);
    wxRect area = wxDisplay(display_index == wxNOT_FOUND ? 0u : static_cast<unsigned>(display_index)).GetClientArea();
    screen_width = area.width;
    screen_height = area.height;
    if (screen_width < 1) {
        TARV_LOG(1, "Error in OnInit(), got bogus screen/display xsize of %d.  Setting to 640.\n", screen_width);
        screen_width = 640;
    }
    if (screen_height < 1) {
        TARV_LOG(1, "Error in OnInit(), got bogus screen/display ysize of %d.  Setting to 480.\n", screen_height);
        screen_height = 480;
    }
    TARV_LOG(2, "OnInit(), got screen/display size of %d, %d.\n", screen_width, screen_height);
    tarv_soundpack::start_updater(config.soundpack_host());
    return true;
}

int tarv_app::OnExit()
{
    TARV_LOG(2, "--------------------------- PROGRAM EXIT --------------------------\n");
    return 0;
}
