#include "demo/demo.h"

#include "render/blur.h"
#include "shell/state.h"

namespace nimra {

void initFinale() { console << "initing demo finally finished scene" << std::endl; }

const std::vector<SceneInitialiser>& sceneInitialisers() {
    static const std::vector<SceneInitialiser> list = {
        initFinale,
        [] { initBlur(256, 256); },
    };
    return list;
}

}  // namespace nimra
