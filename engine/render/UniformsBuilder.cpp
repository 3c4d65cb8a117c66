#include "render/UniformsBuilder.h"

#include "render/Program.h"

UniformsBuilder::UniformsBuilder(const Ref<Program>& program) : program_(program) {}

UniformsBuilder::~UniformsBuilder() = default;

Ref<Uniforms> UniformsBuilder::begin() {
    uniforms_ = makeRef<Uniforms>(program_);
    return uniforms_;
}

GLint UniformsBuilder::locate(const std::string& name) const {
    if (!program_ || !uniforms_)
        return -1;
    const UniformInfo* uniform = program_->findUniform(name);
    // A block member's record holds its byte offset, not a location: uploading to it would hit
    // whichever default-block uniform happens to own that location.
    if (!uniform || uniform->blockIndex >= 0)
        return -1;
    return uniform->location;
}

bool UniformsBuilder::addInteger(const std::string& name, int count, const int* values) {
    GLint location = locate(name);
    if (location < 0)
        return false;
    if (count < 2)
        uniforms_->add(makeRef<IntegerUniformState>(location, values));
    else
        uniforms_->add(makeRef<IntegerArrayUniformState>(location, count, values));
    return true;
}

bool UniformsBuilder::addFloat(const std::string& name, int count, const float* values) {
    GLint location = locate(name);
    if (location < 0)
        return false;
    if (count < 2)
        uniforms_->add(makeRef<FloatUniformState>(location, values));
    else
        uniforms_->add(makeRef<FloatArrayUniformState>(location, count, values));
    return true;
}

bool UniformsBuilder::addVector2f(const std::string& name, int count, const float* values) {
    GLint location = locate(name);
    if (location < 0)
        return false;
    uniforms_->add(makeRef<Vector2fUniformState>(location, count, values));
    return true;
}

bool UniformsBuilder::addVector3f(const std::string& name, int count, const float* values) {
    GLint location = locate(name);
    if (location < 0)
        return false;
    uniforms_->add(makeRef<Vector3fUniformState>(location, count, values));
    return true;
}

bool UniformsBuilder::addVector4f(const std::string& name, int count, const float* values) {
    GLint location = locate(name);
    if (location < 0)
        return false;
    uniforms_->add(makeRef<Vector4fUniformState>(location, count, values));
    return true;
}

bool UniformsBuilder::addMatrix4f(const std::string& name, int count, const float* values) {
    GLint location = locate(name);
    if (location < 0)
        return false;
    uniforms_->add(makeRef<Matrix4fUniformState>(location, count, values));
    return true;
}

bool UniformsBuilder::addBlock(const std::string& name, const Ref<UniformBuffer>& buffer) {
    if (!program_ || !uniforms_ || !buffer)
        return false;
    const UniformBlockInfo* block = program_->findUniformBlock(name);
    if (!block || buffer->blockSize() < block->dataSize)
        return false;
    uniforms_->add(makeRef<UniformBlockState>(buffer, GLuint(block->index)));
    return true;
}
