#include "scene/LightIntensityController.h"

#include "scene/Light.h"

void LightIntensityController::update(Node& node, float time) {
    if (envelope_ && isLightKind(node.kind()))
        static_cast<Light&>(node).intensity = envelope_->evaluate(time);
}
