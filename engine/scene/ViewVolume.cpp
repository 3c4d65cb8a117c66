#include "scene/ViewVolume.h"

#include <cmath>

bool ViewVolume::fromViewProjection(const Mat4& m, ViewVolume& out) {
    const Mat4 inverse = Mat4::inverse(m);
    if (inverse == Mat4::zero())
        return false;
    ViewVolume v;
    // Rows of the clip matrix: each plane is the fourth row plus or minus one of the first three.
    const Vec4 row[4] = {{m[0], m[1], m[2], m[3]},
                         {m[4], m[5], m[6], m[7]},
                         {m[8], m[9], m[10], m[11]},
                         {m[12], m[13], m[14], m[15]}};
    for (int i = 0; i < 6; ++i) {
        const Vec4& r = row[i / 2];
        const float sign = (i % 2 == 0) ? 1.0f : -1.0f;
        Vec4 p(row[3].x + sign * r.x, row[3].y + sign * r.y, row[3].z + sign * r.z, row[3].w + sign * r.w);
        const float length = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
        if (!(length > 0))
            return false;
        v.planes[i] = Vec4(p.x / length, p.y / length, p.z / length, p.w / length);
    }
    for (int i = 0; i < 8; ++i) {
        const Vec4 ndc((i & 1) ? 1.0f : -1.0f, (i & 2) ? 1.0f : -1.0f, (i & 4) ? 1.0f : -1.0f, 1.0f);
        const Vec4 p = Mat4::transform(inverse, ndc);
        if (p.w == 0)
            return false;
        v.corners[i] = Vec3(p.x / p.w, p.y / p.w, p.z / p.w);
    }
    v.box = BoundingBox::fromMinMax(v.corners[0], v.corners[0]);
    for (const Vec3& c : v.corners)
        v.box.grow(c);
    out = v;
    return true;
}
