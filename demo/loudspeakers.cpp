#include "demo/loudspeakers.h"

#include <cmath>
#include <cstdlib>

#include "demo/opening.h"
#include "demo/timeline.h"
#include "math/matrix.h"
#include "render/mesh.h"
#include "render/screen_quad.h"
#include "render/texture.h"
#include "render/transform.h"
#include "runtime/state.h"

namespace nimra {

static struct {
    cMesh* speakerMesh = nullptr;
    cMesh* groundMesh = nullptr;
    cShaderProgram* speakerProgram = nullptr;
    cShaderProgram* puffProgram = nullptr;
    cTexture* colourScheme = nullptr;  // unit 0 under the speakers
    cTexture* groundColour = nullptr;  // unit 0 under the ground
    cTexture* wall = nullptr;          // unit 1, "rockTex"
    cTexture* puffTexture = nullptr;
    std::vector<cPuff> puffs;
    cSpeakerMotion motion;
} state;

// Mostly up, a little to the side. The draws run z, y, x; y is at least 60, so the vector
// is never zero.
static cVec3f puffDirection() {
    const int z = std::rand() % 40 - 20;
    const int y = std::rand() % 40 + 60;
    const int x = std::rand() % 40 - 20;
    return cVec3f(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)).normalise();
}

std::vector<cPuff> makePuffs() {
    std::vector<cPuff> puffs;
    for (int i = 0; i < puffCount; ++i) {
        cPuff puff;
        puff.direction = puffDirection();
        puffs.push_back(puff);
    }
    return puffs;
}

float advancePuff(cPuff& puff, int dt) {
    puff.life -= dt;
    // A puff at exactly 0 is drawn once more, fully faded, before it is born again.
    if (puff.life < 0) {
        puff.life = std::rand() % 500 + 800;
        puff.fullLife = puff.life;
        puff.position = cVec3f(0.0f, 120.0f, 0.0f);  // the top of the central stack
        puff.direction = puffDirection();
    }
    puff.direction = puff.direction + cVec3f(0.0f, -1.0f, 0.0f) * static_cast<float>(dt) * 1e-7f;
    puff.position = puff.position + puff.direction * static_cast<float>(dt) * 0.3f;
    return puffStrength(puff);
}

float puffStrength(const cPuff& puff) {
    return static_cast<float>(static_cast<double>(puff.life) / puff.fullLife);
}

void advanceSpeakerMotion(cSpeakerMotion& motion, int dt, float bin10, float bin20) {
    motion.shaderPhase = advancePhase(motion.shaderPhase, dt, 0.01, bin20, 2.1);
    motion.cameraPhase = advancePhase(motion.cameraPhase, dt, 0.01, bin20, 1.1);
    if (motion.trigger.advance(dt, bin10)) motion.camera = std::rand() % 4;
}

cSpeakerCamera speakerCamera(int camera, float shaderPhase, float cameraPhase) {
    const double a = shaderPhase;
    const double b = cameraPhase;
    auto f = [](double v) { return static_cast<float>(v); };
    const cVec3f orbit(f(470.0 * std::cos(0.01 * b + 0.54)), 0.0f,
                       f(470.0 * std::sin(0.01 * b + 0.54)));
    const cVec3f up(0.0f, 1.0f, 0.0f);
    const cVec3f aside(50.0f, 70.0f, 0.0f);
    cSpeakerCamera c;
    switch (camera) {
        case 0:
            c = {cVec3f(f(70.0 * std::cos(0.01 * b + 0.54) - 20.0),
                        f(160.0 * std::sin(0.03 * a) + 180.0),
                        f(-283.0 * std::sin(0.01 * b) - 20.0)),
                 cVec3f(0.0f, 70.0f, 0.0f), up};
            break;
        case 1:
            c = {cVec3f(f(10.0 * std::cos(0.01 * b - 0.54) - 20.0),
                        f(190.0 * std::sin(0.03 * a) + 240.0),
                        f(-78.0 * std::sin(0.0165 * b + 0.4) - 20.0)),
                 aside, up};
            break;
        case 2:
            c = {cVec3f(f(60.0 * std::cos(0.01 * b - 0.14) - 20.0),
                        f(60.0 * std::sin(0.03 * a) + 190.0),
                        f(-153.0 * std::sin(0.0165 * b + 0.4) - 20.0)),
                 aside, up};
            break;
        default:
            // The restless one: its up vector tumbles with the shader phase.
            c = {cVec3f(f(90.0 * std::cos(0.01 * b - 0.14) - 20.0),
                        f(60.0 * std::sin(0.03 * a) + 200.0),
                        f(-24.0 * std::sin(0.0165 * b + 0.4) - 20.0)),
                 aside,
                 cVec3f(f(std::sin(0.02 * a)), f(std::sin(0.0264 * a)),
                        f(std::cos(0.02 * a + 0.453)))};
            break;
    }
    c.eye = c.eye + orbit;
    return c;
}

void visitLoudspeakersState(cStateVisitor& visit) {
    const cSpeakerMotion& m = state.motion;
    visit(m.shaderPhase);
    visit(m.cameraPhase);
    visit(m.camera);
    visit(m.trigger);
    for (const cPuff& puff : state.puffs) {
        visit(puff.life);
        visit(puff.fullLife);
        visit(puff.direction);
        visit(puff.position);
    }
}

void initLoudspeakers() {
    console << "initing scene 4" << std::endl;
    state.speakerMesh = new cMesh();
    state.speakerMesh->loadFile("speakers2.obj.bin");
    state.groundMesh = new cMesh();
    state.groundMesh->loadFile("plane.obj.bin");
    state.speakerProgram = new cShaderProgram();
    state.speakerProgram->load("speaker.vert", "speaker.frag");
    state.speakerProgram->setConstant("rockTex", 1);
    state.puffProgram = new cShaderProgram();
    state.puffProgram->load("puff.vert", "puff.frag");
    state.colourScheme = loadImageTexture("colorscheme.png");
    state.groundColour = loadImageTexture("colorscheme.png");
    state.wall = loadImageTexture("stonewall4.png");
    state.puffTexture = loadImageTexture("SMOKEPUFF.PNG");
    state.puffs = makePuffs();
}

// Soft blended puffs over the finished scene: tested against its depth, writing none.
static void drawSmoke() {
    state.puffTexture->bind(0);
    glEnable(GL_BLEND);
    glDepthMask(GL_FALSE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    cShaderProgram& program = *state.puffProgram;
    for (const cPuff& puff : state.puffs) {
        glUniform1f(program.uniformLocation("strength"), puffStrength(puff));
        glUniform1f(program.uniformLocation("scaler"), 95.0f);
        glPushMatrix();
        glTranslatef(puff.position.x, puff.position.y, puff.position.z);
        screenQuad->draw(&program, GL_TRIANGLES);
        glPopMatrix();
    }
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
}

void restartLoudspeakers() {
    if (!state.speakerMesh) return;  // never made
    state.motion = cSpeakerMotion();
    state.puffs = makePuffs();
}

void advanceLoudspeakers() {
    advanceSpeakerMotion(state.motion, frameTime, spectrumBin(10), spectrumBin(20));
    if (!smokeShows(demoTime)) return;
    for (cPuff& puff : state.puffs)
        advancePuff(puff, frameTime);
}

void drawLoudspeakers() {
    glLoadIdentity();
    const cSpeakerMotion& motion = state.motion;
    glUniform1f(state.speakerProgram->uniformLocation("anim"), motion.shaderPhase);
    glUniform1f(state.speakerProgram->uniformLocation("powah"), spectrumBin(50) * 6.0f);

    const cSpeakerCamera camera =
        speakerCamera(motion.camera, motion.shaderPhase, motion.cameraPhase);
    cMatrix4f view;
    view.lookAt(camera.eye, camera.target, camera.up);
    applyCamera(view.data(), projection.data());

    // The cabinets are closed and the ground is only ever seen from above: their back
    // faces would only be shaded to be hidden again.
    // Opaque whatever alpha the shader writes, so the backdrop can be drawn behind after.
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    state.colourScheme->bind(0);
    state.wall->bind(1);
    state.speakerMesh->draw(state.speakerProgram, GL_TRIANGLES);

    state.groundColour->bind(0);
    glPushMatrix();
    glScalef(50.0f, 50.0f, 50.0f);
    state.groundMesh->draw(state.speakerProgram, GL_TRIANGLES);
    glPopMatrix();
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);

    // The backdrop shows only above the ground and between the stacks; the smoke blends
    // over it, so it comes before the smoke.
    if (backdropDrawnBehind(demoTime)) {
        drawBackdropBehind();
        state.wall->bind(1);
        state.groundColour->bind(0);
    }
    if (smokeShows(demoTime)) drawSmoke();
}

bool loudspeakersAreOpaque() { return state.speakerProgram && state.speakerProgram->isLinked(); }

}  // namespace nimra
