// The production's sky program ("zul/sky") drawn over a whole target for chosen suns, views and
// cloud settings, bound the way the scenes bind it, its emitted light read back as floats.
#include "assets/PNGLoader.h"
#include "assets/ShaderLoader.h"
#include "atmosphere/AtmosphericalLight.h"
#include "render/CodeTables.h"
#include "render/Device.h"
#include "render/Framebuffer.h"
#include "render/Program.h"
#include "render/Texture2D.h"
#include "render/Uniforms.h"
#include "render/UniformsBuilder.h"
#include "render/VertexBuffer.h"
#include "support/GlTest.h"

#include <GL/glew.h>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr float kDegrees = 3.14159265f / 180.0f;
constexpr int kSize = 256;

struct Pixel {
    float r, g, b;
    float luminance() const { return 0.2126f * r + 0.7152f * g + 0.0722f * b; }
};
using Picture = std::vector<Pixel>;

// The sun (degrees; azimuth 0 is +x, -90 is -z), the camera's yaw (180 looks along +z) and pitch,
// and the live values the scenes bind.
struct Sky {
    float sunElevation = 60, sunAzimuth = -90, sunIntensity = 1;
    float yaw = 180, pitch = 30;
    float cloudThickness = 0;
    float cloudOffsets[2] = {0, 0};
    float time = 0;
};

class SkyGlTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        // A new device's caches take GL's defaults for granted; earlier tests may have left
        // blending (the overlays' multiply), culling, tests or masks on.
        glDisable(GL_BLEND);
        glDisable(GL_CULL_FACE);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_STENCIL_TEST);
        glDisable(GL_SCISSOR_TEST);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        device = makeRef<Device>();

        ShaderLoader shaders(VORNDLE_SOURCE_DIR "/data/shaders/");
        std::string why;
        for (int stage : {Program::kVertex, Program::kFragment}) {
            const std::string path = shaders.shaderDirectory() + "zul/sky" + codes::stageExtension(stage);
            Ref<Shader> shader = shaders.loadStage(path, stage, &why);
            ASSERT_TRUE(shader) << path << ": " << why;
            program->setStage(stage, shader);
        }
        ASSERT_TRUE(program->link(nullptr, 0, 0));

        PNGLoader png;
        clouds = png.load(VORNDLE_BINARY_DIR "/data/textures/clouds.png");
        ASSERT_TRUE(clouds) << "texgen draws the cloud noise into the production's data";
        TextureParams params = clouds->params();
        params.minFilter = codes::kFilterLinearMipmapLinear;
        params.wrapS = params.wrapT = codes::kWrapRepeat;
        clouds->bind();
        clouds->applyParams(params);
        clouds->generateMipmap();
        clouds->unbind();

        // The G-buffer's five outputs; the sky's light lands in the fourth.
        const char* formats[5] = {"rgba_8", "rgba_8", "rgba_fp16", "rgba_fp16", "r_fp32"};
        for (int i = 0; i < 5; ++i) {
            Ref<Texture2D> texture = makeRef<Texture2D>();
            texture->create(kSize, kSize, codes::formatCode(formats[i]));
            target->setAttachment(i, texture, 0, 0);
        }
        ASSERT_TRUE(target->create());

        // Directions on the plane z = -1, which a 90 degree projection spreads over the target.
        const float corners[12] = {-1, -1, -1, 1, -1, -1, -1, 1, -1, 1, 1, -1};
        quad->setStride(12);
        quad->addElement(0, codes::kSemanticPosition, 3, 12);
        quad->setVertexCount(4);
        quad->create();
        quad->bind();
        quad->setData(codes::kUsageStaticDraw, GLsizeiptr(sizeof corners), corners);
        quad->unbind();

        ASSERT_TRUE(light->attach(*program, model));
        uniforms->begin();
        ASSERT_TRUE(uniforms->addBlock("AtmosphereModel", light->uniformBuffer));
        ASSERT_TRUE(uniforms->addFloat("cloudOffsets", 2, live.cloudOffsets));
        ASSERT_TRUE(uniforms->addFloat("cloudHeightScale", 1, &live.cloudThickness));
        ASSERT_TRUE(uniforms->addFloat("time", 1, &live.time));
    }

    void TearDown() override {
        device->resetState();
        GlTest::TearDown();
    }

    Picture render(const Sky& sky) {
        live = sky;
        model->sunIntensity = sky.sunIntensity;
        model->setSunAngles((90.0f - sky.sunElevation) * kDegrees, sky.sunAzimuth * kDegrees);
        const float yaw = sky.yaw * kDegrees, pitch = sky.pitch * kDegrees;
        const Vec3 forward(std::cos(pitch) * std::sin(yaw), std::sin(pitch),
                           -std::cos(pitch) * std::cos(yaw));
        const Mat4 view = Mat4::lookAt(Vec3(), forward, Vec3(0, 1, 0));
        model->updateFromCamera(view, Vec3());
        model->upload(*light->uniformBuffer);

        device->bindFramebuffer(target);
        device->bindProgram(program);
        device->setMatrix(0, Mat4::perspective(90.0f, 1.0f, 0.1f, 10.0f));
        device->setMatrix(2, Mat4::identity());
        device->setNormalMatrix(14, view.upper3x3());
        device->bindTexture("cloud_map", *clouds);
        device->bindVertexBuffer(quad);
        uniforms->uniforms()->applyAll();
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);

        Picture picture(size_t(kSize) * kSize);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, target->glName());
        glReadBuffer(GL_COLOR_ATTACHMENT3);
        std::vector<float> rgba(picture.size() * 4);
        glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_FLOAT, rgba.data());
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        EXPECT_EQ(gl::takeError(), GLenum(GL_NO_ERROR));
        for (size_t i = 0; i < picture.size(); ++i)
            picture[i] = {rgba[4 * i], rgba[4 * i + 1], rgba[4 * i + 2]};
        return picture;
    }

    Ref<Device> device;
    Ref<Program> program = makeRef<Program>("zul/sky");
    Ref<Texture> clouds;
    Ref<Framebuffer> target = makeRef<Framebuffer>();
    Ref<VertexBuffer> quad = makeRef<VertexBuffer>();
    Ref<AtmosphereModel> model = makeRef<AtmosphereModel>();
    Ref<AtmosphericalLight> light = makeRef<AtmosphericalLight>();
    Ref<UniformsBuilder> uniforms = makeRef<UniformsBuilder>(program);
    Sky live;
};

// Share of pixels whose light differs between two pictures by more than a faint cloud's, over
// rows [from, to) (bottom-up).
float changed(const Picture& a, const Picture& b, int from = 0, int to = kSize) {
    size_t count = 0;
    for (size_t i = size_t(from) * kSize; i < size_t(to) * kSize; ++i)
        count += std::fabs(a[i].luminance() - b[i].luminance()) > 0.02f;
    return float(count) / float((to - from) * kSize);
}

// Pixels much brighter than the picture's median: stars (the sun is kept out of view).
std::vector<size_t> brightPoints(const Picture& picture) {
    std::vector<float> lum;
    for (const Pixel& p : picture)
        lum.push_back(p.luminance());
    std::vector<float> sorted = lum;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
    std::vector<size_t> points;
    for (size_t i = 0; i < lum.size(); ++i)
        if (lum[i] > sorted[sorted.size() / 2] * 1.6f + 0.02f)
            points.push_back(i);
    return points;
}

} // namespace

TEST_F(SkyGlTest, FromNightToNoonFiniteNeverBlackAndDeepBlueAtNight) {
    // Below the horizon the model gives the sun no colour at all; a dim sun is how the intro's
    // dawn begins.
    for (float elevation : {-40.0f, -8.0f, -2.0f, 0.5f, 4.0f, 15.0f, 60.0f})
        for (float intensity : {0.15f, 1.0f})
            for (float pitch : {2.0f, 45.0f, 85.0f}) {
                Sky sky{elevation, 0, intensity, 180, pitch, 1.3f};
                float darkest = 1, brightest = 0;
                for (const Pixel& p : render(sky)) {
                    ASSERT_TRUE(std::isfinite(p.r) && std::isfinite(p.g) && std::isfinite(p.b));
                    darkest = std::min(darkest, std::max({p.r, p.g, p.b}));
                    brightest = std::max({brightest, p.r, p.g, p.b});
                }
                EXPECT_GT(darkest, 0.02f)
                    << "sun " << elevation << " intensity " << intensity << " pitch " << pitch;
                EXPECT_LE(brightest, 1.0f) << "sun " << elevation << ": rolled off";
            }

    Sky night;
    night.sunElevation = -30;
    const Picture picture = render(night);
    // A quarter up the picture looks 4 degrees above the horizon, the top row 75 degrees.
    const Pixel low = picture[size_t(kSize / 4) * kSize + kSize / 2],
                high = picture[picture.size() - kSize / 2];
    for (const Pixel& p : {low, high}) {
        EXPECT_GT(p.b, 1.5f * p.r) << "blue, not grey";
        EXPECT_LT(p.b, 4.0f * p.r) << "not a garish blue";
        EXPECT_LT(p.b, 0.4f) << "deep";
    }
    EXPECT_GT(low.luminance(), high.luminance()) << "lighter towards the horizon";
}

TEST_F(SkyGlTest, StarsShowOnlyInTheDarkAndTwinkleInPlace) {
    Sky night;
    night.sunElevation = -30;
    night.pitch = 60;
    const Picture before = render(night);
    const std::vector<size_t> stars = brightPoints(before);
    EXPECT_GE(stars.size(), 8u) << "a starry night";
    EXPECT_LT(stars.size(), size_t(kSize) * kSize / 100) << "points, not a haze";

    night.time = 1.7f;
    const Picture after = render(night);
    float largest = 0;
    for (size_t i : stars) {
        const float change = std::fabs(after[i].luminance() / before[i].luminance() - 1);
        EXPECT_LT(change, 0.5f) << "a star keeps its place";
        largest = std::max(largest, change);
    }
    EXPECT_GT(largest, 0.01f) << "stars twinkle";

    Sky day = night;
    day.sunElevation = 40;
    EXPECT_TRUE(brightPoints(render(day)).empty()) << "no stars by day";
}

TEST_F(SkyGlTest, CloudsFollowTheThicknessDriftAndThinOutAtTheHorizon) {
    Sky sky;
    sky.pitch = 40;
    const Picture clear = render(sky);
    sky.cloudOffsets[1] = 3.0f;
    EXPECT_EQ(changed(render(sky), clear), 0.0f) << "thickness 0: a clear sky, wherever the drift";
    sky.cloudOffsets[1] = 0;
    float previous = 0;
    for (float thickness : {1.0f, 1.3f, 2.0f}) {
        sky.cloudThickness = thickness;
        const float cover = changed(render(sky), clear);
        EXPECT_GT(cover, previous + 0.05f) << "thickness " << thickness;
        previous = cover;
    }
    EXPECT_GT(previous, 0.5f) << "thickness 2 is close to overcast";

    // Ten frames' drift moves the clouds a little, a part's drift far.
    sky.cloudThickness = 1.1f;
    const Picture here = render(sky);
    sky.cloudOffsets[1] = 0.005f;
    const float frames = changed(render(sky), here);
    sky.cloudOffsets[1] = 0.5f;
    EXPECT_GT(frames, 0.0f);
    EXPECT_LT(frames, 0.05f);
    EXPECT_GT(changed(render(sky), here), 0.1f);

    // Looking level, the middle row is the horizon.
    sky.pitch = 0;
    sky.cloudThickness = 0;
    const Picture level = render(sky);
    sky.cloudThickness = 1.6f;
    const Picture clouded = render(sky);
    EXPECT_LT(changed(clouded, level, kSize / 2, kSize / 2 + 3), 0.02f);
    EXPECT_GT(changed(clouded, level, kSize - 40, kSize), 0.2f);
}

TEST_F(SkyGlTest, CloudsAreBrightByDayAndRoseAtSunset) {
    // The camera looks away from the sun, at the clouds' lit undersides.
    auto litClouds = [&](float sunElevation, float& warmth, float& brightest) {
        Sky sky;
        sky.sunElevation = sunElevation;
        sky.pitch = 35;
        const Picture clear = render(sky);
        sky.cloudThickness = 1.6f;
        const Picture clouded = render(sky);
        float red = 0, blue = 0;
        brightest = 0;
        for (size_t i = 0; i < clear.size(); ++i)
            if (std::fabs(clouded[i].luminance() - clear[i].luminance()) > 0.02f) {
                red += clouded[i].r;
                blue += clouded[i].b;
                brightest = std::max(brightest, clouded[i].luminance() - clear[i].luminance());
            }
        warmth = red / std::max(blue, 1e-6f);
    };
    float noonWarmth, noonBrightest, sunsetWarmth, sunsetBrightest;
    litClouds(60, noonWarmth, noonBrightest);
    litClouds(5, sunsetWarmth, sunsetBrightest);
    EXPECT_GT(noonBrightest, 0.1f) << "sunlit clouds outshine the blue sky";
    EXPECT_GT(noonWarmth, 0.75f) << "white to grey, not blue";
    EXPECT_GT(sunsetWarmth, noonWarmth * 1.65f) << "rose and orange at sunset";
}
