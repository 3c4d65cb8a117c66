#pragma once

#include "math/Vec3.h"

#include <string>

// The pieces of assetinfo's JSON lines, shared by every mode: a quoted string with its escapes, a
// number (null when not finite) and a three-vector.
std::string jsonString(const std::string& s);
std::string jsonNumber(double v);
std::string jsonVec3(const Vec3& v);
