#include "render/live_reload.h"

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "render/shader_program.h"
#include "render/texture.h"

namespace nimra {

namespace {

struct cRegistry {
    std::vector<cShaderProgram*> programs;
    std::vector<cTexture*> textures;
};

// Never destroyed: objects with static storage forget themselves from their destructors,
// which may run after a function-local static of this file would be gone.
cRegistry& registry() {
    static cRegistry* instance = new cRegistry();
    return *instance;
}

template <typename T>
void remove(std::vector<T*>& list, const T* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

bool usesFile(const std::vector<std::string>& files, const std::string& fileName) {
    return std::any_of(files.begin(), files.end(),
                       [&](const std::string& file) { return sameFileName(file, fileName); });
}

std::string describe(const cShaderProgram& program) {
    std::string text = "program";
    for (const std::string& file : program.vertexFiles)
        text += " " + file;
    text += " +";
    for (const std::string& file : program.fragmentFiles)
        text += " " + file;
    return text;
}

}  // namespace

bool sameFileName(const std::string& a, const std::string& b) {
    if (a == b) return true;
    if (a.empty() || b.empty()) return false;
    return std::filesystem::path(a).lexically_normal() ==
           std::filesystem::path(b).lexically_normal();
}

int reloadFile(const std::string& fileName) {
    int reloaded = 0;
    for (cShaderProgram* program : registry().programs) {
        if (!usesFile(program->vertexFiles, fileName) &&
            !usesFile(program->fragmentFiles, fileName))
            continue;
        if (!program->reload()) continue;
        std::cout << "reloaded " << fileName << " (" << describe(*program) << ")" << std::endl;
        ++reloaded;
    }
    for (cTexture* texture : registry().textures) {
        if (!sameFileName(texture->sourcePath, fileName) && !usesFile(texture->faceFiles, fileName))
            continue;
        if (!texture->reload()) continue;
        std::cout << "reloaded " << fileName << " (texture " << texture->name << ")" << std::endl;
        ++reloaded;
    }
    return reloaded;
}

namespace liveReload {

void track(cShaderProgram& program) { registry().programs.push_back(&program); }
void forget(const cShaderProgram& program) { remove(registry().programs, &program); }
void track(cTexture& texture) { registry().textures.push_back(&texture); }
void forget(const cTexture& texture) { remove(registry().textures, &texture); }

const std::vector<cShaderProgram*>& programs() { return registry().programs; }
const std::vector<cTexture*>& textures() { return registry().textures; }

}  // namespace liveReload

}  // namespace nimra
