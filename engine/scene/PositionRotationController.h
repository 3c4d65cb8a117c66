#pragma once

#include "scene/Controller.h"

// Position and negated rotation in one call, from slots x to b.
class PositionRotationController : public Controller {
public:
    explicit PositionRotationController(const Slots& slots);
    void update(Node& node, float time) override;

private:
    Ref<Envelope> e_[6];
};
