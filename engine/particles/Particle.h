#pragma once

#include "math/Vec3.h"

#include <cstddef>

// One particle, 48 bytes. The same bytes are a vertex of the particle vertex buffer: position as
// "POSITION", velocity as "NORMAL", the reserved vector as "COLOR" and (radius, energy, mass) as
// "TANGENT". A particle is alive while its energy is not negative.
struct Particle {
    Vec3 position;
    Vec3 velocity; // units per second
    Vec3 reserved; // cleared on every spawn; shaders may read it
    float radius = 0;
    float energy = -1.0f;
    float mass = 1.0f;
};

static_assert(sizeof(Particle) == 48, "particle records are mirrored byte for byte into vertices");
static_assert(offsetof(Particle, velocity) == 12 && offsetof(Particle, reserved) == 24 &&
                  offsetof(Particle, radius) == 36 && offsetof(Particle, energy) == 40 &&
                  offsetof(Particle, mass) == 44,
              "vertex element offsets");

// What an emitter gives the particles it spawns, as value/variance pairs: a drawn quantity is
// value + variance * |r| for a fresh random r.
struct ParticleProps {
    float spawnRate = 1, spawnRateVariance = 0;
    float lifespan = 1, lifespanVariance = 0;
    float mass = 1, massVariance = 0;
    float speed = 0, speedVariance = 0;
    float radius = 1, radiusVariance = 0;
    float energy = 1, energyVariance = 0;
};

static_assert(sizeof(ParticleProps) == 12 * sizeof(float), "twelve floats");
