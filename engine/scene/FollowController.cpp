#include "scene/FollowController.h"

void FollowController::update(Node& node, float) {
    if (!target_ || target_.get() == &node)
        return;
    const NodeTransform& from = target_->transform;
    node.transform.local = from.local;
    node.transform.world = from.world;
    node.transform.worldPosition = from.worldPosition;
}
