// Selecting in a real display window puts the text into the X11 primary
// selection, where another program reads it back.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include <wx/evtloop.h>
#include <wx/frame.h>

#include "text/ansi_display_wx.h"
#include "text/clipboard.h"
#include "text_test_util.h"

extern char** environ;

namespace {

// Runs `xclip -o -selection primary` and serves the selection requests it
// makes to this process while it runs; nullopt-like false when it failed.
bool read_primary_with_xclip(std::string& out)
{
    int fds[2];
    if (pipe(fds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    char arg0[] = "xclip", arg1[] = "-o", arg2[] = "-selection", arg3[] = "primary";
    char* argv[] = {arg0, arg1, arg2, arg3, nullptr};
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, "xclip", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        return false;
    }
    fcntl(fds[0], F_SETFL, O_NONBLOCK);
    wxGUIEventLoop loop;
    wxEventLoopActivator activate(&loop);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    int status = 0;
    bool done = false;
    while (!done && std::chrono::steady_clock::now() < deadline) {
        while (loop.Pending()) loop.Dispatch();
        char buffer[256];
        ssize_t n;
        while ((n = read(fds[0], buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<std::size_t>(n));
        done = waitpid(pid, &status, WNOHANG) == pid;
        if (!done) usleep(2000);
    }
    char buffer[256];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<std::size_t>(n));
    close(fds[0]);
    if (!done) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void send_mouse(wxWindow* window, wxEventType type, int x, int y, bool left_held)
{
    wxMouseEvent event(type);
    event.SetEventObject(window);
    event.SetId(window->GetId());
    event.m_x = x;
    event.m_y = y;
    event.m_leftDown = left_held;
    window->GetEventHandler()->ProcessEvent(event);
}

TEST(SelectionWx, DraggingInADisplayFillsThePrimarySelection)
{
    auto font = make_test_font(10, 12);
    auto* frame = new wxFrame(nullptr, wxID_ANY, "selection test", wxDefaultPosition, wxSize(400, 300));
    auto* display = new tarv_ansi_display(font.get(), 0, 0, 300, 204);
    auto* host = new tarv_ansi_display_host(frame, display, true);
    frame->Show();
    // Line 0 wraps after its blank (no newline), line 1 ends with one.
    std::string lines = std::string(20, 'x') + " abcdefgh ijk\nnopqrs\ntuvw";
    display->process_ansi_text(lines.data(), lines.size());
    display->refresh_display();
    const int w = display->text.width();
    ASSERT_GT(w, 220);
    ASSERT_EQ(display->dump_lines().size(), 4u);
    wxWindow* text = host->text_host();
    const int h = display->text.height();
    auto row = [&](int line) { return h - 12 - (display->text.display_line - line) * 12 + 4; };

    struct drag_case {
        const char* name;
        int line1, offset1, line2, offset2;
        std::string copied;
    };
    const std::string first = display->dump_lines()[0];
    const std::string second = display->dump_lines()[1];
    const drag_case cases[] = {
        {"inside one line", 2, 1, 2, 3, "opq"},
        {"one character", 2, 4, 2, 4, "r"},
        {"across a complete line", 1, 1, 2, 1, second.substr(1) + "\nno"},
        {"across a wrapped line", 0, 19, 1, 1, first.substr(19) + second.substr(0, 2)},
    };
    for (const auto& c : cases) {
        int x1 = 10 * c.offset1 + 5, x2 = 10 * c.offset2 + 5;
        send_mouse(text, wxEVT_LEFT_DOWN, x1, row(c.line1), true);
        // Out and back again, so a one-character drag counts as a drag.
        send_mouse(text, wxEVT_MOTION, x2 + 40, row(c.line2), true);
        send_mouse(text, wxEVT_MOTION, x2, row(c.line2), true);
        send_mouse(text, wxEVT_LEFT_UP, x2, row(c.line2), false);
        EXPECT_TRUE(display->text.has_selection()) << c.name;
        std::string own;
        EXPECT_EQ(get_clipboard_data(own), 1) << c.name;
        EXPECT_EQ(own, c.copied) << c.name;
        std::string read_back;
        EXPECT_TRUE(read_primary_with_xclip(read_back)) << c.name;
        EXPECT_EQ(read_back, c.copied) << c.name;
    }
    EXPECT_FALSE(text->HasCapture());
    frame->Destroy();
}

}  // namespace
