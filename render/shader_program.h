#pragma once
// GLSL programs: one vertex and one fragment stage, each assembled from one or more text
// files read line by line. Uniforms are looked up by name on every call (which also makes
// the program current); attribute locations are cached per program, misses included.
// A program loaded from files can be rebuilt from them in place (see render/live_reload.h).

#include <map>
#include <string>
#include <vector>

#include "render/gl.h"

namespace nimra {

class cShader {
public:
    int shaderName = -1;  // GL shader object, -1 while the stage has none
    std::vector<std::string> sourceLines;

    // Joins the lines (each ended by "\n"), compiles a fresh shader object and prints the
    // info log on failure.
    bool compile(GLenum type);
};

class cShaderProgram {
public:
    cShader fragmentStage;
    cShader vertexStage;
    int programName = -1;  // GL program object, -1 until the first link
    std::map<std::string, int> attributeCache;
    // Uniform locations looked up so far, and whether the program linked (-1: not asked
    // yet): both hold until the next link or reload, so a frame asks GL neither again.
    std::map<std::string, int> uniformCache;
    mutable int linkedCache = -1;
    // Every file loadFiles was given, in order, and the int uniforms set through setConstant:
    // what a reload needs to rebuild the program as the scenes left it.
    std::vector<std::string> vertexFiles;
    std::vector<std::string> fragmentFiles;
    std::map<std::string, int> constants;

    cShaderProgram() = default;
    // A reload deletes the objects it replaces, which a copy would go on drawing with.
    cShaderProgram(const cShaderProgram&) = delete;
    cShaderProgram& operator=(const cShaderProgram&) = delete;
    // Leaves its GL objects alone, as programs always have; only stops being reloaded.
    ~cShaderProgram();

    // Appends every file's lines to its stage, then links. Stops at the first file that
    // cannot be opened ("file error:<name>"), before anything is compiled.
    void loadFiles(const std::vector<std::string>& vertexFiles,
                   const std::vector<std::string>& fragmentFiles);
    void load(const std::string& vertexFile, const std::string& fragmentFile);

    // Compiles both stages (vertex first), attaches fragment then vertex, links. False when
    // a stage fails to compile; the link status itself is not looked at.
    bool link();

    // A program of the engine's own, from source text rather than files: each stage's lines
    // become the text's (whatever they were), then link. True when GL can draw with it.
    bool linkSources(const std::string& vertexText, const std::string& fragmentText);

    void use();
    // Whether the last link made a program GL can draw with (asks GL once a link; false
    // before any).
    bool isLinked() const;
    int uniformLocation(const std::string& name);
    int attribLocation(const std::string& name);

    // glUniform1i(uniformLocation(name), value), remembered so that a reload sets it again:
    // sampler units and other values the scenes set only once.
    void setConstant(const std::string& name, int value);

    // Reads every file again and builds new shader and program objects from them. Only when
    // both stages compile and the program links does it switch to them (deleting the old
    // ones, starting the attribute cache over, setting every constant again, and leaving it
    // current). Otherwise it prints the failing stage's files and log (or the link log),
    // deletes what it made and keeps drawing with the last good program. False then, and
    // for a program never loaded from files.
    bool reload();

private:
    bool tracked = false;
};

}  // namespace nimra
