#pragma once

#include "math/Mat4.h"
#include "math/Vec3.h"
#include "render/Texture.h"
#include "scene/Node.h"

// What every light carries: colour, intensity and the shadow data the shadow passes write. The
// node's shadowCasterMask is the mask its shadow pass renders with.
class Light : public Node {
public:
    Light(int32_t kind, const Vec3& colour) : Node(kind), colour(colour) {}

    Vec3 colour;
    float intensity = 1.0f;
    bool castsShadow = false;
    Ref<Texture> shadowMap;
    Mat4 shadowMatrix;
    float shadowIntensity = 1.0f;
};
