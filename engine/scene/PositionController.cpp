#include "scene/PositionController.h"

#include "scene/Node.h"

PositionController::PositionController(const Slots& slots) {
    for (int i = 0; i < 3; ++i)
        e_[i] = slots[SlotX + i];
}

void PositionController::update(Node& node, float time) {
    prefetch(e_, 3);
    Vec3& v = node.transform.position;
    write(v.x, e_[0], time);
    write(v.y, e_[1], time);
    write(v.z, e_[2], time);
}
