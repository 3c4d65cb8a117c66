#pragma once

#include <string>

// Reads the back buffer of the current GL context (the area width x height from the lower left)
// and writes it as an RGB PNG, top row first. Answers false if the file cannot be written.
[[nodiscard]] bool saveBackBuffer(const std::string& path, int width, int height);
