#include "scene/node_tree.h"

#include <algorithm>
#include <utility>

namespace nimra {

const cNodeTree::cEntry* cNodeTree::find(const cSpatialNode* node) const {
    const auto it = std::find_if(mEntries.begin(), mEntries.end(),
                                 [node](const cEntry& e) { return e.node.get() == node; });
    return it == mEntries.end() ? nullptr : &*it;
}

cSpatialNode* cNodeTree::add(std::unique_ptr<cSpatialNode> node, const cSpatialNode* parent) {
    if (!node || (parent && !find(parent))) return nullptr;
    mEntries.push_back(cEntry{std::move(node), parent});
    return mEntries.back().node.get();
}

void cNodeTree::update(float time) {
    for (cEntry& entry : mEntries) {
        entry.node->update(time, entry.parent);
        entry.node->commit(0);
    }
}

cNodeTree::~cNodeTree() {
    while (!mEntries.empty())
        mEntries.pop_back();
}

}  // namespace nimra
