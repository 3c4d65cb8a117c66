#pragma once

#include "scene/Controller.h"

// A light's intensity from an envelope. Attached to a node that is no light, it does nothing.
class LightIntensityController : public Controller {
public:
    explicit LightIntensityController(const Ref<Envelope>& envelope) : envelope_(envelope) {}
    void update(Node& node, float time) override;

private:
    Ref<Envelope> envelope_;
};
