#pragma once

#include "scene/Controller.h"

// Position, negated rotation and scale in one call, from all nine slots.
class PositionRotationScaleController : public Controller {
public:
    explicit PositionRotationScaleController(const Slots& slots);
    void update(Node& node, float time) override;

private:
    Ref<Envelope> e_[SlotCount];
};
