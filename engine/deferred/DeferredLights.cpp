// The light passes of DeferredScene: set-up of the sorted light list, the per-frame records and
// the draws into the light accumulation buffer.
#include "deferred/DeferredScene.h"

#include "atmosphere/AtmosphereModel.h"
#include "atmosphere/AtmosphericalLight.h"
#include "core/Diagnostics.h"
#include "demo/Registries.h"
#include "render/CodeTables.h"
#include "render/Device.h"
#include "render/Framebuffer.h"
#include "render/ProfileScope.h"
#include "render/Program.h"
#include "render/SamplerSet.h"
#include "render/UniformBuffer.h"
#include "render/VertexArrayObject.h"
#include "render/VertexBuffer.h"
#include "scene/AmbientLight.h"
#include "scene/AreaLight.h"
#include "scene/Camera.h"
#include "scene/CubeLight.h"
#include "scene/LinearLight.h"
#include "scene/PointLight.h"
#include "scene/ProjectiveLight.h"
#include "scene/Scene.h"
#include "scene/SpotLight.h"

#include <algorithm>
#include <cstring>

const char* const DeferredScene::kLightProgramNames[kLightPrograms] = {"deferred/dirlight",
                                                                       "deferred/pointlight",
                                                                       "deferred/spotlight",
                                                                       "deferred/arealight",
                                                                       "deferred/linearlight",
                                                                       "deferred/cubelight",
                                                                       "deferred/ambientlight",
                                                                       "deferred/projectivelight",
                                                                       "deferred/atmoslight",
                                                                       "deferred/dirlight_shadow",
                                                                       "deferred/pointlight_shadow",
                                                                       "deferred/spotlight_shadow",
                                                                       "deferred/arealight_shadow",
                                                                       "deferred/linearlight_shadow",
                                                                       "deferred/cubelight_shadow",
                                                                       "deferred/ambientlight_shadow",
                                                                       "deferred/projectivelight_shadow",
                                                                       "deferred/atmoslight_shadow",
                                                                       "deferred/light_particle"};

namespace {

using codes::kShadowMatrix;
using codes::kTextureMatrix;
enum : int {
    kTypeDirectional,
    kTypePoint,
    kTypeSpot,
    kTypeArea,
    kTypeLinear,
    kTypeCube,
    kTypeAmbient,
    kTypeProjective,
    kTypeAtmospherical
};
constexpr int kSemanticPosition = 0, kSemanticNormal = 1, kSemanticColor = 2, kSemanticTexcoord = 4;
constexpr int kUsageDynamicDraw = 6;

// The profiler's names for each type's pass, without and with shadows.
const char* const kLightPassNames[2][9] = {
    {"light directional", "light point", "light spot", "light area", "light linear", "light cube",
     "light ambient", "light projective", "light atmospherical"},
    {"light directional shadowed", "light point shadowed", "light spot shadowed", "light area shadowed",
     "light linear shadowed", "light cube shadowed", "light ambient shadowed", "light projective shadowed",
     "light atmospherical shadowed"}};

const char* const kSamplerBindings[][2] = {
    {"gb_diffuse", "gb_diffuse"}, {"gb_specular", "gb_specular"}, {"gb_normal", "gb_normal"},
    {"gb_depth", "gb_depth"},     {"gb_light", "gb_light"},       {"cubemaps/viruslight", "cubemap"},
    {"pointlight", "proj_tex"},   {"pointlight", "particle"},     {"Ward", "Ward"}};

void set3(float* out, const Vec3& v) {
    out[0] = v.x, out[1] = v.y, out[2] = v.z;
}
void set3(float* out, float x, float y, float z) {
    out[0] = x, out[1] = y, out[2] = z;
}

Vec3 transform3(const Mat3& m, const Vec3& v) {
    return Vec3(m.m[0] * v.x + m.m[1] * v.y + m.m[2] * v.z, m.m[3] * v.x + m.m[4] * v.y + m.m[5] * v.z,
                m.m[6] * v.x + m.m[7] * v.y + m.m[8] * v.z);
}

Vec3 times(const Vec3& a, const Vec3& b) {
    return Vec3(a.x * b.x, a.y * b.y, a.z * b.z);
}

// World-space +Z of the light's node, from its position (not normalised).
Vec3 lightAxis(const Light& light) {
    return Mat4::transformPoint(light.transform.world, Vec3(0, 0, 1)) - light.transform.worldPosition;
}

// Blending onto the lit image: source x `source` + destination x `destination`, alpha kept.
BlendState ontoLight(int source, int destination) {
    BlendState blend;
    blend.enabled = true;
    blend.equation = codes::kEquationAdd;
    blend.srcRGB = blend.srcAlpha = source;
    blend.dstRGB = blend.dstAlpha = destination;
    blend.colorMask[3] = false;
    return blend;
}

void lightStates(Device& device) {
    const BlendState blend = ontoLight(codes::kFactorOne, codes::kFactorOne);
    DepthStencilState depth;
    depth.depthTest = false;
    depth.depthWrite = false;
    depth.stencilTest = false;
    RasterizerState raster;
    raster.cullEnabled = false;
    raster.polygonOffsetEnabled = false;
    device.applyBlend(blend);
    device.applyDepthStencil(depth);
    device.applyRasterizer(raster);
}

void bindBlockRange(GLuint index, const UniformBuffer& buffer) {
    const GLintptr offset = GLintptr(buffer.blockSize()) * buffer.currentCopy();
    glBindBufferRange(GL_UNIFORM_BUFFER, index, buffer.glName(), offset, buffer.blockSize());
}

} // namespace

bool DeferredScene::setUpLights() {
    lightPrograms_.clear();
    lightSamplerSets_.clear();
    for (int i = 0; i < kLightPrograms; ++i) {
        Ref<Program> program = programRegistry().find(kLightProgramNames[i]);
        lightPrograms_.push_back(program);
        if (!program) {
            if (i < kLightTypes) {
                diagnostic("data/demo.xml", kLightProgramNames[i], "light program missing");
                return false;
            }
            lightSamplerSets_.push_back(nullptr);
            continue;
        }
        Ref<SamplerSet> set = makeRef<SamplerSet>();
        for (const auto& binding : kSamplerBindings)
            addByName(*set, binding[0], program.get(), binding[1]);
        lightSamplerSets_.push_back(set);
    }

    lights_.clear();
    // Pre-order walk without recursion: a node, its children, then its next sibling.
    Node* node = scene_ ? scene_->root() : nullptr;
    while (node) {
        if (isLightKind(node->kind())) {
            if (int(lights_.size()) >= kMaxLights) {
                diagnostic("scene", "lights", "more than %d lights", kMaxLights);
                lights_.clear();
                return false;
            }
            lights_.push_back(static_cast<Light*>(node));
        }
        if (node->firstChild()) {
            node = node->firstChild();
            continue;
        }
        while (node && !node->nextSibling())
            node = node->parent();
        if (node)
            node = node->nextSibling();
    }
    if (lights_.empty()) {
        diagnostic("scene", "lights", "a deferred scene needs at least one light");
        return false;
    }
    std::stable_sort(lights_.begin(), lights_.end(), [](const Light* a, const Light* b) {
        if (a->kind() != b->kind())
            return a->kind() < b->kind();
        return !a->castsShadow && b->castsShadow;
    });

    const int count = int(lights_.size());
    for (int t = 0; t <= kLightTypes; ++t)
        lightTypeStart_[t] = count;
    for (int i = count - 1; i >= 0; --i)
        lightTypeStart_[lights_[i]->kind() - KindDirectionalLight] = i;
    // Empty types start where the next present type does.
    for (int t = kLightTypes - 1; t >= 0; --t)
        lightTypeStart_[t] = std::min(lightTypeStart_[t], lightTypeStart_[t + 1]);
    for (int t = 0; t < kLightTypes; ++t) {
        firstShadowed_[t] = -1;
        for (int i = lightTypeStart_[t]; i < lightTypeStart_[t + 1]; ++i)
            if (lights_[i]->castsShadow) {
                firstShadowed_[t] = i - lightTypeStart_[t];
                break;
            }
    }

    lightVertexBuffer_ = makeRef<VertexBuffer>();
    lightVertexBuffer_->setStride(sizeof(LightRecord));
    lightVertexBuffer_->addElement(0, kSemanticPosition, 3, 12);
    lightVertexBuffer_->addElement(12, kSemanticNormal, 3, 12);
    lightVertexBuffer_->addElement(24, kSemanticColor, 3, 12);
    lightVertexBuffer_->addElement(36, kSemanticTexcoord, 3, 12);
    lightVertexBuffer_->setVertexCount(count);
    lightVertexBuffer_->create();
    lightVertexBuffer_->bind();
    lightVertexBuffer_->setData(kUsageDynamicDraw, GLsizeiptr(count) * GLsizeiptr(sizeof(LightRecord)),
                                nullptr);
    lightVertexBuffer_->unbind();

    lightVertexArrays_.clear();
    for (const Ref<Program>& program : lightPrograms_)
        lightVertexArrays_.push_back(
            program ? VertexArrayObject::create(*program, *lightVertexBuffer_, nullptr) : nullptr);
    // The binding points of the atmosphere block, read once so frames ask GL nothing.
    for (int shadowed = 0; shadowed < 2; ++shadowed) {
        atmosphereBinding_[shadowed] = -1;
        const Ref<Program>& program = lightPrograms_[kTypeAtmospherical + shadowed * kLightTypes];
        if (const UniformBlockInfo* block =
                program ? program->findUniformBlock("AtmosphereModel") : nullptr) {
            GLint binding = 0;
            glGetActiveUniformBlockiv(program->glName(), GLuint(block->index), GL_UNIFORM_BLOCK_BINDING,
                                      &binding);
            atmosphereBinding_[shadowed] = binding;
        }
    }

    const int skyStart = lightTypeStart_[kTypeAtmospherical];
    skyIndex_ = skyStart < lightTypeStart_[kTypeAtmospherical + 1] ? skyStart : -1;
    sky_ = skyIndex_ >= 0 ? static_cast<AtmosphericalLight*>(lights_[size_t(skyIndex_)]) : nullptr;
    aerialProgram_ = programRegistry().find("deferred/aerial");
    aerialSamplerSet_ = nullptr;
    aerialVertexArray_ = nullptr;
    aerialBinding_ = -1;
    if (aerialProgram_) {
        const UniformBlockInfo* block = aerialProgram_->findUniformBlock("AtmosphereModel");
        aerialVertexArray_ = VertexArrayObject::create(*aerialProgram_, *lightVertexBuffer_, nullptr);
        if (!block || !aerialVertexArray_) {
            diagnostic(
                "data/demo.xml", "deferred/aerial",
                "the aerial program needs the block \"AtmosphereModel\" and the light record's inputs");
            return false;
        }
        GLint binding = 0;
        glGetActiveUniformBlockiv(aerialProgram_->glName(), GLuint(block->index), GL_UNIFORM_BLOCK_BINDING,
                                  &binding);
        aerialBinding_ = binding;
        aerialSamplerSet_ = makeRef<SamplerSet>();
        for (const auto& pair : kSamplerBindings)
            addByName(*aerialSamplerSet_, pair[0], aerialProgram_.get(), pair[1]);
        const char* const names[3] = {"haze", "mist", "nightSky"};
        for (int i = 0; i < 3; ++i) {
            const UniformInfo* u = aerialProgram_->findUniform(names[i]);
            aerialLocations_[i] = u ? int(u->location) : -1;
        }
    }
    return true;
}

void DeferredScene::writeRecord(const Light& light, const Mat4& view, const Mat3& normalMatrix,
                                LightRecord& r, const AtmosphericalLight* sky) {
    const Vec3 viewPosition = Mat4::transformPoint(view, light.transform.worldPosition);
    set3(r.position, viewPosition);
    set3(r.colour, light.colour * light.intensity);
    switch (light.kind() - KindDirectionalLight) {
    case kTypeDirectional:
        set3(r.position, lightAxis(light).normalized());
        set3(r.params, 0, 0, 1);
        break;
    case kTypePoint: {
        const auto& l = static_cast<const PointLight&>(light);
        set3(r.params, l.radius, l.particleRadius, 0);
        break;
    }
    case kTypeSpot: {
        const auto& l = static_cast<const SpotLight&>(light);
        set3(r.params, l.cosCone, l.cosEdge, l.radius);
        set3(r.vector, transform3(normalMatrix, lightAxis(light)));
        break;
    }
    case kTypeArea: {
        const float radius = static_cast<const AreaLight&>(light).radius;
        set3(r.params, radius, radius, radius);
        break;
    }
    case kTypeLinear: {
        const auto& l = static_cast<const LinearLight&>(light);
        set3(r.params, l.radius, l.width, 0);
        set3(r.vector,
             Mat4::transformPoint(view, Mat4::transformPoint(light.transform.world, Vec3(0, 0, l.radius))));
        break;
    }
    case kTypeCube: {
        const float radius = static_cast<const CubeLight&>(light).radius;
        set3(r.params, radius, radius, radius);
        break;
    }
    case kTypeProjective: {
        const auto& l = static_cast<const ProjectiveLight&>(light);
        set3(r.params, l.cosCone, l.cosEdge, l.radius);
        set3(r.vector, transform3(normalMatrix, lightAxis(light)));
        break;
    }
    case kTypeAmbient: {
        // "COLOR" is the light from above, "TEXCOORD" the light from below.
        const auto& l = static_cast<const AmbientLight&>(light);
        const Vec3 scale = light.colour * light.intensity;
        set3(r.params, 0, 0, 0);
        if (l.followsSky && sky && sky->model) {
            const AtmosphereModel& air = *sky->model;
            const Vec3 fromSky = air.skyIrradiance();
            const Vec3 onGround = times(air.sunIrradiance(), sky->colour * sky->intensity) + fromSky;
            set3(r.colour, times(fromSky, scale));
            set3(r.vector, times(times(onGround, l.groundAlbedo), scale));
        } else {
            set3(r.vector, scale * 0.5f);
        }
        break;
    }
    default: // atmospherical
        set3(r.params, 0, 0, 0);
        break;
    }
}

void DeferredScene::fillLightRecords() {
    if (!camera || camera->kind() != KindCamera || !lightVertexBuffer_ || lights_.empty())
        return;
    const Camera& cam = static_cast<const Camera&>(*camera);
    const Mat3 normalMatrix = Mat3::inverse(cam.view.upper3x3()).transposed();
    lightVertexBuffer_->bind();
    auto* records = static_cast<LightRecord*>(glMapBuffer(GL_ARRAY_BUFFER, GL_WRITE_ONLY));
    VORNDLE_GL_CHECK("glMapBuffer");
    // Types that write no vector of their own repeat the previous record's.
    float vector[3] = {0, 0, 0};
    for (size_t i = 0; i < lights_.size(); ++i) {
        Light& light = *lights_[i];
        LightRecord record;
        std::memcpy(record.vector, vector, sizeof vector);
        writeRecord(light, cam.view, normalMatrix, record, sky_);
        std::memcpy(vector, record.vector, sizeof vector);
        if (light.kind() == KindProjectiveLight) {
            static_cast<ProjectiveLight&>(light).updateProjectionTextureMatrix(cam.view);
        } else if (light.kind() == KindAtmosphericalLight) {
            auto& sun = static_cast<AtmosphericalLight&>(light);
            if (sun.model) {
                sun.model->updateFromCamera(cam.view, cam.transform.worldPosition);
                if (sun.uniformBuffer)
                    sun.model->upload(*sun.uniformBuffer);
            }
            lightVertexBuffer_->bind();
        }
        if (records)
            records[i] = record;
    }
    lightVertexBuffer_->bind();
    glUnmapBuffer(GL_ARRAY_BUFFER);
    lightVertexBuffer_->unbind();
}

void DeferredScene::bindLightProgram(Device& device, int index) {
    const Ref<Program>& program = lightPrograms_[index];
    device.bindProgram(program);
    program->setVector2("viewport", inverseTargetSize_[0], inverseTargetSize_[1]);
    program->setFloatArray5("projCoeffs", projCoeffs_);
    program->setVector3("XAxis", 1, 0, 0);
    program->setVector3("YAxis", 0, 1, 0);
    device.bindSamplerSet(lightSamplerSets_[index]);
    device.bindVertexArray(lightVertexArrays_[index]);
}

void DeferredScene::drawOneByOne(Device& device, int type, int programIndex, int first, int last,
                                 bool shadowed) {
    const Camera& cam = static_cast<const Camera&>(*camera);
    for (int i = first; i < last; ++i) {
        Light& light = *lights_[i];
        switch (type) {
        case kTypePoint:
        case kTypeSpot:
            if (type == kTypeSpot && !light.enabled)
                continue;
            if (type == kTypePoint)
                device.setMatrix(kTextureMatrix, Mat4::inverse(light.transform.world));
            device.setMatrix(kShadowMatrix, light.shadowMatrix);
            if (light.shadowMap)
                device.bindTexture("shadowmap", *light.shadowMap);
            break;
        case kTypeCube: {
            auto& cube = static_cast<CubeLight&>(light);
            device.setMatrix(kTextureMatrix, Mat4::inverse(cam.view * light.transform.world));
            if (cube.cubeTexture)
                device.bindTexture("cubemap", *cube.cubeTexture);
            break;
        }
        case kTypeProjective: {
            auto& projective = static_cast<ProjectiveLight&>(light);
            if (projective.projectionTexture)
                device.bindTexture("proj_tex", *projective.projectionTexture);
            device.setMatrix(kTextureMatrix, projective.projectionTextureMatrix);
            if (shadowed) {
                if (light.shadowMap)
                    device.bindTexture("shadowmap", *light.shadowMap);
                device.setMatrix(kShadowMatrix, light.shadowMatrix);
            }
            break;
        }
        case kTypeAtmospherical: {
            auto& sun = static_cast<AtmosphericalLight&>(light);
            // Without its block the program would read nothing sensible: the light is left out.
            if (atmosphereBinding_[shadowed] < 0 || !sun.uniformBuffer)
                continue;
            if (shadowed) {
                const Program& program = *lightPrograms_[programIndex];
                if (const UniformInfo* u = program.findUniform("shadowParams"))
                    glUniform2f(u->location, light.shadowIntensity, 1.0f - light.shadowIntensity);
                if (const UniformInfo* u = program.findUniform("cascadeDepths"))
                    glUniform4fv(u->location, 1, sun.cascadeDepths);
                if (const UniformInfo* u = program.findUniform("CascadeMatrix"))
                    glUniformMatrix4fv(u->location, AtmosphericalLight::kCascades, GL_TRUE,
                                       sun.cascadeMatrices[0].m);
                if (light.shadowMap)
                    device.bindTexture("shadowmap", *light.shadowMap);
            }
            bindBlockRange(GLuint(atmosphereBinding_[shadowed]), *sun.uniformBuffer);
            device.checkState();
            glDrawArrays(GL_POINTS, i, 1);
            glBindBufferBase(GL_UNIFORM_BUFFER, GLuint(atmosphereBinding_[shadowed]), 0);
            continue;
        }
        default:
            break;
        }
        device.checkState();
        glDrawArrays(GL_POINTS, i, 1);
    }
}

void DeferredScene::renderLights(Ref<Device>& device, float time) {
    if (!lightAccumulation_ || lightPrograms_.size() != size_t(kLightPrograms))
        return;
    inverseTargetSize_[0] = 1.0f / float(lightAccumulation_->width());
    inverseTargetSize_[1] = 1.0f / float(lightAccumulation_->height());
    device->bindFramebuffer(lightAccumulation_);
    lightStates(*device);

    for (int t = 0; t < kLightTypes; ++t) {
        const int start = lightTypeStart_[t], end = lightTypeStart_[t + 1];
        if (start >= end)
            continue;
        const int plain = firstShadowed_[t] < 0 ? end - start : firstShadowed_[t];
        const bool split =
            t == kTypePoint || t == kTypeSpot || t == kTypeProjective || t == kTypeAtmospherical;
        ProfileScope pass(*device, kLightPassNames[split && plain == 0][t]);
        bindLightProgram(*device, t);
        switch (t) {
        case kTypePoint:
        case kTypeSpot:
        case kTypeProjective:
        case kTypeAtmospherical: {
            if (plain > 0) {
                if (t == kTypePoint || t == kTypeSpot) {
                    device->checkState();
                    glDrawArrays(GL_POINTS, start, plain);
                } else {
                    drawOneByOne(*device, t, t, start, start + plain, false);
                }
            }
            const int shadowProgram = kLightTypes + t;
            if (start + plain < end && lightPrograms_[shadowProgram]) {
                if (plain > 0)
                    pass.next(*device, kLightPassNames[1][t]);
                bindLightProgram(*device, shadowProgram);
                drawOneByOne(*device, t, shadowProgram, start + plain, end, true);
            }
            break;
        }
        case kTypeCube:
            drawOneByOne(*device, t, t, start, end, false);
            break;
        default:
            device->checkState();
            glDrawArrays(GL_POINTS, start, end - start);
            break;
        }
        device->bindVertexArray(nullptr);
    }

    renderAerialPerspective(*device);

    const Camera& cam = static_cast<const Camera&>(*camera);
    {
        ProfileScope pass(*device, "after lights");
        renderAfterLights(device, cam.view, time);
    }

    const int points = lightTypeStart_[kTypePoint + 1] - lightTypeStart_[kTypePoint];
    if (lightParticles && lightPrograms_[kParticleProgram] && points > 0) {
        ProfileScope pass(*device, "light particles");
        lightStates(*device);
        bindLightProgram(*device, kParticleProgram);
        lightPrograms_[kParticleProgram]->setFloat("radiusScale", radiusScale);
        device->checkState();
        glDrawArrays(GL_POINTS, lightTypeStart_[kTypePoint], points);
        device->bindVertexArray(nullptr);
    }
}

void DeferredScene::renderAerialPerspective(Device& device) {
    if (!aerialProgram_ || !sky_ || !sky_->model || !sky_->uniformBuffer)
        return;
    const AtmosphereModel& air = *sky_->model;
    if (!(air.aerialHaze > 0.0f) && !(air.aerialMist > 0.0f))
        return;
    ProfileScope pass(device, "aerial perspective");
    // What lies behind loses light to the air (the alpha, its transmittance) and gains the air's
    // own (the colour): destination x alpha + colour.
    device.applyBlend(ontoLight(codes::kFactorOne, codes::kFactorSrcAlpha));
    device.bindProgram(aerialProgram_);
    aerialProgram_->setVector2("viewport", inverseTargetSize_[0], inverseTargetSize_[1]);
    aerialProgram_->setFloatArray5("projCoeffs", projCoeffs_);
    if (aerialLocations_[0] >= 0)
        glUniform1f(aerialLocations_[0], air.aerialHaze);
    if (aerialLocations_[1] >= 0)
        glUniform3f(aerialLocations_[1], air.aerialMist, air.aerialMistBase, air.aerialMistHeight);
    if (aerialLocations_[2] >= 0)
        glUniform3f(aerialLocations_[2], air.aerialNight.x, air.aerialNight.y, air.aerialNight.z);
    device.bindSamplerSet(aerialSamplerSet_);
    device.bindVertexArray(aerialVertexArray_);
    bindBlockRange(GLuint(aerialBinding_), *sky_->uniformBuffer);
    glDrawArrays(GL_POINTS, skyIndex_, 1);
    glBindBufferBase(GL_UNIFORM_BUFFER, GLuint(aerialBinding_), 0);
    device.bindVertexArray(nullptr);
    lightStates(device);
}
