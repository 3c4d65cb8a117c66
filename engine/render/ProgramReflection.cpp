#include "render/Program.h"

#include "render/CodeTables.h"

#include <algorithm>

namespace {

struct TypeShape {
    GLenum base;
    int components;
};

// Base type and component count of a scalar, vector or matrix type; {0, 0} for anything else.
TypeShape decompose(GLenum type) {
    switch (type) {
    case GL_INT:
        return {GL_INT, 1};
    case GL_UNSIGNED_INT:
    case GL_UNSIGNED_INT_ATOMIC_COUNTER:
        return {GL_UNSIGNED_INT, 1};
    case GL_FLOAT:
        return {GL_FLOAT, 1};
    case GL_DOUBLE:
        return {GL_DOUBLE, 1};
    case GL_FLOAT_VEC2:
        return {GL_FLOAT, 2};
    case GL_FLOAT_VEC3:
        return {GL_FLOAT, 3};
    case GL_FLOAT_VEC4:
        return {GL_FLOAT, 4};
    case GL_FLOAT_MAT2:
        return {GL_FLOAT, 4};
    case GL_FLOAT_MAT3:
        return {GL_FLOAT, 9};
    case GL_FLOAT_MAT4:
        return {GL_FLOAT, 16};
    case GL_FLOAT_MAT2x3:
    case GL_FLOAT_MAT3x2:
        return {GL_FLOAT, 6};
    case GL_FLOAT_MAT2x4:
    case GL_FLOAT_MAT4x2:
        return {GL_FLOAT, 8};
    case GL_FLOAT_MAT3x4:
    case GL_FLOAT_MAT4x3:
        return {GL_FLOAT, 12};
    case GL_INT_VEC2:
        return {GL_INT, 2};
    case GL_INT_VEC3:
        return {GL_INT, 3};
    case GL_INT_VEC4:
        return {GL_INT, 4};
    case GL_UNSIGNED_INT_VEC2:
        return {GL_UNSIGNED_INT, 2};
    case GL_UNSIGNED_INT_VEC3:
        return {GL_UNSIGNED_INT, 3};
    case GL_UNSIGNED_INT_VEC4:
        return {GL_UNSIGNED_INT, 4};
    case GL_BOOL:
        return {GL_BOOL, 1};
    case GL_BOOL_VEC2:
        return {GL_BOOL, 2};
    case GL_BOOL_VEC3:
        return {GL_BOOL, 3};
    case GL_BOOL_VEC4:
        return {GL_BOOL, 4};
    case GL_DOUBLE_VEC2:
        return {GL_DOUBLE, 2};
    case GL_DOUBLE_VEC3:
        return {GL_DOUBLE, 3};
    case GL_DOUBLE_VEC4:
        return {GL_DOUBLE, 4};
    case GL_DOUBLE_MAT2:
        return {GL_DOUBLE, 4};
    case GL_DOUBLE_MAT3:
        return {GL_DOUBLE, 9};
    case GL_DOUBLE_MAT4:
        return {GL_DOUBLE, 16};
    case GL_DOUBLE_MAT2x3:
    case GL_DOUBLE_MAT3x2:
        return {GL_DOUBLE, 6};
    case GL_DOUBLE_MAT2x4:
    case GL_DOUBLE_MAT4x2:
        return {GL_DOUBLE, 8};
    case GL_DOUBLE_MAT3x4:
    case GL_DOUBLE_MAT4x3:
        return {GL_DOUBLE, 12};
    }
    return {0, 0};
}

bool inRange(GLenum type, GLenum first, GLenum last) {
    return type >= first && type <= last;
}

bool isSamplerLike(GLenum t) {
    return inRange(t, 0x8B5D, 0x8B64) || inRange(t, 0x8DC0, 0x8DC5) || inRange(t, 0x8DC9, 0x8DD8) ||
           inRange(t, 0x904C, 0x9053) || inRange(t, 0x9055, 0x905E) || inRange(t, 0x9060, 0x9069) ||
           t == 0x906B || t == 0x906C || inRange(t, 0x9108, 0x910D);
}

bool isPlain(GLenum t) {
    return t == GL_INT || t == GL_UNSIGNED_INT || t == GL_FLOAT || t == GL_DOUBLE ||
           inRange(t, 0x8B50, 0x8B5C) || inRange(t, 0x8B65, 0x8B6A) || inRange(t, 0x8DC6, 0x8DC8) ||
           inRange(t, 0x8F46, 0x8F4E) || inRange(t, 0x8FFC, 0x8FFE) || t == 0x92DB;
}

std::string stripArraySuffix(const char* name) {
    std::string s(name);
    if (s.size() > 3 && s.compare(s.size() - 3, 3, "[0]") == 0)
        s.resize(s.size() - 3);
    return s;
}

} // namespace

void Program::clearReflection() {
    samplers_.clear();
    uniforms_.clear();
    attributes_.clear();
    atomicCounterBuffers_.clear();
    blocks_.clear();
    attributeLocations_.clear();
    builtInMask_ = 0;
    std::fill(std::begin(builtInLocations_), std::end(builtInLocations_), -1);
}

void Program::reflect() {
    clearReflection();
    // Sampler units are set on the program directly, without binding it: programs link while the
    // device's program is bound (or one that was deleted while bound, which binding another would
    // delete for good, so that it could not be bound back).

    GLint count = 0, maxLength = 0;
    glGetProgramiv(glName_, GL_ACTIVE_UNIFORMS, &count);
    glGetProgramiv(glName_, GL_ACTIVE_UNIFORM_MAX_LENGTH, &maxLength);
    std::vector<GLchar> name(size_t(std::max(maxLength, 32)) + 1, '\0');
    for (GLint i = 0; i < count; ++i) {
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(glName_, GLuint(i), GLsizei(name.size()), nullptr, &size, &type, name.data());
        std::string key = stripArraySuffix(name.data());
        if (isSamplerLike(type)) {
            GLint location = glGetUniformLocation(glName_, name.data());
            int unit = int(samplers_.size());
            glProgramUniform1i(glName_, location, unit);
            samplers_.emplace(key, SamplerInfo{unit, type});
        } else if (isPlain(type)) {
            GLint location = glGetUniformLocation(glName_, name.data());
            TypeShape shape = decompose(type);
            GLuint index = GLuint(i);
            GLint blockIndex = -1, offset = -1;
            glGetActiveUniformsiv(glName_, 1, &index, GL_UNIFORM_BLOCK_INDEX, &blockIndex);
            glGetActiveUniformsiv(glName_, 1, &index, GL_UNIFORM_OFFSET, &offset);
            if (blockIndex >= 0 && offset >= 0)
                uniforms_.emplace(key, UniformInfo{offset, shape.base, shape.components, blockIndex});
            else
                uniforms_.emplace(key, UniformInfo{location, shape.base, shape.components, -1});
        }
    }

    GLint bufferCount = 0;
    glGetProgramiv(glName_, GL_ACTIVE_ATOMIC_COUNTER_BUFFERS, &bufferCount);
    for (GLint i = 0; i < bufferCount; ++i) {
        AtomicCounterBufferInfo info{};
        glGetActiveAtomicCounterBufferiv(glName_, GLuint(i), GL_ATOMIC_COUNTER_BUFFER_BINDING, &info.binding);
        glGetActiveAtomicCounterBufferiv(glName_, GLuint(i), GL_ATOMIC_COUNTER_BUFFER_DATA_SIZE,
                                         &info.dataSize);
        glGetActiveAtomicCounterBufferiv(glName_, GLuint(i), GL_ATOMIC_COUNTER_BUFFER_ACTIVE_ATOMIC_COUNTERS,
                                         &info.activeCounters);
        atomicCounterBuffers_.push_back(info);
    }

    glGetProgramiv(glName_, GL_ACTIVE_ATTRIBUTES, &count);
    glGetProgramiv(glName_, GL_ACTIVE_ATTRIBUTE_MAX_LENGTH, &maxLength);
    if (size_t(maxLength) + 1 > name.size())
        name.resize(size_t(maxLength) + 1);
    for (GLint i = 0; i < count; ++i) {
        GLint size = 0;
        GLenum type = 0;
        glGetActiveAttrib(glName_, GLuint(i), GLsizei(name.size()), nullptr, &size, &type, name.data());
        std::string key = stripArraySuffix(name.data());
        if (key == "gl_InstanceID")
            continue;
        TypeShape shape = decompose(type);
        GLint location = glGetAttribLocation(glName_, name.data());
        if (attributes_.emplace(key, AttributeInfo{location, shape.base, shape.components, type}).second &&
            location >= 0)
            attributeLocations_.push_back(GLuint(location));
    }

    glGetProgramiv(glName_, GL_ACTIVE_UNIFORM_BLOCKS, &count);
    for (GLint i = 0; i < count; ++i) {
        GLint length = 0, dataSize = 0;
        glGetActiveUniformBlockiv(glName_, GLuint(i), GL_UNIFORM_BLOCK_NAME_LENGTH, &length);
        std::vector<GLchar> blockName(size_t(std::max(length, 1)) + 1, '\0');
        glGetActiveUniformBlockName(glName_, GLuint(i), GLsizei(blockName.size()), nullptr, blockName.data());
        glGetActiveUniformBlockiv(glName_, GLuint(i), GL_UNIFORM_BLOCK_DATA_SIZE, &dataSize);
        GLuint index = glGetUniformBlockIndex(glName_, blockName.data());
        glUniformBlockBinding(glName_, index, index);
        blocks_.emplace(blockName.data(), UniformBlockInfo{GLint(index), dataSize});
    }

    for (int i = 0; i < kBuiltInCount; ++i)
        if (const UniformInfo* u = findUniform(codes::builtInMatrixName(i))) {
            builtInMask_ |= 1u << i;
            builtInLocations_[i] = u->location;
        }
}
