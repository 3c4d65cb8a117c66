#pragma once

#include <string>

// What the window, the context and the loading use; filled by the production's defaults, the
// command line and the settings dialog.
struct ApplicationSettings {
    std::string title;
    int width = 1024;
    int height = 768;
    int colorBits = 32;
    int depthBits = 24;
    int stencilBits = 8;
    int samples = 1;
    bool fullscreen = false;
    bool vsync = false;
    bool showCursor = false;
    bool alwaysOnTop = true;
    int contextVersion = 0; // 0 = 3.3, 1 = 4.0, 2 = 4.1, 3 = 4.2, 4 = 4.3
    bool srgb = false;
    int anisotropy = 0;
    float screenAspect = 1.3333334f;
    float aspect = 1.3333334f;
};
