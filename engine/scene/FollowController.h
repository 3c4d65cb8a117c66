#pragma once

#include "scene/Controller.h"
#include "scene/Node.h"

#include <string>

class Scene;

// Copies the target's local matrix, world matrix and world position into the node, as the target
// holds them when the node is updated (this frame's if the target was updated first).
class FollowController : public Controller {
public:
    explicit FollowController(const Ref<Node>& target) : target_(target) {}
    void update(Node& node, float time) override;

    const Ref<Node>& target() const { return target_; }

    // Resolves a follow entry once the scene is read and frozen: the first node named
    // `targetName` in the walk order becomes the target of a new controller on `follower`, whose
    // transform flags become exactly LocalFrozen | WorldFrozen | Dynamic so it keeps what the
    // controller copies. False when no node carries the name (or it names the follower itself).
    static bool attach(const Scene& scene, Node& follower, const std::string& targetName);
    // The same with the target already found (null, or the follower itself, is refused).
    static bool attach(Node* target, Node& follower);

private:
    Ref<Node> target_;
};
