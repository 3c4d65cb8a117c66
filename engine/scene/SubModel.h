#pragma once

#include "assets/IndexBin.h"
#include "scene/Drawable.h"

#include <cstdint>

// One index bin of a mesh, drawn from the vertex array of the enclosing VAOModel: ranged, instanced
// or as patches.
class SubModel : public Drawable {
public:
    // Instance counts below 1 count as 1 and negative patch sizes as 0 (no patches).
    SubModel(const IndexBin& bin, int instances = 1, int patchSize = 0);

    void draw(Device& device, float time) override;

    const IndexBin& bin() const { return bin_; }
    int instances() const { return instances_; }
    int patchSize() const { return patchSize_; }
    // False when the bin names no GL primitive (codes 0 to 14); such a bin is never drawn.
    bool drawable() const { return validPrimitive_; }

private:
    IndexBin bin_;
    int instances_;
    int patchSize_;
    bool validPrimitive_;
};
