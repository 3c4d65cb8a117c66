#pragma once

#include "math/Vec2.h"
#include "math/Vec4.h"
#include "post/MultiPassEngine.h"

// Radial blur towards an origin in texture coordinates (light shafts, zoom blur): the first pass
// keeps what exceeds the threshold (colour rgb) scaled by colour alpha; every pass smears the
// image along the line to the origin. Radial parameters: x where the smear starts along that line
// (0 at the pixel), y its length as a share of the distance to the origin.
class RadialBlurEngine : public MultiPassEngine {
public:
    RadialBlurEngine() = default;
    explicit RadialBlurEngine(const Ref<Program>& program) : MultiPassEngine(program) {}

    bool setUp(const Ref<Framebuffer>& first, const Ref<Framebuffer>& second) override;
    void render(Device& device, const std::vector<Ref<SamplerSet>>& samplerSets, int passCount) override;
    [[nodiscard]] bool readParams(InputStream& in) override;
    bool writeParams(OutputStream& out) const override;

    Vec4 color{0.5f, 0.5f, 0.5f, 2.0f};
    Vec2 origin{0.5f, 0.5f};
    Vec2 radialParams{0.0f, 1.0f};

private:
    void pass(Device& device, const Ref<Framebuffer>& target, const Ref<SamplerSet>& set, bool first) const;

    GLint texelSize_ = -1, color_ = -1, origin_ = -1, params_ = -1;
};
