#include "demo/creatures.h"

#include <cmath>

#include "demo/opening.h"
#include "demo/timeline.h"
#include "math/matrix.h"
#include "render/mesh.h"
#include "render/texture.h"
#include "render/transform.h"
#include "runtime/state.h"

namespace nimra {

static struct {
    cMesh* creatureMesh = nullptr;
    cMesh* planeMesh = nullptr;  // loaded with the scene, never drawn
    cShaderProgram* program = nullptr;
    cTexture* colourScheme = nullptr;        // unit 0 under the creatures
    cTexture* secondColourScheme = nullptr;  // left on unit 0 for the layers after
    cTexture* wall = nullptr;                // unit 1, "rockTex"
    cCreatureMotion motion;
} state;

void visitCreaturesState(cStateVisitor& visit) {
    const cCreatureMotion& m = state.motion;
    visit(m.shaderPhase);
    visit(m.cameraPhase);
    visit(m.trigger);
}

void initCreatures() {
    console << "initing scene 4" << std::endl;
    state.creatureMesh = new cMesh();
    state.creatureMesh->loadFile("dingo.obj.bin");
    state.planeMesh = new cMesh();
    state.planeMesh->loadFile("plane.obj.bin");
    state.program = new cShaderProgram();
    state.program->load("webdings.vert", "webdings.frag");
    state.program->setConstant("rockTex", 1);
    state.colourScheme = loadImageTexture("colorscheme.png");
    state.secondColourScheme = loadImageTexture("colorscheme.png");
    state.wall = loadImageTexture("stonewall4.png");
}

void advanceCreatureMotion(cCreatureMotion& motion, int dt, float bin10, float bin20) {
    motion.shaderPhase = advancePhase(motion.shaderPhase, dt, 0.01, bin20, 2.1);
    motion.cameraPhase = advancePhase(motion.cameraPhase, dt, 0.01, bin20, 1.1);
    motion.trigger.advance(dt, bin10);
}

cVec3f creatureEye(float cameraPhase) {
    const double angle = 0.01 * cameraPhase + 0.54;
    return cVec3f(static_cast<float>(670.0 * std::cos(angle) - 20.0), 0.0f,
                  static_cast<float>(670.0 * std::sin(angle) - 20.0));
}

cCreaturePose creaturePose(int i, float shaderPhase, float cameraPhase) {
    const float a = static_cast<float>(shaderPhase * 0.001);
    const float b = static_cast<float>(cameraPhase * 0.001);
    auto f = [](double v) { return static_cast<float>(v); };
    cCreaturePose pose;
    pose.position = cVec3f(f(64.03 * std::sin(a + 0.23 * i)), 0.0f,
                           f(64.03 * std::sin(1.3 * std::cos(0.3 * b + 0.2 * i) + 0.32 * a)));
    pose.angle = f(45.0 * i + cameraPhase);
    pose.axis = cVec3f(f(1.23 * std::sin(4.2 * a + 0.2 * i)), f(0.23 * i), 1.0f);
    return pose;
}

void restartCreatures() { state.motion = cCreatureMotion(); }

void advanceCreatures() {
    advanceCreatureMotion(state.motion, frameTime, spectrumBin(10), spectrumBin(20));
}

void drawCreatures() {
    glLoadIdentity();
    const cCreatureMotion& motion = state.motion;
    glUniform1f(state.program->uniformLocation("anim"), motion.shaderPhase);
    glUniform1f(state.program->uniformLocation("powah"), spectrumBin(50) * 6.0f);

    cMatrix4f view;
    view.lookAt(creatureEye(motion.cameraPhase), creatureTarget, cVec3f(0.0f, 1.0f, 0.0f));
    applyCamera(view.data(), projection.data());

    state.colourScheme->bind(0);
    state.wall->bind(1);
    glScalef(5.0f, 5.0f, 5.0f);
    // Closed bodies and fins with a sheet for each side: their back faces would only be
    // shaded to be hidden again.
    // Opaque whatever alpha the shader writes, so the backdrop can be drawn behind after.
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    for (int i = 0; i < creatureCount; ++i) {
        const cCreaturePose pose = creaturePose(i, motion.shaderPhase, motion.cameraPhase);
        glPushMatrix();
        glTranslatef(pose.position.x, pose.position.y, pose.position.z);
        glRotatef(pose.angle, pose.axis.x, pose.axis.y, pose.axis.z);
        state.creatureMesh->draw(state.program, GL_TRIANGLES);
        glPopMatrix();
    }
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);

    // The swimmers cover a little of the backdrop; it comes after them.
    if (backdropDrawnBehind(demoTime)) {
        drawBackdropBehind();
        state.wall->bind(1);
    }

    // The layers drawn after the scene in the same frame, the blob fountain among them,
    // inherit this unit and the view scaled by 250.
    state.secondColourScheme->bind(0);
    glScalef(50.0f, 50.0f, 50.0f);
}

bool creaturesAreOpaque() { return state.program && state.program->isLinked(); }

}  // namespace nimra
