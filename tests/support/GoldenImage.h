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
