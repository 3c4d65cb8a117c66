#include "scene/Material.h"

#include "render/Device.h"
#include "render/StateSet.h"

void Material::setProgram(const Ref<Program>& program) {
    program_ = program;
    setFlag(HasProgram, bool(program));
}

void Material::setSamplerSet(const Ref<SamplerSet>& samplerSet) {
    samplerSet_ = samplerSet;
    setFlag(HasSamplerSet, bool(samplerSet));
}

void Material::setUniforms(const Ref<Uniforms>& uniforms) {
    uniforms_ = uniforms;
    setFlag(HasUniforms, bool(uniforms));
}

void Material::setUniformBuffer(const Ref<BufferBindings>& uniformBuffer) {
    uniformBuffer_ = uniformBuffer;
    setFlag(HasUniformBuffer, bool(uniformBuffer));
}

void Material::setBlend(const BlendState& state) {
    blend_ = state;
    flags_ |= HasBlend;
}

void Material::setDepthStencil(const DepthStencilState& state) {
    depthStencil_ = state;
    flags_ |= HasDepthStencil;
}

void Material::setRasterizer(const RasterizerState& state) {
    rasterizer_ = state;
    flags_ |= HasRasterizer;
}

bool Material::sharesShadowSamplers() const {
    return shadowProgram_ == program_ && (flags_ & HasSamplerSet);
}

void Material::apply(StateSet& stateSet) {
    Device& device = *stateSet.device();
    const bool shadowPass = stateSet.shadowPass();
    if (flags_ & HasProgram) {
        // A material without a shadow program stays out of shadow passes entirely; its subtree
        // draws with the pass's own program.
        if (shadowPass && !shadowProgram_)
            return;
        if (pointSize_ && !device.programPointSizeEnabled())
            device.setProgramPointSize(true);
        if (!shadowPass) {
            stateSet.pushProgram(program_);
        } else {
            savedProgramBinding_ = device.programBindingEnabled();
            device.setProgramBindingEnabled(true);
            stateSet.pushProgram(shadowProgram_);
            device.setProgramBindingEnabled(false);
            savedSamplerBinding_ = device.samplerSetBindingEnabled();
            if (sharesShadowSamplers())
                device.setSamplerSetBindingEnabled(true);
        }
    }
    if (flags_ & HasSamplerSet)
        stateSet.pushSamplerSet(samplerSet_);
    if (flags_ & HasUniforms)
        uniforms_->applyAll();
    if (flags_ & HasUniformBuffer)
        device.bindBufferBindings(uniformBuffer_);
    if (flags_ & HasBlend)
        stateSet.pushBlend(blend_);
    if (flags_ & HasDepthStencil)
        stateSet.pushDepthStencil(depthStencil_);
    if (flags_ & HasRasterizer)
        stateSet.pushRasterizer(rasterizer_);
}

void Material::restore(StateSet& stateSet) {
    Device& device = *stateSet.device();
    const bool shadowPass = stateSet.shadowPass();
    if ((flags_ & HasProgram) && shadowPass && !shadowProgram_)
        return;
    if (flags_ & HasRasterizer)
        stateSet.popRasterizer();
    if (flags_ & HasDepthStencil)
        stateSet.popDepthStencil();
    if (flags_ & HasBlend)
        stateSet.popBlend();
    if (flags_ & HasUniforms)
        uniforms_->restoreAll();
    if (flags_ & HasSamplerSet)
        stateSet.popSamplerSet();
    if (flags_ & HasUniformBuffer)
        device.bindBufferBindings(nullptr);
    if (flags_ & HasProgram) {
        if (pointSize_ && device.programPointSizeEnabled())
            device.setProgramPointSize(false);
        if (shadowPass) {
            device.setProgramBindingEnabled(savedProgramBinding_);
            if (sharesShadowSamplers())
                device.setSamplerSetBindingEnabled(savedSamplerBinding_);
        }
        stateSet.popProgram();
    }
}
