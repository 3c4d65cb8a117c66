#include "scene/NodeTransform.h"

#include <cmath>

Mat4 NodeTransform::rotationMatrix(const Vec3& r) {
    const float ch = std::cos(r.x), sh = std::sin(r.x);
    const float cp = std::cos(r.y), sp = std::sin(r.y);
    const float cb = std::cos(r.z), sb = std::sin(r.z);
    return Mat4::fromValues({ch * cb + sh * sp * sb, -ch * sb + sh * sp * cb, sh * cp, 0, //
                             cp * sb, cp * cb, -sp, 0,                                    //
                             -sh * cb + ch * sp * sb, sh * sb + ch * sp * cb, ch * cp, 0, //
                             0, 0, 0, 1});
}

namespace {

void scaleColumns(Mat4& m, const Vec3& s) {
    for (int row = 0; row < 3; ++row) {
        m.m[4 * row + 0] *= s.x;
        m.m[4 * row + 1] *= s.y;
        m.m[4 * row + 2] *= s.z;
    }
}

void setTranslation(Mat4& m, const Vec3& t) {
    m.m[3] = t.x;
    m.m[7] = t.y;
    m.m[11] = t.z;
}

} // namespace

void NodeTransform::buildLocal() {
    switch (flags & 0x0F) {
    case HasPosition:
        local = Mat4::translation(position);
        return;
    case HasRotation:
        local = rotationMatrix(rotation);
        return;
    case HasPosition | HasRotation:
        local = rotationMatrix(rotation);
        setTranslation(local, position);
        return;
    case HasScale:
        local = Mat4::scaling(scale);
        return;
    case HasPosition | HasScale:
        local = Mat4::scaling(scale);
        setTranslation(local, position);
        return;
    case HasPosition | HasRotation | HasScale:
        local = rotationMatrix(rotation);
        scaleColumns(local, scale);
        setTranslation(local, position);
        return;
    default: {
        // T(position) · R · S · T(−pivot): R·S with its translation moved by −R·S·pivot.
        local = rotationMatrix(rotation);
        scaleColumns(local, scale);
        const Vec3 moved = Mat4::transformVector(local, pivot);
        setTranslation(local, position - moved);
        return;
    }
    }
}
