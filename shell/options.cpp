#include "shell/options.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace nimra {

const char* playerUsage() {
    return "usage: nimra [--windowed] [--fullscreen desktop] [--size WxH] [--start MS] [--loop]\n"
           "             [--mute] [--data DIR] [--edit]\n"
           "\n"
           "Plays the show. With no options: 800 x 600 full screen, from the start, once.\n"
           "\n"
           "  --windowed            in a window instead of full screen\n"
           "  --fullscreen desktop  full screen at the desktop's own resolution (no mode\n"
           "                        switch)\n"
           "  --size WxH            the window's size (default 800x600), or with full screen\n"
           "                        the mode to ask for; the picture is drawn at that\n"
           "                        resolution, kept 4:3 in the middle\n"
           "  --start MS            begin at that moment of the show, the music with it\n"
           "  --loop                start again from the beginning at the end, until Escape\n"
           "  --mute                no sound device; the pictures still follow the music\n"
           "  --data DIR            read the show's files from DIR (default: the working\n"
           "                        directory when it holds them, else the installed ones)\n"
           "  --edit                the makers' keys, readout and live reload (see README)\n"
           "  --help                this text\n"
           "\n"
           "Keys: Escape ends the show; F switches between window and full screen (with\n"
           "--windowed, --fullscreen or --size).\n";
}

bool parseWholeNumber(const std::string& text, long low, long high, int& value) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    const long parsed = std::stol(text);
    if (parsed < low || parsed > high) return false;
    value = static_cast<int>(parsed);
    return true;
}

bool parseFrameSize(const std::string& text, int& width, int& height) {
    const size_t x = text.find_first_of("xX");
    return x != std::string::npos &&
           parseWholeNumber(text.substr(0, x), smallestSide, largestSide, width) &&
           parseWholeNumber(text.substr(x + 1), smallestSide, largestSide, height);
}

bool parsePlayerOptions(int argc, char** argv, cPlayerOptions& options, std::string& error) {
    bool fullscreen = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string text;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--windowed") {
            options.windowed = true;
        } else if (arg == "--fullscreen") {
            if (!value(text)) return false;
            if (text != "desktop") {
                error =
                    "--fullscreen takes 'desktop' (full screen at the desktop's resolution; "
                    "--size WxH asks for a mode), not '" +
                    text + "'";
                return false;
            }
            fullscreen = options.desktop = true;
        } else if (arg == "--size") {
            if (!value(text)) return false;
            if (!parseFrameSize(text, options.width, options.height)) {
                error = "--size wants WIDTHxHEIGHT in pixels, each from " +
                        std::to_string(smallestSide) + " to " + std::to_string(largestSide) +
                        ", not '" + text + "'";
                return false;
            }
            options.sized = true;
        } else if (arg == "--start") {
            if (!value(text)) return false;
            if (!parseWholeNumber(text, 0, showLength - 1, options.startMs)) {
                error = "--start wants a moment of the show in whole milliseconds from 0 to " +
                        std::to_string(showLength - 1) + ", not '" + text + "'";
                return false;
            }
        } else if (arg == "--loop") {
            options.loop = true;
        } else if (arg == "--mute") {
            options.mute = true;
        } else if (arg == "--data") {
            if (!value(options.dataDir)) return false;
            if (options.dataDir.empty()) {
                error = "--data needs a folder";
                return false;
            }
        } else if (arg == "--edit") {
            options.edit = true;
        } else {
            error = "unknown option '" + arg + "'";
            return false;
        }
    }
    if (options.windowed && fullscreen) {
        error = "--windowed and --fullscreen ask for opposite things; give one";
        return false;
    }
    if (options.desktop && options.sized) {
        error = "--fullscreen desktop takes the desktop's size; leave out --size";
        return false;
    }
    return true;
}

bool holdsShowFiles(const std::string& directory) {
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(directory, ec)) {
        const std::string extension = entry.path().extension().string();
        if (extension == ".vert" || extension == ".frag") return true;
    }
    return false;
}

// share/nimra beside the bin/ folder the program was installed into.
static std::string installedDataFolder() {
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return "";
    return (program.parent_path().parent_path() / "share" / "nimra").string();
}

bool chooseDataFolder(const std::string& given, std::string& folder, std::string& error) {
    std::error_code ec;
    if (!given.empty()) {
        if (!fs::is_directory(given, ec)) {
            error = "--data: no folder " + given;
            return false;
        }
        if (!holdsShowFiles(given)) {
            error = "--data: " + given + " does not hold the show's files (no shader sources)";
            return false;
        }
        folder = given;
        return true;
    }
    folder = ".";
    if (holdsShowFiles(".")) return true;
    const std::string installed = installedDataFolder();
    if (!installed.empty() && holdsShowFiles(installed)) folder = installed;
    return true;
}

}  // namespace nimra
