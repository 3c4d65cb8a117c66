#include "math/RandomDraw.h"
#include "particles/ParticleSystem.h"
#include "particles/RainParticleEmitter.h"
#include "particles/SmokeParticleEmitter.h"
#include "particles/SphereParticleEmitter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// Replays the emitter's generator so expected values follow the documented order of draws.
struct Draws {
    uint32_t state = vmath::kRandomSeed;
    float next() { return vmath::randomDraw(state); }
    float magnitude() { return std::fabs(next()); }
    void skip(int n) {
        for (int i = 0; i < n; ++i)
            next();
    }
};

Ref<ParticleSystem> makeSystem(int count) {
    Ref<ParticleSystem> system = makeRef<ParticleSystem>();
    EXPECT_TRUE(system->allocate(count));
    return system;
}

ParticleProps plainProps(float spawnRate) {
    ParticleProps props;
    props.spawnRate = spawnRate;
    props.speed = 2;
    props.radius = 0.5f;
    props.energy = 1;
    props.mass = 3;
    props.lifespan = 1;
    return props;
}

void expectVec(const Vec3& actual, const Vec3& expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-5f);
    EXPECT_NEAR(actual.y, expected.y, 1e-5f);
    EXPECT_NEAR(actual.z, expected.z, 1e-5f);
}

int alive(const ParticleSystem& system) {
    int n = 0;
    for (int i = 0; i < system.count(); ++i)
        n += system.particles()[i].energy >= 0;
    return n;
}

TEST(RandomDrawTest, FollowsTheMultiplierAndTheFloatBits) {
    uint32_t state = vmath::kRandomSeed;
    EXPECT_FLOAT_EQ(vmath::randomDraw(state), -0.67111588f);
    EXPECT_EQ(state, 0x2a18e048u);
    EXPECT_FLOAT_EQ(vmath::randomDraw(state), 0.55604815f);
    EXPECT_FLOAT_EQ(vmath::randomMagnitude(state), 0.49672103f);
    EXPECT_FLOAT_EQ(vmath::randomAround(state, 1.0f, 2.0f), 1.0f + 2.0f * 0.38677049f);
    uint32_t s = 1;
    for (int i = 0; i < 100000; ++i) {
        float r = vmath::randomDraw(s);
        ASSERT_TRUE(r >= -1.0f && r < 1.0f) << r;
    }
}

TEST(ParticleSystemTest, StartsDeadAndRefusesImpossibleCounts) {
    Ref<ParticleSystem> system = makeSystem(4);
    for (int i = 0; i < 4; ++i) {
        const Particle& p = system->particles()[i];
        EXPECT_EQ(p.energy, -1.0f);
        EXPECT_EQ(p.mass, 1.0f);
        EXPECT_EQ(p.radius, 0.0f);
        EXPECT_EQ(p.position, Vec3());
    }
    EXPECT_FALSE(system->allocate(-1));
    EXPECT_EQ(system->count(), 0);
    EXPECT_FALSE(system->allocate(ParticleSystem::kMaxCount + 1));
    EXPECT_TRUE(system->allocate(0));
    // Nothing to move: every emitter and operator copes with an empty system.
    SphereParticleEmitter emitter(system, plainProps(100));
    emitter.afterLocalTransform(1);
    EXPECT_EQ(system->count(), 0);
}

TEST(SphereEmitterTest, SpawnsOnTheSphereAndMovesTheLiving) {
    Ref<ParticleSystem> system = makeSystem(3);
    SphereParticleEmitter emitter(system, plainProps(4), 1.5f);
    emitter.transform.position = {1, 2, 3};
    emitter.afterLocalTransform(0.5f); // 4 per second for half a second: two spawns

    Draws d;
    d.skip(1); // spawn rate
    Vec3 dir[2];
    for (int k = 0; k < 2; ++k) {
        d.skip(3); // radius, energy, mass
        float r1 = d.next(), r2 = d.next(), r3 = d.next();
        dir[k] = Vec3(r3, r2, r1).normalized();
        d.skip(3); // spawn point, sphere radius, speed
        const Particle& p = system->particles()[k];
        expectVec(p.position, dir[k] * 1.5f + Vec3(1, 2, 3));
        expectVec(p.velocity, dir[k] * 2.0f);
        EXPECT_EQ(p.radius, 0.5f);
        EXPECT_EQ(p.energy, 1.0f);
        EXPECT_EQ(p.mass, 3.0f);
    }
    EXPECT_EQ(system->particles()[2].energy, -1.0f) << "the rest stay dead";
    EXPECT_EQ(emitter.randomState, d.state);

    // Second frame: the emitter moved by (2, 0, 0); two spawns but only one dead record.
    emitter.transform.position = {3, 2, 3};
    emitter.afterLocalTransform(1.0f);
    d.skip(1);
    for (int k = 0; k < 2; ++k) {
        d.skip(2); // speed, lifespan
        const Particle& p = system->particles()[k];
        expectVec(p.position, dir[k] * 1.5f + Vec3(1, 2, 3) + dir[k] * 2.0f * 0.5f);
        expectVec(p.velocity, dir[k] * 4.0f);
        EXPECT_FLOAT_EQ(p.energy, 0.5f);
    }
    d.skip(3);
    float r1 = d.next(), r2 = d.next(), r3 = d.next();
    Vec3 dir2 = Vec3(r3, r2, r1).normalized();
    float along = d.magnitude();
    expectVec(system->particles()[2].position, dir2 * 1.5f + Vec3(3 - 2 * along, 2, 3));
    EXPECT_EQ(emitter.particlesToSpawn, 0);
    EXPECT_EQ(emitter.spawnCarry, 0.0f);
}

TEST(SphereEmitterTest, CarriesTheFractionAndAgesForwardWhenTimeRunsBack) {
    ParticleProps props = plainProps(10);
    props.lifespan = 0;
    Ref<ParticleSystem> system = makeSystem(8);
    SphereParticleEmitter emitter(system, props);
    // Times alternate so every step is exactly 0.05 (the step is the distance between times).
    const int expected[] = {0, 1, 1, 2, 2, 3};
    for (int frame = 0; frame < 6; ++frame) {
        emitter.afterLocalTransform(frame % 2 == 0 ? 0.05f : 0.0f);
        EXPECT_EQ(alive(*system), expected[frame]) << "frame " << frame;
    }

    ParticleProps aging = plainProps(2);
    Ref<ParticleSystem> one = makeSystem(1);
    SphereParticleEmitter back(one, aging);
    back.afterLocalTransform(1.0f);
    ASSERT_EQ(one->particles()[0].energy, 1.0f);
    back.afterLocalTransform(0.75f);
    EXPECT_EQ(back.step, 0.25f);
    EXPECT_FLOAT_EQ(one->particles()[0].energy, 0.75f);
}

TEST(SphereEmitterTest, UnboundedSpawnRatesStayDefined) {
    Ref<ParticleSystem> system = makeSystem(4);
    ParticleProps props = plainProps(std::numeric_limits<float>::infinity());
    SphereParticleEmitter flood(system, props);
    flood.afterLocalTransform(1.0f);
    EXPECT_EQ(alive(*system), 4);
    EXPECT_TRUE(std::isfinite(flood.spawnCarry));

    Ref<ParticleSystem> other = makeSystem(4);
    props.spawnRate = std::numeric_limits<float>::quiet_NaN();
    SphereParticleEmitter none(other, props);
    none.afterLocalTransform(1.0f);
    none.afterLocalTransform(2.0f);
    EXPECT_EQ(alive(*other), 0);
    EXPECT_EQ(none.spawnCarry, 0.0f);
}

TEST(SphereEmitterTest, SpawnRateFollowsItsEnvelope) {
    Ref<Envelope> rate = makeRef<Envelope>();
    EnvelopeKey key;
    key.value = 6;
    key.time = 0;
    rate->insertKey(key);
    Ref<ParticleSystem> system = makeSystem(8);
    SphereParticleEmitter emitter(system, plainProps(0));
    emitter.spawnRateEnvelope = rate;
    emitter.afterLocalTransform(0.5f);
    EXPECT_EQ(emitter.props.spawnRate, 6.0f);
    EXPECT_EQ(alive(*system), 3);
}

TEST(SmokeEmitterTest, RisesFromTheEmitterAndGrowsToItsLimit) {
    Ref<ParticleSystem> system = makeSystem(1);
    SmokeParticleEmitter emitter(system, plainProps(2), 0.4f, 0.0f, 0.9f);
    emitter.transform.position = {0, 1, 0};
    emitter.afterLocalTransform(0.5f);
    Draws d;
    d.skip(4);
    float r1 = d.next(), r2 = d.next(), r3 = d.next();
    Vec3 dir = Vec3(r3, std::fabs(r2) + 1.0f, r1).normalized();
    d.skip(2);
    const Particle& p = system->particles()[0];
    expectVec(p.position, Vec3(0, 1, 0));
    expectVec(p.velocity, dir * 2.0f);
    EXPECT_GT(p.velocity.y, 0.0f);
    EXPECT_EQ(emitter.randomState, d.state);

    emitter.afterLocalTransform(1.0f); // radius 0.5 + 0.4 * 0.5
    EXPECT_FLOAT_EQ(p.radius, 0.7f);
    expectVec(p.position, Vec3(0, 1, 0) + dir * 1.0f);
    emitter.afterLocalTransform(1.5f);
    EXPECT_FLOAT_EQ(p.radius, 0.9f) << "capped at the maximum radius";
}

TEST(RainEmitterTest, RespawnsOnTheTopFaceFallingStraightDown) {
    Ref<ParticleSystem> system = makeSystem(3);
    ParticleProps props = plainProps(4);
    props.speed = 3;
    RainParticleEmitter emitter(system, props, {-1, 0, -2}, {1, 5, 2});
    emitter.afterLocalTransform(0.5f);
    Draws d;
    d.skip(1);
    for (int k = 0; k < 2; ++k) {
        d.skip(1 + 3 + 1); // lifespan, initialisation, speed
        float u = d.magnitude(), w = d.magnitude();
        const Particle& p = system->particles()[k];
        expectVec(p.position, Vec3(-1 + 2 * u, 5, -2 + 4 * w));
        expectVec(p.velocity, Vec3(0, -3, 0));
        EXPECT_EQ(p.energy, 1.0f);
    }
    EXPECT_FLOAT_EQ(system->particles()[2].energy, -1.5f) << "dead particles age too";

    emitter.afterLocalTransform(1.0f);
    const Particle& p = system->particles()[0];
    EXPECT_FLOAT_EQ(p.position.y, 3.5f);
    EXPECT_FLOAT_EQ(p.energy, 0.5f);
    EXPECT_EQ(system->particles()[2].position.y, 5.0f) << "the third record spawns now";
}

} // namespace
