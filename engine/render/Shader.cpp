#include "render/Shader.h"

#include "core/Diagnostics.h"
#include "render/CodeTables.h"

#include <vector>

Shader::~Shader() {
    if (glName_ != 0)
        glDeleteShader(glName_);
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
    diagnostic(path_.c_str(), "compile", "shader does not compile:\n%s", log.data());
    glDeleteShader(glName_);
    glName_ = 0;
    return false;
}
