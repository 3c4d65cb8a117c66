#pragma once

#include "core/Object.h"
#include "render/BufferObject.h"

#include <vector>

// Buffers to bind to indexed binding points (uniform, transform-feedback, storage blocks).
class BufferBindings : public Object {
public:
    struct Binding {
        Ref<BufferObject> buffer;
        GLuint point;
    };

    void add(const Ref<BufferObject>& buffer, GLuint point) { bindings_.push_back({buffer, point}); }
    const std::vector<Binding>& bindings() const { return bindings_; }

private:
    std::vector<Binding> bindings_;
};
