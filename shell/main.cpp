// nimra: an audio-visual demo, 207 seconds long. With no arguments it plays as it always
// has: 800 x 600 full screen, from the start, once, loading its shaders, pictures, meshes
// and music from the working directory. The options (nimra --help) ask for more.

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "shell/edit.h"
#include "shell/options.h"
#include "shell/startup.h"

int main(int argc, char** argv) {
    nimra::cPlayerOptions options;
    std::string error;
    // Every mistake is told before any window opens.
    if (!nimra::parsePlayerOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "nimra: %s (nimra --help lists the options)\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(nimra::playerUsage(), stdout);
        return 0;
    }
    std::error_code ignored;
    const std::string launched = std::filesystem::current_path(ignored).string();
    std::string data;
    if (!nimra::chooseDataFolder(options.dataDir, data, error)) {
        std::fprintf(stderr, "nimra: %s\n", error.c_str());
        return 2;
    }
    if (data != "." && chdir(data.c_str()) != 0) {
        std::fprintf(stderr, "nimra: cannot enter %s\n", data.c_str());
        return 2;
    }

    nimra::cShowScreen screen;
    screen.fullScreen = !options.windowed;
    screen.desktop = options.desktop;
    screen.width = options.width;
    screen.height = options.height;
    screen.keepAspect = options.shapesWindow();
    nimra::startUp(screen, options.mute);
    if (options.edit) nimra::startEditing(launched, options.loop);
    return nimra::mainLoop(options);
}
