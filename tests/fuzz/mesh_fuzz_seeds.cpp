// Writes the mesh fuzzer's seed corpus into the directory named on the command line: the
// screen quad, a small mesh with named attributes, and one whose blocks lie about
// themselves (swapped targets, an index past the vertices, a short attribute, short
// indices).

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

#include "render/mesh_file.h"

namespace {

template <typename T>
nimra::cMeshBlock block(int32_t target, int32_t type, int32_t components,
                        const std::vector<T>& values) {
    nimra::cMeshBlock b;
    b.usage = 0x88E4;
    b.target = target;
    b.bytesPerComponent = sizeof(T);
    b.componentsPerElement = components;
    b.elementCount = static_cast<int32_t>(values.size()) / components;
    b.componentType = type;
    b.data.resize(values.size() * sizeof(T));
    std::memcpy(b.data.data(), values.data(), b.data.size());
    return b;
}

bool save(const std::filesystem::path& path, const nimra::cMeshFileData& mesh) {
    std::ofstream out(path, std::ios::binary);
    return nimra::writeMeshFile(out, mesh);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: mesh_fuzz_seeds <directory>\n";
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);

    nimra::cMeshFileData quad;
    quad.positions = block<float>(0x8892, 0x1406, 3, {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0});
    quad.indices = block<uint32_t>(0x8893, 0x1405, 3, {0, 1, 3, 1, 2, 3});

    nimra::cMeshFileData shaded = quad;
    shaded.attributes.emplace_back("normal",
                                   block<float>(0x8892, 0x1406, 3, std::vector<float>(12, 1.0f)));
    shaded.attributes.emplace_back("texCoord",
                                   block<float>(0x8892, 0x1406, 2, {0, 0, 1, 0, 1, 1, 0, 1}));
    shaded.attributes.emplace_back("weight", block<uint8_t>(0x8892, 0x1401, 1, {1, 2, 3, 4}));

    nimra::cMeshFileData lying = shaded;
    lying.positions.target = 0x8893;
    lying.indices = block<uint16_t>(0x8892, 0x1403, 3, {0, 1, 3, 1, 2, 99});
    lying.attributes[0].second = block<float>(0x88EB, 0x1406, 3, {0, 0, 1});

    const bool ok = save(dir / "quad.obj.bin", quad) && save(dir / "shaded.obj.bin", shaded) &&
                    save(dir / "lying.obj.bin", lying);
    return ok ? 0 : 1;
}
