#pragma once

#include "core/Object.h"
#include "post/MultiPassEngine.h"
#include "render/Gl.h"

#include <string>
#include <vector>

class BlurEngine;
class Device;
class FXAAEngine;
class GlowEngine;
class InputStream;
class LightStreaksEngine;
class MotionBlurEngine;
class OutputStream;
class RadialBlurEngine;
class SSAOEngine;

// The post-processing chain of a scene part: builds its engines and their inputs by name, runs
// them in a fixed order every frame and composes the result into the back buffer with one of
// eight program permutations. Its parameters and those of its engines travel in one saved block
// ("BLIT"); a block that fails to read changes nothing.
class BlitEngine : public Object {
public:
    static constexpr int kPermutationCount = 8;
    static constexpr int kSlotCount = 10;
    enum Slot {
        kDepthOfFieldBlur = 0,
        kGlow = 1,
        kLightStreaks = 2,
        kAmbientOcclusion = 4,
        kMotionBlur = 5,
        kRadialBlur = 6,
        kFXAA = 9
    };
    enum Flag {
        kFlagGlow = 1,
        kFlagLightStreaks = 2,
        kFlagDepthOfField = 4,
        kFlagMotionBlur = 5,
        kFlagRadialBlur = 6
    };
    // Pass counts read from a block above this fail the read: a pass is a full-screen draw.
    static constexpr int kMaxPassCount = 64;

    BlitEngine();
    ~BlitEngine() override;

    // Builds the chain from the registries. Fails, after one diagnostic line, when an engine's or
    // a composite's program or a target framebuffer is missing; missing textures are skipped.
    bool setUp(const std::string& gradientTextureName, int width, int height);
    // Runs the engines and the composite into the back buffer. Allocates nothing.
    void run(Device& device);
    void release();

    void setCameraRange(float nearZ, float farZ);
    void setProjectionCoefficients(const float* coefficients);
    void updatePermutation();
    // Selects a permutation directly, also those the switches never choose (for inspection and
    // debug views); the next updatePermutation replaces it. Out of range: ignored.
    void forcePermutation(int index) {
        if (index >= 0 && index < kPermutationCount)
            permutation_ = index;
    }
    [[nodiscard]] bool readState(InputStream& in);
    bool writeState(OutputStream& out) const;

    // The permutation the switches choose: glow (2) when glow, light streaks or radial blur is
    // on, depth of field (4). The occlusion bit (1) never comes from the switches.
    static int permutationFor(const bool* effectFlags);
    static const char* permutationName(int index);

    int permutation() const { return permutation_; }
    const Ref<MultiPassEngine>& engine(int slot) const { return slots_[slot].engine; }
    const std::vector<Ref<SamplerSet>>& samplerSets(int slot) const { return slots_[slot].samplerSets; }
    const Ref<Program>& program(int index) const { return programs_[index]; }
    const Ref<SamplerSet>& compositeSamplerSet(int index) const { return compositeSets_[index]; }
    FXAAEngine& fxaa() const;
    SSAOEngine& ssao() const;
    BlurEngine& depthOfFieldBlur() const;
    GlowEngine& glow() const;
    LightStreaksEngine& lightStreaks() const;
    MotionBlurEngine& motionBlur() const;
    RadialBlurEngine& radialBlur() const;
    const float* cameraRange() const { return cameraRange_; }
    uint32_t noiseSeed() const { return noiseSeed_; }
    int width() const { return width_; }
    int height() const { return height_; }

    bool effects[7] = {};
    int passCounts[7] = {4, 1, 1, 1, 1, 1, 1};
    float lutFade = 0.0f;
    float projCoeffs[5] = {1, 1, -1, 0, 1};
    float dofParams[4] = {1.0f, 1.0f, 2.0f, 1.0f};
    float distortion[4] = {};
    float gamma[2] = {1.0f, 1.0f};
    // The tone curve after exposure: toe end, share of the rest kept straight, toe power, white
    // (a white of 0 leaves the exposed colour as it is).
    float tone[4] = {0.22f, 0.4f, 1.33f, 0.0f};
    // [1] receives the demo time every frame; [2] is the noise amount.
    float noise[3] = {};
    // Texture bound as "debug_buffer"; read at set-up.
    std::string debugBuffer = "gb_light";
    // Where the composite goes: null for the back buffer (width x height), or a framebuffer (to
    // capture the chain's result or feed it on).
    Ref<Framebuffer> output;

private:
    struct EngineSlot {
        Ref<MultiPassEngine> engine;
        std::vector<Ref<SamplerSet>> samplerSets;
    };
    struct CompositeUniforms {
        GLint lutFade = -1, distort = -1, gamma = -1, noise = -1, invViewport = -1, cameraRange = -1,
              dofParams = -1, projCoeffs = -1, tone = -1;
    };

    bool setUpEngine(int slot, const char* programName, const char* first, const char* second);
    [[nodiscard]] static Ref<SamplerSet>
    makeSet(const Program* program, std::initializer_list<std::pair<const char*, const char*>> pairs);
    float nextNoise();

    Ref<VertexBuffer> quad_;
    Ref<Program> programs_[kPermutationCount];
    Ref<SamplerSet> compositeSets_[kPermutationCount];
    CompositeUniforms uniforms_[kPermutationCount];
    int permutation_ = 0;
    bool toneSent_[kPermutationCount] = {};
    EngineSlot slots_[kSlotCount];
    float cameraRange_[4] = {1.0f, 1024.0f, 1023.0f, -1024.0f};
    int width_ = 0;
    int height_ = 0;
    uint32_t noiseSeed_ = 0x12345678u;
};
