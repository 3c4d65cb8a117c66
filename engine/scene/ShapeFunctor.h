#pragma once

#include "math/Vec3.h"

// A path description for extruded shapes: a position, an orientation and a radius along time.
class ShapeFunctor {
public:
    virtual ~ShapeFunctor() = default;
    virtual void evaluateOriented(float time, Vec3& position, Vec3& rotation, float& radius) const = 0;
    virtual void evaluate(float time, Vec3& position, float& radius) const = 0;
};
