#pragma once
// Live reload while a show is being edited: every shader program and texture loaded from
// files is tracked here for as long as it exists, so that a saved file can be brought back
// into every object built from it without the scenes knowing.

#include <string>
#include <vector>

namespace nimra {

class cShaderProgram;
class cTexture;

// Reloads every tracked program whose vertex or fragment files include fileName and every
// texture loaded from it, in the order they were loaded, printing "reloaded <file> (...)"
// for each one that took. Names match as given to the loaders, up to "./" and doubled
// slashes: the show loads bare names from its working directory. Returns how many took.
int reloadFile(const std::string& fileName);

// Whether two file names, as a loader or a watcher gives them, name the same file.
bool sameFileName(const std::string& a, const std::string& b);

// Kept current by the programs and textures themselves.
namespace liveReload {

void track(cShaderProgram& program);
void forget(const cShaderProgram& program);
void track(cTexture& texture);
void forget(const cTexture& texture);

const std::vector<cShaderProgram*>& programs();
const std::vector<cTexture*>& textures();

}  // namespace liveReload

}  // namespace nimra
