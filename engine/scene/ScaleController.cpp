#include "scene/ScaleController.h"

#include "scene/Node.h"

ScaleController::ScaleController(const Slots& slots) {
    for (int i = 0; i < 3; ++i)
        e_[i] = slots[SlotSX + i];
}

void ScaleController::update(Node& node, float time) {
    prefetch(e_, 3);
    Vec3& v = node.transform.scale;
    write(v.x, e_[0], time);
    write(v.y, e_[1], time);
    write(v.z, e_[2], time);
}
