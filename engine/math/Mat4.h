#pragma once

#include "math/Mat3.h"
#include "math/Vec3.h"
#include "math/Vec4.h"

// 4x4 matrix stored row by row (element (r, c) at index 4r + c) acting on column vectors, so a
// translation sits in elements 3, 7 and 11. Projections follow GL: eye space looks down -z and
// clip depth runs from -1 (near) to +1 (far). GL wants column-major storage, so uploads transpose.
struct Mat4 {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    static Mat4 identity() { return Mat4(); }
    static Mat4 zero();
    static Mat4 fromValues(const float (&v)[16]);

    float operator[](int i) const { return m[i]; }
    float& operator[](int i) { return m[i]; }
    // Column first: element(c, r) is m[4r + c].
    float element(int column, int row) const { return m[4 * row + column]; }
    bool operator==(const Mat4& o) const;
    bool operator!=(const Mat4& o) const { return !(*this == o); }

    // The matrix that applies a first and then b: b * a in column-vector notation.
    static Mat4 multiply(const Mat4& a, const Mat4& b);
    // (x, y, z, 1) transformed by m and divided by the resulting w.
    static Vec3 transformPoint(const Mat4& m, const Vec3& p);
    // Rotation and scale only (no translation, no division).
    static Vec3 transformVector(const Mat4& m, const Vec3& v);
    static Vec4 transform(const Mat4& m, const Vec4& v);

    static Mat4 frustum(float left, float right, float bottom, float top, float nearZ, float farZ);
    static Mat4 perspective(float fovYDegrees, float aspect, float nearZ, float farZ);
    static Mat4 ortho(float left, float right, float bottom, float top, float nearZ, float farZ);
    // General inverse by cofactors; all zeros when |det| <= 1e-7.
    static Mat4 inverse(const Mat4& m);

    static Mat4 translation(const Vec3& t);
    static Mat4 scaling(const Vec3& s);
    // Right-handed rotations by an angle in radians about one axis.
    static Mat4 rotationX(float radians);
    static Mat4 rotationY(float radians);
    static Mat4 rotationZ(float radians);
    // Rotation about an arbitrary unit axis.
    static Mat4 rotation(const Vec3& axis, float radians);
    // View matrix of an eye at `eye` looking at `target`.
    static Mat4 lookAt(const Vec3& eye, const Vec3& target, const Vec3& up);

    Mat4 transposed() const;
    // The upper-left 3x3 block.
    Mat3 upper3x3() const;
};

// Column-vector product a * b (apply b first, then a).
inline Mat4 operator*(const Mat4& a, const Mat4& b) {
    return Mat4::multiply(b, a);
}
