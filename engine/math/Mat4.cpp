#include "math/Mat4.h"

#include "math/Scalar.h"

#include <cmath>

Mat4 Mat4::zero() {
    Mat4 r;
    for (float& v : r.m)
        v = 0;
    return r;
}

Mat4 Mat4::fromValues(const float (&v)[16]) {
    Mat4 r;
    for (int i = 0; i < 16; ++i)
        r.m[i] = v[i];
    return r;
}

bool Mat4::operator==(const Mat4& o) const {
    for (int i = 0; i < 16; ++i)
        if (m[i] != o.m[i])
            return false;
    return true;
}

Mat4 Mat4::multiply(const Mat4& a, const Mat4& b) {
    Mat4 r;
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            r.m[4 * row + col] = b.m[4 * row + 0] * a.m[col] + b.m[4 * row + 1] * a.m[4 + col] +
                                 b.m[4 * row + 2] * a.m[8 + col] + b.m[4 * row + 3] * a.m[12 + col];
        }
    }
    return r;
}

Vec3 Mat4::transformPoint(const Mat4& t, const Vec3& p) {
    const float* m = t.m;
    float w = m[12] * p.x + m[13] * p.y + m[14] * p.z + m[15];
    return {(m[0] * p.x + m[1] * p.y + m[2] * p.z + m[3]) / w,
            (m[4] * p.x + m[5] * p.y + m[6] * p.z + m[7]) / w,
            (m[8] * p.x + m[9] * p.y + m[10] * p.z + m[11]) / w};
}

Vec3 Mat4::transformVector(const Mat4& t, const Vec3& v) {
    const float* m = t.m;
    return {m[0] * v.x + m[1] * v.y + m[2] * v.z, m[4] * v.x + m[5] * v.y + m[6] * v.z,
            m[8] * v.x + m[9] * v.y + m[10] * v.z};
}

Vec4 Mat4::transform(const Mat4& t, const Vec4& v) {
    const float* m = t.m;
    return {m[0] * v.x + m[1] * v.y + m[2] * v.z + m[3] * v.w,
            m[4] * v.x + m[5] * v.y + m[6] * v.z + m[7] * v.w,
            m[8] * v.x + m[9] * v.y + m[10] * v.z + m[11] * v.w,
            m[12] * v.x + m[13] * v.y + m[14] * v.z + m[15] * v.w};
}

Mat4 Mat4::frustum(float l, float r, float b, float t, float n, float f) {
    Mat4 p = zero();
    p.m[0] = 2 * n / (r - l);
    p.m[2] = (r + l) / (r - l);
    p.m[5] = 2 * n / (t - b);
    p.m[6] = (t + b) / (t - b);
    p.m[10] = -(f + n) / (f - n);
    p.m[11] = -2 * f * n / (f - n);
    p.m[14] = -1;
    return p;
}

Mat4 Mat4::perspective(float fovY, float aspect, float n, float f) {
    float ymax = vmath::tangent(fovY * 0.5f * vmath::degToRadFactor) * n;
    float xmax = ymax * aspect;
    return frustum(-xmax, xmax, -ymax, ymax, n, f);
}

Mat4 Mat4::ortho(float l, float r, float b, float t, float n, float f) {
    Mat4 p = zero();
    p.m[0] = 2 / (r - l);
    p.m[3] = -(r + l) / (r - l);
    p.m[5] = 2 / (t - b);
    p.m[7] = -(t + b) / (t - b);
    p.m[10] = -2 / (f - n);
    p.m[11] = -(f + n) / (f - n);
    p.m[15] = 1;
    return p;
}

Mat4 Mat4::inverse(const Mat4& in) {
    // Element (r, c) is a[r*4 + c]; s* are 2x2 determinants of rows 0-1, c* of rows 2-3.
    const float* a = in.m;
    float s0 = a[0] * a[5] - a[4] * a[1];
    float s1 = a[0] * a[6] - a[4] * a[2];
    float s2 = a[0] * a[7] - a[4] * a[3];
    float s3 = a[1] * a[6] - a[5] * a[2];
    float s4 = a[1] * a[7] - a[5] * a[3];
    float s5 = a[2] * a[7] - a[6] * a[3];
    float c5 = a[10] * a[15] - a[14] * a[11];
    float c4 = a[9] * a[15] - a[13] * a[11];
    float c3 = a[9] * a[14] - a[13] * a[10];
    float c2 = a[8] * a[15] - a[12] * a[11];
    float c1 = a[8] * a[14] - a[12] * a[10];
    float c0 = a[8] * a[13] - a[12] * a[9];
    float det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
    if (!(std::fabs(det) > 1e-7f))
        return zero();
    float k = 1.0f / det;
    return fromValues({(a[5] * c5 - a[6] * c4 + a[7] * c3) * k, (-a[1] * c5 + a[2] * c4 - a[3] * c3) * k,
                       (a[13] * s5 - a[14] * s4 + a[15] * s3) * k, (-a[9] * s5 + a[10] * s4 - a[11] * s3) * k,
                       (-a[4] * c5 + a[6] * c2 - a[7] * c1) * k, (a[0] * c5 - a[2] * c2 + a[3] * c1) * k,
                       (-a[12] * s5 + a[14] * s2 - a[15] * s1) * k, (a[8] * s5 - a[10] * s2 + a[11] * s1) * k,
                       (a[4] * c4 - a[5] * c2 + a[7] * c0) * k, (-a[0] * c4 + a[1] * c2 - a[3] * c0) * k,
                       (a[12] * s4 - a[13] * s2 + a[15] * s0) * k, (-a[8] * s4 + a[9] * s2 - a[11] * s0) * k,
                       (-a[4] * c3 + a[5] * c1 - a[6] * c0) * k, (a[0] * c3 - a[1] * c1 + a[2] * c0) * k,
                       (-a[12] * s3 + a[13] * s1 - a[14] * s0) * k,
                       (a[8] * s3 - a[9] * s1 + a[10] * s0) * k});
}

Mat4 Mat4::translation(const Vec3& t) {
    Mat4 r;
    r.m[3] = t.x;
    r.m[7] = t.y;
    r.m[11] = t.z;
    return r;
}

Mat4 Mat4::scaling(const Vec3& s) {
    Mat4 r;
    r.m[0] = s.x;
    r.m[5] = s.y;
    r.m[10] = s.z;
    return r;
}

Mat4 Mat4::rotationX(float a) {
    float c = std::cos(a), s = std::sin(a);
    return fromValues({1, 0, 0, 0, 0, c, -s, 0, 0, s, c, 0, 0, 0, 0, 1});
}

Mat4 Mat4::rotationY(float a) {
    float c = std::cos(a), s = std::sin(a);
    return fromValues({c, 0, s, 0, 0, 1, 0, 0, -s, 0, c, 0, 0, 0, 0, 1});
}

Mat4 Mat4::rotationZ(float a) {
    float c = std::cos(a), s = std::sin(a);
    return fromValues({c, -s, 0, 0, s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
}

Mat4 Mat4::rotation(const Vec3& axis, float a) {
    Vec3 u = axis.normalized();
    float c = std::cos(a), s = std::sin(a), t = 1 - c;
    return fromValues({t * u.x * u.x + c, t * u.x * u.y - s * u.z, t * u.x * u.z + s * u.y, 0,
                       t * u.x * u.y + s * u.z, t * u.y * u.y + c, t * u.y * u.z - s * u.x, 0,
                       t * u.x * u.z - s * u.y, t * u.y * u.z + s * u.x, t * u.z * u.z + c, 0, 0, 0, 0, 1});
}

Mat4 Mat4::lookAt(const Vec3& eye, const Vec3& target, const Vec3& up) {
    Vec3 f = (target - eye).normalized();
    Vec3 s = f.cross(up).normalized();
    Vec3 u = s.cross(f);
    return fromValues(
        {s.x, s.y, s.z, -s.dot(eye), u.x, u.y, u.z, -u.dot(eye), -f.x, -f.y, -f.z, f.dot(eye), 0, 0, 0, 1});
}

Mat4 Mat4::transposed() const {
    Mat4 r;
    for (int row = 0; row < 4; ++row)
        for (int col = 0; col < 4; ++col)
            r.m[4 * col + row] = m[4 * row + col];
    return r;
}

Mat3 Mat4::upper3x3() const {
    return Mat3::fromValues({m[0], m[1], m[2], m[4], m[5], m[6], m[8], m[9], m[10]});
}
