#pragma once

#include "math/Vec3.h"

// 3x3 matrix stored row by row: element (r, c) at index 3r + c. Used for normal matrices.
struct Mat3 {
    float m[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

    static Mat3 identity() { return Mat3(); }
    static Mat3 zero();
    static Mat3 fromValues(const float (&v)[9]);

    float operator[](int i) const { return m[i]; }
    float& operator[](int i) { return m[i]; }
    bool operator==(const Mat3& o) const;

    Vec3 transform(const Vec3& v) const {
        return {m[0] * v.x + m[1] * v.y + m[2] * v.z, m[3] * v.x + m[4] * v.y + m[5] * v.z,
                m[6] * v.x + m[7] * v.y + m[8] * v.z};
    }
    Mat3 transposed() const;

    // Adjugate over determinant; all zeros when |det| <= 1e-7.
    static Mat3 inverse(const Mat3& a);
};
