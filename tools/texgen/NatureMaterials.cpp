#include "Materials.h"
#include "Noise.h"

#include <cmath>

namespace texgen {

namespace {

const float kPi = 3.14159265f;

float fract(float x) {
    return x - std::floor(x);
}

Colour rgb(float r, float g, float b) {
    return {r, g, b, 1};
}

// What grows in a patch of turf besides the green blades.
struct Turf {
    float straws; // share of dry straws among the blades
    float clover; // chance of a clover leaf in each clover cell
};

// A blade (or straw, or leaf) lying from its anchor along `angle`, tapering to its tip: true when
// (dx, dy) from the anchor falls on it, with `along` 0..1 from root to tip and `across` -1..1.
bool onBlade(float dx, float dy, float angle, float length, float width, float bend, float taper,
             float& along, float& across) {
    const float ca = std::cos(angle), sa = std::sin(angle);
    const float s = dx * ca + dy * sa;
    if (s < 0 || s > length)
        return false;
    along = s / length;
    const float t = -dx * sa + dy * ca - bend * along * along;
    const float half = width * std::pow(1 - along, taper);
    if (std::fabs(t) >= half)
        return false;
    across = t / half;
    return true;
}

// Clover: three notched round leaflets around the anchor, within `radius`.
bool onClover(float dx, float dy, float turn, float radius, float& shade) {
    for (int k = 0; k < 3; ++k) {
        const float a = turn + k * 2 * kPi / 3, ca = std::cos(a), sa = std::sin(a);
        const float lx = dx - ca * radius * 0.5f, ly = dy - sa * radius * 0.5f;
        const float r = std::sqrt(lx * lx + ly * ly);
        // The notch: the leaflet's rim dips where it points away from the middle.
        const float out = std::atan2(ly * ca - lx * sa, lx * ca + ly * sa);
        const float rim = radius * 0.5f * (1 - 0.45f * std::exp(-out * out * 12));
        if (r < rim) {
            // A pale band across each leaflet, as real clover has.
            const float band = std::fabs(r / rim - 0.55f);
            shade = 0.85f + 0.15f * (1 - r / rim) + (band < 0.08f ? 0.25f : 0.0f);
            return true;
        }
    }
    return false;
}

// Turf from above: blades of green between `from` and `to` lying every way over shaded thatch,
// the deeper ones darker, with clover and dry straws among them.
Surface turf(unsigned seed, const Colour& from, const Colour& to, float u, float v, const Turf& look) {
    Surface s;
    // Between the blades: shaded thatch and earth.
    const float ground = fbm(seed, u, v, 6, 4);
    s.colour = scaled(mix(rgb(0.2f, 0.16f, 0.09f), from, ground), 0.55f);
    s.height = 0.1f * ground;
    // Patches where the grass grows lusher or yellower.
    const float patch = fbm(seed + 5, u, v, 3, 3);
    const Colour lush = scaled(from, 0.85f), dry = mix(to, rgb(0.72f, 0.66f, 0.34f), 0.5f);
    float top = 0;
    const int period = 18;
    scatter(seed + 11, u * period, v * period, period, period, 8, 2, [&](float dx, float dy, Random& r) {
        const float layer = r.next(), kind = r.next(), tone = r.next();
        const float angle = r.next() * 2 * kPi, bend = r.between(-0.35f, 0.35f);
        const bool straw = kind < look.straws;
        const float length = straw ? r.between(1.3f, 2.0f) : r.between(0.8f, 1.7f);
        const float width = straw ? r.between(0.03f, 0.045f) : r.between(0.06f, 0.11f);
        float along, across;
        if (layer <= top || dx * dx + dy * dy > length * length ||
            !onBlade(dx, dy, angle, length, width, bend, straw ? 0.1f : 0.6f, along, across))
            return;
        top = layer;
        Colour c =
            straw ? mix(rgb(0.62f, 0.56f, 0.34f), rgb(0.82f, 0.76f, 0.5f), tone) : mix(from, to, tone * tone);
        if (!straw)
            c = mix(c, patch < 0.5f ? lush : dry, 0.5f * smoothstep(0.12f, 0.32f, std::fabs(patch - 0.5f)));
        // Tips are younger and catch the light; the midrib is lighter than the edges.
        c = mix(c, straw ? c : to, 0.35f * along);
        c = scaled(c, (0.86f + 0.14f * (1 - across * across)) * (0.62f + 0.38f * layer));
        s.colour = c;
        s.height = 0.15f + 0.75f * layer + 0.1f * (1 - across * across);
    });
    const int clovers = 7;
    scatter(seed + 12, u * clovers, v * clovers, clovers, clovers, 1, 1, [&](float dx, float dy, Random& r) {
        const float chance = r.next(), layer = r.between(0.55f, 1.0f), turn = r.next() * 2 * kPi;
        const float radius = r.between(0.25f, 0.4f), tone = r.next();
        float shade;
        if (chance > look.clover || layer <= top || !onClover(dx, dy, turn, radius, shade))
            return;
        top = layer;
        const Colour c = mix(rgb(0.2f, 0.36f, 0.15f), rgb(0.33f, 0.5f, 0.24f), tone);
        s.colour = scaled(c, std::min(1.0f, shade * (0.62f + 0.38f * layer)));
        s.height = 0.2f + 0.75f * layer;
    });
    return s;
}

// Small stones lying on the ground, rounded, each its own grey or ochre, with a soft contact
// shadow around it.
void pebbles(unsigned seed, float u, float v, int period, float chance, float size, Surface& s) {
    static const Colour palette[] = {rgb(0.5f, 0.48f, 0.45f), rgb(0.64f, 0.55f, 0.4f),
                                     rgb(0.34f, 0.32f, 0.3f), rgb(0.72f, 0.7f, 0.64f),
                                     rgb(0.55f, 0.42f, 0.32f)};
    float best = 0, shadow = 1;
    Colour colour;
    scatter(seed, u * period, v * period, period, period, 1, 1, [&](float dx, float dy, Random& r) {
        const float there = r.next(), rx = r.between(0.12f, 0.3f) * size, ry = rx * r.between(0.55f, 0.95f);
        const float a = r.next() * kPi, tone = r.next();
        const int kind = static_cast<int>(r.next() * 4.999f);
        if (there > chance)
            return;
        const float ca = std::cos(a), sa = std::sin(a);
        const float px = (dx * ca + dy * sa) / rx, py = (-dx * sa + dy * ca) / ry;
        const float d = std::sqrt(px * px + py * py);
        shadow = std::min(shadow, 0.6f + 0.4f * smoothstep(0.95f, 1.6f, d));
        if (d >= 1)
            return;
        const float dome = std::sqrt(1 - d * d), h = 0.55f + 0.45f * dome;
        if (h <= best)
            return;
        best = h;
        // Light from the upper left, so the stones read as round.
        const float nx = dx / rx, ny = dy / ry;
        const float lit = clamp01(0.7f + 0.3f * dome - 0.25f * (nx + ny));
        colour = scaled(mix(palette[kind], scaled(palette[kind], 0.8f), tone), lit);
    });
    if (best > 0) {
        s.colour = colour;
        s.height = std::max(s.height, best);
    } else {
        s.colour = scaled(s.colour, shadow);
    }
}

} // namespace

Surface grass(const Options& o, float u, float v) {
    return turf(o.seed, o.from, o.to, u, v, {0.04f, 0.2f});
}

Surface meadow(const Options& o, float u, float v) {
    return turf(o.seed, o.from, o.to, u, v, {0.1f, 0.12f});
}

Surface soil(const Options& o, float u, float v) {
    float wu = u, wv = v;
    warp(o.seed, wu, wv, 4, 0.03f);
    const float broad = fbm(o.seed + 1, wu, wv, 3, 3), fine = fbm(o.seed + 2, wu, wv, 24, 3);
    // Crumbly clods, rounded, with soft hollows between them rather than cracks.
    float cu = u, cv = v;
    warp(o.seed + 11, cu, cv, 8, 0.025f);
    const CellHit clod = cellular(o.seed + 3, cu * 10, cv * 10, 10, 10);
    const CellHit crumb = cellular(o.seed + 8, u * 40, v * 40, 40, 40, 0.9f, false);
    const float hollow = smoothstep(0.0f, 0.4f, clod.edge + 0.3f * (fine - 0.5f));
    const float lump = clamp01(1 - clod.f1 * clod.f1);
    Surface s;
    const float tone = clamp01(0.15f + 0.8f * broad + 0.4f * (fine - 0.5f) + 0.15f * (clod.id - 0.5f) +
                               0.2f * (crumb.id - 0.5f));
    s.colour = scaled(mix(o.from, o.to, tone), (0.72f + 0.28f * hollow) * (0.85f + 0.15f * lump));
    s.height = clamp01(0.1f + 0.3f * lump * hollow + 0.2f * fine + 0.1f * broad + 0.1f * (1 - crumb.f1));
    // Grit: a sprinkle of light grains.
    if (grain(o.seed + 9, u, v, 512) > 0.985f)
        s.colour = mix(s.colour, rgb(0.75f, 0.7f, 0.6f), 0.6f);
    pebbles(o.seed + 4, u, v, 12, 0.2f, 1.8f, s);
    pebbles(o.seed + 10, u, v, 24, 0.15f, 1.5f, s);
    return s;
}

Surface path(const Options& o, float u, float v) {
    // u runs across the path and v along it. Two wheel ruts, a crown between them with tufts of
    // grass, grass closing in from the verges, and the verges fading out to show the ground.
    const float ragged = stretchedFbm(o.seed + 1, u, v, 3, 8, 4);
    const float side = std::min(u, 1 - u);
    Surface s;
    const float earth = stretchedFbm(o.seed + 2, u, v, 6, 12, 4),
                fine = stretchedFbm(o.seed + 3, u, v, 24, 48, 2);
    s.colour = mix(o.from, o.to, clamp01(0.2f + 0.7f * earth + 0.4f * (fine - 0.5f)));
    s.height = 0.5f + 0.1f * fine;
    for (float rut : {0.34f, 0.66f}) {
        const float wobble = 0.03f * (stretchedFbm(o.seed + 4, u, v, 1, 2, 2) - 0.5f);
        const float d = std::fabs(u - rut - wobble);
        const float depth = smoothstep(0.08f, 0.03f, d);
        // The ruts are pressed smooth and hold the damp; their shoulders catch the light.
        const float damp = smoothstep(0.4f, 0.6f, earth);
        s.colour = scaled(mix(s.colour, o.from, 0.6f * depth), 1 - (0.15f + 0.2f * damp) * depth);
        s.colour = mix(s.colour, o.to, 0.25f * smoothstep(0.11f, 0.09f, d) * smoothstep(0.06f, 0.085f, d));
        s.height -= 0.35f * depth;
    }
    pebbles(o.seed + 5, u, v, 12, 0.3f, 1.2f, s);
    // Grass in tufts along the crown and over the verges.
    const float tufts = stretchedFbm(o.seed + 6, u, v, 8, 16, 3);
    const float crown = smoothstep(0.09f, 0.03f, std::fabs(u - 0.5f) + 0.05f * (ragged - 0.5f)) *
                        smoothstep(0.45f, 0.6f, tufts);
    const float verge = smoothstep(0.3f, 0.19f, side + 0.12f * (ragged - 0.5f) + 0.05f * (tufts - 0.5f));
    const float cover = std::max(crown, verge);
    if (cover > 0) {
        const Surface green =
            turf(o.seed, rgb(0.22f, 0.36f, 0.1f), rgb(0.56f, 0.65f, 0.27f), u, v, {0.12f, 0.15f});
        s.colour = mix(s.colour, green.colour, cover);
        s.height = s.height + (green.height - s.height) * cover;
    }
    // Alpha: nothing at the verges' outer edges, whole over the middle of the path.
    s.colour.a = smoothstep(0.05f, 0.18f, side + 0.06f * (ragged - 0.5f));
    return s;
}

Surface rock(const Options& o, float u, float v) {
    float wu = u, wv = v;
    warp(o.seed, wu, wv, 3, 0.05f);
    const float body = fbm(o.seed + 1, wu, wv, 4, 6, 0.55f), granular = fbm(o.seed + 2, u, v, 40, 2);
    // A few cracks that fade out, and crystals speckling the stone.
    const CellHit plate = cellular(o.seed + 3, wu * 3, wv * 3, 3, 3);
    const CellHit crystal = cellular(o.seed + 4, u * 64, v * 64, 64, 64, 0.9f, false);
    const float reach = smoothstep(0.4f, 0.6f, fbm(o.seed + 8, u, v, 4, 2));
    const float crack = 1 - reach * smoothstep(0.025f, 0.0f, plate.edge + 0.02f * (granular - 0.5f));
    const float speck = crystal.id < 0.12f ? -1.0f : crystal.id > 0.9f ? 1.0f : 0.0f;
    const float tone = clamp01(0.1f + 0.8f * body + 0.15f * (plate.id - 0.5f) + 0.15f * (granular - 0.5f) +
                               0.12f * speck * smoothstep(0.6f, 0.2f, crystal.f1));
    Surface s;
    s.colour = mix(o.from, o.to, tone);
    // Some plates are warmer (iron), some cooler.
    s.colour = mix(s.colour, rgb(0.52f, 0.46f, 0.38f), 0.3f * smoothstep(0.5f, 0.9f, plate.id));
    s.colour = scaled(s.colour, 0.35f + 0.65f * crack);
    s.height = clamp01(0.2f + 0.55f * body + 0.1f * granular - 0.3f * (1 - crack));
    // Lichen: crusts grown from single spores, pale green-grey, yellow-orange or whitish, from
    // specks to palm-sized rosettes with ragged edges.
    const CellHit spot = cellular(o.seed + 5, u * 9, v * 9, 9, 9, 1.0f, false);
    const float edgeNoise = fbm(o.seed + 6, u, v, 24, 3);
    const float kind = hash(o.seed + 7, spot.cx, spot.cy);
    const float size = spot.id * spot.id;
    const float inside = spot.f1 - (0.06f + 0.42f * size) + 0.35f * size * (edgeNoise - 0.5f) * 2;
    if (kind > 0.25f && inside < 0) {
        static const Colour lichens[] = {rgb(0.6f, 0.64f, 0.5f), rgb(0.74f, 0.62f, 0.32f),
                                         rgb(0.76f, 0.76f, 0.7f)};
        const Colour lichen = lichens[kind < 0.7f ? 0 : kind < 0.92f ? 1 : 2];
        // Brighter growing rims, greyer centres, a granular crust.
        const float rim = smoothstep(-0.1f, 0.0f, inside);
        const Colour c = scaled(mix(mix(lichen, s.colour, 0.3f), lichen, rim), 0.8f + 0.2f * granular);
        const float cover = smoothstep(0.0f, -0.015f, inside) * crack;
        s.colour = mix(s.colour, c, cover);
        s.height = clamp01(s.height + 0.05f * cover);
    }
    return s;
}

Surface bark(const Options& o, float u, float v) {
    // The furrows are the whole-number contours of a ramp across the trunk plus noise stretched
    // along it: long lines that wander, and merge where the noise falls as fast as the ramp rises.
    const float wander = stretchedFbm(o.seed, u, v, 4, 1, 4, 0.45f) - 0.5f;
    const float t = u * 9 + 3.2f * wander;
    const float g = std::fabs(t - std::round(t));
    const float fibre = stretchedFbm(o.seed + 2, u, v, 64, 4, 3), rough = fbm(o.seed + 3, u, v, 24, 3);
    const float ridge = smoothstep(0.06f, 0.42f, g + 0.1f * (fibre - 0.5f) + 0.08f * (rough - 0.5f));
    // Each plate is broken up its length into pieces of their own shade.
    const float c = v * 5 + 0.8f * (stretchedFbm(o.seed + 1, u, v, 6, 2, 2) - 0.5f);
    const float piece =
        hash(o.seed + 5, wrap(static_cast<int>(std::floor(t)), 9), wrap(static_cast<int>(std::floor(c)), 5));
    Surface s;
    const float tone = clamp01(0.1f + 0.7f * ridge * (0.75f + 0.25f * piece) + 0.5f * (fibre - 0.5f) +
                               0.3f * (rough - 0.5f));
    s.colour = mix(scaled(o.from, 0.5f), o.to, tone);
    // Weathered silver on the plates' crowns, moss deep in some furrows.
    s.colour = mix(s.colour, rgb(0.58f, 0.56f, 0.52f), 0.35f * smoothstep(0.7f, 1.0f, ridge) * piece);
    const float moss = smoothstep(0.6f, 0.72f, fbm(o.seed + 4, u, v, 3, 3)) * smoothstep(0.45f, 0.1f, ridge);
    s.colour = mix(s.colour, rgb(0.26f, 0.32f, 0.12f), 0.5f * moss);
    s.height = clamp01(0.1f + 0.6f * ridge + 0.15f * fibre + 0.15f * rough);
    return s;
}

Surface leaves(const Options& o, float u, float v) {
    // Clumps of leaves with dark gaps between them, lit from above; each leaf lies pointing
    // away from its clump's middle.
    const int clumps = 4, period = 20;
    const float clumpRadius = 0.7f;
    auto dome = [&](float x, float y, float& nx, float& ny) {
        const CellHit c = cellular(o.seed, x, y, clumps, clumps, 0.8f, false);
        const float r = c.f1 / (clumpRadius * (0.85f + 0.3f * c.id));
        nx = c.dx;
        ny = c.dy;
        return clamp01(1 - r * r);
    };
    Surface s;
    const float deep = fbm(o.seed + 1, u, v, 8, 3);
    s.colour = scaled(mix(rgb(0.04f, 0.08f, 0.03f), scaled(o.from, 0.6f), deep), 0.9f);
    s.height = 0.1f * deep;
    float top = 0;
    const float scale = float(clumps) / period;
    scatter(o.seed + 2, u * period, v * period, period, period, 3, 1, [&](float dx, float dy, Random& r) {
        const float layer = r.next(), tone = r.next(), length = r.between(0.55f, 0.9f);
        const float width = length * r.between(0.28f, 0.38f), stray = r.between(-0.9f, 0.9f), tilt = r.next();
        const float ax = u * period - dx, ay = v * period - dy;
        float nx, ny;
        const float under = dome(ax * scale, ay * scale, nx, ny);
        const float depth = under * 0.75f + layer * 0.25f;
        if (under <= 0 || depth <= top)
            return;
        float along, across;
        const float angle = std::atan2(ny, nx) + stray;
        if (!onBlade(dx, dy, angle, length, width, 0, 0, along, across))
            return;
        // A leaf's outline: pointed at both ends.
        const float outline = std::sin(kPi * std::min(1.0f, along * 1.1f + 0.05f));
        if (std::fabs(across) > std::pow(outline, 0.7f))
            return;
        top = depth;
        Colour c = mix(o.from, o.to, tone * 0.7f + 0.3f * along);
        // Some leaves bluer, some yellower.
        if (tilt > 0.85f)
            c = mix(c, rgb(0.62f, 0.68f, 0.28f), 0.4f);
        else if (tilt < 0.15f)
            c = mix(c, rgb(0.14f, 0.3f, 0.2f), 0.4f);
        // Light from above: the upper side of a clump is brighter; the leaf's own tilt varies it.
        const float light = clamp01(0.5f - 0.6f * (ny + 0.3f * nx) / clumpRadius) * (0.6f + 0.4f * tilt);
        c = scaled(c, (0.45f + 0.55f * under) * (0.6f + 0.4f * light));
        if (std::fabs(across) < 0.12f && along < 0.85f)
            c = scaled(c, 0.85f);
        s.colour = c;
        s.height = 0.2f + 0.8f * depth;
    });
    return s;
}

Surface leafCard(const Options& o, float u, float v) {
    // A twig rising from the bottom middle nearly to the top, bending a little, with leaves in
    // pairs along it that reach out towards the picture's sides and one leaf at its tip. Where no
    // leaf covers the picture it is clear but keeps a leaf colour, so filtering draws no dark rim.
    Random r{hashInt(o.seed, 11, 17)};
    const float bend = r.between(-0.12f, 0.12f);
    auto twigX = [&](float t) { return 0.5f + bend * t * t; };
    const float base = 0.98f, top = 0.14f;
    Surface s;
    s.colour = mix(o.from, o.to, 0.4f);
    s.colour.a = 0;
    float best = -1;
    // The twig: from 0 at its foot to 1 at its tip, thinning.
    const float t = (base - v) / (base - top);
    if (t >= 0 && t <= 1 && std::fabs(u - twigX(t)) < 0.012f * (1.2f - t)) {
        s.colour = rgb(0.24f, 0.18f, 0.1f);
        s.height = 0.3f;
        best = 0;
    }
    const int pairs = 5;
    for (int k = 0; k <= 2 * pairs; ++k) {
        // Leaf k: pairs up the twig (the lower ones longer), then the leaf at the tip.
        const bool tip = k == 2 * pairs;
        const float at = tip ? 1.0f : (0.1f + 0.85f * float(k / 2) / float(pairs)) + r.between(-0.04f, 0.04f);
        const float side = k % 2 == 0 ? -1.0f : 1.0f;
        const float length = (tip ? 0.12f : 0.36f - 0.12f * at) * r.between(0.85f, 1.1f);
        const float width = length * r.between(0.34f, 0.44f);
        const float spread = tip ? r.between(-0.2f, 0.2f) : side * r.between(0.65f, 1.15f);
        const float tone = r.next(), tilt = r.next();
        // Angle from the twig's direction (up the picture, which is -v).
        const float angle = -kPi * 0.5f + spread;
        const float ax = twigX(at), ay = base - at * (base - top);
        float along, across;
        if (!onBlade(u - ax, v - ay, angle, length, width * 0.5f, 0, 0, along, across))
            continue;
        // Pointed at both ends, widest a little below the middle.
        const float outline = std::sin(kPi * std::pow(along, 0.85f));
        if (std::fabs(across) > outline)
            continue;
        const float depth = 1 + float(k);
        if (depth <= best)
            continue;
        best = depth;
        Colour c = mix(o.from, o.to, 0.25f + 0.55f * tone);
        if (tilt > 0.8f)
            c = mix(c, rgb(0.62f, 0.68f, 0.28f), 0.35f);
        else if (tilt < 0.2f)
            c = mix(c, rgb(0.12f, 0.28f, 0.18f), 0.35f);
        // The leaf's far half catches more light; the midrib and the margin are darker, veins faint.
        const float edge = std::fabs(across) / std::max(outline, 1e-3f);
        const float vein = std::fabs(std::sin((along * 7 + std::fabs(across) * 2) * kPi));
        float shade = (0.75f + 0.25f * along) * (1 - 0.25f * smoothstep(0.7f, 1.0f, edge)) *
                      (0.92f + 0.08f * vein) * (0.9f + 0.1f * fbm(o.seed + 3, u, v, 8, 2));
        if (std::fabs(across) < 0.07f)
            shade *= 0.8f;
        s.colour = scaled(c, clamp01(shade));
        s.colour.a = 1;
        s.height = 0.4f + 0.6f * (1 - edge * edge);
    }
    return s;
}

Surface petal(const Options& o, float u, float v) {
    // One petal, its base at the bottom middle and its tip at the top: pinched to a claw at the
    // base, widest two thirds up, a rounded end with three small teeth. It fills the picture's
    // width: a narrow picture draws a daisy's strap, a square one a poppy's fan.
    const float t = (0.97f - v) / 0.93f, x = u - 0.5f;
    const float widest = 0.62f, maxHalf = 0.45f;
    const float e = (t - widest) / (t < widest ? widest : 1 - widest);
    const float half = t <= 0 ? 0.0f
                              : maxHalf * std::sqrt(clamp01(1 - e * e)) *
                                    (0.55f + 0.45f * smoothstep(0.0f, 0.45f, t)) *
                                    (0.98f + 0.02f * std::cos(t * 40));
    const float teeth = 0.035f * (0.5f - 0.5f * std::cos(6 * kPi * x / maxHalf));
    const float inside = std::min(half - std::fabs(x), (1 - teeth - t) * 0.5f);
    const float across = clamp01(std::fabs(x) / std::max(half, 1e-3f));
    // Veins fan out from the base, spaced across the width; the middle one is strongest.
    const float fan = x / std::max(half, 1e-3f) * 6.5f;
    const float vein = smoothstep(0.2f, 0.0f, std::fabs(fan - std::round(fan))) * smoothstep(0.0f, 0.2f, t);
    const float midrib = smoothstep(0.05f, 0.0f, std::fabs(fan) / 6.5f) * (1 - t);
    Surface s;
    Colour c = mix(o.from, o.to, smoothstep(0.02f, 0.6f, t));
    c = scaled(c, (1 - 0.08f * vein - 0.1f * midrib) * (0.93f + 0.07f * fbm(o.seed, u, v, 6, 3)));
    // A little lighter at the thin margin.
    c = mix(c, o.to, 0.3f * smoothstep(0.75f, 1.0f, across));
    s.colour = c;
    s.colour.a = smoothstep(-0.004f, 0.004f, inside);
    s.height = clamp01(0.5f * (1 - across * across) - 0.05f * vein) * (inside > 0 ? 1.0f : 0.0f);
    return s;
}

Surface feathers(const Options& o, float u, float v) {
    // Rows of overlapping feathers, tips down: each row covers the bases of the row beneath.
    const int columns = 5, rows = 5;
    const Overlap f = overlapped(o.seed, u, v, columns, rows, 0.5f, 0.15f, 0.2f, 0.9f);
    const float x = 2 * f.tile.x - 1, y = f.tile.y;
    const float ragged = fbm(o.seed + 1, u, v, 16, 2);
    // The shaft, and barbs slanting out and down from it, parting here and there.
    const float shaft = smoothstep(0.05f, 0.01f, std::fabs(x)) * smoothstep(-0.5f, 0.2f, y);
    const float slant = y * 1.6f - std::fabs(x) * 0.9f;
    const float barb = 0.5f + 0.5f * std::sin(slant * 2 * kPi * 9);
    const float parting = smoothstep(0.03f, 0.0f, std::fabs(fract(slant * 1.5f + f.tile.random) - 0.5f)) *
                          smoothstep(0.2f, 0.8f, std::fabs(x));
    Surface s;
    Colour c = mix(o.from, o.to, clamp01(0.15f + 0.4f * f.tile.random + 0.45f * (y - 0.2f)));
    // The exposed tips shimmer green-blue.
    c = mix(c, rgb(0.12f, 0.2f, 0.26f), 0.4f * smoothstep(0.3f, 0.9f, y) * (1 - std::fabs(x)));
    c = scaled(c, (0.8f + 0.2f * barb * (0.6f + 0.4f * ragged)) * (1 - 0.4f * parting));
    c = mix(c, scaled(o.to, 0.8f), 0.4f * shaft);
    // The edge of the feather above casts a shadow.
    c = scaled(c, 0.45f + 0.55f * smoothstep(0.0f, 0.3f, f.shadow));
    s.colour = c;
    s.height =
        clamp01(0.2f + 0.6f * clamp01((y + 0.5f) / 1.5f) + 0.1f * barb + 0.1f * shaft - 0.1f * parting);
    return s;
}

} // namespace texgen
