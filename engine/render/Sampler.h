#pragma once

#include "core/Object.h"
#include "render/Gl.h"

#include <string>

class Program;

// A full sampling record for GL sampler objects; filter and wrap codes as for textures.
struct SamplerParams {
    int magFilter = 1;
    int minFilter = 1;
    int wrapS = 1;
    int wrapT = 1;
    int wrapR = 1;
    int compareMode = 1;
    int compareFunction = 2;
    float minLod = -1000.0f;
    float maxLod = 1000.0f;
    float lodBias = 0.0f;
    float borderColor[4] = {0, 0, 0, 0};
};

// A GL sampler object that a program binds to one of its sampler units.
class Sampler : public Object {
public:
    Sampler();
    ~Sampler() override;

    // Copies the record and sends every parameter, changed or not.
    void apply(const SamplerParams& params);

    // Gives `program` a sampler object for its sampler uniform `uniformName`. Only drivers whose
    // vendor is NVIDIA get sampler objects (elsewhere the textures' own parameters govern
    // sampling), and a unit that already has one keeps it. Answers the new sampler or null.
    static Ref<Sampler> createForUniform(Program& program, const std::string& uniformName,
                                         const SamplerParams& params);

    const SamplerParams& params() const { return params_; }
    GLuint glName() const { return glName_; }

private:
    SamplerParams params_;
    GLuint glName_ = 0;
};
