#pragma once
// GLSL programs: one vertex and one fragment stage, each assembled from one or more text
// files read line by line. Uniforms are looked up by name on every call (which also makes
// the program current); attribute locations are cached per program, misses included.

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

    // Appends every file's lines to its stage, then links. Stops at the first file that
    // cannot be opened ("file error:<name>"), before anything is compiled.
    void loadFiles(const std::vector<std::string>& vertexFiles,
                   const std::vector<std::string>& fragmentFiles);
    void load(const std::string& vertexFile, const std::string& fragmentFile);

    // Compiles both stages (vertex first), attaches fragment then vertex, links. False when
    // a stage fails to compile; the link status itself is not looked at.
    bool link();

    void use();
    // Whether the last link made a program GL can draw with (asks GL; false before any).
    bool isLinked() const;
    int uniformLocation(const std::string& name);
    int attribLocation(const std::string& name);
};

}  // namespace nimra
