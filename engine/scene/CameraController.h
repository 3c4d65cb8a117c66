#pragma once

#include "scene/Controller.h"

// A camera's placement from slots x to b: position as given, heading π − h(t), pitch and bank
// not negated. A slot the scene left empty keeps the camera's own value.
class CameraController : public Controller {
public:
    explicit CameraController(const Slots& slots);
    void update(Node& node, float time) override;

private:
    Ref<Envelope> e_[6];
};
