#include "demo/tunnel.h"

#include <cmath>

#include "demo/opening.h"
#include "demo/scene_rules.h"
#include "demo/timeline.h"
#include "math/matrix.h"
#include "render/mesh.h"
#include "render/texture.h"
#include "render/transform.h"
#include "runtime/state.h"

namespace nimra {

static struct {
    cMesh* mesh = nullptr;
    cShaderProgram* program = nullptr;
    cTexture* colourScheme = nullptr;  // unit 0
    cTexture* wall = nullptr;          // unit 1, "rockTex"
    cTunnelPhases phases;
} state;

void initTunnel() {
    console << "initing scene 2" << std::endl;
    state.mesh = new cMesh();
    state.mesh->loadFile("tunnel.obj.bin");
    state.program = new cShaderProgram();
    state.program->load("tunnel.vert", "tunnel.frag");
    state.program->setConstant("rockTex", 1);
    state.colourScheme = loadImageTexture("colorscheme.png");
    state.wall = loadImageTexture("stonewall4.png");
}

void visitTunnelState(cStateVisitor& visit) {
    visit(state.phases.shader);
    visit(state.phases.camera);
}

void advanceTunnelPhases(cTunnelPhases& phases, int dt, float bin20) {
    phases.shader = advancePhase(phases.shader, dt, 0.01, bin20, 5.1);
    phases.camera = advancePhase(phases.camera, dt, 0.01, bin20, 1.1);
}

cVec3f tunnelEye(float cameraPhase) {
    return cVec3f(0.0f, 5.0f, static_cast<float>(100.0 * std::sin(0.01 * cameraPhase) - 20.0));
}

void restartTunnel() { state.phases = cTunnelPhases(); }

void advanceTunnel() { advanceTunnelPhases(state.phases, frameTime, spectrumBin(20)); }

void drawTunnel() {
    glLoadIdentity();
    glUniform1f(state.program->uniformLocation("anim"), state.phases.shader);
    glUniform1f(state.program->uniformLocation("powah"), spectrumBin(50) * 10.0f);

    cMatrix4f view;
    view.lookAt(tunnelEye(state.phases.camera), tunnelTarget, cVec3f(0.0f, 1.0f, 0.0f));
    applyCamera(view.data(), projection.data());

    state.colourScheme->bind(0);
    state.wall->bind(1);
    // Seen only from inside: the far sides of the ribs and lanterns would be shaded only to
    // be hidden again.
    // Opaque whatever alpha the shader writes, so the backdrop can be drawn behind after.
    glDisable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    state.mesh->draw(state.program, GL_TRIANGLES);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);

    // The passage hides all of the backdrop but its far end, so the backdrop comes after it
    // and is shaded only there; then the passage's pictures go back on their units.
    if (backdropDrawnBehind(demoTime)) {
        drawBackdropBehind();
        state.colourScheme->bind(0);
        state.wall->bind(1);
    }
}

bool tunnelIsOpaque() { return state.program && state.program->isLinked(); }

}  // namespace nimra
