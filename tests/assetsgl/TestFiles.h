#pragma once

#include "assets/MeshData.h"

#include <cstdint>
#include <string>
#include <vector>

// Pictures and meshes written by the tests themselves. Rows are given top row first, as files
// store them; `channels` 1 (grey), 2 (grey + alpha), 3 (RGB) or 4 (RGBA).
bool writePng(const std::string& path, int width, int height, int channels, const std::vector<uint8_t>& rows);
std::vector<uint8_t> encodePng(int width, int height, int channels, const std::vector<uint8_t>& rows);
// `channels` 1 or 3.
bool writeJpeg(const std::string& path, int width, int height, int channels,
               const std::vector<uint8_t>& rows);

// Pixels numbered so that every byte differs from its neighbours (with `seed` telling pictures
// apart), and the same rows reversed into the bottom-up order the loaders deliver.
std::vector<uint8_t> patternRows(int width, int height, int channels, int seed = 0);
std::vector<uint8_t> bottomUp(const std::vector<uint8_t>& rows, int height);

// A unit quad as two triangles in two bins; skin (two bones, three influences) when flags hold
// 0x20 and one box per bin for version 0x0102.
MeshData quadMesh(uint32_t flags, uint16_t version, uint16_t indexSize);
