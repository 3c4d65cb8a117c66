#pragma once

#include <cmath>

// Scalar helpers and constants shared by the math types. All results are single precision.
namespace vmath {

constexpr float degToRadFactor = 0.017453292f; // pi / 180 in single precision
constexpr float floatMax = 3.4028235e38f;      // initial minimum of bounding-box accumulations
constexpr float pi = 3.14159265f;

inline float power(float x, float y) {
    return static_cast<float>(std::pow(x, y));
}
inline float tangent(float x) {
    return static_cast<float>(std::tan(x));
}
inline float squareRoot(float x) {
    return static_cast<float>(std::sqrt(x));
}
inline float degToRad(float degrees) {
    return degrees * degToRadFactor;
}

} // namespace vmath
