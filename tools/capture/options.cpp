#include "options.h"

#include <cerrno>
#include <cstdlib>

namespace capture {

const char* usage() {
    return "usage: capture [--data DIR] [--out DIR] [--fps N] [--at MS]...\n"
           "               [--from MS --to MS [--frames] [--video FILE]] [--visit MS-MS]...\n"
           "               [--draw-hidden] [--bench [--layers] [--cpu]]\n"
           "\n"
           "Renders the show offline on a fixed step (--fps, default 60), building every\n"
           "frame's state by playing the show from 0 ms, with the music's spectrum taken at\n"
           "each frame's own time. Run it under tests/with-xvfb.sh, like the demo.\n"
           "\n"
           "  --data DIR     load the show's files from DIR (default: the current directory)\n"
           "  --out DIR      where PNG files go (default: captures)\n"
           "  --fps N        frame rate of the fixed step, 1 to 1000\n"
           "  --at MS        the frame at demo time MS, as OUT/at_MS.png (repeatable)\n"
           "  --from MS      first and last demo time of a stretch rendered at the frame rate;\n"
           "  --to MS        without --video it becomes OUT/frame_NNNNNN.png\n"
           "  --frames       write the PNG sequence as well as the video\n"
           "  --video FILE   encode the stretch with the music into FILE (ffmpeg, H.264/AAC)\n"
           "  --visit A-B    play only from A to B ms at the frame rate (repeatable): after\n"
           "                 the show's first frame at 0 the clock jumps to each visit in a\n"
           "                 single long frame, as after a stall; --at frames are drawn too\n"
           "  --draw-hidden  also draw what the show leaves out because a later layer covers\n"
           "                 it or it would change nothing (the frames must come out the\n"
           "                 same, only slower)\n"
           "  --bench        render the show (or the stretch) as fast as possible and print\n"
           "                 median, 95th percentile and worst frame time per window, also\n"
           "                 in full-screen textured passes measured on the same machine\n"
           "  --layers       with --bench: also the median time of every part of the frame\n"
           "                 per window (slower: the GL work is finished after each part)\n"
           "  --cpu          with --bench: CPU time of the whole process (every renderer\n"
           "                 thread) instead of wall-clock time; steadier on a busy machine\n";
}

// A whole non-negative decimal number within [low, high], nothing else.
static bool parseNumber(const std::string& text, int low, int high, int& value) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    const long parsed = std::strtol(text.c_str(), nullptr, 10);
    if (parsed < low || parsed > high) return false;
    value = static_cast<int>(parsed);
    return true;
}

bool parseOptions(int argc, char** argv, cOptions& options, std::string& error) {
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
        auto time = [&](int& out) {
            std::string text;
            if (!value(text)) return false;
            if (!parseNumber(text, 0, showEnd, out)) {
                error = arg + " wants a demo time in whole milliseconds from 0 to " +
                        std::to_string(showEnd) + ", not '" + text + "'";
                return false;
            }
            return true;
        };

        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--data") {
            if (!value(options.dataDir)) return false;
        } else if (arg == "--out") {
            if (!value(options.outDir)) return false;
        } else if (arg == "--fps") {
            std::string text;
            if (!value(text)) return false;
            if (!parseNumber(text, 1, 1000, options.fps)) {
                error = "--fps wants a whole number of frames per second from 1 to 1000, not '" +
                        text + "'";
                return false;
            }
        } else if (arg == "--at") {
            int ms = 0;
            if (!time(ms)) return false;
            options.at.push_back(ms);
        } else if (arg == "--from") {
            if (!time(options.from)) return false;
        } else if (arg == "--to") {
            if (!time(options.to)) return false;
        } else if (arg == "--frames") {
            options.frames = true;
        } else if (arg == "--video") {
            if (!value(options.video)) return false;
            if (options.video.empty()) {
                error = "--video needs a file name";
                return false;
            }
        } else if (arg == "--visit") {
            std::string text;
            if (!value(text)) return false;
            const size_t dash = text.find('-');
            int first = 0, last = 0;
            if (dash == std::string::npos ||
                !parseNumber(text.substr(0, dash), 0, showEnd, first) ||
                !parseNumber(text.substr(dash + 1), 0, showEnd, last) || last < first) {
                error = "--visit wants FIRST-LAST in whole milliseconds from 0 to " +
                        std::to_string(showEnd) + ", FIRST not after LAST, not '" + text + "'";
                return false;
            }
            options.visits.emplace_back(first, last);
        } else if (arg == "--bench") {
            options.bench = true;
        } else if (arg == "--layers") {
            options.layers = true;
        } else if (arg == "--draw-hidden") {
            options.drawHidden = true;
        } else if (arg == "--cpu") {
            options.cpu = true;
        } else {
            error = "unknown argument '" + arg + "'";
            return false;
        }
    }
    if (options.help) return true;

    const bool stretch = options.from >= 0 || options.to >= 0;
    if (stretch && (options.from < 0 || options.to < 0)) {
        error = "--from and --to go together";
        return false;
    }
    if (stretch && options.to < options.from) {
        error = "--to (" + std::to_string(options.to) + ") is before --from (" +
                std::to_string(options.from) + ")";
        return false;
    }
    if ((options.frames || !options.video.empty()) && !stretch) {
        error = std::string(options.frames ? "--frames" : "--video") + " needs --from and --to";
        return false;
    }
    if ((options.layers || options.cpu) && !options.bench) {
        error = std::string(options.layers ? "--layers" : "--cpu") + " goes with --bench";
        return false;
    }
    if (stretch && !options.visits.empty()) {
        error = "--visit goes without --from and --to";
        return false;
    }
    if (stretch && !options.bench && options.video.empty()) options.frames = true;
    if (options.at.empty() && !stretch && !options.bench && options.visits.empty()) {
        error = "nothing to do: give --at, --from/--to or --bench";
        return false;
    }
    return true;
}

}  // namespace capture
