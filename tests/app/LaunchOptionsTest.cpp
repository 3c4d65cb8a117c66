#include "app/LaunchOptions.h"
#include "app/KeyCodes.h"
#include "app/SimulationStep.h"
#include "core/Paths.h"
#include "core/Version.h"
#include "support/TempDir.h"

#include <SDL.h>
#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <vector>

namespace {

bool parse(std::vector<const char*> args, LaunchOptions& out, std::string& error) {
    args.insert(args.begin(), "vorndle");
    return out.parse(static_cast<int>(args.size()), args.data(), error);
}

TEST(LaunchOptionsTest, NoOptionsChangeNothing) {
    LaunchOptions o;
    std::string error;
    ASSERT_TRUE(parse({}, o, error));
    ApplicationSettings s;
    s.width = 800;
    s.fullscreen = true;
    o.applyTo(s);
    EXPECT_EQ(s.width, 800);
    EXPECT_TRUE(s.fullscreen);
    EXPECT_FALSE(o.noSound);
    EXPECT_EQ(o.frames, -1);
    EXPECT_FALSE(o.profiling()) << "profiling is off unless asked for";
}

TEST(LaunchOptionsTest, OverridesApplyToTheDefaults) {
    LaunchOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--size", "320x180", "--windowed", "--no-vsync", "--no-sound", "--frames", "12",
                       "--root", "/tmp/demo", "--no-dialog", "--no-message-box", "--anisotropy", "4",
                       "--profile-json", "frames.json"},
                      o, error))
        << error;
    ApplicationSettings s;
    s.fullscreen = true;
    s.vsync = true;
    o.applyTo(s);
    EXPECT_EQ(s.width, 320);
    EXPECT_EQ(s.height, 180);
    EXPECT_FLOAT_EQ(s.aspect, 320.0f / 180);
    EXPECT_FALSE(s.fullscreen);
    EXPECT_FALSE(s.vsync);
    EXPECT_EQ(s.anisotropy, 4);
    EXPECT_TRUE(o.noSound);
    EXPECT_TRUE(o.noDialog);
    EXPECT_TRUE(o.noMessageBox);
    EXPECT_EQ(o.frames, 12);
    EXPECT_EQ(o.root, "/tmp/demo");
    EXPECT_EQ(o.profileJsonPath, "frames.json");
    EXPECT_TRUE(o.profiling()) << "a JSON profile needs the profiler";
    EXPECT_FALSE(o.profile) << "the table only with --profile";
}

TEST(LaunchOptionsTest, BadOptionsAreRefusedWithAReason) {
    for (std::vector<const char*> bad : std::vector<std::vector<const char*>>{{"--size", "320"},
                                                                              {"--size", "0x10"},
                                                                              {"--size", "10x-5"},
                                                                              {"--frames", "0"},
                                                                              {"--frames", "ten"},
                                                                              {"--frames"},
                                                                              {"--bogus"},
                                                                              {"--anisotropy", "3"},
                                                                              {"--anisotropy", "32"},
                                                                              {"--anisotropy", "0"},
                                                                              {"--root"},
                                                                              {"--profile-json"}}) {
        LaunchOptions o;
        std::string error;
        EXPECT_FALSE(parse(bad, o, error)) << bad[0];
        EXPECT_FALSE(error.empty());
    }
}

// The options no other test reaches each land in their own setting, and the last of a pair wins.
TEST(LaunchOptionsTest, EachOptionSetsItsOwnSetting) {
    LaunchOptions o;
    std::string error;
    ASSERT_TRUE(parse({"-h", "--windowed", "--fullscreen", "--no-vsync", "--vsync", "--stats",
                       "--check-state", "--no-state-cache", "--profile", "--edit", "--overlay", "--sources",
                       "src", "--control", "sock", "--capture", "0:first.png"},
                      o, error))
        << error;
    EXPECT_TRUE(o.help);
    EXPECT_FALSE(o.version);
    EXPECT_EQ(o.fullscreen, true);
    EXPECT_EQ(o.vsync, true);
    EXPECT_TRUE(o.stats && o.checkState && o.noStateCache && o.profile && o.edit && o.overlay);
    EXPECT_FALSE(o.noDialog || o.noSound || o.noMessageBox || o.shareVideo);
    EXPECT_EQ(o.sourcesPath, "src");
    EXPECT_EQ(o.controlPath, "sock");
    EXPECT_EQ(o.captureFrame, 0) << "frame 0 is the first, not a missing count";
    EXPECT_EQ(o.capturePath, "first.png");

    for (const char* name : {"--sources", "--control", "--render", "--out", "--sheet"}) {
        LaunchOptions empty;
        EXPECT_FALSE(parse({name, ""}, empty, error)) << name;
        EXPECT_EQ(error.rfind(std::string(name) + " wants a", 0), 0u) << error;
    }
    EXPECT_FALSE(parse({"--capture", "-1:a.png"}, o, error));
    EXPECT_EQ(error, "--capture wants FRAME:FILE.png, got \"-1:a.png\"");
}

TEST(PathsTest, DataPathsResolveAgainstTheRoot) {
    setDemoRoot("/opt/demo/");
    EXPECT_EQ(resolveDataPath("data/demo.xml"), "/opt/demo/data/demo.xml");
    EXPECT_EQ(resolveDataPath("/abs/file"), "/abs/file");
    setDemoRoot("");
    EXPECT_EQ(resolveDataPath("data/demo.xml"), "data/demo.xml");
    EXPECT_FALSE(executableDirectory().empty());
}

// A build tree or an unpacked archive keeps data/ beside the program; an installed program in
// PREFIX/games/NAME finds it in PREFIX/share/games/NAME; the program's own data wins.
TEST(PathsTest, TheDemoRootIsBesideTheProgramOrInstalled) {
    TempDir dir;
    const std::string prefix = dir.path();
    for (const char* folder :
         {"/games", "/share", "/share/games", "/share/games/demo", "/share/games/demo/data"})
        ASSERT_EQ(mkdir((prefix + folder).c_str(), 0755), 0) << folder;
    EXPECT_EQ(demoRootFor(prefix + "/games/demo"), prefix + "/share/games/demo");
    EXPECT_EQ(demoRootFor(prefix + "/games/other"), prefix + "/games") << "no data anywhere: beside it";
    ASSERT_EQ(mkdir((prefix + "/games/data").c_str(), 0755), 0);
    EXPECT_EQ(demoRootFor(prefix + "/games/demo"), prefix + "/games");
    EXPECT_EQ(demoRootFor("/demo"), "/");
    EXPECT_EQ(demoRootFor("demo"), ".");
}

TEST(LaunchOptionsTest, VersionNamesTheProjectAndTheCommit) {
    LaunchOptions o;
    std::string error;
    ASSERT_TRUE(parse({"--no-dialog", "--version"}, o, error)) << error;
    EXPECT_TRUE(o.version);
    const std::string version = projectVersion();
    EXPECT_EQ(std::count(version.begin(), version.end(), '.'), 2) << version;
    EXPECT_FALSE(std::string(buildCommit()).empty());
    const char* alone[] = {"tool", "--version"};
    const char* withValue[] = {"meshtool", "--version", "0x0101"};
    EXPECT_TRUE(versionRequested(2, alone));
    EXPECT_FALSE(versionRequested(3, withValue)) << "a tool's own --version VALUE stays its own";
}

TEST(SimulationStepTest, StepsAreWholeSixtiethsWithACarry) {
    float carry = 0;
    EXPECT_FLOAT_EQ(simulationStep(0.001, carry), 1.0f / 60);
    EXPECT_NEAR(carry, -0.0157f, 1e-4f);

    carry = 0;
    EXPECT_FLOAT_EQ(simulationStep(1.0 / 60, carry), 2.0f / 60) << "exactly one sixtieth gives two";

    // Steady short frames keep the step at 1/60 while the carry keeps falling.
    carry = 0;
    float previous = 0;
    for (int i = 0; i < 100; ++i) {
        EXPECT_FLOAT_EQ(simulationStep(0.005, carry), 1.0f / 60);
        EXPECT_LT(carry, previous);
        previous = carry;
    }

    // A long frame is paid out in whole sixtieths.
    carry = 0;
    EXPECT_FLOAT_EQ(simulationStep(0.1, carry), 7.0f / 60);
    EXPECT_NEAR(carry, 0.1f - 7.0f / 60, 1e-6f);

    carry = 0;
    EXPECT_GT(simulationStep(1e12, carry), 0) << "absurd frame times stay finite";
}

TEST(TranslateKeyTest, SpecialKeysAndCharacters) {
    EXPECT_EQ(translateKey(SDLK_ESCAPE, 0), 27);
    EXPECT_EQ(translateKey(SDLK_DELETE, 0), 127);
    EXPECT_EQ(translateKey(SDLK_UP, 0), 273);
    EXPECT_EQ(translateKey(SDLK_DOWN, 0), 274);
    EXPECT_EQ(translateKey(SDLK_RIGHT, 0), 275);
    EXPECT_EQ(translateKey(SDLK_LEFT, 0), 276);
    EXPECT_EQ(translateKey(SDLK_INSERT, 0), 277);
    EXPECT_EQ(translateKey(SDLK_HOME, 0), 278);
    EXPECT_EQ(translateKey(SDLK_END, 0), 279);
    EXPECT_EQ(translateKey(SDLK_PAGEUP, 0), 280);
    EXPECT_EQ(translateKey(SDLK_PAGEDOWN, 0), 281);
    EXPECT_EQ(translateKey(SDLK_F1, 0), 282);
    EXPECT_EQ(translateKey(SDLK_F12, 0), 293);
    EXPECT_EQ(translateKey(SDLK_RSHIFT, 0), 303);
    EXPECT_EQ(translateKey(SDLK_LSHIFT, 0), 304);
    EXPECT_EQ(translateKey(SDLK_RCTRL, 0), 305);
    EXPECT_EQ(translateKey(SDLK_LCTRL, 0), 306);
    EXPECT_EQ(translateKey(SDLK_a, 0), 'a');
    EXPECT_EQ(translateKey(SDLK_a, KMOD_LSHIFT), 'A');
    EXPECT_EQ(translateKey(SDLK_a, KMOD_CAPS), 'A');
    EXPECT_EQ(translateKey(SDLK_a, KMOD_CAPS | KMOD_RSHIFT), 'a');
    EXPECT_EQ(translateKey(SDLK_SPACE, 0), ' ');
    EXPECT_EQ(translateKey(SDLK_RETURN, 0), 13);
    EXPECT_EQ(translateKey(SDLK_LALT, 0), 0);
    EXPECT_EQ(translateKey(SDLK_VOLUMEUP, 0), 0);
}

} // namespace
