// Builds "map" payloads from a grid, the way the server writes them:
// the movement code, the five sections, then the transition character.
#pragma once

#include <cstdint>
#include <string>

#include "automap/automap_renderer.h"

struct map_grid {
    tarv_automap_cell cells[automap_grid_size][automap_grid_size];
    tarv_automap_cell& at(int x, int y) { return cells[x][y]; }
    void room(int x, int y, int terrain, int features, int seed)
    {
        cells[x][y].terrain = terrain;
        cells[x][y].features = features;
        cells[x][y].seed = seed;
    }
};

// sep goes after every section (blank lines between sections are allowed).
inline std::string encode_map(const map_grid& g, char movement = '@', const char* transition = "",
                              const char* sep = "")
{
    auto ch = [](int v) { return static_cast<char>(v + 64); };
    std::string s(1, movement);
    for (int y = 0; y <= 22; y += 2) {
        for (int i = 0; i < 11; ++i) s += ch(g.cells[2 * i + 1][y].code);
        s += '\n';
    }
    s += sep;
    for (int y = 1; y <= 21; y += 2) {
        for (int i = 0; i < 12; ++i) s += ch(g.cells[2 * i][y].code);
        s += '\n';
    }
    s += sep;
    for (int y = 0; y <= 22; y += 2) {
        for (int i = 0; i < 12; ++i) s += ch(g.cells[2 * i][y].code & 63);
        s += '\n';
    }
    s += sep;
    for (int y = 0; y <= 22; y += 2) {
        for (int i = 0; i < 12; ++i) s += ch((g.cells[2 * i][y].code >> 16) & 63);
        s += '\n';
    }
    s += sep;
    for (int y = 1; y <= 21; y += 2) {
        for (int i = 0; i < 11; ++i) {
            const tarv_automap_cell& c = g.cells[2 * i + 1][y];
            s += ch(c.terrain);
            s += ch(c.features);
            s += ch(c.seed);
            s += ch(c.extra);
        }
        s += '\n';
    }
    return s + transition;
}

// Every room present with walls, doors, diagonals and roads of all kinds:
// the busiest picture a payload can ask for.
inline map_grid full_map(int variant = 0)
{
    map_grid g;
    for (int y = 1; y <= 21; y += 2)
        for (int x = 1; x <= 21; x += 2)
            g.room(x, y, 1 + (x * 7 + y * 3 + variant) % 33, ((x + y + variant) % 3 == 0) ? 2 : 6 | ((x * y) % 5 == 0),
                   1 + (x * 31 + y * 17 + variant) % 60);
    for (int y = 0; y <= 22; ++y)
        for (int x = 0; x <= 22; ++x) {
            const bool corner = x % 2 == 0 && y % 2 == 0;
            const bool boundary = (x + y) % 2 == 1;
            if (boundary) g.at(x, y).code = (x * 5 + y * 3 + variant) % 7 == 0 ? 4 : (x + y) % 9 == 0 ? 2 : 0;
            if (corner) g.at(x, y).code = ((x + y + variant) % 4 == 0 ? 4 : 0) | ((x * y) % 3 == 0 ? 4 << 16 : 0);
        }
    return g;
}
