#include "math/Mat3.h"

#include <cmath>

Mat3 Mat3::zero() {
    Mat3 r;
    for (float& v : r.m)
        v = 0;
    return r;
}

Mat3 Mat3::fromValues(const float (&v)[9]) {
    Mat3 r;
    for (int i = 0; i < 9; ++i)
        r.m[i] = v[i];
    return r;
}

bool Mat3::operator==(const Mat3& o) const {
    for (int i = 0; i < 9; ++i)
        if (m[i] != o.m[i])
            return false;
    return true;
}

Mat3 Mat3::transposed() const {
    return fromValues({m[0], m[3], m[6], m[1], m[4], m[7], m[2], m[5], m[8]});
}

Mat3 Mat3::inverse(const Mat3& a) {
    const float* m = a.m;
    float det = m[0] * (m[4] * m[8] - m[5] * m[7]) + m[1] * (m[5] * m[6] - m[3] * m[8]) +
                m[2] * (m[3] * m[7] - m[4] * m[6]);
    if (!(std::fabs(det) > 1e-7f))
        return zero();
    float s = 1.0f / det;
    return fromValues(
        {(m[4] * m[8] - m[5] * m[7]) * s, (m[2] * m[7] - m[1] * m[8]) * s, (m[1] * m[5] - m[2] * m[4]) * s,
         (m[5] * m[6] - m[3] * m[8]) * s, (m[0] * m[8] - m[2] * m[6]) * s, (m[2] * m[3] - m[0] * m[5]) * s,
         (m[3] * m[7] - m[4] * m[6]) * s, (m[1] * m[6] - m[0] * m[7]) * s, (m[0] * m[4] - m[1] * m[3]) * s});
}
