#pragma once
// Bakes a list of assets into a directory, incrementally: each output has a stamp in
// .bake/ holding a hash of its recipe and inputs and a hash of the bytes it produced.
// An output is rebuilt when either no longer matches. Outputs are written to a temporary
// name and renamed, so a failed or interrupted step never leaves a half-written file.

#include <cstdint>
#include <iosfwd>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "asset.h"

namespace nimra::bake {

struct cRunOptions {
    std::string outDir = "data";
    std::vector<std::string> only;  // file names; empty means all
    bool force = false;
    int jobs = 2;
};

// Returns the process exit status: 0 when everything is baked or up to date.
int runBake(const std::vector<cAsset>& assets, const cRunOptions& options, std::ostream& log);

uint64_t hashBytes(const void* data, size_t size, uint64_t seed = 0xcbf29ce484222325ull);
// Throws cBakeError when the file cannot be read.
uint64_t hashFile(const std::string& path);
// Hashes of input files, each read once per run however many outputs share it.
class cInputHashes {
public:
    uint64_t of(const std::string& path);  // throws cBakeError for a missing file

private:
    std::mutex lock;
    std::map<std::string, uint64_t> known;
};

// The hash a stamp records for the recipe: file name, parameters, the baker sources and
// the contents of the input files.
uint64_t recipeHash(const cAsset& asset, cInputHashes& inputs);

}  // namespace nimra::bake
