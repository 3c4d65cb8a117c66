#include "scene/RotationController.h"

#include "scene/Node.h"

RotationController::RotationController(const Slots& slots)
    : h_(slots[SlotH]), p_(slots[SlotP]), b_(slots[SlotB]) {}

void RotationController::update(Node& node, float time) {
    Vec3& r = node.transform.rotation;
    writeNegated(r.x, h_, time);
    writeNegated(r.y, p_, time);
    writeNegated(r.z, b_, time);
}
