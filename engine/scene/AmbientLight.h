#pragma once

#include "scene/Light.h"

// Light from every direction: from the sky above and the ground below. A plain ambient light gives
// its colour from above and half of it from below. One that follows the sky takes, every frame,
// the scene's atmosphere for its colours: the sky's light from above, and from below the sun's
// and the sky's light bounced off ground of colour `groundAlbedo`; its own colour and intensity
// then scale both.
class AmbientLight : public Light {
public:
    explicit AmbientLight(const Vec3& colour) : Light(KindAmbientLight, colour) {}

    bool followsSky = false;
    Vec3 groundAlbedo = Vec3(0.3f, 0.3f, 0.3f);
};
