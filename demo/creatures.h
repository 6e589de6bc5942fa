#pragma once
// The creatures: ten swimmers circle and spin around each other on music-driven paths,
// with one camera circling the group from far away. The blob fountain rises over them.

#include "demo/scene_rules.h"
#include "math/vector.h"

namespace nimra {

void initCreatures();
// One frame of the scene's rules, then its picture.
void advanceCreatures();
void drawCreatures();
void visitCreaturesState(cStateVisitor& visit);
// The rules' state as start-up leaves it.
void restartCreatures();
// Whether the swimmers are opaque (their program works).
bool creaturesAreOpaque();

constexpr int creatureCount = 10;

// Both phases and the trigger, which in this scene only reports.
struct cCreatureMotion {
    float shaderPhase = 0.0f;  // "anim"
    float cameraPhase = 0.0f;
    cCameraTrigger trigger;
};
void advanceCreatureMotion(cCreatureMotion& motion, int dt, float bin10, float bin20);

// Level with the group, 670 from (-20, 0, -20), looking up at (0, 70, 0).
cVec3f creatureEye(float cameraPhase);
inline const cVec3f creatureTarget(0.0f, 70.0f, 0.0f);

// Where creature i swims and how it is turned, in the group's own units (the scene scales
// the whole group by 5): translate to position, then rotate by angle degrees about axis.
struct cCreaturePose {
    cVec3f position;
    float angle;
    cVec3f axis;
};
cCreaturePose creaturePose(int i, float shaderPhase, float cameraPhase);

}  // namespace nimra
