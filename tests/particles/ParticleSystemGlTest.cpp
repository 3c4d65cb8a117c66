#include "particles/GravityForceParticleOperator.h"
#include "particles/ParticleSystem.h"
#include "particles/ReflectionPlaneParticleOperator.h"
#include "particles/SphereParticleEmitter.h"
#include "render/CodeTables.h"
#include "render/Device.h"
#include "render/Gl.h"
#include "render/Program.h"
#include "render/Shader.h"
#include "render/VertexArrayObject.h"
#include "scene/DrawableParticleSystem.h"
#include "support/GlTest.h"

#include <cstring>
#include <vector>

namespace {

class ParticleSystemGlTest : public GlTest {};

std::vector<Particle> readBack(const ParticleSystem& system) {
    std::vector<Particle> out(size_t(system.count()));
    system.vertexBuffer()->bind();
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(out.size() * sizeof(Particle)), out.data());
    system.vertexBuffer()->unbind();
    return out;
}

TEST_F(ParticleSystemGlTest, TheBufferMirrorsTheRecordsAsFourAttributes) {
    Ref<ParticleSystem> system = makeRef<ParticleSystem>();
    ASSERT_TRUE(system->create(5, true));
    const VertexBuffer& vb = *system->vertexBuffer();
    EXPECT_EQ(vb.stride(), 48);
    EXPECT_EQ(vb.usage(), 6) << "dynamic draw";
    ASSERT_EQ(vb.elementCount(), 4);
    const char* names[4] = {"POSITION", "NORMAL", "COLOR", "TANGENT"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(codes::semanticName(vb.element(i).semantic), names[i]);
        EXPECT_EQ(vb.element(i).offset, 12 * i);
        EXPECT_EQ(vb.element(i).components, 3);
    }
    EXPECT_TRUE(system->vertexDataChanged());

    ASSERT_TRUE(system->upload());
    EXPECT_EQ(system->liveParticleCount(), 0) << "a fresh system draws nothing";
    system->particles()[2].energy = 0.5f;
    system->particles()[1].position = {1, 2, 3};
    ASSERT_TRUE(system->upload());
    EXPECT_EQ(system->liveParticleCount(), 3);
    std::vector<Particle> gpu = readBack(*system);
    EXPECT_EQ(std::memcmp(gpu.data(), system->particles(), gpu.size() * sizeof(Particle)), 0);
    EXPECT_EQ(gl::takeError(), GLenum(GL_NO_ERROR));

    Ref<ParticleSystem> still = makeRef<ParticleSystem>();
    ASSERT_TRUE(still->create(2, false));
    EXPECT_EQ(still->vertexBuffer()->usage(), codes::kUsageStaticDraw);
    EXPECT_FALSE(still->vertexDataChanged()) << "a static system is uploaded once, by its loader";
    EXPECT_FALSE(still->create(-3, false));
    EXPECT_EQ(still->vertexBuffer(), nullptr);
}

constexpr const char* kVertex = R"(#version 430 core
in vec3 POSITION;
in vec3 NORMAL;
in vec3 COLOR;
in vec3 TANGENT;
out float energy;
void main() {
    energy = TANGENT.y;
    gl_PointSize = 1.0;
    gl_Position = vec4(POSITION + NORMAL * 0.0 + COLOR * 0.0, 1.0);
}
)";
constexpr const char* kFragment = R"(#version 430 core
in float energy;
out vec4 color;
void main() {
    if (energy < 0.0)
        discard;
    color = vec4(1.0);
}
)";

TEST_F(ParticleSystemGlTest, DrawsThroughTheSceneDrawable) {
    Ref<Program> program = makeRef<Program>("particles");
    program->setStage(0, makeRef<Shader>("particles.vert", kVertex, kVertex, 0));
    program->setStage(1, makeRef<Shader>("particles.frag", kFragment, kFragment, 1));
    ASSERT_TRUE(program->link(nullptr, 0, 0));
    Ref<ParticleSystem> system = makeRef<ParticleSystem>();
    ASSERT_TRUE(system->create(64, true));
    ASSERT_TRUE(system->upload());
    Ref<VertexArrayObject> vao = VertexArrayObject::create(*program, *system->vertexBuffer(), nullptr);
    ASSERT_TRUE(vao);
    Ref<DrawableParticleSystem> drawable = makeRef<DrawableParticleSystem>(system, vao);
    ParticleProps props;
    props.spawnRate = 600;
    SphereParticleEmitter emitter(system, props, 0.5f);
    emitter.afterLocalTransform(0.05f);
    Device device;
    device.bindProgram(program);
    drawable->draw(device, 0.05f);
    EXPECT_EQ(system->liveParticleCount(), 30) << "uploaded again before drawing: the system is dynamic";
    EXPECT_EQ(readBack(*system)[29].energy, 1.0f);
    EXPECT_EQ(gl::takeError(), GLenum(GL_NO_ERROR));
}

// The same setup gives the same particles, byte for byte.
std::vector<Particle> simulate(int frames) {
    Ref<ParticleSystem> system = makeRef<ParticleSystem>();
    EXPECT_TRUE(system->allocate(512));
    ParticleProps props;
    props.spawnRate = 300;
    props.spawnRateVariance = 40;
    props.speed = 1;
    props.speedVariance = 0.01f;
    props.lifespan = 0.5f;
    props.lifespanVariance = 0.3f;
    props.radiusVariance = 0.2f;
    props.massVariance = 0.5f;
    SphereParticleEmitter emitter(system, props, 0.5f, 0.25f);
    GravityForceParticleOperator gravity(system, -9.81f);
    ReflectionPlaneParticleOperator floor(system, 2);
    floor.transform.position = {0, -1, 0};
    for (int f = 1; f <= frames; ++f) {
        const float t = float(f) / 60.0f;
        emitter.transform.position = {std::sin(t), 0, 0};
        emitter.afterLocalTransform(t);
        gravity.afterLocalTransform(t);
        floor.afterLocalTransform(t);
    }
    return std::vector<Particle>(system->particles(), system->particles() + system->count());
}

TEST(ParticleDeterminismTest, SameSetupSameParticles) {
    std::vector<Particle> a = simulate(240), b = simulate(240);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(Particle)), 0);
    int alive = 0;
    for (const Particle& p : a)
        alive += p.energy >= 0;
    EXPECT_GT(alive, 50);
}

} // namespace
