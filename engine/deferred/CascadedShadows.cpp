#include "deferred/CascadedShadows.h"

#include "atmosphere/AtmosphereModel.h"
#include "atmosphere/AtmosphericalLight.h"
#include "core/Diagnostics.h"
#include "deferred/DeferredScene.h"
#include "demo/Registries.h"
#include "render/CodeTables.h"
#include "render/Device.h"
#include "render/Framebuffer.h"
#include "render/ProfileScope.h"
#include "render/Program.h"
#include "render/StateSet.h"
#include "scene/Camera.h"
#include "scene/Scene.h"

#include <cmath>
#include <string>

namespace {

constexpr float kDegrees = 0.017453292f;

Vec3 axisOf(const Mat4& world, const Vec3& position, const Vec3& axis) {
    return (Mat4::transformPoint(world, axis) - position).normalized();
}

} // namespace

CascadedShadows::CascadedShadows() = default;

CascadedShadows::~CascadedShadows() = default;

bool CascadedShadows::load(AtmosphericalLight& light) {
    for (int i = 0; i < kCascades; ++i) {
        const std::string name = "shadow_cascade_" + std::to_string(i);
        framebuffers[i] = framebufferRegistry().find(name);
        if (!framebuffers[i] || framebuffers[i]->width() <= 0 || framebuffers[i]->height() <= 0) {
            diagnostic("data/demo.xml", name.c_str(),
                       framebuffers[i] ? "shadow target has no size" : "shadow target missing");
            release();
            return false;
        }
        cascades[i].aspect = float(framebuffers[0]->width()) / float(framebuffers[0]->height());
    }
    Ref<Texture> texture = textureRegistry().find("shadow_cascade");
    if (!texture) {
        diagnostic("data/demo.xml", "shadow_cascade", "shadow texture missing");
        release();
        return false;
    }
    casterProgram = programRegistry().find("shadows/dirlight");
    light.shadowMap = texture;
    light.castsShadow = light.shadowCasterMask != 0;
    return true;
}

void CascadedShadows::release() {
    for (Ref<Framebuffer>& fb : framebuffers)
        fb = nullptr;
    casterProgram = nullptr;
}

bool CascadedShadows::computeSplits(float nearZ, float farZ, float* nears, float* fars) {
    if (!std::isfinite(nearZ) || !std::isfinite(farZ) || nearZ <= 0 || farZ <= nearZ)
        return false;
    nears[0] = nearZ;
    fars[kCascades - 1] = farZ;
    for (int i = 1; i < kCascades; ++i) {
        const float k = float(i) / float(kCascades);
        const float split = 0.75f * nearZ * std::pow(farZ / nearZ, k) + 0.25f * (nearZ + k * (farZ - nearZ));
        nears[i] = split;
        fars[i - 1] = split * 1.005f;
    }
    return true;
}

void CascadedShadows::frustumCorners(const Vec3& eye, const Vec3& forward, const Vec3& up, const Vec3& side,
                                     float fov, float aspect, float nearZ, float farZ, Vec3* corners) {
    const float distances[2] = {nearZ, farZ};
    for (int k = 0; k < 2; ++k) {
        const float d = distances[k];
        const Vec3 centre = eye + forward * d;
        const float halfHeight = std::tan(fov * 0.5f) * d;
        const Vec3 h = side * (halfHeight * aspect), v = up * halfHeight;
        corners[4 * k + 0] = centre - h - v;
        corners[4 * k + 1] = centre + h - v;
        corners[4 * k + 2] = centre + h + v;
        corners[4 * k + 3] = centre - h + v;
    }
}

bool CascadedShadows::fit(const Camera& camera, const Vec3& sunDirection, float screenAspect) {
    float nears[kCascades], fars[kCascades];
    if (!computeSplits(camera.nearZ, camera.farZ, nears, fars) || !(screenAspect > 0) ||
        !std::isfinite(camera.fov))
        return false;
    const Mat4& world = camera.transform.world;
    const Vec3 p = camera.transform.worldPosition;
    // The camera looks down its local -Z with +Y up (its view is the inverse of that frame).
    const Vec3 forward = axisOf(world, p, Vec3(0, 0, -1));
    const Vec3 upAxis = axisOf(world, p, Vec3(0, 1, 0));
    const Vec3 right = forward.cross(upAxis).normalized();
    const Vec3 up = right.cross(forward).normalized();

    // A sun straight along the camera's side axis, or no sun at all, gives no light basis.
    if (!(sunDirection.cross(right).length() > 1e-6f * sunDirection.length()))
        return false;
    const Vec3 s = sunDirection.normalized();
    const Vec3 a = s.cross(right).normalized();
    const Vec3 b = a.cross(s).normalized();
    if (!std::isfinite(a.x + a.y + a.z + b.x + b.y + b.z))
        return false;
    Mat4 lightView;
    const float rows[3][3] = {{a.x, a.y, a.z}, {b.x, b.y, b.z}, {s.x, s.y, s.z}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            lightView.m[4 * r + c] = rows[r][c];

    const float fov = (camera.fov + 15.0f) * kDegrees;
    Vec3 volumeCorners[8];
    frustumCorners(p, forward, up, right, fov, screenAspect, camera.nearZ, camera.farZ, volumeCorners);
    for (int i = 0; i < kCascades; ++i) {
        ShadowCascade& c = cascades[i];
        c.fieldOfView = fov;
        c.nearZ = nears[i];
        c.farZ = fars[i];
        c.lightView = lightView;
        const Mat4 widened = Mat4::perspective(camera.fov + 15.0f, screenAspect, camera.nearZ, camera.farZ);
        ViewVolume::fromViewProjection(widened * camera.view, c.viewVolume);
        for (int k = 0; k < 8; ++k)
            c.viewVolume.corners[k] = volumeCorners[k];

        frustumCorners(p, forward, up, right, fov, c.aspect, c.nearZ, c.farZ, c.sliceCorners);
        c.sliceBox[0] = c.sliceBox[1] = c.sliceCorners[0];
        for (const Vec3& v : c.sliceCorners) {
            c.sliceBox[0] = Vec3(std::fmin(c.sliceBox[0].x, v.x), std::fmin(c.sliceBox[0].y, v.y),
                                 std::fmin(c.sliceBox[0].z, v.z));
            c.sliceBox[1] = Vec3(std::fmax(c.sliceBox[1].x, v.x), std::fmax(c.sliceBox[1].y, v.y),
                                 std::fmax(c.sliceBox[1].z, v.z));
        }
        c.sliceCentre = (c.sliceBox[0] + c.sliceBox[1]) * 0.5f;

        const Mat4 ortho = Mat4::ortho(-1, 1, -1, 1, c.nearZ, c.farZ);
        const Mat4 viewProjection = ortho * lightView;
        Vec3 lo = Mat4::transformPoint(viewProjection, c.sliceCorners[0]), hi = lo;
        for (const Vec3& corner : c.sliceCorners) {
            const Vec3 v = Mat4::transformPoint(viewProjection, corner);
            lo = Vec3(std::fmin(lo.x, v.x), std::fmin(lo.y, v.y), std::fmin(lo.z, v.z));
            hi = Vec3(std::fmax(hi.x, v.x), std::fmax(hi.y, v.y), std::fmax(hi.z, v.z));
        }
        c.lightBox[0] = lo;
        c.lightBox[1] = hi;
        const float sx = 2.0f / (hi.x - lo.x), sy = 2.0f / (hi.y - lo.y), sz = 1.0f / (hi.z - lo.z);
        c.crop = Mat4();
        c.crop.m[0] = sx;
        c.crop.m[5] = sy;
        c.crop.m[10] = sz;
        c.crop.m[3] = -(hi.x + lo.x) * 0.5f * sx;
        c.crop.m[7] = -(hi.y + lo.y) * 0.5f * sy;
        c.crop.m[11] = -lo.z * sz;
        c.projection = c.crop * ortho;
        c.lightViewProjection = c.projection * lightView;
    }
    return true;
}

void CascadedShadows::update(const Camera& camera, AtmosphericalLight& light, DeferredScene& scene,
                             Ref<Device>& device, float screenAspect, float shadowIntensity) {
    if (light.shadowCasterMask == 0 || !light.model)
        return;
    light.shadowIntensity = shadowIntensity;
    if (!fit(camera, light.model->sunDirection, screenAspect))
        return;
    static const char* const kPassNames[kCascades] = {"shadow cascade 0", "shadow cascade 1",
                                                      "shadow cascade 2", "shadow cascade 3"};
    for (int i = 0; i < kCascades; ++i) {
        ProfileScope pass(*device, kPassNames[i]);
        renderShadowPass(framebuffers[i], cascades[i].lightView, scene, device, cascades[i].projection,
                         light.shadowCasterMask, light.cascadeMatrices[i], cascades[i].viewVolume);
    }
    const Mat4& P = camera.projection;
    for (int i = 0; i < kCascades; ++i) {
        const float d = cascades[i].farZ;
        light.cascadeDepths[i] = 0.5f * (P.m[11] - P.m[10] * d) / d + 0.5f;
    }
}

void CascadedShadows::renderShadowPass(const Ref<Framebuffer>& target, const Mat4& lightView,
                                       DeferredScene& scene, Ref<Device>& device, const Mat4& lightProjection,
                                       uint32_t casterMask, Mat4& shadowMatrix,
                                       const ViewVolume& viewVolume) {
    const Ref<Scene>& graph = scene.scene();
    const Ref<StateSet>& states = scene.stateSet();
    if (!graph || !states || !target || !scene.camera || scene.camera->kind() != KindCamera)
        return;
    const Camera& camera = static_cast<const Camera&>(*scene.camera);
    Mat4 bias;
    bias.m[0] = bias.m[5] = bias.m[10] = 0.5f;
    bias.m[3] = bias.m[7] = bias.m[11] = 0.5f;
    shadowMatrix = bias * lightProjection * lightView * Mat4::inverse(camera.view);

    Ref<Framebuffer> fb = target;
    device->bindFramebuffer(fb);
    device->setMatrix(codes::kProjectionMatrix, lightProjection);
    device->setMatrix(codes::kProjectionMatrixInverse, Mat4::inverse(lightProjection));

    states->setDevice(device);
    // Depth writes on before the clear (clears obey the write masks).
    states->reset();
    static const float kClear[4] = {0, 0, 0, 0};
    glClearBufferfv(GL_COLOR, 0, kClear);
    glClearBufferfi(GL_DEPTH_STENCIL, 0, 1.0f, 0);
    if (casterProgram)
        states->pushProgram(casterProgram);
    BlendState blend;
    blend.enabled = false;
    blend.colorMask[0] = blend.colorMask[1] = blend.colorMask[2] = blend.colorMask[3] = false;
    RasterizerState raster = states->defaultRasterizer;
    raster.cullEnabled = true;
    raster.frontFace = codes::kWindingCcw;
    raster.cullFace = codes::kCullFront;
    raster.polygonOffsetEnabled = true;
    raster.polygonOffsetMode = codes::kOffsetFill;
    raster.polygonOffsetFactor = 1.0f;
    raster.polygonOffsetUnits = 4096.0f;
    states->pushBlend(blend);
    states->pushRasterizer(raster);
    // Casters between the sun and the fitted slice would fall in front of the near plane and be
    // clipped away; clamping their depth keeps their shadows.
    DepthStencilState depth = states->defaultDepthStencil;
    depth.depthClamp = true;
    states->pushDepthStencil(depth);

    scene.viewVolume = viewVolume;
    graph->viewVolume = viewVolume;
    states->setShadowPass(true);
    graph->render(lightView, states, casterMask);
    states->setShadowPass(false);

    states->popDepthStencil();
    // The rasterizer pop below turns polygon offset off through the cache.
    if (casterProgram)
        states->popProgram();
    states->popBlend();
    states->popRasterizer();
    ++passCount;
}
