#include "scene/Drawable.h"

#include <algorithm>
#include <cmath>

Drawable::Drawable() : Node(KindDrawable) {
    // Set field by field: min and max are ±2^127, so max − min would overflow.
    boundingBox.min = {-kHugeExtent, -kHugeExtent, -kHugeExtent};
    boundingBox.max = {kHugeExtent, kHugeExtent, kHugeExtent};
    boundingBox.halfExtent = boundingBox.max;
    boundingBox.radius = 1.41f * kHugeExtent;
}

bool Drawable::isVisible(const Vec4 (&planes)[6]) const {
    if (alwaysVisible)
        return true;
    // The axis-aligned box around the eight transformed corners, computed from the centre and the
    // absolute matrix (the same box, without transforming each corner).
    const float* w = transform.world.m;
    const Vec3& c = boundingBox.center;
    const Vec3& e = boundingBox.halfExtent;
    float center[3];
    float half[3];
    for (int row = 0; row < 3; ++row) {
        const float* r = w + 4 * row;
        center[row] = r[0] * c.x + r[1] * c.y + r[2] * c.z + r[3];
        half[row] = std::fabs(r[0]) * e.x + std::fabs(r[1]) * e.y + std::fabs(r[2]) * e.z;
    }
    const float radius = 1.41f * std::max(half[0], std::max(half[1], half[2]));
    for (const Vec4& p : planes)
        if (p.x * center[0] + p.y * center[1] + p.z * center[2] + p.w < -radius)
            return false;
    return true;
}
