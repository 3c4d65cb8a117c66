#pragma once

#include <string>
#include <vector>

class ShaderLoader;

// Builds programs from their stage files (directory + name + extension, read through a shader
// loader) and registers each under its name unless the name is taken. Stages a program's
// declaration requires must load; any other stage of the variant may be absent, and a program is
// never linked without a stage it requires. After a failed build `failure()` says why in one line.
class ProgramBuilder {
public:
    // `requiredStages`: a bit (1 << stage code) for each stage that must load.
    explicit ProgramBuilder(const ShaderLoader& loader, unsigned requiredStages = 0)
        : loader_(loader), required_(requiredStages) {}

    [[nodiscard]] bool buildPlain(const std::string& name);
    [[nodiscard]] bool buildWithGeometry(const std::string& name);
    [[nodiscard]] bool buildTransformFeedback(const std::string& name,
                                              const std::vector<std::string>& varyings, int modeCode);
    [[nodiscard]] bool buildTessellation(const std::string& name);
    [[nodiscard]] bool buildCompute(const std::string& name);

    const std::string& failure() const { return failure_; }

private:
    [[nodiscard]] bool build(const std::string& name, std::initializer_list<int> stages,
                             const std::vector<std::string>* varyings, int modeCode);

    const ShaderLoader& loader_;
    unsigned required_;
    std::string failure_;
};
