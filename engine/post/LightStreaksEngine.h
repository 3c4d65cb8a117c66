#pragma once

#include "math/Vec2.h"
#include "math/Vec4.h"
#include "post/MultiPassEngine.h"

// Light streaks as iterated directional blur: every pass smears along both directions with four
// weighted taps whose spacing doubles with every pass, so a few passes draw long streaks from
// the bright parts (the first pass keeps what exceeds colour rgb, scaled by colour alpha). The
// pass count is rounded up to even so the result always ends in the second target.
class LightStreaksEngine : public MultiPassEngine {
public:
    LightStreaksEngine();
    explicit LightStreaksEngine(const Ref<Program>& program);

    bool setUp(const Ref<Framebuffer>& first, const Ref<Framebuffer>& second) override;
    void render(Device& device, const std::vector<Ref<SamplerSet>>& samplerSets, int passCount) override;
    // The weight vectors come back normalised to unit length (a zero vector stays zero).
    [[nodiscard]] bool readParams(InputStream& in) override;
    bool writeParams(OutputStream& out) const override;

    // Scales each weight vector to unit length; a zero vector stays zero.
    void normalizeWeights();

    Vec4 color{0.5f, 0.5f, 0.5f, 2.0f};
    Vec2 directions[2] = {{1.0f, 1.0f}, {-1.0f, 1.0f}};
    Vec4 weights[2];

private:
    GLint texelSize_ = -1, direction_ = -1, weights_ = -1, b_ = -1, color_ = -1;
};
