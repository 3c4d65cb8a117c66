#pragma once

#include "Picture.h"

#include <algorithm>
#include <string>

// The material pictures: tiling surfaces of the production's world (turf, earth, stone, wood, clay,
// cloth, foliage) and a few single objects (a petal, feathers, a window). Each draws a colour and
// a height 0..1 at (u, v); the height gives the picture's normal map, so bumps and grooves in the
// normal map sit exactly on the features of the colour picture.
namespace texgen {

struct Surface {
    Colour colour;
    float height = 0;
};

struct Material {
    const char* name;
    Surface (*draw)(const Options& o, float u, float v);
    int size;         // default width and height in pixels
    Colour from, to;  // default --from and --to: the material's main colour range
    bool tilesAcross; // false: the left and right edges do not meet (a decal or a single object)
    bool tilesAlong;  // false: the top and bottom edges do not meet
};

// The material of that name, or null.
const Material* findMaterial(const std::string& name);
// Every material, for the tool's pattern list and for tests.
const Material* materialsBegin();
const Material* materialsEnd();

Colour mix(const Colour& a, const Colour& b, float t);
float smoothstep(float edge0, float edge1, float x);
inline float clamp01(float x) {
    return std::clamp(x, 0.0f, 1.0f);
}
// The colour's red, green and blue times k, its alpha kept.
inline Colour scaled(const Colour& c, float k) {
    return {c.r * k, c.g * k, c.b * k, c.a};
}

// The material functions, by the files they live in.
Surface grass(const Options& o, float u, float v);
Surface meadow(const Options& o, float u, float v);
Surface soil(const Options& o, float u, float v);
Surface path(const Options& o, float u, float v);
Surface rock(const Options& o, float u, float v);
Surface bark(const Options& o, float u, float v);
Surface leaves(const Options& o, float u, float v);
Surface leafCard(const Options& o, float u, float v);
Surface petal(const Options& o, float u, float v);
Surface feathers(const Options& o, float u, float v);

Surface planks(const Options& o, float u, float v);
Surface plaster(const Options& o, float u, float v);
Surface rooftiles(const Options& o, float u, float v);
Surface shingles(const Options& o, float u, float v);
Surface brickwork(const Options& o, float u, float v);
Surface canvas(const Options& o, float u, float v);
Surface glass(const Options& o, float u, float v);

} // namespace texgen
