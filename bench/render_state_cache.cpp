// Fixed-function state through the device caches against a baseline that sends every state.
#include "RenderBenchContext.h"

#include "render/CodeTables.h"
#include "render/Device.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

struct Record {
    BlendState blend;
    DepthStencilState depthStencil;
    RasterizerState rasterizer;
};

constexpr size_t kRecordCount = 1000000;

// A scene's worth of materials (opaque, alpha-blended, additive, decal, two-sided, shadow caster),
// drawn in a shuffled order with runs of the same material, as a sorted render walk produces.
const std::vector<Record>& records() {
    static std::vector<Record> all = [] {
        std::vector<Record> materials(6);
        materials[0].depthStencil.depthTest = true;
        materials[1] = materials[0];
        materials[1].blend = {true, 1, 2, 0, 3, 0, {true, true, true, true}, 0};
        materials[1].depthStencil.depthWrite = false;
        materials[2] = materials[1];
        materials[2].blend.srcRGB = materials[2].blend.dstRGB = 1;
        materials[3] = materials[0];
        materials[3].rasterizer.polygonOffsetEnabled = true;
        materials[3].rasterizer.polygonOffsetFactor = -1.0f;
        materials[4] = materials[0];
        materials[4].rasterizer.cullEnabled = false;
        materials[5] = materials[0];
        materials[5].blend.colorMask[0] = materials[5].blend.colorMask[1] = false;
        materials[5].blend.colorMask[2] = materials[5].blend.colorMask[3] = false;
        materials[5].depthStencil.depthClamp = true;
        std::vector<Record> out;
        out.reserve(kRecordCount);
        uint32_t state = 0x12345678;
        while (out.size() < kRecordCount) {
            state *= 16807;
            const Record& material = materials[(state >> 9) % materials.size()];
            for (uint32_t run = 1 + (state >> 20) % 8; run > 0 && out.size() < kRecordCount; --run)
                out.push_back(material);
        }
        return out;
    }();
    return all;
}

void setCapability(GLenum capability, bool on) {
    on ? glEnable(capability) : glDisable(capability);
}

// Sends the whole record; answers the number of GL calls.
int applyUncached(const Record& r) {
    const BlendState& b = r.blend;
    setCapability(GL_BLEND, b.enabled);
    glBlendFuncSeparate(codes::blendFactor(b.srcRGB), codes::blendFactor(b.dstRGB),
                        codes::blendFactor(b.srcAlpha), codes::blendFactor(b.dstAlpha));
    glBlendEquation(codes::blendEquation(b.equation));
    glColorMask(b.colorMask[0], b.colorMask[1], b.colorMask[2], b.colorMask[3]);
    const DepthStencilState& d = r.depthStencil;
    setCapability(GL_DEPTH_TEST, d.depthTest);
    glDepthFunc(codes::compareFunction(d.depthFunc));
    glDepthMask(d.depthWrite);
    setCapability(GL_DEPTH_CLAMP, d.depthClamp);
    glDepthRange(d.depthNear, d.depthFar);
    setCapability(GL_STENCIL_TEST, d.stencilTest);
    glStencilOp(codes::stencilOperation(d.stencilFail), codes::stencilOperation(d.stencilDepthFail),
                codes::stencilOperation(d.stencilDepthPass));
    glStencilMask(GLuint(d.stencilMask));
    glStencilFunc(codes::compareFunction(d.stencilFunc), d.stencilRef, GLuint(d.stencilMask));
    const RasterizerState& s = r.rasterizer;
    setCapability(GL_CULL_FACE, s.cullEnabled);
    glFrontFace(codes::winding(s.frontFace));
    glCullFace(codes::cullFace(s.cullFace));
    setCapability(GL_SCISSOR_TEST, s.scissorTest);
    glPointSize(s.pointSize);
    glLineWidth(s.lineWidth);
    glClampColor(GL_CLAMP_READ_COLOR, s.clampReadColor);
    setCapability(codes::polygonOffsetMode(s.polygonOffsetMode), s.polygonOffsetEnabled);
    glPolygonOffset(s.polygonOffsetFactor, s.polygonOffsetUnits);
    return 23;
}

void BM_ApplyThroughCaches(benchmark::State& state) {
    ensureBenchContext();
    const std::vector<Record>& all = records();
    Ref<Device> device = makeRef<Device>();
    device->resetState();
    const unsigned long before = device->stateCallCount();
    size_t applied = 0;
    for (auto _ : state) {
        for (const Record& r : all) {
            device->applyBlend(r.blend);
            device->applyDepthStencil(r.depthStencil);
            device->applyRasterizer(r.rasterizer);
        }
        applied += all.size();
    }
    state.counters["ns_per_apply"] =
        benchmark::Counter(double(applied), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["gl_calls"] = double(device->stateCallCount() - before) / double(state.iterations());
    state.counters["gl_calls_per_apply"] = double(device->stateCallCount() - before) / double(applied);
    while (glGetError() != GL_NO_ERROR) {
    }
}
BENCHMARK(BM_ApplyThroughCaches)->Unit(benchmark::kMillisecond);

void BM_ApplyUncachedBaseline(benchmark::State& state) {
    ensureBenchContext();
    const std::vector<Record>& all = records();
    size_t applied = 0;
    unsigned long calls = 0;
    for (auto _ : state) {
        for (const Record& r : all)
            calls += unsigned(applyUncached(r));
        applied += all.size();
    }
    state.counters["ns_per_apply"] =
        benchmark::Counter(double(applied), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["gl_calls"] = double(calls) / double(state.iterations());
    state.counters["gl_calls_per_apply"] = double(calls) / double(applied);
    while (glGetError() != GL_NO_ERROR) {
    }
}
BENCHMARK(BM_ApplyUncachedBaseline)->Unit(benchmark::kMillisecond);

} // namespace
