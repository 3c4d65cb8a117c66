#include "ExampleSceneSession.h"

#include "DeferredFixture.h"

#include "app/DemoApplication.h"
#include "app/DemoDescription.h"
#include "app/SoundDevice.h"
#include "assets/Mesh.h"
#include "core/Paths.h"
#include "demo/Registries.h"
#include "post/BlitEngine.h"
#include "render/CodeTables.h"
#include "render/Program.h"
#include "render/Texture2D.h"
#include "support/RegistrySetAside.h"

#include <cstring>
#include <filesystem>
#include <memory>
#include <unordered_map>

namespace {

// Only the description is loaded: no window, no parts of its own.
class DescriptionOnly : public DemoApplication {
public:
    DescriptionOnly(int width, int height) {
        settings.width = width;
        settings.height = height;
        options.noSound = true;
        options.noMessageBox = true;
    }
    bool createParts(Ref<LoadingScreen>&) override { return true; }
};

} // namespace

struct ExampleSceneSession::Saved {
    RegistrySetAside<Texture> textures;
    RegistrySetAside<Framebuffer> framebuffers;
    RegistrySetAside<Program> programs;
    RegistrySetAside<Mesh> meshes;
    std::unique_ptr<DescriptionOnly> app;
};

ExampleSceneSession::ExampleSceneSession() = default;

ExampleSceneSession::~ExampleSceneSession() {
    close();
}

std::string ExampleSceneSession::dataRoot() {
    return VORNDLE_BINARY_DIR "/examples/deferred";
}

bool ExampleSceneSession::open(int w, int h, std::string* error) {
    close();
    width = w;
    height = h;
    if (!std::filesystem::exists(dataRoot() + "/data/demo.xml")) {
        *error = dataRoot() + "/data/demo.xml is missing (build the deferred_data target)";
        return false;
    }
    saved_ = new Saved;
    saved_->textures.takeFrom(textureRegistry());
    saved_->framebuffers.takeFrom(framebufferRegistry());
    saved_->programs.takeFrom(programRegistry());
    saved_->meshes.takeFrom(meshRegistry());

    device = deferred_resources::device();
    device->resetState();
    setDemoRoot(dataRoot());
    saved_->app.reset(new DescriptionOnly(w, h));
    saved_->app->soundDevice = makeRef<SoundDevice>();
    if (!saved_->app->soundDevice->initialize(true) || !loadDemoDescription("data/demo.xml", *saved_->app)) {
        *error = "the example's demo description does not load";
        close();
        return false;
    }
    Ref<Texture2D> colour = makeRef<Texture2D>();
    colour->create(w, h, codes::formatCode("rgba_8"));
    output = makeRef<Framebuffer>();
    output->setAttachment(0, colour, 0, 0);
    if (!output->create()) {
        *error = "the output target is incomplete";
        close();
        return false;
    }
    part = makeRef<ExampleScene>();
    Ref<LoadingScreen> none;
    if (!part->load(none) || !part->blit()) {
        *error = "the example's part does not load";
        close();
        return false;
    }
    part->blit()->output = output;
    return true;
}

void ExampleSceneSession::close() {
    if (part)
        part->unload();
    part = nullptr;
    output = nullptr;
    if (device)
        device->resetState();
    device = nullptr;
    if (!saved_)
        return;
    saved_->app = nullptr;
    saved_->textures.putBack(textureRegistry());
    saved_->framebuffers.putBack(framebufferRegistry());
    saved_->programs.putBack(programRegistry());
    saved_->meshes.putBack(meshRegistry());
    delete saved_;
    saved_ = nullptr;
    setDemoRoot("");
}

void ExampleSceneSession::renderOnly(float beat, float step) {
    device->resetState();
    part->update(beat, step);
    part->render(device, beat, step);
}

std::vector<uint8_t> ExampleSceneSession::render(float beat) {
    renderOnly(beat);
    std::vector<uint8_t> rows(size_t(width) * size_t(height) * 4), upside(rows.size());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, output->glName());
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, upside.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    const size_t stride = size_t(width) * 4;
    for (int y = 0; y < height; ++y)
        std::memcpy(&rows[size_t(y) * stride], &upside[size_t(height - 1 - y) * stride], stride);
    return rows;
}
