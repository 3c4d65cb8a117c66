#include "scene/TransformAnimation.h"

#include "scene/CameraController.h"
#include "scene/Node.h"
#include "scene/PositionController.h"
#include "scene/PositionRotationController.h"
#include "scene/PositionRotationScaleController.h"
#include "scene/RotationController.h"
#include "scene/ScaleController.h"

void TransformAnimation::attachTo(Node& node) const {
    NodeTransform& t = node.transform;
    if (node.kind() == KindCamera) {
        t.flags |= NodeTransform::Dynamic | NodeTransform::HasPosition | NodeTransform::HasRotation;
        node.addController(makeRef<CameraController>(slots));
        return;
    }
    if (node.kind() == KindBone)
        t.flags |= NodeTransform::Dynamic;
    if (rotationPlain)
        t.rotation = -t.rotation;
    if (!positionAnimated && !rotationAnimated && !scaleAnimated)
        return;
    t.flags |= NodeTransform::Dynamic;
    if (positionAnimated)
        t.flags |= NodeTransform::HasPosition;
    if (rotationAnimated)
        t.flags |= NodeTransform::HasRotation;
    if (scaleAnimated)
        t.flags |= NodeTransform::HasScale;
    if (positionAnimated && rotationAnimated && scaleAnimated) {
        node.addController(makeRef<PositionRotationScaleController>(slots));
    } else if (positionAnimated && rotationAnimated) {
        node.addController(makeRef<PositionRotationController>(slots));
    } else {
        if (positionAnimated)
            node.addController(makeRef<PositionController>(slots));
        if (rotationAnimated)
            node.addController(makeRef<RotationController>(slots));
        if (scaleAnimated)
            node.addController(makeRef<ScaleController>(slots));
    }
}
