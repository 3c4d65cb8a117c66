#include "scene/CameraController.h"

#include "scene/Node.h"

CameraController::CameraController(const Slots& slots) {
    for (int i = 0; i < 6; ++i)
        e_[i] = slots[i];
}

void CameraController::update(Node& node, float time) {
    prefetch(e_, 6);
    Vec3& p = node.transform.position;
    Vec3& r = node.transform.rotation;
    write(p.x, e_[SlotX], time);
    write(p.y, e_[SlotY], time);
    write(p.z, e_[SlotZ], time);
    if (e_[SlotH])
        r.x = 3.1415927f - e_[SlotH]->evaluate(time);
    write(r.y, e_[SlotP], time);
    write(r.z, e_[SlotB], time);
}
