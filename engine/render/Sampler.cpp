#include "render/Sampler.h"

#include "render/CodeTables.h"
#include "render/Device.h"
#include "render/Program.h"

Sampler::Sampler() {
    glGenSamplers(1, &glName_);
}

Sampler::~Sampler() {
    if (glName_ != 0)
        glDeleteSamplers(1, &glName_);
}

void Sampler::apply(const SamplerParams& params) {
    params_ = params;
    glSamplerParameteri(glName_, GL_TEXTURE_MAG_FILTER, GLint(codes::filter(params.magFilter)));
    glSamplerParameteri(glName_, GL_TEXTURE_MIN_FILTER, GLint(codes::filter(params.minFilter)));
    glSamplerParameteri(glName_, GL_TEXTURE_WRAP_S, GLint(codes::wrap(params.wrapS)));
    glSamplerParameteri(glName_, GL_TEXTURE_WRAP_T, GLint(codes::wrap(params.wrapT)));
    glSamplerParameteri(glName_, GL_TEXTURE_WRAP_R, GLint(codes::wrap(params.wrapR)));
    glSamplerParameteri(glName_, GL_TEXTURE_COMPARE_MODE, GLint(codes::compareMode(params.compareMode)));
    glSamplerParameteri(glName_, GL_TEXTURE_COMPARE_FUNC,
                        GLint(codes::compareFunction(params.compareFunction)));
    glSamplerParameterfv(glName_, GL_TEXTURE_BORDER_COLOR, params.borderColor);
    glSamplerParameterf(glName_, GL_TEXTURE_MIN_LOD, params.minLod);
    glSamplerParameterf(glName_, GL_TEXTURE_MAX_LOD, params.maxLod);
    glSamplerParameterf(glName_, GL_TEXTURE_LOD_BIAS, params.lodBias);
}

Ref<Sampler> Sampler::createForUniform(Program& program, const std::string& uniformName,
                                       const SamplerParams& params) {
    if (!Device::vendorIsNvidia())
        return nullptr;
    const SamplerInfo* uniform = program.findSampler(uniformName);
    if (!uniform || program.hasSamplerObject(uniform->unit))
        return nullptr;
    Ref<Sampler> sampler = makeRef<Sampler>();
    sampler->apply(params);
    program.addSamplerObject(uniform->unit, sampler);
    return sampler;
}
