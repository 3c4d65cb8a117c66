#pragma once

#include "core/Object.h"
#include "render/Gl.h"
#include "render/Texture.h"

// A framebuffer object built from attachment points (codes 0-7 colour, 8 depth, 9 stencil,
// 10 depth-stencil), each naming a texture with a mip level and a layer (array layer, 3D slice,
// cube side; a negative cube side attaches every face for layered rendering).
class Framebuffer : public Object {
public:
    static constexpr int kSlotCount = 11;

    struct Attachment {
        int point = 0;
        Ref<Texture> texture;
        int level = 0;
        int layer = 0;
    };

    Framebuffer();
    ~Framebuffer() override;

    // Ignored for codes above 10.
    void setAttachment(int point, const Ref<Texture>& texture, int level, int layer);
    // Builds the GL object; answers whether it is complete. An incomplete one is deleted again
    // (name 0) but keeps its attachments.
    [[nodiscard]] bool create();
    void destroyGL();

    const Attachment& attachment(int point) const { return slots_[point]; }
    GLuint glName() const { return glName_; }
    int width() const { return width_; }
    int height() const { return height_; }
    const GLenum* drawBuffers() const { return drawBuffers_; }
    int drawBufferCount() const { return drawBufferCount_; }

private:
    Attachment slots_[kSlotCount];
    GLuint glName_ = 0;
    int width_ = 0;
    int height_ = 0;
    GLenum drawBuffers_[8] = {};
    int drawBufferCount_ = 0;
};
