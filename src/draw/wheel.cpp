#include "draw/wheel.h"

int tarv_wheel_notches::add(int rotation, int wheel_delta)
{
    if (rotation == 0) return 0;
    const long long delta = wheel_delta > 0 ? wheel_delta : 1;
    long long sum = rotation;
    if ((pending_ < 0) == (rotation < 0)) sum += pending_;
    const long long notches = sum / delta;  // toward zero: a part-notch waits
    pending_ = static_cast<int>(sum - notches * delta);
    if (notches > 1000000) return 1000000;
    if (notches < -1000000) return -1000000;
    return static_cast<int>(notches);
}
