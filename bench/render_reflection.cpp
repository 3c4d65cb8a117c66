// Reflection of a linked program with 40 uniforms (scalars, vectors, matrices, arrays, samplers).
#include "RenderBenchContext.h"

#include "render/Program.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

Ref<Program> fortyUniformProgram() {
    std::string declarations, sum = "vec4 s = vec4(0.0);\n";
    for (int i = 0; i < 40; ++i) {
        const std::string n = std::to_string(i);
        switch (i % 5) {
        case 0:
            declarations += "uniform float f" + n + ";\n", sum += "s.x += f" + n + ";\n";
            break;
        case 1:
            declarations += "uniform vec4 v" + n + ";\n", sum += "s += v" + n + ";\n";
            break;
        case 2:
            declarations += "uniform mat4 m" + n + ";\n", sum += "s += m" + n + "[1];\n";
            break;
        case 3:
            declarations += "uniform float a" + n + "[4];\n", sum += "s.y += a" + n + "[3];\n";
            break;
        case 4:
            declarations += "uniform sampler2D t" + n + ";\n", sum += "s += texture(t" + n + ", s.xy);\n";
            break;
        }
    }
    const std::string vertex =
        "#version 430 core\nin vec4 POSITION;\nvoid main() { gl_Position = POSITION; }\n";
    const std::string fragment =
        "#version 430 core\n" + declarations + "out vec4 color;\nvoid main() {\n" + sum + "color = s;\n}\n";
    Ref<Program> program = makeRef<Program>("forty");
    program->setStage(0, makeRef<Shader>("forty.vert", vertex, vertex, 0));
    program->setStage(1, makeRef<Shader>("forty.frag", fragment, fragment, 1));
    return program->link(nullptr, 0, 0) ? program : nullptr;
}

void BM_ReflectFortyUniforms(benchmark::State& state) {
    ensureBenchContext();
    Ref<Program> program = fortyUniformProgram();
    if (!program || program->uniforms().size() + program->samplers().size() != 40) {
        state.SkipWithError("the 40-uniform program did not link as expected");
        return;
    }
    for (auto _ : state)
        program->reflect();
    state.counters["uniforms"] = double(program->uniforms().size() + program->samplers().size());
}
BENCHMARK(BM_ReflectFortyUniforms)->Unit(benchmark::kMicrosecond);

} // namespace
