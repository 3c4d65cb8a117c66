#pragma once

#include "core/Object.h"
#include "render/Gl.h"

class Device;
class Framebuffer;
class Texture2D;

// A colour texture with a framebuffer around it, for pictures the authoring tools keep beside the
// frame (the paused frame, the overlay's panel).
class ColourTarget {
public:
    ColourTarget();
    ~ColourTarget();

    // Makes the texture again when its size differs (format: a code table name, "rgba_8");
    // false when GL refuses the framebuffer.
    bool fit(int width, int height, const char* format);
    bool fits(int width, int height) const;
    GLuint framebuffer() const;
    GLuint texture() const;

private:
    Ref<Texture2D> texture_;
    Ref<Framebuffer> framebuffer_;
};

// Copies the rectangle (x0, y0)-(x1, y1) of framebuffer `from` onto (u0, v0)-(u1, v1) of `to` (0:
// the back buffer; a reversed rectangle flips), then binds what the device believes is bound.
void copyRectangle(Device& device, GLuint from, GLuint to, const int source[4], const int target[4]);
