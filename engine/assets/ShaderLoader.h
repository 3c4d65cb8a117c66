#pragma once

#include "assets/Loader.h"
#include "render/Shader.h"

#include <functional>
#include <string>
#include <vector>

// Reads one shader stage file, expands its "#include <name>" directives textually (names are
// relative to the shader directory) and wraps the text in a Shader that is not compiled yet.
class ShaderLoader : public Loader {
public:
    explicit ShaderLoader(std::string shaderDirectory = "data/shaders/");

    // Null when the file is missing, unusable (a directory, a dangling link, unreadable), empty or
    // an include cannot be expanded. Every failure but a missing file prints one diagnostic line
    // naming the file and the reason: programs tolerate absent stages, not broken ones.
    [[nodiscard]] Ref<Shader> load(const std::string& path, int stage) const;
    // The same without printing: on failure `failure` says why ("missing file", "empty shader",
    // "dangling symbolic link", an include's fault, ...). For callers that require the stage.
    [[nodiscard]] Ref<Shader> loadStage(const std::string& path, int stage, std::string* failure) const;

    // Reads a whole file in binary mode; a file that cannot be opened reads as empty.
    static std::string readFile(const std::string& path);

    // Expands every include directive of `text`, included files' own directives too. Fails (with
    // one diagnostic line naming `file`) on a directive without its closing '>', an included
    // file that reads as empty, an include cycle, nesting deeper than 32 or a result larger than
    // 64 MiB. With `failure` given the reason goes there instead of standard error; `shown`, when
    // given, prefixes include names in the reason (the folder they were looked for in).
    using IncludeReader = std::function<std::string(const std::string& name)>;
    // With `files` given, an include that stands alone on its line is marked with line directives
    // ("#line 1 N" before it, "#line L P" after it), so the compiler's messages count lines in the
    // file the author edits: `files` receives the paths by source string number, `file` first.
    static bool expandIncludes(const std::string& text, const std::string& file, const IncludeReader& read,
                               std::string* out, std::string* failure = nullptr,
                               const std::string* shown = nullptr, std::vector<std::string>* files = nullptr);

    const std::string& shaderDirectory() const { return shaderDirectory_; }
    void setShaderDirectory(const std::string& directory) { shaderDirectory_ = directory; }
    // With dumping on, every expanded source is also written to the dump directory under the
    // stage file's own name.
    void setDump(bool dump, const std::string& directory) {
        dump_ = dump;
        dumpDirectory_ = directory;
    }

private:
    std::string shaderDirectory_;
    bool dump_ = false;
    std::string dumpDirectory_;
};
