#include "app/layout.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "support/debug_log.h"

namespace {

using R = tarv_layout_rect;
using V = tarv_visibility;

// Every panel switched off: each test switches on what it looks at.
tarv_layout_input bare(int width, int height, int mode) {
    tarv_layout_input in;
    in.client_width = width;
    in.client_height = height;
    in.current_layout = mode;
    in.play_state = 0;
    in.automap_docked = true;
    in.automap_display = false;
    in.group_status_display = 0;
    in.direction_button_enable = false;
    in.hint_button_enable = false;
    in.fkey_button_display = false;
    in.popup_display = false;
    in.status_bar = false;
    in.hpbar_enable = false;
    in.exp_display = false;
    in.enemy_hpbar_enable = false;
    in.input_height = 48;
    in.channel_window_enable = false;
    in.channel_window_height = 25;
    in.mw_scrollbar_enable = true;
    in.automap_cell_size = 11;
    in.automap_width = 203;
    in.automap_height = 224;
    in.group_preferred_height = 66;
    in.group_has_entries = true;
    in.scrollbar_width = 16;
    return in;
}

// 984 x 728, embedded layout, every panel on, logged in.
tarv_layout_input everything_on() {
    tarv_layout_input in = bare(984, 728, LAYOUT_EMBEDDED);
    in.play_state = 2;
    in.automap_display = true;
    in.group_status_display = 1;
    in.direction_button_enable = true;
    in.hint_button_enable = true;
    in.fkey_button_display = true;
    in.popup_display = true;
    in.status_bar = true;
    in.hpbar_enable = true;
    in.exp_display = true;
    in.enemy_hpbar_enable = true;
    in.input_height = 40;
    in.channel_window_enable = true;
    in.channel_window_height = 25;
    in.group_preferred_height = 60;
    return in;
}

TEST(Layout, FullWindowEmbeddedGivesTheWorkedRectangles) {
    tarv_layout l = tarv_compute_layout(everything_on());

    EXPECT_EQ(l.direction_buttons.rect, (R{885, 2, 97, 130}));
    EXPECT_EQ(l.direction_buttons.visibility, V::show);
    EXPECT_EQ(l.hint_buttons.rect, (R{885, 134, 97, 594}));
    EXPECT_EQ(l.hint_buttons.visibility, V::show);
    EXPECT_EQ(l.central_left, 0);
    EXPECT_EQ(l.central_right, 883);
    EXPECT_EQ(l.fkey_manager.rect, (R{0, 682, 358, 46}));
    EXPECT_EQ(l.fkey_manager.visibility, V::show);
    EXPECT_EQ(l.popup_manager.rect, (R{358, 682, 626, 46}));
    EXPECT_EQ(l.popup_manager.visibility, V::show);
    EXPECT_TRUE(l.status_bar.placed);
    EXPECT_EQ(l.status_bar.rect, (R{0, 661, 883, 21}));
    EXPECT_EQ(l.status_bar.visibility, V::keep);
    EXPECT_EQ(l.input_window.rect, (R{0, 621, 883, 40}));
    EXPECT_TRUE(l.status_display.placed);
    EXPECT_EQ(l.status_display.rect, (R{0, 579, 883, 42}));
    EXPECT_EQ(l.status_edge_flags, 15);
    EXPECT_TRUE(l.show_hp_bars && l.show_exp && l.show_enemy);
    EXPECT_EQ(l.channel_window.rect, (R{0, 0, 883, 144}));
    EXPECT_EQ(l.channel_window.visibility, V::show);
    EXPECT_EQ(l.main_display.rect, (R{0, 144, 883, 435}));
    EXPECT_FALSE(l.automap_frame.placed);
}

TEST(Layout, EmbeddedOverlaysSitInTheTextTopRight) {
    // Text control: 883 - 16 (scrollbar) - 4 (frame) = 863 wide; the map
    // 2q = 22 from the top, the group display 10 below the map.
    tarv_layout l = tarv_compute_layout(everything_on());
    EXPECT_EQ(l.automap_parent, tarv_layout_parent::text_area);
    EXPECT_EQ(l.automap_display.rect, (R{638, 22, 203, 224}));
    EXPECT_EQ(l.automap_display.visibility, V::show);
    EXPECT_EQ(l.group_parent, tarv_layout_parent::text_area);
    EXPECT_EQ(l.group_display_mode, 2);
    EXPECT_EQ(l.group_display.rect, (R{638, 256, 203, 60}));
    EXPECT_EQ(l.group_display.visibility, V::keep);
}

TEST(Layout, EmbeddedOverlayCases) {
    struct Case {
        const char* name;
        int play_state;
        bool docked, map_on, scrollbar;
        int group_mode;
        bool entries;
        bool map_placed;
        R map;
        V map_vis;
        R group;
        V group_vis;
    };
    const Case cases[] = {
        // Not logged in: the docked map is hidden and the group display moves up to 2q.
        {"logged_out", 0, true, true, true, 1, true, true, {638, 22, 203, 224}, V::hide, {638, 22, 203, 60}, V::keep},
        {"map_off", 2, true, false, true, 1, true, true, {638, 22, 203, 224}, V::hide, {638, 22, 203, 60}, V::keep},
        // Undocked: the map lives in its frame, the group display still lines up with it.
        {"undocked", 2, false, true, true, 1, true, true, {0, 0, 203, 224}, V::keep, {638, 22, 203, 60}, V::keep},
        // Without the scrollbar the text is 4 narrower than the display.
        {"no_scrollbar", 2, true, true, false, 1, true, true, {654, 22, 203, 224}, V::show, {654, 256, 203, 60}, V::keep},
        {"group_off", 2, true, true, true, 0, true, true, {638, 22, 203, 224}, V::show, {638, 256, 203, 60}, V::hide},
        {"group_empty", 2, true, true, true, 2, false, true, {638, 22, 203, 224}, V::show, {638, 256, 203, 60}, V::hide},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tarv_layout_input in = everything_on();
        in.play_state = c.play_state;
        in.automap_docked = c.docked;
        in.automap_display = c.map_on;
        in.mw_scrollbar_enable = c.scrollbar;
        in.group_status_display = c.group_mode;
        in.group_has_entries = c.entries;
        if (c.play_state != 2) in.channel_window_enable = false;
        tarv_layout l = tarv_compute_layout(in);
        EXPECT_EQ(l.automap_display.placed, c.map_placed);
        EXPECT_EQ(l.automap_display.rect, c.map);
        EXPECT_EQ(l.automap_display.visibility, c.map_vis);
        EXPECT_TRUE(l.group_display.placed);
        EXPECT_EQ(l.group_display.rect, c.group);
        EXPECT_EQ(l.group_display.visibility, c.group_vis);
    }
}

TEST(Layout, LeftTopWithUndockedMapPutsGroupAtTheMargin) {
    tarv_layout_input in = bare(984, 728, LAYOUT_LEFT_TOP);
    in.automap_docked = false;
    in.automap_display = true;
    in.group_status_display = 1;
    in.hpbar_enable = true;
    in.exp_display = true;
    tarv_layout l = tarv_compute_layout(in);

    EXPECT_EQ(l.group_parent, tarv_layout_parent::main_window);
    EXPECT_EQ(l.group_display_mode, 1);
    EXPECT_TRUE(l.group_display.placed);
    EXPECT_EQ(l.group_display.rect, (R{2, 2, 160, 66}));
    EXPECT_EQ(l.group_display.visibility, V::keep);
    EXPECT_EQ(l.central_left, 164);
    EXPECT_EQ(l.input_window.rect, (R{164, 680, 820, 48}));
    EXPECT_EQ(l.status_display.rect, (R{164, 659, 820, 21}));
    EXPECT_EQ(l.main_display.rect, (R{164, 0, 820, 659}));
    // The map window takes the panel's size; the panel fills it.
    EXPECT_EQ(l.automap_parent, tarv_layout_parent::automap_frame);
    EXPECT_TRUE(l.automap_frame.placed);
    EXPECT_EQ(l.automap_frame.rect, (R{0, 0, 203, 224}));
    EXPECT_EQ(l.automap_display.rect, (R{0, 0, 203, 224}));
    EXPECT_EQ(l.channel_window.visibility, V::hide);
    EXPECT_EQ(l.hint_buttons.visibility, V::hide);
    EXPECT_EQ(l.direction_buttons.visibility, V::hide);
    EXPECT_EQ(l.fkey_manager.visibility, V::hide);
    EXPECT_EQ(l.popup_manager.visibility, V::hide);
    EXPECT_FALSE(l.status_bar.placed);
}

TEST(Layout, LeftColumnCases) {
    struct Case {
        const char* name;
        int mode;
        bool docked, map_on, bottom_row;
        int group_mode;
        bool map_placed;
        R map;
        bool group_placed;
        R group;
        int left;
    };
    // 984 x 728, map panel 203 x 224, group display asks for 66.
    const Case cases[] = {
        {"top_docked", 1, true, true, false, 1, true, {2, 2, 203, 224}, true, {2, 236, 203, 66}, 207},
        {"top_docked_no_group", 1, true, true, false, 0, true, {2, 2, 203, 224}, false, {}, 207},
        {"top_map_off", 1, true, false, false, 2, false, {}, true, {2, 2, 160, 66}, 164},
        {"bottom_docked", 2, true, true, true, 1, true, {2, 502, 203, 224}, true, {2, 426, 203, 66}, 207},
        {"bottom_undocked_button_row", 2, false, true, true, 1, true, {0, 0, 203, 224}, true, {2, 614, 160, 66}, 164},
        {"bottom_undocked_no_row", 2, false, true, false, 1, true, {0, 0, 203, 224}, true, {2, 660, 160, 66}, 164},
        {"bottom_nothing", 2, false, false, true, 0, true, {0, 0, 203, 224}, false, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tarv_layout_input in = bare(984, 728, c.mode);
        in.automap_docked = c.docked;
        in.automap_display = c.map_on;
        in.popup_display = c.bottom_row;
        in.group_status_display = c.group_mode;
        tarv_layout l = tarv_compute_layout(in);
        EXPECT_EQ(l.automap_display.placed, c.map_placed);
        if (c.map_placed) {
            EXPECT_EQ(l.automap_display.rect, c.map);
        }
        if (c.docked) {
            EXPECT_EQ(l.automap_parent, tarv_layout_parent::main_window);
        }
        EXPECT_EQ(l.group_display.placed, c.group_placed);
        if (c.group_placed) {
            EXPECT_EQ(l.group_display.rect, c.group);
        }
        EXPECT_EQ(l.group_parent, tarv_layout_parent::main_window);
        EXPECT_EQ(l.central_left, c.left);
        EXPECT_EQ(l.input_window.rect.x, c.left);
        EXPECT_EQ(l.main_display.rect.x, c.left);
        EXPECT_EQ(l.main_display.rect.width, 984 - c.left);
    }
}

TEST(Layout, OtherLayoutValuesActLikeEmbedded) {
    tarv_layout_input in = everything_on();
    in.current_layout = 7;
    tarv_layout l = tarv_compute_layout(in);
    EXPECT_EQ(l.central_left, 0);
    EXPECT_EQ(l.group_parent, tarv_layout_parent::text_area);
    EXPECT_EQ(l.automap_display.rect, (R{638, 22, 203, 224}));
}

TEST(Layout, RightColumnCases) {
    struct Case {
        const char* name;
        bool pad, hints;
        bool pad_placed;
        R pad_rect;
        bool hints_placed;
        R hints_rect;
        int right;
    };
    const Case cases[] = {
        {"pad_only", true, false, true, {885, 2, 97, 130}, false, {}, 883},
        {"hints_only", false, true, false, {}, true, {885, 2, 97, 726}, 883},
        {"neither", false, false, false, {}, false, {}, 984},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tarv_layout_input in = bare(984, 728, LAYOUT_EMBEDDED);
        in.direction_button_enable = c.pad;
        in.hint_button_enable = c.hints;
        tarv_layout l = tarv_compute_layout(in);
        EXPECT_EQ(l.direction_buttons.placed, c.pad_placed);
        EXPECT_EQ(l.direction_buttons.visibility, c.pad ? V::show : V::hide);
        if (c.pad_placed) {
            EXPECT_EQ(l.direction_buttons.rect, c.pad_rect);
        }
        EXPECT_EQ(l.hint_buttons.placed, c.hints_placed);
        EXPECT_EQ(l.hint_buttons.visibility, c.hints ? V::show : V::hide);
        if (c.hints_placed) {
            EXPECT_EQ(l.hint_buttons.rect, c.hints_rect);
        }
        EXPECT_EQ(l.central_right, c.right);
        EXPECT_EQ(l.main_display.rect.width, c.right);
    }
}

TEST(Layout, PopupRowStartsAtTheLeftEdgeWithoutFunctionKeys) {
    tarv_layout_input in = bare(984, 728, LAYOUT_LEFT_TOP);
    in.group_status_display = 1;
    in.popup_display = true;
    tarv_layout l = tarv_compute_layout(in);
    EXPECT_FALSE(l.fkey_manager.placed);
    EXPECT_EQ(l.popup_manager.rect, (R{164, 682, 820, 46}));
    EXPECT_EQ(l.input_window.rect, (R{164, 634, 820, 48}));
}

TEST(Layout, StatusDisplayHeightFollowsItsBars) {
    struct Case {
        bool hp, exp, enemy;
        int height;  // 0: not placed
    };
    const Case cases[] = {
        {false, false, true, 21}, {true, false, true, 42}, {true, true, false, 21},
        {true, true, true, 42},   {false, true, true, 21}, {false, false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.hp) + std::to_string(c.exp) + std::to_string(c.enemy));
        tarv_layout_input in = bare(984, 728, LAYOUT_EMBEDDED);
        in.hpbar_enable = c.hp;
        in.exp_display = c.exp;
        in.enemy_hpbar_enable = c.enemy;
        tarv_layout l = tarv_compute_layout(in);
        EXPECT_EQ(l.show_hp_bars, c.hp);
        EXPECT_EQ(l.show_exp, c.exp);
        EXPECT_EQ(l.show_enemy, c.enemy);
        EXPECT_EQ(l.status_display.placed, c.height > 0);
        if (c.height > 0) {
            EXPECT_EQ(l.status_display.rect, (R{0, 680 - c.height, 984, c.height}));
        }
        EXPECT_EQ(l.main_display.rect, (R{0, 0, 984, 680 - c.height}));
    }
}

TEST(Layout, ChannelWindowOnlyWhilePlaying) {
    struct Case {
        int play_state;
        bool enabled;
        int percent;
        int height;  // 0: hidden
    };
    // Space above the command line: 728 - 48 = 680.
    const Case cases[] = {
        {0, true, 25, 0}, {3, true, 25, 0}, {2, false, 25, 0}, {2, true, 25, 170}, {2, true, 10, 68}, {2, true, 80, 544},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.play_state) + " " + std::to_string(c.percent));
        tarv_layout_input in = bare(984, 728, LAYOUT_EMBEDDED);
        in.play_state = c.play_state;
        in.channel_window_enable = c.enabled;
        in.channel_window_height = c.percent;
        tarv_layout l = tarv_compute_layout(in);
        if (c.height > 0) {
            EXPECT_EQ(l.channel_window.visibility, V::show);
            EXPECT_EQ(l.channel_window.rect, (R{0, 0, 984, c.height}));
        } else {
            EXPECT_EQ(l.channel_window.visibility, V::hide);
            EXPECT_FALSE(l.channel_window.placed);
        }
        EXPECT_EQ(l.main_display.rect, (R{0, c.height, 984, 680 - c.height}));
    }
}

TEST(Layout, ZeroClientSizeUsesTheLastAcceptedSize) {
    tarv_layout_input in = everything_on();
    in.client_width = 0;
    in.client_height = 500;
    in.last_width = 984;
    in.last_height = 728;
    tarv_layout l = tarv_compute_layout(in);
    EXPECT_EQ(l.width, 984);
    EXPECT_EQ(l.height, 728);
    EXPECT_EQ(l.main_display.rect, (R{0, 144, 883, 435}));
    EXPECT_EQ(l.hint_buttons.rect, (R{885, 134, 97, 594}));
}

TEST(Layout, TinyWindowRaisesEverySizeToOne) {
    tarv_layout_input in = everything_on();
    in.client_width = 10;
    in.client_height = 10;
    tarv_layout l = tarv_compute_layout(in);

    EXPECT_EQ(l.direction_buttons.rect, (R{-89, 2, 97, 130}));
    EXPECT_EQ(l.hint_buttons.rect, (R{-89, 134, 97, 1}));
    EXPECT_EQ(l.central_left, 0);
    EXPECT_EQ(l.central_right, 1);
    EXPECT_EQ(l.fkey_manager.rect, (R{0, -36, 358, 46}));
    EXPECT_EQ(l.popup_manager.rect, (R{358, -36, 1, 46}));
    EXPECT_EQ(l.status_bar.rect, (R{0, -57, 1, 21}));
    EXPECT_EQ(l.input_window.rect, (R{0, -97, 1, 40}));
    EXPECT_EQ(l.status_display.rect, (R{0, -139, 1, 42}));
    // -139 * 25 / 100 truncates to -34, raised to 1.
    EXPECT_EQ(l.channel_window.rect, (R{0, 0, 1, 1}));
    EXPECT_EQ(l.main_display.rect, (R{0, 1, 1, 1}));
    EXPECT_EQ(l.automap_display.rect, (R{-224, 22, 203, 224}));
    EXPECT_EQ(l.group_display.rect, (R{-224, 256, 203, 60}));
}

TEST(Layout, CentralColumnNeverCollapsesUnderTheLeftColumn) {
    // Right column leaves 200 - 101 = 99, left column ends at 164.
    tarv_layout_input in = bare(200, 300, LAYOUT_LEFT_TOP);
    in.group_status_display = 1;
    in.hint_button_enable = true;
    tarv_layout l = tarv_compute_layout(in);
    EXPECT_EQ(l.central_left, 164);
    EXPECT_EQ(l.central_right, 165);
    EXPECT_EQ(l.main_display.rect, (R{164, 0, 1, 252}));
}

TEST(Layout, ZeroAndNegativeSizesFromOddInputStayPositive) {
    tarv_layout_input in = everything_on();
    in.input_height = -5;
    in.group_preferred_height = 0;
    in.automap_width = 0;
    in.automap_height = -3;
    in.channel_window_height = -40;
    tarv_layout l = tarv_compute_layout(in);
    const tarv_layout_place* all[] = {&l.direction_buttons, &l.hint_buttons,   &l.fkey_manager,
                                      &l.popup_manager,     &l.status_bar,     &l.input_window,
                                      &l.status_display,    &l.channel_window, &l.main_display,
                                      &l.automap_display,   &l.group_display};
    for (const tarv_layout_place* p : all) {
        EXPECT_GE(p->rect.width, 1);
        EXPECT_GE(p->rect.height, 1);
    }
}

TEST(LayoutDecisions, PlaceAutomap) {
    struct Case {
        int mode;
        bool docked, on;
        tarv_layout_parent parent;
        V frame;
        bool repaint;
    };
    const Case cases[] = {
        {0, true, true, tarv_layout_parent::text_area, V::hide, false},
        {1, true, false, tarv_layout_parent::main_window, V::hide, false},
        {2, true, true, tarv_layout_parent::main_window, V::hide, false},
        {0, false, true, tarv_layout_parent::automap_frame, V::show, true},
        {1, false, false, tarv_layout_parent::automap_frame, V::hide, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.mode) + std::to_string(c.docked) + std::to_string(c.on));
        tarv_automap_placement p = place_automap_decision(c.mode, c.docked, c.on);
        EXPECT_EQ(p.parent, c.parent);
        EXPECT_EQ(p.display_shown, c.on);
        EXPECT_EQ(p.frame, c.frame);
        EXPECT_EQ(p.frame_repaint, c.repaint);
    }
}

TEST(LayoutDecisions, AutomapVisibility) {
    tarv_automap_visibility v = update_automap_visibility_decision(true, true);
    EXPECT_EQ(v.frame, V::keep);
    EXPECT_EQ(v.display, V::show);
    v = update_automap_visibility_decision(false, true);
    EXPECT_EQ(v.frame, V::show);
    EXPECT_EQ(v.display, V::show);
    for (bool docked : {true, false}) {
        v = update_automap_visibility_decision(docked, false);
        EXPECT_EQ(v.frame, V::hide);
        EXPECT_EQ(v.display, V::hide);
    }
}

TEST(LayoutDecisions, PlaceGroupDisplay) {
    EXPECT_EQ(place_group_display_decision(0).parent, tarv_layout_parent::text_area);
    EXPECT_EQ(place_group_display_decision(0).mode, 2);
    EXPECT_EQ(place_group_display_decision(1).parent, tarv_layout_parent::main_window);
    EXPECT_EQ(place_group_display_decision(1).mode, 1);
    EXPECT_EQ(place_group_display_decision(2).mode, 1);
    EXPECT_EQ(place_group_display_decision(-1).mode, 2);
}

TEST(LayoutResize, GuardIgnoresEarlyAndRepeatedSizes) {
    int lw = -1, lh = -1;
    EXPECT_FALSE(layout_accept_resize(0, 800, 600, lw, lh));
    EXPECT_EQ(lw, -1);
    EXPECT_EQ(lh, -1);

    EXPECT_TRUE(layout_accept_resize(1, 800, 600, lw, lh));
    EXPECT_EQ(lw, 800);
    EXPECT_EQ(lh, 600);
    EXPECT_FALSE(layout_accept_resize(1, 800, 600, lw, lh));

    // Only one side equal is a real change.
    EXPECT_TRUE(layout_accept_resize(1, 800, 601, lw, lh));
    EXPECT_EQ(lh, 601);

    // Minimised: lay out (with the last size) but do not remember the zero.
    EXPECT_TRUE(layout_accept_resize(1, 0, 0, lw, lh));
    EXPECT_EQ(lw, 800);
    EXPECT_EQ(lh, 601);
    EXPECT_TRUE(layout_accept_resize(1, 0, 0, lw, lh));
    EXPECT_FALSE(layout_accept_resize(1, 800, 601, lw, lh));
}

// Runs body with the debug log going to a fresh file at level 2; returns
// what was logged.
template <typename F>
std::string logged_by(F body) {
    std::string path = testing::TempDir() + "layout_test_log.txt";
    std::remove(path.c_str());
    if (tarv_client_debug_logfile_is_open()) tarv_client_debug_logfile_close();
    tarv_client_set_debug_logfile_name(path.c_str());
    int saved_level = tarv_debug_level;
    tarv_debug_level = 2;
    body();
    tarv_debug_level = saved_level;
    if (tarv_client_debug_logfile_is_open()) tarv_client_debug_logfile_close();
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

int count_of(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(LayoutResize, LogsEachIgnoredEvent) {
    std::string log = logged_by([] {
        int lw = -1, lh = -1;
        layout_accept_resize(0, 640, 480, lw, lh);
        layout_accept_resize(1, 640, 480, lw, lh);
        layout_accept_resize(1, 640, 480, lw, lh);
    });
    EXPECT_EQ(count_of(log, "tarv_mw::OnResize() - windows bug triggered, constructor not yet finished.  Ignoring.\n"), 1);
    EXPECT_EQ(count_of(log, "tarv_mw::OnResize() - ignoring double resize.\n"), 1);
}

TEST(LayoutSteps, InputAndChannelHeights) {
    struct Case {
        int (*step)(int);
        const char* name;
        int from, to;
    };
    const Case cases[] = {
        {grow_input_height, "grow_input", 48, 60},      {grow_input_height, "grow_input", 792, 800},
        {grow_input_height, "grow_input", 800, 800},    {shrink_input_height, "shrink_input", 48, 36},
        {shrink_input_height, "shrink_input", 36, 24},  {shrink_input_height, "shrink_input", 35, 24},
        {shrink_input_height, "shrink_input", 37, 25},  {shrink_input_height, "shrink_input", 30, 24},
        {shrink_input_height, "shrink_input", 24, 24},  {grow_channel_height, "grow_channel", 25, 30},
        {grow_channel_height, "grow_channel", 78, 80},  {grow_channel_height, "grow_channel", 80, 80},
        {shrink_channel_height, "shrink_channel", 25, 20}, {shrink_channel_height, "shrink_channel", 12, 10},
        {shrink_channel_height, "shrink_channel", 10, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.from));
        EXPECT_EQ(c.step(c.from), c.to);
    }
}

TEST(LayoutSteps, TextSize) {
    struct Case {
        bool increase;
        int from, to;
        bool apply;
    };
    const Case cases[] = {
        {true, 8, 9, true},    {true, 149, 150, true}, {true, 150, 150, false},
        {false, 9, 8, true},   {false, 4, 3, true},    {false, 3, 3, false},
        {false, 2, 3, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.increase) + " " + std::to_string(c.from));
        tarv_text_size_step s = c.increase ? increase_text_size_step(c.from) : decrease_text_size_step(c.from);
        EXPECT_EQ(s.size, c.to);
        EXPECT_EQ(s.apply, c.apply);
    }
}

TEST(LayoutSteps, AutomapCellSize) {
    EXPECT_EQ(grow_automap_cell(11), 13);
    EXPECT_EQ(grow_automap_cell(397), 399);
    EXPECT_EQ(grow_automap_cell(399), 399);
    EXPECT_EQ(shrink_automap_cell(11), 9);
    EXPECT_EQ(shrink_automap_cell(7), 5);
    EXPECT_EQ(shrink_automap_cell(6), 5);
    EXPECT_EQ(shrink_automap_cell(5), 5);
    EXPECT_EQ(set_automap_cell(15), 15);
    EXPECT_EQ(set_automap_cell(8), 9);
    EXPECT_EQ(set_automap_cell(1), 5);
    EXPECT_EQ(set_automap_cell(400), 399);
    EXPECT_EQ(set_automap_cell(100000), 399);
}

TEST(LayoutSteps, PanelSizes) {
    EXPECT_EQ(automap_panel_size(11), (tarv_layout_size{203, 224}));
    EXPECT_EQ(automap_panel_size(5), (tarv_layout_size{95, 116}));
    EXPECT_EQ(automap_panel_size(1), (tarv_layout_size{95, 116}));
    EXPECT_EQ(fkey_row_width(46), 358);
}

}  // namespace
