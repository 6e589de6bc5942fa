#include "runner.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <ostream>
#include <sstream>
#include <thread>

namespace nimra::bake {

namespace fs = std::filesystem;

namespace {

struct cRecipeRow {
    const char* name;
    const char* digest;
};
const cRecipeRow recipeRows[] = {
#include "recipe_hashes.inc"
};

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string hex(uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

struct cStamp {
    std::string recipe;
    std::string output;
};

cStamp readStamp(const fs::path& path) {
    cStamp stamp;
    std::ifstream in(path);
    std::string key, value;
    while (in >> key >> value) {
        if (key == "recipe") stamp.recipe = value;
        if (key == "output") stamp.output = value;
    }
    return stamp;
}

void writeTextAtomically(const fs::path& path, const std::string& text) {
    fs::path temp = path;
    temp += ".tmp-" + std::to_string(getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out) throw cBakeError("cannot write " + temp.string());
    }
    fs::rename(temp, path);
}

// Serialises bakes into the same directory: the build trees of several people (or a build
// and a test) may start one at the same time.
class cDirectoryLock {
public:
    cDirectoryLock(const fs::path& path, std::ostream& log) {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) throw cBakeError("cannot open lock " + path.string());
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            log << "bake: waiting for another bake of this directory" << std::endl;
            ::flock(fd, LOCK_EX);
        }
    }
    ~cDirectoryLock() { ::close(fd); }

private:
    int fd = -1;
};

}  // namespace

uint64_t hashBytes(const void* data, size_t size, uint64_t seed) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    uint64_t hash = seed;
    for (size_t i = 0; i < size; ++i) {
        hash ^= bytes[i];
        hash *= 0x100000001b3ull;
    }
    return hash;
}

uint64_t hashFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw cBakeError("cannot read " + path);
    uint64_t hash = 0xcbf29ce484222325ull;
    std::vector<char> block(1 << 16);
    while (in) {
        in.read(block.data(), block.size());
        hash = hashBytes(block.data(), in.gcount(), hash);
    }
    return hash;
}

uint64_t cInputHashes::of(const std::string& path) {
    std::lock_guard<std::mutex> hold(lock);
    auto found = known.find(path);
    if (found == known.end()) {
        if (!fs::is_regular_file(path)) throw cBakeError("missing input " + path);
        found = known.emplace(path, hashFile(path)).first;
    }
    return found->second;
}

uint64_t recipeHash(const cAsset& asset, cInputHashes& inputs) {
    std::string recipe = asset.file + '\n' + asset.parameters + '\n';
    for (const std::string& source : asset.sources) {
        const cRecipeRow* row = std::find_if(std::begin(recipeRows), std::end(recipeRows),
                                             [&](const cRecipeRow& r) { return source == r.name; });
        if (row == std::end(recipeRows)) throw cBakeError("unknown recipe source " + source);
        recipe += source + ' ' + row->digest + '\n';
    }
    for (const std::string& input : asset.inputs)
        recipe += input + ' ' + hex(inputs.of(input)) + '\n';
    return hashBytes(recipe.data(), recipe.size());
}

int runBake(const std::vector<cAsset>& assets, const cRunOptions& options, std::ostream& log) {
    const auto start = std::chrono::steady_clock::now();
    const fs::path outDir = options.outDir;
    const fs::path stampDir = outDir / ".bake";
    std::error_code error;
    fs::create_directories(stampDir, error);
    if (error) {
        log << "bake: error: cannot create " << stampDir.string() << ": " << error.message()
            << std::endl;
        return 1;
    }

    std::vector<const cAsset*> selected;
    for (const cAsset& asset : assets) {
        if (options.only.empty() ||
            std::find(options.only.begin(), options.only.end(), asset.file) != options.only.end())
            selected.push_back(&asset);
    }
    for (const std::string& name : options.only) {
        if (std::none_of(assets.begin(), assets.end(),
                         [&](const cAsset& a) { return a.file == name; })) {
            log << "bake: error: " << name << ": no such output" << std::endl;
            return 1;
        }
    }

    try {
        cDirectoryLock lock(stampDir / "lock", log);

        // Leftovers of a bake that was killed half-way.
        for (const auto& entry : fs::directory_iterator(outDir, error)) {
            const std::string name = entry.path().filename().string();
            if (name.size() > 1 && name[0] == '.' && name.find(".tmp-") != std::string::npos)
                fs::remove(entry.path(), error);
        }

        struct cJob {
            const cAsset* asset;
            std::string recipe;
        };
        std::vector<cJob> jobs;
        size_t upToDate = 0;
        cInputHashes inputHashes;
        for (const cAsset* asset : selected) {
            std::string recipe;
            try {
                recipe = hex(recipeHash(*asset, inputHashes));
            } catch (const std::exception& e) {
                log << "bake: error: " << (outDir / asset->file).string() << ": " << e.what()
                    << std::endl;
                return 1;
            }
            const fs::path output = outDir / asset->file;
            const cStamp stamp = readStamp(stampDir / (asset->file + ".stamp"));
            bool current = !options.force && stamp.recipe == recipe && fs::is_regular_file(output);
            if (current) {
                try {
                    current = stamp.output == hex(hashFile(output.string()));
                } catch (const cBakeError&) {
                    current = false;
                }
            }
            if (current)
                ++upToDate;
            else
                jobs.push_back({asset, recipe});
        }
        std::stable_sort(jobs.begin(), jobs.end(), [](const cJob& a, const cJob& b) {
            return a.asset->weight > b.asset->weight;
        });

        std::mutex logMutex;
        std::atomic<size_t> next{0};
        std::atomic<size_t> done{0};
        std::atomic<bool> failed{false};
        auto worker = [&] {
            for (size_t i; !failed && (i = next++) < jobs.size();) {
                const cJob& job = jobs[i];
                const fs::path output = outDir / job.asset->file;
                fs::path temp =
                    outDir / ("." + job.asset->file + ".tmp-" + std::to_string(getpid()));
                const auto stepStart = std::chrono::steady_clock::now();
                try {
                    job.asset->make(temp.string());
                    if (!fs::is_regular_file(temp)) throw cBakeError("no output was written");
                    const std::string outputHash = hex(hashFile(temp.string()));
                    fs::rename(temp, output);
                    writeTextAtomically(stampDir / (job.asset->file + ".stamp"),
                                        "recipe " + job.recipe + "\noutput " + outputHash + "\n");
                    std::lock_guard<std::mutex> hold(logMutex);
                    char line[256];
                    std::snprintf(line, sizeof line, "bake: [%zu/%zu] %s (%.2f s)", ++done,
                                  jobs.size(), job.asset->file.c_str(), secondsSince(stepStart));
                    log << line << std::endl;
                } catch (const std::exception& e) {
                    std::error_code ignored;
                    fs::remove(temp, ignored);
                    failed = true;
                    std::lock_guard<std::mutex> hold(logMutex);
                    log << "bake: error: " << output.string() << ": " << e.what() << std::endl;
                }
            }
        };
        std::vector<std::thread> threads;
        const int threadCount = std::max(1, std::min<int>(options.jobs, jobs.size()));
        for (int i = 1; i < threadCount; ++i)
            threads.emplace_back(worker);
        worker();
        for (std::thread& thread : threads)
            thread.join();
        if (failed) return 1;

        char line[128];
        std::snprintf(line, sizeof line, "bake: %zu baked, %zu up to date (%.2f s)", jobs.size(),
                      upToDate, secondsSince(start));
        log << line << std::endl;
    } catch (const std::exception& e) {
        log << "bake: error: " << e.what() << std::endl;
        return 1;
    }
    return 0;
}

}  // namespace nimra::bake
