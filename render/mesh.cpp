#include "render/mesh.h"

#include <algorithm>
#include <cstdint>
#include <fstream>

#include "render/mesh_file.h"

namespace nimra {

namespace {

int64_t byteSize(const cVertexBuffer& buffer) {
    return int64_t(buffer.bytesPerComponent) * buffer.componentsPerElement * buffer.elementCount;
}

void upload(cVertexBuffer& buffer, const cMeshBlock& block) {
    buffer.setData(
        static_cast<GLenum>(block.target), block.bytesPerComponent, block.componentsPerElement,
        block.elementCount, static_cast<GLenum>(block.componentType),
        block.data.empty() ? nullptr : block.data.data(), static_cast<GLenum>(block.usage));
}

// How many indices the draw may take: what the layout promises, but never more than the
// buffer holds for the index type, so a file whose header disagrees with its type cannot
// send GL reading past the buffer.
GLsizei indexCount(const cVertexBuffer& indices) {
    int64_t count = int64_t(indices.componentsPerElement) * indices.elementCount;
    const int typeBytes = indices.componentType == GL_UNSIGNED_BYTE    ? 1
                          : indices.componentType == GL_UNSIGNED_SHORT ? 2
                                                                       : 4;
    count = std::min(count, std::max<int64_t>(byteSize(indices), 0) / typeBytes);
    return static_cast<GLsizei>(std::max<int64_t>(count, 0));
}

}  // namespace

cVertexBuffer::cVertexBuffer() { glGenBuffers(1, &name); }

void cVertexBuffer::setData(GLenum newTarget, int newBytesPerComponent, int newComponentsPerElement,
                            int newElementCount, GLenum newComponentType, const void* data,
                            GLenum newUsage) {
    target = newTarget;
    bytesPerComponent = newBytesPerComponent;
    componentsPerElement = newComponentsPerElement;
    elementCount = newElementCount;
    componentType = newComponentType;
    usage = newUsage;
    glBindBuffer(target, name);
    // Sized in 64 bits: a layout too big for 32 bits must not wrap to a small buffer.
    glBufferData(target, static_cast<GLsizeiptr>(byteSize(*this)), data, usage);
}

void cVertexBuffer::read(std::istream& in) {
    cMeshBlock block;
    if (readMeshBlock(in, block)) upload(*this, block);
}

void cMesh::loadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    read(file);
}

void cMesh::read(std::istream& in) {
    if (!in) return;
    cMeshFileData file = readMeshFile(in);
    prepareForDrawing(file);
    // A block whose header the file cut short keeps the buffer as it was.
    if (file.hasPositions) upload(positions, file.positions);
    if (file.hasIndices) upload(indices, file.indices);
    for (const auto& [attributeName, block] : file.attributes) {
        cVertexBuffer buffer;
        upload(buffer, block);
        attributes.insert_or_assign(attributeName, buffer);
    }
}

void cMesh::draw(cShaderProgram* program, GLenum mode) {
    if (program) {
        program->use();
        for (const auto& [attributeName, buffer] : attributes) {
            // A buffer a scene filled with fewer vertices than the positions hold would be
            // read past its end; the attribute keeps its constant value instead.
            if (buffer.elementCount < positions.elementCount) continue;
            const int location = program->attribLocation(attributeName);
            if (location == -1) continue;
            glEnableVertexAttribArray(static_cast<GLuint>(location));
            glBindBuffer(buffer.target, buffer.name);
            glVertexAttribPointer(static_cast<GLuint>(location), buffer.componentsPerElement,
                                  buffer.componentType, GL_FALSE, 0, nullptr);
        }
    }

    glEnableClientState(GL_VERTEX_ARRAY);
    glBindBuffer(positions.target, positions.name);
    glVertexPointer(positions.componentsPerElement, positions.componentType, 0, nullptr);
    if (mode != 0) {
        glBindBuffer(indices.target, indices.name);
        glDrawElements(mode, indexCount(indices), indices.componentType, nullptr);
    } else {
        glDrawArrays(GL_POINTS, 0, positions.elementCount);
    }

    if (program) {
        for (const auto& [attributeName, buffer] : attributes) {
            if (buffer.elementCount < positions.elementCount) continue;
            const int location = program->attribLocation(attributeName);
            if (location != -1) glDisableVertexAttribArray(static_cast<GLuint>(location));
        }
    }
    glDisableClientState(GL_VERTEX_ARRAY);
}

}  // namespace nimra
