#include "demo/LoadingScreen.h"

#include "assets/JPEGLoader.h"
#include "assets/ShaderLoader.h"
#include "core/Diagnostics.h"
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

    progress = 0;
    step_ = 0;
    application = nullptr;
    drawCount_ = 0;
    return true;
}

void LoadingScreen::draw(Ref<Device>& dev, float alpha) {
    if (!dev || !program_)
        return;
    dev->bindProgram(program_);
    if (program_->findUniform("params"))
        program_->setVector2("params", alpha, progress);
    dev->bindSamplerSet(samplerSet_);
    dev->bindVertexArray(vertexArray_);
    dev->checkState();
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    dev->bindVertexArray(nullptr);
    ++drawCount_;
    if (application)
        application->swapBuffers();
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
