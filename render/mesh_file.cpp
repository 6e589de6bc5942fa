#include "render/mesh_file.h"

#include <algorithm>
#include <cstring>
#include <istream>
#include <limits>
#include <ostream>

namespace nimra {

namespace {

constexpr size_t kHeaderBytes = 24;
// Streams that cannot tell how much is left are read in slices of this size, so that a
// lying header costs at most one slice of memory beyond what the input really holds.
constexpr size_t kSliceBytes = size_t(1) << 20;

int32_t decode32(const uint8_t* p) {
    uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    int32_t s;
    std::memcpy(&s, &v, sizeof s);
    return s;
}

void encode32(uint8_t* p, int32_t value) {
    uint32_t v;
    std::memcpy(&v, &value, sizeof v);
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

// The block's data size, or -1 when a field is negative or the size does not fit the
// format's signed 32 bits.
int64_t blockSize(int32_t bytesPerComponent, int32_t componentsPerElement, int32_t elementCount) {
    if (bytesPerComponent < 0 || componentsPerElement < 0 || elementCount < 0) return -1;
    const int64_t elementBytes = int64_t(bytesPerComponent) * componentsPerElement;
    const int64_t limit = std::numeric_limits<int32_t>::max();
    if (elementBytes != 0 && elementCount > limit / elementBytes) return -1;
    return elementBytes * elementCount;
}

// An input stream with a count of what is left in it, where the stream can say.
class cInput {
public:
    explicit cInput(std::istream& in) : mIn(in) {
        if (!in) return;
        const std::streampos here = in.tellg();
        if (here == std::streampos(-1)) {
            in.clear(in.rdstate() & ~std::ios::failbit);
            return;
        }
        in.seekg(0, std::ios::end);
        const std::streampos end = in.tellg();
        in.clear();
        in.seekg(here);
        if (end != std::streampos(-1) && end >= here) {
            mKnown = true;
            mLeft = static_cast<uint64_t>(end - here);
        }
    }

    bool readExactly(void* out, size_t count) {
        mIn.read(static_cast<char*>(out), static_cast<std::streamsize>(count));
        consumed(mIn.gcount());
        return static_cast<size_t>(mIn.gcount()) == count;
    }

    // Appends up to count bytes to data, growing it no further than the input allows.
    void readUpTo(std::vector<uint8_t>& data, size_t count) {
        if (mKnown) count = static_cast<size_t>(std::min<uint64_t>(count, mLeft));
        size_t have = 0;
        while (have < count && mIn) {
            const size_t want = mKnown ? count - have : std::min(count - have, kSliceBytes);
            data.resize(have + want);
            mIn.read(reinterpret_cast<char*>(data.data() + have),
                     static_cast<std::streamsize>(want));
            const size_t got = static_cast<size_t>(mIn.gcount());
            consumed(got);
            have += got;
            if (got < want) break;
        }
        data.resize(have);
    }

    // False when the input ends before the terminating zero; the name then ends there.
    bool readName(std::string& name) {
        // std::getline leaves gcount alone, so count what it took ourselves.
        std::getline(mIn, name, '\0');
        const bool terminated = !mIn.eof() && !mIn.fail();
        consumed(static_cast<std::streamsize>(name.size() + (terminated ? 1 : 0)));
        return terminated;
    }

private:
    void consumed(std::streamsize count) {
        if (mKnown) mLeft -= std::min<uint64_t>(mLeft, static_cast<uint64_t>(count));
    }

    std::istream& mIn;
    bool mKnown = false;
    uint64_t mLeft = 0;
};

enum class eBlockRead { missing, cutShort, whole };

eBlockRead readBlock(cInput& input, cMeshBlock& block) {
    block = cMeshBlock();
    uint8_t header[kHeaderBytes];
    if (!input.readExactly(header, kHeaderBytes)) return eBlockRead::missing;
    block.usage = decode32(header);
    block.target = decode32(header + 4);
    block.bytesPerComponent = decode32(header + 8);
    block.elementCount = decode32(header + 12);
    block.componentsPerElement = decode32(header + 16);
    block.componentType = decode32(header + 20);

    const int64_t size =
        blockSize(block.bytesPerComponent, block.componentsPerElement, block.elementCount);
    if (size < 0) {
        block.elementCount = 0;
        return eBlockRead::cutShort;
    }
    if (size == 0) {
        // No bytes means no elements, whatever the count says: a draw must not index
        // into a buffer that holds nothing.
        block.elementCount = 0;
        return eBlockRead::whole;
    }
    input.readUpTo(block.data, static_cast<size_t>(size));
    if (block.data.size() == static_cast<size_t>(size)) return eBlockRead::whole;

    const size_t elementBytes =
        size_t(block.bytesPerComponent) * size_t(block.componentsPerElement);
    const size_t elements = block.data.size() / elementBytes;
    block.data.resize(elements * elementBytes);
    block.elementCount = static_cast<int32_t>(elements);
    return eBlockRead::cutShort;
}

bool blockIsWritable(const cMeshBlock& block) {
    const int64_t size =
        blockSize(block.bytesPerComponent, block.componentsPerElement, block.elementCount);
    return size >= 0 && static_cast<uint64_t>(size) == block.data.size();
}

void writeBlock(std::ostream& out, const cMeshBlock& block) {
    uint8_t header[kHeaderBytes];
    encode32(header, block.usage);
    encode32(header + 4, block.target);
    encode32(header + 8, block.bytesPerComponent);
    encode32(header + 12, block.elementCount);
    encode32(header + 16, block.componentsPerElement);
    encode32(header + 20, block.componentType);
    out.write(reinterpret_cast<const char*>(header), kHeaderBytes);
    out.write(reinterpret_cast<const char*>(block.data.data()),
              static_cast<std::streamsize>(block.data.size()));
}

// GL enums, by value: the parser does without GL's headers.
constexpr int32_t kArrayBuffer = 0x8892;
constexpr int32_t kElementArrayBuffer = 0x8893;
constexpr int32_t kStaticDraw = 0x88E4;
constexpr int32_t kByte = 0x1400, kUnsignedByte = 0x1401, kShort = 0x1402, kUnsignedShort = 0x1403,
                  kInt = 0x1404, kUnsignedInt = 0x1405, kFloat = 0x1406, kDouble = 0x140A;

bool isUsage(int32_t usage) {
    // Stream, static and dynamic, each for drawing, reading and copying.
    return (usage >= 0x88E0 && usage <= 0x88E2) || (usage >= 0x88E4 && usage <= 0x88E6) ||
           (usage >= 0x88E8 && usage <= 0x88EA);
}

// Bytes per component of a GL type, 0 for anything else.
int32_t typeBytes(int32_t type) {
    switch (type) {
        case kByte:
        case kUnsignedByte:
            return 1;
        case kShort:
        case kUnsignedShort:
            return 2;
        case kInt:
        case kUnsignedInt:
        case kFloat:
            return 4;
        case kDouble:
            return 8;
        default:
            return 0;
    }
}

void empty(cMeshBlock& block) {
    block.elementCount = 0;
    block.data.clear();
}

// What glVertexPointer takes for positions.
bool drawablePositions(const cMeshBlock& b) {
    const bool type = b.componentType == kShort || b.componentType == kInt ||
                      b.componentType == kFloat || b.componentType == kDouble;
    return type && b.bytesPerComponent == typeBytes(b.componentType) &&
           b.componentsPerElement >= 2 && b.componentsPerElement <= 4;
}

// What glVertexAttribPointer takes.
bool drawableAttribute(const cMeshBlock& b) {
    return typeBytes(b.componentType) != 0 && b.bytesPerComponent == typeBytes(b.componentType) &&
           b.componentsPerElement >= 1 && b.componentsPerElement <= 4;
}

// What glDrawElements takes.
bool drawableIndices(const cMeshBlock& b) {
    const bool type = b.componentType == kUnsignedByte || b.componentType == kUnsignedShort ||
                      b.componentType == kUnsignedInt;
    return type && b.bytesPerComponent == typeBytes(b.componentType) && b.componentsPerElement >= 1;
}

uint32_t indexAt(const cMeshBlock& b, size_t i) {
    const uint8_t* p = b.data.data() + i * size_t(b.bytesPerComponent);
    switch (b.bytesPerComponent) {
        case 1:
            return p[0];
        case 2:
            return uint32_t(p[0]) | uint32_t(p[1]) << 8;
        default:
            return static_cast<uint32_t>(decode32(p));
    }
}

// Keeps the primitives whose every index names one of the vertices, in order.
void keepPrimitivesWithin(cMeshBlock& indices, uint32_t vertices) {
    const size_t perPrimitive = size_t(indices.componentsPerElement);
    const size_t primitiveBytes = perPrimitive * size_t(indices.bytesPerComponent);
    size_t kept = 0;
    for (size_t p = 0; p < size_t(indices.elementCount); ++p) {
        bool inside = true;
        for (size_t k = 0; k < perPrimitive && inside; ++k)
            inside = indexAt(indices, p * perPrimitive + k) < vertices;
        if (!inside) continue;
        if (kept != p) {
            std::memmove(indices.data.data() + kept * primitiveBytes,
                         indices.data.data() + p * primitiveBytes, primitiveBytes);
        }
        ++kept;
    }
    indices.elementCount = static_cast<int32_t>(kept);
    indices.data.resize(kept * primitiveBytes);
}

}  // namespace

void prepareForDrawing(cMeshFileData& mesh) {
    auto place = [](cMeshBlock& block, int32_t target) {
        block.target = target;
        if (!isUsage(block.usage)) block.usage = kStaticDraw;
    };

    place(mesh.positions, kArrayBuffer);
    if (!drawablePositions(mesh.positions)) empty(mesh.positions);
    const uint32_t vertices = static_cast<uint32_t>(mesh.positions.elementCount);

    place(mesh.indices, kElementArrayBuffer);
    if (drawableIndices(mesh.indices)) {
        keepPrimitivesWithin(mesh.indices, vertices);
    } else {
        empty(mesh.indices);
    }

    std::vector<std::pair<std::string, cMeshBlock>> kept;
    for (auto& [name, block] : mesh.attributes) {
        place(block, kArrayBuffer);
        if (!drawableAttribute(block)) continue;
        if (static_cast<uint32_t>(block.elementCount) < vertices) {
            // Padding costs at most 32 bytes a vertex, and every vertex is in the input.
            const size_t elementBytes =
                size_t(block.bytesPerComponent) * size_t(block.componentsPerElement);
            if (uint64_t(vertices) * elementBytes > uint64_t(std::numeric_limits<int32_t>::max()))
                continue;
            block.data.resize(size_t(vertices) * elementBytes, 0);
            block.elementCount = static_cast<int32_t>(vertices);
        }
        kept.emplace_back(std::move(name), std::move(block));
    }
    mesh.attributes = std::move(kept);
}

bool readMeshBlock(std::istream& in, cMeshBlock& block) {
    cInput input(in);
    return readBlock(input, block) != eBlockRead::missing;
}

cMeshFileData readMeshFile(std::istream& in) {
    cMeshFileData mesh;
    cInput input(in);

    eBlockRead state = readBlock(input, mesh.positions);
    mesh.hasPositions = state != eBlockRead::missing;
    if (state != eBlockRead::whole) return mesh;
    state = readBlock(input, mesh.indices);
    mesh.hasIndices = state != eBlockRead::missing;
    if (state != eBlockRead::whole) return mesh;

    uint8_t countBytes[4];
    if (!input.readExactly(countBytes, 4)) return mesh;
    const uint32_t count = static_cast<uint32_t>(decode32(countBytes));

    // Every entry costs at least 25 bytes of input, so a huge count ends with the input.
    for (uint32_t i = 0; i < count; ++i) {
        std::string name;
        if (!input.readName(name)) break;
        cMeshBlock block;
        state = readBlock(input, block);
        if (state == eBlockRead::missing) break;
        mesh.attributes.emplace_back(std::move(name), std::move(block));
        if (state != eBlockRead::whole) break;
    }
    return mesh;
}

bool writeMeshFile(std::ostream& out, const cMeshFileData& mesh) {
    if (!blockIsWritable(mesh.positions) || !blockIsWritable(mesh.indices)) return false;
    if (mesh.attributes.size() > std::numeric_limits<uint32_t>::max()) return false;
    for (const auto& [name, block] : mesh.attributes) {
        if (name.find('\0') != std::string::npos || !blockIsWritable(block)) return false;
    }

    writeBlock(out, mesh.positions);
    writeBlock(out, mesh.indices);
    uint8_t countBytes[4];
    encode32(countBytes, static_cast<int32_t>(static_cast<uint32_t>(mesh.attributes.size())));
    out.write(reinterpret_cast<const char*>(countBytes), 4);
    for (const auto& [name, block] : mesh.attributes) {
        out.write(name.c_str(), static_cast<std::streamsize>(name.size() + 1));
        writeBlock(out, block);
    }
    return static_cast<bool>(out);
}

}  // namespace nimra
