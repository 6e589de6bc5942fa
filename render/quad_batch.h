#pragma once
// Many small copies of the screen quad in one draw: particles and sprites whose vertex stage
// places each quad from per-quad values (position, size, strength...) instead of uniforms set
// for a draw apiece. Every quad's four corners are the screen quad's own, in its order and
// winding, and the quads are drawn in the order they were added, so a blended layer comes
// out the same as drawn quad by quad.

#include <string>
#include <vector>

#include "render/mesh.h"

namespace nimra {

class cQuadBatch {
public:
    struct cAttribute {
        std::string name;  // the vertex stage's attribute
        int components;    // 1 to 4 floats per quad
    };

    // Room for capacity quads, each carrying these attributes. Needs GL.
    void build(int capacity, const std::vector<cAttribute>& attributes);

    // Starts a frame's quads.
    void clear() { count = 0; }
    // One more quad; values holds every attribute's components, in the order built. Beyond
    // the capacity quads are dropped.
    void add(const float* values);
    int size() const { return count; }

    // Every quad added since clear, in one draw with the program.
    void draw(cShaderProgram& program);

private:
    cMesh* mesh = nullptr;  // made by build, once GL is up; kept for the run
    std::vector<cAttribute> layout;
    std::vector<std::vector<float>> values;  // per attribute, per vertex
    int capacity = 0;
    int count = 0;
};

}  // namespace nimra
