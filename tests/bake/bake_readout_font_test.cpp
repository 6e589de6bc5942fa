// The readout font as the engine will read it: every printable character in the cell the
// grid gives it (the right glyph, not a neighbour's), ink only inside the glyph box, the
// figures alike in height and place so a running clock stands still, white ink on a clear
// ground, and the same bytes when baked again.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "asset.h"
#include "image.h"
#include "render/text.h"
#include "runner.h"

namespace fs = std::filesystem;
using namespace nimra::bake;
using namespace nimra::readoutFont;

namespace {

const fs::path data = NIMRA_DATA_DIR;

// Ink of one character's glyph box: rows and columns relative to the box, alpha over 64.
struct cInk {
    int left = glyphWidth, top = glyphHeight, right = 0, bottom = 0;  // exclusive ends
    int pixels = 0;
    bool any() const { return pixels > 0; }
    double centreX() const { return (left + right) / 2.0; }
};

class ReadoutFont : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        atlas = new cPngInfo(readPng((data / "readout_font.png").string()));
    }
    static void TearDownTestSuite() { delete atlas; }

    static int alpha(int x, int y) { return atlas->pixels[(size_t(y) * atlas->width + x) * 4 + 3]; }
    static int cellX(char c) { return ((c - firstChar) % columns) * cellWidth; }
    static int cellY(char c) { return ((c - firstChar) / columns) * cellHeight; }

    static cInk ink(char c) {
        cInk result;
        for (int y = 0; y < glyphHeight; ++y)
            for (int x = 0; x < glyphWidth; ++x)
                if (alpha(cellX(c) + glyphX + x, cellY(c) + glyphY + y) > 64) {
                    result.left = std::min(result.left, x);
                    result.top = std::min(result.top, y);
                    result.right = std::max(result.right, x + 1);
                    result.bottom = std::max(result.bottom, y + 1);
                    ++result.pixels;
                }
        return result;
    }

    // The glyph's alpha, box by box, to tell glyphs apart.
    static std::string box(char c) {
        std::string bytes;
        for (int y = 0; y < glyphHeight; ++y)
            for (int x = 0; x < glyphWidth; ++x)
                bytes += char(alpha(cellX(c) + glyphX + x, cellY(c) + glyphY + y));
        return bytes;
    }

    static cPngInfo* atlas;
};

cPngInfo* ReadoutFont::atlas = nullptr;

}  // namespace

TEST_F(ReadoutFont, IsAnRgbaGridWithInkOnlyInsideTheGlyphBoxes) {
    ASSERT_EQ(atlas->width, atlasWidth);
    ASSERT_EQ(atlas->height, atlasHeight);
    ASSERT_EQ(atlas->channels, 4);
    const int cells = lastChar - firstChar + 1;
    ASSERT_LE((cells + columns - 1) / columns * cellHeight, atlasHeight);
    ASSERT_LE(columns * cellWidth, atlasWidth);

    int strayAlpha = 0, greyInk = 0;
    for (int y = 0; y < atlas->height; ++y)
        for (int x = 0; x < atlas->width; ++x) {
            const uint8_t* p = &atlas->pixels[(size_t(y) * atlas->width + x) * 4];
            const int cell = (y / cellHeight) * columns + x / cellWidth;
            const int inX = x % cellWidth - glyphX, inY = y % cellHeight - glyphY;
            const bool inBox = cell < cells && x / cellWidth < columns && inX >= 0 &&
                               inX < glyphWidth && inY >= 0 && inY < glyphHeight;
            if (!inBox && p[3] != 0) ++strayAlpha;
            if (p[3] > 0 && (p[0] != 255 || p[1] != 255 || p[2] != 255)) ++greyInk;
        }
    EXPECT_EQ(strayAlpha, 0);  // the margins stay clear for filtering
    EXPECT_EQ(greyInk, 0);     // white, the coverage all in alpha
}

TEST_F(ReadoutFont, EveryCharacterIsInItsOwnCell) {
    EXPECT_FALSE(ink(' ').any());
    std::set<std::string> seen;
    for (int c = firstChar + 1; c <= lastChar; ++c) {
        EXPECT_TRUE(ink(char(c)).any()) << char(c);
        EXPECT_TRUE(seen.insert(box(char(c))).second) << char(c) << " repeats another glyph";
    }
    // Glyphs whose shape gives away where they sit: a cell off by one would show a
    // neighbour's shape instead.
    const cInk point = ink('.'), dash = ink('-'), under = ink('_'), bar = ink('|');
    EXPECT_EQ(point.bottom, baseline);
    EXPECT_LT(point.pixels, 20);
    EXPECT_GT(dash.top, baseline - 12);
    EXPECT_LT(dash.bottom, baseline - 3);
    EXPECT_GE(under.top, baseline);
    EXPECT_GE(under.right - under.left, glyphWidth - 2);
    EXPECT_GT(bar.bottom, baseline);
    EXPECT_LT(bar.right - bar.left, 4);
    EXPECT_GE(bar.bottom - bar.top, 20);
    // Capitals stand on the baseline, 15 pixels tall; descenders go below it.
    for (char c : std::string("AHMXZ")) {
        EXPECT_EQ(ink(c).bottom, baseline) << c;
        EXPECT_NEAR(ink(c).bottom - ink(c).top, 15, 1) << c;
    }
    for (char c : std::string("gjpqy"))
        EXPECT_GT(ink(c).bottom, baseline + 2) << c;
    for (char c : std::string("acemnorsuvwxz"))
        EXPECT_EQ(ink(c).bottom, baseline) << c;
}

TEST_F(ReadoutFont, FiguresShareOneHeightAndStandCentredInTheirBoxes) {
    const cInk zero = ink('0');
    for (char c = '0'; c <= '9'; ++c) {
        const cInk figure = ink(c);
        EXPECT_NEAR(figure.top, zero.top, 1) << c;
        EXPECT_EQ(figure.bottom, baseline) << c;
        EXPECT_NEAR(figure.centreX(), glyphWidth / 2.0, 1.5) << c;
        EXPECT_GE(figure.right - figure.left, 5) << c;  // no figure is a sliver
    }
    // The clock's separators sit mid-box too, so "1:23.456" reads evenly spaced.
    EXPECT_NEAR(ink(':').centreX(), glyphWidth / 2.0, 1.5);
    EXPECT_NEAR(ink('.').centreX(), glyphWidth / 2.0, 1.5);
}

TEST_F(ReadoutFont, BakesToTheSameBytesAgain) {
    const fs::path dir = fs::temp_directory_path() / ("readout_font_" + std::to_string(getpid()));
    fs::remove_all(dir);
    cRunOptions options;
    options.outDir = dir.string();
    options.only = {"readout_font.png"};
    std::ostringstream log;
    ASSERT_EQ(runBake(allAssets(), options, log), 0) << log.str();
    auto bytes = [](const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string again = bytes(dir / "readout_font.png"),
                      baked = bytes(data / "readout_font.png");
    EXPECT_FALSE(again.empty());
    EXPECT_TRUE(again == baked) << again.size() << " bytes against " << baked.size();
    fs::remove_all(dir);
}
