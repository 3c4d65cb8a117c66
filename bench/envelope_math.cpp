// Envelope evaluation per shape and key count, and the Mat4 operations on the per-frame paths.
#include "math/Mat4.h"
#include "scene/Envelope.h"

#include <benchmark/benchmark.h>
#include <random>

namespace {

Ref<Envelope> makeEnvelope(int shape, int keys) {
    Ref<Envelope> e = makeRef<Envelope>();
    std::mt19937 rng(1);
    std::uniform_real_distribution<float> value(-1, 1);
    for (int i = 0; i < keys; ++i) {
        EnvelopeKey k;
        k.time = float(i);
        k.value = value(rng);
        k.shape = shape;
        k.tension = 0.1f;
        k.bias = -0.2f;
        k.param[0] = k.param[1] = 0.5f;
        k.param[2] = 0.3f;
        k.param[3] = 0.1f;
        k.param[0] = shape == ShapeBezier2D ? -0.3f : 0.5f;
        e->insertKey(k);
    }
    e->preBehaviour = BehaviourRepeat;
    e->postBehaviour = BehaviourRepeat;
    return e;
}

void evaluate(benchmark::State& state) {
    Ref<Envelope> e = makeEnvelope(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    float span = float(state.range(1) - 1);
    float t = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(e->evaluate(t));
        t += 0.0137f;
        if (t > span)
            t -= span;
    }
}
BENCHMARK(evaluate)
    ->ArgNames({"shape", "keys"})
    ->ArgsProduct({{ShapeTCB, ShapeHermite, ShapeLinear, ShapeStepped, ShapeBezier2D}, {2, 8, 64}});

void mat4Multiply(benchmark::State& state) {
    Mat4 a = Mat4::perspective(60, 1.7f, 0.1f, 100);
    Mat4 b = Mat4::multiply(Mat4::rotationY(0.3f), Mat4::translation({1, 2, 3}));
    for (auto _ : state) {
        benchmark::DoNotOptimize(a);
        benchmark::DoNotOptimize(b);
        Mat4 c = Mat4::multiply(a, b);
        benchmark::DoNotOptimize(c);
    }
}
BENCHMARK(mat4Multiply);

void mat4Inverse(benchmark::State& state) {
    Mat4 a = Mat4::multiply(Mat4::rotationX(0.4f), Mat4::perspective(60, 1.7f, 0.1f, 100));
    for (auto _ : state) {
        benchmark::DoNotOptimize(a);
        Mat4 c = Mat4::inverse(a);
        benchmark::DoNotOptimize(c);
    }
}
BENCHMARK(mat4Inverse);

} // namespace
