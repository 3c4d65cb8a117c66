#include "app/DemoApplication.h"

#include "app/DemoDescription.h"
#include "app/SimulationStep.h"
#include "app/Song.h"
#include "app/SoundDevice.h"
#include "app/TimelinePreroll.h"
#include "app/capture/CaptureJob.h"
#include "app/edit/EditSession.h"
#include "assets/Mesh.h"
#include "core/LoadPhases.h"
#include "demo/LoadingScreen.h"
#include "demo/Registries.h"
#include "demo/Timeline.h"
#include "render/Device.h"
#include "render/FrameProfiler.h"
#include "render/Framebuffer.h"
#include "render/IndexBuffer.h"
#include "render/Program.h"
#include "render/Shader.h"
#include "render/Texture.h"
#include "render/VertexBuffer.h"

#include "render/Gl.h"
#include <SDL.h>
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {
constexpr float fadeStep = 0.032258064f; // 1/31 in single precision
constexpr int fadeFrames = 32;

// Frame captures show the names of the demo description and the scene files.
void labelRegisteredObjects(const FrameProfiler& profiler) {
    // Render buffers sit in the texture registry too, but are named in their own kind: labelled as
    // textures they hit another texture of the same name, or none (an error GL keeps until the
    // frames' read-back finds it).
    for (const std::string& name : textureRegistry().names()) {
        const Ref<Texture> texture = textureRegistry().find(name);
        profiler.labelObject(texture->type() == 8 ? GL_RENDERBUFFER : GL_TEXTURE, texture->glName(), name);
    }
    for (const std::string& name : framebufferRegistry().names())
        profiler.labelObject(GL_FRAMEBUFFER, framebufferRegistry().find(name)->glName(), name);
    for (const std::string& name : programRegistry().names())
        profiler.labelObject(GL_PROGRAM, programRegistry().find(name)->glName(), name);
    for (const std::string& name : meshRegistry().names()) {
        const Ref<Mesh> mesh = meshRegistry().find(name);
        if (mesh->vertexBuffer())
            profiler.labelObject(GL_BUFFER, mesh->vertexBuffer()->glName(), name + " vertices");
        if (mesh->indexBuffer())
            profiler.labelObject(GL_BUFFER, mesh->indexBuffer()->glName(), name + " indices");
    }
}
} // namespace

DemoApplication::DemoApplication() = default;

DemoApplication::~DemoApplication() {
    edit = nullptr;
    capture = nullptr;
    if (device)
        device->setProfiler(nullptr);
    profiler = nullptr;
    loadingScreen = nullptr;
    device = nullptr;
    song = nullptr;
    soundDevice = nullptr;
}

bool DemoApplication::load() {
    loadingScreen = makeRef<LoadingScreen>();
    {
        LoadPhaseScope phase(LoadPhases::LoadingScreen);
        if (!loadingScreen->load())
            return false;
    }

    device = makeRef<Device>();
    device->resetState();

    GLfloat maximum = 0;
    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &maximum);
    gl::clearErrors(); // a driver without anisotropic filtering reports an invalid enum
    maximumAnisotropy = maximum;
    requestedAnisotropy = static_cast<float>(settings.anisotropy);
    // A software rasteriser filters anisotropically hundreds of times slower than plainly (a
    // frame of ground seen at a grazing angle takes seconds), so there the command line must ask
    // for it explicitly.
    if (!options.anisotropy && Device::rendererIsSoftware() && requestedAnisotropy > 1.0f)
        requestedAnisotropy = 1.0f;
    if (requestedAnisotropy > maximumAnisotropy)
        requestedAnisotropy = maximumAnisotropy;

    // Loading presents frames without waiting for the display (the screen paces itself by the
    // refresh period instead); the first frame of the demo swaps with the configured interval.
    const int swapInterval = settings.vsync ? 1 : 0;
    if (swapInterval != 0)
        setSwapInterval(0);
    loadingScreen->device = device;
    loadingScreen->application = this;
    for (int i = 0; i < fadeFrames; ++i, ++fadeDraws)
        loadingScreen->draw(device, static_cast<float>(i) * fadeStep);
    // The picture stands fully faded in while the first, slow items load.
    loadingScreen->finish(device, 1.0f);

    soundDevice = makeRef<SoundDevice>();
    {
        LoadPhaseScope phase(LoadPhases::Sound);
        if (!soundDevice->initialize(options.noSound))
            return false;
    }

    if (!loadDemoDescription("data/demo.xml", *this))
        return false;
    {
        LoadPhaseScope phase(LoadPhases::Production);
        if (!onDemoLoaded() || !createParts(loadingScreen))
            return false;
    }
    {
        LoadPhaseScope phase(LoadPhases::Scenes);
        if (!Timeline::global().loadAll(loadingScreen))
            return false;
    }

    device->resetState();
    // The bar reaches its end when loading does, whatever the pacing skipped.
    loadingScreen->finish(device, 1.0f);
    for (int i = 0; i < fadeFrames; ++i, ++fadeDraws)
        loadingScreen->draw(device, 1.0f - static_cast<float>(i) * fadeStep);
    loadingScreen->unload();
    loadingScreen = nullptr;
    if (swapInterval != 0)
        setSwapInterval(swapInterval);

    // Like a capture that cannot be made: one line (from writeJson), exit status 1, no frame.
    if (options.profiling() && !startProfiling()) {
        exitStatus = 1;
        halted = true;
        return true;
    }

    lastCounter = static_cast<int64_t>(SDL_GetPerformanceCounter());
    counterFrequency = static_cast<int64_t>(SDL_GetPerformanceFrequency());
    frameSeconds = 0;

    if (options.capturing()) {
        // The song is not played: the capture takes its times from the frames it draws.
        capture = createCaptureJob(*this);
        return true;
    }
    if (options.fromBeat) {
        std::string error;
        if (!CaptureJob::checkBeat("--from", *options.fromBeat, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            exitStatus = 1;
            halted = true;
            return true;
        }
        // Before the music starts, so the catch-up does not eat into the first frames' time.
        LoadPhaseScope phase(LoadPhases::Preroll);
        if (song)
            prerollTimeline(Timeline::global(), *options.fromBeat, song->bpm);
    }
    if (song) {
        startSong(soundDevice.get(), *song, songStart, songStop, looping);
        if (options.fromBeat)
            seekSong(*song, static_cast<float>(*options.fromBeat));
    }
    if (options.editing()) {
        edit = makeRef<EditSession>(*this);
        if (!edit->open()) {
            edit = nullptr;
            exitStatus = 1;
            halted = true;
        }
    }
    return true;
}

void DemoApplication::unload() {
    edit = nullptr;
    if (capture && !capture->finish())
        exitStatus = 1;
    capture = nullptr;
    finishProfiling();
    Timeline::global().unloadAll();
    textureRegistry().clear();
    framebufferRegistry().clear();
    programRegistry().clear();
    meshRegistry().clear();
    song = nullptr;
    soundDevice = nullptr;
    device = nullptr;
    loadingScreen = nullptr;
}

void DemoApplication::frame() {
    if (halted || capture) {
        if (halted || !capture->next())
            requestQuit();
        return;
    }
    int64_t counter = static_cast<int64_t>(SDL_GetPerformanceCounter());
    frameSeconds = counterFrequency > 0
                       ? static_cast<double>(counter - lastCounter) / static_cast<double>(counterFrequency)
                       : 0.0;
    lastCounter = counter;
    if (edit) {
        edit->frame();
        return;
    }

    // The beat follows what is audible: the mixed position less the output latency.
    float beat = song ? songTime(*song) : 0.0f;
    float step = simulationStep(frameSeconds, stepCarry);
    renderFrame(beat, step);
}

void DemoApplication::renderFrame(float beat, float step) {
    bool active = drawFrame(beat, step);
    swapBuffers();
    if (soundDevice)
        soundDevice->update();
    if (!active)
        requestQuit();
}

bool DemoApplication::drawFrame(float beat, float step) {
    device->resetState();
    // A part may leave its own framebuffer bound; the frame starts on the back buffer.
    device->bindDefaultFramebuffer(clientWidth, clientHeight);
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    glClearStencil(0);
    device->checkState();
    if (profiler)
        profiler->beginFrame(beat);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    const bool active = Timeline::global().frame(device, beat, step);
    if (profiler)
        profiler->endFrame();
    return active;
}

bool DemoApplication::startProfiling() {
    profiler = makeRef<FrameProfiler>();
    if (!options.profileJsonPath.empty() && !profiler->writeJson(options.profileJsonPath)) {
        profiler = nullptr;
        return false;
    }
    labelRegisteredObjects(*profiler);
    device->setProfiler(profiler.get());
    return true;
}

void DemoApplication::finishProfiling() {
    if (!profiler)
        return;
    profiler->collect(true);
    if (options.profile)
        profiler->printTable(stderr);
    profiler->closeJson();
    if (device)
        device->setProfiler(nullptr);
    profiler = nullptr;
}

bool DemoApplication::restartParts() {
    // The device still holds the last frame's bindings; parts delete their GL objects as they
    // unload (and GL unbinds what it deletes), so the device lets go of everything first.
    if (device)
        device->resetState();
    Timeline::global().unloadAll();
    Ref<LoadingScreen> none;
    return createParts(none) && Timeline::global().loadAll(none);
}

namespace {
// Whether any stage of `program` was made from one of `files`.
bool builtFrom(const Program& program, const std::vector<std::string>& files) {
    for (int stage = 0; stage <= Program::kCompute; ++stage)
        if (const Ref<Shader>& shader = program.stage(stage))
            for (const std::string& source : shader->sourceFiles())
                if (std::find(files.begin(), files.end(), source) != files.end())
                    return true;
    return false;
}
} // namespace

bool DemoApplication::reload(ReloadScope scope, const std::vector<std::string>& changedFiles) {
    // Parts delete their GL objects as they unload (and GL unbinds what it deletes), so the device
    // lets go of everything first, before and after.
    if (device)
        device->resetState();
    std::list<TimelineEntry> playing = Timeline::global().take();
    if (scope == ReloadPrograms) {
        bool any = false;
        for (const std::string& name : programRegistry().names())
            any = any || builtFrom(*programRegistry().find(name), changedFiles);
        // A file that no program was made from (a stage file new to the tree): everything.
        if (!any)
            scope = ReloadAllButSong;
    }
    const bool description = scope == ReloadAllButSong || scope == ReloadEverything;
    Registry<Texture> textures;
    Registry<Framebuffer> framebuffers;
    Registry<Program> programs;
    Registry<Mesh> meshes;
    const Ref<Song> playingSong = song;
    const float playingStart = songStart, playingStop = songStop;
    const bool playingLooping = looping;
    if (description) {
        textures.swap(textureRegistry());
        framebuffers.swap(framebufferRegistry());
        programs.swap(programRegistry());
        meshes.swap(meshRegistry());
    }
    if (scope == ReloadPrograms) {
        // The programs that none of the files went into stay as they are.
        programs.swap(programRegistry());
        for (const std::string& name : programs.names()) {
            const Ref<Program> program = programs.find(name);
            if (!builtFrom(*program, changedFiles))
                programRegistry().insert(name, program);
        }
    }
    Ref<LoadingScreen> none;
    bool loaded = true;
    if (scope == ReloadPrograms)
        loaded = loadDemoDescription("data/demo.xml", *this, DescriptionLoad::MissingPrograms);
    else if (description)
        loaded = loadDemoDescription("data/demo.xml", *this,
                                     scope == ReloadAllButSong ? DescriptionLoad::KeepSong
                                                               : DescriptionLoad::Everything) &&
                 onDemoLoaded();
    loaded = loaded && createParts(none) && Timeline::global().loadAll(none);
    if (device)
        device->resetState();
    if (!loaded) {
        Timeline::global().unloadAll();
        if (scope == ReloadPrograms)
            programs.swap(programRegistry());
        if (description) {
            // The new objects go with the locals; the old ones return.
            textures.swap(textureRegistry());
            framebuffers.swap(framebufferRegistry());
            programs.swap(programRegistry());
            meshes.swap(meshRegistry());
            song = playingSong;
            songStart = playingStart;
            songStop = playingStop;
            looping = playingLooping;
        }
        Timeline::global().restore(std::move(playing));
        return false;
    }
    for (TimelineEntry& entry : playing)
        if (entry.part)
            entry.part->unload();
    if (playingSong && song != playingSong && playingSong->stream)
        playingSong->stream->pause();
    if (device)
        device->resetState();
    return true;
}

void DemoApplication::onKeyDown(int key, int) {
    if (edit)
        edit->onKeyDown(key);
}

void DemoApplication::onKeyUp(int key, int) {
    if (key == 27)
        requestQuit();
    else if (edit)
        edit->onKeyUp(key);
}

void DemoApplication::onResize(int width, int height) {
    clientWidth = width;
    clientHeight = height;
}
