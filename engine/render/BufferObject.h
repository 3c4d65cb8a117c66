#pragma once

#include "core/Object.h"
#include "render/Gl.h"

// One GL buffer name with its binding target and usage codes. The name is deleted with the object.
class BufferObject : public Object {
public:
    explicit BufferObject(int targetCode) : target_(targetCode) {}
    ~BufferObject() override;

    // Generates the name; once per buffer.
    void create();
    void bind() const;
    void unbind() const;
    // Allocates storage on the buffer currently bound to the target; callers bind first.
    void setData(int usageCode, GLsizeiptr size, const void* data);

    int target() const { return target_; }
    GLenum glTarget() const;
    int usage() const { return usage_; }
    GLuint glName() const { return glName_; }

private:
    int target_;
    int usage_ = 3;
    GLuint glName_ = 0;
};
