// Wheel rotations to whole notches: the rule every scrolling window shares.
#include "draw/wheel.h"

#include <climits>

#include <gtest/gtest.h>

namespace {

TEST(WheelNotches, OnlyWholeNotchesCountAndEachInItsOwnDirection)
{
    struct step {
        int rotation, delta, notches;
    };
    const step steps[] = {
        {120, 120, 1},  {-120, 120, -1}, {0, 120, 0},
        // Smooth scrolling: parts add up to a notch.
        {60, 120, 0},   {60, 120, 1},    {40, 120, 0}, {40, 120, 0}, {50, 120, 1},
        // Turning back drops what was left of the other way.
        {100, 120, 0},  {-120, 120, -1}, {-60, 120, 0}, {60, 120, 0}, {60, 120, 1}, {-119, 120, 0},
        {-1, 120, -1},
        // Several notches in one event; a delta of 0 or less counts as 1.
        {360, 120, 3},  {-2, 0, -2},     {5, -7, 5},
    };
    tarv_wheel_notches wheel;
    int i = 0;
    for (const step& s : steps) {
        EXPECT_EQ(wheel.add(s.rotation, s.delta), s.notches) << "step " << i << ": " << s.rotation;
        ++i;
    }
}

TEST(WheelNotches, EndlessSpinningStaysBounded)
{
    tarv_wheel_notches wheel;
    for (int i = 0; i < 1000; ++i) {
        EXPECT_GT(wheel.add(INT_MAX, 120), 0);
        EXPECT_LT(wheel.pending(), 120);
        EXPECT_LT(wheel.add(INT_MIN, 7), 0);
        EXPECT_GT(wheel.pending(), -7);
    }
    EXPECT_EQ(wheel.add(INT_MAX, 1), 1000000);
}

}  // namespace
