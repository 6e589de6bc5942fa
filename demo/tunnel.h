#pragma once
// The tunnel: the camera swings back and forth along a stone passage whose lights run and
// pulse with the music.

#include "demo/scene_rules.h"
#include "math/vector.h"

namespace nimra {

void initTunnel();
// One frame of the scene's rules, then its picture.
void advanceTunnel();
void drawTunnel();
void visitTunnelState(cStateVisitor& visit);
// The rules' state as start-up leaves it.
void restartTunnel();
// Whether the tunnel's surfaces are opaque (its program works), so that the backdrop can be
// drawn behind it afterwards.
bool tunnelIsOpaque();

// The scene's two phases: the shader's ("anim") and the camera's. Both run at 10 per
// second and faster with bin 20 of the spectrum, the shader's far more so.
struct cTunnelPhases {
    float shader = 0.0f;
    float camera = 0.0f;
};
void advanceTunnelPhases(cTunnelPhases& phases, int dt, float bin20);

// On the tunnel's axis, 5 up, swinging between z = -120 and z = 80.
cVec3f tunnelEye(float cameraPhase);
inline const cVec3f tunnelTarget(0.0f, 0.0f, 120.0f);

}  // namespace nimra
