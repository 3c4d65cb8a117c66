// The production's sky program ("zul/sky") drawn over a whole target for chosen suns, views and
// cloud settings, its emitted light read back as floats: a sky that is never black or broken, a
// night with stars, and clouds that follow their live values and the sun.
#include "assets/PNGLoader.h"
#include "assets/ShaderLoader.h"
#include "atmosphere/AtmosphereModel.h"
#include "atmosphere/AtmosphericalLight.h"
#include "math/Mat3.h"
#include "math/Mat4.h"
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
#include <iterator>
#include <vector>

namespace {

constexpr float kDegrees = 3.14159265f / 180.0f;
constexpr int kSize = 256;

struct Pixel {
    float r, g, b;
    float luminance() const { return 0.2126f * r + 0.7152f * g + 0.0722f * b; }
};

using Picture = std::vector<Pixel>;

// Where the camera looks and what the sky shows: the sun's elevation and compass direction,
// its intensity (the state's sun_intensity), and the clouds' live values.
struct SkySetting {
    float sunElevation = 60;
    float sunAzimuth = 0;
    float sunIntensity = 1;
    float yaw = 180;
    float pitch = 30;
    float cloudThickness = 0;
    float cloudOffsets[2] = {0, 0};
    float time = 0;
};

class SkyGlTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        // Earlier tests' devices may have left blending, masks or culling on, while a new device's
        // caches take GL's defaults for granted: put GL back to them.
        glDisable(GL_BLEND);
        glDisable(GL_CULL_FACE);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_STENCIL_TEST);
        glDisable(GL_SCISSOR_TEST);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        device = makeRef<Device>();
        device->resetState();

        ShaderLoader shaders(VORNDLE_SOURCE_DIR "/data/shaders/");
        program = makeRef<Program>("zul/sky");
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
        params.magFilter = codes::kFilterLinear;
        params.minFilter = codes::kFilterLinearMipmapLinear;
        params.wrapS = params.wrapT = codes::kWrapRepeat;
        clouds->bind();
        clouds->applyParams(params);
        clouds->generateMipmap();
        clouds->unbind();

        // The G-buffer's five outputs; the sky's light lands in the fourth.
        const char* formats[5] = {"rgba_8", "rgba_8", "rgba_fp16", "rgba_fp16", "r_fp32"};
        target = makeRef<Framebuffer>();
        for (int i = 0; i < 5; ++i) {
            Ref<Texture2D> texture = makeRef<Texture2D>();
            ASSERT_TRUE(texture->create(kSize, kSize, codes::formatCode(formats[i])));
            target->setAttachment(i, texture, 0, 0);
        }
        ASSERT_TRUE(target->create());

        // A square of view-space directions on the plane z = -1: with a 90 degree projection it
        // covers the target exactly.
        const float corners[12] = {-1, -1, -1, 1, -1, -1, -1, 1, -1, 1, 1, -1};
        quad = makeRef<VertexBuffer>();
        quad->setStride(12);
        quad->addElement(0, codes::kSemanticPosition, 3, 12);
        quad->setVertexCount(4);
        quad->create();
        quad->bind();
        quad->setData(codes::kUsageStaticDraw, GLsizeiptr(sizeof corners), corners);
        quad->unbind();

        model = makeRef<AtmosphereModel>();
        ASSERT_TRUE(light->attach(*program, model));
        uniforms = makeRef<UniformsBuilder>(program);
        uniforms->begin();
        // Bound the way the scenes bind them, through the production's live value types.
        ASSERT_TRUE(uniforms->addBlock("AtmosphereModel", light->uniformBuffer));
        ASSERT_TRUE(uniforms->addFloat("cloudOffsets", 2, live.cloudOffsets));
        ASSERT_TRUE(uniforms->addFloat("cloudHeightScale", 1, &live.cloudThickness));
        ASSERT_TRUE(uniforms->addFloat("time", 1, &live.time));
    }

    void TearDown() override {
        device->resetState();
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }

    Picture render(const SkySetting& setting) {
        live = setting;
        model->sunIntensity = setting.sunIntensity;
        model->setSunAngles((90.0f - setting.sunElevation) * kDegrees, setting.sunAzimuth * kDegrees);
        const float yaw = setting.yaw * kDegrees, pitch = setting.pitch * kDegrees;
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
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

        std::vector<float> rgba(size_t(kSize) * kSize * 4);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, target->glName());
        glReadBuffer(GL_COLOR_ATTACHMENT3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_FLOAT, rgba.data());
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        device->bindProgram(nullptr);
        Picture picture(size_t(kSize) * kSize);
        for (size_t i = 0; i < picture.size(); ++i)
            picture[i] = {rgba[4 * i], rgba[4 * i + 1], rgba[4 * i + 2]};
        return picture;
    }

    Ref<Device> device;
    Ref<Program> program;
    Ref<Texture> clouds;
    Ref<Framebuffer> target;
    Ref<VertexBuffer> quad;
    Ref<AtmosphereModel> model;
    Ref<AtmosphericalLight> light = makeRef<AtmosphericalLight>();
    Ref<UniformsBuilder> uniforms;
    SkySetting live;
};

// Rows are bottom-up: with the camera level, the middle row is the horizon.
const Pixel& at(const Picture& p, int x, int y) {
    return p[size_t(y) * kSize + size_t(x)];
}

float median(std::vector<float> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// Share of pixels whose light differs from the clear sky's by more than a faint cloud would.
float cloudCover(const Picture& clouded, const Picture& clear) {
    size_t covered = 0;
    for (size_t i = 0; i < clear.size(); ++i)
        covered += std::fabs(clouded[i].luminance() - clear[i].luminance()) > 0.02f;
    return float(covered) / float(clear.size());
}

// Pixels much brighter than the picture's median: stars (or the sun, kept out of view).
std::vector<size_t> brightPoints(const Picture& picture) {
    std::vector<float> lum;
    for (const Pixel& p : picture)
        lum.push_back(p.luminance());
    const float background = median(lum);
    std::vector<size_t> points;
    for (size_t i = 0; i < picture.size(); ++i)
        if (lum[i] > background * 1.6f + 0.02f)
            points.push_back(i);
    return points;
}

} // namespace

TEST_F(SkyGlTest, FromNightToNoonTheSkyIsFiniteRolledOffAndNeverBlack) {
    // Below the horizon the model gives the sun no colour at all; a dim sun is how the intro's
    // dawn begins.
    for (float elevation : {-40.0f, -8.0f, -2.0f, 0.5f, 4.0f, 15.0f, 60.0f})
        for (float intensity : {0.15f, 1.0f})
            for (float pitch : {2.0f, 45.0f, 85.0f})
                for (float yaw : {0.0f, 180.0f}) {
                    SkySetting s;
                    s.sunElevation = elevation;
                    s.sunIntensity = intensity;
                    s.pitch = pitch;
                    s.yaw = yaw;
                    s.cloudThickness = 1.3f;
                    const Picture picture = render(s);
                    float darkest = 1, brightest = 0;
                    bool finite = true;
                    for (const Pixel& p : picture) {
                        finite = finite && std::isfinite(p.r) && std::isfinite(p.g) && std::isfinite(p.b);
                        darkest = std::min(darkest, std::max({p.r, p.g, p.b}));
                        brightest = std::max({brightest, p.r, p.g, p.b});
                    }
                    const std::string where = "sun " + std::to_string(elevation) + " intensity " +
                                              std::to_string(intensity) + " pitch " + std::to_string(pitch) +
                                              " yaw " + std::to_string(yaw);
                    EXPECT_TRUE(finite) << where;
                    EXPECT_GT(darkest, 0.02f) << where << ": never black";
                    EXPECT_LE(brightest, 1.0f) << where << ": rolled off";
                }
}

TEST_F(SkyGlTest, TheNightSkyIsADeepBlueThatLightensTowardsTheHorizon) {
    SkySetting s;
    s.sunElevation = -30;
    s.pitch = 30;
    const Picture picture = render(s);
    std::vector<float> red, green, blue;
    for (const Pixel& p : picture) {
        red.push_back(p.r);
        green.push_back(p.g);
        blue.push_back(p.b);
    }
    const float r = median(red), g = median(green), b = median(blue);
    EXPECT_GT(b, 1.5f * r) << "blue, not grey";
    EXPECT_GT(b, g);
    EXPECT_LT(b, 0.4f) << "deep, not bright";
    EXPECT_LT(b, 4.0f * r) << "not a saturated, garish blue";
    // A quarter up the picture looks 4 degrees above the horizon, the top row 75 degrees.
    EXPECT_GT(at(picture, kSize / 2, kSize / 4).luminance(), at(picture, kSize / 2, kSize - 1).luminance());
}

TEST_F(SkyGlTest, StarsShowOnlyInTheDarkAndTwinkleInPlace) {
    SkySetting night;
    night.sunElevation = -30;
    night.pitch = 60;
    const std::vector<size_t> stars = brightPoints(render(night));
    EXPECT_GE(stars.size(), 8u) << "a starry night";
    EXPECT_LT(stars.size(), size_t(kSize) * kSize / 100) << "points, not a haze";

    SkySetting day = night;
    day.sunElevation = 40;
    day.sunAzimuth = -90; // behind the camera
    EXPECT_TRUE(brightPoints(render(day)).empty()) << "no stars by day";

    // Twinkling changes their light a little, never their place.
    const Picture before = render(night);
    night.time = 1.7f;
    const Picture after = render(night);
    const std::vector<size_t> stillThere = brightPoints(after);
    std::vector<size_t> common;
    std::set_intersection(stars.begin(), stars.end(), stillThere.begin(), stillThere.end(),
                          std::back_inserter(common));
    EXPECT_GE(common.size(), stars.size() * 8 / 10);
    EXPECT_GE(common.size(), stillThere.size() * 8 / 10);
    float largest = 0;
    for (size_t i : stars) {
        const float change = std::fabs(after[i].luminance() - before[i].luminance()) / before[i].luminance();
        EXPECT_LT(change, 0.5f);
        largest = std::max(largest, change);
    }
    EXPECT_GT(largest, 0.01f) << "they twinkle";
}

TEST_F(SkyGlTest, CloudCoverFollowsTheThicknessAndDriftsWithTheOffsets) {
    SkySetting s;
    s.pitch = 40;
    const Picture clear = render(s);
    s.cloudOffsets[1] = 3.0f;
    EXPECT_EQ(cloudCover(render(s), clear), 0.0f) << "thickness 0: a clear sky, wherever the drift";

    s.cloudOffsets[1] = 0;
    float previous = 0;
    for (float thickness : {1.0f, 1.3f, 2.0f}) {
        s.cloudThickness = thickness;
        const float cover = cloudCover(render(s), clear);
        EXPECT_GT(cover, previous + 0.05f) << "thickness " << thickness;
        previous = cover;
    }
    EXPECT_GT(previous, 0.5f) << "thickness 2 is close to overcast";

    // Ten frames' drift moves the clouds a little, a part's drift far.
    s.cloudThickness = 1.1f;
    const Picture here = render(s);
    s.cloudOffsets[1] = 0.005f;
    const float frame = cloudCover(render(s), here);
    s.cloudOffsets[1] = 0.5f;
    const float later = cloudCover(render(s), here);
    EXPECT_GT(frame, 0.0f);
    EXPECT_LT(frame, 0.05f);
    EXPECT_GT(later, 0.1f);
}

TEST_F(SkyGlTest, CloudsThinOutIntoTheHazeAtTheHorizon) {
    SkySetting s;
    s.pitch = 0;
    s.yaw = 90;
    const Picture clear = render(s);
    s.cloudThickness = 1.6f;
    const Picture clouded = render(s);
    // Mean difference from the clear sky over a band of rows above the horizon (the middle row).
    auto difference = [&](int fromRow, int toRow) {
        float sum = 0;
        for (int y = fromRow; y < toRow; ++y)
            for (int x = 0; x < kSize; ++x)
                sum += std::fabs(at(clouded, x, y).luminance() - at(clear, x, y).luminance());
        return sum / float((toRow - fromRow) * kSize);
    };
    const float atHorizon = difference(kSize / 2, kSize / 2 + 3);
    const float above = difference(kSize - 40, kSize);
    EXPECT_GT(above, 0.02f);
    EXPECT_LT(atHorizon, above * 0.2f);
}

TEST_F(SkyGlTest, CloudsAreBrightByDayAndWarmAtSunset) {
    // The camera looks away from the sun, at the clouds' lit undersides.
    auto litClouds = [&](float sunElevation, float& warmth, float& brightest) {
        SkySetting s;
        s.sunElevation = sunElevation;
        s.sunAzimuth = -90; // north
        s.yaw = 180;        // south
        s.pitch = 35;
        const Picture clear = render(s);
        s.cloudThickness = 1.6f;
        const Picture clouded = render(s);
        float red = 0, blue = 0;
        brightest = 0;
        for (size_t i = 0; i < clear.size(); ++i) {
            if (std::fabs(clouded[i].luminance() - clear[i].luminance()) < 0.02f)
                continue;
            red += clouded[i].r;
            blue += clouded[i].b;
            brightest = std::max(brightest, clouded[i].luminance() - clear[i].luminance());
        }
        warmth = red / std::max(blue, 1e-6f);
    };
    float noonWarmth = 0, noonBrightest = 0, sunsetWarmth = 0, sunsetBrightest = 0;
    litClouds(60, noonWarmth, noonBrightest);
    litClouds(5, sunsetWarmth, sunsetBrightest);
    EXPECT_GT(noonBrightest, 0.1f) << "sunlit clouds outshine the blue sky";
    EXPECT_GT(noonWarmth, 0.75f) << "white to grey, not blue";
    EXPECT_GT(sunsetWarmth, noonWarmth * 1.5f) << "rose and orange at sunset";
}
