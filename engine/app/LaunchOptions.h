#pragma once

#include "app/ApplicationSettings.h"

#include <optional>
#include <string>
#include <vector>

// The player's command line. With no options the program behaves exactly as without a command
// line; every option only overrides a starting value.
struct LaunchOptions {
    std::string root;                 // demo root holding data/ (empty: the executable's folder)
    std::optional<int> width, height; // --size WxH
    std::optional<bool> fullscreen;   // --fullscreen / --windowed
    std::optional<bool> vsync;        // --vsync / --no-vsync
    std::optional<int> anisotropy;    // --anisotropy N (1, 2, 4, 8 or 16; 1 is off)
    bool noDialog = false;            // skip the settings dialog
    bool noSound = false;             // play silently in real time when there is no audio device
    bool noMessageBox = false;        // report the three messages on standard error only
    long frames = -1;                 // end after this many frames (-1: no limit)
    long captureFrame = -1;           // --capture N:FILE.png: save frame N (from 0) as it is presented
    std::string capturePath;
    bool stats = false;          // print start-up time and frame rate at the end
    bool checkState = false;     // --check-state: the device's checking mode
    bool noStateCache = false;   // --no-state-cache: the device's caches off
    bool profile = false;        // --profile: the pass table at the end
    std::string profileJsonPath; // --profile-json FILE: one record per frame (profiles too)
    bool profiling() const { return profile || !profileJsonPath.empty(); }
    bool edit = false;       // --edit: authoring play (transport keys, reload on save)
    std::string controlPath; // --control PATH: commands from a local socket
    std::string sourcesPath; // --sources DIR (with --edit): the source tree behind the played one
    bool overlay = false;    // --overlay: start authoring play with the overlay shown
    bool editing() const { return edit || !controlPath.empty(); }
    bool help = false;
    bool version = false; // --version: print the version and the commit

    // Capture: start at a beat, or render frames, a video or stills instead of playing.
    std::optional<double> fromBeat; // --from BEAT (live play and --render)
    std::optional<double> toBeat;   // --to BEAT (--render; default: the end of the timeline)
    long fps = 60;                  // --fps F (--render)
    bool fpsGiven = false;
    std::string renderPath;         // --render OUT: a folder for PNG frames or a video file
    bool shareVideo = false;        // --share: encode the .mp4 for video sites
    std::vector<double> stillBeats; // --stills B1,B2,...
    std::string stillsFolder;       // --out DIR
    std::string sheetPath;          // --sheet FILE.png
    bool capturing() const { return !renderPath.empty() || !stillBeats.empty(); }
    // Checks the capture options against each other (not against the demo's timeline); on a
    // mistake answers false and sets `error` to one line.
    bool checkCapture(std::string& error) const;

    // Parses argv; on a bad option answers false and sets `error`.
    [[nodiscard]] bool parse(int argc, const char* const* argv, std::string& error);
    // Applies the overrides to settings that hold the production's defaults.
    void applyTo(ApplicationSettings& settings) const;

    static const char* usage();
};
