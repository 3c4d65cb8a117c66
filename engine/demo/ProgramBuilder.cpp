#include "demo/ProgramBuilder.h"

#include "assets/ShaderLoader.h"
#include "demo/Registries.h"
#include "render/CodeTables.h"
#include "render/Program.h"

bool ProgramBuilder::build(const std::string& name, std::initializer_list<int> stages,
                           const std::vector<std::string>* varyings, int modeCode) {
    failure_.clear();
    Ref<Program> program = makeRef<Program>(name);
    const std::string stem = loader_.shaderDirectory() + name;
    for (int stage : stages) {
        const std::string path = stem + codes::stageExtension(stage);
        Ref<Shader> shader;
        if (required_ & (1u << stage)) {
            std::string why;
            shader = loader_.loadStage(path, stage, &why);
            if (!shader) {
                failure_ = "shader file " + path + ": " + why;
                return false;
            }
        } else {
            shader = loader_.load(path, stage);
        }
        if (shader)
            program->setStage(stage, shader);
    }
    std::vector<const char*> names;
    if (varyings)
        for (const std::string& v : *varyings)
            names.push_back(v.c_str());
    if (!program->link(names.data(), int(names.size()), modeCode)) {
        failure_ = "program \"" + name + "\" does not build (a stage does not compile, or it does not link)";
        return false;
    }
    programRegistry().insert(name, program);
    return true;
}

bool ProgramBuilder::buildPlain(const std::string& name) {
    return build(name, {Program::kVertex, Program::kFragment}, nullptr, 0);
}

bool ProgramBuilder::buildWithGeometry(const std::string& name) {
    return build(name, {Program::kVertex, Program::kFragment, Program::kGeometry}, nullptr, 0);
}

bool ProgramBuilder::buildTransformFeedback(const std::string& name, const std::vector<std::string>& varyings,
                                            int modeCode) {
    return build(name, {Program::kVertex, Program::kGeometry}, &varyings, modeCode);
}

bool ProgramBuilder::buildTessellation(const std::string& name) {
    return build(name, {Program::kVertex, Program::kFragment, Program::kControl, Program::kEvaluation},
                 nullptr, 0);
}

bool ProgramBuilder::buildCompute(const std::string& name) {
    return build(name, {Program::kCompute}, nullptr, 0);
}
