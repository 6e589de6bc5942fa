// The metaball layer on the real renderer: its capture, its blur and the composite that
// shows them, with the show's own shaders and pictures from data/.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "demo/demo.h"
#include "demo/metaballs.h"
#include "demo/timeline.h"
#include "kit_support.h"
#include "render/blur.h"
#include "render/mesh.h"
#include "render/screen_quad.h"
#include "runtime/state.h"

using namespace nimra;

namespace {

void initOnce() {
    static bool done = false;
    if (done) return;
    done = true;
    kit::buildScreenQuad();
    windowWidth = 800;
    windowHeight = 600;
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(kit::showData);
    kit::startCapture();
    initMetaballs();
    initBlur(256, 256);
    initFinale();
    const std::string out = kit::stopCapture();
    std::filesystem::current_path(here);
    // Every shader compiles, every picture loads.
    EXPECT_EQ(out, "initing demo finally finished scene\n");
}

int levelSize(cTexture& texture, GLenum which) {
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture.name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, which, &value);
    return value;
}

// How many texels of a texture's level 0 have any colour.
int litTexels(cTexture& texture) {
    const std::vector<uint8_t> rgba = kit::levelPixels(texture, 0);
    int lit = 0;
    for (size_t i = 0; i < rgba.size(); i += 4)
        lit += rgba[i] + rgba[i + 1] + rgba[i + 2] > 0;
    return lit;
}

// As the frame driver begins every frame: the window's viewport, and the window cleared to
// transparent black.
void clearWindow() {
    glViewport(0, 0, windowWidth, windowHeight);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void frames(int count, int dt) {
    frameTime = dt;
    for (int i = 0; i < count; ++i) {
        clearWindow();
        advanceMetaballs();
        drawMetaballs();
    }
    glFinish();
}

}  // namespace

TEST(MetaballLayer, CapturesAndBlursFromTheFirstFrameAndLeavesTheWindowClear) {
    initOnce();
    glViewport(0, 0, 800, 600);
    frames(1, 0);  // the first frame: every blob is born and still invisible
    EXPECT_EQ(levelSize(metaballImage(), GL_TEXTURE_WIDTH), 800);
    EXPECT_EQ(levelSize(metaballImage(), GL_TEXTURE_HEIGHT), 600);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));

    frames(40, 16);  // the blobs fade in as they live
    const int lit = litTexels(metaballImage());
    EXPECT_GT(lit, 500);
    EXPECT_LT(lit, 800 * 600 / 2);  // a field of blobs, not a wash
    EXPECT_GT(litTexels(blurResult()), 200);

    // Nothing of the layer stays on screen.
    std::vector<uint8_t> window(800 * 600 * 4);
    glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, window.data());
    int onScreen = 0;
    for (size_t i = 0; i < window.size(); i += 4)
        onScreen += window[i] + window[i + 1] + window[i + 2] > 0;
    EXPECT_EQ(onScreen, 0);
    kit::drainErrors();
}

// The sculpture's post pass is drawn only over the pieces of the field's box, so no lit
// texel of the image may lie outside them, whatever the blobs do over many frames.
TEST(MetaballLayer, EveryLitTexelOfTheImageLiesInTheFieldBoxAndItsPieces) {
    initOnce();
    int smallest = 800 * 600;
    frameTime = 16;
    for (int round = 0; round < 12; ++round) {
        for (int i = 0; i < 25; ++i) {
            glViewport(0, 0, 800, 600);  // as the window's framebuffer sets it every frame
            clearWindow();
            advanceMetaballs();
            drawMetaballs();
        }
        cPixelRect box;
        ASSERT_TRUE(metaballFieldBox(box));
        smallest = std::min(smallest, box.width * box.height);
        std::vector<cPixelRect> pieces;
        ASSERT_TRUE(metaballFieldPieces(pieces));
        int pieceArea = 0;
        for (const cPixelRect& piece : pieces)
            pieceArea += piece.width * piece.height;
        EXPECT_LE(pieceArea, box.width * box.height);
        const std::vector<uint8_t> rgba = kit::levelPixels(metaballImage(), 0);
        ASSERT_EQ(rgba.size(), size_t(800 * 600 * 4));
        int outside = 0, inside = 0;
        for (int y = 0; y < 600; ++y) {
            for (int x = 0; x < 800; ++x) {
                const uint8_t* p = &rgba[(size_t(y) * 800 + x) * 4];
                if (p[0] + p[1] + p[2] == 0) continue;
                const bool inBox =
                    box.x <= x && x < box.x + box.width && box.y <= y && y < box.y + box.height;
                const bool inPiece = std::any_of(pieces.begin(), pieces.end(), [&](auto& r) {
                    return r.x <= x && x < r.x + r.width && r.y <= y && y < r.y + r.height;
                });
                (inBox && inPiece ? inside : outside) += 1;
            }
        }
        EXPECT_EQ(outside, 0) << "round " << round << ", box " << box.x << " " << box.y << " "
                              << box.width << " " << box.height;
        EXPECT_GT(inside, 0) << "round " << round;
    }
    EXPECT_LT(smallest, 800 * 600 / 2);  // the box saves work, at least some of the time
    kit::drainErrors();
}

TEST(MetaballLayer, TheCaptureKeepsItsStartUpSizeWhenTheWindowChanges) {
    initOnce();
    for (auto [w, h] : {std::pair{1024, 768}, std::pair{640, 480}}) {
        resize(w, h);
        glViewport(0, 0, w, h);
        frames(2, 16);
        EXPECT_EQ(levelSize(metaballImage(), GL_TEXTURE_WIDTH), 800) << w;
        EXPECT_EQ(levelSize(metaballImage(), GL_TEXTURE_HEIGHT), 600) << h;
        EXPECT_EQ(metaballImage().width, 800);
        cPixelRect box;
        EXPECT_FALSE(metaballFieldBox(box));  // the window's pixels are no longer the image's
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
    resize(800, 600);
    glViewport(0, 0, 800, 600);
}

TEST(MetaballLayer, TheCompositeCoversTheScreenAndLeavesBlendingOn) {
    initOnce();
    frames(30, 16);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glViewport(0, 0, 800, 600);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    drawOverlayComposite();
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_TRUE(depthWrites);

    std::vector<uint8_t> window(800 * 600 * 4);
    glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, window.data());
    int dark = 0;
    for (size_t i = 0; i < window.size(); i += 4)
        dark += window[i] + window[i + 1] + window[i + 2] < 6;
    EXPECT_LT(dark, 800 * 600 / 20);  // the harbour shows everywhere but the deepest shadows
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE1);
    glDisable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE0);
    glUseProgram(0);
    kit::drainErrors();
}

TEST(MetaballLayer, TheBlurResultIsOneObjectFromTheStart) {
    static cTexture* const takenEarly = &blurResult();  // before any chain exists
    initOnce();
    EXPECT_EQ(takenEarly, &blurResult());
    EXPECT_NE(takenEarly->name, 0u);
    EXPECT_EQ(takenEarly->target, GLenum(GL_TEXTURE_2D));
}

// The frame clears the window before the layer draws, and the blobs touch only their box:
// the layer clears no more than that box again, and its capture and the window it leaves are
// the same, texel for texel, as when it clears the whole window before and after.
TEST(MetaballLayer, TheBoxedClearLeavesTheSameCaptureAndAClearWindow) {
    initOnce();
    frames(60, 16);
    const auto read = [](bool fromWindow) {
        glFinish();
        std::vector<uint8_t> rgb(800 * 600 * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        if (fromWindow) {
            glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        } else {
            glBindTexture(GL_TEXTURE_2D, metaballImage().name);
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        }
        return rgb;
    };
    // The same blobs twice, once each way, each from a window the frame has just cleared.
    std::vector<uint8_t> image[2], window[2];
    for (int whole = 0; whole < 2; ++whole) {
        glViewport(0, 0, 800, 600);
        clearWindow();
        skipHiddenWork = whole == 0;
        drawMetaballs();
        image[whole] = read(false);
        window[whole] = read(true);
    }
    skipHiddenWork = true;
    EXPECT_TRUE(image[0] == image[1]);
    EXPECT_TRUE(window[0] == window[1]);
    EXPECT_EQ(std::count(window[0].begin(), window[0].end(), 0), 800 * 600 * 3);
    EXPECT_GT(litTexels(metaballImage()), 500);
    kit::drainErrors();
}

TEST(MetaballLayer, ASpriteShaderSavedWithOtherTextMakesTheFieldWholeScreenUntilItIsBack) {
    initOnce();
    frames(3, 16);
    cPixelRect box;
    std::vector<cPixelRect> pieces;
    ASSERT_TRUE(metaballFieldBox(box));
    // The sprites' reach edited in the shader: the C++ copy of it no longer bounds them.
    kit::cTempDir dir;
    const std::filesystem::path here = std::filesystem::current_path();
    std::ifstream original(kit::showData / "metaball2.vert", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(original)), {});
    std::filesystem::current_path(dir.file(""));
    dir.write("metaball2.vert", text + "// reach 0.5 now\n");
    showFileReloaded("metaball2.vert");
    EXPECT_FALSE(copiedNumbersAgree("metaball2.vert"));
    EXPECT_FALSE(metaballFieldBox(box));
    EXPECT_FALSE(metaballFieldPieces(pieces));
    dir.write("prog.frag", "// the lift edited\n");
    showFileReloaded("prog.frag");
    EXPECT_FALSE(copiedNumbersAgree("prog.frag"));
    // Saved back as start-up had them.
    dir.write("metaball2.vert", text);
    showFileReloaded("metaball2.vert");
    std::filesystem::copy_file(kit::showData / "prog.frag", dir.file("prog.frag"),
                               std::filesystem::copy_options::overwrite_existing);
    showFileReloaded("prog.frag");
    std::filesystem::current_path(here);
    EXPECT_TRUE(copiedNumbersAgree("metaball2.vert"));
    EXPECT_TRUE(copiedNumbersAgree("prog.frag"));
    EXPECT_TRUE(metaballFieldBox(box));
}

// The cheaper stand-ins (the backdrop's night rows, the composite's harbour columns, the
// blur's lit box) follow numbers of these files too: an edit to any of them is seen whole.
TEST(MetaballLayer, EveryShaderWhoseNumbersAreCopiedIsWatchedForOtherText) {
    initOnce();
    kit::cTempDir dir;
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(dir.file(""));
    for (const char* file :
         {"overlay.vert", "overlay.frag", "lolvarlay.frag", "overlayShade.vert", "horblur.frag",
          "postprocBlurh.frag", "verblur.frag", "postprocBlurv.frag"}) {
        SCOPED_TRACE(file);
        std::ifstream original(kit::showData / file, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(original)), {});
        ASSERT_FALSE(text.empty());
        dir.write(file, text + "// edited\n");
        showFileReloaded(file);
        EXPECT_FALSE(copiedNumbersAgree(file));
        dir.write(file, text);
        showFileReloaded(file);
        EXPECT_TRUE(copiedNumbersAgree(file));
    }
    std::filesystem::current_path(here);
}
