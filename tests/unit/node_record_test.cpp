#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "scene/spatial_node.h"

using namespace nimra;

namespace {

void put32(std::string& s, uint32_t bits) {
    for (int i = 0; i < 4; ++i)
        s.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
}

void putFloat(std::string& s, float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    put32(s, bits);
}

uint32_t bitsOf(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return bits;
}

// Laid out by hand, independently of the writer: position 1 2 3, rotation x y z w
// 0.5 -0.5 0.25 0.75, scale 4 5 6.
const float kRecordFloats[10] = {1, 2, 3, 0.5f, -0.5f, 0.25f, 0.75f, 4, 5, 6};

std::string binaryRecord(const std::string& name, int32_t tagA = 42, int32_t tagB = -7) {
    std::string s = name;
    s.push_back('\0');
    put32(s, static_cast<uint32_t>(tagA));
    put32(s, static_cast<uint32_t>(tagB));
    for (float f : kRecordFloats)
        putFloat(s, f);
    return s;
}

const char* const kTextRecord =
    "Node name:  left: arm\n"
    "first tag: 42\n"
    "second tag:-7\n"
    "children: 0\n"
    "items: 0\n"
    "links: 0\n"
    "Position (x y z): 1 2 3\n"
    "Rotation (x y z w):\t0.5 -0.5 0.25 0.75\n"
    "scale:4 5 6\n"
    "\n"
    "animation: none\n"
    "reserved:\n"
    "end\n";

bool load(cSpatialNode& node, const std::string& bytes, bool binary, int32_t version = 1) {
    std::istringstream in(bytes);
    return node.loadStream(in, binary, version);
}

std::string rest(std::istream& in) {
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// The ten floats of a record, in record order.
std::array<float, 10> floatsOf(const cSpatialNode& n) {
    const cVec3f& p = n.position.value;
    const cQuaternion& q = n.localRotation;
    return {p.x,           p.y, p.z, q.v.x, q.v.y, q.v.z, q.w, n.localScale.x, n.localScale.y,
            n.localScale.z};
}

void expectRecordValues(const cSpatialNode& node) {
    EXPECT_EQ(node.tagA, 42);
    EXPECT_EQ(node.tagB, -7);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(floatsOf(node)[i], kRecordFloats[i]) << i;
}

// Everything a record carries, compared bit for bit so that -0 and NaN count.
void expectSameRecord(const cSpatialNode& a, const cSpatialNode& b) {
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.tagA, b.tagA);
    EXPECT_EQ(a.tagB, b.tagB);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(bitsOf(floatsOf(a)[i]), bitsOf(floatsOf(b)[i])) << i;
}

}  // namespace

TEST(NodeRecordBinary, NameAndTheFortyEightBytesThatFollow) {
    cSpatialNode node;
    EXPECT_TRUE(load(node, binaryRecord("ab"), true));
    EXPECT_EQ(node.name, "ab");
    expectRecordValues(node);

    // The name is appended to, and the load touches nothing outside the record.
    cSpatialNode placed("x");
    placed.setOffset(cVec3f(9, 9, 9));
    placed.update(0.0f, nullptr);
    placed.commit(0);
    EXPECT_TRUE(load(placed, binaryRecord("ab"), true));
    EXPECT_EQ(placed.name, "xab");
    expectRecordValues(placed);
    EXPECT_FALSE(placed.localDirty);
    EXPECT_EQ(placed.worldPosition.x, 9.0f);
    EXPECT_EQ(placed.offset.x, 9.0f);
}

TEST(NodeRecordBinary, RecordsFollowOneAnotherInAStream) {
    std::istringstream in(binaryRecord("first") + binaryRecord("", 1, 2) + "tail");
    cSpatialNode a, b, c;
    EXPECT_TRUE(a.loadStream(in, true, 1));
    EXPECT_TRUE(b.loadStream(in, true, 1));
    EXPECT_EQ(a.name, "first");
    EXPECT_EQ(b.name, "");
    EXPECT_EQ(b.tagA, 1);
    EXPECT_EQ(rest(in), "tail");
}

TEST(NodeRecordText, LabelsNameAndValues) {
    cSpatialNode node("old name");
    EXPECT_TRUE(load(node, kTextRecord, false));
    EXPECT_EQ(node.name, "  left: arm");  // replaced, with its leading spaces
    expectRecordValues(node);

    // Line 8 as x y z w: 0 0 0 1 is no rotation at all.
    std::string identity = kTextRecord;
    identity.replace(identity.find("0.5 -0.5 0.25 0.75"), 18, "0 0 0 1");
    cSpatialNode turned;
    turned.localRotation = cQuaternion(0.0f, 1.0f, 0.0f, 0.0f);
    EXPECT_TRUE(load(turned, identity, false));
    EXPECT_EQ(turned.localRotation.w, 1.0f);
    EXPECT_EQ(turned.localRotation.v.x, 0.0f);
    EXPECT_EQ(turned.localRotation.v.y, 0.0f);
    EXPECT_EQ(turned.localRotation.v.z, 0.0f);
}

TEST(NodeRecordText, SkipsCountCharactersNotLines) {
    // Two records back to back: each load ends exactly after its thirteenth line.
    std::istringstream two(std::string(kTextRecord) + kTextRecord + "next");
    cSpatialNode a, b;
    EXPECT_TRUE(a.loadStream(two, false, 1));
    EXPECT_TRUE(b.loadStream(two, false, 1));
    EXPECT_EQ(b.name, "  left: arm");
    EXPECT_EQ(rest(two), "next");

    // A space after the scale takes the place of the line end, so the line end left behind
    // counts as the first discarded line and the last one is left over.
    std::string spaced = kTextRecord;
    spaced.replace(spaced.find("4 5 6\n"), 6, "4 5 6 \n");
    std::istringstream in(spaced);
    cSpatialNode c;
    EXPECT_TRUE(c.loadStream(in, false, 1));
    EXPECT_EQ(rest(in), "end\n");
}

TEST(NodeRecord, OtherVersionsAndBadStreamsReadNothing) {
    for (bool binary : {true, false}) {
        SCOPED_TRACE(binary);
        const std::string record = binary ? binaryRecord("ab") : std::string(kTextRecord);
        cSpatialNode node("keep");
        node.position.setValue(cVec3f(7, 7, 7));
        std::istringstream in(record);
        EXPECT_TRUE(node.loadStream(in, binary, 2));
        EXPECT_TRUE(node.loadStream(in, binary, 0));
        EXPECT_EQ(node.name, "keep");
        EXPECT_EQ(node.position.value.x, 7.0f);
        EXPECT_EQ(node.tagA, 0);
        EXPECT_EQ(rest(in), record);

        std::istringstream failed(record);
        failed.setstate(std::ios::failbit);
        EXPECT_FALSE(node.loadStream(failed, binary, 1));
        EXPECT_EQ(node.name, "keep");
        EXPECT_EQ(node.position.value.x, 7.0f);
    }
}

TEST(NodeRecord, PositionGoesThroughSetValueAndIsAlwaysStored) {
    for (bool binary : {true, false}) {
        SCOPED_TRACE(binary);
        const std::string record = binary ? binaryRecord("ab") : std::string(kTextRecord);

        // With select-by-value the record's x (1) also picks the track.
        cSpatialNode selecting;
        selecting.position.setSelectByValue(true);
        selecting.position.setTrackIndex(5);
        EXPECT_TRUE(load(selecting, record, binary));
        EXPECT_EQ(selecting.position.trackIndex, 1u);

        // Cut off in the name: the position is stored all the same, as zero.
        cSpatialNode cut;
        cut.position.setValue(cVec3f(7, 7, 7));
        EXPECT_FALSE(load(cut, record.substr(0, 1), binary));
        EXPECT_EQ(cut.position.value.x, 0.0f);
        EXPECT_EQ(cut.position.value.z, 0.0f);
    }

    // Cut off after x: y and z become zero.
    const std::string text = kTextRecord;
    cSpatialNode partial;
    partial.position.setValue(cVec3f(7, 7, 7));
    EXPECT_FALSE(load(partial, text.substr(0, text.find("1 2 3") + 1), false));
    EXPECT_EQ(partial.position.value.x, 1.0f);
    EXPECT_EQ(partial.position.value.y, 0.0f);
    EXPECT_EQ(partial.position.value.z, 0.0f);
}

TEST(NodeRecordBinary, EveryTruncationFailsKeepingOnlyWholeFields) {
    const std::string name = "ab";
    const std::string record = binaryRecord(name);
    const size_t fields = name.size() + 1;  // where tag A starts
    for (size_t n = 0; n < record.size(); ++n) {
        SCOPED_TRACE(n);
        cSpatialNode node;
        node.localScale.set(-1, -1, -1);
        EXPECT_FALSE(load(node, record.substr(0, n), true));
        EXPECT_EQ(node.name, name.substr(0, n));

        // Field i (tag A, tag B, then the ten floats) is there only when its last byte is.
        auto whole = [&](size_t i) { return n >= fields + 4 * (i + 1); };
        EXPECT_EQ(node.tagA, whole(0) ? 42 : 0);
        EXPECT_EQ(node.tagB, whole(1) ? -7 : 0);
        EXPECT_EQ(node.position.value.x, whole(2) ? 1.0f : 0.0f);
        EXPECT_EQ(node.position.value.z, whole(4) ? 3.0f : 0.0f);
        EXPECT_EQ(node.localRotation.v.x, whole(5) ? 0.5f : 0.0f);
        EXPECT_EQ(node.localRotation.w, whole(8) ? 0.75f : 1.0f);
        EXPECT_EQ(node.localScale.x, whole(9) ? 4.0f : -1.0f);
        EXPECT_EQ(node.localScale.z, -1.0f);  // the last byte is never there
    }
    cSpatialNode node;
    EXPECT_TRUE(load(node, record, true));
}

TEST(NodeRecordText, EveryTruncationFails) {
    const std::string record = kTextRecord;
    const size_t nameEnd = record.find('\n');
    const size_t tagAEnd = record.find('\n', nameEnd + 1);
    for (size_t n = 0; n < record.size(); ++n) {
        SCOPED_TRACE(n);
        cSpatialNode node("old");
        EXPECT_FALSE(load(node, record.substr(0, n), false));
        if (n > nameEnd) {
            EXPECT_EQ(node.name, "  left: arm");
        }
        if (n > tagAEnd) {
            EXPECT_EQ(node.tagA, 42);
        }
    }
    cSpatialNode node;
    EXPECT_TRUE(load(node, record, false));
}

TEST(NodeRecord, NamesAreBoundedAndAnUnendedBinaryNameStops) {
    cSpatialNode unended;
    EXPECT_FALSE(load(unended, "abc", true));
    EXPECT_EQ(unended.name, "abc");

    const std::string longest(kMaxNodeNameBytes, 'n');
    const std::string tooLong(kMaxNodeNameBytes + 1, 'n');
    cSpatialNode a, b;
    EXPECT_TRUE(load(a, binaryRecord(longest), true));
    EXPECT_EQ(a.name.size(), kMaxNodeNameBytes);
    EXPECT_FALSE(load(b, binaryRecord(tooLong), true));
    EXPECT_EQ(b.tagA, 0);

    std::string text = kTextRecord;
    text.replace(text.find("  left: arm"), 11, longest);
    cSpatialNode c, d("old");
    EXPECT_TRUE(load(c, text, false));
    EXPECT_EQ(c.name, longest);
    text.insert(text.find('\n'), "n");
    EXPECT_FALSE(load(d, text, false));
    EXPECT_LE(d.name.size(), kMaxNodeNameBytes);
    EXPECT_EQ(d.tagA, 0);

    // What cannot be read back is not written.
    cSpatialNode unwritable(tooLong);
    std::ostringstream out;
    EXPECT_FALSE(writeNodeBinary(out, unwritable));
    EXPECT_FALSE(writeNodeText(out, unwritable));
    EXPECT_TRUE(out.str().empty());
}

TEST(NodeRecord, WrittenNodesReadBackEqual) {
    const float big = std::numeric_limits<float>::max();
    const float tiny = std::numeric_limits<float>::denorm_min();
    cSpatialNode node(" spaced: name\twith tab, UTF-8 \xc3\xa9 and a \r");
    node.tagA = std::numeric_limits<int32_t>::min();
    node.tagB = std::numeric_limits<int32_t>::max();
    node.position.setValue(cVec3f(0.1f, -0.0f, 1.0f / 3.0f));
    node.localRotation = cQuaternion(big, -big, tiny, -tiny);
    node.localScale.set(1e-38f, 123456.789f, -2.5e7f);

    for (bool binary : {true, false}) {
        SCOPED_TRACE(binary);
        std::stringstream stream;
        ASSERT_TRUE(binary ? writeNodeBinary(stream, node) : writeNodeText(stream, node));
        cSpatialNode back;
        EXPECT_TRUE(back.loadStream(stream, binary, 1));
        expectSameRecord(back, node);
        EXPECT_EQ(rest(stream), "");
    }

    // Only the binary form carries values that are not finite; the text form refuses them.
    node.position.setValue(cVec3f(std::numeric_limits<float>::quiet_NaN(),
                                  std::numeric_limits<float>::infinity(), 0.0f));
    std::stringstream binary;
    ASSERT_TRUE(writeNodeBinary(binary, node));
    cSpatialNode back;
    EXPECT_TRUE(back.loadStream(binary, true, 1));
    expectSameRecord(back, node);
    std::ostringstream text;
    EXPECT_FALSE(writeNodeText(text, node));
    EXPECT_TRUE(text.str().empty());

    // Names the form cannot hold.
    cSpatialNode zero(std::string("a\0b", 3)), newline("a\nb");
    EXPECT_FALSE(writeNodeBinary(text, zero));
    EXPECT_TRUE(writeNodeText(text, zero));
    EXPECT_FALSE(writeNodeText(text, newline));
    EXPECT_TRUE(writeNodeBinary(text, newline));
}
