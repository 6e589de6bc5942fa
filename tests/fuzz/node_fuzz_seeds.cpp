// Writes the node record fuzzer's seed corpus into the directory named on the command
// line: records in both forms from the engine's writers, and a hand-written text record
// with long labels and a name that keeps its leading spaces.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>

#include "scene/spatial_node.h"

namespace {

bool save(const std::filesystem::path& path, const nimra::cSpatialNode& node, bool binary) {
    std::ofstream out(path, std::ios::binary);
    return binary ? nimra::writeNodeBinary(out, node) : nimra::writeNodeText(out, node);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: node_fuzz_seeds <directory>\n";
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);

    nimra::cSpatialNode box("box");
    box.tagA = 3;
    box.tagB = -1;
    box.position.setValue(nimra::cVec3f(1, 2, 3));
    box.localRotation.set(0.70710677f, 0.0f, 0.0f, 0.70710677f);

    nimra::cSpatialNode odd(" arm: left");
    odd.tagA = std::numeric_limits<int32_t>::min();
    odd.tagB = std::numeric_limits<int32_t>::max();
    odd.position.setValue(nimra::cVec3f(-1.7f, 1e-40f, -0.0f));
    odd.localScale.set(3.4e38f, 0.1f, 2.5e-3f);

    bool ok = save(dir / "box.bin", box, true) && save(dir / "box.txt", box, false) &&
              save(dir / "odd.bin", odd, true) && save(dir / "odd.txt", odd, false);

    std::ofstream labelled(dir / "labelled.txt", std::ios::binary);
    labelled << "Node name:   wheel\n"
                "first tag: 12\n"
                "second tag:-4\n"
                "children: 2\n"
                "items: 1\n"
                "links: 0\n"
                "Position (x y z): 0.5 -2 1e3\n"
                "Rotation (x y z w):\t0 0 0 1\n"
                "scale:1 1 1\n"
                "\n"
                "animation: none\n"
                "reserved:\n"
                "end\n";
    ok = ok && static_cast<bool>(labelled);
    return ok ? 0 : 1;
}
