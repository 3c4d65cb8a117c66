#pragma once

#include "render/Gl.h"

#include <string>

// The engine names GL enums by small integer codes; data files use the names below. Every table
// lives here once, and every name lookup is exact and case-sensitive.
namespace codes {

struct TextureFormat {
    const char* name; // null for the codes that have no data-file name
    GLenum internalFormat;
    GLenum format;
    GLenum type;
    int components;
    int bitsPerTexel;
};

constexpr int kFormatCount = 45;
constexpr int kNoFormat = 44;

// The format codes' families, by range: one channel up to kLastOneChannelFormat, then two, RGB,
// RGBA, depth (fixed point first, then floating point), and the compressed formats, which get no
// storage of the engine's making.
constexpr int kLastOneChannelFormat = 9, kLastTwoChannelFormat = 19, kLastRgbFormat = 24,
              kLastRgbaFormat = 34, kLastFixedPointDepthFormat = 38, kLastUncompressedFormat = 40;
constexpr bool isUncompressedFormat(int code) {
    return code >= 0 && code <= kLastUncompressedFormat;
}
constexpr bool isDepthFormat(int code) {
    return code > kLastRgbaFormat && code <= kLastUncompressedFormat;
}
// Depth formats that sample with a depth comparison.
constexpr bool isFixedPointDepthFormat(int code) {
    return code > kLastRgbaFormat && code <= kLastFixedPointDepthFormat;
}
constexpr int kTextureTypeCount = 11;
constexpr int kBufferTargetCount = 11;
constexpr int kAttachmentCount = 11;
constexpr int kStageCount = 6;
constexpr int kSemanticCount = 8;

// Codes the engine's own code names (data files use the names instead).
constexpr int kFilterNearest = 0, kFilterLinear = 1, kFilterLinearMipmapLinear = 5;
constexpr int kWrapEdge = 0, kWrapRepeat = 1;
constexpr int kSwizzleOne = 4;
constexpr int kEquationAdd = 1;
constexpr int kFactorZero = 0, kFactorOne = 1, kFactorSrcAlpha = 2, kFactorOneMinusSrcAlpha = 3,
              kFactorDstColor = 8;
constexpr int kCompareLequal = 2;
constexpr int kCullFront = 0, kCullBack = 1, kWindingCcw = 1, kOffsetFill = 0;
constexpr int kUsageStaticDraw = 3;
constexpr int kSemanticPosition = 0;

GLenum queryTarget(int kind);
GLenum bufferTarget(int code);
GLenum bufferUsage(int code);
GLenum textureTarget(int type);
GLenum filter(int code);
GLenum wrap(int code);
GLenum swizzle(int code);
// Engine cube face order: +X, +Y, +Z, -X, -Y, -Z.
GLenum cubeFace(int face);
const TextureFormat& textureFormat(int code); // codes outside 0-44 read as 44
GLenum compareFunction(int code);
GLenum compareMode(int code);
GLenum attachment(int code);
GLenum stageType(int stage);
const char* stageExtension(int stage);
GLenum feedbackMode(int code);
GLenum blendEquation(int code);
GLenum blendFactor(int code);
GLenum stencilOperation(int code);
GLenum cullFace(int code);
GLenum winding(int code);
GLenum polygonOffsetMode(int code);
const std::string& semanticName(int code); // codes outside 0-7 read as "UNKNOWN"

// Lookups by data-file name. Those answering bool fail on an unknown name and leave *code alone;
// the others fall back as noted. A null name counts as unknown.
int formatCode(const char* name);     // unknown: 44
int attachmentCode(const char* name); // unknown: 11
bool filterCode(const char* name, int* code);
bool wrapCode(const char* name, int* code);
bool samplerCompareCode(const char* name, int* code); // "always", "less", "lequal", ...
bool compareModeCode(const char* name, int* code);    // "ref", "none"
bool feedbackModeCode(const char* name, int* code);   // "interleaved", "separate"
int blendEquationCode(const char* name);              // unknown: 1
int blendFactorCode(const char* name, int fallback);
int compareFunctionCode(const char* name, int fallback); // scene vocabulary "less_or_equal", ...
int stencilOperationCode(const char* name);              // unknown: 1
int cullFaceCode(const char* name);                      // unknown: 1
int windingCode(const char* name);                       // anything but "cw": 1
int polygonOffsetModeCode(const char* name);             // unknown: 0

} // namespace codes

namespace codes {
// The built-in matrix uniforms by slot, as the device keeps them and programs name them: 4x4
// matrices up to kShadowMatrix, then the 3x3 normal matrices.
enum BuiltInMatrix : int {
    kProjectionMatrix,
    kProjectionMatrixInverse,
    kModelViewMatrix,
    kModelViewMatrixInverse,
    kModelViewProjectionMatrix,
    kModelViewProjectionMatrixInverse,
    kViewMatrix,
    kViewMatrixInverse,
    kTextureMatrix,
    kWorldMatrix,
    kShadowMatrix,
    kNormalMatrix,
    kNormalMatrixInverse,
    kWorldNormalMatrix,
    kViewNormalMatrix,
    kBuiltInMatrixCount,
    kFirstNormalMatrix = kNormalMatrix,
};
// Name of built-in matrix uniform `index`: "ProjectionMatrix" ... "ViewNormalMatrix".
const std::string& builtInMatrixName(int index);
} // namespace codes
