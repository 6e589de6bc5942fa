#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "render/mesh_file.h"

using namespace nimra;

namespace {

template <typename T>
cMeshBlock block(int32_t target, int32_t components, int32_t type, const std::vector<T>& v) {
    cMeshBlock b;
    b.usage = 0x88E4;
    b.target = target;
    b.bytesPerComponent = sizeof(T);
    b.componentsPerElement = components;
    b.elementCount = static_cast<int32_t>(v.size() / components);
    b.componentType = type;
    b.data.resize(v.size() * sizeof(T));
    std::memcpy(b.data.data(), v.data(), b.data.size());
    return b;
}

cMeshFileData quad() {
    cMeshFileData m;
    m.positions = block<float>(0x8892, 3, 0x1406, {-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0});
    m.indices = block<uint32_t>(0x8893, 3, 0x1405, {0, 1, 3, 1, 2, 3});
    return m;
}

cMeshFileData withAttributes() {
    cMeshFileData m = quad();
    m.attributes.emplace_back("texCoord",
                              block<float>(0x8892, 2, 0x1406, {0, 0, 1, 0, 1, 1, 0, 1}));
    m.attributes.emplace_back(
        "normal", block<float>(0x8892, 3, 0x1406, {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1}));
    return m;
}

std::string bytesOf(const cMeshFileData& m) {
    std::ostringstream out;
    EXPECT_TRUE(writeMeshFile(out, m));
    return out.str();
}

cMeshFileData parse(const std::string& bytes) {
    std::istringstream in(bytes);
    return readMeshFile(in);
}

void put32(std::string& s, int32_t v) {
    for (int i = 0; i < 4; ++i)
        s.push_back(static_cast<char>((uint32_t(v) >> (8 * i)) & 0xFF));
}

std::string header(int32_t bpc, int32_t count, int32_t components) {
    std::string s;
    for (int32_t v : {0x88E4, 0x8892, bpc, count, components, 0x1406})
        put32(s, v);
    return s;
}

bool sameBlock(const cMeshBlock& a, const cMeshBlock& b) {
    return a.usage == b.usage && a.target == b.target &&
           a.bytesPerComponent == b.bytesPerComponent && a.elementCount == b.elementCount &&
           a.componentsPerElement == b.componentsPerElement && a.componentType == b.componentType &&
           a.data == b.data;
}

void expectConsistent(const cMeshBlock& b) {
    EXPECT_EQ(static_cast<int64_t>(b.data.size()),
              int64_t(b.bytesPerComponent) * b.componentsPerElement * b.elementCount);
}

// A stream that cannot seek, so the reader cannot know how much input is left.
class cPipeBuf : public std::streambuf {
public:
    explicit cPipeBuf(std::string bytes) : mBytes(std::move(bytes)) {
        setg(mBytes.data(), mBytes.data(), mBytes.data() + mBytes.size());
    }

private:
    std::string mBytes;
};

}  // namespace

TEST(MeshFile, QuadIsTheDocumented124Bytes) {
    const std::string bytes = bytesOf(quad());
    ASSERT_EQ(bytes.size(), 124u);
    std::string expected = header(4, 4, 3);
    EXPECT_EQ(bytes.substr(0, 24), expected);
    std::string indices;
    for (int32_t v : {0x88E4, 0x8893, 4, 2, 3, 0x1405})
        put32(indices, v);
    EXPECT_EQ(bytes.substr(72, 24), indices);
    EXPECT_EQ(bytes.substr(120), std::string(4, '\0'));

    const cMeshFileData back = parse(bytes);
    EXPECT_TRUE(back.hasPositions);
    EXPECT_TRUE(back.hasIndices);
    EXPECT_TRUE(sameBlock(back.positions, quad().positions));
    EXPECT_TRUE(sameBlock(back.indices, quad().indices));
    EXPECT_TRUE(back.attributes.empty());
}

TEST(MeshFile, EveryPrefixLoadsAsAConsistentPrefixOfTheMesh) {
    const cMeshFileData full = withAttributes();
    const std::string bytes = bytesOf(full);
    for (size_t n = 0; n <= bytes.size(); ++n) {
        SCOPED_TRACE(n);
        const cMeshFileData m = parse(bytes.substr(0, n));
        EXPECT_EQ(m.hasPositions, n >= 24);
        EXPECT_EQ(m.hasIndices, n >= 72 + 24);
        const cMeshBlock* got[] = {&m.positions, &m.indices};
        const cMeshBlock* want[] = {&full.positions, &full.indices};
        for (int b = 0; b < 2; ++b) {
            expectConsistent(*got[b]);
            ASSERT_LE(got[b]->data.size(), want[b]->data.size());
            EXPECT_TRUE(
                std::equal(got[b]->data.begin(), got[b]->data.end(), want[b]->data.begin()));
        }
        ASSERT_LE(m.attributes.size(), full.attributes.size());
        for (size_t i = 0; i < m.attributes.size(); ++i) {
            expectConsistent(m.attributes[i].second);
            EXPECT_EQ(0u, full.attributes[i].first.find(m.attributes[i].first));
        }
    }
    // The whole file, with bytes after it that must be ignored, comes back as written.
    const cMeshFileData back = parse(bytes + "trailing junk");
    ASSERT_EQ(back.attributes.size(), full.attributes.size());
    for (size_t i = 0; i < back.attributes.size(); ++i) {
        EXPECT_EQ(back.attributes[i].first, full.attributes[i].first);
        EXPECT_TRUE(sameBlock(back.attributes[i].second, full.attributes[i].second));
    }
    // A partial element is dropped: 24 header bytes + 13 float bytes hold one vertex.
    EXPECT_EQ(parse(bytes.substr(0, 24 + 13)).positions.elementCount, 1);
}

TEST(MeshFile, ImpossibleSizesGiveAnEmptyBlockAndEndTheFile) {
    struct {
        int32_t bpc, count, components;
    } cases[] = {
        {4, -1, 3},          // negative count
        {-4, -1, 3},         // negatives whose product looks fine
        {4, 0x40000000, 3},  // wraps to 0 in 32 bits
        {4, 0x15555556, 3},  // wraps to 8 in 32 bits
        {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        std::string bytes = header(c.bpc, c.count, c.components) + std::string(64, '\x01');
        bytes += bytesOf(quad());  // would parse as the indices if the reader went on
        const cMeshFileData m = parse(bytes);
        EXPECT_TRUE(m.hasPositions);
        EXPECT_EQ(m.positions.elementCount, 0);
        EXPECT_TRUE(m.positions.data.empty());
        EXPECT_FALSE(m.hasIndices);
    }
}

TEST(MeshFile, ZeroSizeBlockIsEmptyAndReadingGoesOn) {
    std::string bytes = header(0, 1000000, 3) + bytesOf(quad()).substr(72);
    const cMeshFileData m = parse(bytes);
    EXPECT_EQ(m.positions.elementCount, 0);
    EXPECT_TRUE(m.hasIndices);
    EXPECT_EQ(m.indices.elementCount, 2);
}

TEST(MeshFile, HugeDeclarationsOnShortInputStayBounded) {
    // 2 GiB of positions declared, 16 bytes present; once seekable, once not.
    const std::string bytes = header(4, 0x7FFFFFFF / 12, 3) + std::string(16, '\x02');
    cMeshFileData seekable = parse(bytes);
    cPipeBuf pipe(bytes);
    std::istream pipeStream(&pipe);
    cMeshFileData streamed = readMeshFile(pipeStream);
    for (const cMeshFileData* m : {&seekable, &streamed}) {
        EXPECT_EQ(m->positions.elementCount, 1);
        EXPECT_EQ(m->positions.data.size(), 12u);
        EXPECT_FALSE(m->hasIndices);
    }

    // An attribute count of four billion with one entry present ends with the input.
    std::string many = bytesOf(quad());
    many.replace(120, 4, std::string(4, '\xFF'));
    many += std::string("normal") + '\0' + header(4, 1, 3) + std::string(12, '\0');
    many += "cut-off name";
    const cMeshFileData m = parse(many);
    ASSERT_EQ(m.attributes.size(), 1u);
    EXPECT_EQ(m.attributes[0].first, "normal");
}

TEST(MeshFile, WriterRefusesBlocksThatDisagreeWithTheirHeader) {
    cMeshFileData m = quad();
    m.positions.elementCount = 5;
    std::ostringstream out;
    EXPECT_FALSE(writeMeshFile(out, m));
    EXPECT_TRUE(out.str().empty());

    m = quad();
    m.attributes.emplace_back(std::string("a\0b", 3), cMeshBlock());
    EXPECT_FALSE(writeMeshFile(out, m));
    EXPECT_TRUE(out.str().empty());
}

TEST(MeshForDrawing, AValidFileComesThroughUnchanged) {
    const cMeshFileData original = withAttributes();
    cMeshFileData m = original;
    prepareForDrawing(m);
    EXPECT_TRUE(sameBlock(m.positions, original.positions));
    EXPECT_TRUE(sameBlock(m.indices, original.indices));
    ASSERT_EQ(m.attributes.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(m.attributes[i].first, original.attributes[i].first);
        EXPECT_TRUE(sameBlock(m.attributes[i].second, original.attributes[i].second));
    }
    // Short and byte indices are just as drawable.
    m = quad();
    m.indices = block<uint16_t>(0x8893, 3, 0x1403, {0, 1, 3, 1, 2, 3});
    const cMeshBlock shortIndices = m.indices;
    prepareForDrawing(m);
    EXPECT_TRUE(sameBlock(m.indices, shortIndices));
}

TEST(MeshForDrawing, BlocksAreBoundByTheirPlaceInTheFile) {
    cMeshFileData m = withAttributes();
    m.positions.target = 0x8893;             // positions claiming to be indices
    m.indices.target = 0x8892;               // and the other way round
    m.indices.usage = 0x1234;                // no such usage
    m.attributes[0].second.target = 0x88EB;  // a pixel-pack buffer
    m.attributes[1].second.usage = 0x88E8;   // dynamic: a real usage, kept
    prepareForDrawing(m);
    EXPECT_EQ(m.positions.target, 0x8892);
    EXPECT_EQ(m.indices.target, 0x8893);
    EXPECT_EQ(m.indices.usage, 0x88E4);
    EXPECT_EQ(m.attributes[0].second.target, 0x8892);
    EXPECT_EQ(m.attributes[1].second.usage, 0x88E8);
    EXPECT_EQ(m.indices.elementCount, 2);
}

TEST(MeshForDrawing, PrimitivesPastTheVerticesAreRemovedInOrder) {
    cMeshFileData m = quad();
    m.indices = block<uint32_t>(0x8893, 3, 0x1405, {0, 1, 4, 1, 2, 3, 0xFFFFFFFF, 0, 1, 3, 2, 1});
    prepareForDrawing(m);
    EXPECT_EQ(m.indices.elementCount, 2);
    EXPECT_TRUE(sameBlock(m.indices, block<uint32_t>(0x8893, 3, 0x1405, {1, 2, 3, 3, 2, 1})));

    m = quad();
    m.indices = block<uint8_t>(0x8893, 3, 0x1401, {0, 1, 2, 3, 4, 5});
    prepareForDrawing(m);
    EXPECT_EQ(m.indices.elementCount, 1);
    expectConsistent(m.indices);
}

TEST(MeshForDrawing, LayoutsGLCannotDrawFromAreEmptiedOrDropped) {
    // Float indices, and index bytes that disagree with the index type.
    for (const cMeshBlock& indices : {block<float>(0x8893, 3, 0x1406, {0, 1, 3, 1, 2, 3}),
                                      block<uint16_t>(0x8893, 3, 0x1405, {0, 1, 3, 1, 2, 3})}) {
        cMeshFileData m = quad();
        m.indices = indices;
        prepareForDrawing(m);
        EXPECT_EQ(m.indices.elementCount, 0);
        expectConsistent(m.indices);
        EXPECT_EQ(m.positions.elementCount, 4);
    }

    // Positions of one component or of bytes: nothing can be drawn, so no primitive stays.
    cMeshFileData m = withAttributes();
    m.positions = block<float>(0x8892, 1, 0x1406, {1, 2, 3, 4});
    prepareForDrawing(m);
    EXPECT_EQ(m.positions.elementCount, 0);
    expectConsistent(m.positions);
    EXPECT_EQ(m.indices.elementCount, 0);
    m = quad();
    m.positions = block<uint8_t>(0x8892, 3, 0x1401, std::vector<uint8_t>(12, 1));
    prepareForDrawing(m);
    EXPECT_EQ(m.positions.elementCount, 0);

    // Attributes of an unknown type or of five components are dropped; the rest stay.
    m = withAttributes();
    m.attributes[0].second.componentType = 0x1234;
    m.attributes.emplace_back("wide", block<float>(0x8892, 5, 0x1406, std::vector<float>(20)));
    prepareForDrawing(m);
    ASSERT_EQ(m.attributes.size(), 1u);
    EXPECT_EQ(m.attributes[0].first, "normal");
}

TEST(MeshForDrawing, ShortAttributesArePaddedWithZeros) {
    cMeshFileData m = quad();
    m.attributes.emplace_back("normal", block<float>(0x8892, 3, 0x1406, {0, 0, 1}));
    m.attributes.emplace_back("empty", block<uint16_t>(0x8892, 2, 0x1403, {}));
    prepareForDrawing(m);
    ASSERT_EQ(m.attributes.size(), 2u);
    const cMeshBlock& normal = m.attributes[0].second;
    EXPECT_EQ(normal.elementCount, 4);
    expectConsistent(normal);
    float values[12];
    std::memcpy(values, normal.data.data(), sizeof values);
    EXPECT_EQ(values[2], 1.0f);
    for (int i = 3; i < 12; ++i)
        EXPECT_EQ(values[i], 0.0f);
    EXPECT_EQ(m.attributes[1].second.elementCount, 4);
    expectConsistent(m.attributes[1].second);
}
