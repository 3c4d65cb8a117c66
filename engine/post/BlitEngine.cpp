#include "post/BlitEngine.h"

#include "core/Diagnostics.h"
#include "core/MemoryInputStream.h"
#include "core/MemoryOutputStream.h"
#include "demo/Registries.h"
#include "math/RandomDraw.h"
#include "post/BlurEngine.h"
#include "post/FXAAEngine.h"
#include "post/GlowEngine.h"
#include "post/LightStreaksEngine.h"
#include "post/MotionBlurEngine.h"
#include "post/ParamBlock.h"
#include "post/RadialBlurEngine.h"
#include "post/SSAOEngine.h"
#include "render/Device.h"
#include "render/Framebuffer.h"
#include "render/ProfileScope.h"
#include "render/Program.h"
#include "render/QuadVertexBuffer.h"
#include "render/SamplerSet.h"
#include "render/VertexBuffer.h"

#include <cstring>

namespace {

const char* const kPermutationNames[BlitEngine::kPermutationCount] = {
    "post/blit",     "post/blit_ssao",     "post/blit_glow",     "post/blit_glow_ssao",
    "post/blit_dof", "post/blit_dof_ssao", "post/blit_dof_glow", "post/blit_dof_glow_ssao"};

// Slots whose blocks follow the chain's own values in the saved block, in that order.
const int kSavedSlots[] = {BlitEngine::kDepthOfFieldBlur, BlitEngine::kGlow,       BlitEngine::kLightStreaks,
                           BlitEngine::kAmbientOcclusion, BlitEngine::kMotionBlur, BlitEngine::kRadialBlur};

// The composite's own quad, shared by every blit engine and gone with the last of them.
Ref<VertexBuffer>& compositeQuad() {
    static Ref<VertexBuffer> quad;
    return quad;
}

bool missing(const char* kind, const char* name) {
    diagnostic("data/demo.xml", kind, "\"%s\" is not declared; the post-processing chain needs it", name);
    return false;
}

} // namespace

BlitEngine::BlitEngine() {
    // Every engine exists from the start, so a saved block reads the same before and after set-up.
    slots_[kDepthOfFieldBlur].engine = makeRef<BlurEngine>();
    slots_[kGlow].engine = makeRef<GlowEngine>();
    slots_[kLightStreaks].engine = makeRef<LightStreaksEngine>();
    slots_[kAmbientOcclusion].engine = makeRef<SSAOEngine>();
    slots_[kMotionBlur].engine = makeRef<MotionBlurEngine>();
    slots_[kRadialBlur].engine = makeRef<RadialBlurEngine>();
    slots_[kFXAA].engine = makeRef<FXAAEngine>();
}

BlitEngine::~BlitEngine() {
    release();
}

FXAAEngine& BlitEngine::fxaa() const {
    return static_cast<FXAAEngine&>(*slots_[kFXAA].engine);
}
SSAOEngine& BlitEngine::ssao() const {
    return static_cast<SSAOEngine&>(*slots_[kAmbientOcclusion].engine);
}
BlurEngine& BlitEngine::depthOfFieldBlur() const {
    return static_cast<BlurEngine&>(*slots_[kDepthOfFieldBlur].engine);
}
GlowEngine& BlitEngine::glow() const {
    return static_cast<GlowEngine&>(*slots_[kGlow].engine);
}
LightStreaksEngine& BlitEngine::lightStreaks() const {
    return static_cast<LightStreaksEngine&>(*slots_[kLightStreaks].engine);
}
MotionBlurEngine& BlitEngine::motionBlur() const {
    return static_cast<MotionBlurEngine&>(*slots_[kMotionBlur].engine);
}
RadialBlurEngine& BlitEngine::radialBlur() const {
    return static_cast<RadialBlurEngine&>(*slots_[kRadialBlur].engine);
}

const char* BlitEngine::permutationName(int index) {
    return index >= 0 && index < kPermutationCount ? kPermutationNames[index] : nullptr;
}

int BlitEngine::permutationFor(const bool* effectFlags) {
    const bool glowing =
        effectFlags[kFlagGlow] || effectFlags[kFlagLightStreaks] || effectFlags[kFlagRadialBlur];
    return (glowing ? 2 : 0) + (effectFlags[kFlagDepthOfField] ? 4 : 0);
}

void BlitEngine::updatePermutation() {
    permutation_ = permutationFor(effects);
}

void BlitEngine::setCameraRange(float nearZ, float farZ) {
    cameraRange_[0] = nearZ;
    cameraRange_[1] = farZ;
    cameraRange_[2] = farZ - nearZ;
    cameraRange_[3] = -(farZ * nearZ);
}

void BlitEngine::setProjectionCoefficients(const float* coefficients) {
    std::memcpy(projCoeffs, coefficients, sizeof projCoeffs);
}

Ref<SamplerSet> BlitEngine::makeSet(const Program* program,
                                    std::initializer_list<std::pair<const char*, const char*>> pairs) {
    Ref<SamplerSet> set = makeRef<SamplerSet>();
    for (const auto& pair : pairs)
        addByName(*set, pair.first, program, pair.second);
    return set;
}

bool BlitEngine::setUpEngine(int slot, const char* programName, const char* first, const char* second) {
    MultiPassEngine& engine = *slots_[slot].engine;
    if (slot != kAmbientOcclusion) {
        Ref<Program> program = programRegistry().find(programName);
        if (!program)
            return missing("program", programName);
        engine.setProgram(program);
    } else if (!programRegistry().find(programName)) {
        return missing("program", programName);
    }
    Ref<Framebuffer> a, b = framebufferRegistry().find(second);
    if (!b)
        return missing("fbo", second);
    if (first) {
        a = framebufferRegistry().find(first);
        // The occlusion's first target (its blur) is optional; the blurs' first is not.
        if (!a && slot != kAmbientOcclusion)
            return missing("fbo", first);
    }
    if (!engine.setUp(a, b)) {
        diagnostic("data/demo.xml", "program", "\"%s\" cannot draw the post-processing pass", programName);
        return false;
    }
    return true;
}

bool BlitEngine::setUp(const std::string& gradientTextureName, int width, int height) {
    width_ = width;
    height_ = height;
    std::string source = "gb_light";

    if (!setUpEngine(kFXAA, "post/fxaa", nullptr, "mlaa_buffer"))
        return false;
    const Program* program = fxaa().program().get();
    slots_[kFXAA].samplerSets = {makeSet(program, {{source.c_str(), "tex"}})};
    source = "mlaa_buffer";

    if (!setUpEngine(kAmbientOcclusion, "post/ssao", "ssao_temp", "ssao_buffer"))
        return false;
    program = ssao().program().get();
    slots_[kAmbientOcclusion].samplerSets = {makeSet(program, {{"gb_depth", "depth_buffer"},
                                                               {"gb_normal", "normal_depth"},
                                                               {source.c_str(), "color_buffer"},
                                                               {"random_normals", "rotate"}})};
    if (ssao().firstTarget())
        slots_[kAmbientOcclusion].samplerSets.push_back(makeSet(program, {{"gb_depth", "depth_buffer"},
                                                                          {"gb_normal", "normal_depth"},
                                                                          {source.c_str(), "color_buffer"},
                                                                          {"ssao_temp_color", "ao_buffer"}}));
    source = "ssao_buffer";

    if (!setUpEngine(kDepthOfFieldBlur, "post/blur", "blur_temp", "dof"))
        return false;
    program = depthOfFieldBlur().program().get();
    slots_[kDepthOfFieldBlur].samplerSets = {makeSet(program, {{source.c_str(), "tex"}}),
                                             makeSet(program, {{"blur_temp_color", "tex"}}),
                                             makeSet(program, {{"dof_color", "tex"}})};

    if (!setUpEngine(kMotionBlur, "post/motion_blur", "blur_temp", "dof"))
        return false;
    program = motionBlur().program().get();
    slots_[kMotionBlur].samplerSets = {
        makeSet(program, {{source.c_str(), "color_buffer"}, {"backbuffer_depth", "depth_buffer"}})};

    const struct {
        int slot;
        const char* program;
    } blurs[] = {
        {kRadialBlur, "post/radial_blur"}, {kGlow, "post/glow"}, {kLightStreaks, "post/lightstreaks"}};
    for (const auto& blur : blurs) {
        if (!setUpEngine(blur.slot, blur.program, "blur_temp", "blur"))
            return false;
        program = slots_[blur.slot].engine->program().get();
        slots_[blur.slot].samplerSets = {makeSet(program, {{source.c_str(), "tex"}}),
                                         makeSet(program, {{"blur_temp_color", "tex"}}),
                                         makeSet(program, {{"blur_color", "tex"}})};
    }

    if (!compositeQuad())
        compositeQuad() = createQuadVertexBuffer();
    quad_ = compositeQuad();
    for (int i = 0; i < kPermutationCount; ++i) {
        programs_[i] = programRegistry().find(kPermutationNames[i]);
        if (!programs_[i])
            return missing("program", kPermutationNames[i]);
        const Program* p = programs_[i].get();
        compositeSets_[i] = makeSet(p, {{source.c_str(), "color_buffer"},
                                        {"gb_depth", "depth_buffer"},
                                        {"blur_color", "glow_buffer"},
                                        {"dof_color", "dof_buffer"},
                                        {"ssao_buffer", "ssao_buffer"},
                                        {"gb_diffuse", "gb_diffuse"},
                                        {"gb_specular", "gb_specular"},
                                        {"gb_normal", "gb_normal"},
                                        {"gb_depth", "gb_depth"},
                                        {"gb_light", "gb_light"},
                                        {"color_map", "color_lut"},
                                        {gradientTextureName.c_str(), "color_grad"},
                                        {"noise", "distort_lut"},
                                        {"noise", "noise_lut"},
                                        {debugBuffer.c_str(), "debug_buffer"},
                                        {"shadow_cascade", "debug_shadowmap"}});
        CompositeUniforms& u = uniforms_[i];
        auto location = [p](const char* name) {
            const UniformInfo* info = p->findUniform(name);
            return info && info->blockIndex < 0 ? info->location : -1;
        };
        u.lutFade = location("lut_fade");
        u.distort = location("distortParams");
        u.gamma = location("gammaParams");
        u.noise = location("noiseParams");
        u.invViewport = location("invViewport");
        u.cameraRange = location("CameraRange");
        u.dofParams = location("DOFParams");
        u.projCoeffs = location("projCoeffs");
        u.tone = location("toneParams");
        toneSent_[i] = false;
    }
    return true;
}

void BlitEngine::release() {
    for (EngineSlot& slot : slots_) {
        if (slot.engine)
            slot.engine->release();
        slot.samplerSets.clear();
    }
    for (int i = 0; i < kPermutationCount; ++i) {
        programs_[i] = nullptr;
        compositeSets_[i] = nullptr;
    }
    output = nullptr;
    if (quad_) {
        quad_ = nullptr;
        if (compositeQuad() && compositeQuad()->referenceCount() == 1)
            compositeQuad() = nullptr;
    }
}

float BlitEngine::nextNoise() {
    RandomDraw random(noiseSeed_);
    const float value = random.next();
    noiseSeed_ = random.state();
    return value;
}

void BlitEngine::run(Device& device) {
    static const char* const kPassNames[kSlotCount] = {"post depth of field",
                                                       "post glow",
                                                       "post light streaks",
                                                       "post slot 3",
                                                       "post ambient occlusion",
                                                       "post motion blur",
                                                       "post radial blur",
                                                       "post slot 7",
                                                       "post slot 8",
                                                       "post fxaa"};
    auto runSlot = [&](int slot, int passes) {
        MultiPassEngine& engine = *slots_[slot].engine;
        if (engine.ready()) {
            ProfileScope pass(device, kPassNames[slot]);
            engine.render(device, slots_[slot].samplerSets, passes);
        }
    };
    runSlot(kFXAA, 1);
    runSlot(kAmbientOcclusion, 1);
    if (effects[kFlagGlow])
        runSlot(kGlow, passCounts[1]);
    else if (effects[kFlagLightStreaks])
        runSlot(kLightStreaks, passCounts[2]);
    else if (effects[kFlagRadialBlur])
        runSlot(kRadialBlur, passCounts[6]);
    if (effects[kFlagDepthOfField]) {
        if (effects[kFlagMotionBlur])
            runSlot(kMotionBlur, 1);
        else
            runSlot(kDepthOfFieldBlur, passCounts[0]);
    }

    if (output)
        device.bindFramebuffer(output);
    else
        device.bindDefaultFramebuffer(width_, height_);
    const Ref<Program>& program = programs_[permutation_];
    if (!program || !quad_)
        return;
    ProfileScope pass(device, "composite");
    device.applyBlend(BlendState());
    device.bindProgram(program);
    const CompositeUniforms& u = uniforms_[permutation_];
    glUniform1f(u.lutFade, lutFade);
    glUniform3fv(u.distort, 1, distortion);
    glUniform2fv(u.gamma, 1, gamma);
    // A chain without a tone curve sends no tone values: the uniform starts out as zero.
    if (tone[3] != 0.0f || toneSent_[permutation_]) {
        glUniform4fv(u.tone, 1, tone);
        toneSent_[permutation_] = tone[3] != 0.0f;
    }
    const float r1 = nextNoise();
    const float r2 = nextNoise();
    glUniform3f(u.noise, r1, r2, noise[2]);
    glUniform2f(u.invViewport, 1.0f / float(width_ > 0 ? width_ : 1),
                1.0f / float(height_ > 0 ? height_ : 1));
    if (effects[kFlagDepthOfField]) {
        dofParams[3] = dofParams[2] - dofParams[1];
        glUniform4fv(u.cameraRange, 1, cameraRange_);
        glUniform4fv(u.dofParams, 1, dofParams);
        glUniform1fv(u.projCoeffs, 5, projCoeffs);
    }
    device.bindSamplerSet(compositeSets_[permutation_]);
    device.bindVertexBuffer(quad_);
    device.checkState();
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

bool BlitEngine::readState(InputStream& in) {
    float lut = 0, distort[4], dof[4], gammaValues[2], noiseValues[3];
    uint8_t flagBytes[7];
    int32_t passes[7];
    if (!param_block::readMagic(in, "BLIT") || !param_block::readFloats(in, &lut, 1) ||
        !param_block::readFloats(in, distort, 4) || !param_block::readFloats(in, dof, 4) ||
        !param_block::readFloats(in, gammaValues, 2) || !param_block::readFloats(in, noiseValues, 3) ||
        !in.read(flagBytes, 7))
        return false;
    for (uint8_t flag : flagBytes)
        if (flag > 1)
            return false;
    for (int32_t& passCount : passes)
        if (!in.readInt32(passCount) || passCount < 0 || passCount > kMaxPassCount)
            return false;

    // Engines take their blocks one by one; keep what they hold now so a later failure can put
    // every engine back as it was.
    MemoryOutputStream saved;
    for (int slot : kSavedSlots)
        slots_[slot].engine->writeParams(saved);
    for (int slot : kSavedSlots) {
        if (!slots_[slot].engine->readParams(in)) {
            MemoryInputStream restore(saved.bytes().data(), saved.bytes().size());
            for (int s : kSavedSlots)
                slots_[s].engine->readParams(restore);
            return false;
        }
    }

    lutFade = lut;
    std::memcpy(distortion, distort, sizeof distortion);
    std::memcpy(dofParams, dof, sizeof dofParams);
    std::memcpy(gamma, gammaValues, sizeof gamma);
    std::memcpy(noise, noiseValues, sizeof noise);
    for (int i = 0; i < 7; ++i) {
        effects[i] = flagBytes[i] != 0;
        passCounts[i] = passes[i];
    }
    updatePermutation();
    return true;
}

bool BlitEngine::writeState(OutputStream& out) const {
    bool ok = param_block::writeMagic(out, "BLIT") && param_block::writeFloats(out, &lutFade, 1) &&
              param_block::writeFloats(out, distortion, 4) && param_block::writeFloats(out, dofParams, 4) &&
              param_block::writeFloats(out, gamma, 2) && param_block::writeFloats(out, noise, 3);
    for (int i = 0; ok && i < 7; ++i)
        ok = out.writeUInt8(effects[i] ? 1 : 0);
    for (int i = 0; ok && i < 7; ++i)
        ok = out.writeInt32(passCounts[i]);
    for (int slot : kSavedSlots)
        ok = ok && slots_[slot].engine->writeParams(out);
    return ok;
}
