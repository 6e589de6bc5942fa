#include "render/quad_batch.h"

#include <cstdint>

namespace nimra {

void cQuadBatch::build(int quads, const std::vector<cAttribute>& attributes) {
    static const float corners[] = {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0};
    static const uint32_t triangles[] = {0, 1, 3, 1, 2, 3};
    if (!mesh) mesh = new cMesh();
    capacity = quads;
    layout = attributes;
    std::vector<float> positions;
    std::vector<uint32_t> indices;
    for (int q = 0; q < quads; ++q) {
        positions.insert(positions.end(), corners, corners + 12);
        for (uint32_t index : triangles)
            indices.push_back(index + 4u * q);
    }
    mesh->positions.setData(GL_ARRAY_BUFFER, 4, 3, 4 * quads, GL_FLOAT, positions.data(),
                            GL_STATIC_DRAW);
    mesh->indices.setData(GL_ELEMENT_ARRAY_BUFFER, 4, 3, 2 * quads, GL_UNSIGNED_INT, indices.data(),
                          GL_STATIC_DRAW);
    values.assign(layout.size(), {});
    for (size_t a = 0; a < layout.size(); ++a) {
        values[a].resize(size_t(4) * quads * layout[a].components);
        mesh->attributes[layout[a].name].setData(GL_ARRAY_BUFFER, 4, layout[a].components,
                                                 4 * quads, GL_FLOAT, nullptr, GL_STREAM_DRAW);
    }
    count = 0;
}

void cQuadBatch::add(const float* quad) {
    if (count >= capacity) return;
    for (size_t a = 0; a < layout.size(); ++a) {
        const int n = layout[a].components;
        float* vertex = &values[a][size_t(4) * count * n];
        for (int corner = 0; corner < 4; ++corner)
            for (int c = 0; c < n; ++c)
                vertex[corner * n + c] = quad[c];
        quad += n;
    }
    ++count;
}

void cQuadBatch::draw(cShaderProgram& program) {
    if (count == 0 || !mesh) return;
    // Only this frame's quads: the draw takes as many vertices and triangles as were added.
    for (size_t a = 0; a < layout.size(); ++a) {
        cVertexBuffer& buffer = mesh->attributes[layout[a].name];
        buffer.elementCount = 4 * count;
        glBindBuffer(GL_ARRAY_BUFFER, buffer.name);
        glBufferSubData(GL_ARRAY_BUFFER, 0,
                        static_cast<GLsizeiptr>(sizeof(float) * 4 * count * layout[a].components),
                        values[a].data());
    }
    mesh->positions.elementCount = 4 * count;
    mesh->indices.elementCount = 2 * count;
    mesh->draw(&program, GL_TRIANGLES);
}

}  // namespace nimra
