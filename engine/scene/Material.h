#pragma once

#include "render/BufferBindings.h"
#include "render/Program.h"
#include "render/RenderStates.h"
#include "render/SamplerSet.h"
#include "render/Uniforms.h"
#include "scene/State.h"

#include <cstdint>

// The render state of a surface: a program (and the one shadow passes use), textures, uniform
// values, a uniform buffer and the three fixed-function records. Only the members given are
// pushed; restore pops exactly those.
class Material : public State {
public:
    enum Flags : uint32_t {
        HasProgram = 0x01,
        HasSamplerSet = 0x02,
        HasBlend = 0x04,
        HasDepthStencil = 0x08,
        HasRasterizer = 0x10,
        HasUniforms = 0x20,
        HasUniformBuffer = 0x40,
    };

    void apply(StateSet& stateSet) override;
    void restore(StateSet& stateSet) override;

    // Setters keep the flags in step with what was given (a null reference clears its flag).
    void setProgram(const Ref<Program>& program);
    void setShadowProgram(const Ref<Program>& program) { shadowProgram_ = program; }
    void setSamplerSet(const Ref<SamplerSet>& samplerSet);
    void setUniforms(const Ref<Uniforms>& uniforms);
    void setUniformBuffer(const Ref<BufferBindings>& uniformBuffer);
    void setBlend(const BlendState& state);
    void setDepthStencil(const DepthStencilState& state);
    void setRasterizer(const RasterizerState& state);
    void setPointSize(bool enabled) { pointSize_ = enabled; }

    const Ref<Program>& program() const { return program_; }
    const Ref<Program>& shadowProgram() const { return shadowProgram_; }
    const Ref<SamplerSet>& samplerSet() const { return samplerSet_; }
    const Ref<Uniforms>& uniforms() const { return uniforms_; }
    const Ref<BufferBindings>& uniformBuffer() const { return uniformBuffer_; }
    const BlendState& blend() const { return blend_; }
    const DepthStencilState& depthStencil() const { return depthStencil_; }
    const RasterizerState& rasterizer() const { return rasterizer_; }
    bool pointSize() const { return pointSize_; }
    uint32_t flags() const { return flags_; }

private:
    void setFlag(uint32_t flag, bool on) { flags_ = on ? (flags_ | flag) : (flags_ & ~flag); }
    bool sharesShadowSamplers() const;

    Ref<Program> program_;
    Ref<Program> shadowProgram_;
    bool pointSize_ = false;
    bool savedProgramBinding_ = false;
    bool savedSamplerBinding_ = false;
    Ref<SamplerSet> samplerSet_;
    Ref<Uniforms> uniforms_;
    Ref<BufferBindings> uniformBuffer_;
    BlendState blend_;
    DepthStencilState depthStencil_;
    RasterizerState rasterizer_;
    uint32_t flags_ = 0;
};
