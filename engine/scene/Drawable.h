#pragma once

#include "math/BoundingBox.h"
#include "math/Vec4.h"
#include "scene/Node.h"

class Device;

// A node that issues draw calls. Its model-space box decides frustum visibility unless the
// drawable is always visible (the default, with a box that covers everything).
class Drawable : public Node {
public:
    Drawable();

    virtual void draw(Device& device, float time) = 0;
    // Frustum test against six planes (a, b, c, d), inside where a·x + b·y + c·z + d >= 0: the
    // world-space box of the model box, as a sphere of the box's radius.
    virtual bool isVisible(const Vec4 (&planes)[6]) const;

    // A real box; visibility is then tested unless alwaysVisible stays set.
    void setBoundingBox(const BoundingBox& box) { boundingBox = box; }

    BoundingBox boundingBox;
    bool alwaysVisible = true;

    // Half extent of the box a drawable starts with: 2^127 on every axis.
    static constexpr float kHugeExtent = 1.7014118e38f;
};
