#pragma once

#include "scene/Node.h"

class StateSet;

// A node that pushes render state for its subtree: the render walk calls apply before the
// children and restore after them.
class State : public Node {
public:
    virtual void apply(StateSet& stateSet) = 0;
    // Undoes exactly what apply pushed.
    virtual void restore(StateSet& stateSet) = 0;

protected:
    State() : Node(KindState) {}
};
