#include "demo/demo.h"

#include "demo/creatures.h"
#include "demo/interludes.h"
#include "demo/loudspeakers.h"
#include "demo/opening.h"
#include "demo/tunnel.h"
#include "demo/word_cards.h"
#include "render/blur.h"
#include "runtime/state.h"

namespace nimra {

void initFinale() { console << "initing demo finally finished scene" << std::endl; }

const std::vector<SceneInitialiser>& sceneInitialisers() {
    static const std::vector<SceneInitialiser> list = {
        initOpeningScene, initTunnel,     initLoudspeakers,
        initCreatures,    initBreak,      initFinale,
        initWordCards,    initSlideCards, [] { initBlur(256, 256); },
    };
    return list;
}

}  // namespace nimra
