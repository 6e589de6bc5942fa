#include "demo/opening.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "demo/blob_fountain.h"
#include "demo/demo.h"
#include "demo/timeline.h"
#include "render/mesh.h"
#include "render/screen_quad.h"
#include "runtime/state.h"

namespace nimra {

// The frame and its corner brackets lie between 9 and 20 pixels in from the screen's edges
// (its rounded corners reach furthest in) and the emblem within the 95 x 140 pixels of the
// lower right corner; these keep three or four pixels clear of them.
const cScreenRect overlayClear[overlayClearCount] = {
    {{-0.94f, -0.52f}, {0.94f, 0.92f}},   // above the emblem, edge to edge
    {{-0.94f, -0.92f}, {0.75f, -0.52f}},  // beside it
    {{-1.0f, -1.0f}, {1.0f, -0.98f}},     // the margin outside the frame, below
    {{-1.0f, 0.98f}, {1.0f, 1.0f}},       // above
    {{-1.0f, -1.0f}, {-0.985f, 1.0f}},    // to the left
    {{0.985f, -1.0f}, {1.0f, 1.0f}},      // to the right
};

static struct {
    cShaderProgram* backdropProgram = nullptr;
    cShaderProgram* nightProgram = nullptr;  // the backdrop where night has covered it
    float anim = 0.0f;                       // this frame's backdrop's
    cShaderProgram* topOverlayProgram = nullptr;
    cShaderProgram* boxProgram = nullptr;
    cShaderProgram* blobProgram = nullptr;
    cMesh* boxMesh = nullptr;
    cTexture* introImages[4] = {};  // three copies of the harbour, then its second picture
    cTexture* saxOverlay = nullptr;
    bool overlayMiddleClear = false;  // the picture is clear where overlayClear says
    cTexture* colourScheme = nullptr;
    cTexture* gradient = nullptr;
} state;

void initOpeningScene() {
    console << "initing scene1" << std::endl;

    state.backdropProgram = new cShaderProgram();
    state.nightProgram = new cShaderProgram();
    state.topOverlayProgram = new cShaderProgram();
    screenQuad = new cMesh();
    state.blobProgram = new cShaderProgram();
    state.boxMesh = new cMesh();
    state.boxMesh->loadFile("aBox.obj.bin");
    state.boxProgram = new cShaderProgram();

    state.boxProgram->load("box.vert", "box.frag");
    state.backdropProgram->load("overlay.vert", "overlay.frag");
    state.nightProgram->load("overlay.vert", "overlayNight.frag");
    state.topOverlayProgram->load("overlay2.vert", "overlay2.frag");
    state.blobProgram->load("metaball.vert", "metaball.frag");

    fillScreenQuad(*screenQuad);

    state.backdropProgram->setConstant("mixTex", 1);
    state.nightProgram->setConstant("mixTex", 1);
    state.blobProgram->setConstant("tex2", 1);

    state.introImages[0] = loadImageTexture("introback.png");
    state.introImages[1] = loadImageTexture("introback.png");
    // The backdrop's two, which overlay.frag reads at their own size.
    state.introImages[2] = loadImageTexture("introback.png", ePictureLevels::top);
    state.introImages[3] = loadImageTexture("introback2.png", ePictureLevels::top);
    state.saxOverlay = loadImageTexture("sax_overlay.png", ePictureLevels::top);
    checkOverlayPicture();
    state.colourScheme = loadImageTexture("colorscheme.png");
    state.gradient = loadImageTexture("grad.png");

    buildBlobFountain();
}

float backdropMixer(float musicPhase, float slowPhase) {
    return static_cast<float>((std::sin(musicPhase * 0.7) * 0.5 + 0.5) * slowPhase);
}

int backdropNightFrom(float anim, int rows) {
    // overlay.vert's dusk picture: row j's middle lies at v = 1 - (j + 0.5) / rows on the
    // screen (v runs down) and at (v - 0.5) * zoom + 0.5 + pan on the picture, where the
    // night share is 1 as long as that is at most the band's lower edge.
    const double a = anim;
    const double zoom = 0.94 - 0.02 * std::sin(a * 0.9), pan = 0.02 * std::sin(a * 0.43);
    const double rise = std::clamp((a - 1.3) / (2.7 - 1.3), 0.0, 1.0);
    double nightfall = rise * rise * (3.0 - 2.0 * rise);
    if (a >= 2.7) nightfall -= 0.35 * (0.5 - 0.5 * std::cos((a - 2.7) * 0.3));
    const double edge = nightfall * 1.3 - 0.15 - 0.15;
    const double from = rows * (0.5 - (edge - 0.5 - pan) / zoom) - 0.5;
    if (!std::isfinite(from)) return rows;
    return static_cast<int>(std::clamp(std::ceil(from) + 2.0, 0.0, double(rows)));
}

// The backdrop over the whole viewport, without blending: where night has covered it
// through the program that leaves the dusk picture out, elsewhere through the full one.
static void fillBackdrop() {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const int rows = viewport[3];
    // The night rows' edge is worked out from the full program's numbers.
    const bool split = state.nightProgram->isLinked() && copiedNumbersAgree("overlay.vert") &&
                       copiedNumbersAgree("overlay.frag");
    const int from = split ? backdropNightFrom(state.anim, rows) : rows;
    glDisable(GL_BLEND);
    if (from >= rows) {
        screenQuad->draw(state.backdropProgram, GL_TRIANGLES);
    } else {
        glEnable(GL_SCISSOR_TEST);
        if (from > 0) {
            glScissor(viewport[0], viewport[1], viewport[2], from);
            screenQuad->draw(state.backdropProgram, GL_TRIANGLES);
        }
        glScissor(viewport[0], viewport[1] + from, viewport[2], rows - from);
        screenQuad->draw(state.nightProgram, GL_TRIANGLES);
        glDisable(GL_SCISSOR_TEST);
    }
    glEnable(GL_BLEND);
}

void drawBackdrop(float overlayTime, float musicPhase, float slowPhase, bool hidden) {
    const float mixer = backdropMixer(musicPhase, slowPhase);
    for (cShaderProgram* program : {state.backdropProgram, state.nightProgram}) {
        glUniform1f(program->uniformLocation("anim"), overlayTime);
        glUniform1f(program->uniformLocation("mixer"), mixer);
    }
    state.anim = overlayTime;
    state.introImages[2]->bind(0);
    state.introImages[3]->bind(1);
    if (!hidden) fillBackdrop();
}

void drawBackdropBehind() {
    if (!state.backdropProgram) return;  // a scene drawn on its own, without the opening
    state.introImages[2]->bind(0);
    state.introImages[3]->bind(1);
    // At the far plane, and only where nothing nearer has been drawn.
    glDepthRange(1.0, 1.0);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_FALSE);
    fillBackdrop();
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LESS);
    glDepthRange(0.0, 1.0);
}

bool backdropIsOpaque() { return state.backdropProgram && state.backdropProgram->isLinked(); }

void drawBox(float musicPhase, int t) {
    // The state changes run on every frame of the show: the blend and depth state they
    // leave is what every later layer starts from.
    glEnable(GL_BLEND);
    state.colourScheme->bind(0);
    glPushMatrix();
    const double p = musicPhase;
    glRotatef(static_cast<float>(std::sin(p * 0.01) * 32.0),
              static_cast<float>(std::sin(p * 0.03) * 0.6 + 0.2),
              static_cast<float>(std::sin(p * 0.0737) * 0.6 + 0.9),
              static_cast<float>(std::cos(p * 0.03123) * 0.3 + 0.2));
    if (t <= boxLast) {
        // Opaque whatever alpha the shader writes: the backdrop may be drawn behind after.
        glDisable(GL_BLEND);
        state.boxMesh->draw(state.boxProgram, GL_TRIANGLES);
        glEnable(GL_BLEND);
    }
    glPopMatrix();
    // Before the first scene the box is the only thing in front of the backdrop.
    if (t < tunnelFirst && backdropDrawnBehind(t)) {
        drawBackdropBehind();
        state.colourScheme->bind(0);
    }
    glDisable(GL_DEPTH_TEST);
}

bool boxIsOpaque() { return state.boxProgram && state.boxProgram->isLinked(); }

bool pictureClearWithin(cTexture& texture, const cScreenRect* rects, int count) {
    texture.bind(0);
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    if (width <= 0 || height <= 0) return false;
    std::vector<uint8_t> rgba(size_t(width) * height * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    // Texel (i, j), row j from the picture's top, lands at screen quad (2u - 1, 1 - 2v); two
    // texels around every rectangle count too, for filtering. The picture repeats, so a
    // rectangle at one edge also reads the texels just past the other.
    const auto near = [](float at, float low, float high, int size) {
        for (float shifted : {at, at - size, at + size})
            if (low <= shifted && shifted <= high) return true;
        return false;
    };
    for (int j = 0; j < height; ++j) {
        for (int i = 0; i < width; ++i) {
            if (rgba[(size_t(j) * width + i) * 4 + 3] == 0) continue;
            for (int r = 0; r < count; ++r) {
                const cScreenRect& rect = rects[r];
                const float x0 = (rect.lowerLeft.x * 0.5f + 0.5f) * width - 2.0f;
                const float x1 = (rect.upperRight.x * 0.5f + 0.5f) * width + 2.0f;
                const float y0 = (0.5f - rect.upperRight.y * 0.5f) * height - 2.0f;
                const float y1 = (0.5f - rect.lowerLeft.y * 0.5f) * height + 2.0f;
                if (near(i + 0.5f, x0, x1, width) && near(j + 0.5f, y0, y1, height)) return false;
            }
        }
    }
    return true;
}

void checkOverlayPicture() {
    state.overlayMiddleClear =
        state.saxOverlay && pictureClearWithin(*state.saxOverlay, overlayClear, overlayClearCount);
}

std::vector<cPixelRect> overlayStrips(const int viewport[4]) {
    // The clear rectangles in whole pixels, a pixel in from every side but the viewport's
    // own edges, so that every pixel outside them is drawn; no pixel of the clear middle
    // needs drawing, and none may be drawn twice, since the overlay blends.
    std::vector<cPixelRect> clear;
    for (const cScreenRect& rect : overlayClear) {
        const auto inside = [](float low, float high, int size, int& first, int& count) {
            first = low <= -1.0f ? 0 : static_cast<int>(std::ceil((low * 0.5 + 0.5) * size)) + 1;
            const int last =
                high >= 1.0f ? size : static_cast<int>(std::floor((high * 0.5 + 0.5) * size)) - 1;
            count = std::max(last - first, 0);
        };
        cPixelRect pixels;
        inside(rect.lowerLeft.x, rect.upperRight.x, viewport[2], pixels.x, pixels.width);
        inside(rect.lowerLeft.y, rect.upperRight.y, viewport[3], pixels.y, pixels.height);
        if (pixels.width > 0 && pixels.height > 0) clear.push_back(pixels);
    }
    // Bands between every row where a clear rectangle starts or ends; in each, the runs of
    // the row that no clear rectangle covers.
    std::vector<int> edges = {0, viewport[3]};
    for (const cPixelRect& rect : clear) {
        edges.push_back(rect.y);
        edges.push_back(rect.y + rect.height);
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    std::vector<cPixelRect> strips;
    for (size_t band = 0; band + 1 < edges.size(); ++band) {
        const int low = edges[band], high = edges[band + 1];
        std::vector<std::pair<int, int>> covered;
        for (const cPixelRect& rect : clear) {
            if (rect.y <= low && high <= rect.y + rect.height) {
                covered.emplace_back(rect.x, rect.x + rect.width);
            }
        }
        std::sort(covered.begin(), covered.end());
        int x = 0;
        for (auto [from, to] : covered) {
            if (from > x)
                strips.push_back({viewport[0] + x, viewport[1] + low, from - x, high - low});
            x = std::max(x, to);
        }
        if (x < viewport[2]) {
            strips.push_back({viewport[0] + x, viewport[1] + low, viewport[2] - x, high - low});
        }
    }
    return strips;
}

void drawTopOverlay() {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    state.saxOverlay->bind(0);
    if (!skipHiddenWork || !state.overlayMiddleClear) {
        screenQuad->draw(state.topOverlayProgram, GL_TRIANGLES);
    } else {
        // The frame covers only the screen's edges and the emblem's corner: sampling its
        // clear middle would cost the software renderer a whole screen of texture reads for
        // nothing. The quad is drawn through the strips around the middle only.
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        glEnable(GL_SCISSOR_TEST);
        for (const cPixelRect& strip : overlayStrips(viewport)) {
            glScissor(strip.x, strip.y, strip.width, strip.height);
            screenQuad->draw(state.topOverlayProgram, GL_TRIANGLES);
        }
        glDisable(GL_SCISSOR_TEST);
    }
    glDisable(GL_DEPTH_TEST);  // as the box left it for the layers after
}

cShaderProgram& boxProgram() { return *state.boxProgram; }
cShaderProgram& blobProgram() { return *state.blobProgram; }
cTexture& introImage(int number) { return *state.introImages[number - 1]; }
cTexture& gradientTexture() { return *state.gradient; }

}  // namespace nimra
