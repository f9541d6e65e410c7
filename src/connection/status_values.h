// The values the server's small tags carry for the status display, the status
// bar and the direction pad: parsed from untrusted payloads, clamped, and
// kept here so the panels only read them.
#pragma once

#include <string>

struct tarv_status_values {
    static constexpr int exp_count = 8;
    static constexpr int icon_count = 5;
    static constexpr int ping_sample_count = 4;
    static constexpr int max_enemy_name = 5999;
    // Every number from the server is clamped to this magnitude: far beyond
    // any game value, and it leaves the panels room for their arithmetic.
    static constexpr int value_limit = 1000000000;
    // Ten exits: north, north-east, east, south-east, south, south-west,
    // west, north-west, up, down.
    static constexpr int exit_mask_bits = 0x3ff;

    // Status display.
    int hp = -1, hp_max = 1, mana = -1, mana_max = 1, move = -1, move_max = 1;
    int exp[exp_count] = {0};  // tenths of a percent, descending
    int enemy_percent = -1;
    std::string enemy_name = "(no enemy)";

    // Status bar.
    int ping_average = 0;
    int ping_count = 0;  // 0: no ping known
    int ping_index = 0;
    int ping_samples[ping_sample_count] = {0};
    int icons[icon_count] = {0};

    // Direction pad and automap: the exits of the room the character is in.
    int directions_enabled = 0;
    int exit_mask = 0;

    void reset_status_display();
    void reset_status_bar();

    struct hp_result {
        int given = 0;  // numbers read, 0 to 6
        bool changed = false;
    };
    // "hp": up to six numbers in order; the ones not given keep their values.
    hp_result set_hp(const char* data);

    // "xpp": up to eight numbers, the rest 0, then sorted. True when any
    // stored value changed.
    bool set_exp(const char* data);

    struct enemy_result {
        bool name_given = false;
        bool name_changed = false;
        bool percent_changed = false;
    };
    // "enemyhp" with data: the percent, then the rest as the name.
    enemy_result set_enemy(const char* data);
    // No enemy.
    void clear_enemy();

    // "icons": flag i is on when character i is '1'.
    void set_icons(const char* data);

    // A measured round trip; the average is over the last four samples.
    void add_ping_sample(long long milliseconds);
};

// Reads one decimal number like strtol (text that is no number gives 0),
// clamped to +-tarv_status_values::value_limit. `end` gets the position
// after the word.
int tarv_status_read_number(const char* word, const char** end);
