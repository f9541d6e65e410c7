// Entry point for tests that need the toolkit: brings wx up without an event
// loop, then runs the tests. Needs a display (the test command runs Xvfb).
#include <gmock/gmock.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>

int main(int argc, char** argv)
{
    testing::InitGoogleMock(&argc, argv);
    // Without an application object of its own the toolkit starts a console
    // one and never opens the display.
    if (!wxApp::GetInitializerFunction())
        wxApp::SetInitializerFunction([]() -> wxAppConsole* { return new wxApp; });
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "wx_test_main: the toolkit did not start (no display?)\n");
        return 1;
    }
    wxInitAllImageHandlers();
    int rc = RUN_ALL_TESTS();
    wxEntryCleanup();
    return rc;
}
