#include "particles/GravityForceParticleOperator.h"
#include "particles/ParticleSystem.h"
#include "particles/ReflectionPlaneParticleOperator.h"
#include "particles/SphereParticleEmitter.h"
#include "render/CodeTables.h"
#include "render/Gl.h"
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
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    Ref<ParticleSystem> still = makeRef<ParticleSystem>();
    ASSERT_TRUE(still->create(2, false));
    EXPECT_EQ(still->vertexBuffer()->usage(), codes::kUsageStaticDraw);
    EXPECT_FALSE(still->vertexDataChanged()) << "a static system is uploaded once, by its loader";
    EXPECT_FALSE(still->create(-3, false));
    EXPECT_EQ(still->vertexBuffer(), nullptr);
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
