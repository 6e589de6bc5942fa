#pragma once
// The sculpture scene: a lacquered knot on a plinth, filmed by one of four orbiting
// cameras that the demo clock picks. Every frame of it is copied into a texture; in its
// second half that copy is drawn back over the screen through a pass that folds the
// metaball field into the picture.

#include "demo/scene_rules.h"
#include "math/vector.h"

namespace nimra {

// Needs the screen quad and the window size; runs third among the scene initialisers.
void initSculptureScene();
// Makes the scene's copy of the screen the window's size now, for a picture that has
// changed its resolution.
void resizeSculptureCopy();
// One frame of the scene's rules, then its picture.
void advanceSculptureScene();
void drawSculptureScene();
void visitSculptureState(cStateVisitor& visit);
// The rules' state as start-up leaves it.
void restartSculptureScene();
// Whether the sculpture is opaque (its program works).
bool sculptureIsOpaque();

// The rules of a frame, apart from GL so that they can be checked.

struct cSculptureCamera {
    cVec3f eye;
    cVec3f target;
    cVec3f up;
};
constexpr int sculptureCameraCount = 4;

// The four orbits under the shader phase A ("anim") and the camera phase B. Camera 3 rolls
// with A.
void sculptureCameras(float a, float b, cSculptureCamera cameras[sculptureCameraCount]);

// The camera the clock picks: 2 from 58277, 3 from 67589, 1 from 76894 (where it wins over
// 3) to 86216. Outside those the previous choice holds, 0 until the first of them.
int sculptureCameraFor(int t, int previous);

// What the clock and the music move from frame to frame.
struct cSculptureRig {
    float anim = 0.0f;   // A: the shader's phase, and the cameras' bob
    float orbit = 0.0f;  // B: the cameras' travel
    int camera = 0;
    cCameraTrigger trigger{0, 0.3f, 0.0001};
};

// One frame: both phases step with bin 20, the trigger listens to bin 10 (and prints when
// it fires, nothing more), and the clock picks the camera.
void advanceSculptureRig(cSculptureRig& rig, int t, int dt, float bin10, float bin20);

// "powah": bin 50 of the spectrum, times 16 while camera 2's window is on, otherwise 6.
float sculpturePowah(int t, float bin50);

// How many times the post pass is drawn: none before 67589, twice from 76894 to 76913
// where its two windows overlap, once otherwise up to 86216.
int sculpturePostPasses(int t);

// How far up, as a share of the picture's height, the post pass's drops lift what is
// behind them at most: "prog.frag" lifts by this much of a full field, and the copy the
// pass reads must reach that far below the field's box (while the file's text is
// start-up's: copiedNumbersAgree; else the copy and the pass are whole-screen).
constexpr float sculptureLiftReach = 0.03f;

}  // namespace nimra
