#pragma once

#include "scene/Controller.h"

class Node;

// What a scene file's `transform` element said about a node: the nine envelope slots (x, y, z,
// h, p, b, sx, sy, sz) and which components came as envelopes or as plain values. attachTo then
// gives the node the controllers that animate it.
struct TransformAnimation {
    Controller::Slots slots;
    bool positionAnimated = false;
    bool rotationAnimated = false;
    bool scaleAnimated = false;
    // Rotation given as plain values, already written into the node.
    bool rotationPlain = false;

    // A camera gets one CameraController over slots x to b and Dynamic, and nothing else. Other
    // nodes: bones become Dynamic; a plain rotation is negated in the node; then, when anything is
    // animated, the node becomes Dynamic, gains HasPosition/HasRotation/HasScale for the animated
    // components and the controllers for the animated set (combined ones where they exist).
    void attachTo(Node& node) const;
};
