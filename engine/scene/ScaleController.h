#pragma once

#include "scene/Controller.h"

// scale = (sx(t), sy(t), sz(t)), from slots sx, sy, sz.
class ScaleController : public Controller {
public:
    explicit ScaleController(const Slots& slots);
    void update(Node& node, float time) override;

private:
    Ref<Envelope> e_[3];
};
