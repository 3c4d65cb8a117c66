#pragma once

#include "math/Mat4.h"
#include "scene/Node.h"

// A viewpoint: every update turns the node's local matrix into the view matrix (the world matrix
// is not used, so a camera ignores the groups above it). The renderer fills the projection from
// the field of view and its render target's aspect.
class Camera : public Node {
public:
    Camera() : Node(KindCamera) {}

    // view = inverse(local).
    void afterLocalTransform(float time) override;

    // projection = the perspective of fov (vertical, degrees), aspect, nearZ and farZ. Refused
    // (false, projection unchanged) for values that give no frustum: aspect or nearZ not
    // positive, farZ not beyond nearZ, fov outside (0, 180).
    bool updateProjection(float aspect);

    Mat4 projection;
    Mat4 view;
    float fov = 45.0f;
    float nearZ = 1.0f;
    float farZ = 1024.0f;
};
