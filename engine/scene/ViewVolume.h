#pragma once

#include "math/BoundingBox.h"
#include "math/Mat4.h"
#include "math/Vec3.h"
#include "math/Vec4.h"

// A frustum in world space: six planes (a, b, c, d), inside where a·x + b·y + c·z + d >= 0, in
// the order left, right, bottom, top, near, far; its eight corners; and the box around them.
struct ViewVolume {
    Vec4 planes[6];
    Vec3 corners[8];
    BoundingBox box;

    // The volume a view-projection matrix (projection · view) sees. Planes are normalised so the
    // drawables' sphere test measures in world units. A singular matrix gives no usable volume and
    // leaves `out` unchanged (false).
    static bool fromViewProjection(const Mat4& viewProjection, ViewVolume& out);
};
