#include "scene/EnableController.h"

#include "scene/Node.h"

void EnableController::update(Node& node, float time) {
    if (envelope_)
        node.enabled = envelope_->evaluate(time) > 0.5f;
}
