#include "demo/demo.h"

#include <cstdlib>

#include "demo/blob_fountain.h"
#include "demo/creatures.h"
#include "demo/interludes.h"
#include "demo/loudspeakers.h"
#include "demo/metaballs.h"
#include "demo/opening.h"
#include "demo/sculpture.h"
#include "demo/spheres.h"
#include "demo/timeline.h"
#include "demo/tunnel.h"
#include "demo/word_cards.h"
#include "render/blur.h"
#include "runtime/state.h"

namespace nimra {

void showFileReloaded(const std::string& file) {
    findSlideInk(file);
    if (file == "sax_overlay.png") checkOverlayPicture();
    const bool sphereProgram = file == "hotplane.vert" || file == "hotplane.frag" ||
                               file == "r2att.vert" || file == "r2att.frag";
    if (sphereProgram) checkSphereDraws();
}

void resizeShowPictures() {
    resizeMetaballImage();
    resizeSculptureCopy();
}

void restartShow() {
    std::srand(1);
    // The initialisers' order, which is the order of their rand() draws.
    restartBlobFountain();
    restartTunnel();
    restartSculptureScene();
    restartLoudspeakers();
    restartCreatures();
    restartSpheres();
    restartMetaballs();
    restartBreak();
    restartWordCards();
    restartTimeline();
}

void initFinale() { console << "initing demo finally finished scene" << std::endl; }

const std::vector<SceneInitialiser>& sceneInitialisers() {
    // One initialiser a line, in start-up order.
    // clang-format off
    static const std::vector<SceneInitialiser> list = {
        initOpeningScene,
        initTunnel,
        initSculptureScene,
        initLoudspeakers,
        initCreatures,
        initSpheres,  // also the spark layer's program, texture and sparks
        initMetaballs,
        initBreak,
        initFinale,
        initWordCards,
        initSlideCards,
        [] { initBlur(256, 256); },
    };
    // clang-format on
    return list;
}

}  // namespace nimra
