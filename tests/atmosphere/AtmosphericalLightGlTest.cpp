#include "atmosphere/AtmosphericalLight.h"
#include "render/Gl.h"
#include "render/Program.h"
#include "render/Shader.h"
#include "support/GlTest.h"

#include <cstring>
#include <string>

namespace {

constexpr const char* kVertex = R"(#version 430 core
in vec3 POSITION;
void main() { gl_Position = vec4(POSITION, 1.0); }
)";
constexpr const char* kSkyFragment = R"(#version 430 core
layout(std140) uniform AtmosphereModel {
    vec4 SunColor;
    vec3 SunPosition;
    vec3 SunDirection;
    vec3 EyePosition;
    vec3 BetaRay;
    vec3 BetaRayTheta;
    vec3 BetaMie;
    vec3 BetaMieTheta;
    float DirectionalityFactor;
};
out vec4 color;
void main() {
    color = SunColor + vec4(SunPosition + SunDirection + EyePosition + BetaRay + BetaRayTheta + BetaMie +
                            BetaMieTheta, DirectionalityFactor);
}
)";
constexpr const char* kPlainFragment = R"(#version 430 core
out vec4 color;
void main() { color = vec4(1.0); }
)";

Ref<Program> linkProgram(const char* fragment) {
    Ref<Program> program = makeRef<Program>("deferred/atmoslight");
    program->setStage(0, makeRef<Shader>("atmoslight.vert", kVertex, kVertex, 0));
    program->setStage(1, makeRef<Shader>("atmoslight.frag", fragment, fragment, 1));
    return program->link(nullptr, 0, 0) ? program : nullptr;
}

class AtmosphericalLightGlTest : public GlTest {};

TEST_F(AtmosphericalLightGlTest, AttachSizesTheBufferFindsTheMembersAndUploads) {
    Ref<Program> program = linkProgram(kSkyFragment);
    ASSERT_TRUE(program);
    AtmosphericalLight light;
    EXPECT_EQ(light.kind(), 0x808);
    EXPECT_EQ(light.colour, Vec3(1, 1, 1));
    Ref<AtmosphereModel> model = makeRef<AtmosphereModel>();
    model->setSunAngles(0.7f, 1.1f);
    model->sunIntensity = 2.5f;
    ASSERT_TRUE(light.attach(*program, model));
    ASSERT_TRUE(light.uniformBuffer);
    EXPECT_EQ(light.model, model);
    EXPECT_EQ(light.uniformBuffer->blockSize(), 128);
    EXPECT_EQ(light.uniformBuffer->usage(), 6) << "dynamic draw";
    const int offsets[9] = {0, 4, 8, 12, 16, 20, 24, 28, 31};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(model->blockOffsets[i], offsets[i]) << AtmosphereModel::kBlockMemberNames[i];

    float expected[AtmosphereModel::kBlockFloats], actual[AtmosphereModel::kBlockFloats];
    model->blockValues(expected);
    light.uniformBuffer->bind();
    glGetBufferSubData(GL_UNIFORM_BUFFER, 0, sizeof actual, actual);
    light.uniformBuffer->unbind();
    EXPECT_EQ(std::memcmp(expected, actual, sizeof actual), 0);

    model->updateFromCamera(Mat4::rotationX(0.3f), {1, 2, 3});
    ASSERT_TRUE(model->upload(*light.uniformBuffer));
    model->blockValues(expected);
    light.uniformBuffer->bind();
    glGetBufferSubData(GL_UNIFORM_BUFFER, 0, sizeof actual, actual);
    light.uniformBuffer->unbind();
    EXPECT_EQ(std::memcmp(expected, actual, sizeof actual), 0);
    EXPECT_EQ(actual[12], 1.0f);
    EXPECT_EQ(gl::takeError(), GLenum(GL_NO_ERROR));
}

TEST_F(AtmosphericalLightGlTest, AProgramWithoutTheBlockIsRefused) {
    Ref<Program> program = linkProgram(kPlainFragment);
    ASSERT_TRUE(program);
    AtmosphericalLight light;
    EXPECT_FALSE(light.attach(*program, makeRef<AtmosphereModel>()));
    EXPECT_FALSE(light.uniformBuffer);
    EXPECT_FALSE(light.model);
}

TEST_F(AtmosphericalLightGlTest, UploadNeverWritesPastASmallBuffer) {
    UniformBuffer small;
    small.setBlockSize(16);
    small.create();
    small.bind();
    small.setData(6, 48, nullptr);
    small.unbind();
    AtmosphereModel model;
    EXPECT_TRUE(model.upload(small));
    EXPECT_EQ(gl::takeError(), GLenum(GL_NO_ERROR));
}

} // namespace
