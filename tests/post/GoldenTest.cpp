// Every composite permutation and every effect alone, rendered from the same G-buffer at 320 x 180
// and compared with the pictures under tests/data/post/. VORNDLE_UPDATE_GOLDENS=1 (or
// `make goldens`) rewrites the pictures; a failed comparison leaves the actual picture and a diff
// beside the test's working directory in post_failures/.
#include "PostChain.h"

#include "assets/DecodedImage.h"
#include "assets/PNGLoader.h"
#include "demo/Registries.h"
#include "post/BlurEngine.h"
#include "post/FXAAEngine.h"
#include "post/GlowEngine.h"
#include "post/LightStreaksEngine.h"
#include "post/MotionBlurEngine.h"
#include "post/RadialBlurEngine.h"
#include "post/SSAOEngine.h"
#include "render/Framebuffer.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"

#include <png.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>

namespace {

constexpr int kMaxChannelDelta = 40;
constexpr double kMinPsnr = 38.0;

std::string goldenPath(const std::string& name) {
    return std::string(VORNDLE_SOURCE_DIR "/tests/data/post/") + name + ".png";
}

// Pictures keep red, green and blue: alpha carries no picture (the occlusion pass parks its term
// there) and would make the files hard to look at.
bool writeRgbPng(const std::string& path, int w, int h, const std::vector<uint8_t>& rgba) {
    PngSpec spec;
    spec.width = w;
    spec.height = h;
    spec.colorType = PNG_COLOR_TYPE_RGB;
    spec.rows.reserve(rgba.size() / 4 * 3);
    for (size_t i = 0; i < rgba.size(); i += 4)
        spec.rows.insert(spec.rows.end(), rgba.begin() + long(i), rgba.begin() + long(i) + 3);
    std::vector<uint8_t> bytes = encodePng(spec);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    return writeFile(path, bytes.data(), bytes.size());
}

// Compares against the golden; answers an explanation when they differ.
::testing::AssertionResult matchesGolden(const std::string& name, int w, int h,
                                         const std::vector<uint8_t>& actual) {
    const char* update = std::getenv("VORNDLE_UPDATE_GOLDENS");
    if (update && *update && std::string(update) != "0") {
        if (!writeRgbPng(goldenPath(name), w, h, actual))
            return ::testing::AssertionFailure() << "cannot write " << goldenPath(name);
        return ::testing::AssertionSuccess();
    }
    DecodedImage golden;
    PNGLoader loader;
    if (!loader.decode(goldenPath(name), golden) || golden.width != w || golden.height != h ||
        golden.channels != 3)
        return ::testing::AssertionFailure() << goldenPath(name) << " is missing or not a " << w << "x" << h
                                             << " RGB picture (VORNDLE_UPDATE_GOLDENS=1 writes it)";
    int worst = 0, worstX = 0, worstY = 0;
    double squares = 0;
    std::vector<uint8_t> diff(actual.size(), 255);
    for (int y = 0; y < h; ++y) {
        const uint8_t* g = golden.pixels.data() + size_t(h - 1 - y) * golden.rowBytes(); // bottom row first
        for (int x = 0; x < w; ++x) {
            for (int c = 0; c < 3; ++c) {
                const size_t i = (size_t(y) * size_t(w) + size_t(x)) * 4 + size_t(c);
                const int delta = std::abs(int(actual[i]) - int(g[x * 3 + c]));
                squares += double(delta) * delta;
                diff[i] = uint8_t(std::min(255, delta * 8));
                if (delta > worst)
                    worst = delta, worstX = x, worstY = y;
            }
        }
    }
    const double mse = squares / (double(w) * h * 3);
    const double psnr = mse > 0 ? 10.0 * std::log10(255.0 * 255.0 / mse) : 99.0;
    if (worst <= kMaxChannelDelta && psnr >= kMinPsnr)
        return ::testing::AssertionSuccess();
    writeRgbPng("post_failures/" + name + ".actual.png", w, h, actual);
    writeRgbPng("post_failures/" + name + ".diff.png", w, h, diff);
    return ::testing::AssertionFailure()
           << name << ": largest channel difference " << worst << " at (" << worstX << ", " << worstY
           << "), PSNR " << psnr << " dB; pictures in "
           << std::filesystem::absolute("post_failures").string();
}

class PostGoldenTest : public PostChainTest {
protected:
    void SetUp() override {
        PostChainTest::SetUp();
        ASSERT_TRUE(buildResources());
        renderScene(2.0f);
        renderScene(2.4f); // a second frame, so motion blur has a previous camera
        blit = makeRef<BlitEngine>();
        ASSERT_TRUE(blit->setUp("test_gradient", kWidth, kHeight));
        blit->output = output;
        feedCamera(*blit);
        blit->dofParams[0] = 6.0f;
        blit->dofParams[1] = 0.5f;
        blit->dofParams[2] = 3.0f;
        blit->passCounts[1] = 3;
        blit->passCounts[2] = 3;
        blit->passCounts[6] = 2;
        blit->glow().color = Vec4(1.0f, 1.0f, 1.0f, 0.6f);
        blit->lightStreaks().color = Vec4(1.5f, 1.5f, 1.5f, 0.5f);
        blit->radialBlur().color = Vec4(1.2f, 1.2f, 1.2f, 1.0f);
        blit->radialBlur().origin = Vec2(0.55f, 0.6f);
        blit->ssao().params.radius = 0.35f;
        blit->ssao().params.attScale = 1.5f;
        blit->noise[2] = 0.04f;
        blit->distortion[2] = 0.006f;
        blit->gamma[0] = 1.1f;
    }
    void TearDown() override {
        blit = nullptr;
        PostChainTest::TearDown();
    }

    // One engine on its own: the chain before it runs as usual, its target is read back.
    void checkEngine(const std::string& name, int slot, int passes, const char* targetName) {
        if (slot != BlitEngine::kFXAA)
            blit->engine(BlitEngine::kFXAA)->render(*device, blit->samplerSets(BlitEngine::kFXAA), 1);
        blit->engine(slot)->render(*device, blit->samplerSets(slot), passes);
        const Ref<Framebuffer> target = framebufferRegistry().find(targetName);
        device->resetState();
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        EXPECT_TRUE(matchesGolden(name, target->width(), target->height(), readPixels(target)));
    }

    Ref<BlitEngine> blit;
};

TEST_F(PostGoldenTest, EveryPermutation) {
    for (int i = 0; i < BlitEngine::kPermutationCount; ++i) {
        SCOPED_TRACE(BlitEngine::permutationName(i));
        const bool glow = (i & 2) != 0, dof = (i & 4) != 0;
        blit->effects[BlitEngine::kFlagGlow] = glow;
        blit->effects[BlitEngine::kFlagDepthOfField] = dof;
        blit->updatePermutation();
        blit->forcePermutation(i);
        blit->run(*device);
        device->resetState();
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        std::string name = BlitEngine::permutationName(i);
        EXPECT_TRUE(matchesGolden(name.substr(5), kWidth, kHeight, readPixels(output)));
    }
}

TEST_F(PostGoldenTest, EveryEffectAlone) {
    checkEngine("fxaa", BlitEngine::kFXAA, 1, "mlaa_buffer");
    checkEngine("ssao", BlitEngine::kAmbientOcclusion, 1, "ssao_buffer");
    checkEngine("blur", BlitEngine::kDepthOfFieldBlur, 2, "dof");
    checkEngine("glow", BlitEngine::kGlow, 3, "blur");
    checkEngine("radial_blur", BlitEngine::kRadialBlur, 2, "blur");
    checkEngine("lightstreaks", BlitEngine::kLightStreaks, 3, "blur");
    checkEngine("motion_blur", BlitEngine::kMotionBlur, 1, "dof");
}

} // namespace
