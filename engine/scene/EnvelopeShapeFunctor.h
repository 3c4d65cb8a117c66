#pragma once

#include "scene/Envelope.h"
#include "scene/ShapeFunctor.h"

// A path made of seven envelopes: position x, y, z, rotation heading, pitch, bank, and radius.
// A missing envelope reads as 0.
class EnvelopeShapeFunctor : public ShapeFunctor {
public:
    EnvelopeShapeFunctor(Ref<Envelope> x, Ref<Envelope> y, Ref<Envelope> z, Ref<Envelope> heading,
                         Ref<Envelope> pitch, Ref<Envelope> bank, Ref<Envelope> radius, float radiusScale);

    // rotation = (-heading, -pitch, -bank); radius scaled by the radius scale.
    void evaluateOriented(float time, Vec3& position, Vec3& rotation, float& radius) const override;
    void evaluate(float time, Vec3& position, float& radius) const override;

private:
    static float at(const Ref<Envelope>& e, float time) { return e ? e->evaluate(time) : 0.0f; }

    Ref<Envelope> x_, y_, z_, heading_, pitch_, bank_, radius_;
    float radiusScale_;
};
