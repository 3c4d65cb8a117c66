#pragma once

#include "scene/Node.h"

// A node that only positions its subtree.
class Group : public Node {
public:
    Group() : Node(KindPlain) {}
};
