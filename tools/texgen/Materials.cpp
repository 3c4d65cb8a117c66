#include "Materials.h"

#include <iterator>

namespace texgen {

namespace {

constexpr Colour rgb(float r, float g, float b) {
    return {r, g, b, 1};
}

// Default sizes and colours are the production's: its pictures name only what differs.
const Material kMaterials[] = {
    {"grass", grass, 256, rgb(0.24f, 0.4f, 0.1f), rgb(0.62f, 0.74f, 0.3f), true, true},
    {"meadow", meadow, 256, rgb(0.34f, 0.44f, 0.14f), rgb(0.72f, 0.74f, 0.34f), true, true},
    {"soil", soil, 256, rgb(0.24f, 0.17f, 0.11f), rgb(0.5f, 0.4f, 0.29f), true, true},
    {"path", path, 256, rgb(0.38f, 0.3f, 0.21f), rgb(0.62f, 0.53f, 0.39f), false, true},
    {"rock", rock, 256, rgb(0.32f, 0.32f, 0.31f), rgb(0.7f, 0.69f, 0.66f), true, true},
    {"bark", bark, 256, rgb(0.28f, 0.22f, 0.17f), rgb(0.52f, 0.47f, 0.4f), true, true},
    {"leaves", leaves, 256, rgb(0.16f, 0.32f, 0.08f), rgb(0.56f, 0.7f, 0.24f), true, true},
    {"leafcard", leafCard, 128, rgb(0.13f, 0.3f, 0.07f), rgb(0.5f, 0.68f, 0.2f), false, false},
    {"petals", petal, 128, rgb(0.93f, 0.92f, 0.82f), rgb(1.0f, 1.0f, 0.98f), false, false},
    {"feathers", feathers, 128, rgb(0.04f, 0.04f, 0.05f), rgb(0.24f, 0.23f, 0.26f), true, true},
    {"planks", planks, 256, rgb(0.36f, 0.28f, 0.2f), rgb(0.64f, 0.61f, 0.56f), true, true},
    {"plaster", plaster, 256, rgb(0.8f, 0.77f, 0.7f), rgb(0.94f, 0.93f, 0.89f), true, true},
    {"rooftiles", rooftiles, 256, rgb(0.54f, 0.25f, 0.15f), rgb(0.78f, 0.43f, 0.26f), true, true},
    {"shingles", shingles, 256, rgb(0.17f, 0.14f, 0.12f), rgb(0.42f, 0.37f, 0.32f), true, true},
    {"brick", brickwork, 256, rgb(0.46f, 0.2f, 0.13f), rgb(0.68f, 0.36f, 0.23f), true, true},
    {"canvas", canvas, 256, rgb(0.84f, 0.8f, 0.7f), rgb(0.95f, 0.93f, 0.86f), true, true},
    {"glass", glass, 128, rgb(0.1f, 0.13f, 0.17f), rgb(0.44f, 0.52f, 0.6f), true, true},
};

} // namespace

const Material* findMaterial(const std::string& name) {
    for (const Material& m : kMaterials)
        if (name == m.name)
            return &m;
    return nullptr;
}

const Material* materialsBegin() {
    return std::begin(kMaterials);
}

const Material* materialsEnd() {
    return std::end(kMaterials);
}

Colour mix(const Colour& a, const Colour& b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

float smoothstep(float edge0, float edge1, float x) {
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

} // namespace texgen
