#pragma once

#include "core/Object.h"
#include "render/Gl.h"
#include "render/UniformBuffer.h"

// One uniform of the program in use, fed from storage the state points at but does not own (the
// owner outlives the state); apply uploads whatever the storage holds now.
class UniformState : public Object {
public:
    explicit UniformState(GLint location) : location_(location) {}

    virtual void apply() const = 0;
    virtual void restore() const {}

    GLint location() const { return location_; }

protected:
    GLint location_;
};

class IntegerUniformState : public UniformState {
public:
    IntegerUniformState(GLint location, const int* value) : UniformState(location), value_(value) {}
    void apply() const override { glUniform1i(location_, *value_); }

private:
    const int* value_;
};

class IntegerArrayUniformState : public UniformState {
public:
    IntegerArrayUniformState(GLint location, int count, const int* values)
        : UniformState(location), count_(count), values_(values) {}
    void apply() const override { glUniform1iv(location_, count_, values_); }

private:
    int count_;
    const int* values_;
};

class FloatUniformState : public UniformState {
public:
    FloatUniformState(GLint location, const float* value) : UniformState(location), value_(value) {}
    void apply() const override { glUniform1f(location_, *value_); }

private:
    const float* value_;
};

// Float arrays and float vectors: `Upload` is the matching glUniform*fv.
template <void (*Upload)(GLint, GLsizei, const GLfloat*)>
class FloatVectorUniformState : public UniformState {
public:
    FloatVectorUniformState(GLint location, int count, const float* values)
        : UniformState(location), count_(count), values_(values) {}
    void apply() const override { Upload(location_, count_, values_); }
    int count() const { return count_; }

private:
    int count_;
    const float* values_;
};

namespace uniform_upload {
void float1(GLint location, GLsizei count, const GLfloat* values);
void float2(GLint location, GLsizei count, const GLfloat* values);
void float3(GLint location, GLsizei count, const GLfloat* values);
void float4(GLint location, GLsizei count, const GLfloat* values);
} // namespace uniform_upload

class FloatArrayUniformState : public FloatVectorUniformState<uniform_upload::float1> {
    using FloatVectorUniformState::FloatVectorUniformState;
};
class Vector2fUniformState : public FloatVectorUniformState<uniform_upload::float2> {
    using FloatVectorUniformState::FloatVectorUniformState;
};
class Vector3fUniformState : public FloatVectorUniformState<uniform_upload::float3> {
    using FloatVectorUniformState::FloatVectorUniformState;
};
class Vector4fUniformState : public FloatVectorUniformState<uniform_upload::float4> {
    using FloatVectorUniformState::FloatVectorUniformState;
};

// Row-major matrices, uploaded transposed like the built-in ones.
class Matrix4fUniformState : public UniformState {
public:
    Matrix4fUniformState(GLint location, int count, const float* values)
        : UniformState(location), count_(count), values_(values) {}
    void apply() const override { glUniformMatrix4fv(location_, count_, transpose_, values_); }
    bool transpose() const { return transpose_ == GL_TRUE; }

private:
    int count_;
    GLboolean transpose_ = GL_TRUE;
    const float* values_;
};

// Binds the current copy of a uniform buffer to the block's binding point.
class UniformBlockState : public UniformState {
public:
    UniformBlockState(const Ref<UniformBuffer>& buffer, GLuint blockIndex)
        : UniformState(-1), buffer_(buffer), blockIndex_(blockIndex) {}
    void apply() const override;
    GLuint blockIndex() const { return blockIndex_; }

private:
    Ref<UniformBuffer> buffer_;
    GLuint blockIndex_;
};
