#pragma once

#include "math/Vec3.h"

#include <algorithm>

// An axis-aligned box with its derived centre, half extent and a bounding radius of 1.41 × the
// largest half-extent component (a deliberately loose stand-in for √2).
struct BoundingBox {
    Vec3 min;
    Vec3 max;
    Vec3 center;
    Vec3 halfExtent;
    float radius = 0;

    static BoundingBox fromMinMax(const Vec3& lo, const Vec3& hi) {
        BoundingBox box;
        box.setMinMax(lo, hi);
        return box;
    }
    static BoundingBox fromCenterExtent(const Vec3& c, const Vec3& e) { return fromMinMax(c - e, c + e); }

    void setMinMax(const Vec3& lo, const Vec3& hi) {
        min = lo;
        max = hi;
        center = (lo + hi) * 0.5f;
        halfExtent = (hi - lo) * 0.5f;
        radius = 1.41f * std::max(halfExtent.x, std::max(halfExtent.y, halfExtent.z));
    }
    void grow(const Vec3& p) {
        setMinMax({std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)},
                  {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)});
    }
};
