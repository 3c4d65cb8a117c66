#pragma once

#include "app/DemoApplication.h"
#include "app/SetupDialog.h"

#include <array>
#include <cstdint>
#include <string>

class Texture;

// The production: three scene parts over 264 beats, a colour-grading gradient and a table of random
// unit vectors for the scenes' shaders, and the settings dialog before the window opens.
class Vorndle : public DemoApplication {
public:
    static constexpr int kGradientEntries = 256;
    static constexpr int kRandomNormals = 1024;

    struct PartEntry {
        const char* name;
        const char* sceneFile;
        float start;
        float end;
    };
    static const PartEntry kParts[3];

    // The production's defaults, the command line's overrides, then the dialog (unless the command
    // line skips it). False when the user cancels or no dialog can be shown.
    bool setup() override;
    bool onDemoLoaded() override;
    [[nodiscard]] bool createParts(Ref<LoadingScreen>& loadingScreen) override;

    // Runs once the settings dialog is shown (tests drive the dialog through it).
    SetupDialogShownHook dialogHook;

    // The defaults every run starts from.
    static ApplicationSettings defaultSettings();
    // The 768-byte gradient table of `path`: entries beyond a short file stay zero; a file that
    // cannot be read gives the grey ramp (entry i = i, i, i).
    static std::array<uint8_t, 3 * kGradientEntries> readGradient(const std::string& path);
    // The 1D texture of a gradient table.
    [[nodiscard]] static Ref<Texture> createGradientTexture(const uint8_t* table);
    // kRandomNormals unit vectors from the seeded generator, three floats each; the same on every run.
    static void randomNormals(float* xyz);
    [[nodiscard]] static Ref<Texture> createRandomNormalsTexture();
};
