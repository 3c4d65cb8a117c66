#pragma once

#include "math/Mat4.h"
#include "math/Vec3.h"

#include <cstdint>

// Placement of a node: the components a loader or controller writes, the local matrix rebuilt
// from them and the world matrix the update walk derives. A plain value embedded in every node.
struct NodeTransform {
    enum Flags : uint32_t {
        HasPosition = 0x01,
        HasRotation = 0x02,
        HasScale = 0x04,
        HasPivot = 0x08,
        LocalFrozen = 0x10,
        WorldFrozen = 0x20,
        Dynamic = 0x40,
    };

    uint32_t flags = 0;
    Vec3 position;
    // Radians: x = heading about Y, y = pitch about X, z = bank about Z.
    Vec3 rotation;
    Vec3 scale{1, 1, 1};
    Vec3 pivot;
    Mat4 local;
    Vec3 worldPosition;
    Mat4 world;

    // Rebuilds `local` from the components named by the flags; does nothing when no component
    // flag is set or the local matrix is frozen.
    void rebuildLocal() {
        if ((flags & 0x0F) != 0 && !(flags & LocalFrozen))
            buildLocal();
    }

    // Ry(heading) · Rx(pitch) · Rz(bank).
    static Mat4 rotationMatrix(const Vec3& rotation);

private:
    void buildLocal();
};
