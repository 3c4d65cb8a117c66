// Particle simulation: 100,000 particles through a sphere emitter, gravity and a reflecting floor,
// one update walk of the three nodes per frame, on one core and without GL. Reports particle
// updates per second (one per particle per frame, through all three nodes) and heap allocations
// per frame.
#include "particles/GravityForceParticleOperator.h"
#include "particles/ParticleSystem.h"
#include "particles/ReflectionPlaneParticleOperator.h"
#include "particles/SphereParticleEmitter.h"
#include "support/AllocationCounter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

constexpr int kParticles = 100000;

struct Fountain {
    Ref<ParticleSystem> system = makeRef<ParticleSystem>();
    Ref<SphereParticleEmitter> emitter;
    Ref<GravityForceParticleOperator> gravity;
    Ref<ReflectionPlaneParticleOperator> floor;
    float time = 0;

    Fountain() {
        system->allocate(kParticles);
        ParticleProps props;
        // Lives of 1.5 s on average at 80,000 spawns a second keep the array nearly full, so the
        // emitter both moves living particles and recycles dead ones every frame.
        props.spawnRate = 80000;
        props.spawnRateVariance = 2000;
        props.lifespan = 0.67f;
        props.lifespanVariance = 0.2f;
        props.speed = 1;
        props.speedVariance = 0.001f;
        props.radius = 0.05f;
        props.radiusVariance = 0.02f;
        props.massVariance = 0.5f;
        emitter = makeRef<SphereParticleEmitter>(system, props, 0.5f, 0.1f);
        emitter->transform.flags = NodeTransform::HasPosition;
        gravity = makeRef<GravityForceParticleOperator>(system, -9.81f);
        floor = makeRef<ReflectionPlaneParticleOperator>(system, 4.0f);
        floor->transform.flags = NodeTransform::HasPosition;
        floor->transform.position = {0, -2, 0};
        for (int i = 0; i < 120; ++i)
            frame();
    }

    void frame() {
        time += 1.0f / 60.0f;
        emitter->transform.position = {std::sin(time), 1, std::cos(time)};
        emitter->update(time);
        gravity->update(time);
        floor->update(time);
    }
};

void BM_ParticleFrame(benchmark::State& state) {
    Fountain fountain;
    uint64_t frames = 0;
    gAllocations = 0;
    gCountAllocations = true;
    for (auto _ : state) {
        fountain.frame();
        ++frames;
    }
    gCountAllocations = false;
    int alive = 0;
    for (int i = 0; i < fountain.system->count(); ++i)
        alive += fountain.system->particles()[i].energy >= 0;
    benchmark::DoNotOptimize(alive);
    state.SetItemsProcessed(int64_t(state.iterations()) * kParticles);
    state.counters["particle_updates_per_s"] =
        benchmark::Counter(double(state.iterations()) * kParticles, benchmark::Counter::kIsRate);
    state.counters["allocations_per_frame"] = frames ? double(gAllocations) / double(frames) : 0.0;
    state.counters["alive"] = alive;
}
BENCHMARK(BM_ParticleFrame)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(false);

} // namespace
