#include "options.h"

#include <strings.h>

#include <cerrno>
#include <cstdlib>

#include "render/picture_target.h"
#include "shell/options.h"

namespace capture {

const char* usage() {
    return "usage: capture [--data DIR] [--out DIR] [--fps N] [--size WxH] [--ssaa N] [--at "
           "MS]...\n"
           "               [--from MS --to MS] [--frames] [--video FILE [--crf N | --lossless]]\n"
           "               [--jobs N] [--wav FILE] [--visit MS-MS]... [--draw-hidden]\n"
           "               [--bench [--layers] [--cpu]]\n"
           "\n"
           "Renders the show offline on a fixed step (--fps, default 60), building every\n"
           "frame's state by playing the show from 0 ms, with the music's spectrum taken at\n"
           "each frame's own time. Run it under tests/with-xvfb.sh, like the demo.\n"
           "\n"
           "  --data DIR     load the show's files from DIR (default: the current directory)\n"
           "  --out DIR      where PNG files go (default: captures)\n"
           "  --fps N        frame rate of the fixed step, 1 to 1000\n"
           "  --size WxH     every frame WxH pixels (default 800x600), or 1080p, 1440p, 4k:\n"
           "                 the show drawn offscreen at that resolution, 4:3 in the middle\n"
           "                 with black bars\n"
           "  --ssaa N       draw every picture N times larger on both axes (1 to 4) and\n"
           "                 filter it down in linear light, for clean edges\n"
           "  --at MS        the frame at demo time MS, as OUT/at_MS.png (repeatable)\n"
           "  --from MS      first and last demo time of a stretch rendered at the frame rate;\n"
           "  --to MS        without --video it becomes OUT/frame_NNNNNN.png\n"
           "  --frames       write the PNG sequence as well as the video\n"
           "  --video FILE   encode the stretch (the whole show without --from/--to) with the\n"
           "                 music into FILE: H.264 High, yuv420p, BT.709 limited range,\n"
           "                 AAC 320 kbit/s (ffmpeg)\n"
           "  --crf N        x264's constant quality, 1 to 51 (default 18, visually lossless)\n"
           "  --lossless     encode the drawn RGB pixels losslessly instead (H.264 High\n"
           "                 4:4:4 Predictive, RGB), for an archive copy\n"
           "  --jobs N       draw the stretch in N processes at once (1 to 16), each playing\n"
           "                 the show from 0 ms; the video's parts are joined unencoded\n"
           "  --wav FILE     the stretch's music as the show plays it (the whole track\n"
           "                 without a stretch), as a 16-bit stereo WAV file\n"
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

// Every number, as the demo's command line reads them.
static bool parseNumber(const std::string& text, int low, int high, int& value) {
    return nimra::parseWholeNumber(text, low, high, value);
}

bool parseSize(const std::string& text, int& width, int& height) {
    struct cPreset {
        const char* name;
        int width, height;
    };
    static const cPreset presets[] = {
        {"1080p", 1920, 1080}, {"1440p", 2560, 1440}, {"4k", 3840, 2160}};
    for (const cPreset& preset : presets) {
        if (strcasecmp(text.c_str(), preset.name) == 0) {
            width = preset.width;
            height = preset.height;
            return true;
        }
    }
    return nimra::parseFrameSize(text, width, height);
}

static std::string sizeText(int width, int height) {
    return std::to_string(width) + "x" + std::to_string(height);
}

bool parseOptions(int argc, char** argv, cOptions& options, std::string& error) {
    bool crfGiven = false;
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
        } else if (arg == "--size") {
            std::string text;
            if (!value(text)) return false;
            if (!parseSize(text, options.width, options.height)) {
                error = "--size wants WIDTHxHEIGHT, each from " +
                        std::to_string(nimra::smallestSide) + " to " +
                        std::to_string(nimra::largestSide) + ", or 1080p, 1440p or 4k, not '" +
                        text + "'";
                return false;
            }
        } else if (arg == "--ssaa") {
            std::string text;
            if (!value(text)) return false;
            if (!parseNumber(text, 1, largestSupersampling, options.ssaa)) {
                error = "--ssaa wants a whole number from 1 to " +
                        std::to_string(largestSupersampling) + ", not '" + text + "'";
                return false;
            }
        } else if (arg == "--crf") {
            std::string text;
            if (!value(text)) return false;
            // x264 takes 0 as lossless, which the High profile cannot carry: --lossless.
            if (!parseNumber(text, 1, 51, options.crf)) {
                error = "--crf wants a whole number from 1 to 51 (for 0, --lossless), not '" +
                        text + "'";
                return false;
            }
            crfGiven = true;
        } else if (arg == "--lossless") {
            options.lossless = true;
        } else if (arg == "--jobs") {
            std::string text;
            if (!value(text)) return false;
            if (!parseNumber(text, 1, largestJobs, options.jobs)) {
                error = "--jobs wants a whole number of processes from 1 to " +
                        std::to_string(largestJobs) + ", not '" + text + "'";
                return false;
            }
        } else if (arg == "--wav") {
            if (!value(options.wav)) return false;
            if (options.wav.empty()) {
                error = "--wav needs a file name";
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
    const bool video = !options.video.empty();
    if (video && !options.visits.empty()) {
        error = "--visit goes without --video";
        return false;
    }
    if (options.frames && !stretch && !video) {
        error = "--frames needs --from and --to (or --video)";
        return false;
    }
    if ((crfGiven || options.lossless) && !video) {
        error = std::string(crfGiven ? "--crf" : "--lossless") + " goes with --video";
        return false;
    }
    if (crfGiven && options.lossless) {
        error = "--crf goes without --lossless";
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
    if (options.jobs > 1) {
        if (!stretch && !video) {
            error = "--jobs goes with a stretch: --from and --to, or --video";
            return false;
        }
        if (options.bench || !options.at.empty()) {
            error = std::string("--jobs goes without ") + (options.bench ? "--bench" : "--at");
            return false;
        }
    }
    if (video && (options.width % 2 || options.height % 2)) {
        error =
            "--video needs an even width and height (yuv420p halves the colour on both "
            "axes), not " +
            sizeText(options.width, options.height);
        return false;
    }
    const nimra::cPixelRect picture = nimra::fitPicture(options.width, options.height);
    if (int64_t(picture.width) * options.ssaa > largestPictureSide ||
        int64_t(picture.height) * options.ssaa > largestPictureSide) {
        error = "a " + sizeText(options.width, options.height) + " frame with --ssaa " +
                std::to_string(options.ssaa) + " would draw a " +
                sizeText(picture.width * options.ssaa, picture.height * options.ssaa) +
                " picture, more than " + std::to_string(largestPictureSide) + " on a side";
        return false;
    }
    // The whole show, as it is published.
    if (video && !stretch) {
        options.from = 0;
        options.to = showEnd;
    }
    const bool stretchNow = options.from >= 0;
    if (stretchNow && !options.bench && !video && options.wav.empty()) options.frames = true;
    if (options.at.empty() && !stretchNow && !options.bench && options.visits.empty() &&
        options.wav.empty()) {
        error = "nothing to do: give --at, --from/--to, --video, --wav or --bench";
        return false;
    }
    return true;
}

}  // namespace capture
