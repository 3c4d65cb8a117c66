#include "scene/PositionRotationScaleController.h"

#include "scene/Node.h"

PositionRotationScaleController::PositionRotationScaleController(const Slots& slots) {
    for (int i = 0; i < SlotCount; ++i)
        e_[i] = slots[i];
}

void PositionRotationScaleController::update(Node& node, float time) {
    prefetch(e_, SlotCount);
    Vec3& p = node.transform.position;
    Vec3& r = node.transform.rotation;
    Vec3& s = node.transform.scale;
    write(p.x, e_[SlotX], time);
    write(p.y, e_[SlotY], time);
    write(p.z, e_[SlotZ], time);
    writeNegated(r.x, e_[SlotH], time);
    writeNegated(r.y, e_[SlotP], time);
    writeNegated(r.z, e_[SlotB], time);
    write(s.x, e_[SlotSX], time);
    write(s.y, e_[SlotSY], time);
    write(s.z, e_[SlotSZ], time);
}
