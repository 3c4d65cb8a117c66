#include "Noise.h"

#include <algorithm>

namespace texgen {

unsigned hashInt(unsigned seed, int x, int y) {
    unsigned h =
        seed * 374761393u + static_cast<unsigned>(x) * 668265263u + static_cast<unsigned>(y) * 2147483647u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

float gradientNoise(unsigned seed, float x, float y, int px, int py) {
    // Sixteen evenly spread gradients: cheaper than a cosine per corner, and as round.
    static const struct Table {
        float g[16][2];
        Table() {
            for (int i = 0; i < 16; ++i)
                g[i][0] = std::cos(i * 0.39269908f), g[i][1] = std::sin(i * 0.39269908f);
        }
    } table;
    const int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
    const float fx = x - xi, fy = y - yi;
    auto corner = [&](int ox, int oy) {
        const float* g = table.g[hashInt(seed, wrap(xi + ox, px), wrap(yi + oy, py)) >> 28];
        return g[0] * (fx - ox) + g[1] * (fy - oy);
    };
    const float sx = fx * fx * fx * (fx * (fx * 6 - 15) + 10), sy = fy * fy * fy * (fy * (fy * 6 - 15) + 10);
    const float a = corner(0, 0), b = corner(1, 0), c = corner(0, 1), d = corner(1, 1);
    const float top = a + (b - a) * sx, bottom = c + (d - c) * sx;
    return top + (bottom - top) * sy;
}

float stretchedFbm(unsigned seed, float u, float v, int px, int py, int octaves, float gain) {
    float sum = 0, amp = 1, total = 0;
    for (int octave = 0; octave < octaves; ++octave, amp *= gain, px *= 2, py *= 2) {
        sum += amp * gradientNoise(seed + unsigned(octave) * 1013u, u * px, v * py, px, py);
        total += amp;
    }
    return 0.5f + 0.9f * sum / total;
}

CellHit cellular(unsigned seed, float x, float y, int px, int py, float jitter, bool edges) {
    const int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
    auto point = [&](int cx, int cy, float& fx, float& fy) {
        const int wx = wrap(cx, px), wy = wrap(cy, py);
        fx = cx + 0.5f + jitter * (hash(seed, wx, wy) - 0.5f);
        fy = cy + 0.5f + jitter * (hash(seed + 1, wx, wy) - 0.5f);
    };
    CellHit hit;
    float nx = 0, ny = 0;
    for (int oy = -1; oy <= 1; ++oy)
        for (int ox = -1; ox <= 1; ++ox) {
            float fx, fy;
            point(xi + ox, yi + oy, fx, fy);
            const float d = std::sqrt((x - fx) * (x - fx) + (y - fy) * (y - fy));
            if (d < hit.f1) {
                hit.f2 = hit.f1;
                hit.f1 = d;
                hit.cx = wrap(xi + ox, px);
                hit.cy = wrap(yi + oy, py);
                nx = fx;
                ny = fy;
            } else if (d < hit.f2) {
                hit.f2 = d;
            }
        }
    hit.dx = x - nx;
    hit.dy = y - ny;
    hit.id = hash(seed + 2, hit.cx, hit.cy);
    if (!edges)
        return hit;
    // The distance to the nearest border: the bisectors between the nearest point and the points
    // around it (two cells out, as the nearest point may sit at its cell's edge).
    const int ni = static_cast<int>(std::floor(nx)), nj = static_cast<int>(std::floor(ny));
    for (int oy = -2; oy <= 2; ++oy)
        for (int ox = -2; ox <= 2; ++ox) {
            if (ox == 0 && oy == 0)
                continue;
            float fx, fy;
            point(ni + ox, nj + oy, fx, fy);
            const float ex = fx - nx, ey = fy - ny, length = std::sqrt(ex * ex + ey * ey);
            if (length < 1e-6f)
                continue;
            const float mx = 0.5f * (fx + nx), my = 0.5f * (fy + ny);
            hit.edge = std::min(hit.edge, ((mx - x) * ex + (my - y) * ey) / length);
        }
    return hit;
}

void warp(unsigned seed, float& u, float& v, int period, float amount) {
    const float du = fbm(seed + 71, u, v, period, 3) - 0.5f, dv = fbm(seed + 113, u, v, period, 3) - 0.5f;
    u += 2 * amount * du;
    v += 2 * amount * dv;
}

Brick brick(unsigned seed, float u, float v, int columns, int rows, float shift, float jitter,
            float widthJitter) {
    Brick b;
    const float y = v * rows;
    b.row = static_cast<int>(std::floor(y));
    b.y = y - b.row;
    const int row = wrap(b.row, rows);
    const float offset = shift * row + jitter * hash(seed + 5, row, 0);
    // Joint k of this row sits at k + its jitter; find the pair around x.
    auto joint = [&](int k) { return k + widthJitter * (hash(seed + 7, wrap(k, columns), row) - 0.5f); };
    const float x = u * columns - offset;
    int k = static_cast<int>(std::floor(x));
    if (x < joint(k))
        --k;
    else if (x >= joint(k + 1))
        ++k;
    const float left = joint(k), right = joint(k + 1);
    b.column = wrap(k, columns);
    b.x = (x - left) / (right - left);
    b.width = (right - left) / columns;
    b.height = 1.0f / rows;
    b.edge = std::min(std::min(x - left, right - x) / columns, std::min(b.y, 1 - b.y) / rows);
    b.random = hash(seed + 3, b.column, row);
    b.row = row;
    return b;
}

Overlap overlapped(unsigned seed, float u, float v, int columns, int rows, float shift, float jitter,
                   float widthJitter, float roundness) {
    auto bottom = [roundness](const Brick& b) {
        const float x = 2 * b.x - 1;
        return 1 - roundness * (1 - std::sqrt(std::max(0.0f, 1 - x * x)));
    };
    const float row = 1.0f / rows;
    const Brick here = brick(seed, u, v, columns, rows, shift, jitter, widthJitter);
    Overlap out;
    if (here.y < bottom(here)) {
        out.tile = here;
        out.shadow = here.y + 1 - bottom(brick(seed, u, v - row, columns, rows, shift, jitter, widthJitter));
    } else {
        // Below this tile's rounded edge the next row's tile shows, a row further up its length.
        out.tile = brick(seed, u, v + row, columns, rows, shift, jitter, widthJitter);
        out.tile.y -= 1;
        out.shadow = here.y - bottom(here);
    }
    return out;
}

} // namespace texgen
