#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// Golden-picture comparison shared by the rendering suites: an RGB PNG under `goldenDir`, a
// largest channel difference and a PSNR threshold; VORNDLE_UPDATE_GOLDENS=1 rewrites the picture
// instead. A failure leaves the actual picture and an 8x-amplified diff in `failureDir`.
// `rgba` holds rows top first.
::testing::AssertionResult matchesGoldenImage(const std::string& goldenDir, const std::string& failureDir,
                                              const std::string& name, int width, int height,
                                              const std::vector<uint8_t>& rgba, int maxChannelDelta = 40,
                                              double minPsnr = 38.0);
bool writeRgbPngFile(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba);

struct DecodedImage;
// Two decoded stills of one size, pixel for pixel alike; a still of one flat colour fails too (it
// would come out alike without proving anything). Names the first differing pixel (rows bottom
// first, as decoded).
::testing::AssertionResult sameStill(const std::string& name, const DecodedImage& a, const DecodedImage& b);
