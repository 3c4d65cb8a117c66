#pragma once

#include "core/Object.h"
#include "render/Gl.h"

#include <string>
#include <vector>

// One stage's source text, expanded and as read, and its GL shader once compiled.
class Shader : public Object {
public:
    Shader(std::string path, std::string source, std::string unexpandedSource, int stage)
        : path_(std::move(path)), source_(std::move(source)), unexpanded_(std::move(unexpandedSource)),
          stage_(stage) {}
    ~Shader() override;

    // Compiles the expanded text. On failure the driver's log goes to standard error with the
    // file's path and the GL shader is deleted again.
    [[nodiscard]] bool compile();

    const std::string& path() const { return path_; }
    const std::string& source() const { return source_; }
    const std::string& unexpandedSource() const { return unexpanded_; }
    int stage() const { return stage_; }
    // The files the expanded text came from, by the source string numbers of its line directives
    // (0: the stage file). Compile errors are reported against them.
    void setSourceFiles(std::vector<std::string> files) { files_ = std::move(files); }
    const std::vector<std::string>& sourceFiles() const { return files_; }
    // The driver's log with each message's "N:L(C)" or "N(L)" source position turned into the
    // file's path and line ("shaders/deferred/lighting.glsl:42:5"); other lines as they are.
    std::string nameLogPositions(const std::string& log) const;
    GLuint glName() const { return glName_; }

private:
    std::string path_;
    std::string source_;
    std::string unexpanded_;
    int stage_;
    std::vector<std::string> files_;
    GLuint glName_ = 0;
};
