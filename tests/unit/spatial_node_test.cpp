#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "scene/node_tree.h"
#include "scene/spatial_node.h"

using namespace nimra;

namespace {

cQuaternion aboutZ(float degrees) {
    const double half = degrees * M_PI / 360.0;
    return cQuaternion(float(std::cos(half)), 0.0f, 0.0f, float(std::sin(half)));
}

cQuaternion aboutX(float degrees) {
    const double half = degrees * M_PI / 360.0;
    return cQuaternion(float(std::cos(half)), float(std::sin(half)), 0.0f, 0.0f);
}

void expectNear(const cVec3f& v, float x, float y, float z) {
    EXPECT_NEAR(v.x, x, 1e-5f);
    EXPECT_NEAR(v.y, y, 1e-5f);
    EXPECT_NEAR(v.z, z, 1e-5f);
}

void step(cSpatialNode& node, float time, const cSpatialNode* parent = nullptr) {
    node.update(time, parent);
    node.commit(0);
}

// Moves along x with time; counts how often it is asked.
class cRampTrack : public cAnimationTrack {
public:
    void sample(cVec3f& out, float time, int32_t) override {
        out.set(time, 0.0f, 0.0f);
        ++calls;
    }
    int calls = 0;
};

}  // namespace

TEST(SpatialNode, RootAddsItsRotatedOffsetToThePosition) {
    cSpatialNode node;
    node.setPosition(cVec3f(1, 2, 3));
    node.setOffset(cVec3f(1, 0, 0));
    node.setLocalRotation(aboutZ(90));
    node.setLocalScale(cVec3f(2, 3, 4));

    node.update(0.0f, nullptr);
    EXPECT_TRUE(node.worldChanged);
    expectNear(node.pendingMove, 1, 3, 3);
    expectNear(node.worldPosition, 0, 0, 0);  // nothing moves before commit

    node.commit(0);
    expectNear(node.worldPosition, 1, 3, 3);
    expectNear(node.pendingMove, 0, 0, 0);
    EXPECT_FALSE(node.localDirty);
    EXPECT_EQ(node.worldScale.y, 3.0f);
    EXPECT_EQ(node.worldRotation.w, node.localRotation.w);
    const cMatrix4f expected = aboutZ(90).toMatrix();
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(node.worldRotationMatrix.m[i], expected.m[i]) << i;
}

TEST(SpatialNode, ChildAddsParentPositionBeforeScaleAndRotation) {
    cSpatialNode parent, child;
    parent.setPosition(cVec3f(10, 0, 0));
    child.setPosition(cVec3f(1, 0, 0));
    step(parent, 0.0f);
    step(child, 0.0f, &parent);
    expectNear(child.worldPosition, 11, 0, 0);

    parent.setLocalScale(cVec3f(2, 2, 2));
    step(parent, 0.0f);
    step(child, 0.0f, &parent);
    expectNear(child.worldPosition, 22, 0, 0);
    expectNear(child.worldScale, 2, 2, 2);

    // Rotation turns the parent's position with the rest, and the offset joins unrotated
    // (before the turn, not by the child's own rotation).
    child.setOffset(cVec3f(0, 1, 0));
    child.setLocalRotation(aboutX(90));
    child.setLocalScale(cVec3f(1, 2, 3));
    parent.setLocalScale(cVec3f(1, 1, 1));
    parent.setLocalRotation(aboutZ(90));
    step(parent, 0.0f);
    step(child, 0.0f, &parent);
    expectNear(child.worldPosition, -1, 11, 0);
    expectNear(child.worldScale, 1, 2, 3);

    // Parent on the left: these two turns do not commute, (0.5, 0.5, 0.5, 0.5) one way
    // and (0.5, 0.5, -0.5, 0.5) the other.
    EXPECT_NEAR(child.worldRotation.w, 0.5f, 1e-6f);
    expectNear(child.worldRotation.v, 0.5f, 0.5f, 0.5f);
}

TEST(SpatialNode, NothingMovesWithoutLocalDirtyOrAChangedParent) {
    cRampTrack ramp;
    std::vector<cAnimationTrack*> tracks{&ramp};
    cSpatialNode parent, child;
    child.position.attachTracks(&tracks);
    step(parent, 1.0f);
    step(child, 1.0f, &parent);
    expectNear(child.worldPosition, 1, 0, 0);
    EXPECT_EQ(ramp.calls, 1);

    const cMatrix4f matrixBefore = child.worldRotationMatrix;
    child.pendingMove.set(5, 5, 5);
    parent.update(2.0f, nullptr);
    child.update(2.0f, &parent);
    EXPECT_FALSE(parent.worldChanged);
    EXPECT_FALSE(child.worldChanged);
    EXPECT_EQ(ramp.calls, 1);  // time moved on, but nobody asked the animation
    child.commit(0);
    expectNear(child.worldPosition, 1, 0, 0);
    expectNear(child.pendingMove, 0, 0, 0);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(child.worldRotationMatrix.m[i], matrixBefore.m[i]);

    // Marked dirty, the node follows its animation.
    child.markDirty();
    step(child, 3.0f, &parent);
    expectNear(child.worldPosition, 3, 0, 0);

    // A parent that moved carries a clean child along.
    parent.setPosition(cVec3f(0, 5, 0));
    step(parent, 4.0f);
    EXPECT_FALSE(child.localDirty);
    step(child, 4.0f, &parent);
    EXPECT_TRUE(child.worldChanged);
    expectNear(child.worldPosition, 4, 5, 0);
}

TEST(SpatialNode, ItemsAreInheritedUntilANodeHasItsOwn) {
    cSpatialNode root, child, grandchild, root2;
    root.items.push_back(cNodeItem{7, {1, 2}});
    step(root, 0.0f);
    step(child, 0.0f, &root);
    step(grandchild, 0.0f, &child);
    EXPECT_EQ(child.effectiveItems, &root.items);
    EXPECT_EQ(grandchild.effectiveItems, &root.items);

    child.items.push_back(cNodeItem{8, {}});
    step(child, 0.0f, &root);
    step(grandchild, 0.0f, &child);
    EXPECT_EQ(child.effectiveItems, &child.items);
    EXPECT_EQ(grandchild.effectiveItems, &child.items);

    // A root has only its own, even none; and inheritance does not wait for a move.
    step(root2, 0.0f);
    step(root2, 0.0f);
    EXPECT_FALSE(root2.worldChanged);
    EXPECT_EQ(root2.effectiveItems, &root2.items);
    child.items.clear();
    child.update(1.0f, &root2);
    EXPECT_FALSE(child.worldChanged);
    EXPECT_EQ(child.effectiveItems, &root2.items);
}

TEST(SpatialNode, ADisabledAncestorDisablesEveryDescendant) {
    cSpatialNode root, middle, leaf;
    auto pass = [&] {
        step(root, 0.0f);
        step(middle, 0.0f, &root);
        step(leaf, 0.0f, &middle);
    };
    pass();
    EXPECT_TRUE(leaf.effectiveEnabled);

    root.setEnabled(false);
    pass();
    EXPECT_FALSE(root.effectiveEnabled);
    EXPECT_FALSE(middle.effectiveEnabled);
    EXPECT_FALSE(leaf.effectiveEnabled);
    EXPECT_TRUE(leaf.enabled);

    root.setEnabled(true);
    middle.setEnabled(false);
    pass();
    EXPECT_TRUE(root.effectiveEnabled);
    EXPECT_FALSE(leaf.effectiveEnabled);
}

TEST(NodeTree, OnePassPlacesParentsThenChildren) {
    cNodeTree tree;
    cSpatialNode* root = tree.add(std::make_unique<cSpatialNode>("root"));
    cSpatialNode* arm = tree.add(std::make_unique<cSpatialNode>("arm"), root);
    cSpatialNode* hand = tree.add(std::make_unique<cSpatialNode>("hand"), arm);
    ASSERT_TRUE(root && arm && hand);
    EXPECT_EQ(tree.size(), 3u);
    root->setPosition(cVec3f(10, 0, 0));
    arm->setPosition(cVec3f(1, 0, 0));
    hand->setPosition(cVec3f(0, 1, 0));
    root->items.push_back(cNodeItem{1, {}});

    tree.update(0.0f);
    expectNear(arm->worldPosition, 11, 0, 0);
    expectNear(hand->worldPosition, 11, 1, 0);
    EXPECT_EQ(hand->effectiveItems, &root->items);

    // Moving only the root brings the rest along in the same pass.
    root->setPosition(cVec3f(20, 0, 0));
    tree.update(1.0f);
    expectNear(hand->worldPosition, 21, 1, 0);
    tree.update(2.0f);
    EXPECT_FALSE(hand->worldChanged);
    expectNear(hand->worldPosition, 21, 1, 0);
}

TEST(NodeTree, RefusesParentsFromElsewhere) {
    cNodeTree tree;
    cSpatialNode stranger;
    EXPECT_EQ(tree.add(std::make_unique<cSpatialNode>(), &stranger), nullptr);
    EXPECT_EQ(tree.add(nullptr), nullptr);
    EXPECT_EQ(tree.size(), 0u);
}
