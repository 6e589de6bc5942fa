#pragma once
// The demo program's command line. With no arguments the demo plays as it always has: 800 x
// 600 full screen, from 0, once, with sound, from the working directory. Every option asks
// for something more.

#include <string>

#include "demo/show.h"

namespace nimra {

struct cPlayerOptions {
    bool windowed = false;  // a window instead of full screen
    bool desktop = false;   // full screen at the desktop's own resolution, no mode switch
    bool sized = false;     // --size given
    int width = showWidth;  // the window, or the full-screen mode, asked for
    int height = showHeight;
    int startMs = 0;  // the show begins here, the music with it
    bool loop = false;
    bool mute = false;
    bool edit = false;    // the makers' keys, readout and live reload
    std::string dataDir;  // empty: found (see chooseDataFolder)
    bool help = false;

    // Any option about the window: the picture is then drawn at the window's own resolution,
    // kept 4:3 in the middle of it, and F switches between window and full screen.
    bool shapesWindow() const { return windowed || desktop || sized; }
};

// A whole non-negative decimal number within [low, high], nothing else (no sign, no spaces,
// at most nine digits). The programs' command lines read every number through it.
bool parseWholeNumber(const std::string& text, long low, long high, int& value);
// Every size asked for on the programs' command lines (a window, a full-screen mode, a
// captured frame) has sides within these, so that the framebuffer objects a picture of that
// size needs exist on any GL 2.1 with EXT_framebuffer_object worth drawing with.
constexpr int smallestSide = 16;
constexpr int largestSide = 8192;
// "WxH" (or "WXH"), each side a whole number from smallestSide to largestSide.
bool parseFrameSize(const std::string& text, int& width, int& height);

// False with a one-line reason when the arguments make no sense.
bool parsePlayerOptions(int argc, char** argv, cPlayerOptions& options, std::string& error);

const char* playerUsage();

// A folder holds the show's files when it holds its shader sources (any of them, so that a
// copy with one file taken away still counts).
bool holdsShowFiles(const std::string& directory);

// Where the show's files are read from: the folder given (which must hold them), else the
// working directory when it holds them, else the folder an install put beside the program
// (share/nimra next to its bin/), else the working directory all the same, where every
// missing file is reported as it is loaded. False with a reason for a folder given that
// does not hold the show.
bool chooseDataFolder(const std::string& given, std::string& folder, std::string& error);

}  // namespace nimra
