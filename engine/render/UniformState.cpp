#include "render/UniformState.h"

namespace uniform_upload {
// GLEW's entry points are macros over pointers that are only loaded at run time, so the
// template takes these plain functions instead.
void float1(GLint location, GLsizei count, const GLfloat* values) {
    glUniform1fv(location, count, values);
}
void float2(GLint location, GLsizei count, const GLfloat* values) {
    glUniform2fv(location, count, values);
}
void float3(GLint location, GLsizei count, const GLfloat* values) {
    glUniform3fv(location, count, values);
}
void float4(GLint location, GLsizei count, const GLfloat* values) {
    glUniform4fv(location, count, values);
}
} // namespace uniform_upload

void UniformBlockState::apply() const {
    const GLintptr size = buffer_->blockSize();
    glBindBufferRange(GL_UNIFORM_BUFFER, blockIndex_, buffer_->glName(), size * buffer_->currentCopy(), size);
}
