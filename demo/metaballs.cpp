#include "demo/metaballs.h"

#include <algorithm>
#include <cmath>

#include "demo/demo.h"
#include "demo/scene_rules.h"
#include "demo/timeline.h"
#include "render/blur.h"
#include "render/gl.h"
#include "render/mesh.h"
#include "render/quad_batch.h"
#include "render/screen_quad.h"
#include "runtime/state.h"

namespace nimra {

static struct {
    cTexture* image = nullptr;  // the window-sized capture
    cQuadBatch sprites;
    cTexture* gradient = nullptr;  // one blob's falloff, on unit 0
    cShaderProgram* program = nullptr;
    cShaderProgram* overlayProgram = nullptr;  // the composite
    cShaderProgram* harbourProgram = nullptr;  // the composite where the field is empty
    cTexture* background = nullptr;            // the composite's picture, on unit 1
    cMetaballField field;
    cVec2f low, high;  // the corners of this frame's sprites, on the screen quad
    // Outside this box of its pixels the capture is clear, once it has been copied whole.
    cPixelRect lit;
    bool litKnown = false;
} state;

void buildMetaballField(cMetaballField& field) {
    for (int i = 0; i < metaballCount; ++i)
        field.blobs.push_back(makeDrifter(metaballBirthplace));
}

void advanceMetaballPhase(cMetaballField& field, int dt) {
    field.phase = static_cast<float>(field.phase + dt * 0.0001);
}

void advanceMetaball(cMetaballField& field, int i, int dt) {
    cDrifter& blob = field.blobs[i];
    advanceDrifter(blob, dt, metaballRebirthplace);
    blob.size = drifterSize(field.phase, i);
}

void resizeMetaballImage() {
    state.image->setImage(GL_TEXTURE_2D, 0, GL_RGBA, windowWidth, windowHeight, 0, 0, GL_RGBA,
                          GL_UNSIGNED_BYTE, nullptr);
    state.litKnown = false;
}

void initMetaballs() {
    // The capture keeps the size the window had at start-up, whatever happens later.
    state.image = new cTexture(true);
    resizeMetaballImage();
    state.image->setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    state.image->setParameter(GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    state.sprites.build(metaballCount, {{"sprite", 4}});

    state.gradient = loadImageTexture("grad2.png", ePictureLevels::half);  // metaball2.frag

    state.program = new cShaderProgram();
    state.program->load("metaball2.vert", "metaball2.frag");

    state.overlayProgram = new cShaderProgram();
    state.overlayProgram->load("lolvarlay.vert", "lolvarlay.frag");
    state.overlayProgram->setConstant("tex2", 1);
    state.harbourProgram = new cShaderProgram();
    state.harbourProgram->load("lolvarlay.vert", "lolvarlayHarbour.frag");
    state.harbourProgram->setConstant("tex2", 1);

    buildMetaballField(state.field);

    state.background = loadImageTexture("introback.png", ePictureLevels::top);
}

void restartMetaballs() {
    if (!state.image) return;  // never made
    state.field = cMetaballField();
    buildMetaballField(state.field);
}

void advanceMetaballs() {
    const int dt = frameTime;
    advanceMetaballPhase(state.field, dt);
    for (int i = 0; i < static_cast<int>(state.field.blobs.size()); ++i)
        advanceMetaball(state.field, i, dt);
}

// The blur's reach, which it bounds a lit box's light by, is its programs'.
static bool blurReachAgrees() {
    for (const char* file : {"overlayShade.vert", "horblur.frag", "postprocBlurh.frag",
                             "verblur.frag", "postprocBlurv.frag"}) {
        if (!copiedNumbersAgree(file)) return false;
    }
    return true;
}

void drawMetaballs(bool blurred, bool covered) {
    // The sprites in one batch, in the blobs' order, and the box they cover.
    state.low = cVec2f(1.0f, 1.0f);
    state.high = cVec2f(-1.0f, -1.0f);
    state.sprites.clear();
    for (const cDrifter& blob : state.field.blobs) {
        const float reach = std::fabs(blob.size) * metaballSpriteReach;
        const cVec2f half(reach * metaballSpriteAspect, reach);
        state.low.set(std::min(state.low.x, blob.position.x - half.x),
                      std::min(state.low.y, blob.position.y - half.y));
        state.high.set(std::max(state.high.x, blob.position.x + half.x),
                       std::max(state.high.y, blob.position.y + half.y));
        // min and max pass a NaN by: the box is then no box at all.
        if (!isFinite(blob.position) || !std::isfinite(half.y)) state.low.x = NAN;
        const float sprite[4] = {blob.position.x, blob.position.y, blob.size,
                                 drifterStrength(blob)};
        state.sprites.add(sprite);
    }

    // The frame has just cleared the window, and the blobs touch only their box: the layer
    // clears nothing more than that box again after taking its copy. With the hidden work
    // drawn, the whole window before and after, as the layer always did.
    cPixelRect box;
    const bool boxed = skipHiddenWork && metaballFieldBox(box);
    if (!skipHiddenWork) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // Blobs add up: where they crowd together the field rises and they melt into one.
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    state.gradient->bind(0);
    state.sprites.draw(*state.program);

    // The window is clear outside this frame's box, and the capture outside the last one's:
    // copying the two boxes is copying the whole window.
    state.image->bind(0);
    if (boxed && state.litKnown) {
        const cPixelRect& last = state.lit;
        const int x0 = std::min(box.x, last.x), y0 = std::min(box.y, last.y);
        const int x1 = std::max(box.x + box.width, last.x + last.width);
        const int y1 = std::max(box.y + box.height, last.y + last.height);
        if (x1 > x0 && y1 > y0)
            glCopyTexSubImage2D(GL_TEXTURE_2D, 0, x0, y0, x0, y0, x1 - x0, y1 - y0);
    } else {
        glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 0, 0, state.image->width, state.image->height,
                         0);
    }
    state.litKnown = boxed;
    state.lit = box;
    glDisable(GL_BLEND);
    // The blobs never touch the depth buffer, which the timeline clears again after the
    // backdrop; a clear of part of the window costs the software renderer a drawn quad.
    if (!covered) {
        if (boxed) {
            glEnable(GL_SCISSOR_TEST);
            glScissor(box.x, box.y, box.width, box.height);
        }
        glClear(skipHiddenWork ? GL_COLOR_BUFFER_BIT : GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (boxed) glDisable(GL_SCISSOR_TEST);
    }
    // Only a box's worth of light to blur: outside it the image is clear.
    if (blurred) blurTexture(*state.image, 1, boxed && blurReachAgrees() ? &box : nullptr);
}

cTexture& metaballImage() { return *state.image; }

bool spritePixels(const cVec2f& low, const cVec2f& high, int width, int height, cPixelRect& rect) {
    // A corner no number can say has no pixel: nothing may convert it to one.
    if (!isFinite(low) || !isFinite(high)) return false;
    const auto pixels = [](float low, float high, int size, int& first, int& count) {
        const double from = std::floor((low * 0.5 + 0.5) * size) - 2.0;
        const double to = std::ceil((high * 0.5 + 0.5) * size) + 2.0;
        first = static_cast<int>(std::clamp(from, 0.0, double(size)));
        count = std::max(static_cast<int>(std::clamp(to, 0.0, double(size))) - first, 0);
    };
    pixels(low.x, high.x, width, rect.x, rect.width);
    pixels(low.y, high.y, height, rect.y, rect.height);
    return true;
}

bool metaballFieldBox(cPixelRect& box) {
    const cTexture& image = *state.image;
    if (windowWidth != image.width || windowHeight != image.height) return false;
    if (!copiedNumbersAgree("metaball2.vert")) return false;  // its sprites may reach further
    return spritePixels(state.low, state.high, image.width, image.height, box);
}

bool metaballFieldPieces(std::vector<cPixelRect>& pieces) {
    pieces.clear();
    cPixelRect box;
    if (!metaballFieldBox(box)) return false;
    // Every blob's own box, as drawMetaballs spans them all; they lie inside the field's.
    std::vector<cPixelRect> sprites;
    for (const cDrifter& blob : state.field.blobs) {
        const float reach = std::fabs(blob.size) * metaballSpriteReach;
        const cVec2f half(reach * metaballSpriteAspect, reach);
        cPixelRect rect;
        if (!spritePixels(blob.position - half, blob.position + half, state.image->width,
                          state.image->height, rect)) {
            return false;
        }
        if (rect.width > 0 && rect.height > 0) sprites.push_back(rect);
    }
    pieces = cellCover(sprites, box, fieldCell);
    return true;
}

std::vector<cPixelRect> cellCover(const std::vector<cPixelRect>& rects, const cPixelRect& bounds,
                                  int cell) {
    std::vector<cPixelRect> pieces;
    if (cell <= 0 || bounds.width <= 0 || bounds.height <= 0) return pieces;
    // Cells counted from the bounds' corner.
    const int columns = (bounds.width + cell - 1) / cell, rows = (bounds.height + cell - 1) / cell;
    std::vector<char> marked(size_t(columns) * rows, 0);
    for (const cPixelRect& rect : rects) {
        const int x0 = std::max(rect.x, bounds.x) - bounds.x;
        const int y0 = std::max(rect.y, bounds.y) - bounds.y;
        const int x1 = std::min(rect.x + rect.width, bounds.x + bounds.width) - bounds.x;
        const int y1 = std::min(rect.y + rect.height, bounds.y + bounds.height) - bounds.y;
        if (x1 <= x0 || y1 <= y0) continue;
        for (int row = y0 / cell; row <= (y1 - 1) / cell; ++row)
            for (int column = x0 / cell; column <= (x1 - 1) / cell; ++column)
                marked[size_t(row) * columns + column] = 1;
    }
    // The pieces the row above ended with, by index: a run of this row with the same span
    // carries one of them down.
    std::vector<size_t> open;
    for (int row = 0; row < rows; ++row) {
        std::vector<size_t> next;
        for (int column = 0; column < columns;) {
            if (!marked[size_t(row) * columns + column]) {
                ++column;
                continue;
            }
            const int first = column;
            while (column < columns && marked[size_t(row) * columns + column])
                ++column;
            const int x = bounds.x + first * cell;
            const int width = std::min(bounds.x + column * cell, bounds.x + bounds.width) - x;
            const int y = bounds.y + row * cell;
            const int height = std::min(y + cell, bounds.y + bounds.height) - y;
            const auto same = std::find_if(open.begin(), open.end(), [&](size_t k) {
                return pieces[k].x == x && pieces[k].width == width;
            });
            if (same != open.end()) {
                pieces[*same].height += height;
                next.push_back(*same);
            } else {
                next.push_back(pieces.size());
                pieces.push_back({x, y, width, height});
            }
        }
        open.swap(next);
    }
    return pieces;
}

bool compositeIsOpaque() { return state.overlayProgram && state.overlayProgram->isLinked(); }

void visitMetaballsState(cStateVisitor& visit) {
    visit(state.field.phase);
    visitDrifters(visit, state.field.blobs);
}

bool compositeFieldColumns(const cPixelRect& box, int width, int& first, int& count) {
    // lolvarlay.frag reads a reflection's field up to 1.6 * (0.0015 + 0.008 * depth) of the
    // width across, and the water is less than half the screen deep; a column more either
    // side for the filtering and one for rounding.
    const int reach = static_cast<int>(std::ceil(1.6 * (0.0015 + 0.008 * 0.5) * width)) + 2;
    first = box.x - reach;
    const int last = box.x + box.width + reach;
    // Reads past the image's edge come round from its other edge (it repeats).
    if (box.width <= 0 || first <= 0 || last >= width) return false;
    count = last - first;
    return true;
}

void drawOverlayComposite() {
    for (cShaderProgram* program : {state.overlayProgram, state.harbourProgram})
        glUniform1f(program->uniformLocation("anim"), overlayTime);
    glDepthMask(GL_FALSE);
    state.image->bind(0);
    state.background->bind(1);
    // Opaque whatever alpha the shader writes: the backdrop under it is not drawn.
    glDisable(GL_BLEND);
    // Outside the field's box the image is empty, and there the composite is the harbour
    // alone: the columns no read of the field can reach are drawn without reading it.
    cPixelRect box;
    int first = 0, count = 0;
    if (state.harbourProgram->isLinked() && copiedNumbersAgree("lolvarlay.frag") &&
        metaballFieldBox(box) && compositeFieldColumns(box, state.image->width, first, count)) {
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        const int after = first + count;
        glEnable(GL_SCISSOR_TEST);
        glScissor(viewport[0], viewport[1], first, viewport[3]);
        screenQuad->draw(state.harbourProgram, GL_TRIANGLES);
        glScissor(viewport[0] + after, viewport[1], viewport[2] - after, viewport[3]);
        screenQuad->draw(state.harbourProgram, GL_TRIANGLES);
        glScissor(viewport[0] + first, viewport[1], count, viewport[3]);
        screenQuad->draw(state.overlayProgram, GL_TRIANGLES);
        glDisable(GL_SCISSOR_TEST);
    } else {
        screenQuad->draw(state.overlayProgram, GL_TRIANGLES);
    }
    glEnable(GL_BLEND);
    glDepthMask(GL_TRUE);
}

}  // namespace nimra
