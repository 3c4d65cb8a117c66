#include "support/ProductionSession.h"

#include "app/Song.h"
#include "app/TimelinePreroll.h"
#include "assets/Mesh.h"
#include "core/Paths.h"
#include "demo/Registries.h"
#include "demo/Timeline.h"
#include "render/Device.h"
#include "render/Framebuffer.h"
#include "render/Program.h"
#include "render/Texture.h"
#include "support/GlContext.h"
#include "support/RegistrySetAside.h"

#include <filesystem>
#include <unordered_map>

namespace {

class HeadlessVorndle : public Vorndle {
public:
    HeadlessVorndle() {
        settings.width = ProductionSession::kWidth;
        settings.height = ProductionSession::kHeight;
        clientWidth = ProductionSession::kWidth;
        clientHeight = ProductionSession::kHeight;
        options.noSound = true;
        options.noMessageBox = true;
    }
    void swapBuffers() override {}
    void requestQuit() override {}
};

} // namespace

struct ProductionSession::Saved {
    RegistrySetAside<Texture> textures;
    RegistrySetAside<Framebuffer> framebuffers;
    RegistrySetAside<Program> programs;
    RegistrySetAside<Mesh> meshes;
    HeadlessVorndle app;
    bool loaded = false;
};

ProductionSession::ProductionSession() = default;

ProductionSession::~ProductionSession() {
    close();
}

bool ProductionSession::openFor(benchmark::State& state) {
    if (!GlContext::ensure()) {
        state.SkipWithError(GlContext::error().c_str());
        return false;
    }
    std::string error;
    if (!open(&error)) {
        state.SkipWithError(error.c_str());
        return false;
    }
    return true;
}

bool ProductionSession::open(std::string* error) {
    close();
    const std::string root = VORNDLE_BINARY_DIR;
    if (!std::filesystem::exists(root + "/data/intro.dat") ||
        !std::filesystem::exists(root + "/data/vorndle.ogg")) {
        *error = root + "/data is incomplete (build the vorndle, vorndle_states, vorndle_pictures and "
                        "vorndle_song targets)";
        return false;
    }
    saved_ = std::make_unique<Saved>();
    saved_->textures.takeFrom(textureRegistry());
    saved_->framebuffers.takeFrom(framebufferRegistry());
    saved_->programs.takeFrom(programRegistry());
    saved_->meshes.takeFrom(meshRegistry());
    setDemoRoot(root);
    saved_->loaded = saved_->app.load();
    if (!saved_->loaded || !saved_->app.song) {
        *error = "the production does not load from " + root + "/data";
        close();
        return false;
    }
    return true;
}

void ProductionSession::close() {
    if (!saved_)
        return;
    // Unloading empties the registries and the timeline whether or not the load got through.
    saved_->app.unload();
    saved_->textures.putBack(textureRegistry());
    saved_->framebuffers.putBack(framebufferRegistry());
    saved_->programs.putBack(programRegistry());
    saved_->meshes.putBack(meshRegistry());
    saved_.reset();
    setDemoRoot("");
}

void ProductionSession::preroll(double beat) {
    prerollTimeline(Timeline::global(), beat, bpm());
}

void ProductionSession::frame(float beat, float step) {
    saved_->app.drawFrame(beat, step);
}

int ProductionSession::bpm() const {
    return saved_->app.song->bpm;
}

Vorndle& ProductionSession::app() {
    return saved_->app;
}
