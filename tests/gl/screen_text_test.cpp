// On-screen text over the window: glyphs land in their boxes the right way up and the
// clock's figures keep their places, rectangles cover exactly their pixels with their
// colour and alpha, the target size rules over the viewport found, and the GL state the
// show's layers rely on comes back as it was.

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "kit_support.h"
#include "render/frame_image.h"
#include "render/text.h"

using namespace nimra;

namespace {

constexpr int windowWidth = 800, windowHeight = 600;

const std::string atlasPath = (kit::showData / "readout_font.png").string();

// The window as top-down RGB rows.
struct cFrame {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
    const uint8_t* at(int x, int y) const { return &rgb[(size_t(y) * width + x) * 3]; }
};

cFrame grab(int width = windowWidth, int height = windowHeight) {
    glFinish();
    cFrame frame{width, height, {}};
    readFrame(width, height, frame.rgb);
    return frame;
}

void clearTo(float r, float g, float b) {
    glDisable(GL_SCISSOR_TEST);
    glClearColor(r, g, b, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// The box of pixels whose red is above a level: x0, y0, x1, y1 (exclusive); x0 > x1 when
// none is.
std::array<int, 4> inkBox(const cFrame& f, int x0, int y0, int x1, int y1, int level = 100) {
    std::array<int, 4> box{x1, y1, x0, y0};
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (f.at(x, y)[0] > level) {
                box[0] = std::min(box[0], x);
                box[1] = std::min(box[1], y);
                box[2] = std::max(box[2], x + 1);
                box[3] = std::max(box[3], y + 1);
            }
    return box;
}

bool loadAtlas(cScreenText& text) {
    std::string error;
    const bool loaded = text.load(atlasPath, error);
    EXPECT_TRUE(loaded) << error << " (was the build run?)";
    return loaded;
}

const cVec4f white(1, 1, 1, 1);

}  // namespace

TEST(ScreenText, GlyphsStandOnTheBaselineOfTheirBoxTopDown) {
    using namespace readoutFont;
    cScreenText text;
    ASSERT_TRUE(loadAtlas(text));
    clearTo(0, 0, 0);
    // A capital, an underscore below the baseline and a caret near the top, each in a box
    // of its own at known window pixels (origin top-left).
    const int x = 100, y = 50;
    text.addText(x, y, "H_^", white);
    EXPECT_EQ(text.queuedQuads(), 3u);
    text.draw(windowWidth, windowHeight);
    EXPECT_EQ(text.queuedQuads(), 0u);
    const cFrame frame = grab();

    // Nothing strays outside the string's boxes.
    const std::array<int, 4> all = inkBox(frame, 0, 0, windowWidth, windowHeight, 8);
    EXPECT_GE(all[0], x);
    EXPECT_GE(all[1], y);
    EXPECT_LE(all[2], x + 3 * glyphWidth);
    EXPECT_LE(all[3], y + glyphHeight);

    const std::array<int, 4> capital = inkBox(frame, x, y, x + glyphWidth, y + glyphHeight);
    EXPECT_EQ(capital[3], y + baseline);  // sits on the baseline
    EXPECT_NEAR(capital[3] - capital[1], 15, 1);
    const std::array<int, 4> under =
        inkBox(frame, x + glyphWidth, y, x + 2 * glyphWidth, y + glyphHeight);
    EXPECT_GE(under[1], y + baseline);  // below it, the right way up
    EXPECT_GE(under[2] - under[0], glyphWidth - 2);
    const std::array<int, 4> caret =
        inkBox(frame, x + 2 * glyphWidth, y, x + 3 * glyphWidth, y + glyphHeight);
    EXPECT_LE(caret[3], y + baseline - 6);  // high above it
}

TEST(ScreenText, EveryCharacterTakesOneBoxSoTheClockKeepsItsPlaces) {
    using namespace readoutFont;
    cScreenText text;
    ASSERT_TRUE(loadAtlas(text));
    // Two readings of the clock: the colon and the point must land on the same pixels
    // whatever figures stand around them.
    std::array<std::array<int, 4>, 2> colon{}, point{};
    const char* readings[] = {"1:11.111", "8:08.808"};
    for (int i = 0; i < 2; ++i) {
        clearTo(0, 0, 0);
        text.addText(40, 300, readings[i], white);
        text.draw(windowWidth, windowHeight);
        const cFrame frame = grab();
        colon[i] = inkBox(frame, 40 + glyphWidth, 300, 40 + 2 * glyphWidth, 300 + glyphHeight);
        point[i] = inkBox(frame, 40 + 4 * glyphWidth, 300, 40 + 5 * glyphWidth, 300 + glyphHeight);
        // Each figure has ink, in its own box.
        for (int k : {0, 2, 3, 5, 6, 7}) {
            const int left = 40 + k * glyphWidth;
            const std::array<int, 4> figure =
                inkBox(frame, left, 300, left + glyphWidth, 300 + glyphHeight);
            EXPECT_LT(figure[0], figure[2]) << readings[i] << " figure " << k;
        }
    }
    EXPECT_EQ(colon[0], colon[1]);
    EXPECT_EQ(point[0], point[1]);

    // Lines start again at x, one box lower, and the longest one measures the string;
    // anything not printable shows as '?'.
    EXPECT_EQ(cScreenText::textWidth("ab\nlonger\nc", 2), 6 * glyphWidth * 2);
    clearTo(0, 0, 0);
    text.addText(200, 100, "\t\nA", white);
    text.addText(260, 100, "?", white);
    text.draw(windowWidth, windowHeight);
    const cFrame frame = grab();
    const std::array<int, 4> tab = inkBox(frame, 200, 100, 200 + glyphWidth, 100 + glyphHeight);
    const std::array<int, 4> question =
        inkBox(frame, 260, 100, 260 + glyphWidth, 100 + glyphHeight);
    EXPECT_EQ(tab[0] - 200, question[0] - 260);
    EXPECT_EQ(tab[1], question[1]);
    const std::array<int, 4> secondLine =
        inkBox(frame, 200, 100 + glyphHeight, 200 + glyphWidth, 100 + 2 * glyphHeight);
    EXPECT_LT(secondLine[0], secondLine[2]);
}

TEST(ScreenText, RectanglesCoverTheirPixelsBlendedInTheOrderQueued) {
    cScreenText text;
    ASSERT_TRUE(loadAtlas(text));
    clearTo(0, 0, 1);
    // Half-transparent red over the blue window, then opaque green over part of it.
    text.addRect(10, 20, 30, 40, cVec4f(1, 0, 0, 0.5f));
    text.addRect(30, 50, 20, 20, cVec4f(0, 1, 0, 1));
    text.addRect(300, 300, 0, 10, white);  // empty: nothing
    EXPECT_EQ(text.queuedQuads(), 2u);
    text.draw(windowWidth, windowHeight);
    const cFrame frame = grab();
    int red = 0, green = 0, blue = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const uint8_t* p = frame.at(x, y);
            const bool inGreen = x >= 30 && x < 50 && y >= 50 && y < 70;
            const bool inRed = x >= 10 && x < 40 && y >= 20 && y < 60;
            if (inGreen) {
                green += p[0] == 0 && p[1] == 255 && p[2] == 0;
            } else if (inRed) {
                red += std::abs(p[0] - 128) <= 1 && p[1] == 0 && std::abs(p[2] - 128) <= 1;
            } else {
                blue += p[0] == 0 && p[1] == 0 && p[2] == 255;
            }
        }
    EXPECT_EQ(green, 20 * 20);
    EXPECT_EQ(red, 30 * 40 - 10 * 10);
    EXPECT_EQ(blue, 100 * 100 - 30 * 40 - 20 * 20 + 10 * 10);
}

TEST(ScreenText, TheTargetSizeGivenPlacesTheBatchWhateverTheViewport) {
    cScreenText text;
    ASSERT_TRUE(loadAtlas(text));
    clearTo(0, 0, 0);
    // A layer left a small viewport behind: the batch still spans the whole target.
    glViewport(0, 0, 100, 100);
    text.addRect(700, 500, 100, 100, white);  // the bottom-right corner of 800 x 600
    text.draw(windowWidth, windowHeight);
    glViewport(0, 0, windowWidth, windowHeight);
    cFrame frame = grab();
    EXPECT_EQ(inkBox(frame, 0, 0, windowWidth, windowHeight),
              (std::array<int, 4>{700, 500, 800, 600}));

    // A smaller target: its own top-left corner is the origin. GL counts rows from the
    // bottom, so a 400 x 300 target lies in the lower half of the window read top-down.
    clearTo(0, 0, 0);
    text.addRect(0, 0, 40, 30, white);
    text.addText(0, 100, "8", white);
    text.draw(400, 300);
    frame = grab();
    EXPECT_EQ(inkBox(frame, 0, 0, windowWidth, 300 + 80), (std::array<int, 4>{0, 300, 40, 330}));
    const std::array<int, 4> figure = inkBox(frame, 0, 400, 40, 400 + readoutFont::glyphHeight);
    EXPECT_LT(figure[0], figure[2]);
}

TEST(ScreenText, LeavesTheStateItChangesAsItFoundIt) {
    cScreenText text;
    ASSERT_TRUE(loadAtlas(text));
    kit::cTempDir dir;
    cShaderProgram other;
    kit::loadColourProgram(dir, other);
    ASSERT_TRUE(other.isLinked());
    GLuint bound[2] = {0, 0};
    glGenTextures(2, bound);
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, 64, nullptr, GL_STATIC_DRAW);
    clearTo(0, 0, 0);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);

    // A state that would hide the batch if it were drawn under it: everything culled,
    // scissored away, failing the depth, alpha and stencil tests, blended to nothing.
    other.use();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, bound[0]);
    glActiveTexture(GL_TEXTURE3);
    glBindTexture(GL_TEXTURE_2D, bound[1]);
    glEnable(GL_BLEND);
    glBlendFuncSeparate(GL_ZERO, GL_ONE, GL_DST_ALPHA, GL_SRC_COLOR);
    glBlendEquationSeparate(GL_FUNC_REVERSE_SUBTRACT, GL_FUNC_SUBTRACT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_NEVER);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT_AND_BACK);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 1, 1);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_NEVER, 0);
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_NEVER, 0, 0);
    glViewport(5, 6, 70, 80);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, 12, reinterpret_cast<const void*>(4));
    glEnableClientState(GL_NORMAL_ARRAY);
    kit::drainErrors();

    text.addRect(200, 200, 50, 50, white);
    text.addText(300, 200, "60 fps", white);
    text.draw(windowWidth, windowHeight);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    EXPECT_EQ(kit::integer(GL_CURRENT_PROGRAM), other.programName);
    EXPECT_EQ(kit::integer(GL_ACTIVE_TEXTURE), GL_TEXTURE3);
    EXPECT_EQ(kit::integer(GL_TEXTURE_BINDING_2D), GLint(bound[1]));
    glActiveTexture(GL_TEXTURE0);
    EXPECT_EQ(kit::integer(GL_TEXTURE_BINDING_2D), GLint(bound[0]));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(kit::integer(GL_BLEND_SRC_RGB), GL_ZERO);
    EXPECT_EQ(kit::integer(GL_BLEND_DST_RGB), GL_ONE);
    EXPECT_EQ(kit::integer(GL_BLEND_SRC_ALPHA), GL_DST_ALPHA);
    EXPECT_EQ(kit::integer(GL_BLEND_DST_ALPHA), GL_SRC_COLOR);
    EXPECT_EQ(kit::integer(GL_BLEND_EQUATION_RGB), GL_FUNC_REVERSE_SUBTRACT);
    EXPECT_EQ(kit::integer(GL_BLEND_EQUATION_ALPHA), GL_FUNC_SUBTRACT);
    for (GLenum test :
         {GL_DEPTH_TEST, GL_CULL_FACE, GL_SCISSOR_TEST, GL_ALPHA_TEST, GL_STENCIL_TEST})
        EXPECT_TRUE(glIsEnabled(test)) << test;
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ((std::array<GLint, 4>{viewport[0], viewport[1], viewport[2], viewport[3]}),
              (std::array<GLint, 4>{5, 6, 70, 80}));
    EXPECT_EQ(kit::integer(GL_ARRAY_BUFFER_BINDING), GLint(buffer));
    GLint enabled = 0, size = 0, pointerBuffer = 0;
    glGetVertexAttribiv(1, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    glGetVertexAttribiv(1, GL_VERTEX_ATTRIB_ARRAY_SIZE, &size);
    glGetVertexAttribiv(1, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &pointerBuffer);
    EXPECT_EQ(enabled, GL_TRUE);
    EXPECT_EQ(size, 3);
    EXPECT_EQ(pointerBuffer, GLint(buffer));
    EXPECT_TRUE(glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));

    // The batch drew through all of it.
    glPopClientAttrib();
    glPopAttrib();
    glUseProgram(0);
    const cFrame frame = grab();
    EXPECT_EQ(inkBox(frame, 150, 150, 290, 290), (std::array<int, 4>{200, 200, 250, 250}));
    const std::array<int, 4> words = inkBox(frame, 290, 190, 400, 240);
    EXPECT_LT(words[0], words[2]);
    glDeleteTextures(2, bound);
    glDeleteBuffers(1, &buffer);
}

TEST(ScreenText, AnyOtherPictureIsRefusedAndOnlyTheRectanglesDraw) {
    kit::cTempDir dir;
    for (const std::string& path :
         {kit::writePng(dir, "small.png", 64, 64, 0xFFFFFFFFu), dir.file("missing.png")}) {
        SCOPED_TRACE(path);
        cScreenText text;
        std::string error;
        kit::startCapture();  // the loader's own complaint about the missing file
        EXPECT_FALSE(text.load(path, error));
        kit::stopCapture();
        EXPECT_NE(error.find(path), std::string::npos) << error;

        clearTo(0, 0, 0);
        text.addText(100, 100, "8888", white);
        text.addRect(10, 10, 20, 20, white);
        text.draw(windowWidth, windowHeight);
        const cFrame frame = grab();
        EXPECT_EQ(inkBox(frame, 0, 0, windowWidth, windowHeight, 8),
                  (std::array<int, 4>{10, 10, 30, 30}));
    }
}

// The readout as the edit mode will show it, over a dark background, written as a
// screenshot where NIMRA_TEXT_SAMPLE names (for looking at) or into a scratch folder.
TEST(ScreenText, SampleReadoutWritesAsAScreenshot) {
    using namespace readoutFont;
    cScreenText text;
    ASSERT_TRUE(loadAtlas(text));
    clearTo(0.05f, 0.06f, 0.09f);
    const std::string line = "1:23.456  sculpture  16.7 ms  60 fps";
    const int x = 16, y = 16;
    text.addRect(x - 6, y - 4, float(cScreenText::textWidth(line) + 12), glyphHeight + 26,
                 cVec4f(0, 0, 0, 0.55f));
    text.addText(x, y, line, cVec4f(1, 0.97f, 0.9f, 1));
    const float levels[] = {0.8f, 0.45f, 0.2f};
    const cVec4f colours[] = {cVec4f(1, 0.7f, 0.28f, 0.9f), cVec4f(0.94f, 0.54f, 0.24f, 0.9f),
                              cVec4f(0.6f, 0.8f, 1, 0.9f)};
    for (int i = 0; i < 3; ++i) {
        text.addRect(float(x + i * 64), float(y + glyphHeight + 4), 56, 12, cVec4f(1, 1, 1, 0.15f));
        text.addRect(float(x + i * 64), float(y + glyphHeight + 4), 56 * levels[i], 12, colours[i]);
    }
    text.draw(windowWidth, windowHeight);
    const cFrame frame = grab();

    kit::cTempDir dir;
    const char* wanted = std::getenv("NIMRA_TEXT_SAMPLE");
    const std::string path = wanted && *wanted ? wanted : dir.file("sample.png");
    std::string error;
    ASSERT_TRUE(writeFramePng(path, windowWidth, windowHeight, error)) << error;
    EXPECT_GT(std::filesystem::file_size(path), 1000u);

    // The first bar is filled to its level, the text is bright on the dark plate.
    const int barY = y + glyphHeight + 10;
    EXPECT_GT(frame.at(x + 40, barY)[0], 200);
    EXPECT_LT(frame.at(x + 50, barY)[0], 100);
    EXPECT_GT(inkBox(frame, x, y, x + cScreenText::textWidth(line), y + glyphHeight, 200)[2], x);
}
