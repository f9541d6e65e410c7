// Ctrl+C and Shift+Insert against the real X11 selections: what the command
// line copies is read back by another program, and what another program
// put into the CLIPBOARD is pasted.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include <wx/evtloop.h>

#include "../input/input_fakes.h"
#include "app/app_test_util.h"
#include "app/mw.h"
#include "config/config.h"
#include "input/command_line.h"
#include "text/clipboard.h"
#include "text/clipboard_wx.h"
#include "panels/popup_manager.h"
#include "text/main_window.h"

extern char** environ;

namespace {

// Runs xclip with the arguments and serves the
// selection requests it makes to this process while it runs.
bool run_xclip(std::vector<std::string> args, std::string& out)
{
    int out_pipe[2], in_pipe[2];
    if (pipe(out_pipe) != 0) return false;
    if (pipe(in_pipe) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, in_pipe[0], 0);
    posix_spawn_file_actions_addclose(&actions, out_pipe[0]);
    posix_spawn_file_actions_addclose(&actions, in_pipe[1]);
    args.insert(args.begin(), "xclip");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, "xclip", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out_pipe[1]);
    close(in_pipe[0]);
    if (rc != 0) {
        close(out_pipe[0]);
        close(in_pipe[1]);
        return false;
    }
    close(in_pipe[1]);
    fcntl(out_pipe[0], F_SETFL, O_NONBLOCK);
    wxGUIEventLoop loop;
    wxEventLoopActivator activate(&loop);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    int status = 0;
    bool done = false;
    char buffer[256];
    ssize_t n;
    while (!done && std::chrono::steady_clock::now() < deadline) {
        while (loop.Pending()) loop.Dispatch();
        while ((n = read(out_pipe[0], buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<std::size_t>(n));
        done = waitpid(pid, &status, WNOHANG) == pid;
        if (!done) usleep(2000);
    }
    while ((n = read(out_pipe[0], buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<std::size_t>(n));
    close(out_pipe[0]);
    if (!done) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Serves `text` as the selection from another process, in the foreground
// so that it never outlives the test (a background xclip would keep the
// test's output open and its runner waiting).
struct xclip_owner {
    pid_t pid = 0;
    xclip_owner(const char* selection, const std::string& text)
    {
        int in_pipe[2];
        if (pipe(in_pipe) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in_pipe[0], 0);
        posix_spawn_file_actions_addclose(&actions, in_pipe[1]);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        std::string sel = selection;
        char arg0[] = "xclip", arg1[] = "-quiet", arg2[] = "-i", arg3[] = "-selection";
        char* argv[] = {arg0, arg1, arg2, arg3, sel.data(), nullptr};
        if (posix_spawnp(&pid, "xclip", &actions, nullptr, argv, environ) != 0) pid = 0;
        posix_spawn_file_actions_destroy(&actions);
        close(in_pipe[0]);
        (void)!write(in_pipe[1], text.data(), text.size());
        close(in_pipe[1]);
    }
    ~xclip_owner()
    {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
    }
};

std::string read_selection(const char* which)
{
    std::string out;
    EXPECT_TRUE(run_xclip({"-o", "-selection", which}, out)) << which;
    return out;
}

// A main window without a frame; the clipboard is the real one.
class clipboard_view : public tarv_mw_view {
public:
    void focus_input() override {}
    void destroy_window() override {}
    void force_exit(int) override {}
    void set_title(const char*) override {}
    void ring_bell() override {}
};

tarv_key_event ctrl(int code) { return {code, true, false, false, false}; }

struct ClipboardWx : testing::Test {
    clipboard_view view;
    tarv_mw mw{&view};
    fake_edit edit;
    tarv_command_line line{edit, &mw};

    void SetUp() override
    {
        tarv_install_wx_clipboard();
        TConfig::instance().setup_default_config(nullptr);
        mw.main_display->print_text("first line\nthe second line\nthird\n");
        mw.main_display->refresh_display();
    }
};

TEST_F(ClipboardWx, CtrlCCopiesTheDisplaySelectionToTheClipboardAndKeepsThePrimary)
{
    tarv_textctrl& text = mw.main_display->text;
    text.selection_anchor = {1, 4};
    text.selection_point = {2, 2};
    text.selection_active = 1;
    text.normalize_selection();  // the primary selection, as a drag leaves it
    const std::string selected = "second line\nthi";
    ASSERT_EQ(read_selection("primary"), selected);

    line.on_key_down(ctrl('C'));
    line.on_key_up();
    EXPECT_FALSE(text.has_selection());
    EXPECT_TRUE(outgoing(mw).empty());  // no break sent
    EXPECT_EQ(read_selection("clipboard"), selected);
    EXPECT_EQ(read_selection("primary"), selected);

    // From the command line, Ctrl+C copies into both.
    edit.set_value("north and south");
    edit.set_selection(10, 15);
    line.on_key_down(ctrl('C'));
    line.on_key_up();
    EXPECT_EQ(edit.text, "north and south");
    EXPECT_EQ(read_selection("clipboard"), "south");
    EXPECT_EQ(read_selection("primary"), "south");
}

TEST_F(ClipboardWx, CtrlCCopiesAPopupWindowsSelection)
{
    mw.popup_manager->create_window("Score\nScore Sheet\n30 4\n\n\n");
    tarv_ansi_display* popup = mw.popup_manager->find_popup_window("Score");
    ASSERT_NE(popup, nullptr);
    popup->print_text("Strength 18\nWisdom 12\n");
    tarv_textctrl& text = popup->text;
    text.selection_anchor = {1, 0};
    text.selection_point = {1, 5};
    text.selection_active = 1;
    text.normalize_selection();
    line.on_key_down(ctrl('C'));
    line.on_key_up();
    EXPECT_FALSE(text.has_selection());
    EXPECT_TRUE(outgoing(mw).empty());
    EXPECT_EQ(read_selection("clipboard"), "Wisdom");
}

TEST_F(ClipboardWx, ShiftInsertPastesWhatAnotherProgramPutIntoTheClipboard)
{
    xclip_owner board("clipboard", "look");
    ASSERT_GT(board.pid, 0);
    // It takes the selection a moment after it starts.
    for (int i = 0; i < 500 && read_selection("clipboard") != "look"; ++i) usleep(2000);
    edit.set_value("go ");
    // The toolkit waits for another program's answer inside the running loop.
    wxGUIEventLoop loop;
    wxEventLoopActivator activate(&loop);
    EXPECT_TRUE(line.on_key_down(tarv_key_event{tarv_key::INSERT, false, true, false, false}));
    line.on_key_up();
    EXPECT_EQ(edit.text, "go look");
    // Ctrl+V still pastes the primary selection, not the CLIPBOARD.
    ::set_clipboard_data("north");
    line.on_key_down(ctrl('V'));
    line.on_key_up();
    EXPECT_EQ(edit.text, "go looknorth");
    // Nor does the primary selection of another program, which offers
    // only UTF-8 text, paste as nothing.
    xclip_owner primary("primary", " east");
    ASSERT_GT(primary.pid, 0);
    for (int i = 0; i < 500 && read_selection("primary") != " east"; ++i) usleep(2000);
    line.on_key_down(ctrl('V'));
    line.on_key_up();
    EXPECT_EQ(edit.text, "go looknorth east");
}

}  // namespace
