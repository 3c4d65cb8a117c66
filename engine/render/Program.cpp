#include "render/Program.h"

#include "core/Diagnostics.h"
#include "core/LoadPhases.h"
#include "render/CodeTables.h"

#include <algorithm>

Program::~Program() {
    if (glName_ != 0)
        glDeleteProgram(glName_);
}

void Program::setStage(int stage, const Ref<Shader>& shader) {
    if (stage >= 0 && stage < 6)
        stages_[stage] = shader;
}

bool Program::compileAndAttach(int stage) {
    Shader* shader = stages_[stage].get();
    if (shader->glName() == 0 && !shader->compile())
        return false;
    glAttachShader(glName_, shader->glName());
    return true;
}

void Program::printLog(const char* place, const char* what) const {
    GLint length = 0;
    glGetProgramiv(glName_, GL_INFO_LOG_LENGTH, &length);
    std::vector<GLchar> log(size_t(length > 1 ? length : 1), '\0');
    glGetProgramInfoLog(glName_, GLsizei(log.size()), nullptr, log.data());
    const std::string& file = stages_[kVertex] ? stages_[kVertex]->path() : name_;
    diagnostic(file.c_str(), place, "program \"%s\" %s:\n%s", name_.c_str(), what, log.data());
}

bool Program::link(const char* const* varyings, int count, int mode) {
    LoadPhaseScope phase(LoadPhases::Programs);
    if (!stages_[kVertex] && !stages_[kControl] && !stages_[kEvaluation] && !stages_[kCompute])
        return false;
    glName_ = glCreateProgram();
    bool attached = true;
    for (int stage : {kVertex, kFragment, kGeometry})
        if (attached && stages_[stage])
            attached = compileAndAttach(stage);
    if (attached && stages_[kControl])
        attached = stages_[kEvaluation] && compileAndAttach(kControl) && compileAndAttach(kEvaluation);
    if (attached && stages_[kCompute])
        attached = compileAndAttach(kCompute);
    if (!attached) {
        // The program object would otherwise outlive the failed build with nothing referring to it.
        glDeleteProgram(glName_);
        glName_ = 0;
        return false;
    }
    const bool feedback = count > 0 && varyings;
    if (feedback) {
        glTransformFeedbackVaryings(glName_, count, varyings, codes::feedbackMode(mode));
        glEnable(GL_RASTERIZER_DISCARD);
    }
    // Attributes named after a vertex semantic sit at that semantic's code in every program, so a
    // vertex array recorded once serves every program a drawable is drawn with (the material's in
    // colour passes, the shadow casters' in shadow passes). Explicit layout locations still win.
    for (int semantic = 0; semantic < codes::kSemanticCount - 1; ++semantic)
        glBindAttribLocation(glName_, GLuint(semantic), codes::semanticName(semantic).c_str());
    glLinkProgram(glName_);
    GLint linked = GL_FALSE;
    glGetProgramiv(glName_, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        printLog("link", "does not link");
        if (feedback)
            glDisable(GL_RASTERIZER_DISCARD);
        glDeleteProgram(glName_);
        glName_ = 0;
        clearReflection();
        return false;
    }
    reflect();
    glValidateProgram(glName_);
    GLint valid = GL_FALSE;
    glGetProgramiv(glName_, GL_VALIDATE_STATUS, &valid);
    if (feedback)
        glDisable(GL_RASTERIZER_DISCARD);
    if (valid != GL_TRUE) {
        printLog("validate", "does not validate");
        glDeleteProgram(glName_);
        // A deleted name must not stay behind: GL hands it out again.
        glName_ = 0;
        clearReflection();
        return false;
    }
    return true;
}

void Program::use() const {
    glUseProgram(glName_);
    for (size_t i = 0; i < samplerUnits_.size(); ++i)
        glBindSampler(samplerUnits_[i], samplerObjects_[i]->glName());
}

void Program::unuse() const {
    for (GLuint unit : samplerUnits_)
        glBindSampler(unit, 0);
    glUseProgram(0);
}

bool Program::hasSamplerObject(int unit) const {
    return std::find(samplerUnits_.begin(), samplerUnits_.end(), GLuint(unit)) != samplerUnits_.end();
}

void Program::addSamplerObject(int unit, const Ref<Sampler>& sampler) {
    samplerUnits_.push_back(GLuint(unit));
    samplerObjects_.push_back(sampler);
}

void Program::setFloat(const std::string& name, float x) const {
    if (const UniformInfo* u = findUniform(name))
        glUniform1f(u->location, x);
}

void Program::setFloatArray5(const std::string& name, const float* values) const {
    if (const UniformInfo* u = findUniform(name))
        glUniform1fv(u->location, 5, values);
}

void Program::setVector2(const std::string& name, float x, float y) const {
    if (const UniformInfo* u = findUniform(name))
        glUniform2f(u->location, x, y);
}

void Program::setVector3(const std::string& name, float x, float y, float z) const {
    if (const UniformInfo* u = findUniform(name))
        glUniform3f(u->location, x, y, z);
}
