#pragma once

#include "assets/IndexBin.h"
#include "scene/Drawable.h"

// A range of vertices drawn without indices: the bin's first element and count address vertices.
class ArrayModel : public Drawable {
public:
    // Instance counts below 1 count as 1.
    explicit ArrayModel(const IndexBin& bin, int instances = 1);

    void draw(Device& device, float time) override;

    const IndexBin& bin() const { return bin_; }
    int instances() const { return instances_; }

private:
    IndexBin bin_;
    int instances_;
    bool validPrimitive_;
};
