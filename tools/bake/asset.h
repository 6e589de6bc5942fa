#pragma once
// One baked output: its file name in data/, what it is made from, and how to make it.

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace nimra::bake {

struct cAsset {
    std::string file;                  // name inside the output directory
    std::vector<std::string> sources;  // baker sources whose text is the recipe
    std::vector<std::string> inputs;   // outside files read while baking (fonts, soundfont)
    std::string parameters;            // anything else that shapes the bytes
    // Writes the output to the given path (a temporary name; the runner renames it).
    // Throws cBakeError with a reason on failure.
    std::function<void(const std::string& path)> make;
    double weight = 1;  // rough cost, to start the slow steps first
};

struct cBakeError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The recipe sources shared by every image.
inline std::vector<std::string> imageSources(std::initializer_list<std::string> extra) {
    std::vector<std::string> sources = {"image.cpp",    "image.h",   "vector_art.cpp",
                                        "vector_art.h", "noise.cpp", "noise.h"};
    sources.insert(sources.end(), extra);
    return sources;
}

// Each module appends its outputs.
void addCardAssets(std::vector<cAsset>& assets);
void addPictureAssets(std::vector<cAsset>& assets);
void addTextureAssets(std::vector<cAsset>& assets);
void addMeshAssets(std::vector<cAsset>& assets);
void addMusicAssets(std::vector<cAsset>& assets);
void addReadoutFontAssets(std::vector<cAsset>& assets);

std::vector<cAsset> allAssets();

}  // namespace nimra::bake
