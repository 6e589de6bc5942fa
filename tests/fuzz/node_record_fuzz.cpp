// libFuzzer target for node records. Every input is loaded in both forms. A record that
// loads must be where the input says it is, and must read back as itself once written
// out again; whatever loads, the node must then place itself without fault.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "scene/spatial_node.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool sameRecord(const nimra::cSpatialNode& a, const nimra::cSpatialNode& b) {
    const nimra::cVec3f &pa = a.position.value, &pb = b.position.value;
    const nimra::cQuaternion &qa = a.localRotation, &qb = b.localRotation;
    return a.name == b.name && a.tagA == b.tagA && a.tagB == b.tagB && sameBits(pa.x, pb.x) &&
           sameBits(pa.y, pb.y) && sameBits(pa.z, pb.z) && sameBits(qa.w, qb.w) &&
           sameBits(qa.v.x, qb.v.x) && sameBits(qa.v.y, qb.v.y) && sameBits(qa.v.z, qb.v.z) &&
           sameBits(a.localScale.x, b.localScale.x) && sameBits(a.localScale.y, b.localScale.y) &&
           sameBits(a.localScale.z, b.localScale.z);
}

void loadOne(const std::string& bytes, bool binary) {
    std::istringstream in(bytes);
    nimra::cSpatialNode node;
    // Select-by-value turns whatever x the record holds into a track index.
    node.position.setSelectByValue(true);
    const bool loaded = node.loadStream(in, binary, 1);
    check(node.name.size() <= nimra::kMaxNodeNameBytes && node.name.size() <= bytes.size());

    if (loaded) {
        const std::streamoff consumed = in.tellg();
        if (binary) {
            check(consumed == static_cast<std::streamoff>(node.name.size() + 1 + 48));
            check(bytes.compare(0, node.name.size() + 1, node.name.c_str(), node.name.size() + 1) ==
                  0);
        } else {
            check(node.name.find('\n') == std::string::npos);
            check(bytes.find(node.name) != std::string::npos);
        }

        std::stringstream again;
        check(binary ? nimra::writeNodeBinary(again, node) : nimra::writeNodeText(again, node));
        nimra::cSpatialNode back;
        check(back.loadStream(again, binary, 1));
        check(sameRecord(node, back));
        check(again.peek() == std::char_traits<char>::eof());
    }

    nimra::cSpatialNode child;
    node.update(1.0f, nullptr);
    node.commit(0);
    child.update(1.0f, &node);
    child.commit(0);
    (void)node.position.evaluate(2.0f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    loadOne(bytes, true);
    loadOne(bytes, false);
    return 0;
}
