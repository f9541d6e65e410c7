// The game's web pages: the menu links, the logo click, addresses clicked in
// the game text, and starting the browser on them.
#pragma once

#include <string>

#include "draw/main_background.h"

class tarv_mw;

struct tarv_web_link {
    int id;               // the menu item's id
    bool help_server;     // on help_server_host (port 8080), else web_site_host
    const char* path;     // after the host
    const char* message;  // printed once the browser was started
};

// nullptr for an id without a link.
const tarv_web_link* tarv_find_web_link(int id);
// "http://" followed by the host and the path.
std::string tarv_web_link_url(const tarv_web_link& link);

// Starts the browser (firefox, or the system file's `browser`) on the URL as
// its one argument, without a shell and without waiting for it. False when
// it could not be started; the sorry text with the URL is then queued for the
// next tick.
bool launch_browser(tarv_mw& mw, const char* url);
// A link clicked in the game text: the next tick starts the browser on it.
void open_url(tarv_mw& mw, const char* url);
// A menu link: starts the browser and says so. False for an id without a link.
bool open_web_link(tarv_mw& mw, int id);
// The logo block's click: strictly inside it, the web site opens.
bool tarv_logo_hit(const tarv_logo_block& block, int x, int y);
bool logo_click(tarv_mw& mw, const tarv_logo_block& block, int x, int y);

// The tick's step: starts the browser on a waiting URL and collects the
// browsers that have ended.
void launch_pending_url(tarv_mw& mw);

// The URL waiting for the next tick, at most 1023 characters.
extern char pending_url[1024];
extern int pending_url_flag;
