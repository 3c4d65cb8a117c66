#pragma once

#include "core/Object.h"
#include "render/UniformState.h"

#include <vector>

class Program;

// The uniform states of one program, applied in insertion order after the program is bound.
class Uniforms : public Object {
public:
    explicit Uniforms(const Ref<Program>& program);
    ~Uniforms() override;

    void add(const Ref<UniformState>& state) { states_.push_back(state); }
    void applyAll() const;
    void restoreAll() const;

    const Ref<Program>& program() const { return program_; }
    const std::vector<Ref<UniformState>>& states() const { return states_; }

private:
    Ref<Program> program_;
    std::vector<Ref<UniformState>> states_;
};
