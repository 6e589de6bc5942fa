#pragma once
// The *.obj.bin mesh format, without any GL: parsing (for the loader, the tests and the
// fuzzer) and writing (for the asset baker and the tests).
//
// Little-endian, no magic, no padding. A buffer block is six 32-bit fields (usage, target,
// bytes per component, element count, components per element, component type) followed
// by bytesPerComponent x componentsPerElement x elementCount bytes of data. A file is the
// positions block, the indices block, a 32-bit attribute count, and that many entries of
// a zero-terminated name followed by a block. Anything after the last entry is ignored.
//
// Files are untrusted: the parser never reads past the input, never allocates more than
// the input can hold, and stops quietly at the first short read.

#include <cstdint>
#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

namespace nimra {

struct cMeshBlock {
    int32_t usage = 0;
    int32_t target = 0;
    int32_t bytesPerComponent = 0;
    int32_t elementCount = 0;
    int32_t componentsPerElement = 0;
    int32_t componentType = 0;
    std::vector<uint8_t> data;
};

struct cMeshFileData {
    cMeshBlock positions;
    cMeshBlock indices;
    std::vector<std::pair<std::string, cMeshBlock>> attributes;  // file order
};

cMeshFileData readMeshFile(std::istream& in);
void writeMeshFile(std::ostream& out, const cMeshFileData& mesh);

}  // namespace nimra
