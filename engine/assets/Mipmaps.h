#pragma once

#include "assets/DecodedImage.h"

// The level below `level` as GL's own mipmap generation makes it: each texel of the smaller
// picture samples `level` bilinearly at its centre, clamped to the edges, so a power-of-two level
// is the average of 2 x 2 texels and an odd size blends its neighbours by where the centres
// fall. Each side halves, rounding down, to no less than 1. One to four 8-bit channels; `below`
// is resized (its storage reused when large enough).
void halveImage(const DecodedImage& level, DecodedImage& below);

// The number of levels of a full chain for a width x height picture, level 0 included.
int mipmapLevelCount(int width, int height);
