#pragma once

#include "scene/Controller.h"

// position = (x(t), y(t), z(t)), from slots x, y, z.
class PositionController : public Controller {
public:
    explicit PositionController(const Slots& slots);
    void update(Node& node, float time) override;

private:
    Ref<Envelope> e_[3];
};
