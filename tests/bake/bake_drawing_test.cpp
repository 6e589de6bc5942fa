// Drawing primitives: the rasterised coverage lands where the design says (the right way
// up, squashed as asked), type comes out at the size asked for, and PNGs round-trip.

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <numeric>

#include "asset.h"
#include "image.h"
#include "noise.h"
#include "type_card.h"
#include "vector_art.h"

using namespace nimra::bake;

namespace {

float total(const cMask& m) { return std::accumulate(m.values.begin(), m.values.end(), 0.0f); }

// The smallest rectangle holding every pixel above a level: x0, y0, x1, y1 (exclusive).
std::array<int, 4> inkBox(const cMask& m, float level = 0.5f) {
    std::array<int, 4> box{m.width, m.height, 0, 0};
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x)
            if (m.at(x, y) > level) {
                box[0] = std::min(box[0], x);
                box[1] = std::min(box[1], y);
                box[2] = std::max(box[2], x + 1);
                box[3] = std::max(box[3], y + 1);
            }
    return box;
}

}  // namespace

TEST(BakeDrawing, FilledShapesLandWhereTheDesignPutsThem) {
    // A rectangle in the top-left quarter: rows grow downwards, as in the design space.
    const cMask rect = fillPath(cPath().rect(4, 2, 10, 6), 32, 32, {});
    EXPECT_NEAR(total(rect), 60, 0.5);
    EXPECT_EQ(inkBox(rect), (std::array<int, 4>{4, 2, 14, 8}));

    // Scale, offset and squash: the same rectangle doubled, moved and then narrowed.
    const cMask mapped = fillPath(cPath().rect(0, 0, 10, 5), 64, 64, {2, 4, 6, 0.5});
    EXPECT_EQ(inkBox(mapped), (std::array<int, 4>{2, 6, 12, 16}));

    const cMask disc = fillPath(cPath().circle(32, 32, 10), 64, 64, {});
    EXPECT_NEAR(total(disc), 3.14159f * 100, 3);

    // Even-odd filling leaves the hole of a ring open.
    cPath ring;
    ring.circle(32, 32, 20).circle(32, 32, 10);
    const cMask holed = fillPath(ring, 64, 64, {}, true);
    EXPECT_LT(holed.at(32, 32), 0.01f);
    EXPECT_GT(holed.at(32, 17), 0.99f);
}

TEST(BakeDrawing, StrokesAreEvenOnceTheSquashIsUndone) {
    // A vertical and a horizontal line of the same width; drawn with squash 0.5 the
    // vertical one must come out half as wide in pixels, the horizontal one as thick.
    cPath lines;
    lines.moveTo(20, 10).lineTo(20, 50).moveTo(40, 30).lineTo(100, 30);
    const cMask m = strokePath(lines, 64, 64, {1, 0, 0, 0.5}, 4);
    float across = 0, down = 0;
    for (int x = 0; x < 20; ++x)
        across += m.at(x, 20);  // through the vertical line
    for (int y = 20; y < 40; ++y)
        down += m.at(35, y);  // through the horizontal line
    EXPECT_NEAR(across, 2, 0.3);
    EXPECT_NEAR(down, 4, 0.3);
}

TEST(BakeDrawing, TypeHasTheCapHeightAskedFor) {
    cFont font(displayFontPath);
    cTypeBlock block;
    block.lines.push_back({"HI", &font, 100, {1, 1, 1, 1}, {1, 1, 1, 1}});
    block.centreX = 256;
    block.centreY = 256;
    block.maxWidth = 400;
    cCanvasMap map;
    const std::vector<cPlacedLine> lines = layoutBlock(block, &map);
    ASSERT_EQ(lines.size(), 1u);
    const auto box = inkBox(fillPath(lines[0].glyphs, 512, 512, map));
    EXPECT_NEAR(box[3] - box[1], 100, 3);
    EXPECT_NEAR((box[1] + box[3]) / 2.0, 256, 2);
    EXPECT_NEAR((box[0] + box[2]) / 2.0, 256, 3);

    // Too long for the width: shrunk to fit instead of running off the card.
    block.lines[0].text = "HIHIHIHIHIHIHIHIHIHI";
    const auto wide = inkBox(fillPath(layoutBlock(block, &map)[0].glyphs, 512, 512, map));
    EXPECT_LE(wide[2] - wide[0], 401);
    EXPECT_GE(wide[0], 55);
    EXPECT_THROW(cFont("/nonexistent/font.otf"), cBakeError);
}

TEST(BakeDrawing, BlurSpreadsWithoutLosingCoverage) {
    cMask m(64, 64);
    m.at(32, 32) = 1;
    blur(m, 3, 3);
    EXPECT_NEAR(total(m), 1, 1e-3);
    EXPECT_GT(m.at(32, 32), m.at(35, 32));
    EXPECT_NEAR(m.at(35, 32), m.at(32, 35), 1e-6);
}

TEST(BakeDrawing, PngKeepsSizeAndStraightAlpha) {
    cImage image(8, 4);
    image.blendOver(1, 1, {1, 0, 0, 1}, 0.5f);  // half-covered red
    image.blendOver(2, 2, {0, 0.5f, 1, 1}, 1);
    const std::string path =
        (std::filesystem::temp_directory_path() / ("bake_png_" + std::to_string(getpid()) + ".png"))
            .string();
    image.writePng(path, true);
    const cPngInfo png = readPng(path);
    std::filesystem::remove(path);
    ASSERT_EQ(png.width, 8);
    ASSERT_EQ(png.height, 4);
    ASSERT_EQ(png.channels, 4);
    const uint8_t* red = &png.pixels[(1 * 8 + 1) * 4];
    EXPECT_EQ(red[0], 255);
    EXPECT_EQ(red[1], 0);
    EXPECT_EQ(red[3], 128);
    const uint8_t* blue = &png.pixels[(2 * 8 + 2) * 4];
    EXPECT_EQ(blue[1], 128);
    EXPECT_EQ(blue[2], 255);
    EXPECT_EQ(blue[3], 255);
    EXPECT_EQ(png.pixels[3], 0);  // untouched pixels stay transparent
    EXPECT_THROW(image.writePng("/nonexistent-dir/x.png", true), cBakeError);
}

TEST(BakeDrawing, TileableNoiseWrapsAtItsPeriod) {
    for (float y = 0; y < 4; y += 0.37f) {
        EXPECT_NEAR(noise(0.25f, y, 7, 4), noise(4.25f, y, 7, 4), 1e-5);
        EXPECT_NEAR(fbm(y, 0.5f, 7, 3, 4), fbm(y, 4.5f, 7, 3, 4), 1e-5);
    }
    cRandom a(42), b(42);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(a.next(), b.next());
}
