#include "scene/EnvelopeShapeFunctor.h"

EnvelopeShapeFunctor::EnvelopeShapeFunctor(Ref<Envelope> x, Ref<Envelope> y, Ref<Envelope> z,
                                           Ref<Envelope> heading, Ref<Envelope> pitch, Ref<Envelope> bank,
                                           Ref<Envelope> radius, float radiusScale)
    : x_(std::move(x)), y_(std::move(y)), z_(std::move(z)), heading_(std::move(heading)),
      pitch_(std::move(pitch)), bank_(std::move(bank)), radius_(std::move(radius)),
      radiusScale_(radiusScale) {}

void EnvelopeShapeFunctor::evaluateOriented(float time, Vec3& position, Vec3& rotation, float& radius) const {
    evaluate(time, position, radius);
    rotation = Vec3(-at(heading_, time), -at(pitch_, time), -at(bank_, time));
}

void EnvelopeShapeFunctor::evaluate(float time, Vec3& position, float& radius) const {
    position = Vec3(at(x_, time), at(y_, time), at(z_, time));
    radius = at(radius_, time) * radiusScale_;
}
