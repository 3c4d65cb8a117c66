#include "scene/RotationController.h"

#include "scene/Node.h"

RotationController::RotationController(const Slots& slots) {
    for (int i = 0; i < 3; ++i)
        e_[i] = slots[SlotH + i];
}

void RotationController::update(Node& node, float time) {
    prefetch(e_, 3);
    Vec3& v = node.transform.rotation;
    writeNegated(v.x, e_[0], time);
    writeNegated(v.y, e_[1], time);
    writeNegated(v.z, e_[2], time);
}
