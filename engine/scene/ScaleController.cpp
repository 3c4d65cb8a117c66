#include "scene/ScaleController.h"

#include "scene/Node.h"

ScaleController::ScaleController(const Slots& slots)
    : x_(slots[SlotSX]), y_(slots[SlotSY]), z_(slots[SlotSZ]) {}

void ScaleController::update(Node& node, float time) {
    Vec3& s = node.transform.scale;
    write(s.x, x_, time);
    write(s.y, y_, time);
    write(s.z, z_, time);
}
