#pragma once

#include "app/Application.h"
#include "app/LaunchOptions.h"
#include "core/Paths.h"

#include <SDL.h>
#include <cstdio>
#include <memory>

// The program entry of a production: parses the command line, points the demo root at the
// program's folder (or --root), runs the application and ends with exit code 0 whatever happened.
// A command line that cannot be read ends with 2 before anything starts.
template <class App> int playerMain(int argc, char** argv) {
    LaunchOptions options;
    std::string error;
    if (!options.parse(argc, argv, error)) {
        std::fprintf(stderr, "%s: %s\n%s", argc > 0 ? argv[0] : "player", error.c_str(),
                     LaunchOptions::usage());
        return 2;
    }
    if (options.help) {
        std::printf("usage: %s [options]\n%s", argc > 0 ? argv[0] : "player", LaunchOptions::usage());
        return 0;
    }
    setDemoRoot(options.root.empty() ? executableDirectory() : options.root);
    {
        std::unique_ptr<Application> app(new App());
        app->options = options;
        options.applyTo(app->settings);
        app->run();
    }
    SDL_Quit();
    return 0;
}
