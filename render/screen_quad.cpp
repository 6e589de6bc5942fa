#include "render/screen_quad.h"

#include <cstdint>

namespace nimra {

cMesh* screenQuad = nullptr;

void fillScreenQuad(cMesh& mesh) {
    static const float corners[] = {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0};
    static const uint32_t triangles[] = {0, 1, 3, 1, 2, 3};
    mesh.positions.setData(GL_ARRAY_BUFFER, 4, 3, 4, GL_FLOAT, corners, GL_STATIC_DRAW);
    mesh.indices.setData(GL_ELEMENT_ARRAY_BUFFER, 4, 3, 2, GL_UNSIGNED_INT, triangles,
                         GL_STATIC_DRAW);
}

}  // namespace nimra
