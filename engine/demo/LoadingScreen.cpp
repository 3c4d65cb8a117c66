#include "demo/LoadingScreen.h"

#include "assets/JPEGLoader.h"
#include "assets/ShaderLoader.h"
#include "core/Diagnostics.h"
#include "core/LoadPhases.h"
#include "core/Paths.h"
#include "demo/Registries.h"
#include "render/CodeTables.h"
#include "render/Device.h"
#include "render/Program.h"
#include "render/QuadVertexBuffer.h"
#include "render/SamplerSet.h"
#include "render/Texture.h"
#include "render/VertexArrayObject.h"
#include "render/VertexBuffer.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

double FramePresenter::presentClock() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void FramePresenter::waitUntil(double time) {
    const double left = time - presentClock();
    if (left > 0)
        std::this_thread::sleep_for(std::chrono::duration<double>(left));
}

LoadingScreen::LoadingScreen() = default;

LoadingScreen::~LoadingScreen() {
    unload();
}

bool LoadingScreen::load() {
    vertexBuffer_ = createQuadVertexBuffer();

    const std::string picture = resolveDataPath("data/loading/loading.jpg");
    JPEGLoader jpeg;
    // The JPEG loader names the file and the reason itself.
    Ref<Texture> texture = jpeg.load(picture);
    if (!texture)
        return false;
    TextureParams params = texture->params();
    params.magFilter = codes::kFilterLinear;
    params.minFilter = codes::kFilterLinear;
    params.wrapS = codes::kWrapEdge;
    params.wrapT = codes::kWrapEdge;
    texture->bind();
    texture->applyParams(params);
    texture->unbind();
    textureRegistry().insert("loadingScreen", texture);

    const std::string folder = resolveDataPath("data/loading/");
    ShaderLoader shaders(folder);
    program_ = makeRef<Program>("loading");
    Ref<Shader> stages[2];
    for (int stage : {Program::kVertex, Program::kFragment}) {
        const std::string path = folder + (stage == Program::kVertex ? "loading.vs" : "loading.fs");
        std::string why;
        stages[stage] = shaders.loadStage(path, stage, &why);
        if (!stages[stage]) {
            diagnostic(path.c_str(), "loading screen", "%s", why.c_str());
            program_ = nullptr;
            return false;
        }
    }
    program_->setStage(Program::kVertex, stages[Program::kVertex]);
    program_->setStage(Program::kFragment, stages[Program::kFragment]);
    if (!program_->link(nullptr, 0, 0)) {
        program_ = nullptr;
        return false;
    }
    programRegistry().insert("loading", program_);

    samplerSet_ = makeRef<SamplerSet>();
    addByName(*samplerSet_, "loadingScreen", program_.get(), "loading");
    vertexArray_ = VertexArrayObject::create(*program_, *vertexBuffer_, nullptr);

    // The default framebuffer's viewport is still the window's size: nothing has set another.
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    viewportWidth_ = viewport[2] > 0 ? viewport[2] : 1;

    progress = 0;
    step_ = 0;
    application = nullptr;
    drawCount_ = 0;
    presentCount_ = 0;
    shown_ = Look();
    return true;
}

LoadingScreen::Look LoadingScreen::lookOf(float alpha) const {
    const float fade = alpha < 0 ? 0.0f : alpha > 1 ? 1.0f : alpha;
    const float done = progress < 0 ? 0.0f : progress > 1 ? 1.0f : progress;
    Look look;
    look.fade = static_cast<int>(std::lround(fade * 255.0f));
    look.bar = static_cast<int>(std::floor(done * static_cast<float>(viewportWidth_)));
    return look;
}

void LoadingScreen::draw(Ref<Device>& dev, float alpha) {
    if (!dev || !program_)
        return;
    ++drawCount_;
    if (!application) {
        present(dev, alpha, lookOf(alpha), 0);
        return;
    }
    const Look look = lookOf(alpha);
    if (look == shown_)
        return;
    const double now = application->presentClock();
    if (presentCount_ > 0 && now < nextAt_)
        return;
    present(dev, alpha, look, now);
}

void LoadingScreen::finish(Ref<Device>& dev, float alpha) {
    if (!dev || !program_ || !application)
        return;
    const Look look = lookOf(alpha);
    if (look == shown_)
        return;
    LoadPhaseScope phase(LoadPhases::LoadingScreen);
    // At most a refresh: the display could not show an earlier frame anyway.
    if (presentCount_ > 0)
        application->waitUntil(shownAt_ + application->refreshPeriod());
    present(dev, alpha, look, application->presentClock());
}

void LoadingScreen::present(Ref<Device>& dev, float alpha, const Look& look, double now) {
    LoadPhaseScope phase(LoadPhases::LoadingScreen);
    dev->bindProgram(program_);
    if (program_->findUniform("params"))
        program_->setVector2("params", alpha, progress);
    dev->bindSamplerSet(samplerSet_);
    dev->bindVertexArray(vertexArray_);
    dev->checkState();
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    dev->bindVertexArray(nullptr);
    // Textures load between presents, bound and unbound on whatever unit is active: the picture
    // must not stay bound in the device's name where an upload would unbind it behind its back.
    dev->bindSamplerSet(nullptr);
    shown_ = look;
    shownAt_ = now;
    ++presentCount_;
    LoadPhases::global().countPresentedFrame();
    if (!application)
        return;
    application->swapBuffers();
    // Where presenting is slow (a software rasteriser copying a large window), the refresh alone
    // would still let the screen take most of the load's time; it keeps to a share of it.
    const double cost = application->presentClock() - now;
    nextAt_ = now + std::max(application->refreshPeriod(), cost * kTimePerPresentCost);
}

void LoadingScreen::advance() {
    draw(device, 1.0f);
    progress += step_;
}

void LoadingScreen::unload() {
    application = nullptr;
    program_ = nullptr;
    samplerSet_ = nullptr;
    vertexBuffer_ = nullptr;
    vertexArray_ = nullptr;
    device = nullptr;
    textureRegistry().remove("loadingScreen");
    programRegistry().remove("loading");
}
