#pragma once
// Which files of one folder were saved, for edit mode: inotify reports every file closed
// after writing and every file renamed into the folder, the way editors that write a
// temporary file and rename it save. Files of subfolders are not watched.

#include <string>
#include <vector>

namespace nimra {

class cFileWatch {
public:
    cFileWatch() = default;
    cFileWatch(const cFileWatch&) = delete;
    cFileWatch& operator=(const cFileWatch&) = delete;
    ~cFileWatch();

    // Watches the folder from now on, instead of any folder watched before. False, with a
    // line saying why, when it cannot be watched; nothing is watched then.
    bool start(const std::string& directory);
    bool started() const { return descriptor != -1; }

    // The names, relative to the folder, of the files saved since the last call, each once,
    // in the order they were first saved. Never waits; empty when not started.
    std::vector<std::string> changed();

private:
    void stop();

    int descriptor = -1;  // the inotify instance, only while started
};

}  // namespace nimra
