#pragma once

#include "app/Application.h"
#include "app/LaunchOptions.h"
#include "app/MemoryReuse.h"
#include "app/SoftwareRenderer.h"
#include "core/Paths.h"
#include "core/Version.h"
#include "render/Device.h"

#include <SDL.h>
#include <cstdio>
#include <memory>

// The program entry of a production: parses the command line, points the demo root at the
// program's data (or --root), runs the application and ends with exit code 0 whatever happened
// in play. A command line that cannot be read ends with 2 before anything starts; a capture (or a
// start beat) that cannot be made ends with 1; a run with --check-state whose device found GL state
// differing from its caches ends with 3.
template <class App> int playerMain(int argc, char** argv) {
    restartWithLargePages(argv);
    keepFreedMemoryForReuse();
    tuneSoftwareRenderer();
    LaunchOptions options;
    std::string error;
    if (!options.parse(argc, argv, error)) {
        std::fprintf(stderr, "%s: %s\n%s", argc > 0 ? argv[0] : "player", error.c_str(),
                     LaunchOptions::usage());
        return 2;
    }
    if (options.version) {
        const std::string path = argc > 0 ? argv[0] : "player";
        return printVersion(path.substr(path.find_last_of('/') + 1).c_str());
    }
    if (options.help) {
        std::printf("usage: %s [options]\n%s", argc > 0 ? argv[0] : "player", LaunchOptions::usage());
        return 0;
    }
    if (!options.checkCapture(error)) {
        std::fprintf(stderr, "%s: %s\n", argc > 0 ? argv[0] : "player", error.c_str());
        return 1;
    }
    if (options.capturing()) {
        // Nothing is played or shown: no dialog, no sound device, a window of exactly the size.
        options.noDialog = true;
        options.noSound = true;
        options.fullscreen = false;
        options.vsync = false;
    }
    setDemoRoot(options.root.empty() ? defaultDemoRoot() : options.root);
    Device::setDefaultStateChecking(options.checkState);
    Device::setDefaultCachesEnabled(!options.noStateCache);
    int status = 0;
    {
        std::unique_ptr<Application> app(new App());
        app->options = options;
        options.applyTo(app->settings);
        app->run();
        status = app->exitStatus;
    }
    if (status == 0 && Device::stateDifferencesReported() > 0)
        status = 3;
    SDL_Quit();
    return status;
}
