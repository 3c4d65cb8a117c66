#include "render/StateSet.h"

#include "render/Program.h"
#include "render/SamplerSet.h"

StateSet::StateSet() {
    // A walk draws with depth testing; everything else starts as the device does.
    defaultDepthStencil.depthTest = true;
    defaultDepthStencil.depthFunc = 2;
}

StateSet::StateSet(const Ref<Device>& device) : StateSet() {
    device_ = device;
}

StateSet::~StateSet() = default;

void StateSet::setFixedProgram(const Ref<Program>& program) {
    fixedProgram_ = program;
}

void StateSet::reset() {
    blendStack_.clear();
    depthStencilStack_.clear();
    rasterizerStack_.clear();
    samplerSetStack_.clear();
    programStack_.clear();
    pushBlend(defaultBlend);
    pushDepthStencil(defaultDepthStencil);
    pushRasterizer(defaultRasterizer);
}

void StateSet::pushBlend(const BlendState& state) {
    blendStack_.push_back(state);
    device_->applyBlend(state);
}

void StateSet::pushDepthStencil(const DepthStencilState& state) {
    depthStencilStack_.push_back(state);
    device_->applyDepthStencil(state);
}

void StateSet::pushRasterizer(const RasterizerState& state) {
    rasterizerStack_.push_back(state);
    device_->applyRasterizer(state);
}

void StateSet::popBlend() {
    if (!blendStack_.empty())
        blendStack_.pop_back();
    if (!blendStack_.empty())
        device_->applyBlend(blendStack_.back());
}

void StateSet::popDepthStencil() {
    if (!depthStencilStack_.empty())
        depthStencilStack_.pop_back();
    if (!depthStencilStack_.empty())
        device_->applyDepthStencil(depthStencilStack_.back());
}

void StateSet::popRasterizer() {
    if (!rasterizerStack_.empty())
        rasterizerStack_.pop_back();
    if (!rasterizerStack_.empty())
        device_->applyRasterizer(rasterizerStack_.back());
}

void StateSet::pushSamplerSet(const Ref<SamplerSet>& set) {
    samplerSetStack_.push_back(set);
    device_->bindSamplerSet(set);
}

void StateSet::popSamplerSet() {
    if (!samplerSetStack_.empty())
        samplerSetStack_.pop_back();
    if (!samplerSetStack_.empty())
        device_->bindSamplerSet(samplerSetStack_.back());
}

void StateSet::pushProgram(const Ref<Program>& program) {
    if (device_->programBindingEnabled()) {
        programStack_.push_back(program);
        device_->bindProgram(program);
    } else {
        programStack_.push_back(fixedProgram_);
    }
}

void StateSet::popProgram() {
    if (!programStack_.empty())
        programStack_.pop_back();
    if (!programStack_.empty() && programStack_.back())
        device_->bindProgram(programStack_.back());
}

Program* StateSet::topProgram() const {
    return programStack_.empty() ? nullptr : programStack_.back().get();
}
