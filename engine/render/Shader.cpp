#include "render/Shader.h"

#include "core/Diagnostics.h"
#include "render/CodeTables.h"

#include <vector>

Shader::~Shader() {
    if (glName_ != 0)
        glDeleteShader(glName_);
}

namespace {

// A reader of a source position at the start of a log line.
struct PositionReader {
    const std::string& text;
    size_t at = 0;

    bool number(size_t& value) {
        const size_t start = at;
        value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 9)
            value = value * 10 + size_t(text[at++] - '0');
        return at > start;
    }
    bool symbol(char c) {
        if (at >= text.size() || text[at] != c)
            return false;
        ++at;
        return true;
    }
};

} // namespace

std::string Shader::nameLogPositions(const std::string& log) const {
    std::string out;
    size_t begin = 0;
    while (begin < log.size()) {
        size_t end = log.find('\n', begin);
        end = end == std::string::npos ? log.size() : end + 1;
        const std::string line = log.substr(begin, end - begin);
        begin = end;
        // Mesa writes "N:L(C): ...", other drivers "N(L) : ...".
        size_t file = 0, row = 0, column = 0;
        PositionReader mesa{line};
        PositionReader other{line};
        if (mesa.number(file) && file < files_.size() && mesa.symbol(':') && mesa.number(row) &&
            mesa.symbol('(') && mesa.number(column) && mesa.symbol(')'))
            out += files_[file] + ":" + std::to_string(row) + ":" + std::to_string(column) +
                   line.substr(mesa.at);
        else if (other.number(file) && file < files_.size() && other.symbol('(') && other.number(row) &&
                 other.symbol(')'))
            out += files_[file] + ":" + std::to_string(row) + line.substr(other.at);
        else
            out += line;
    }
    return out;
}

bool Shader::compile() {
    glName_ = glCreateShader(codes::stageType(stage_));
    const GLchar* text = source_.c_str();
    const GLint length = GLint(source_.size());
    glShaderSource(glName_, 1, &text, &length);
    glCompileShader(glName_);
    GLint status = GL_FALSE;
    glGetShaderiv(glName_, GL_COMPILE_STATUS, &status);
    if (status == GL_TRUE)
        return true;
    GLint logLength = 0;
    glGetShaderiv(glName_, GL_INFO_LOG_LENGTH, &logLength);
    std::vector<GLchar> log(size_t(logLength > 1 ? logLength : 1), '\0');
    glGetShaderInfoLog(glName_, GLsizei(log.size()), nullptr, log.data());
    diagnostic(path_.c_str(), "compile", "shader does not compile:\n%s",
               nameLogPositions(log.data()).c_str());
    glDeleteShader(glName_);
    glName_ = 0;
    return false;
}
