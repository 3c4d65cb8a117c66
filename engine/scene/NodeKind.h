#pragma once

#include <cstdint>

// Kind codes of scene-graph nodes. The high bits name the family: the render walk treats exactly
// KindState as a state node and any code with bit KindDrawable as a drawable; lights share the
// 0x800 family and are told apart by their exact code.
enum NodeKind : int32_t {
    KindPlain = 0x101,
    KindState = 0x103,
    KindBone = 0x104,
    KindSkeleton = 0x105,
    KindCamera = 0x200,
    KindDrawable = 0x400,
    KindDirectionalLight = 0x800,
    KindPointLight = 0x801,
    KindSpotLight = 0x802,
    KindAreaLight = 0x803,
    KindLinearLight = 0x804,
    KindCubeLight = 0x805,
    KindAmbientLight = 0x806,
    KindProjectiveLight = 0x807,
    KindAtmosphericalLight = 0x808,
};

constexpr bool isLightKind(int32_t kind) {
    return (kind & ~0xFF) == 0x800;
}
