#include "render/shader_program.h"

#include <fstream>
#include <iostream>

namespace nimra {

namespace {

// False when the file cannot be opened. A file that ends with a line end contributes a
// last, empty line; one that does not contributes its unterminated tail.
bool appendLines(const std::string& path, std::vector<std::string>& lines) {
    std::ifstream file(path);
    if (!file.is_open()) {
        std::cout << "file error:" << path << std::endl;
        return false;
    }
    std::string line;
    std::getline(file, line);
    while (file.good()) {
        lines.push_back(line);
        std::getline(file, line);
    }
    lines.push_back(line);
    return true;
}

}  // namespace

bool cShader::compile(GLenum type) {
    std::string text;
    for (const std::string& line : sourceLines) {
        text += line;
        text += '\n';
    }
    if (shaderName != -1) glDeleteShader(static_cast<GLuint>(shaderName));
    const GLuint shader = glCreateShader(type);
    shaderName = static_cast<int>(shader);

    const GLchar* source = text.c_str();
    const GLint length = static_cast<GLint>(text.size());
    glShaderSource(shader, 1, &source, &length);
    glCompileShader(shader);

    GLint status = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status != 0) return true;

    GLint logLength = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &logLength);
    if (logLength < 0) logLength = 0;
    std::string log(static_cast<size_t>(logLength) + 1, '\0');
    glGetShaderInfoLog(shader, logLength, nullptr, log.data());
    std::cout << log.c_str() << std::endl;
    return false;
}

void cShaderProgram::loadFiles(const std::vector<std::string>& vertexFiles,
                               const std::vector<std::string>& fragmentFiles) {
    for (const std::string& path : vertexFiles) {
        if (!appendLines(path, vertexStage.sourceLines)) return;
    }
    for (const std::string& path : fragmentFiles) {
        if (!appendLines(path, fragmentStage.sourceLines)) return;
    }
    if (!link()) std::cout << "compile and link failed" << std::endl;
}

void cShaderProgram::load(const std::string& vertexFile, const std::string& fragmentFile) {
    loadFiles({vertexFile}, {fragmentFile});
}

bool cShaderProgram::link() {
    attributeCache.clear();
    if (programName != -1) glDeleteProgram(static_cast<GLuint>(programName));
    programName = static_cast<int>(glCreateProgram());

    if (!vertexStage.compile(GL_VERTEX_SHADER)) return false;
    if (!fragmentStage.compile(GL_FRAGMENT_SHADER)) return false;
    const GLuint program = static_cast<GLuint>(programName);
    glAttachShader(program, static_cast<GLuint>(fragmentStage.shaderName));
    glAttachShader(program, static_cast<GLuint>(vertexStage.shaderName));
    // Link failures surface later as uniforms and attributes that resolve to -1.
    glLinkProgram(program);
    return true;
}

bool cShaderProgram::isLinked() const {
    if (programName == -1) return false;
    GLint linked = GL_FALSE;
    glGetProgramiv(static_cast<GLuint>(programName), GL_LINK_STATUS, &linked);
    return linked == GL_TRUE;
}

void cShaderProgram::use() {
    if (programName != -1) glUseProgram(static_cast<GLuint>(programName));
}

int cShaderProgram::uniformLocation(const std::string& name) {
    if (programName == -1) return -1;
    // Callers pass the result straight to glUniform*, so the program must be current.
    use();
    return glGetUniformLocation(static_cast<GLuint>(programName), name.c_str());
}

int cShaderProgram::attribLocation(const std::string& name) {
    if (programName == -1) return -1;
    const auto cached = attributeCache.find(name);
    if (cached != attributeCache.end()) return cached->second;
    use();
    const int location = glGetAttribLocation(static_cast<GLuint>(programName), name.c_str());
    attributeCache.emplace(name, location);
    return location;
}

}  // namespace nimra
