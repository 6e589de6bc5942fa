#pragma once
// Scene-graph node: a named local placement (animated position, rotation, scale) and the
// world placement derived from a parent, an enabled flag and attached items that children
// without items of their own inherit.
//
// Each frame a node goes through update, which works out the new world placement and keeps
// the move in pendingMove, and then commit, which applies it. A child reads its parent's
// committed world position, so parents are updated and committed before their children
// (cNodeTree does exactly that). Update only recomputes the world placement when the
// parent's changed or localDirty is set; an animated node needs markDirty() before each
// update that is to follow its animation.
//
// Node records. A record holds the name, two integer tags the node does not interpret, the
// constant position, the local rotation and the local scale, in one of two forms.
//
// Binary: the name's bytes and a zero byte, then 48 bytes, all little-endian: tagA and
// tagB (int32), position x y z, rotation x y z w (vector part first), scale x y z
// (float32 each).
//
// Text: thirteen lines. A label runs up to the first ':' and is skipped; the name is the
// rest of line 1 exactly as it stands (spaces after the ':' included). Values are
// whitespace-separated numbers. Lines 4 to 6, 10 and 11 to 13 carry nothing the node reads,
// and line 10 is normally empty. The reader skips blindly one character after tagB and two
// after the scale, so a line end must follow each directly.
//
//     name:box
//     tagA: 3
//     tagB: -1
//     (three lines)
//     position: 1 2 3
//     rotation: 0 0 0.707107 0.707107
//     scale: 1 1 1
//
//     (three lines)
//
// Records are untrusted. A load reads whole numbers only: a field cut short by the end of
// the input keeps its old value, except the position, which is always stored and takes 0
// for every component that was not read. A binary name without its zero byte ends with the
// input, and a name longer than kMaxNodeNameBytes fails the load rather than growing.

#include <cstdint>
#include <iosfwd>
#include <list>
#include <string>
#include <utility>
#include <vector>

#include "math/matrix.h"
#include "math/quaternion.h"
#include "math/vector.h"
#include "scene/animatable.h"

namespace nimra {

constexpr size_t kMaxNodeNameBytes = 65536;

// Something attached to a node (a mesh, a material, a sound): what it is and its
// parameters, interpreted by whoever attached it.
struct cNodeItem {
    int32_t kind = 0;
    std::vector<uint32_t> values;
};

class cSpatialNode {
public:
    int32_t tagA = 0;
    int32_t tagB = 0;
    std::string name;
    cQuaternion localRotation{1.0f, 0.0f, 0.0f, 0.0f};
    cAnimatableVec3f position;
    cVec3f localScale{1.0f, 1.0f, 1.0f};
    cQuaternion worldRotation{1.0f, 0.0f, 0.0f, 0.0f};
    cMatrix4f worldRotationMatrix;
    cVec3f worldPosition;
    cVec3f worldScale{1.0f, 1.0f, 1.0f};
    cVec3f offset;
    cVec3f pendingMove;
    bool enabled = true;
    bool effectiveEnabled = true;
    std::vector<cNodeItem> items;
    // Never null: the node's own items, or an ancestor's. Whoever owns that ancestor keeps
    // it alive as long as this node.
    const std::vector<cNodeItem>* effectiveItems = &items;
    std::list<uint32_t> links;
    // A new node has never been placed, so its first update places it.
    bool localDirty = true;
    bool worldChanged = false;

    cSpatialNode() = default;
    explicit cSpatialNode(std::string nodeName) : name(std::move(nodeName)) {}
    // effectiveItems may point into this node, so a copy would point into the original.
    cSpatialNode(const cSpatialNode&) = delete;
    cSpatialNode& operator=(const cSpatialNode&) = delete;

    virtual void update(float time, const cSpatialNode* parent);
    virtual void commit(int32_t);
    virtual int32_t typeCode() const { return 0; }
    // Fills name, tagA, tagB, the position's constant, localRotation and localScale from a
    // record of the given form, and nothing else (localDirty included). Version 1 is the
    // only one; any other reads nothing. True when the stream is still good afterwards.
    virtual bool loadStream(std::istream& in, bool binary, int32_t version);
    virtual bool classFlag() const { return false; }
    virtual ~cSpatialNode() = default;

    // Changing the local placement through these marks it for the next update.
    void setPosition(const cVec3f& p) {
        position.setValue(p);
        localDirty = true;
    }
    void setOffset(const cVec3f& o) {
        offset = o;
        localDirty = true;
    }
    void setLocalRotation(const cQuaternion& q) {
        localRotation = q;
        localDirty = true;
    }
    void setLocalScale(const cVec3f& s) {
        localScale = s;
        localDirty = true;
    }
    void markDirty() { localDirty = true; }
    void setEnabled(bool on) { enabled = on; }

private:
    bool loadBinary(std::istream& in);
    bool loadText(std::istream& in);
};

// Record writers, for tools and tests; the versions they write are the ones loadStream
// reads as version 1. False, with nothing written, when the record could not be read back
// as it is: a name over kMaxNodeNameBytes, a zero byte in a binary name, a line end in a
// text name, or a value that is not finite in the text form. Otherwise whether the stream
// took everything.
bool writeNodeBinary(std::ostream& out, const cSpatialNode& node);
bool writeNodeText(std::ostream& out, const cSpatialNode& node);

}  // namespace nimra
