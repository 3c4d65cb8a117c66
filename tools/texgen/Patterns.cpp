#include "Picture.h"

#include "Materials.h"
#include "Noise.h"

#include <algorithm>
#include <cmath>

namespace texgen {

namespace {

const float kPi = 3.14159265f;

float valueNoise(unsigned seed, float x, float y) {
    int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
    float fx = x - xi, fy = y - yi;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    float a = hash(seed, xi, yi), b = hash(seed, xi + 1, yi), c = hash(seed, xi, yi + 1),
          d = hash(seed, xi + 1, yi + 1);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

// Value noise that repeats every `period` cells in x and y, so a picture of it tiles.
float tiledNoise(unsigned seed, float x, float y, int period) {
    int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
    float fx = x - xi, fy = y - yi;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    const int x0 = wrap(xi, period), x1 = wrap(xi + 1, period), y0 = wrap(yi, period),
              y1 = wrap(yi + 1, period);
    float a = hash(seed, x0, y0), b = hash(seed, x1, y0), c = hash(seed, x0, y1), d = hash(seed, x1, y1);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

// A gentle filmic curve: a soft toe and shoulder around the straight line, lifted blacks and
// rolled-off whites, red a little ahead of green and blue a little behind: warm throughout.
Colour filmRamp(float x) {
    const float s = 0.5f * x + 0.5f * smoothstep(0, 1, x);
    auto channel = [&](float lo, float hi, float power) { return lo + (hi - lo) * std::pow(s, power); };
    return {channel(0.03f, 0.98f, 0.9f), channel(0.026f, 0.96f, 1.0f), channel(0.022f, 0.92f, 1.15f), 1};
}

// The pastoral picture (settings dialog, loading screen) in units of the picture's height: x runs
// to the aspect ratio, y downwards from 0 at the top.
float backHill(float x) {
    return 0.6f + 0.03f * std::sin(x * 3.1f + 0.5f) + 0.015f * std::sin(x * 7.3f);
}
float middleHill(float x) {
    return 0.69f + 0.045f * std::sin(x * 2.2f + 1.8f) + 0.012f * std::sin(x * 9.0f + 0.3f);
}
float frontHill(float x) {
    return 0.84f + 0.05f * std::sin(x * 1.6f + 3.0f) + 0.01f * std::sin(x * 6.0f + 1.0f);
}

// Inside the windmill standing on the middle hill at `mill` (x): a tapering tower, a pointed cap
// and four sails turned a little off the vertical.
bool insideWindmill(float x, float y, float mill) {
    const float base = middleHill(mill) + 0.02f, top = base - 0.21f;
    if (y <= base && y >= top) {
        const float t = (base - y) / (base - top);
        if (std::fabs(x - mill) <= 0.032f + (0.019f - 0.032f) * t)
            return true;
    }
    // The cap: a triangle on the tower.
    if (y < top && y >= top - 0.035f && std::fabs(x - mill) <= 0.025f * (y - (top - 0.035f)) / 0.035f)
        return true;
    const float hubX = mill, hubY = top - 0.005f;
    const float dx = x - hubX, dy = y - hubY;
    if (dx * dx + dy * dy < 0.012f * 0.012f)
        return true;
    for (int sail = 0; sail < 4; ++sail) {
        const float angle = 0.35f + sail * kPi * 0.5f;
        const float ax = std::cos(angle), ay = std::sin(angle);
        const float along = dx * ax + dy * ay, across = -dx * ay + dy * ax;
        // A spar along the whole sail, and the sail's lattice on one side of it.
        if (along > 0 && along < 0.17f && std::fabs(across) < 0.0035f)
            return true;
        if (along > 0.04f && along < 0.165f && across > 0 && across < 0.028f) {
            const bool rib = std::fmod(along, 0.021f) < 0.0045f;
            const bool edge = across > 0.0235f;
            if (rib || edge || std::fmod(across, 0.0095f) < 0.0028f)
                return true;
        }
    }
    return false;
}

Colour pastoral(float u, float v, float aspect) {
    const float x = u * aspect, y = v;
    const Colour zenith{0.14f, 0.2f, 0.42f}, middle{0.56f, 0.55f, 0.68f}, horizon{1.0f, 0.74f, 0.47f};
    const float sky = std::clamp(y / 0.62f, 0.0f, 1.0f);
    Colour c = sky < 0.55f ? mix(zenith, middle, sky / 0.55f) : mix(middle, horizon, (sky - 0.55f) / 0.45f);

    const float sunX = 0.27f * aspect, sunY = 0.585f, sunRadius = 0.05f;
    const float d = std::sqrt((x - sunX) * (x - sunX) + (y - sunY) * (y - sunY));
    const float glow = 0.55f * std::exp(-d * 7.0f);
    c = {c.r + glow, c.g + glow * 0.62f, c.b + glow * 0.3f, 1};
    if (d < sunRadius)
        c = mix(c, Colour{1.0f, 0.95f, 0.8f, 1}, smoothstep(sunRadius, sunRadius - 0.004f, d));

    const float mill = 0.76f * aspect;
    if (y > backHill(x))
        c = mix(horizon, Colour{0.3f, 0.42f, 0.3f, 1}, 0.8f);
    if (insideWindmill(x, y, mill))
        c = {0.1f, 0.09f, 0.13f, 1};
    if (y > middleHill(x))
        c = {0.2f, 0.33f, 0.18f, 1};
    if (y > frontHill(x)) {
        const float shade = std::clamp((y - frontHill(x)) * 2.5f, 0.0f, 0.4f);
        c = {0.13f - 0.05f * shade, 0.25f - 0.08f * shade, 0.11f - 0.03f * shade, 1};
    }
    return c;
}

} // namespace

// The production's valley, 400 m square around the origin (x east, z south), heights in metres:
// gentle rolling ground, the windmill's hill to the north, a level yard for the farm and a ring of
// higher hills that closes the horizon.
float valleyHeight(unsigned seed, float x, float z) {
    auto raw = [seed](float x, float z) {
        float rolling = 0, amp = 1.6f, wavelength = 90;
        for (int octave = 0; octave < 4; ++octave, amp *= 0.45f, wavelength *= 0.5f)
            rolling +=
                amp * (2 * valueNoise(seed + octave, x / wavelength + 17.3f, z / wavelength + 5.1f) - 1);
        const float dx = x - kValleyMill[0], dz = z - kValleyMill[1];
        const float hill = 9.0f * std::exp(-(dx * dx + dz * dz) / (2 * 30.0f * 30.0f));
        const float r = std::sqrt(x * x + z * z);
        float rim = 16.0f * smoothstep(110, 190, r);
        rim *= 0.6f + 0.4f * valueNoise(seed + 9, x / 45 + 3.7f, z / 45 + 1.9f) * 2;
        return rolling + hill + rim;
    };
    const float h = raw(x, z);
    const float fx = x - kValleyFarm[0], fz = z - kValleyFarm[1];
    const float yard = smoothstep(26, 12, std::sqrt(fx * fx + fz * fz));
    return h + (raw(kValleyFarm[0], kValleyFarm[1]) - h) * yard;
}

bool knownPattern(const std::string& name) {
    static const char* const names[] = {"gradient",    "checker",   "noise",    "skyface",
                                        "rings",       "vignette",  "filmramp", "pastoral",
                                        "petalnormal", "titlecard", "surface",  "hills"};
    return std::find(std::begin(names), std::end(names), name) != std::end(names) || findMaterial(name);
}

Options defaultOptions(const std::string& pattern) {
    Options o;
    o.pattern = pattern;
    if (const Material* m = findMaterial(pattern)) {
        o.width = o.height = m->size;
        o.from = m->from;
        o.to = m->to;
    }
    return o;
}

float heightAt(const Options& o, float u, float v) {
    if (o.pattern == "petalnormal")
        return petalHeight(u, v);
    if (const Material* m = findMaterial(o.pattern))
        return m->draw(o, u, v).height;
    const Colour c = shade(o, u, v);
    return 0.299f * c.r + 0.587f * c.g + 0.114f * c.b;
}

float petalHeight(float u, float v) {
    const float x = (u - 0.5f) * 2.2f, y = (v - 0.5f) * 2.2f;
    const float r = std::sqrt(x * x + y * y), a = std::atan2(y, x);
    // Six petals: the reach follows |cos 3a|, each petal a dome with a groove down its middle.
    const float lobe = std::fabs(std::cos(3 * a));
    const float reach = 0.35f + 0.62f * std::pow(lobe, 0.7f);
    const float inside = smoothstep(reach, reach - 0.14f, r);
    const float dome = std::sqrt(std::max(0.0f, 1 - r / reach));
    const float fromMiddle = 3 * a - kPi * std::round(3 * a / kPi);
    const float groove = 0.12f * std::exp(-(fromMiddle * fromMiddle) * 40) * smoothstep(0.2f, 0.45f, r);
    float height = inside * (0.3f + 0.4f * dome - groove);
    // The heart: a raised disc studded with small bumps.
    const float heartRadius = 0.22f;
    const float heart = smoothstep(heartRadius, heartRadius - 0.04f, r);
    const float bumps = 0.5f + 0.5f * std::cos(x * 60) * std::cos(y * 60);
    height += heart *
              (0.25f * std::sqrt(std::max(0.0f, 1 - (r / heartRadius) * (r / heartRadius))) + 0.04f * bumps);
    return height;
}

Colour shade(const Options& o, float u, float v) {
    if (const Material* m = findMaterial(o.pattern))
        return m->draw(o, u, v).colour;
    if (o.pattern == "gradient")
        return mix(o.from, o.to, v);
    if (o.pattern == "checker") {
        const int x = static_cast<int>(u * o.width), y = static_cast<int>(v * o.height);
        return ((x / o.cell + y / o.cell) & 1) ? o.to : o.from;
    }
    if (o.pattern == "rings") {
        float d = std::sqrt((u - 0.5f) * (u - 0.5f) + (v - 0.5f) * (v - 0.5f));
        return mix(o.from, o.to, 0.5f + 0.5f * std::cos(d * 40));
    }
    if (o.pattern == "noise") {
        float n = 0, amp = 0.5f, freq = 4;
        for (int octave = 0; octave < 5; ++octave, amp *= 0.5f, freq *= 2)
            n += amp * valueNoise(o.seed + octave, u * freq, v * freq);
        return {n, n, n, 1};
    }
    if (o.pattern == "surface") {
        // A tiling natural surface (grass, soil, rock, bark): broad blotches and fine grain of
        // several octaves between the two colours, the contrast lifted a little.
        float n = 0, amp = 0.5f;
        int period = 4;
        for (int octave = 0; octave < 6; ++octave, amp *= 0.55f, period *= 2)
            n += amp * tiledNoise(o.seed + octave, u * period, v * period, period);
        n = smoothstep(0.15f, 0.85f, n);
        return mix(o.from, o.to, n);
    }
    if (o.pattern == "vignette") {
        // Distance from the centre with the picture's aspect, 1 at the corners; flat in the middle.
        const float aspect = float(o.width) / float(o.height);
        const float x = (u - 0.5f) * aspect, y = v - 0.5f;
        const float d = std::sqrt(x * x + y * y) / std::sqrt(0.25f * aspect * aspect + 0.25f);
        return mix(o.from, o.to, std::pow(smoothstep(0.3f, 1.0f, d), 1.3f));
    }
    if (o.pattern == "filmramp")
        return filmRamp(u);
    if (o.pattern == "hills") {
        // Pixel centres sit on the grid's vertices: the first and last column are the edges.
        const float px = u * o.width - 0.5f, py = v * o.height - 0.5f;
        const float x = -0.5f * kValleySize + px * kValleySize / float(std::max(o.width - 1, 1));
        const float z = -0.5f * kValleySize + py * kValleySize / float(std::max(o.height - 1, 1));
        const float g = std::clamp((valleyHeight(o.seed, x, z) - kValleyBase) / kValleyRange, 0.0f, 1.0f);
        return {g, g, g, 1};
    }
    if (o.pattern == "pastoral")
        return pastoral(u, v, float(o.width) / float(o.height));
    if (o.pattern == "titlecard")
        return o.from;
    if (o.pattern == "petalnormal") {
        const float h = petalHeight(u, v);
        return {h, h, h, 1};
    }
    // skyface: a horizon gradient, brighter towards +Y, each side face tinted a little.
    static const Colour tint[6] = {{1, 0.9f, 0.8f},     {0.8f, 0.9f, 1}, {1, 1, 1},
                                   {0.3f, 0.3f, 0.35f}, {0.9f, 1, 0.9f}, {1, 0.85f, 0.95f}};
    Colour zenith{0.25f, 0.45f, 0.85f}, horizon{0.85f, 0.9f, 1.0f};
    float h = o.face == 2 ? 1 : o.face == 3 ? 0 : 1 - v;
    Colour c = mix(horizon, zenith, h);
    const Colour& t = tint[o.face % 6];
    return {c.r * t.r, c.g * t.g, c.b * t.b, 1};
}

} // namespace texgen
