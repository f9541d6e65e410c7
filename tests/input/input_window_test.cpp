#include "input/input_window.h"

#include <gtest/gtest.h>

#include "draw/bitmap.h"
#include "draw/color.h"

namespace {

struct recording_peer : tarv_window_peer {
    int x = -100, y = -100, width = -100, height = -100;
    int refreshes = 0;
    int focus_requests = 0;
    void peer_refresh() override { ++refreshes; }
    void peer_move_resize(int nx, int ny, int w, int h) override
    {
        x = nx;
        y = ny;
        width = w;
        height = h;
    }
    void peer_show(bool) override {}
    void peer_set_focus() override { ++focus_requests; }
};

TEST(InputWindow, PlacesTheCommandLineInsideTheFrame)
{
    struct size_case {
        int width, height;
        int edit_width, edit_height;
    };
    const size_case cases[] = {{200, 48, 196, 46}, {5, 3, 1, 1}, {1, 1, 1, 1}};
    for (const auto& c : cases) {
        tarv_input_window window(0, 0, 10, 10);
        recording_peer edit;
        window.set_edit_peer(&edit);
        window.set_size(c.width, c.height);
        EXPECT_EQ(edit.x, 2);
        EXPECT_EQ(edit.y, 1);
        EXPECT_EQ(edit.width, c.edit_width) << c.width;
        EXPECT_EQ(edit.height, c.edit_height) << c.height;
    }
}

TEST(InputWindow, AttachingTheEntryPlacesItAtOnce)
{
    tarv_input_window window(0, 0, 100, 40);
    recording_peer edit;
    window.set_edit_peer(&edit);
    EXPECT_EQ(edit.width, 96);
    EXPECT_EQ(edit.height, 38);
}

TEST(InputWindow, FocusGoesOnToTheCommandLine)
{
    tarv_input_window window(0, 0, 100, 40);
    window.on_focus();  // no command line yet: nothing to do
    recording_peer edit;
    window.set_edit_peer(&edit);
    window.on_focus();
    EXPECT_EQ(edit.focus_requests, 1);
}

TEST(InputWindow, FrameUsesDefaultEdgesAndBlinks)
{
    tarv_input_window window(0, 0, 40, 20);
    tarv_bitmap& s = window.surface();
    const int mid = 10;

    window.render(s);
    EXPECT_EQ(s.GetPixel(0, mid), color_white);
    EXPECT_EQ(s.GetPixel(1, mid), color_grey);
    EXPECT_EQ(s.GetPixel(39, mid), color_white);
    EXPECT_EQ(s.GetPixel(20, 0), color_white);
    EXPECT_EQ(s.GetPixel(20, 19), color_white);
    EXPECT_EQ(s.GetPixel(20, mid), color_black);

    window.flash_remaining = 15;
    window.render(s);
    EXPECT_EQ(s.GetPixel(0, mid), color_white);
    EXPECT_EQ(s.GetPixel(1, mid), color_white);

    window.flash_remaining = 14;
    window.render(s);
    EXPECT_EQ(s.GetPixel(0, mid), color_black);
    EXPECT_EQ(s.GetPixel(20, 0), color_black);
}

TEST(InputWindow, FlashEndsAfterSixteenSteps)
{
    tarv_input_window window(0, 0, 40, 20);
    window.start_flash();
    int ticks = 0;
    while (window.animation_callback(20) && ticks < 1000) ++ticks;
    EXPECT_EQ(window.flash_remaining, 0);
    EXPECT_EQ(ticks + 1, 16 * 200 / 20);
    window.render(window.surface());
    EXPECT_EQ(window.surface().GetPixel(1, 10), color_grey);
}

}  // namespace
