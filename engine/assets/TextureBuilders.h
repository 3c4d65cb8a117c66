#pragma once

#include "core/Object.h"
#include "render/Gl.h"

#include <cstdint>
#include <string>
#include <vector>

class JPEGLoader;
class PNGLoader;
class Texture2DArray;
class TextureCube;

// Cube maps from six PNG files base + "_c00.png" … "_c05.png" (+X, −X, +Y, −Y, +Z, −Z on disk).
// Every face must decode and match the first in size, channels and format, and faces must be
// square; otherwise null and one diagnostic line. Needs a current GL context.
[[nodiscard]] Ref<TextureCube> loadCubeMap(PNGLoader& png, const std::string& basePath);

// A 2D array texture with one layer per file, in order, each decoded by whichever loader accepts
// its extension. At least two layers, all agreeing in width, height, channels and format;
// otherwise null and one diagnostic line.
[[nodiscard]] Ref<Texture2DArray> loadTextureArray(const std::vector<std::string>& files, PNGLoader& png,
                                                   JPEGLoader& jpeg);

// Sets GL_UNPACK_ALIGNMENT to 1 for the life of the object: decoded rows are tightly packed, and
// a larger alignment would make GL read past the end of the last row.
class UnpackAlignment {
public:
    UnpackAlignment();
    ~UnpackAlignment();
    UnpackAlignment(const UnpackAlignment&) = delete;
    UnpackAlignment& operator=(const UnpackAlignment&) = delete;

private:
    GLint previous_ = 4;
};

// True when both extents lie in 1..the GL limit queried with `limit` (GL_MAX_TEXTURE_SIZE …);
// `most`, when given, receives the limit.
bool withinGlLimit(GLenum limit, int64_t a, int64_t b, GLint* most = nullptr);
// withinGlLimit, with one diagnostic line naming `source` when the extents do not fit.
bool textureSizeSupported(GLenum limit, int64_t a, int64_t b, const std::string& source);
