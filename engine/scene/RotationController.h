#pragma once

#include "scene/Controller.h"

// rotation = (−h(t), −p(t), −b(t)), from slots h, p, b: scene files give negated angles.
class RotationController : public Controller {
public:
    explicit RotationController(const Slots& slots);
    void update(Node& node, float time) override;

private:
    Ref<Envelope> e_[3];
};
