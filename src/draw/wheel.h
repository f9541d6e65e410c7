// Mouse wheel rotations turned into whole notches, shared by every window
// that scrolls on the wheel. Smooth-scrolling devices send parts of a notch;
// they add up until a whole notch is reached, and turning the other way
// starts the count afresh, so a part-notch never scrolls and a full notch
// always scrolls in its own direction.
#pragma once

class tarv_wheel_notches {
public:
    // Adds one event's rotation (positive is away from the user) and returns
    // the whole notches it completed: > 0 up, < 0 down, 0 none. A delta of
    // 0 or less counts as 1.
    int add(int rotation, int wheel_delta);
    // The part of a notch carried to the next event, always below one delta.
    int pending() const { return pending_; }

private:
    int pending_ = 0;
};
