#include "scene/Camera.h"

#include <cmath>

void Camera::afterLocalTransform(float) {
    view = Mat4::inverse(transform.local);
}

bool Camera::updateProjection(float aspect) {
    if (!(aspect > 0) || !(nearZ > 0) || !(farZ > nearZ) || !(fov > 0 && fov < 180) ||
        !std::isfinite(aspect) || !std::isfinite(farZ))
        return false;
    projection = Mat4::perspective(fov, aspect, nearZ, farZ);
    return true;
}
