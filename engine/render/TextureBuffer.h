#pragma once

#include "render/BufferObject.h"
#include "render/Texture.h"

// A buffer texture: shaders read a buffer object's contents as RGBA32F texels.
class TextureBuffer : public Texture {
public:
    TextureBuffer() : Texture(9) {}

    void create(const Ref<BufferObject>& buffer);
    const Ref<BufferObject>& buffer() const { return buffer_; }

private:
    Ref<BufferObject> buffer_;
};
