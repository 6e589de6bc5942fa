#pragma once
// Geometry in GL buffer objects. A mesh is a positions buffer (fed to the fixed-function
// vertex array), an index buffer and any number of per-vertex buffers keyed by the name
// of the shader attribute they feed.

#include <istream>
#include <map>
#include <string>

#include "render/gl.h"
#include "render/shader_program.h"

namespace nimra {

class cVertexBuffer {
public:
    GLuint name = 0;
    GLenum usage = GL_STATIC_DRAW;
    GLenum target = GL_ELEMENT_ARRAY_BUFFER;
    int bytesPerComponent = 0;
    int elementCount = 0;  // vertices; for an index buffer, primitives
    int componentsPerElement = 0;
    GLenum componentType = 0;

    cVertexBuffer();  // generates the GL name

    void setData(GLenum target, int bytesPerComponent, int componentsPerElement, int elementCount,
                 GLenum componentType, const void* data, GLenum usage);
    // One buffer block of a mesh file.
    void read(std::istream& in);
};

class cMesh {
public:
    cVertexBuffer positions;
    cVertexBuffer indices;
    std::map<std::string, cVertexBuffer> attributes;

    // A file that cannot be opened leaves the mesh empty, silently. Files are untrusted:
    // what is read is made safe to draw first (see prepareForDrawing).
    void loadFile(const std::string& path);
    void read(std::istream& in);

    // Indexed draw in the given mode, or with mode 0 every position as a point. With a
    // program, each attribute buffer feeds the program attribute of the same name; one with
    // fewer elements than the positions is left out rather than read past its end.
    void draw(cShaderProgram* program, GLenum mode);
};

}  // namespace nimra
