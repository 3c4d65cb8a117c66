#include "particles/GravityForceParticleOperator.h"
#include "particles/ParticleSystem.h"
#include "particles/RadialForceParticleOperator.h"
#include "particles/ReflectionPlaneParticleOperator.h"
#include "particles/ReflectionSphereParticleOperator.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

Ref<ParticleSystem> systemWith(std::initializer_list<Particle> particles) {
    Ref<ParticleSystem> system = makeRef<ParticleSystem>();
    EXPECT_TRUE(system->allocate(int(particles.size())));
    int i = 0;
    for (const Particle& p : particles)
        system->particles()[i++] = p;
    return system;
}

Particle at(const Vec3& position, const Vec3& velocity = Vec3(), float mass = 1, float energy = 1) {
    Particle p;
    p.position = position;
    p.velocity = velocity;
    p.mass = mass;
    p.energy = energy;
    return p;
}

void expectVec(const Vec3& actual, const Vec3& expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-5f);
    EXPECT_NEAR(actual.y, expected.y, 1e-5f);
    EXPECT_NEAR(actual.z, expected.z, 1e-5f);
}

TEST(GravityOperatorTest, PullsAlongTheNodesSecondRowWithMassAndSignedStep) {
    Ref<ParticleSystem> system = systemWith({at({}, {}, 1), at({}, {}, 2)});
    GravityForceParticleOperator gravity(system, 2);
    // Pitch a quarter turn: the local matrix's second row becomes (0, 0, -1).
    gravity.transform.flags = NodeTransform::HasRotation;
    gravity.transform.rotation = {0, 1.5707964f, 0};
    gravity.update(0.5f);
    expectVec(system->particles()[0].velocity, {0, 0, -1});
    expectVec(system->particles()[1].velocity, {0, 0, -2});
    gravity.update(0.25f); // time runs back: so does the force
    EXPECT_FLOAT_EQ(gravity.step, -0.25f);
    expectVec(system->particles()[0].velocity, {0, 0, -0.5f});
}

TEST(RadialForceOperatorTest, PullsWithConstantMagnitudeInsideTheRadiusOnly) {
    Ref<ParticleSystem> system =
        systemWith({at({1, 0, 0}, {}, 2), at({0, 0, 0}), at({3, 0, 0}), at({0, 0.5f, 0}, {1, 0, 0})});
    RadialForceParticleOperator radial(system, 2, 3);
    radial.afterLocalTransform(0.5f);
    expectVec(system->particles()[0].velocity, {-3, 0, 0});
    expectVec(system->particles()[1].velocity, {0, 0, 0});     // no direction at the centre
    expectVec(system->particles()[2].velocity, {0, 0, 0});     // outside the radius
    expectVec(system->particles()[3].velocity, {1, -1.5f, 0}); // magnitude does not grow near the centre
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(std::isfinite(system->particles()[i].velocity.length()));
}

TEST(ReflectionPlaneOperatorTest, PushesBackWhatIsBehindThePlane) {
    Ref<ParticleSystem> system = systemWith({at({0, 0, 0}, {1, -4, 0}), at({0, 2, 0}, {0, -1, 0})});
    ReflectionPlaneParticleOperator plane(system, 0.5f);
    plane.transform.position = {0, 1, 0};
    plane.transform.local.m[5] = 2; // normal (0, 2, 0), used as it is
    plane.afterLocalTransform(0.5f);
    const Particle& behind = system->particles()[0];
    expectVec(behind.velocity, {1, 0, 0});
    expectVec(behind.position, {0, 1, 0});
    EXPECT_FLOAT_EQ(behind.energy, 0.0f);
    expectVec(system->particles()[1].velocity, {0, -1, 0});
    EXPECT_EQ(system->particles()[1].energy, 1.0f);
}

TEST(ReflectionSphereOperatorTest, ActsAlongTheLineToTheCentreInsideTheRadius) {
    Ref<ParticleSystem> system =
        systemWith({at({1, 0, 0}, {2, 1, 0}), at({0, 0, 0}, {1, 1, 1}), at({5, 0, 0})});
    ReflectionSphereParticleOperator sphere(system, 2, 0.5f);
    sphere.afterLocalTransform(0.5f);
    const Particle& inside = system->particles()[0];
    expectVec(inside.velocity, {1.5f, 1, 0});
    expectVec(inside.position, {0.75f, 0, 0});
    EXPECT_FLOAT_EQ(inside.energy, 0.0f);
    expectVec(system->particles()[1].velocity, {1, 1, 1}); // no direction at the centre
    EXPECT_EQ(system->particles()[2].energy, 1.0f);
}

TEST(ReflectionOperatorTest, ZeroStrengthDoesNothingAndStaysFinite) {
    Ref<ParticleSystem> system = systemWith({at({0, -1, 0}, {0, -1, 0}), at({0.5f, 0, 0}, {1, 0, 0})});
    ReflectionPlaneParticleOperator plane(system, 0);
    ReflectionSphereParticleOperator sphere(system, 1, 0);
    for (float t : {0.0f, 0.5f}) {
        plane.afterLocalTransform(t);
        sphere.afterLocalTransform(t);
    }
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(system->particles()[i].energy, 1.0f);
    expectVec(system->particles()[0].position, {0, -1, 0});
}

} // namespace
