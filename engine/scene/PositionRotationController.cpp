#include "scene/PositionRotationController.h"

#include "scene/Node.h"

PositionRotationController::PositionRotationController(const Slots& slots) {
    for (int i = 0; i < 6; ++i)
        e_[i] = slots[i];
}

void PositionRotationController::update(Node& node, float time) {
    prefetch(e_, 6);
    Vec3& p = node.transform.position;
    Vec3& r = node.transform.rotation;
    write(p.x, e_[SlotX], time);
    write(p.y, e_[SlotY], time);
    write(p.z, e_[SlotZ], time);
    writeNegated(r.x, e_[SlotH], time);
    writeNegated(r.y, e_[SlotP], time);
    writeNegated(r.z, e_[SlotB], time);
}
