#pragma once

#include <chrono>
#include <cstdio>

// Where the time from launch to the first frame goes. The loaders of each phase open a scope; a
// phase opened inside another stops the outer one's clock until it ends, so every second is
// charged to exactly one phase and the table adds up to the whole start-up. Only the thread that
// loads (the GL thread) records; the record is process-wide because the loaders know no
// application.
class LoadPhases {
public:
    enum Phase {
        Window,        // window, GL context, extension loading
        LoadingScreen, // its picture and program, and every frame it presents
        Sound,         // the audio output
        Song,          // opening and decoding the song
        Targets,       // render targets and framebuffers of the description
        Programs,      // compiling and linking the description's programs
        Textures,      // image textures: decoding, uploading, mipmaps
        Meshes,        // meshes and their buffers
        Production,    // the production's own textures and parts
        Scenes,        // the parts' scene files, their programs and resources
        StateFiles,    // the parts' state files
        Preroll,       // catching the simulation up to a start beat
        FirstFrame,    // drawing and presenting the first frame
        Other,         // whatever lies between the phases above
        Count
    };

    using Clock = std::chrono::steady_clock;

    static LoadPhases& global();

    // Starts the record at the given moment (launch); forgets an earlier one.
    void start(Clock::time_point launch);
    void begin(Phase phase);
    void end();
    // Stops recording: later scopes are ignored (frames load nothing, but a restart might).
    void finish();
    bool recording() const { return recording_; }

    double seconds(Phase phase) const { return seconds_[phase]; }
    // Frames the loading screen presented (while recording).
    void countPresentedFrame() { presentedFrames_ += recording_ ? 1 : 0; }
    int presentedFrames() const { return presentedFrames_; }
    double totalSeconds() const;
    static const char* name(Phase phase);
    // The table, one phase a line, in milliseconds.
    void print(std::FILE* out) const;

private:
    void charge(Clock::time_point now);

    static constexpr int kDepth = 8;
    double seconds_[Count] = {};
    Phase stack_[kDepth] = {};
    int depth_ = 0;
    int overflow_ = 0; // scopes deeper than the stack, ignored
    int presentedFrames_ = 0;
    Clock::time_point since_{};
    bool recording_ = false;
};

// Charges the time until the end of the enclosing block to a phase.
class LoadPhaseScope {
public:
    explicit LoadPhaseScope(LoadPhases::Phase phase) { LoadPhases::global().begin(phase); }
    ~LoadPhaseScope() { LoadPhases::global().end(); }
    LoadPhaseScope(const LoadPhaseScope&) = delete;
    LoadPhaseScope& operator=(const LoadPhaseScope&) = delete;
};
