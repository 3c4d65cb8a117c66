#pragma once

#include "scene/Controller.h"
#include "scene/Node.h"

// Copies the target's local matrix, world matrix and world position into the node, as the target
// holds them when the node is updated (this frame's if the target was updated first).
class FollowController : public Controller {
public:
    explicit FollowController(const Ref<Node>& target) : target_(target) {}
    void update(Node& node, float time) override;

    const Ref<Node>& target() const { return target_; }

private:
    Ref<Node> target_;
};
