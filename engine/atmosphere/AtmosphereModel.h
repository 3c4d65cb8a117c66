#pragma once

#include "core/Object.h"
#include "math/Mat4.h"
#include "math/Vec3.h"

namespace tinyxml2 {
class XMLElement;
}
class UniformBuffer;

// Analytic daylight on the CPU: the sun's direction from date, time of day and place, its colour
// after the atmosphere, and the Rayleigh and Mie scattering coefficients for red, green and blue,
// packed for shaders as the uniform block "AtmosphereModel". Whatever the inputs, the block holds
// finite numbers only.
class AtmosphereModel : public Object {
public:
    static constexpr int kBlockFloats = 32;
    static constexpr int kBlockMembers = 9;
    // Names of the block's members, in block order.
    static const char* const kBlockMemberNames[kBlockMembers];

    // The defaults, then the sun for 16:00 and the coefficients for factors 1000 and 0.7.
    AtmosphereModel();

    // Solar position for `hours` on the model's day and place, then the sun's colour. A time that is
    // not a finite number changes nothing.
    void setTimeOfDay(float hours);
    // Direction, position and colour from the zenith angle and the azimuth (radians). The sun below
    // the horizon (zenith angle beyond 90 degrees) gets no colour. Non-finite angles change nothing.
    void setSunAngles(float zenith, float azimuth);
    // Stores both factors and recomputes the four coefficient vectors (with the current turbidity).
    void setScattering(float rayleigh, float mie);
    // Stores the turbidity only: colour and coefficients follow at the next setScattering or
    // setTimeOfDay.
    void setTurbidity(float value) { turbidity = value; }
    // The sun in the camera's view space, and the eye position.
    void updateFromCamera(const Mat4& view, const Vec3& eye);

    // The 32 floats of the block, any non-finite value written as 0.
    void blockValues(float (&out)[kBlockFloats]) const;
    // Writes the block at the start of the buffer (mapped write-only). False when it cannot be mapped.
    bool upload(UniformBuffer& buffer) const;

    // The sky's light arriving from direction `w` (world space, unit, y up): single scattering
    // by air and haze over a layer `skyAirHeight` thick, lit by the model's sun and scaled by
    // `skyExposure`; zero once the sun has set.
    Vec3 skyRadiance(const Vec3& w) const;
    // The sky's light averaged over the upper half of the sky, weighted as a horizontal surface
    // receives it: what an upward-facing surface sees of the sky.
    Vec3 skyIrradiance() const;
    // The sun's light on a horizontal surface (transmitted colour x intensity x cosine).
    Vec3 sunIrradiance() const;

    // Applies the children of an "atmosphere" element, each holding a "value": "juliandate",
    // "latitude", "longitude", "meridian" (degrees), "turbidity", "directionality", then
    // "scattering" ("rayleighfactor" and "miefactor"), "sundistancetoplanet" and last "timeofday",
    // so the sun is placed with every other input. The air between the eye and what it sees comes
    // from "aerial": "haze" (extinction per unit of distance, the same at every height), "mist"
    // (extinction at the height "mistbase", thinning by 1/e every "mistheight" above it) and
    // "nightsky" (r, g, b: the colour of the air once the sun's light is gone). A present child whose number
    // does not read fails with one diagnostic line naming `file`, the line and the child.
    bool configureFromElement(const tinyxml2::XMLElement* atmosphere, const char* file);

    Vec3 sunColour;
    float sunIntensity = 1.0f;
    Vec3 sunDirection;
    Vec3 sunPosition;
    Vec3 sunDirectionView;
    Vec3 sunPositionView;
    Vec3 eyePosition;
    Vec3 betaRayleigh;
    Vec3 betaRayleighTheta;
    Vec3 betaMie;
    Vec3 betaMieTheta;
    // Sun zenith angle and azimuth, radians.
    float theta = 0;
    float phi = 0;
    float timeOfDay = 0; // hours
    float directionality = 0.6f;
    float turbidity = 2.0f;
    float sunDistance = 1000.0f;
    float rayleighFactor = 1000.0f;
    float mieFactor = 0.7f;
    // Float index of each block member in the program's block, -1 when not found (informational).
    int blockOffsets[kBlockMembers] = {-1, -1, -1, -1, -1, -1, -1, -1, -1};
    float julianDay = 150; // day of the year
    float longitude = 0;   // radians
    float latitude = 0;    // radians
    float meridian = 0;    // standard meridian, radians
    float colourScale = 1.0f;
    float azimuthOffset = 0; // radians, about the vertical axis
    // The sky layer of skyRadiance: its thickness at the zenith and the brightness of its light.
    float skyAirHeight = 50.0f;
    float skyExposure = 8.0f;
    // Aerial perspective: haze and mist extinction (per unit of distance, 0 for clear air), the
    // mist's base height and its 1/e thickness, and the air's own colour at night.
    float aerialHaze = 0.0f;
    float aerialMist = 0.0f;
    float aerialMistBase = 0.0f;
    float aerialMistHeight = 10.0f;
    Vec3 aerialNight;
};
