#pragma once
// The loudspeaker field: the speaker stacks on a ground that runs to the horizon, filmed by
// one of four circling cameras that the music switches between, and from 104.9 s a column
// of smoke puffs rising from the top of the central stack.

#include <cstdint>
#include <vector>

#include "demo/scene_rules.h"
#include "math/vector.h"

namespace nimra {

void initLoudspeakers();
// One frame of the scene's rules (the smoke's too, once it shows), then its picture.
void advanceLoudspeakers();
void drawLoudspeakers();
void visitLoudspeakersState(cStateVisitor& visit);
// The rules' state as start-up leaves it; the puffs draw rand() as they did then.
void restartLoudspeakers();
// Whether the stacks and the ground are opaque (their program works).
bool loudspeakersAreOpaque();

// One smoke puff.
struct cPuff {
    int32_t life = 100;      // ms left
    int32_t fullLife = 100;  // ms it was given: "strength" is life / fullLife
    cVec3f direction;        // unit length when set, then bent by a faint downward pull
    cVec3f position;
};

constexpr int puffCount = 40;
constexpr int smokeAfter = 104878;  // smoke is drawn while t > this
inline bool smokeShows(int t) { return t > smokeAfter; }

// The 40 puffs as start-up makes them: at the origin with 100 ms to live, each direction
// drawn from rand() z first, then y, then x.
std::vector<cPuff> makePuffs();

// One frame of a puff: it ages, is born again at the top of the stack once its life has
// gone below 0, is pulled and moves. Gives its "strength": 1 when just born, 0 at the end.
float advancePuff(cPuff& puff, int dt);
float puffStrength(const cPuff& puff);

// Phases, the camera the trigger last picked and the trigger itself.
struct cSpeakerMotion {
    float shaderPhase = 0.0f;  // "anim"
    float cameraPhase = 0.0f;
    int camera = 0;  // 0 to 3
    cCameraTrigger trigger;
};

// One frame of both phases and the trigger, which picks a camera with rand() % 4 when it
// fires (possibly the same one again).
void advanceSpeakerMotion(cSpeakerMotion& motion, int dt, float bin10, float bin20);

struct cSpeakerCamera {
    cVec3f eye;
    cVec3f target;
    cVec3f up;
};

// Camera 0 to 3 at these phases, its eye carried round the 470-unit orbit.
cSpeakerCamera speakerCamera(int camera, float shaderPhase, float cameraPhase);

}  // namespace nimra
