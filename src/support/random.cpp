#include "support/random.h"

#include <cstring>
#include <ctime>

namespace {

tarv_random process_generator;

}  // namespace

void tarv_random::init()
{
    x_[0] = 123456789u;
    for (int k = 0; k < 7; ++k) x_[k + 1] = x_[k] * 1664525u + 1013904223u;
    c_ = 362436u;
    i_ = 0;
    std::memcpy(saved_x_, x_, sizeof x_);
    saved_c_ = c_;
    saved_i_ = i_;
}

void tarv_random::reset()
{
    std::memcpy(x_, saved_x_, sizeof x_);
    c_ = saved_c_;
    i_ = saved_i_;
}

void tarv_random::reseed(std::uint32_t v)
{
    for (int k = 0; k < 8; ++k) {
        v = v * 1664525u + 1013904223u;
        x_[k] ^= v;
    }
    for (int k = 0; k < 8; ++k) next();
}

std::uint32_t tarv_random::next()
{
    std::uint64_t t = 809430660ull * x_[i_] + c_;
    x_[i_] = static_cast<std::uint32_t>(t);
    c_ = static_cast<std::uint32_t>(t >> 32);
    i_ = (i_ + 1) & 7;
    return static_cast<std::uint32_t>(t);
}

float tarv_random::next_unit()
{
    return static_cast<float>(static_cast<double>(next() >> 1) * (1.0 / 2147483648.0));
}

std::uint32_t tarv_random_int()
{
    return process_generator.next();
}

float tarv_random_unit()
{
    return process_generator.next_unit();
}

int tarv_random_below(int n)
{
    std::uint32_t r = process_generator.next() & 0xFFFFu;
    if (n <= 0) return 0;
    // 64-bit product: same results up to 32767, and still in range above it.
    return static_cast<int>((static_cast<std::int64_t>(n) * r) >> 16);
}

void tarv_random_seed_from_clock()
{
    process_generator.reseed(static_cast<std::uint32_t>(std::time(nullptr)));
}

void tarv_random_global_init()
{
    process_generator.init();
}
