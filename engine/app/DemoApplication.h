#pragma once

#include "app/ApplicationAdapter.h"
#include "core/Object.h"

#include <cstdint>
#include <string>
#include <vector>

class CaptureJob;
class Device;
class EditSession;
class FrameProfiler;
class LoadingScreen;
class Song;
class SoundDevice;

// Loads a demo (loading screen, device, audio, the demo description, the production's parts) and
// plays it: every frame turns the song position into a beat and renders the parts active at it.
class DemoApplication : public ApplicationAdapter {
public:
    DemoApplication();
    ~DemoApplication() override;

    bool setup() override { return true; }
    [[nodiscard]] bool load() override;
    void unload() override;
    void frame() override;

    void onMouseMove(int, int) override {}
    void onMouseDown(int, int, int) override {}
    void onMouseUp(int, int, int) override {}
    // With --edit the keys drive the transport.
    void onKeyDown(int key, int flags) override;
    // Releasing Escape ends the demo.
    void onKeyUp(int key, int flags) override;
    void onFocusGained() override {}
    void onFocusLost() override {}
    void onResize(int width, int height) override;

    // Called after the demo description has loaded; false aborts loading.
    virtual bool onDemoLoaded() { return true; }
    // Registers the production's parts on the timeline; false aborts loading.
    [[nodiscard]] virtual bool createParts(Ref<LoadingScreen>& loadingScreen) = 0;

    // Steps 4 to 9 of a frame for a given beat and step: reset, clear, timeline, present, audio
    // update, and a quit request when no part was active.
    void renderFrame(float beat, float step);
    // Steps 4 to 6 only: draws the frame into the back buffer without presenting it; answers
    // whether a part was active.
    bool drawFrame(float beat, float step);
    // Replaces the parts by freshly made ones (a simulation from scratch): unloads them, calls
    // createParts again (with no loading screen) and loads the new ones.
    bool restartParts();
    // Loads again beside what is loaded, and replaces it only when everything loaded: the parts
    // alone; the programs built from any of `changedFiles` (paths as the shader loader names
    // them) and the parts; everything the demo description names but the playing song; or
    // everything. When anything fails, what was there stays exactly as it was and the new objects
    // are released.
    enum ReloadScope { ReloadParts, ReloadPrograms, ReloadAllButSong, ReloadEverything };
    [[nodiscard]] bool reload(ReloadScope scope, const std::vector<std::string>& changedFiles = {});
    // --profile / --profile-json: a profiler on the device from the first frame, the registered
    // GL objects labelled with their names; false when the JSON file cannot be written.
    [[nodiscard]] bool startProfiling();
    // Reads the last frames' results, prints the table (--profile) and takes the profiler away.
    void finishProfiling();

    Ref<SoundDevice> soundDevice;
    Ref<Song> song;
    float songStart = 0;
    float songStop = 0;
    bool looping = false;
    Ref<Device> device;
    // Null unless the command line asks for a profile.
    Ref<FrameProfiler> profiler;
    int64_t lastCounter = 0;
    int64_t counterFrequency = 0;
    double frameSeconds = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    float requestedAnisotropy = 0;
    float maximumAnisotropy = 0;
    Ref<LoadingScreen> loadingScreen;

    // What the simulation steps handed out so far differ from the real frame times.
    float stepCarry = 0;
    // Frames the loading screen drew outside the parts' own progress (fades), for tests.
    int fadeDraws = 0;

    // Authoring play (--edit, --control); null otherwise.
    Ref<EditSession> edit;
    // What the command line asks for instead of live play (a render, stills); null for play.
    Ref<CaptureJob> capture;
    // A start the command line asked for cannot be made: the demo ends before its first frame.
    bool halted = false;
};
