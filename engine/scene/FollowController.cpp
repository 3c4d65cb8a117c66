#include "scene/FollowController.h"

#include "scene/Scene.h"

void FollowController::update(Node& node, float) {
    if (!target_ || target_.get() == &node)
        return;
    const NodeTransform& from = target_->transform;
    node.transform.local = from.local;
    node.transform.world = from.world;
    node.transform.worldPosition = from.worldPosition;
}

bool FollowController::attach(const Scene& scene, Node& follower, const std::string& targetName) {
    return attach(scene.findByName(targetName), follower);
}

bool FollowController::attach(Node* target, Node& follower) {
    if (!target || target == &follower)
        return false;
    follower.addController(makeRef<FollowController>(target));
    follower.transform.flags =
        NodeTransform::LocalFrozen | NodeTransform::WorldFrozen | NodeTransform::Dynamic;
    return true;
}
