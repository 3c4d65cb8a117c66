#include "render/BufferObject.h"

#include "core/Contract.h"
#include "render/CodeTables.h"

BufferObject::~BufferObject() {
    if (glName_ != 0)
        glDeleteBuffers(1, &glName_);
}

void BufferObject::create() {
    VORNDLE_EXPECTS(glName_ == 0, "a buffer is created once");
    glGenBuffers(1, &glName_);
}

GLenum BufferObject::glTarget() const {
    return codes::bufferTarget(target_);
}

void BufferObject::bind() const {
    glBindBuffer(glTarget(), glName_);
}

void BufferObject::unbind() const {
    glBindBuffer(glTarget(), 0);
}

void BufferObject::setData(int usageCode, GLsizeiptr size, const void* data) {
    usage_ = usageCode;
    glBufferData(glTarget(), size, data, codes::bufferUsage(usageCode));
    VORNDLE_GL_CHECK("glBufferData");
}
