// The demo description and the loading sequence in-process, on a copy of the example's data.
#include "support/DemoTree.h"

#include "app/DemoApplication.h"
#include "app/DemoDescription.h"
#include "app/Song.h"
#include "app/SoundDevice.h"
#include "assets/Mesh.h"
#include "core/Paths.h"
#include "demo/LoadingScreen.h"
#include "demo/Registries.h"
#include "demo/Timeline.h"
#include "render/Device.h"
#include "render/Program.h"
#include "render/Sampler.h"
#include "render/Texture.h"
#include "render/Texture2D.h"
#include "support/GlTest.h"

#include <GL/glew.h>
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

class CountingPart : public Part {
public:
    bool load(Ref<LoadingScreen>& screen) override {
        if (screen)
            screen->advance();
        return true;
    }
    void unload() override {}
    void update(float, float) override { ++updates; }
    void render(Ref<Device>&, float, float) override { ++renders; }
    int updates = 0, renders = 0;
};

class TestDemo : public DemoApplication {
public:
    TestDemo() {
        settings.width = 1280;
        settings.height = 720;
        options.noSound = true;
        options.noMessageBox = true;
    }
    bool createParts(Ref<LoadingScreen>& screen) override {
        screenSeen = screen;
        part = makeRef<CountingPart>();
        Timeline::global().registerPart("counting", 0, 8, part);
        return true;
    }
    void swapBuffers() override {
        ++swaps;
        clock += tickOnSwap;
        if (loadingScreen)
            presents.push_back({clock, loadingScreen->progress, interval});
    }
    void requestQuit() override { ++quits; }
    // A clock that moves on by `tick` at every reading, as if each frame asked for took that long.
    double presentClock() const override { return clock += tick; }
    void waitUntil(double time) override { clock = std::max(clock, time); }
    void setSwapInterval(int value) override {
        interval = value;
        intervals.push_back(value);
    }

    struct Present {
        double time;
        float progress;
        int interval;
    };
    Ref<LoadingScreen> screenSeen;
    Ref<CountingPart> part;
    int swaps = 0, quits = 0;
    mutable double clock = 0;
    double tick = 0;
    double tickOnSwap = 0; // how long a present takes
    int interval = 1;
    std::vector<int> intervals;
    std::vector<Present> presents;
};

class DemoLoadTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        setDemoRoot(tree.root());
    }
    void TearDown() override {
        app.unload();
        setDemoRoot("");
        GlTest::TearDown();
    }
    // Loads only the description, with a sound device as the loading sequence has it by then.
    bool loadDescription() {
        app.soundDevice = makeRef<SoundDevice>();
        if (!app.soundDevice->initialize(true))
            return false;
        return loadDemoDescription("data/demo.xml", app);
    }
    template <class T> Ref<T> texture(const char* name) { return refCast<T>(textureRegistry().find(name)); }

    DemoTree tree;
    TestDemo app;
};

TEST_F(DemoLoadTest, LoadSequenceDrawsTheLoadingScreenAndFreesItsNames) {
    ASSERT_TRUE(app.load());
    EXPECT_EQ(app.fadeDraws, 64) << "32 frames fading in, 32 fading out";
    ASSERT_TRUE(app.screenSeen);
    // Items: 3 framebuffer objects, 2 programs, 2 textures, 1 mesh, 1 part.
    EXPECT_EQ(app.screenSeen->drawCount(), 64 + 9);
    EXPECT_NEAR(app.screenSeen->progress, 1.0f, 1e-5f) << "the shares add up to the whole bar";
    EXPECT_FALSE(app.loadingScreen) << "the loading screen is released after loading";
    EXPECT_FALSE(textureRegistry().find("loadingScreen"));
    EXPECT_FALSE(programRegistry().find("loading"));
    EXPECT_TRUE(app.song);
    EXPECT_TRUE(meshRegistry().find("ball"));
}

// With vertical sync the loading screen would wait for the display at every item it shows; it
// swaps without waiting instead, at most once a refresh, and the demo's frames get the sync back.
TEST_F(DemoLoadTest, LoadingFramesArePacedByTheRefreshWithoutWaitingForIt) {
    app.settings.vsync = true;
    app.tick = 0.002; // an eighth of a refresh per frame asked for
    ASSERT_TRUE(app.load());
    EXPECT_EQ(app.intervals, (std::vector<int>{0, 1})) << "off while loading, restored after";
    ASSERT_GE(app.presents.size(), 2u);
    EXPECT_LT(app.presents.size(), size_t(app.screenSeen->drawCount() / 4));
    EXPECT_EQ(size_t(app.screenSeen->presentCount()), app.presents.size());
    for (size_t i = 0; i < app.presents.size(); ++i) {
        EXPECT_EQ(app.presents[i].interval, 0) << "present " << i << " would wait for the display";
        if (i > 0) {
            EXPECT_GE(app.presents[i].time - app.presents[i - 1].time, app.refreshPeriod() - 1e-9)
                << "two presents within one refresh, at " << i;
        }
    }
    EXPECT_NEAR(app.presents.back().progress, 1.0f, 1e-5f) << "the bar ends full";

    // Without sync there is nothing to switch.
    app.unload();
    app.intervals.clear();
    app.settings.vsync = false;
    ASSERT_TRUE(app.load());
    EXPECT_TRUE(app.intervals.empty());
}

// A frame is presented only for a visible change, once a refresh; finish shows what was skipped.
TEST_F(DemoLoadTest, LoadingScreenPresentsOnlyVisibleChangesAndFinishShowsTheLast) {
    Ref<Device> device = makeRef<Device>();
    LoadingScreen screen;
    ASSERT_TRUE(screen.load());
    screen.application = &app;
    const double refresh = app.refreshPeriod();
    screen.draw(device, 0.0f);
    EXPECT_EQ(app.swaps, 1) << "the first frame shows at once, even faded out";
    screen.draw(device, 0.0f);
    screen.draw(device, 0.001f);
    EXPECT_EQ(app.swaps, 1) << "the same picture, and a fade below one 8-bit step";
    screen.progress = 0.5f;
    screen.draw(device, 0.0f);
    EXPECT_EQ(app.swaps, 1) << "a visible change within the refresh waits";
    app.clock += refresh;
    screen.draw(device, 0.0f);
    EXPECT_EQ(app.swaps, 2);
    app.clock += refresh;
    screen.progress += 0.1f / 1920.0f;
    screen.draw(device, 0.0f);
    screen.finish(device, 0.0f);
    EXPECT_EQ(app.swaps, 2) << "the bar moved less than a pixel";
    screen.progress = 1.0f;
    app.tick = refresh / 4;
    screen.draw(device, 0.0f);
    EXPECT_EQ(app.swaps, 3);
    const double before = app.clock;
    screen.finish(device, 1.0f);
    EXPECT_EQ(app.swaps, 4) << "finish presents the skipped picture";
    EXPECT_GE(app.clock - before, refresh - 1e-9) << "after the refresh has passed";

    // A present that takes a whole refresh holds the next off for five.
    screen.progress = 0.0f;
    app.tick = 0;
    app.clock += refresh;
    app.tickOnSwap = refresh;
    screen.draw(device, 1.0f);
    EXPECT_EQ(app.swaps, 5);
    app.tickOnSwap = 0;
    app.clock += 3 * refresh;
    screen.progress = 0.5f;
    screen.draw(device, 1.0f);
    EXPECT_EQ(app.swaps, 5);
    app.clock += refresh;
    screen.draw(device, 1.0f);
    EXPECT_EQ(app.swaps, 6);
    EXPECT_EQ(screen.drawCount(), 10);
    EXPECT_EQ(screen.presentCount(), 6);
    screen.unload();
}

TEST_F(DemoLoadTest, FramesRenderActivePartsAndNegativeBeatsOnlyClearAndPresent) {
    ASSERT_TRUE(app.load());
    app.swaps = 0; // the loading screen presented its frames
    app.renderFrame(-1.0f, 1.0f / 60);
    EXPECT_EQ(app.part->renders, 0);
    EXPECT_EQ(app.swaps, 1);
    EXPECT_EQ(app.quits, 0) << "a negative beat keeps the demo going";
    app.renderFrame(2.0f, 1.0f / 60);
    EXPECT_EQ(app.part->renders, 1);
    EXPECT_EQ(app.quits, 0);
    app.renderFrame(8.0f, 1.0f / 60);
    EXPECT_EQ(app.quits, 1) << "no active part ends the demo";
    EXPECT_EQ(app.swaps, 3);

    app.onKeyDown(27, 1);
    EXPECT_EQ(app.quits, 1) << "Escape held does nothing";
    app.onKeyUp(27, 1);
    EXPECT_EQ(app.quits, 2);
}

TEST_F(DemoLoadTest, UnloadIsSafeOnAPartlyLoadedApplication) {
    tree.remove("data/models/ball.rmsh");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(app.load());
    testing::internal::GetCapturedStderr();
    app.unload();
    app.unload();
    EXPECT_FALSE(programRegistry().find("scene"));
    EXPECT_FALSE(app.device);
}

TEST_F(DemoLoadTest, ScreenSizesAndTextureKinds) {
    tree.edit(
        "data/demo.xml", "<texture name=\"sceneColor\" width=\"screen\"",
        "<texture name=\"half\" width=\"screen/2\" height=\"100\" format=\"rg_8\"/>"
        "<texture name=\"volume\" width=\"8\" height=\"8\" depth=\"4\" format=\"r_8\"/>"
        "<texture name=\"layers\" width=\"8\" height=\"8\" depth=\"4\" array=\"true\" format=\"r_8\"/>"
        "<texture name=\"shadows\" width=\"8\" height=\"8\" depth=\"2\" array=\"true\" format=\"depth_24\">"
        "<sampler><depth mode=\"ref\"/></sampler></texture>"
        "<texture name=\"plainDepth\" width=\"8\" height=\"8\" format=\"depth_24\"/>"
        "<texture name=\"sceneColor\" width=\"screen\"");
    ASSERT_TRUE(loadDescription());
    EXPECT_TRUE(textureRegistry().find("shadows")->params().compare) << "a shadow map compares on lookup";
    EXPECT_FALSE(textureRegistry().find("plainDepth")->params().compare);
    Ref<Texture2D> half = texture<Texture2D>("half");
    ASSERT_TRUE(half);
    EXPECT_EQ(half->width(), 640);
    EXPECT_EQ(texture<Texture2D>("sceneColor")->width(), 1280);
    EXPECT_EQ(textureRegistry().find("volume")->type(), 6) << "depth without array: 3D";
    EXPECT_EQ(textureRegistry().find("layers")->type(), 3) << "depth with array: 2D array";
    EXPECT_EQ(app.song->bpm, 120);
}

// The lines of standard error, not counting those the debug GL check adds where assertions are on
// ("file:line: glName: GL error 0x...", naming the refused call for the developer).
long linesBesidesGlChecks(const std::string& err) {
    long lines = 0;
    size_t start = 0;
    for (size_t end; (end = err.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = err.substr(start, end - start);
#ifndef NDEBUG
        if (line.find(": GL error 0x") != std::string::npos)
            continue;
#endif
        ++lines;
    }
    return lines;
}

// Targets are made without pixels, so GL alone knows whether it can hold one: a size past its limits
// or storage it cannot allocate must fail the load, not leave a target with no storage behind.
TEST_F(DemoLoadTest, TargetsTheDriverCannotHoldFailTheLoad) {
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    const std::string tooWide = std::to_string(maxSize + 1);
    const struct {
        std::string element, expected;
    } cases[] = {
        {"<texture name=\"big\" width=\"" + tooWide + "\" height=\"4\" format=\"rgba_8\"/>",
         "exceeds the GL limit"},
        {"<renderbuffer name=\"big\" width=\"4\" height=\"" + tooWide + "00\" format=\"depth_24\"/>",
         "exceeds the GL limit"},
        {"<cubemap name=\"big\" width=\"16\" height=\"8\" format=\"rgba_8\"/>", "square"},
        {"<texture name=\"big\" width=\"8\" height=\"8\" depth=\"1000000\" array=\"true\" format=\"r_8\"/>",
         "exceeds the GL limit"},
        // 128 GiB: within the size limits of every driver, beyond the memory of any.
        {"<texture name=\"big\" width=\"2048\" height=\"2048\" depth=\"2048\" format=\"rgba_fp32\"/>",
         "no memory"},
    };
    const std::string original = tree.read("data/demo.xml");
    for (const auto& c : cases) {
        tree.write("data/demo.xml", original);
        tree.edit("data/demo.xml", "<framebuffers>", "<framebuffers>" + c.element);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(loadDescription()) << c.element;
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("\"big\": "), std::string::npos) << err;
        EXPECT_NE(err.find(c.expected), std::string::npos) << err;
        EXPECT_EQ(linesBesidesGlChecks(err), 1) << err;
        EXPECT_FALSE(textureRegistry().find("big"));
        EXPECT_EQ(gl::takeError(), GLenum(GL_NO_ERROR)) << "the loader leaves no GL error behind";
        app.unload();
    }
}

// The song decodes while the rest loads; a song that cannot play is still the first and only
// failure reported, and without it the first broken item after it is.
TEST_F(DemoLoadTest, TheSongFailsFirstThoughItDecodesAlongsideTheRest) {
    tree.write("data/hello.ogg", "OggS but not a song at all");
    tree.remove("data/textures/checker.png");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(loadDescription());
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("hello.ogg"), std::string::npos) << err;
    EXPECT_FALSE(app.song);
    app.unload();

    tree.write("data/hello.ogg", "");
    tree.write("data/shaders/composite.frag", "#version 330 core\nnot glsl\n");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(loadDescription());
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.find("composite"), std::string::npos) << "the program's log is not said: " << err;
    EXPECT_NE(err.find("hello.ogg"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

TEST_F(DemoLoadTest, ABrokenItemAfterAGoodSongIsReportedOnce) {
    tree.remove("data/textures/checker.png");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(loadDescription());
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("checker.png"), std::string::npos) << err;
    EXPECT_TRUE(app.song) << "the song was decoded and kept";
}

TEST(ScreenSizeTest, Expressions) {
    int v = 0;
    EXPECT_TRUE(parseScreenSize("screen/2", 1280, v));
    EXPECT_EQ(v, 640);
    EXPECT_TRUE(parseScreenSize("screen", 1280, v));
    EXPECT_EQ(v, 1280);
    EXPECT_TRUE(parseScreenSize("screen/3", 1280, v));
    EXPECT_EQ(v, 426);
    EXPECT_TRUE(parseScreenSize("256", 1280, v));
    EXPECT_EQ(v, 256);
    EXPECT_FALSE(parseScreenSize("screen/0", 1280, v)) << "no division by zero";
    EXPECT_FALSE(parseScreenSize("wide", 1280, v));
    EXPECT_FALSE(parseScreenSize(nullptr, 1280, v));
}

TEST_F(DemoLoadTest, ProgramStageCombinations) {
    ASSERT_TRUE(loadDescription());
    EXPECT_TRUE(programRegistry().find("scene")) << "no stage attributes: .vert and .frag";
    app.unload();

    tree.edit("data/demo.xml", "<program name=\"composite\" vert=\"yes\" frag=\"yes\">",
              "<program name=\"composite\" vert=\"yes\" frag=\"no\">");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(loadDescription());
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("composite"), std::string::npos) << err;
}

TEST_F(DemoLoadTest, ADeclaredStageThatCannotBeUsedFailsTheProgram) {
    const std::string stage = "data/shaders/composite.frag";
    const std::pair<const char*, void (*)(const DemoTree&, const std::string&)> breakages[] = {
        {"empty shader", [](const DemoTree& t, const std::string& f) { t.write(f, ""); }},
        {"is a directory",
         [](const DemoTree& t, const std::string& f) {
             t.remove(f);
             std::filesystem::create_directory(t.path(f));
         }},
        {"dangling symbolic link",
         [](const DemoTree& t, const std::string& f) {
             t.remove(f);
             std::filesystem::create_symlink("gone.frag", t.path(f));
         }},
        {"symbolic link loop",
         [](const DemoTree& t, const std::string& f) {
             t.remove(f);
             std::filesystem::create_symlink("composite.frag", t.path(f));
         }},
        {"shaders/absent.glsl\" is missing",
         [](const DemoTree& t, const std::string& f) {
             t.write(f, "#version 430 core\n#include <absent.glsl>\n");
         }},
        {"include cycle",
         [](const DemoTree& t, const std::string& f) { t.write(f, "#include <composite.frag>\n"); }},
    };
    const std::string original = tree.read(stage);
    for (const auto& [reason, apply] : breakages) {
        SCOPED_TRACE(reason);
        tree.remove(stage);
        tree.write(stage, original);
        apply(tree, stage);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(loadDescription());
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_NE(err.find("composite.frag"), std::string::npos) << err;
        EXPECT_NE(err.find(reason), std::string::npos) << err;
        EXPECT_FALSE(programRegistry().contains("composite"));
        app.unload();
    }
}

TEST_F(DemoLoadTest, SamplerDeclarationsFollowTheVendorRule) {
    Device::setVendorIsNvidia(true);
    bool loaded = loadDescription();
    Device::setVendorIsNvidia(false);
    ASSERT_TRUE(loaded);
    Ref<Program> composite = programRegistry().find("composite");
    ASSERT_TRUE(composite);
    ASSERT_EQ(composite->samplerObjects().size(), 1u) << "one declared sampler: one sampler object";
    EXPECT_EQ(composite->samplerObjects()[0]->params().wrapS, 0) << "wrap s = edge";
    app.unload();

    ASSERT_TRUE(loadDescription());
    EXPECT_TRUE(programRegistry().find("composite")->samplerObjects().empty())
        << "other vendors discard the declarations";
}

TEST_F(DemoLoadTest, ComputeAndTransformFeedbackBuilders) {
    tree.write("data/shaders/count.comp", "#version 430 core\nlayout(local_size_x = 1) in;\n"
                                          "layout(std430, binding = 0) buffer B { uint n; };\n"
                                          "void main() { atomicAdd(n, 1u); }\n");
    tree.write("data/shaders/spray.vert", "#version 330 core\nin vec3 POSITION;\nout vec3 moved;\n"
                                          "void main() { moved = POSITION + vec3(1.0); }\n");
    tree.edit("data/demo.xml", "</shaders>",
              "<program name=\"count\" comp=\"yes\"/>"
              "<program name=\"spray\" vert=\"yes\"><feedback type=\"separate\"><varying name=\"moved\"/>"
              "</feedback></program></shaders>");
    ASSERT_TRUE(loadDescription());
    EXPECT_TRUE(programRegistry().find("count"));
    EXPECT_TRUE(programRegistry().find("spray"));
}

TEST_F(DemoLoadTest, DuplicateSamplerNamesFail) {
    tree.edit("data/demo.xml", "<sampler name=\"colorMap\">",
              "<sampler name=\"colorMap\"/><sampler name=\"colorMap\">");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(loadDescription());
    EXPECT_NE(testing::internal::GetCapturedStderr().find("twice"), std::string::npos);
}

// A mistake in a program's declaration fails the load with one line giving the reason, and the
// program is not built.
TEST_F(DemoLoadTest, ProgramDeclarationMistakesFailWithTheirReason) {
    const char* program = "<program name=\"composite\" vert=\"yes\" frag=\"yes\">";
    const char* sampler = "<sampler name=\"colorMap\">";
    const struct {
        const char* from;
        std::string to;
        const char* reason;
    } mistakes[] = {
        {program, "<program vert=\"yes\" frag=\"yes\">", "missing attribute \"name\""},
        {sampler, "<sampler>", "a sampler has no \"name\""},
        {sampler, std::string(sampler) + "<depth mode=\"ref\"/>", "<depth> needs both \"mode\" and \"func\""},
        {sampler, std::string(sampler) + "<depth mode=\"ref\" func=\"sometimes\"/>",
         "unknown depth mode or compare function"},
        {program, std::string(program) + "<feedback type=\"sideways\"/>", "unknown feedback type"},
        {program, std::string(program) + "<feedback><varying/></feedback>", "a varying has no \"name\""},
        {program, "<program name=\"composite\" geom=\"yes\">", "unsupported combination of stages"},
    };
    const std::string original = tree.read("data/demo.xml");
    for (const auto& m : mistakes) {
        SCOPED_TRACE(m.reason);
        tree.write("data/demo.xml", original);
        tree.edit("data/demo.xml", m.from, m.to);
        testing::internal::CaptureStderr();
        EXPECT_FALSE(loadDescription());
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_NE(err.find(m.reason), std::string::npos) << err;
        EXPECT_FALSE(programRegistry().contains("composite"));
        app.unload();
    }
}

TEST_F(DemoLoadTest, ImagesFirstNameWinsAnisotropyAndStartElement) {
    // An array before the first image is skipped (this one would fail: it has one layer).
    tree.edit("data/demo.xml", "<textures>",
              "<textures><array name=\"skipped\"><layer file=\"checker.png\"/></array>");
    tree.edit("data/demo.xml", "<cubemap name=\"sky\" file=\"sky\"/>",
              "<cubemap name=\"sky\" file=\"sky\"/><image name=\"checker\" file=\"sky_c00.png\"/>");
    app.requestedAnisotropy = 16;
    app.maximumAnisotropy = 16;
    ASSERT_TRUE(loadDescription());
    EXPECT_FALSE(textureRegistry().find("skipped"));
    Ref<Texture2D> checker = texture<Texture2D>("checker");
    ASSERT_TRUE(checker);
    EXPECT_EQ(checker->width(), 256) << "the first image registered under a name stays";

    GLfloat level = 0;
    glBindTexture(GL_TEXTURE_2D, checker->glName());
    glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &level);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_FLOAT_EQ(level, 9.0f) << "min(16, 16 * 0.5 + 1)";
    EXPECT_TRUE(textureRegistry().find("sky"));
}

TEST_F(DemoLoadTest, TexturesWithoutKnownElementsLoadNothing) {
    tree.edit("data/demo.xml", "<image name=\"checker\"", "<picture name=\"checker\"");
    tree.edit("data/demo.xml", "</image>", "</picture>");
    tree.edit("data/demo.xml", "<cubemap name=\"sky\"", "<sky name=\"sky\"");
    ASSERT_TRUE(loadDescription());
    EXPECT_FALSE(textureRegistry().find("checker"));
}

} // namespace
