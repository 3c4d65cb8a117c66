#pragma once

#include "render/Texture3D.h"

// Layers of equal 2D images; the layer count is the volume's depth.
class Texture2DArray : public Texture3D {
public:
    Texture2DArray() : Texture3D(3) {}

    int layerCount() const { return depth_; }
};
