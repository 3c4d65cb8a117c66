#include "render/Uniforms.h"

#include "render/Program.h"

Uniforms::Uniforms(const Ref<Program>& program) : program_(program) {}

Uniforms::~Uniforms() = default;

void Uniforms::applyAll() const {
    for (const Ref<UniformState>& state : states_)
        state->apply();
}

void Uniforms::restoreAll() const {
    for (const Ref<UniformState>& state : states_)
        state->restore();
}
