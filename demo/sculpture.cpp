#include "demo/sculpture.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "demo/demo.h"
#include "demo/metaballs.h"
#include "demo/opening.h"
#include "demo/scene_rules.h"
#include "demo/timeline.h"
#include "math/matrix.h"
#include "render/gl.h"
#include "render/mesh.h"
#include "render/screen_quad.h"
#include "render/shader_program.h"
#include "render/texture.h"
#include "render/transform.h"
#include "runtime/state.h"

namespace nimra {

static struct {
    cMesh* sculpture = nullptr;
    cMesh* plane = nullptr;  // loaded with the scene, never drawn by it
    cShaderProgram* program = nullptr;
    cShaderProgram* postProgram = nullptr;
    cTexture* colourScheme = nullptr;   // the paint, on unit 0
    cTexture* colourScheme2 = nullptr;  // left on unit 0 when the scene is done
    cTexture* fabric = nullptr;         // "rockTex", on unit 1
    cTexture* screenCopy = nullptr;     // this frame as drawn so far
    std::vector<cPixelRect> pieces;     // of the metaball field, where the post pass is drawn
    cSculptureRig rig;
} state;

// Demo-time windows, both ends excluded.
static bool within(int t, int after, int before) { return after < t && t < before; }
static bool cameraTwoWindow(int t) { return within(t, 58276, 67589); }
static bool cameraThreeWindow(int t) { return within(t, 67588, 76914); }
static bool cameraOneWindow(int t) { return within(t, 76893, 86217); }

void sculptureCameras(float a, float b, cSculptureCamera cameras[sculptureCameraCount]) {
    const double A = a, B = b;
    auto f = [](double v) { return static_cast<float>(v); };
    const float bob = f(60 * std::sin(0.03 * A) + 80);
    const cVec3f centre(0.0f, 70.0f, 0.0f), beside(50.0f, 70.0f, 0.0f), upright(0.0f, 1.0f, 0.0f);
    cameras[0] = {{f(170 * std::cos(0.01 * B + 0.54) - 20), bob, f(83 * std::sin(0.01 * B) - 20)},
                  centre,
                  upright};
    cameras[1] = {
        {f(90 * std::cos(0.01 * B - 0.54) - 20), bob, f(98 * std::sin(0.0165 * B + 0.4) - 20)},
        beside,
        upright};
    cameras[2] = {
        {f(102 * std::cos(0.01 * B - 0.14) - 20), bob, f(83 * std::sin(0.0165 * B + 0.4) - 20)},
        beside,
        upright};
    cameras[3] = {
        {f(90 * std::cos(0.01 * B - 0.14) - 20), bob, f(84 * std::sin(0.0165 * B + 0.4) - 20)},
        beside,
        {f(std::sin(0.02 * A)), f(std::sin(0.0264 * A)), f(std::cos(0.02 * A + 0.453))}};
}

int sculptureCameraFor(int t, int previous) {
    int camera = previous;
    if (cameraTwoWindow(t)) camera = 2;
    if (cameraThreeWindow(t)) camera = 3;
    if (cameraOneWindow(t)) camera = 1;  // last, so it wins where it overlaps camera 3
    return camera;
}

void advanceSculptureRig(cSculptureRig& rig, int t, int dt, float bin10, float bin20) {
    rig.anim = advancePhase(rig.anim, dt, 0.01, bin20, 2.1);
    rig.orbit = advancePhase(rig.orbit, dt, 0.01, bin20, 1.1);
    // The trigger keeps time with the music and says so; only the clock picks the camera.
    rig.trigger.advance(dt, bin10);
    rig.camera = sculptureCameraFor(t, rig.camera);
}

float sculpturePowah(int t, float bin50) {
    return static_cast<float>(bin50 * (cameraTwoWindow(t) ? 16.0 : 6.0));
}

int sculpturePostPasses(int t) { return cameraThreeWindow(t) + cameraOneWindow(t); }

void visitSculptureState(cStateVisitor& visit) {
    const cSculptureRig& rig = state.rig;
    visit(rig.anim);
    visit(rig.orbit);
    visit(rig.camera);
    visit(rig.trigger);
}

void resizeSculptureCopy() {
    state.screenCopy->setImage(GL_TEXTURE_2D, 0, GL_RGBA, windowWidth, windowHeight, 0, 0, GL_RGBA,
                               GL_UNSIGNED_BYTE, nullptr);
}

void initSculptureScene() {
    console << "initing scene 3" << std::endl;

    state.sculpture = new cMesh();
    state.sculpture->loadFile("abstra.obj.bin");
    state.plane = new cMesh();
    state.plane->loadFile("plane.obj.bin");

    state.program = new cShaderProgram();
    state.program->load("fitti.vert", "fitti.frag");
    state.program->setConstant("rockTex", 1);
    state.postProgram = new cShaderProgram();
    state.postProgram->load("prog.vert", "prog.frag");
    state.postProgram->setConstant("tex2", 1);

    state.colourScheme = loadImageTexture("colorscheme.png");
    state.colourScheme2 = loadImageTexture("colorscheme2.png");
    state.fabric = loadImageTexture("gridlikefabric.png");

    state.screenCopy = new cTexture(true);
    resizeSculptureCopy();
    state.screenCopy->setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    state.screenCopy->setParameter(GL_TEXTURE_MIN_FILTER, GL_LINEAR);
}

void restartSculptureScene() { state.rig = cSculptureRig(); }

void advanceSculptureScene() {
    advanceSculptureRig(state.rig, demoTime, frameTime, spectrumBin(10), spectrumBin(20));
}

void drawSculptureScene() {
    const int t = demoTime;
    cShaderProgram& program = *state.program;

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    const cSculptureRig& rig = state.rig;
    glUniform1f(program.uniformLocation("anim"), rig.anim);
    glUniform1f(program.uniformLocation("powah"), sculpturePowah(t, spectrumBin(50)));

    cSculptureCamera cameras[sculptureCameraCount];
    sculptureCameras(rig.anim, rig.orbit, cameras);
    const cSculptureCamera& camera = cameras[rig.camera];
    cMatrix4f view;
    view.lookAt(camera.eye, camera.target, camera.up);
    applyCamera(view.data(), projection.data());

    state.colourScheme->bind(0);
    state.fabric->bind(1);
    // A closed knot on a closed stand: their back faces would only be shaded to be hidden.
    // Opaque whatever alpha the shader writes, so the backdrop can be drawn behind after.
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    state.sculpture->draw(&program, GL_TRIANGLES);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    // The backdrop comes after the sculpture, where the sculpture left it uncovered, and
    // before the copy.
    if (backdropDrawnBehind(t)) {
        drawBackdropBehind();
        state.fabric->bind(1);
    }

    // Where the metaball field is empty the post pass gives the copy back exactly as it was
    // taken, so it is drawn only over the field's box, often a fifth of the screen. Not on
    // the loudspeakers' first frames, which draw after it against the depth it leaves.
    const int passes = sculpturePostPasses(t);
    cPixelRect box;
    const bool boxed = skipHiddenWork && t < loudspeakersFirst && copiedNumbersAgree("prog.frag") &&
                       metaballFieldBox(box);

    // The frame is copied over the rectangle the metaball image covers. Only the post pass
    // reads the copy, and only in this same frame: so with no pass nothing is copied, and
    // for a boxed pass only the box and the stretch below it that its drops lift into view.
    cTexture& field = metaballImage();
    state.screenCopy->bind(0);
    if (!skipHiddenWork || (passes > 0 && !boxed)) {
        glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 0, 0, field.width, field.height, 0);
    } else if (passes > 0) {
        const int below = static_cast<int>(std::ceil(sculptureLiftReach * field.height)) + 2;
        const int y = std::max(box.y - below, 0);
        const int height = std::min(box.y + box.height, field.height) - y;
        if (box.width > 0 && height > 0) {
            glCopyTexSubImage2D(GL_TEXTURE_2D, 0, box.x, y, box.x, y, box.width, height);
        }
    }

    state.colourScheme2->bind(0);
    // Boxed, the pass is drawn piece by piece over the cells the blobs touch, which lie
    // inside the box (and so inside the copy); the quad is the same, so every pixel it
    // draws is the pixel it would draw over the whole screen.
    std::vector<cPixelRect>& pieces = state.pieces;
    if (boxed && passes > 0) metaballFieldPieces(pieces);
    if (boxed) glEnable(GL_SCISSOR_TEST);
    for (int pass = passes; pass > 0; --pass) {
        field.bind(0);
        state.screenCopy->bind(1);
        if (!boxed) {
            screenQuad->draw(state.postProgram, GL_TRIANGLES);
        } else {
            for (const cPixelRect& piece : pieces) {
                glScissor(piece.x, piece.y, piece.width, piece.height);
                screenQuad->draw(state.postProgram, GL_TRIANGLES);
            }
        }
        glEnable(GL_BLEND);
    }
    if (boxed) glDisable(GL_SCISSOR_TEST);
}

bool sculptureIsOpaque() { return state.program && state.program->isLinked(); }

}  // namespace nimra
