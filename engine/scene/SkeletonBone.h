#pragma once

#include "math/Mat4.h"
#include "math/Vec3.h"
#include "scene/Node.h"

// One bone of a skinned mesh, matched to the mesh's bone list by its node name. Its bind pose is
// recorded once by the skeleton; skin is world · inverseBindPose of the last palette update.
class SkeletonBone : public Node {
public:
    SkeletonBone() : Node(KindBone) {}

    Mat4 bindPose;
    Mat4 inverseBindPose;
    Mat4 skin;
    Vec3 restPosition;
    // Radians, heading, pitch, bank (used without negation).
    Vec3 restOrientation;
};
