#pragma once

#include "core/Object.h"
#include "render/Device.h"
#include "render/RenderStates.h"

#include <vector>

class Program;
class SamplerSet;

// The state context a render walk carries: stacks of fixed-function records, sampler sets and
// programs over the device. Pushing applies or binds; popping re-applies whatever is on top.
class StateSet : public Object {
public:
    StateSet();
    explicit StateSet(const Ref<Device>& device);
    ~StateSet() override;

    // Start of a walk: empties every stack, then pushes and applies the three defaults.
    void reset();

    void pushBlend(const BlendState& state);
    void pushDepthStencil(const DepthStencilState& state);
    void pushRasterizer(const RasterizerState& state);
    void popBlend();
    void popDepthStencil();
    void popRasterizer();
    void pushSamplerSet(const Ref<SamplerSet>& set);
    void popSamplerSet();
    // While the device ignores program binds, the fixed program is pushed in place of `program`.
    void pushProgram(const Ref<Program>& program);
    void popProgram();
    // Null when the program stack is empty.
    Program* topProgram() const;

    void setDevice(const Ref<Device>& device) { device_ = device; }
    const Ref<Device>& device() const { return device_; }
    void setFixedProgram(const Ref<Program>& program);
    bool shadowPass() const { return shadowPass_; }
    void setShadowPass(bool shadowPass) { shadowPass_ = shadowPass; }

    BlendState defaultBlend;
    DepthStencilState defaultDepthStencil;
    RasterizerState defaultRasterizer;

    size_t blendDepth() const { return blendStack_.size(); }
    size_t depthStencilDepth() const { return depthStencilStack_.size(); }
    size_t rasterizerDepth() const { return rasterizerStack_.size(); }
    size_t samplerSetDepth() const { return samplerSetStack_.size(); }
    size_t programDepth() const { return programStack_.size(); }

private:
    Ref<Device> device_;
    std::vector<BlendState> blendStack_;
    std::vector<DepthStencilState> depthStencilStack_;
    std::vector<RasterizerState> rasterizerStack_;
    std::vector<Ref<SamplerSet>> samplerSetStack_;
    std::vector<Ref<Program>> programStack_;
    Ref<Program> fixedProgram_;
    bool shadowPass_ = false;
};
