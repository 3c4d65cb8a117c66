#include "render/CodeTables.h"

#include <cstring>

namespace codes {
namespace {

template <class T, size_t N> T at(const T (&table)[N], int code, T fallback) {
    return code >= 0 && size_t(code) < N ? table[code] : fallback;
}

// Index of `name` in a list of names, or -1.
template <size_t N> int indexOf(const char* const (&names)[N], const char* name) {
    if (!name)
        return -1;
    for (size_t i = 0; i < N; ++i)
        if (names[i] && std::strcmp(names[i], name) == 0)
            return int(i);
    return -1;
}

constexpr GLenum kQueryTargets[] = {GL_PRIMITIVES_GENERATED, GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN,
                                    GL_SAMPLES_PASSED, GL_ANY_SAMPLES_PASSED, GL_TIME_ELAPSED};

constexpr GLenum kBufferTargets[kBufferTargetCount] = {
    GL_ARRAY_BUFFER,          GL_ELEMENT_ARRAY_BUFFER, GL_PIXEL_PACK_BUFFER,
    GL_PIXEL_UNPACK_BUFFER,   GL_UNIFORM_BUFFER,       GL_TRANSFORM_FEEDBACK_BUFFER,
    GL_TEXTURE_BUFFER,        GL_DRAW_INDIRECT_BUFFER, GL_DISPATCH_INDIRECT_BUFFER,
    GL_ATOMIC_COUNTER_BUFFER, GL_SHADER_STORAGE_BUFFER};

constexpr GLenum kBufferUsages[] = {GL_STREAM_DRAW,  GL_STREAM_READ,  GL_STREAM_COPY,
                                    GL_STATIC_DRAW,  GL_STATIC_READ,  GL_STATIC_COPY,
                                    GL_DYNAMIC_DRAW, GL_DYNAMIC_READ, GL_DYNAMIC_COPY};

constexpr GLenum kTextureTargets[kTextureTypeCount] = {
    GL_TEXTURE_1D,       GL_TEXTURE_1D_ARRAY,       GL_TEXTURE_2D,
    GL_TEXTURE_2D_ARRAY, GL_TEXTURE_2D_MULTISAMPLE, GL_TEXTURE_2D_MULTISAMPLE_ARRAY,
    GL_TEXTURE_3D,       GL_TEXTURE_CUBE_MAP,       GL_RENDERBUFFER,
    GL_TEXTURE_BUFFER,   GL_TEXTURE_RECTANGLE};

constexpr GLenum kFilters[] = {GL_NEAREST,
                               GL_LINEAR,
                               GL_NEAREST_MIPMAP_NEAREST,
                               GL_LINEAR_MIPMAP_NEAREST,
                               GL_NEAREST_MIPMAP_LINEAR,
                               GL_LINEAR_MIPMAP_LINEAR};
constexpr const char* kFilterNames[] = {"nearest",
                                        "linear",
                                        "nearest mipmap nearest",
                                        "linear mipmap nearest",
                                        "nearest mipmap linear",
                                        "linear mipmap linear"};

constexpr GLenum kWraps[] = {GL_CLAMP_TO_EDGE, GL_REPEAT, GL_CLAMP_TO_BORDER, GL_MIRRORED_REPEAT};
// "clamp" is an alias of "edge".
constexpr const char* kWrapNames[] = {"edge", "repeat", "border", "mirrored repeat", "clamp"};
constexpr int kWrapNameCodes[] = {0, 1, 2, 3, 0};

constexpr GLenum kSwizzles[] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA, GL_ONE, GL_ZERO};

constexpr GLenum kCubeFaces[] = {GL_TEXTURE_CUBE_MAP_POSITIVE_X, GL_TEXTURE_CUBE_MAP_POSITIVE_Y,
                                 GL_TEXTURE_CUBE_MAP_POSITIVE_Z, GL_TEXTURE_CUBE_MAP_NEGATIVE_X,
                                 GL_TEXTURE_CUBE_MAP_NEGATIVE_Y, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z};

constexpr TextureFormat kFormats[kFormatCount] = {
    {"r_8", GL_R8, GL_RED, GL_UNSIGNED_BYTE, 1, 8},
    {"r_16", GL_R16, GL_RED, GL_UNSIGNED_SHORT, 1, 16},
    {"r_fp16", GL_R16F, GL_RED, GL_HALF_FLOAT, 1, 16},
    {"r_fp32", GL_R32F, GL_RED, GL_FLOAT, 1, 32},
    {"r_8i", GL_R8I, GL_RED_INTEGER, GL_BYTE, 1, 8},
    {"r_16i", GL_R16I, GL_RED_INTEGER, GL_SHORT, 1, 16},
    {"r_32i", GL_R32I, GL_RED_INTEGER, GL_INT, 1, 32},
    {"r_8ui", GL_R8UI, GL_RED_INTEGER, GL_UNSIGNED_BYTE, 1, 8},
    {"r_16ui", GL_R16UI, GL_RED_INTEGER, GL_UNSIGNED_SHORT, 1, 16},
    {"r_32ui", GL_R32UI, GL_RED_INTEGER, GL_UNSIGNED_INT, 1, 32},
    {"rg_8", GL_RG8, GL_RG, GL_UNSIGNED_BYTE, 2, 16},
    {"rg_16", GL_RG16, GL_RG, GL_UNSIGNED_SHORT, 2, 32},
    {"rg_fp16", GL_RG16F, GL_RG, GL_HALF_FLOAT, 2, 32},
    {"rg_fp32", GL_RG32F, GL_RG, GL_FLOAT, 2, 64},
    {"rg_8i", GL_RG8I, GL_RG_INTEGER, GL_BYTE, 2, 16},
    {"rg_16i", GL_RG16I, GL_RG_INTEGER, GL_SHORT, 2, 32},
    {"rg_32i", GL_RG32I, GL_RG_INTEGER, GL_INT, 2, 64},
    {"rg_8ui", GL_RG8UI, GL_RG_INTEGER, GL_UNSIGNED_BYTE, 2, 16},
    {"rg_16ui", GL_RG16UI, GL_RG_INTEGER, GL_UNSIGNED_SHORT, 2, 32},
    {"rg_32ui", GL_RG32UI, GL_RG_INTEGER, GL_UNSIGNED_INT, 2, 64},
    {"rgb_8", GL_RGB8, GL_RGB, GL_UNSIGNED_BYTE, 3, 24},
    {"rgb_fp16", GL_RGB16F, GL_RGB, GL_HALF_FLOAT, 3, 48},
    {"rgb_fp32", GL_RGB32F, GL_RGB, GL_FLOAT, 3, 96},
    {"rgb_32i", GL_RGB32I, GL_RGB_INTEGER, GL_INT, 3, 96},
    {"rgb_32ui", GL_RGB32UI, GL_RGB_INTEGER, GL_UNSIGNED_INT, 3, 96},
    {"rgba_8", GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, 4, 32},
    {"rgba_16", GL_RGBA16, GL_RGBA, GL_UNSIGNED_SHORT, 4, 64},
    {"rgba_fp16", GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT, 4, 64},
    {"rgba_fp32", GL_RGBA32F, GL_RGBA, GL_FLOAT, 4, 128},
    {"rgba_8i", GL_RGBA8I, GL_RGBA_INTEGER, GL_BYTE, 4, 32},
    {"rgba_16i", GL_RGBA16I, GL_RGBA_INTEGER, GL_SHORT, 4, 64},
    {"rgba_32i", GL_RGBA32I, GL_RGBA_INTEGER, GL_INT, 4, 128},
    {"rgba_8ui", GL_RGBA8UI, GL_RGBA_INTEGER, GL_UNSIGNED_BYTE, 4, 32},
    {"rgba_16ui", GL_RGBA16UI, GL_RGBA_INTEGER, GL_UNSIGNED_SHORT, 4, 64},
    {"rgba_32ui", GL_RGBA32UI, GL_RGBA_INTEGER, GL_UNSIGNED_INT, 4, 128},
    {"depth_16", GL_DEPTH_COMPONENT16, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, 1, 16},
    {"depth_24", GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT, GL_FLOAT, 1, 24},
    {"depth_32", GL_DEPTH_COMPONENT32, GL_DEPTH_COMPONENT, GL_FLOAT, 1, 32},
    {"depth_stencil_24_8", GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, 2, 32},
    {"depth_fp32", GL_DEPTH_COMPONENT32F, GL_DEPTH_COMPONENT, GL_FLOAT, 1, 32},
    {"depth_stencil_fp32_8", GL_DEPTH32F_STENCIL8, GL_DEPTH_STENCIL, GL_FLOAT_32_UNSIGNED_INT_24_8_REV, 2,
     40},
    {nullptr, GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0, 0, 0},
    {nullptr, GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0, 0, 0},
    {nullptr, GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0, 0, 0},
    {nullptr, 0, 0, 0, 0, 0},
};

constexpr GLenum kCompareFunctions[] = {GL_ALWAYS,   GL_LESS,   GL_LEQUAL,  GL_EQUAL,
                                        GL_NOTEQUAL, GL_GEQUAL, GL_GREATER, GL_NEVER};
constexpr const char* kSamplerCompareNames[] = {"always", "less",   "lequal",  "equal",
                                                "nequal", "gequal", "greater", "never"};
constexpr const char* kSceneCompareNames[] = {
    "always", "less", "less_or_equal", "equal", "not_equal", "greater_or_equal", "greater", "never"};

constexpr GLenum kCompareModes[] = {GL_COMPARE_REF_TO_TEXTURE, GL_NONE};
constexpr const char* kCompareModeNames[] = {"ref", "none"};

constexpr GLenum kAttachments[kAttachmentCount] = {
    GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1,  GL_COLOR_ATTACHMENT2,       GL_COLOR_ATTACHMENT3,
    GL_COLOR_ATTACHMENT4, GL_COLOR_ATTACHMENT5,  GL_COLOR_ATTACHMENT6,       GL_COLOR_ATTACHMENT7,
    GL_DEPTH_ATTACHMENT,  GL_STENCIL_ATTACHMENT, GL_DEPTH_STENCIL_ATTACHMENT};
constexpr const char* kAttachmentNames[kAttachmentCount] = {"color0", "color1",  "color2",       "color3",
                                                            "color4", "color5",  "color6",       "color7",
                                                            "depth",  "stencil", "depth_stencil"};

constexpr GLenum kStageTypes[kStageCount] = {GL_VERTEX_SHADER,          GL_FRAGMENT_SHADER,
                                             GL_GEOMETRY_SHADER,        GL_TESS_CONTROL_SHADER,
                                             GL_TESS_EVALUATION_SHADER, GL_COMPUTE_SHADER};
constexpr const char* kStageExtensions[kStageCount] = {".vert", ".frag", ".geom", ".ctrl", ".eval", ".comp"};

constexpr GLenum kFeedbackModes[] = {GL_INTERLEAVED_ATTRIBS, GL_SEPARATE_ATTRIBS};
constexpr const char* kFeedbackModeNames[] = {"interleaved", "separate"};

// Code 0 has no equation; the vocabulary starts at 1.
constexpr GLenum kBlendEquations[] = {GL_FUNC_ADD, GL_FUNC_ADD,      GL_MIN,
                                      GL_MAX,      GL_FUNC_SUBTRACT, GL_FUNC_REVERSE_SUBTRACT};
constexpr const char* kBlendEquationNames[] = {nullptr, "add", "min", "max", "subtract", "reverse_subtract"};

constexpr GLenum kBlendFactors[] = {GL_ZERO,      GL_ONE,
                                    GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA,
                                    GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA,
                                    GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR,
                                    GL_DST_COLOR, GL_ONE_MINUS_DST_COLOR};
constexpr const char* kBlendFactorNames[] = {"zero",       "one",
                                             "src_alpha",  "one_minus_src_alpha",
                                             "dest_alpha", "one_minus_dest_alpha",
                                             "src_color",  "one_minus_src_color",
                                             "dest_color", "one_minus_dest_color"};

constexpr GLenum kStencilOperations[] = {GL_ZERO, GL_KEEP,   GL_REPLACE,   GL_INCR,
                                         GL_DECR, GL_INVERT, GL_INCR_WRAP, GL_DECR_WRAP};
constexpr const char* kStencilOperationNames[] = {"reset", "keep",   "replace",  "inc",
                                                  "dec",   "invert", "inc_wrap", "dec_wrap"};

constexpr GLenum kCullFaces[] = {GL_FRONT, GL_BACK, GL_FRONT_AND_BACK};
constexpr const char* kCullFaceNames[] = {"front", "back", "front_and_back"};

constexpr GLenum kWindings[] = {GL_CW, GL_CCW};

constexpr GLenum kPolygonOffsetModes[] = {GL_POLYGON_OFFSET_FILL, GL_POLYGON_OFFSET_LINE,
                                          GL_POLYGON_OFFSET_POINT};
constexpr const char* kPolygonOffsetModeNames[] = {"fill", "line", "point"};

const std::string kSemanticNames[kSemanticCount] = {"POSITION", "NORMAL",     "COLOR",       "TANGENT",
                                                    "TEXCOORD", "BONE_INDEX", "BONE_WEIGHT", "UNKNOWN"};

bool lookup(int index, int* code) {
    if (index < 0)
        return false;
    *code = index;
    return true;
}

} // namespace

GLenum queryTarget(int kind) {
    return at(kQueryTargets, kind, GLenum(0));
}
GLenum bufferTarget(int code) {
    return at(kBufferTargets, code, GLenum(0));
}
GLenum bufferUsage(int code) {
    return at(kBufferUsages, code, GLenum(GL_STATIC_DRAW));
}
GLenum textureTarget(int type) {
    return at(kTextureTargets, type, GLenum(0));
}
GLenum filter(int code) {
    return at(kFilters, code, GLenum(GL_LINEAR));
}
GLenum wrap(int code) {
    return at(kWraps, code, GLenum(GL_REPEAT));
}
GLenum swizzle(int code) {
    return at(kSwizzles, code, GLenum(GL_RED));
}
GLenum cubeFace(int face) {
    return at(kCubeFaces, face, GLenum(GL_TEXTURE_CUBE_MAP_POSITIVE_X));
}
const TextureFormat& textureFormat(int code) {
    return code >= 0 && code < kFormatCount ? kFormats[code] : kFormats[kNoFormat];
}
GLenum compareFunction(int code) {
    return at(kCompareFunctions, code, GLenum(GL_ALWAYS));
}
GLenum compareMode(int code) {
    return at(kCompareModes, code, GLenum(GL_NONE));
}
GLenum attachment(int code) {
    return at(kAttachments, code, GLenum(0));
}
GLenum stageType(int stage) {
    return at(kStageTypes, stage, GLenum(0));
}
const char* stageExtension(int stage) {
    return at(kStageExtensions, stage, static_cast<const char*>(""));
}
GLenum feedbackMode(int code) {
    return at(kFeedbackModes, code, GLenum(GL_INTERLEAVED_ATTRIBS));
}
GLenum blendEquation(int code) {
    return at(kBlendEquations, code, GLenum(GL_FUNC_ADD));
}
GLenum blendFactor(int code) {
    return at(kBlendFactors, code, GLenum(GL_ONE));
}
GLenum stencilOperation(int code) {
    return at(kStencilOperations, code, GLenum(GL_KEEP));
}
GLenum cullFace(int code) {
    return at(kCullFaces, code, GLenum(GL_BACK));
}
GLenum winding(int code) {
    return at(kWindings, code, GLenum(GL_CCW));
}
GLenum polygonOffsetMode(int code) {
    return at(kPolygonOffsetModes, code, GLenum(GL_POLYGON_OFFSET_FILL));
}
const std::string& semanticName(int code) {
    return code >= 0 && code < kSemanticCount ? kSemanticNames[code] : kSemanticNames[kSemanticCount - 1];
}

int formatCode(const char* name) {
    if (!name)
        return kNoFormat;
    for (int i = 0; i < kFormatCount; ++i)
        if (kFormats[i].name && std::strcmp(kFormats[i].name, name) == 0)
            return i;
    return kNoFormat;
}
int attachmentCode(const char* name) {
    int i = indexOf(kAttachmentNames, name);
    return i < 0 ? kAttachmentCount : i;
}
bool filterCode(const char* name, int* code) {
    return lookup(indexOf(kFilterNames, name), code);
}
bool wrapCode(const char* name, int* code) {
    int i = indexOf(kWrapNames, name);
    return lookup(i < 0 ? -1 : kWrapNameCodes[i], code);
}
bool samplerCompareCode(const char* name, int* code) {
    return lookup(indexOf(kSamplerCompareNames, name), code);
}
bool compareModeCode(const char* name, int* code) {
    return lookup(indexOf(kCompareModeNames, name), code);
}
bool feedbackModeCode(const char* name, int* code) {
    return lookup(indexOf(kFeedbackModeNames, name), code);
}
int blendEquationCode(const char* name) {
    int i = indexOf(kBlendEquationNames, name);
    return i < 1 ? 1 : i;
}
int blendFactorCode(const char* name, int fallback) {
    int i = indexOf(kBlendFactorNames, name);
    return i < 0 ? fallback : i;
}
int compareFunctionCode(const char* name, int fallback) {
    int i = indexOf(kSceneCompareNames, name);
    return i < 0 ? fallback : i;
}
int stencilOperationCode(const char* name) {
    int i = indexOf(kStencilOperationNames, name);
    return i < 0 ? 1 : i;
}
int cullFaceCode(const char* name) {
    int i = indexOf(kCullFaceNames, name);
    return i < 0 ? 1 : i;
}
int windingCode(const char* name) {
    return name && std::strcmp(name, "cw") == 0 ? 0 : 1;
}
int polygonOffsetModeCode(const char* name) {
    int i = indexOf(kPolygonOffsetModeNames, name);
    return i < 0 ? 0 : i;
}

} // namespace codes

namespace codes {

const std::string& builtInMatrixName(int index) {
    static const std::string kNames[kBuiltInMatrixCount] = {"ProjectionMatrix",
                                                            "ProjectionMatrixInverse",
                                                            "ModelViewMatrix",
                                                            "ModelViewMatrixInverse",
                                                            "ModelViewProjectionMatrix",
                                                            "ModelViewProjectionMatrixInverse",
                                                            "ViewMatrix",
                                                            "ViewMatrixInverse",
                                                            "TextureMatrix",
                                                            "WorldMatrix",
                                                            "ShadowMatrix",
                                                            "NormalMatrix",
                                                            "NormalMatrixInverse",
                                                            "WorldNormalMatrix",
                                                            "ViewNormalMatrix"};
    static const std::string kNone;
    return index >= 0 && index < kBuiltInMatrixCount ? kNames[index] : kNone;
}

} // namespace codes
