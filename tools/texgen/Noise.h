#pragma once

#include <cmath>

// The toolkit the material pictures are drawn with: hashed random numbers, gradient noise and its
// fractal sum, cellular (Worley) noise, scattered items and brick rows. Every function takes its
// coordinates in cells of a lattice that repeats every `px` × `py` cells, so a pattern drawn over
// the unit square with whole periods tiles without a seam.
namespace texgen {

// Wraps a lattice index into 0..period-1.
inline int wrap(int i, int period) {
    const int m = i % period;
    return m < 0 ? m + period : m;
}

unsigned hashInt(unsigned seed, int x, int y);
// 0..1, the same for the same arguments.
inline float hash(unsigned seed, int x, int y) {
    return float(hashInt(seed, x, y) & 0xffffff) / float(0xffffff);
}

// 0..1 per cell of an n × n grid over the unit square: grit, speckles.
inline float grain(unsigned seed, float u, float v, int n) {
    return hash(seed, wrap(static_cast<int>(std::floor(u * n)), n),
                wrap(static_cast<int>(std::floor(v * n)), n));
}

// A stream of random numbers 0..1 for one scattered item, seeded from its lattice hash.
struct Random {
    unsigned state;
    float next() {
        state = state * 1664525u + 1013904223u;
        unsigned h = state ^ (state >> 15);
        h *= 2246822519u;
        return float((h ^ (h >> 13)) & 0xffffff) / float(0xffffff);
    }
    float between(float lo, float hi) { return lo + (hi - lo) * next(); }
};

// Gradient noise, about -0.7..0.7 (rarely beyond ±0.5).
float gradientNoise(unsigned seed, float x, float y, int px, int py);

// A fractal sum of gradient noise over (u, v) in the unit square: the first octave has px × py
// cells, each further octave twice as many and `gain` times as strong. About 0..1 around 0.5.
float stretchedFbm(unsigned seed, float u, float v, int px, int py, int octaves, float gain = 0.5f);
inline float fbm(unsigned seed, float u, float v, int period, int octaves, float gain = 0.5f) {
    return stretchedFbm(seed, u, v, period, period, octaves, gain);
}

// The two nearest of one jittered point per cell, in cells: f1 and f2 their distances, edge the
// distance to the border between their cells, (dx, dy) from the nearest point to the sample, id a
// number 0..1 of the nearest cell, and (cx, cy) its wrapped index.
struct CellHit {
    float f1 = 1e9f, f2 = 1e9f, edge = 1e9f, dx = 0, dy = 0, id = 0;
    int cx = 0, cy = 0;
};
// Without `edges` the border distance is left out (it costs twice the rest).
CellHit cellular(unsigned seed, float x, float y, int px, int py, float jitter = 0.9f, bool edges = true);

// Moves (u, v) by up to about `amount` along smooth noise of `period` cells: wobbly, tiling.
void warp(unsigned seed, float& u, float& v, int period, float amount);

// Visits the items scattered `perCell` to a cell around (x, y), in cells: the items of the cells
// up to `reach` away in each direction. `visit(dx, dy, random)` gets the sample's offset from the
// item's anchor and the item's own random stream.
template <typename Visit>
void scatter(unsigned seed, float x, float y, int px, int py, int perCell, int reach, Visit&& visit) {
    const int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
    for (int oy = -reach; oy <= reach; ++oy)
        for (int ox = -reach; ox <= reach; ++ox) {
            const int cx = xi + ox, cy = yi + oy;
            for (int k = 0; k < perCell; ++k) {
                Random random{hashInt(seed + unsigned(k) * 7919u, wrap(cx, px), wrap(cy, py))};
                const float ax = cx + random.next(), ay = cy + random.next();
                visit(x - ax, y - ay, random);
            }
        }
}

// A course of bricks (or tiles, boards) over the unit square: `columns` × `rows`, each row shifted
// by `shift` of a brick plus up to `jitter` at random, the joints within a row moved by up to
// `widthJitter` of a brick. (x, y) is the place inside the brick 0..1, edge the distance to its
// nearest side in u units, width and height its size in u and v, random a number 0..1 per brick.
struct Brick {
    int column = 0, row = 0;
    float x = 0, y = 0, edge = 0, width = 0, height = 0, random = 0;
};
Brick brick(unsigned seed, float u, float v, int columns, int rows, float shift, float jitter = 0,
            float widthJitter = 0);

// Rows of tiles laid like a roof (or scales, or feathers): each row covers the top of the row
// below it, and each tile's bottom edge is rounded up by `roundness` rows at its corners. `tile` is
// the tile seen at (u, v), its y 0..1 down its row (below 0 where it shows under a rounded edge of
// the row above); `shadow` is how many rows the sample lies below the edge of the tile over it.
struct Overlap {
    Brick tile;
    float shadow = 0;
};
Overlap overlapped(unsigned seed, float u, float v, int columns, int rows, float shift, float jitter,
                   float widthJitter, float roundness);

} // namespace texgen
