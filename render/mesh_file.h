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
// the input can hold, and stops quietly at the first short read. A block whose header is
// cut short is left out. A block with a negative field or a size beyond 32 bits comes back
// empty (element count 0) and ends the file, since nothing after it can be located. A
// block whose data is cut short keeps its whole elements only, with the element count
// lowered to match. Whatever comes back, data.size() is always
// bytesPerComponent x componentsPerElement x elementCount.

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
    // Set by readMeshFile: whether each block's header was there in full. The writer
    // ignores them and always writes both blocks.
    bool hasPositions = false;
    bool hasIndices = false;
};

cMeshFileData readMeshFile(std::istream& in);

// One block on its own; false (and the block left empty) when its header is cut short.
bool readMeshBlock(std::istream& in, cMeshBlock& block);

// Makes a parsed mesh safe to hand to the graphics card, whatever the file claimed: the
// parser only promises that each block holds the bytes its header describes, while a draw
// also trusts the targets, types and index values. So each block is bound by its place in
// the file (positions and attributes as vertex arrays, indices as elements); an unknown
// usage becomes static; a block whose type, size or component count GL cannot draw from is
// emptied (positions, indices) or dropped (attributes); primitives naming a vertex past the
// positions are removed; attributes shorter than the positions are padded with zeros. A
// valid file comes through unchanged.
void prepareForDrawing(cMeshFileData& mesh);

// False, with nothing written, when a block's data does not hold exactly the bytes its
// header describes (or a field is negative) or an attribute name contains a zero byte;
// otherwise whether the stream took every byte.
bool writeMeshFile(std::ostream& out, const cMeshFileData& mesh);

}  // namespace nimra
