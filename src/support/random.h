// Lag-8 multiply-with-carry generator.
#pragma once

#include <cstdint>

class tarv_random {
public:
    tarv_random() { init(); }
    void init();
    void reset();
    void reseed(std::uint32_t v);
    std::uint32_t next();
    float next_unit();

private:
    std::uint32_t x_[8];
    std::uint32_t c_;
    int i_;
    std::uint32_t saved_x_[8];
    std::uint32_t saved_c_;
    int saved_i_;
};

std::uint32_t tarv_random_int();
float tarv_random_unit();
int tarv_random_below(int n);
void tarv_random_seed_from_clock();
// Reinitialise the process-wide generator (tests).
void tarv_random_global_init();
