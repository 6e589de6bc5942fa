// The pieces the sculpture's post pass is drawn through: it reads a copy taken only inside
// the bounds, so a piece may never reach outside them, and every pixel a blob touches must
// be drawn, once, since the pass is drawn through every piece in turn.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "demo/metaballs.h"

using namespace nimra;

namespace {

// How many pieces cover each pixel of a width x height picture.
std::vector<int> coverCount(const std::vector<cPixelRect>& pieces, int width, int height) {
    std::vector<int> count(size_t(width) * height, 0);
    for (const cPixelRect& piece : pieces) {
        for (int y = piece.y; y < piece.y + piece.height; ++y)
            for (int x = piece.x; x < piece.x + piece.width; ++x)
                if (0 <= x && x < width && 0 <= y && y < height) {
                    ++count[size_t(y) * width + x];
                }
    }
    return count;
}

bool inside(const cPixelRect& r, int x, int y) {
    return r.x <= x && x < r.x + r.width && r.y <= y && y < r.y + r.height;
}

}  // namespace

TEST(FieldPieces, CoverEveryTouchedPixelOnceInsideTheBoundsAndOnWholeCells) {
    const int width = 800, height = 600;
    srand(7);
    for (int round = 0; round < 40; ++round) {
        // Bounds that need not fall on the grid, and rectangles that may reach past them.
        const cPixelRect bounds{rand() % 200, rand() % 150, 300 + rand() % 300, 200 + rand() % 250};
        std::vector<cPixelRect> rects;
        const int count = rand() % 40;
        for (int i = 0; i < count; ++i)
            rects.push_back(
                {rand() % 900 - 50, rand() % 700 - 50, 1 + rand() % 90, 1 + rand() % 90});
        const int cell = 8 << (round % 3);
        const std::vector<cPixelRect> pieces = cellCover(rects, bounds, cell);

        const std::vector<int> covered = coverCount(pieces, width, height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const int n = covered[size_t(y) * width + x];
                ASSERT_LE(n, 1) << "pixel " << x << "," << y << " drawn twice, round " << round;
                if (n == 1) {
                    ASSERT_TRUE(inside(bounds, x, y)) << x << "," << y;
                }
                bool touched = false;
                for (const cPixelRect& r : rects)
                    touched = touched || inside(r, x, y);
                if (touched && inside(bounds, x, y)) {
                    ASSERT_EQ(n, 1) << "pixel " << x << "," << y << " missed, round " << round;
                }
            }
        }
        for (const cPixelRect& piece : pieces) {
            EXPECT_GT(piece.width, 0);
            EXPECT_GT(piece.height, 0);
            EXPECT_EQ((piece.x - bounds.x) % cell, 0);
            EXPECT_EQ((piece.y - bounds.y) % cell, 0);
        }
    }
}

TEST(FieldPieces, ColumnsOfCellsBecomeOnePieceEachAndNothingGivesNothing) {
    const cPixelRect bounds{0, 0, 800, 600};
    // Two columns of drops, one above the other: every row has the same two runs.
    std::vector<cPixelRect> rects;
    for (int y = 40; y < 400; y += 30) {
        rects.push_back({100, y, 40, 30});
        rects.push_back({500, y, 20, 30});
    }
    const std::vector<cPixelRect> pieces = cellCover(rects, bounds, 32);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].x, 96);
    EXPECT_EQ(pieces[0].width, 64);
    EXPECT_EQ(pieces[0].y, 32);
    EXPECT_EQ(pieces[0].height, 384);
    EXPECT_EQ(pieces[1].x, 480);
    EXPECT_EQ(pieces[1].width, 64);

    EXPECT_TRUE(cellCover({}, bounds, 32).empty());
    EXPECT_TRUE(cellCover({{900, 700, 10, 10}}, bounds, 32).empty());  // outside the bounds
    EXPECT_TRUE(cellCover(rects, {0, 0, 0, 600}, 32).empty());
    EXPECT_TRUE(cellCover(rects, bounds, 0).empty());
}

// The composite reads the field only in these columns; a reflection reads up to
// 1.6 * (0.0015 + 0.008 * 0.5) of the width across, plus a texel for the filtering.
TEST(FieldPieces, CompositeColumnsReachAsFarAsARippledReadAndNotRoundAnEdge) {
    for (int width : {800, 1440, 2880}) {
        SCOPED_TRACE(width);
        const double ripple = 1.6 * (0.0015 + 0.008 * 0.5) * width + 1.0;
        int first = 0, count = 0;
        const cPixelRect box{width / 4, 40, width / 2, 300};
        ASSERT_TRUE(compositeFieldColumns(box, width, first, count));
        EXPECT_LE(first, box.x - ripple);
        EXPECT_GE(first + count, box.x + box.width + ripple);
        // A few columns to spare, no more.
        EXPECT_GE(first, box.x - ripple - 3);
        EXPECT_LE(first + count, box.x + box.width + ripple + 3);

        // A box whose reads could come round the image's edge, or an empty one: every column.
        EXPECT_FALSE(compositeFieldColumns({2, 40, 100, 10}, width, first, count));
        EXPECT_FALSE(compositeFieldColumns({width - 110, 40, 100, 10}, width, first, count));
        EXPECT_FALSE(compositeFieldColumns({width / 2, 40, 0, 10}, width, first, count));
    }
}

TEST(FieldPieces, ASpriteIsPlacedInPixelsOnlyWhereItsCornersAreNumbers) {
    cPixelRect rect;
    // The whole screen quad, with two pixels to spare, is the whole image.
    ASSERT_TRUE(spritePixels(cVec2f(-1.0f, -1.0f), cVec2f(1.0f, 1.0f), 800, 600, rect));
    EXPECT_EQ(rect.x, 0);
    EXPECT_EQ(rect.width, 800);
    EXPECT_EQ(rect.height, 600);
    ASSERT_TRUE(spritePixels(cVec2f(0.0f, 0.0f), cVec2f(0.5f, 0.5f), 800, 600, rect));
    EXPECT_EQ(rect.x, 398);
    EXPECT_EQ(rect.width, 204);
    // A blob no number can place never reaches an integer conversion.
    const float nan = std::nanf(""), inf = HUGE_VALF;
    for (const cVec2f& bad :
         {cVec2f(nan, 0.0f), cVec2f(0.0f, nan), cVec2f(inf, 0.0f), cVec2f(0.0f, -inf)}) {
        EXPECT_FALSE(spritePixels(bad, cVec2f(0.5f, 0.5f), 800, 600, rect));
        EXPECT_FALSE(spritePixels(cVec2f(0.0f, 0.0f), bad, 800, 600, rect));
    }
}
