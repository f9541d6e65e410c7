#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "draw/embedded_window.h"
#include "draw/transparent_window.h"
#include "draw_test_util.h"

namespace {

struct fake_peer : tarv_window_peer {
    void peer_refresh() override { ++refreshes; }
    void peer_move_resize(int x, int y, int w, int h) override { moves.push_back({x, y, w, h}); }
    void peer_show(bool s) override { shows.push_back(s); }
    void peer_set_focus() override { ++focus; }
    void peer_core_destroyed() override { ++destroyed; }
    int refreshes = 0;
    std::vector<std::vector<int>> moves;
    std::vector<bool> shows;
    int focus = 0;
    int destroyed = 0;
};

class test_panel : public tarv_embedded_window {
public:
    using tarv_embedded_window::tarv_embedded_window;
    void update_content(bool rebuild) override { updates.push_back(rebuild); }
    void render(tarv_bitmap& surface) override
    {
        ++renders;
        surface.Clear(color_green);
    }
    bool animation_callback(int elapsed_ms) override
    {
        ++callbacks;
        elapsed_total += elapsed_ms;
        if (on_callback) return on_callback();
        return keep;
    }
    std::vector<bool> updates;
    int renders = 0;
    int callbacks = 0;
    int elapsed_total = 0;
    bool keep = true;
    std::function<bool()> on_callback;
};

// Flashes through the base class's step; everything else as test_panel.
class flashing_panel : public test_panel {
public:
    using test_panel::test_panel;
    bool animation_callback(int elapsed_ms) override { return flash_step(elapsed_ms); }
};

}  // namespace

TEST(EmbeddedWindow, SizesBelowOneAreRaised)
{
    fake_peer peer;
    test_panel p(0, 0, 0, 0);
    EXPECT_EQ(p.surface().GetWidth(), 1);
    EXPECT_EQ(p.surface().GetHeight(), 1);
    p.attach_peer(&peer);
    p.set_size(0, 5);
    EXPECT_EQ(p.width(), 1);
    EXPECT_EQ(p.height(), 5);
    EXPECT_EQ(p.surface().GetWidth(), 1);
    EXPECT_EQ(p.surface().GetHeight(), 5);
    ASSERT_EQ(peer.moves.size(), 1u);
    EXPECT_EQ(peer.moves[0], (std::vector<int>{-1, -1, 1, 5}));
    EXPECT_EQ(p.updates, (std::vector<bool>{true}));
    p.set_geometry(3, 4, -7, -9);
    EXPECT_EQ(peer.moves.back(), (std::vector<int>{3, 4, 1, 1}));
}

TEST(EmbeddedWindow, MoveWithoutResizeKeepsTheSurface)
{
    fake_peer peer;
    test_panel p(0, 0, 30, 20);
    p.attach_peer(&peer);
    tarv_bitmap* before = &p.surface();
    p.set_geometry(5, 6, 30, 20);
    EXPECT_EQ(&p.surface(), before);
    EXPECT_EQ(p.updates, (std::vector<bool>{false}));
    EXPECT_EQ(p.x(), 5);
    EXPECT_EQ(p.y(), 6);
    EXPECT_EQ(peer.moves.back(), (std::vector<int>{5, 6, 30, 20}));

    p.set_size(31, 20);
    EXPECT_EQ(p.updates.back(), true);
    EXPECT_EQ(p.surface().GetWidth(), 31);
    EXPECT_EQ(p.x(), 5);
    p.rebuild();
    EXPECT_EQ(p.updates.back(), true);
    EXPECT_EQ(p.updates.size(), 3u);
}

TEST(EmbeddedWindow, PaintRendersOnlyWhenShown)
{
    fake_peer peer;
    test_panel p(0, 0, 4, 3);
    p.attach_peer(&peer);
    const tarv_bitmap* s = p.paint();
    ASSERT_EQ(s, &p.surface());
    EXPECT_EQ(p.renders, 1);
    EXPECT_EQ(s->GetPixel(3, 2), color_green);
    p.Show(false);
    EXPECT_EQ(peer.shows, (std::vector<bool>{false}));
    EXPECT_EQ(p.paint(), nullptr);
    EXPECT_EQ(p.renders, 1);
    p.Refresh();
    p.SetFocus();
    EXPECT_EQ(peer.refreshes, 1);
    EXPECT_EQ(peer.focus, 1);
}

TEST(EmbeddedWindow, DestroyedCoreTellsItsPeer)
{
    fake_peer peer;
    {
        test_panel p(0, 0, 4, 3);
        p.attach_peer(&peer);
    }
    EXPECT_EQ(peer.destroyed, 1);
}

TEST(AnimationList, EachWindowOnceUntilItAsksToLeave)
{
    test_panel a(0, 0, 1, 1), b(0, 0, 1, 1);
    add_to_animation_list(&a);
    add_to_animation_list(&a);
    add_to_animation_list(&b);
    run_animations(20);
    EXPECT_EQ(a.callbacks, 1);
    EXPECT_EQ(b.callbacks, 1);
    EXPECT_EQ(a.elapsed_total, 20);

    b.keep = false;
    run_animations(20);
    run_animations(20);
    EXPECT_EQ(a.callbacks, 3);
    EXPECT_EQ(b.callbacks, 2);
    EXPECT_FALSE(b.on_animation_list);

    remove_from_animation_list(&a);
    remove_from_animation_list(&a);
    run_animations(20);
    EXPECT_EQ(a.callbacks, 3);
}

TEST(AnimationList, BaseCallbackLogsAndLeaves)
{
    LogCapture log(1);
    struct plain : tarv_embedded_window {
        using tarv_embedded_window::tarv_embedded_window;
        void update_content(bool) override {}
        void render(tarv_bitmap&) override {}
    } p(0, 0, 1, 1);
    add_to_animation_list(&p);
    run_animations(20);
    EXPECT_FALSE(p.on_animation_list);
    EXPECT_NE(log.text().find("Error in tarv_embedded_window::animation_callback(), this handler should never be called."),
              std::string::npos);
}

// Callbacks that change the list while it is walked: windows added are seen
// next tick; a removed or destroyed successor is not called.
TEST(AnimationList, ChangesDuringTheWalkAreSafe)
{
    test_panel late(0, 0, 1, 1);
    auto doomed = std::make_unique<test_panel>(0, 0, 1, 1);
    test_panel first(0, 0, 1, 1);
    add_to_animation_list(doomed.get());
    add_to_animation_list(&first);  // front: called before doomed
    first.on_callback = [&] {
        doomed.reset();
        add_to_animation_list(&late);
        return true;
    };
    run_animations(20);
    EXPECT_EQ(late.callbacks, 0);
    run_animations(20);
    EXPECT_EQ(late.callbacks, 1);
    EXPECT_EQ(first.callbacks, 2);

    // A window that destroys itself from its own callback.
    test_panel* self = new test_panel(0, 0, 1, 1);
    self->on_callback = [self] {
        delete self;
        return false;
    };
    add_to_animation_list(self);
    run_animations(20);
    EXPECT_EQ(first.callbacks, 3);
}

TEST(Flash, SixteenStepsOfTwoHundredMilliseconds)
{
    fake_peer peer;
    flashing_panel p(0, 0, 10, 10);
    p.attach_peer(&peer);
    p.start_flash();
    EXPECT_EQ(peer.refreshes, 1);
    EXPECT_EQ(p.flash_remaining, 16);
    EXPECT_EQ(p.flash_color(), color_black);
    EXPECT_TRUE(p.on_animation_list);

    std::vector<int> refresh_ticks;
    for (int tick = 1; tick <= 200; ++tick) {
        int before = peer.refreshes;
        run_animations(20);
        if (peer.refreshes != before) refresh_ticks.push_back(tick);
        if (tick == 10) {
            EXPECT_EQ(p.flash_remaining, 15);
            EXPECT_TRUE(p.flash_active());
            EXPECT_EQ(p.flash_color(), color_white);
        }
    }
    std::vector<int> expected;
    for (int k = 1; k <= 16; ++k) expected.push_back(10 * k);
    EXPECT_EQ(refresh_ticks, expected);
    EXPECT_EQ(p.flash_remaining, 0);
    EXPECT_FALSE(p.flash_active());
    EXPECT_FALSE(p.on_animation_list);
}

TEST(Flash, LongTicksCarryOverOrReset)
{
    flashing_panel p(0, 0, 10, 10);
    p.start_flash();
    EXPECT_TRUE(p.flash_step(150));
    EXPECT_EQ(p.flash_remaining, 16);
    EXPECT_TRUE(p.flash_step(150));  // 300: the 100 over the period is kept
    EXPECT_EQ(p.flash_remaining, 15);
    EXPECT_EQ(p.flash_elapsed_ms, 100);
    EXPECT_TRUE(p.flash_step(450));  // a tick longer than the period starts afresh
    EXPECT_EQ(p.flash_remaining, 14);
    EXPECT_EQ(p.flash_elapsed_ms, 0);
    remove_from_animation_list(&p);
}

namespace {

class recording_group : public tarv_transparent_window {
public:
    void show(bool s) override { log.push_back(s ? "show" : "hide"); }
    void layout() override { log.push_back("layout " + std::to_string(x) + "," + std::to_string(y) + " " +
                                           std::to_string(width) + "x" + std::to_string(height)); }
    void redraw_all() override { log.push_back("redraw"); }
    std::vector<std::string> log;
};

}  // namespace

TEST(TransparentWindow, AreaAndShownStateDriveTheChildren)
{
    recording_group g;
    EXPECT_EQ(g.width, 10);
    EXPECT_EQ(g.height, 10);
    EXPECT_TRUE(g.shown);
    g.set_rect(4, 5, 100, 20);
    g.set_shown(false);
    EXPECT_FALSE(g.shown);
    EXPECT_EQ(g.log, (std::vector<std::string>{"layout 4,5 100x20", "hide"}));
}
