#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "demo/spheres.h"
#include "render/gl.h"

using namespace nimra;

namespace {

// The pixel a point in clip coordinates lands in, as GL rasterises a one-pixel point on a
// side x side viewport.
std::pair<int, int> pixelOf(cVec2f p, int side) {
    return {static_cast<int>(std::floor((p.x + 1.0f) * 0.5f * side)),
            static_cast<int>(std::floor((p.y + 1.0f) * 0.5f * side))};
}

}  // namespace

TEST(VertexGrid, EveryVertexLandsInThePixelItsValuesAreReadFrom) {
    // The read-back puts pixel (x, y) at element y * side + x, and vertex k reads element
    // k: its point must land in row k / side, column k % side, never a neighbour's.
    for (int n = 1; n <= 1100; ++n) {
        const cVertexGrid grid = vertexGrid(n);
        ASSERT_EQ(grid.side, static_cast<int>(std::ceil(std::sqrt(double(n))))) << n;
        ASSERT_GE(grid.side * grid.side, n);
        const std::vector<cVec2f> points = gridPositions(grid);
        ASSERT_EQ(points.size(), size_t(n));
        for (int k = 0; k < n; ++k) {
            const auto [column, row] = pixelOf(points[k], grid.side);
            ASSERT_EQ(column, k % grid.side) << n << " " << k;
            ASSERT_EQ(row, k / grid.side) << n << " " << k;
        }
    }
}

TEST(VertexGrid, SquareShortSingleAndEmptyMeshes) {
    // A square count fills the grid, one vertex per pixel.
    cVertexGrid grid = vertexGrid(484);
    EXPECT_EQ(grid.side, 22);
    EXPECT_FLOAT_EQ(gridPosition(grid, 0).x, -1.0f + 1.0f / 22);
    EXPECT_FLOAT_EQ(gridPosition(grid, 0).y, -1.0f + 1.0f / 22);
    EXPECT_FLOAT_EQ(gridPosition(grid, 483).x, 1.0f - 1.0f / 22);
    EXPECT_FLOAT_EQ(gridPosition(grid, 483).y, 1.0f - 1.0f / 22);

    // Two short: the last row holds vertices 462 to 481 inside the grid (a row laid on its
    // top edge would be clipped away), and the last two pixels stay empty.
    grid = vertexGrid(482);
    EXPECT_EQ(grid.side, 22);
    EXPECT_EQ(gridPositions(grid).size(), 482u);
    for (int k = 462; k < 482; ++k) {
        EXPECT_FLOAT_EQ(gridPosition(grid, k).y, 1.0f - 1.0f / 22) << k;
        EXPECT_LT(gridPosition(grid, k).y, 1.0f);
    }
    EXPECT_FLOAT_EQ(gridPosition(grid, 481).x, 1.0f - 5.0f / 22);

    // One vertex: a one-pixel grid, the point in its middle. None (or more than a buffer
    // counts): no grid at all.
    grid = vertexGrid(1);
    EXPECT_EQ(grid.side, 1);
    EXPECT_EQ(gridPosition(grid, 0).x, 0.0f);
    EXPECT_EQ(gridPosition(grid, 0).y, 0.0f);
    for (int n : {0, -5, INT_MAX}) {
        EXPECT_EQ(vertexGrid(n).side, 0) << n;
        EXPECT_TRUE(gridPositions(vertexGrid(n)).empty()) << n;
    }
}

TEST(VertexGrid, LargeCountsNeverComeOutACellShort) {
    // In single precision 2^24 + 1 rounds down to a square and the grid would come out a
    // pixel short of its vertices; the buffer read back into would be too small.
    EXPECT_EQ(static_cast<int>(std::ceil(std::sqrt(static_cast<float>(16777217)))), 4096);
    EXPECT_EQ(vertexGrid(16777217).side, 4097);
    EXPECT_EQ(vertexGrid(16777216).side, 4096);
    EXPECT_EQ(vertexGrid(46340 * 46340).side, 46340);  // the largest square a buffer counts
}

TEST(VertexCapacity, BytesOverTheStrideGLReadsWith) {
    EXPECT_EQ(vertexCapacity(48, 3, GL_FLOAT), 4);
    EXPECT_EQ(vertexCapacity(47, 3, GL_FLOAT), 3);  // a part-vertex is no vertex
    EXPECT_EQ(vertexCapacity(48, 4, GL_UNSIGNED_BYTE), 12);
    EXPECT_EQ(vertexCapacity(48, 2, GL_DOUBLE), 3);
    EXPECT_EQ(vertexCapacity(int64_t(1) << 40, 4, GL_FLOAT), int64_t(1) << 36);
    // Layouts GL refuses feed nothing.
    EXPECT_EQ(vertexCapacity(48, 0, GL_FLOAT), 0);
    EXPECT_EQ(vertexCapacity(48, 5, GL_FLOAT), 0);
    EXPECT_EQ(vertexCapacity(48, 3, 0x1234), 0);
    EXPECT_EQ(vertexCapacity(0, 3, GL_FLOAT), 0);
    EXPECT_EQ(vertexCapacity(-12, 3, GL_FLOAT), 0);
}

TEST(SphereScene, PhasesCameraAndPoses) {
    // In silence B runs 1 a second and A 100; bin 20 at 0.05 adds 5 a second to both.
    EXPECT_FLOAT_EQ(advanceSphereCameraPhase(0.0f, 1000, 0.0f), 1.0f);
    EXPECT_FLOAT_EQ(advanceSphereShaderPhase(0.0f, 1000, 0.0f), 100.0f);
    EXPECT_FLOAT_EQ(advanceSphereCameraPhase(2.0f, 1000, 0.05f), 8.0f);
    EXPECT_FLOAT_EQ(advanceSphereShaderPhase(2.0f, 1000, 0.05f), 107.0f);

    // At the start the camera looks along -x from just below the x axis, and sphere 0 is
    // straight above the middle, unturned.
    const cVec3f start = sphereCameraEye(0.0f, 0.0f);
    EXPECT_FLOAT_EQ(start.x, static_cast<float>(2260 * std::cos(-0.14) - 20));
    EXPECT_FLOAT_EQ(start.y, 190.0f);
    EXPECT_FLOAT_EQ(start.z, static_cast<float>(2253 * std::sin(-0.1403)));
    const cSpherePose first = spherePose(0, 0.0f);
    EXPECT_FLOAT_EQ(first.offset.x, 0.0f);
    EXPECT_FLOAT_EQ(first.offset.y, static_cast<float>(350.8 * std::cos(0.2)));
    EXPECT_FLOAT_EQ(first.angle, 0.0f);

    // Through the scene B climbs to about 150: the camera stays about 2260 units out, and
    // every sphere keeps near the middle with an axis to turn about.
    for (float b = 0.0f; b < 200.0f; b += 0.37f) {
        const float distance = (sphereCameraEye(b * 100.0f, b) - sphereCameraTarget).length();
        EXPECT_GT(distance, 2180.0f) << b;
        EXPECT_LT(distance, 2300.0f) << b;
        for (int i = 0; i < sphereCount; ++i) {
            const cSpherePose pose = spherePose(i, b);
            EXPECT_LT(pose.offset.length(), 500.0f);
            EXPECT_GT(pose.axis.length(), 0.1f) << i << " " << b;
        }
    }
}
