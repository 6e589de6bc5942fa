#include "asset.h"

namespace nimra::bake {

std::vector<cAsset> allAssets() {
    std::vector<cAsset> assets;
    addCardAssets(assets);
    addPictureAssets(assets);
    addTextureAssets(assets);
    addMeshAssets(assets);
    addMusicAssets(assets);
    addReadoutFontAssets(assets);
    return assets;
}

}  // namespace nimra::bake
