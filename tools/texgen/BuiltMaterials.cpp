#include "Materials.h"
#include "Noise.h"

#include <cmath>

namespace texgen {

namespace {

const float kPi = 3.14159265f;

Colour rgb(float r, float g, float b) {
    return {r, g, b, 1};
}

float fract(float x) {
    return x - std::floor(x);
}

} // namespace

Surface planks(const Options& o, float u, float v) {
    // Upright boards running along v, each of one or two lengths butted end to end, the grain
    // along them bending round the odd knot; weathered silver-grey with brown in the grain.
    const int boards = 4;
    const float across = u * boards;
    const int board = wrap(static_cast<int>(std::floor(across)), boards);
    const float x = across - std::floor(across);
    const float joint = hash(o.seed, board, 0);
    const bool twoPieces = hash(o.seed + 1, board, 0) > 0.7f;
    const float fromJoint = fract(v - joint);
    const int piece = twoPieces && fromJoint >= 0.5f ? 1 : 0;
    const float jointDistance =
        twoPieces ? std::min(std::fabs(fromJoint - 0.5f), std::min(fromJoint, 1 - fromJoint))
                  : std::min(fromJoint, 1 - fromJoint);
    Random r{hashInt(o.seed + 2, board, piece)};
    const float tone = r.next(), grainShift = r.between(0, 20), hasKnot = r.next();
    const float knotX = r.between(0.25f, 0.75f), knotV = fract(joint + r.between(0.1f, 0.4f) + 0.5f * piece);
    // Distance to the knot in u units, through the tiling's wrap along v.
    const float kdx = (x - knotX) / boards, kdv = fract(v - knotV + 0.5f) - 0.5f;
    const float knot = hasKnot < 0.5f ? std::sqrt(kdx * kdx * 4 + kdv * kdv) : 1.0f;
    const float swirl = hasKnot < 0.5f ? 0.9f * std::exp(-knot * knot / (0.03f * 0.03f)) : 0.0f;
    const float flow = stretchedFbm(o.seed + 3 + unsigned(board), u, v, 8, 1, 3);
    const float ring = fract(x * 11 + 1.5f * flow + grainShift + swirl * (x < knotX ? -1 : 1));
    const float late = smoothstep(0.72f, 0.88f, ring) * smoothstep(1.0f, 0.94f, ring);
    const float fibre = stretchedFbm(o.seed + 4, u, v, 128, 2, 3), stain = fbm(o.seed + 5, u, v, 3, 3);
    // Weathering opens fine checks along the grain.
    const float check = smoothstep(0.015f, 0.0f, std::fabs(stretchedFbm(o.seed + 6, u, v, 24, 1, 2) - 0.5f)) *
                        smoothstep(0.55f, 0.7f, stretchedFbm(o.seed + 7, u, v, 8, 2, 2));
    Surface s;
    Colour c =
        mix(o.from, o.to, clamp01(0.35f + 0.3f * tone + 0.7f * (fibre - 0.5f) - 0.3f * (stain - 0.5f)));
    c = mix(c, scaled(o.from, 0.75f), 0.6f * late);
    c = scaled(c, 1 - 0.5f * check);
    // Rain darkens the boards' ends and edges; the knot's heart is dark resin-brown.
    const float edge = std::min(std::min(x, 1 - x) / boards, jointDistance);
    c = scaled(c, 0.75f + 0.25f * smoothstep(0.0f, 0.03f, edge));
    if (hasKnot < 0.5f)
        c = mix(c, rgb(0.2f, 0.14f, 0.1f), smoothstep(0.012f, 0.006f, knot));
    const float open =
        smoothstep(0.003f, 0.006f, std::min(x, 1 - x) / boards) * smoothstep(0.0015f, 0.004f, jointDistance);
    s.colour = scaled(c, 0.15f + 0.85f * open);
    const float cup = 1 - (2 * x - 1) * (2 * x - 1);
    s.height = open * (0.55f + 0.15f * cup + 0.1f * late + 0.1f * fibre - 0.1f * check);
    return s;
}

Surface plaster(const Options& o, float u, float v) {
    // Whitewashed lime over rubble walls: uneven trowelling, grey streaks run down by rain, and a few
    // places where the plaster has fallen away and the stones show.
    float wu = u, wv = v;
    warp(o.seed, wu, wv, 3, 0.04f);
    const float body = fbm(o.seed + 1, wu, wv, 3, 5), trowel = fbm(o.seed + 2, wu, wv, 8, 3);
    const float fine = fbm(o.seed + 3, u, v, 48, 2);
    const float streak = stretchedFbm(o.seed + 4, u, v, 24, 2, 3) * fbm(o.seed + 5, u, v, 2, 2);
    Surface s;
    Colour c = mix(o.from, o.to, clamp01(0.5f + 1.2f * (body - 0.5f) + 0.4f * (trowel - 0.5f)));
    c = mix(c, rgb(0.6f, 0.59f, 0.52f), 0.35f * smoothstep(0.24f, 0.4f, streak));
    c = scaled(c, 0.94f + 0.06f * fine);
    s.height = 0.7f + 0.15f * trowel + 0.05f * fine;
    // Hairline cracks, only in some places.
    const CellHit cracks = cellular(o.seed + 8, wu * 5, wv * 5, 5, 5);
    const float crack = smoothstep(0.01f, 0.0f, cracks.edge) * smoothstep(0.6f, 0.7f, trowel);
    c = scaled(c, 1 - 0.3f * crack);
    s.height -= 0.1f * crack;
    const float loss = fbm(o.seed + 6, u, v, 3, 2) + 0.12f * (fine - 0.5f) + 0.1f * (trowel - 0.5f) - 0.68f;
    if (loss > -0.02f) {
        // Where the plaster has fallen away: rubble stones bedded in sandy mortar.
        static const Colour stones[] = {rgb(0.58f, 0.56f, 0.52f), rgb(0.66f, 0.6f, 0.48f),
                                        rgb(0.5f, 0.49f, 0.47f), rgb(0.7f, 0.67f, 0.6f)};
        const CellHit stone = cellular(o.seed + 7, u * 11, v * 11, 11, 11);
        const float inStone = smoothstep(0.05f, 0.12f, stone.edge);
        const Colour mortar = scaled(rgb(0.7f, 0.66f, 0.58f), 0.8f + 0.2f * fine);
        const Colour rubble = scaled(stones[static_cast<int>(stone.id * 3.999f)], 0.8f + 0.2f * fine);
        const float dome = clamp01(1 - stone.f1 * 1.2f);
        Colour inside = mix(mortar, scaled(rubble, 0.85f + 0.15f * dome), inStone);
        // The broken edge: a pale chipped lip, then the step's shadow on the stones below it.
        inside = scaled(inside, 0.7f + 0.3f * smoothstep(0.0f, 0.03f, loss));
        const float bare = smoothstep(-0.003f, 0.003f, loss);
        c = mix(mix(c, o.to, 0.5f * smoothstep(-0.015f, 0.0f, loss)), inside, bare);
        s.height = s.height + (0.15f + 0.35f * inStone * dome - s.height) * bare;
    }
    s.colour = c;
    s.height = clamp01(s.height);
    return s;
}

Surface rooftiles(const Options& o, float u, float v) {
    // Rows of clay tiles with rounded ends, each row laid over the top of the row below, every tile
    // its own fired colour; lichen spots and the shadow of the tile above.
    const int columns = 6, rows = 10;
    const Overlap t = overlapped(o.seed, u, v, columns, rows, 0.5f, 0, 0.1f, 0.3f);
    const Brick& b = t.tile;
    const float x = 2 * b.x - 1;
    Random r{hashInt(o.seed + 1, b.column, b.row)};
    const float tone = r.next(), odd = r.next();
    const float mottle = fbm(o.seed + 2, u, v, 10, 4), grit = fbm(o.seed + 3, u, v, 64, 2);
    Surface s;
    Colour c = mix(o.from, o.to, clamp01(0.15f + 0.7f * tone + 0.5f * (mottle - 0.5f)));
    if (odd < 0.12f)
        c = mix(c, rgb(0.36f, 0.2f, 0.14f), 0.6f); // an over-fired tile
    else if (odd > 0.9f)
        c = mix(c, rgb(0.82f, 0.55f, 0.36f), 0.4f); // a pale one
    // The tile is curved a little across and thickens towards its end.
    c = scaled(c, (0.86f + 0.14f * (1 - x * x)) * (0.92f + 0.08f * grit));
    // Lichen: a few rosettes, yellow-orange or grey-green, on the tiles' exposed faces.
    const CellHit spot = cellular(o.seed + 4, u * 16, v * 16, 16, 16, 1.0f, false);
    if (spot.id > 0.86f)
        c = mix(c, spot.id > 0.95f ? rgb(0.62f, 0.64f, 0.5f) : rgb(0.76f, 0.62f, 0.28f),
                0.75f * smoothstep(0.32f, 0.2f, spot.f1 + 0.25f * (fbm(o.seed + 5, u, v, 48, 2) - 0.5f)) *
                    smoothstep(0.0f, 0.2f, t.shadow));
    const float side = std::min(b.x, 1 - b.x) * b.width;
    const float open = smoothstep(0.002f, 0.005f, side);
    c = scaled(c, (0.4f + 0.6f * smoothstep(0.0f, 0.3f, t.shadow)) * (0.2f + 0.8f * open));
    s.colour = c;
    s.height =
        clamp01(0.15f + 0.55f * clamp01((b.y + 0.4f) / 1.4f) + 0.2f * (1 - x * x) + 0.05f * grit) * open;
    return s;
}

Surface shingles(const Options& o, float u, float v) {
    // Split wooden shingles of uneven widths in offset rows, dark with age; grain and splits along v.
    const int columns = 7, rows = 9;
    const Overlap t = overlapped(o.seed, u, v, columns, rows, 0.5f, 0.3f, 0.7f, 0.04f);
    const Brick& b = t.tile;
    Random r{hashInt(o.seed + 1, b.column, b.row)};
    const float tone = r.next(), shift = r.between(0, 10), splitX = r.between(0.2f, 0.8f), split = r.next();
    const float fibre = stretchedFbm(o.seed + 2, u + shift, v, 48, 3, 3),
                weather = fbm(o.seed + 3, u, v, 6, 3);
    Surface s;
    Colour c =
        mix(o.from, o.to, clamp01(0.1f + 0.6f * tone + 0.6f * (fibre - 0.5f) + 0.3f * (weather - 0.5f)));
    // The exposed butt ends weather paler.
    c = mix(c, scaled(o.to, 0.9f), 0.25f * smoothstep(0.4f, 1.0f, b.y));
    const float splitLine =
        split < 0.3f ? smoothstep(0.02f, 0.0f, std::fabs(b.x - splitX)) * smoothstep(0.2f, 0.6f, b.y) : 0;
    const float side = std::min(b.x, 1 - b.x) * b.width;
    const float open = smoothstep(0.002f, 0.005f, side) * (1 - splitLine);
    c = scaled(c, (0.35f + 0.65f * smoothstep(0.0f, 0.25f, t.shadow)) * (0.2f + 0.8f * open));
    s.colour = c;
    s.height = clamp01(0.2f + 0.6f * clamp01((b.y + 0.3f) / 1.3f) + 0.15f * fibre) * open;
    return s;
}

Surface brickwork(const Options& o, float u, float v) {
    // Hand-made bricks in stretcher bond with recessed lime mortar: every brick its own colour, a
    // few over-fired ones, worn arrises and a speckled face.
    float wu = u, wv = v;
    warp(o.seed, wu, wv, 6, 0.003f);
    const Brick b = brick(o.seed, wu, wv, 4, 12, 0.5f);
    const float rough = fbm(o.seed + 1, u, v, 24, 3), blotch = fbm(o.seed + 2, u, v, 6, 3);
    const float mortarWidth = 0.011f;
    const float face = smoothstep(mortarWidth, mortarWidth + 0.004f, b.edge + 0.005f * (rough - 0.5f));
    Random r{hashInt(o.seed + 3, b.column, b.row)};
    const float tone = r.next(), odd = r.next();
    Colour brickColour = mix(o.from, o.to, clamp01(0.1f + 0.8f * tone + 0.5f * (blotch - 0.5f)));
    if (odd < 0.15f)
        brickColour = mix(brickColour, rgb(0.28f, 0.15f, 0.12f), 0.6f);
    brickColour = scaled(brickColour, (0.8f + 0.2f * smoothstep(mortarWidth, mortarWidth + 0.02f, b.edge)) *
                                          (0.9f + 0.1f * rough));
    if (grain(o.seed + 4, u, v, 400) > 0.96f)
        brickColour = scaled(brickColour, 0.7f);
    // The mortar sits back in the joint, in the bricks' shadow.
    const Colour mortar =
        scaled(rgb(0.66f, 0.63f, 0.57f),
               (0.75f + 0.25f * rough) * (0.7f + 0.3f * smoothstep(0.0f, mortarWidth, mortarWidth - b.edge)));
    Surface s;
    s.colour = mix(mortar, brickColour, face);
    s.height = clamp01(0.25f + 0.1f * rough + face * (0.45f + 0.1f * rough + 0.05f * blotch));
    return s;
}

Surface canvas(const Options& o, float u, float v) {
    // Plain-woven sail cloth, threads slubbed and each its own shade, sewn from panels with
    // double-stitched seams along v; weathered with faint stains.
    const int threads = 72;
    const float x = u * threads, y = v * threads;
    const int i = static_cast<int>(std::floor(x)), j = static_cast<int>(std::floor(y));
    const float fx = x - i, fy = y - j;
    const bool warpOnTop = ((wrap(i, threads) + wrap(j, threads)) & 1) == 0;
    const float warpShade =
        0.85f + 0.15f * hash(o.seed, wrap(i, threads), 0) * stretchedFbm(o.seed + 1, u, v, threads, 4, 2);
    const float weftShade =
        0.85f + 0.15f * hash(o.seed + 2, wrap(j, threads), 0) * stretchedFbm(o.seed + 3, u, v, 4, threads, 2);
    const float profile = warpOnTop ? std::sin(kPi * fx) : std::sin(kPi * fy);
    const float arch = warpOnTop ? std::sin(kPi * fy) : std::sin(kPi * fx);
    const float stain = fbm(o.seed + 4, u, v, 3, 4);
    Surface s;
    Colour c = mix(o.from, o.to, clamp01(0.5f + 0.8f * (fbm(o.seed + 5, u, v, 6, 3) - 0.5f)));
    c = scaled(c, (warpOnTop ? warpShade : weftShade) * (0.78f + 0.22f * profile * (0.7f + 0.3f * arch)));
    c = mix(c, rgb(0.58f, 0.54f, 0.45f), 0.35f * smoothstep(0.55f, 0.8f, stain));
    s.height = 0.4f + 0.3f * profile * (0.6f + 0.4f * arch);
    for (float seam : {0.25f, 0.75f}) {
        const float d = std::fabs(fract(u) - seam);
        if (d < 0.02f) {
            // Two layers of cloth: denser and a little darker, with a row of stitches each side.
            c = scaled(c, 0.9f);
            s.height += 0.2f;
            const float row = std::fabs(d - 0.012f);
            if (row < 0.0025f && fract(v * 90) < 0.6f) {
                c = mix(c, rgb(0.5f, 0.47f, 0.4f), 0.7f);
                s.height -= 0.15f;
            }
        }
        s.height -= 0.15f * smoothstep(0.004f, 0.0f, std::fabs(d - 0.02f));
    }
    s.colour = c;
    s.height = clamp01(s.height);
    return s;
}

Surface glass(const Options& o, float u, float v) {
    // A window: four panes in a painted wooden frame (half the frame at each edge, so windows
    // tile), dark glass with a soft sky reflection and a brighter streak across it.
    const float half = 0.035f;
    auto toLine = [](float t) {
        t = fract(t);
        return std::min(std::fabs(t - 0.5f), std::min(t, 1 - t));
    };
    const float frame = std::min(toLine(u), toLine(v));
    const float px = fract(u * 2), py = fract(v * 2);
    Surface s;
    if (frame < half) {
        const float bevel = std::sin(kPi * 0.5f * frame / half);
        s.colour =
            scaled(rgb(0.82f, 0.8f, 0.74f), (0.8f + 0.2f * bevel) * (0.9f + 0.1f * fbm(o.seed, u, v, 16, 2)));
        s.height = 0.7f + 0.3f * bevel;
        return s;
    }
    const float reflection =
        clamp01(0.55f * (1 - py) + 0.2f * px + 0.1f * (fbm(o.seed + 1, u, v, 4, 2) - 0.5f));
    const float streak = std::exp(-std::pow((px + 0.6f * py - 0.75f) * 7, 2.0f));
    Colour c = mix(o.from, o.to, clamp01(0.6f * reflection + 0.35f * streak));
    c = scaled(c, 0.6f + 0.4f * smoothstep(half, half + 0.05f, frame));
    s.colour = c;
    s.height = 0.2f;
    return s;
}

} // namespace texgen
