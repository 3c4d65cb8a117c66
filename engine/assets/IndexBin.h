#pragma once

#include <cstdint>

// One drawable range of a mesh: `first` and `count` address the index data (or, for array
// drawing, the vertices); `lowest`/`highest` bound the vertex indices the range references;
// `primitive` is the GL primitive mode value itself.
struct IndexBin {
    uint32_t first = 0;
    uint32_t reserved = 0;
    uint32_t count = 0;
    uint32_t lowest = 0;
    uint32_t highest = 0;
    uint32_t primitive = 4;
};
