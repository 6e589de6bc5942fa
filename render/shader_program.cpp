#include "render/shader_program.h"

#include <fstream>
#include <iostream>
#include <utility>

#include "render/live_reload.h"

namespace nimra {

namespace {

// False when the file cannot be opened. A file that ends with a line end contributes a
// last, empty line; one that does not contributes its unterminated tail.
bool readLines(const std::string& path, std::vector<std::string>& lines) {
    std::ifstream file(path);
    if (!file.is_open()) return false;
    std::string line;
    std::getline(file, line);
    while (file.good()) {
        lines.push_back(line);
        std::getline(file, line);
    }
    lines.push_back(line);
    return true;
}

bool appendLines(const std::string& path, std::vector<std::string>& lines) {
    if (readLines(path, lines)) return true;
    std::cout << "file error:" << path << std::endl;
    return false;
}

// Compiles the lines, each ended by "\n", into the shader; on failure the info log is left
// in log, up to its terminator.
bool compileLines(GLuint shader, const std::vector<std::string>& lines, std::string& log) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += '\n';
    }
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
    std::string info(static_cast<size_t>(logLength) + 1, '\0');
    glGetShaderInfoLog(shader, logLength, nullptr, info.data());
    log = info.c_str();
    return false;
}

std::string programLog(GLuint program) {
    GLint logLength = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &logLength);
    if (logLength < 0) logLength = 0;
    std::string text(static_cast<size_t>(logLength) + 1, '\0');
    glGetProgramInfoLog(program, logLength, nullptr, text.data());
    return text.c_str();
}

std::string joinNames(const std::vector<std::string>& files) {
    std::string names;
    for (const std::string& file : files)
        names += (names.empty() ? "" : " ") + file;
    return names;
}

}  // namespace

bool cShader::compile(GLenum type) {
    if (shaderName != -1) glDeleteShader(static_cast<GLuint>(shaderName));
    const GLuint shader = glCreateShader(type);
    shaderName = static_cast<int>(shader);
    std::string log;
    if (compileLines(shader, sourceLines, log)) return true;
    std::cout << log << std::endl;
    return false;
}

cShaderProgram::~cShaderProgram() {
    if (tracked) liveReload::forget(*this);
}

void cShaderProgram::loadFiles(const std::vector<std::string>& vertexFiles,
                               const std::vector<std::string>& fragmentFiles) {
    // Remembered before anything is read, so that a file missing at start-up can be
    // written later and reloaded.
    this->vertexFiles.insert(this->vertexFiles.end(), vertexFiles.begin(), vertexFiles.end());
    this->fragmentFiles.insert(this->fragmentFiles.end(), fragmentFiles.begin(),
                               fragmentFiles.end());
    if (!tracked) liveReload::track(*this);
    tracked = true;

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

// The text's lines as the file loader keeps them: split at each line end, the tail last.
static std::vector<std::string> textLines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        out.push_back(text.substr(start, end - start));
    out.push_back(text.substr(start));
    return out;
}

bool cShaderProgram::linkSources(const std::string& vertexText, const std::string& fragmentText) {
    vertexStage.sourceLines = textLines(vertexText);
    fragmentStage.sourceLines = textLines(fragmentText);
    return link() && isLinked();
}

bool cShaderProgram::link() {
    attributeCache.clear();
    uniformCache.clear();
    linkedCache = -1;
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
    if (linkedCache == -1) {
        GLint linked = GL_FALSE;
        glGetProgramiv(static_cast<GLuint>(programName), GL_LINK_STATUS, &linked);
        linkedCache = linked == GL_TRUE ? 1 : 0;
    }
    return linkedCache == 1;
}

void cShaderProgram::use() {
    if (programName != -1) glUseProgram(static_cast<GLuint>(programName));
}

int cShaderProgram::uniformLocation(const std::string& name) {
    if (programName == -1) return -1;
    // Callers pass the result straight to glUniform*, so the program must be current.
    use();
    const auto cached = uniformCache.find(name);
    if (cached != uniformCache.end()) return cached->second;
    const int location = glGetUniformLocation(static_cast<GLuint>(programName), name.c_str());
    uniformCache.emplace(name, location);
    return location;
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

void cShaderProgram::setConstant(const std::string& name, int value) {
    glUniform1i(uniformLocation(name), value);
    constants[name] = value;
}

bool cShaderProgram::reload() {
    if (!tracked) return false;
    const char* const kept = ", keeping the last good program";

    std::vector<std::string> vertexLines;
    std::vector<std::string> fragmentLines;
    for (const auto& [files, lines] : {std::make_pair(&vertexFiles, &vertexLines),
                                       std::make_pair(&fragmentFiles, &fragmentLines)}) {
        for (const std::string& path : *files) {
            if (!readLines(path, *lines)) {
                std::cout << "reload: cannot open " << path << kept << std::endl;
                return false;
            }
        }
    }

    // Both stages are compiled even when the first fails, so one save shows every error.
    const GLuint vertex = glCreateShader(GL_VERTEX_SHADER);
    const GLuint fragment = glCreateShader(GL_FRAGMENT_SHADER);
    bool compiled = true;
    std::string log;
    if (!compileLines(vertex, vertexLines, log)) {
        std::cout << "reload: vertex stage " << joinNames(vertexFiles) << " does not compile"
                  << kept << ":\n"
                  << log << std::endl;
        compiled = false;
    }
    if (!compileLines(fragment, fragmentLines, log)) {
        std::cout << "reload: fragment stage " << joinNames(fragmentFiles) << " does not compile"
                  << kept << ":\n"
                  << log << std::endl;
        compiled = false;
    }
    GLuint program = 0;
    GLint linked = GL_FALSE;
    if (compiled) {
        program = glCreateProgram();
        glAttachShader(program, fragment);
        glAttachShader(program, vertex);
        glLinkProgram(program);
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        if (linked != GL_TRUE) {
            std::cout << "reload: " << joinNames(vertexFiles) << " + " << joinNames(fragmentFiles)
                      << " do not link" << kept << ":\n"
                      << programLog(program) << std::endl;
        }
    }
    if (linked != GL_TRUE) {
        if (program != 0) glDeleteProgram(program);
        glDeleteShader(vertex);
        glDeleteShader(fragment);
        return false;
    }

    // The old program may be current; GL frees it once the new one takes its place below.
    if (programName != -1) glDeleteProgram(static_cast<GLuint>(programName));
    for (cShader* stage : {&vertexStage, &fragmentStage}) {
        if (stage->shaderName != -1) glDeleteShader(static_cast<GLuint>(stage->shaderName));
    }
    vertexStage.shaderName = static_cast<int>(vertex);
    vertexStage.sourceLines = std::move(vertexLines);
    fragmentStage.shaderName = static_cast<int>(fragment);
    fragmentStage.sourceLines = std::move(fragmentLines);
    programName = static_cast<int>(program);
    attributeCache.clear();
    uniformCache.clear();
    linkedCache = 1;
    use();
    for (const auto& [name, value] : constants)
        glUniform1i(uniformLocation(name), value);
    return true;
}

}  // namespace nimra
