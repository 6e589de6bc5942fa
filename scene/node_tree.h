#pragma once
// A tree of spatial nodes that owns them all. Nodes are kept in the order they were added
// and a parent must be added before its children, so one pass in that order reaches every
// parent before its children.

#include <cstddef>
#include <memory>
#include <vector>

#include "scene/spatial_node.h"

namespace nimra {

class cNodeTree {
public:
    // Takes the node and returns it, under parent (which must already be in this tree) or
    // as a root when parent is null. Returns null, and destroys the node, when the parent
    // is not in this tree or there is no node.
    cSpatialNode* add(std::unique_ptr<cSpatialNode> node, const cSpatialNode* parent = nullptr);

    // Updates and commits every node, each one right after the other, parents first: a
    // child's update reads its parent's committed world position, so a node moved this
    // frame carries its children with it in the same frame.
    void update(float time);

    size_t size() const { return mEntries.size(); }

    cNodeTree() = default;
    cNodeTree(const cNodeTree&) = delete;
    cNodeTree& operator=(const cNodeTree&) = delete;
    // Children go first: a parent outlives every node that may refer to its items.
    ~cNodeTree();

private:
    struct cEntry {
        std::unique_ptr<cSpatialNode> node;
        const cSpatialNode* parent;
    };

    const cEntry* find(const cSpatialNode* node) const;

    std::vector<cEntry> mEntries;
};

}  // namespace nimra
