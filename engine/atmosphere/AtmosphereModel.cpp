#include "atmosphere/AtmosphereModel.h"

#include "render/Gl.h"
#include "render/UniformBuffer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

const char* const AtmosphereModel::kBlockMemberNames[kBlockMembers] = {
    "SunColor",     "SunPosition", "SunDirection", "EyePosition",         "BetaRay",
    "BetaRayTheta", "BetaMie",     "BetaMieTheta", "DirectionalityFactor"};

namespace {

float finiteOrZero(float v) {
    return std::isfinite(v) ? v : 0.0f;
}

bool finite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

} // namespace

AtmosphereModel::AtmosphereModel() {
    setTimeOfDay(16.0f);
    setScattering(1000.0f, 0.7f);
}

void AtmosphereModel::setTimeOfDay(float hours) {
    if (!std::isfinite(hours))
        return;
    timeOfDay = hours;
    const double J = julianDay, lat = latitude, L = longitude, SM = meridian;
    const double ts = hours + 0.17 * std::sin(12.566371 * (J - 80) * 0.0026809652) -
                      0.129 * std::sin(6.2831855 * (J - 8) * 0.002816901) + (SM - L) * 12 * 0.31830987;
    const double delta = 0.4093 * std::sin(6.2831855 * (J - 81) * 0.0027173914);
    const double h = ts * 3.14159265358979 * 0.083333336;
    double s = std::sin(lat) * std::sin(delta) - std::cos(lat) * std::cos(delta) * std::cos(h);
    // Rounding can carry the sine of the elevation just past 1.
    s = s > 1 ? 1 : (s < -1 ? -1 : s);
    const double zenith = 1.5707964 - std::asin(s);
    // The two-argument arctangent keeps the sun on its side of the sky where the denominator
    // changes sign; where the denominator is positive it equals the plain arctangent of the ratio.
    const double numerator = -(std::cos(delta) * std::sin(h));
    const double denominator =
        std::cos(lat) * std::sin(delta) - std::sin(lat) * std::cos(delta) * std::cos(h);
    const double azimuth = numerator == 0 && denominator == 0 ? 0.0 : std::atan2(numerator, denominator);
    setSunAngles(float(zenith), float(azimuth));
}

void AtmosphereModel::setSunAngles(float zenith, float azimuth) {
    if (!std::isfinite(zenith) || !std::isfinite(azimuth))
        return;
    theta = zenith;
    phi = azimuth;
    const double st = std::sin(double(zenith));
    const double x = std::cos(double(azimuth)) * st, y = std::cos(double(zenith)),
                 z = std::sin(double(azimuth)) * st;
    const double a = azimuthOffset;
    const Vec3 turned(float(x * std::cos(a) - z * std::sin(a)), float(y),
                      float(z * std::cos(a) + x * std::sin(a)));
    sunDirection = finite(turned) ? turned.normalized() : Vec3(0, 1, 0);
    sunPosition = sunDirection * sunDistance;

    // Below the horizon the relative optical mass has no meaning (and past 93.885 degrees no real
    // value): no sunlight gets through.
    if (!(zenith <= 1.5707964f)) {
        sunColour = Vec3();
        return;
    }
    const double degrees = zenith * 0.31830987 * 180.0;
    const double m = 1.0 / (std::cos(double(zenith)) + 0.15 * std::pow(93.885 - degrees, -1.253));
    const double beta = 0.04608366 * turbidity - 0.04586026;
    const double lambda[3] = {0.65, 0.57, 0.475};
    float c[3];
    for (int i = 0; i < 3; ++i)
        c[i] = finiteOrZero(float(std::exp(-0.008735 * m * std::pow(lambda[i], -4.08)) *
                                  std::exp(-beta * m * std::pow(lambda[i], -1.3))));
    sunColour = Vec3(c[0], c[1], c[2]);
}

void AtmosphereModel::setScattering(float rayleigh, float mie) {
    rayleighFactor = rayleigh;
    mieFactor = mie;
    const double pi = 3.14159265358979;
    const double lambda[3] = {6.5e-7, 5.7e-7, 4.75e-7};
    const double K[3] = {0.685, 0.682, 0.67};
    const double x = pi * pi * 0.0005801565 * 0.0005801565 * 6.105 * double(rayleigh) * 6.827581e-27;
    const double y = (0.6544 * turbidity - 0.651) * 1e-16 * (0.434 * double(mie)) * 4 * pi * pi;
    float v[4][3];
    for (int i = 0; i < 3; ++i) {
        const double l2 = lambda[i] * lambda[i], l4 = l2 * l2;
        v[0][i] = finiteOrZero(float(x / (2 * l4)));
        v[1][i] = finiteOrZero(float(8 * x / (3 * l4)));
        v[2][i] = finiteOrZero(float(y / (2 * l2)));
        v[3][i] = finiteOrZero(float(y * K[i] / l2));
    }
    betaRayleighTheta = Vec3(v[0][0], v[0][1], v[0][2]);
    betaRayleigh = Vec3(v[1][0], v[1][1], v[1][2]);
    betaMieTheta = Vec3(v[2][0], v[2][1], v[2][2]);
    betaMie = Vec3(v[3][0], v[3][1], v[3][2]);
}

void AtmosphereModel::updateFromCamera(const Mat4& view, const Vec3& eye) {
    sunDirectionView = Mat4::transformVector(view, sunDirection);
    sunPositionView = Mat4::transformPoint(view, sunPosition);
    eyePosition = eye;
}

void AtmosphereModel::blockValues(float (&out)[kBlockFloats]) const {
    const Vec3* slots[7] = {&sunPositionView,   &sunDirectionView, &eyePosition, &betaRayleigh,
                            &betaRayleighTheta, &betaMie,          &betaMieTheta};
    out[0] = sunColour.x * colourScale;
    out[1] = sunColour.y * colourScale;
    out[2] = sunColour.z * colourScale;
    out[3] = sunIntensity * colourScale;
    for (int i = 0; i < 7; ++i) {
        float* slot = out + 4 + 4 * i;
        slot[0] = slots[i]->x;
        slot[1] = slots[i]->y;
        slot[2] = slots[i]->z;
        slot[3] = 0;
    }
    out[31] = directionality;
    for (float& v : out)
        v = finiteOrZero(v);
}

bool AtmosphereModel::upload(UniformBuffer& buffer) const {
    float block[kBlockFloats];
    blockValues(block);
    GLsizeiptr bytes = GLsizeiptr(sizeof block);
    // A program may declare a smaller block; never write past the buffer's storage.
    const GLsizeiptr storage = GLsizeiptr(buffer.blockSize()) * buffer.copyCount();
    if (storage < bytes)
        bytes = storage;
    if (bytes <= 0)
        return false;
    buffer.bind();
    void* target = glMapBufferRange(buffer.glTarget(), 0, bytes, GL_MAP_WRITE_BIT);
    VORNDLE_GL_CHECK("glMapBufferRange");
    if (!target) {
        buffer.unbind();
        return false;
    }
    std::memcpy(target, block, size_t(bytes));
    const bool kept = glUnmapBuffer(buffer.glTarget()) == GL_TRUE;
    buffer.unbind();
    return kept;
}

Vec3 AtmosphereModel::skyRadiance(const Vec3& w) const {
    // The same single-scattering layer the sky dome is drawn with: the path through the air is
    // longest along the horizon, and what scatters towards the eye is dimmed by the same extinction.
    const float path = skyAirHeight / (std::max(w.y, 0.0f) + 0.08f);
    const float cosTheta = w.dot(sunDirection);
    const float g = directionality;
    const float rayleighPhase = 1.0f + cosTheta * cosTheta;
    const float x = std::max(1.0f + g * g - 2.0f * g * cosTheta, 1e-4f);
    const float miePhase = (1.0f - g) * (1.0f - g) / (x * std::sqrt(x));
    const Vec3 beta = betaRayleigh + betaMie;
    const float sun = sunIntensity * colourScale * colourScale * skyExposure;
    const float scattered[3] = {betaRayleighTheta.x * rayleighPhase + betaMieTheta.x * miePhase,
                                betaRayleighTheta.y * rayleighPhase + betaMieTheta.y * miePhase,
                                betaRayleighTheta.z * rayleighPhase + betaMieTheta.z * miePhase};
    const float b[3] = {beta.x, beta.y, beta.z};
    const float colour[3] = {sunColour.x, sunColour.y, sunColour.z};
    float out[3];
    for (int i = 0; i < 3; ++i) {
        const float extinction = std::exp(-b[i] * path);
        out[i] = finiteOrZero(sun * colour[i] * scattered[i] / std::max(b[i], 1e-9f) * (1.0f - extinction));
    }
    return Vec3(out[0], out[1], out[2]);
}

Vec3 AtmosphereModel::skyIrradiance() const {
    // The zenith and two rings of eight directions, each weighted by its cosine to the vertical.
    Vec3 sum(0, 0, 0);
    float weights = 0.0f;
    const float rings[2] = {0.35f, 0.87f}; // elevations (radians) of about 20 and 50 degrees
    for (float elevation : rings) {
        const float c = std::cos(elevation), y = std::sin(elevation);
        for (int i = 0; i < 8; ++i) {
            const float a = float(i) * 0.78539816f;
            sum += skyRadiance(Vec3(c * std::cos(a), y, c * std::sin(a))) * y;
            weights += y;
        }
    }
    sum += skyRadiance(Vec3(0, 1, 0)) * 2.0f;
    weights += 2.0f;
    return sum * (1.0f / weights);
}

Vec3 AtmosphereModel::sunIrradiance() const {
    const float up = std::max(sunDirection.y, 0.0f) * colourScale;
    return Vec3(finiteOrZero(sunColour.x * up), finiteOrZero(sunColour.y * up),
                finiteOrZero(sunColour.z * up));
}
