#pragma once

#include "scene/Light.h"

#include <cmath>

// A cone of light along the node's local +Z axis. Only the cosines of the cone angle and of the
// cone angle less the edge angle (both radians) are kept.
class SpotLight : public Light {
public:
    explicit SpotLight(const Vec3& colour, float radius = 1.0f, float coneAngle = 45.0f,
                       float edgeAngle = 40.0f)
        : Light(KindSpotLight, colour), radius(radius), cosCone(std::cos(coneAngle)),
          cosEdge(std::cos(coneAngle - edgeAngle)) {}

    float radius;
    float cosCone;
    float cosEdge;
};
