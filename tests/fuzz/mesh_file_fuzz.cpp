// libFuzzer target for the mesh file parser. Every input is parsed twice, once from a
// seekable stream and once from one that cannot tell how much is left (the reader takes a
// different allocation path for each), and both must agree and be self-consistent. What
// comes back is then made ready for drawing, and must then be safe to hand to GL.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <streambuf>
#include <string>

#include "render/mesh_file.h"

namespace {

class cUnseekableBuf : public std::streambuf {
public:
    cUnseekableBuf(const uint8_t* data, size_t size) {
        char* begin = const_cast<char*>(reinterpret_cast<const char*>(data));
        setg(begin, begin, begin + size);
    }
};

void check(bool condition) {
    if (!condition) std::abort();
}

void checkBlock(const nimra::cMeshBlock& block) {
    check(block.elementCount >= 0);
    check(static_cast<int64_t>(block.data.size()) ==
          int64_t(block.bytesPerComponent) * block.componentsPerElement * block.elementCount);
}

bool sameBlock(const nimra::cMeshBlock& a, const nimra::cMeshBlock& b) {
    return a.usage == b.usage && a.target == b.target &&
           a.bytesPerComponent == b.bytesPerComponent && a.elementCount == b.elementCount &&
           a.componentsPerElement == b.componentsPerElement && a.componentType == b.componentType &&
           a.data == b.data;
}

uint32_t indexAt(const nimra::cMeshBlock& b, size_t i) {
    uint32_t v = 0;
    std::memcpy(&v, b.data.data() + i * b.bytesPerComponent, b.bytesPerComponent);
    return v;  // little-endian machine, as the format
}

// What a draw relies on: targets by place, whole elements, every index naming a vertex,
// every attribute covering every vertex.
void checkDrawable(nimra::cMeshFileData mesh) {
    nimra::prepareForDrawing(mesh);
    check(mesh.positions.target == 0x8892 && mesh.indices.target == 0x8893);
    checkBlock(mesh.positions);
    checkBlock(mesh.indices);
    const int64_t vertices = mesh.positions.elementCount;
    if (vertices > 0) {
        check(mesh.positions.componentsPerElement >= 2 && mesh.positions.componentsPerElement <= 4);
    }
    if (mesh.indices.elementCount > 0) {
        check(mesh.indices.bytesPerComponent == 1 || mesh.indices.bytesPerComponent == 2 ||
              mesh.indices.bytesPerComponent == 4);
        const size_t count = mesh.indices.data.size() / mesh.indices.bytesPerComponent;
        for (size_t i = 0; i < count; ++i)
            check(indexAt(mesh.indices, i) < vertices);
    }
    for (const auto& [name, block] : mesh.attributes) {
        check(block.target == 0x8892);
        checkBlock(block);
        check(block.elementCount >= vertices);
        check(block.componentsPerElement >= 1 && block.componentsPerElement <= 4);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::istringstream seekable(std::string(reinterpret_cast<const char*>(data), size));
    const nimra::cMeshFileData a = nimra::readMeshFile(seekable);

    cUnseekableBuf buffer(data, size);
    std::istream unseekable(&buffer);
    const nimra::cMeshFileData b = nimra::readMeshFile(unseekable);

    check(a.hasPositions == b.hasPositions && a.hasIndices == b.hasIndices);
    check(sameBlock(a.positions, b.positions) && sameBlock(a.indices, b.indices));
    check(a.attributes.size() == b.attributes.size());
    checkBlock(a.positions);
    checkBlock(a.indices);
    size_t payload = a.positions.data.size() + a.indices.data.size();
    for (size_t i = 0; i < a.attributes.size(); ++i) {
        check(a.attributes[i].first == b.attributes[i].first);
        check(sameBlock(a.attributes[i].second, b.attributes[i].second));
        checkBlock(a.attributes[i].second);
        payload += a.attributes[i].second.data.size() + a.attributes[i].first.size() + 25;
    }
    // Nothing comes back that the input did not hold.
    check(payload <= size);
    checkDrawable(a);
    return 0;
}
