#include "demo/demo.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

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

namespace {

// The shaders whose numbers the C++ side copies, their text as start-up found it, and
// whether their text is that now.
struct cCopiedShader {
    const char* file;
    std::string text;
    bool agrees = true;
};
// The metaball sprites' reach and the sculpture's lift; the backdrop's nightfall; the
// composite's ripple; the blur's reach.
cCopiedShader copiedShaders[] = {
    {"metaball2.vert", "", true}, {"prog.frag", "", true},
    {"overlay.vert", "", true},   {"overlay.frag", "", true},
    {"lolvarlay.frag", "", true}, {"overlayShade.vert", "", true},
    {"horblur.frag", "", true},   {"postprocBlurh.frag", "", true},
    {"verblur.frag", "", true},   {"postprocBlurv.frag", "", true},
};

std::string fileText(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

bool copiedNumbersAgree(std::string_view file) {
    for (const cCopiedShader& shader : copiedShaders) {
        if (file == shader.file) return shader.agrees;
    }
    return true;
}

void showFileReloaded(const std::string& file) {
    for (cCopiedShader& shader : copiedShaders) {
        if (file == shader.file) shader.agrees = fileText(file) == shader.text;
    }
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

void initFinale() {
    for (cCopiedShader& shader : copiedShaders) {
        shader.text = fileText(shader.file);
        shader.agrees = true;
    }
    console << "initing demo finally finished scene" << std::endl;
}

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
