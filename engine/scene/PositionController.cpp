#include "scene/PositionController.h"

#include "scene/Node.h"

PositionController::PositionController(const Slots& slots)
    : x_(slots[SlotX]), y_(slots[SlotY]), z_(slots[SlotZ]) {}

void PositionController::update(Node& node, float time) {
    Vec3& p = node.transform.position;
    write(p.x, x_, time);
    write(p.y, y_, time);
    write(p.z, z_, time);
}
