#pragma once

#include "core/Object.h"
#include "render/Gl.h"

#include <string>

// Sampling parameters as codes (filter, wrap and swizzle tables), shared with Sampler.
struct TextureParams {
    int magFilter = 1;
    int minFilter = 4;
    int wrapS = 1;
    int wrapT = 1;
    int wrapR = 1;
    int swizzle[4] = {0, 1, 2, 3};
    bool compare = false;
};

// Base of every GL image object. Remembers the parameters last sent for the texture so that
// applying a record sends only what changed; starts at GL's own defaults.
class Texture : public Object {
public:
    ~Texture() override;

    // Stores the format and resets the swizzles to the format class's default.
    void setFormat(int formatCode);
    // glBindTexture on the current unit.
    void bind() const;
    void unbind() const;
    // The texture must be bound on the current unit. Filters and wraps go out only when they
    // differ; swizzles and depth compare settings are re-sent for every uncompressed format.
    void applyParams(const TextureParams& record);
    // Sends GL_TEXTURE_MAX_ANISOTROPY_EXT for 2D textures when the value exceeds 1, bounded by
    // `deviceMaximum`; the texture must be bound.
    void setAnisotropy(float value, float deviceMaximum);
    // glGenerateMipmap on the texture's target; the texture must be bound.
    void generateMipmap() const;

    const std::string& name() const { return name_; }
    void setName(const std::string& name) { name_ = name; }
    const TextureParams& params() const { return params_; }
    int type() const { return type_; }
    int format() const { return format_; }
    GLuint glName() const { return glName_; }
    GLenum glTarget() const;

protected:
    explicit Texture(int type) : type_(type) {}
    // Generates the name, binds it, applies `params` and leaves it bound.
    void generate(const TextureParams& params);

    std::string name_;
    TextureParams params_;
    int type_;
    int format_ = 44;
    GLuint glName_ = 0;
};
