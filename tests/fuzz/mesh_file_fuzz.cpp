// libFuzzer target for the mesh file parser. Every input is parsed twice, once from a
// seekable stream and once from one that cannot tell how much is left (the reader takes a
// different allocation path for each), and both must agree and be self-consistent.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
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
    return 0;
}
