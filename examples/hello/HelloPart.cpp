#include "HelloPart.h"

#include "assets/Mesh.h"
#include "demo/LoadingScreen.h"
#include "demo/RequiredResources.h"
#include "math/Mat4.h"
#include "render/Device.h"
#include "render/Framebuffer.h"
#include "render/Program.h"
#include "render/QuadVertexBuffer.h"
#include "render/RenderStates.h"
#include "render/SamplerSet.h"
#include "render/VertexArrayObject.h"
#include "render/VertexBuffer.h"

#include <cmath>

namespace {
constexpr int matrixProjection = 0, matrixModelViewProjection = 4, matrixWorld = 9, normalWorld = 13;
} // namespace

HelloPart::HelloPart() = default;

HelloPart::~HelloPart() {
    unload();
}

bool HelloPart::load(Ref<LoadingScreen>& loadingScreen) {
    RequiredResources required("part \"hello\"");
    scene_ = required.program("scene");
    composite_ = required.program("composite");
    target_ = required.framebuffer("scene");
    ball_ = required.mesh("ball");
    if (!required.allFound())
        return false;

    sceneSamplers_ = makeRef<SamplerSet>();
    required.sampler(*sceneSamplers_, "checker", scene_.get(), "surface");
    required.sampler(*sceneSamplers_, "sky", scene_.get(), "sky");
    compositeSamplers_ = makeRef<SamplerSet>();
    required.sampler(*compositeSamplers_, "sceneColor", composite_.get(), "colorMap");
    if (!required.allFound())
        return false;

    ballArray_ = VertexArrayObject::create(*scene_, *ball_->vertexBuffer(), ball_->indexBuffer().get());

    quad_ = createQuadVertexBuffer();
    quadArray_ = VertexArrayObject::create(*composite_, *quad_, nullptr);

    if (loadingScreen) {
        loadingScreen->progress += loadingScreen->getStep();
        loadingScreen->draw(loadingScreen->device, 1.0f);
    }
    return ballArray_ && quadArray_;
}

void HelloPart::unload() {
    ballArray_ = nullptr;
    quadArray_ = nullptr;
    quad_ = nullptr;
    sceneSamplers_ = nullptr;
    compositeSamplers_ = nullptr;
    ball_ = nullptr;
    target_ = nullptr;
    scene_ = nullptr;
    composite_ = nullptr;
}

void HelloPart::update(float time, float step) {
    // A flash on every beat that decays within it.
    float phase = time - std::floor(time);
    pulse_ = std::exp(-phase * 5.0f);
    angle_ += step * 0.8f;
}

void HelloPart::render(Ref<Device>& device, float, float) {
    const int width = target_->width(), height = target_->height();

    device->bindFramebuffer(target_);
    glClearColor(0.02f, 0.02f, 0.05f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DepthStencilState depth;
    depth.depthTest = true;
    device->applyDepthStencil(depth);

    const Vec3 eye(0, 0.4f, 3.2f);
    float scale = 1.0f + 0.08f * pulse_;
    Mat4 world = Mat4::multiply(Mat4::scaling({scale, scale, scale}), Mat4::rotationY(angle_));
    Mat4 view = Mat4::lookAt(eye, {0, 0, 0}, {0, 1, 0});
    Mat4 projection = Mat4::perspective(50, float(width) / float(height), 0.1f, 50);
    device->bindProgram(scene_);
    device->setMatrix(matrixProjection, projection);
    device->setMatrix(matrixWorld, world);
    device->setNormalMatrix(normalWorld, Mat3::inverse(world.upper3x3()).transposed());
    device->setMatrix(matrixModelViewProjection, Mat4::multiply(Mat4::multiply(world, view), projection));
    scene_->setVector3("eye", eye.x, eye.y, eye.z);
    scene_->setFloat("pulse", pulse_);
    device->bindSamplerSet(sceneSamplers_);
    device->bindVertexArray(ballArray_);
    device->checkState();
    for (const IndexBin& bin : ball_->bins())
        glDrawElements(GL_TRIANGLES, GLsizei(bin.count), device->indexType(), ball_->indexOffset(bin));
    device->bindVertexArray(nullptr);

    device->applyDepthStencil(DepthStencilState());
    device->bindDefaultFramebuffer(width, height);
    device->bindProgram(composite_);
    composite_->setFloat("pulse", pulse_);
    device->bindSamplerSet(compositeSamplers_);
    device->bindVertexArray(quadArray_);
    device->checkState();
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    device->bindVertexArray(nullptr);
}
