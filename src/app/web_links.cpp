#include "app/web_links.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "app/mw.h"
#include "config/config.h"
#include "support/debug_log.h"
#include "text/main_window.h"

extern char** environ;

char pending_url[1024] = "";
int pending_url_flag = 0;

namespace {

const tarv_web_link web_links[] = {
    {79, false, "/?ts", "\nOpening the main Karthem web page in your browser..."},
    {80, false, "/forum", "\nOpening the Karthem Player Forums in your browser..."},
    {81, false, "/guides?ts", "\nOpening the Karthem Player Guides page in your browser..."},
    {82, true, ":8080/help", "\nOpening the help page search engine in your browser..."},
    {83, false, "/maps?ts", "\nOpening the Karthem Maps page in your web browser..."},
    {84, true, ":8080/shops", "\nOpening the Karthem Stores and Shops page in your web browser..."},
    {85, true, ":8080/spells", "\nOpening the Karthem Spells and Skills page in your web browser..."},
    {86, false, "/quests?ts", "\nOpening the Karthem Quest Guides in your web browser..."},
    {87, true, ":8080/areas", "\nOpening the Karthem Area list in your web browser..."},
    {88, true, ":8080/rules", "\nOpening the Karthem Rules in your web browser..."},
    {89, true, ":8080/commands", "\nOpening the Karthem Command list in your web browser..."},
    {90, true, ":8080/socials", "\nOpening the Karthem Social list in your web browser..."},
    {91, true, ":8080/faq", "\nOpening the Karthem FAQ in your web browser..."},
    {92, true, ":8080/changes", "\nOpening the Karthem Changelog in your web browser..."},
};

// Browsers started and not yet collected.
std::vector<pid_t> browsers;

void reap_browsers()
{
    for (std::size_t i = 0; i < browsers.size();) {
        pid_t r = waitpid(browsers[i], nullptr, WNOHANG);
        if (r == 0) {
            ++i;
            continue;
        }
        // Ended, or not ours to wait for any more.
        browsers[i] = browsers.back();
        browsers.pop_back();
    }
}

bool has_scheme(const char* url)
{
    const char* p = url;
    if (!((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z'))) return false;
    while ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') || (*p >= '0' && *p <= '9') || *p == '+' ||
           *p == '-' || *p == '.')
        ++p;
    return std::strncmp(p, "://", 3) == 0;
}

// The browser process: its own session, default signal handling, no input.
int spawn_browser(const char* program, const std::string& argument, pid_t* pid)
{
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);  // ignored here, not in the browser
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
#ifdef POSIX_SPAWN_SETSID
    flags |= POSIX_SPAWN_SETSID;
#endif
    posix_spawnattr_setflags(&attributes, flags);
    std::string name = program;
    std::string arg = argument;
    char* argv[] = {name.data(), arg.data(), nullptr};
    int rc = posix_spawnp(pid, program, &actions, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return rc;
}

}  // namespace

const tarv_web_link* tarv_find_web_link(int id)
{
    for (const auto& link : web_links)
        if (link.id == id) return &link;
    return nullptr;
}

std::string tarv_web_link_url(const tarv_web_link& link)
{
    const TConfig& c = TConfig::instance();
    return std::string("http://") + (link.help_server ? c.help_server_host() : c.web_site_host()) + link.path;
}

bool launch_browser(tarv_mw& mw, const char* url)
{
    if (!url) url = "";
    reap_browsers();
    const char* program = TConfig::instance().browser();
    // The address is one argument that starts with its scheme, so the
    // browser can never take it for one of its options.
    std::string argument = has_scheme(url) ? std::string(url) : std::string("http://") + url;
    pid_t pid = 0;
    int rc = *url ? spawn_browser(program, argument, &pid) : EINVAL;
    if (rc == 0) {
        TARV_LOG(2, "launch_browser() - started '%s' on '%s'.\n", program, argument.c_str());
        browsers.push_back(pid);
        return true;
    }
    TARV_LOG(2, "Warning in launch_browser(), unable to start '%s': %s.\n", program, std::strerror(rc));
    mw.queue_pending_message("\n");
    mw.queue_pending_message("\n");
    mw.queue_pending_message(
        "Sorry, but I can't seem invoke the FireFox browser.  This is the only browser I currently trust.\n");
    mw.queue_pending_message("You can try to get to the link manually by going to:\n");
    mw.queue_pending_message("\n");
    mw.queue_pending_message(url);
    mw.queue_pending_message("\n");
    mw.queue_pending_message("\n");
    return false;
}

void open_url(tarv_mw& mw, const char* url)
{
    (void)mw;
    std::size_t n = url ? std::min(std::strlen(url), sizeof pending_url - 1) : 0;
    if (n) std::memcpy(pending_url, url, n);
    pending_url[n] = 0;
    TARV_LOG(2, "open_url() - '%s'.\n", pending_url);
    pending_url_flag = 1;
}

void launch_pending_url(tarv_mw& mw)
{
    if (pending_url_flag) {
        pending_url_flag = 0;
        launch_browser(mw, pending_url);
    }
    if (!browsers.empty()) reap_browsers();
}

bool open_web_link(tarv_mw& mw, int id)
{
    const tarv_web_link* link = tarv_find_web_link(id);
    if (!link) return false;
    std::string url = tarv_web_link_url(*link);
    if (!launch_browser(mw, url.c_str())) return true;  // the sorry text follows at the next tick
    mw.begin_client_message();
    mw.main_print_text("\n");
    mw.main_print_text(link->message);
    mw.main_print_text("\n");
    mw.main_refresh();
    return true;
}

bool tarv_logo_hit(const tarv_logo_block& b, int x, int y)
{
    return x > b.x && x < b.x + b.width && y > b.y && y < b.y + b.height;
}

bool logo_click(tarv_mw& mw, const tarv_logo_block& block, int x, int y)
{
    if (!tarv_logo_hit(block, x, y)) return false;
    return open_web_link(mw, 79);
}
