#pragma once

#include "assets/MeshData.h"

#include <vector>

// A small consistent mesh (two triangles, one bin each) with every optional chunk, for tests that
// break it byte by byte.
MeshData sampleMesh(uint32_t flags, uint16_t version, uint16_t indexSize);
std::vector<uint8_t> serialize(const MeshData& mesh);
