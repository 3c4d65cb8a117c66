#include "render/BufferObject.h"

#include "render/CodeTables.h"

BufferObject::~BufferObject() {
    if (glName_ != 0)
        glDeleteBuffers(1, &glName_);
}

bool BufferObject::create() {
    if (glName_ != 0)
        return false;
    glGenBuffers(1, &glName_);
    return true;
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

bool BufferObject::setData(int usageCode, GLsizeiptr size, const void* data) {
    usage_ = usageCode;
    glBufferData(glTarget(), size, data, codes::bufferUsage(usageCode));
    VORNDLE_GL_CHECK("glBufferData");
    return true;
}
