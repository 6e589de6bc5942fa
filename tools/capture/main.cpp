// capture: renders any moment of the show offline, on a fixed step, through the demo's own
// start-up and frame code, at any size. Frames become PNG files or a video with the music,
// drawn by one process or several; --bench times every frame instead.

#include <SDL/SDL.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "audio/audio.h"
#include "bench.h"
#include "demo/timeline.h"
#include "ending.h"
#include "jobs.h"
#include "options.h"
#include "output.h"
#include "reference.h"
#include "render/framebuffer.h"
#include "render/gl.h"
#include "render/picture_target.h"
#include "runtime/state.h"
#include "shell/frame.h"
#include "shell/options.h"
#include "shell/reach.h"
#include "shell/screen.h"
#include "shell/startup.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using nimra::gridFrameBefore;
using nimra::gridTime;
using nimra::musicFile;

namespace capture {

// A job's pieces of the video are about this long: long enough that the keyframe each
// one starts with costs nothing to speak of, short enough to share out every scene.
constexpr int pieceSeconds = 10;

static double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// --layers: each part of the frame is finished and timed as the timeline reports it.
static cLayerFrame layerFrame;
static double layerStart = 0.0;
static void timeLayer(const char* layer) {
    glFinish();
    const double now = benchNowMs();
    const int index = layerIndex(layer);
    if (index >= 0) layerFrame.milliseconds[index] += now - layerStart;
    layerStart = now;
}

static int fail(const std::string& message) {
    // A stop under way is what ended the work: it says nothing, and exits for the tool.
    waitIfEnding();
    std::fprintf(stderr, "capture: %s\n", message.c_str());
    return 1;
}

static std::string minutes(double seconds) {
    const int whole = static_cast<int>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d", whole / 60, whole % 60);
    return text;
}

// A progress line for runs longer than a few seconds: frames done, frames per second and
// the time left, from the share of the frames (or, for runs that export nothing, of the
// show's time) done so far.
class cProgress {
public:
    cProgress(long frameTotal, int lastMs)
        : frameTotal(frameTotal), lastMs(lastMs), start(Clock::now()) {
        terminal = isatty(fileno(stderr));
    }

    // t: the show's time reached; frames: the frames drawn (exported, when exporting).
    void update(int t, long frames) {
        const double elapsed = secondsSince(start);
        if (elapsed < 3.0 || elapsed - lastShown < (terminal ? 0.5 : 10.0)) return;
        lastShown = elapsed;
        const double done = frameTotal > 0 ? double(frames) / frameTotal
                            : lastMs > 0   ? double(t) / lastMs
                                           : 1.0;
        const double left = done > 0.0 ? elapsed * (1.0 - done) / done : 0.0;
        char line[160];
        if (frameTotal > 0) {
            std::snprintf(line, sizeof line, "capture: %ld of %ld frames, %.1f fps", frames,
                          frameTotal, frames / elapsed);
        } else {
            std::snprintf(line, sizeof line, "capture: %.1f s of %.1f s, %ld frames, %.1f fps",
                          t / 1000.0, lastMs / 1000.0, frames, frames / elapsed);
        }
        std::fprintf(stderr, "%s%s, about %s left%s", terminal ? "\r" : "", line,
                     minutes(left).c_str(), terminal ? "   " : "\n");
        shown = true;
    }

    void finish() {
        if (shown && terminal) std::fputc('\n', stderr);
        shown = false;
    }

    bool exporting() const { return frameTotal > 0; }

private:
    long frameTotal;
    int lastMs;
    Clock::time_point start;
    bool terminal = false;
    bool shown = false;
    double lastShown = -1.0e9;  // the first line comes as soon as a run is long enough
};

// Whether a grid frame at t is drawn: always, unless visits are given and t is in none.
static bool visiting(const std::vector<std::pair<int, int>>& visits, int t) {
    if (visits.empty()) return true;
    for (const auto& [first, last] : visits) {
        if (first <= t && t <= last) return true;
    }
    return false;
}

// The output frame and where the show's picture lies in it. At the demo's own 800 x 600
// the show draws straight into the window, as the demo does; at any other size, or
// supersampled, it draws offscreen at the picture's size (times ssaa).
struct cShape {
    int width = defaultWidth;
    int height = defaultHeight;
    nimra::cPixelRect picture;
    int ssaa = 1;
    bool offscreen = false;

    bool barred() const { return picture.width != width || picture.height != height; }
};

static cShape shapeOf(const cOptions& options) {
    cShape shape;
    shape.width = options.width;
    shape.height = options.height;
    shape.ssaa = options.ssaa;
    shape.picture = nimra::fitPicture(options.width, options.height);
    if (!options.video.empty()) {
        // yuv420p keeps one colour for every 2 x 2 block, counted from the top left: a
        // picture on even columns and rows, of even size, shares none with its bars.
        nimra::cPixelRect& p = shape.picture;
        p.width -= p.width % 2;
        p.height -= p.height % 2;
        p.x = (options.width - p.width) / 2;
        p.x -= p.x % 2;
        const int top = (options.height - p.height + 1) / 2;
        p.y = options.height - p.height - (top - top % 2);
    }
    shape.offscreen =
        options.width != defaultWidth || options.height != defaultHeight || options.ssaa > 1;
    return shape;
}

// Turns the picture just drawn into an output frame: filtered down when drawn larger, and
// read back straight into one frame kept for the whole run, whose bars are cleared once. Its
// rows run bottom-up, as GL reads them; the PNG writer and the encoder take them that way.
class cFrameGrabber {
public:
    explicit cFrameGrabber(const cShape& shape) : shape(shape) {}

    // After start-up, which made the picture the show draws into.
    bool prepare(std::string& error) {
        frame.assign(size_t(shape.width) * shape.height * 3, 0);
        if (shape.ssaa == 1) return true;
        if (!nimra::pictureFilterReady()) {
            error =
                "the program that filters the supersampled picture down does not link on "
                "this GL (see its log above)";
            return false;
        }
        if (!nimra::offscreenPicture() ||
            !filtered.create(shape.picture.width, shape.picture.height)) {
            error = "cannot make the " + std::to_string(shape.picture.width) + " x " +
                    std::to_string(shape.picture.height) + " picture to filter down into";
            return false;
        }
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, nimra::windowFramebuffer());
        return true;
    }

    // Right after the frame is drawn: the picture filtered down, when drawn larger.
    void finish() {
        if (shape.ssaa > 1) nimra::downsamplePicture(*nimra::offscreenPicture(), filtered);
    }

    // After finish: the frame read back, and the show's own framebuffer bound again. False
    // when GL could not read it.
    bool read() {
        const bool read = nimra::readFrameInto(shape.picture, shape.width, shape.height, frame);
        if (shape.ssaa > 1) glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, nimra::windowFramebuffer());
        return read;
    }

    const std::vector<uint8_t>& rows() const { return frame; }

private:
    cShape shape;
    nimra::cPictureTarget filtered;
    std::vector<uint8_t> frame;
};

// What a run draws and where it goes, worked out before anything starts.
struct cPlan {
    fs::path dataDir;
    fs::path outDir;
    fs::path workDir;  // pieces of the video and job logs; empty when none is needed
    std::string videoPath;
    cShape shape;
    std::vector<int> at;  // single frames, sorted, once each
    bool stretch = false;
    bool drawsStretch = false;  // for its frames, its video or the benchmark
    long firstFrame = 0;        // the stretch's frames on the fixed step, both included
    long lastFrame = -1;
    int lastMs = 0;  // the last frame any job plays
    std::vector<cPiece> pieces;

    long stretchFrames() const { return stretch ? lastFrame - firstFrame + 1 : 0; }
    std::string pieceFile(size_t index) const {
        char name[32];
        std::snprintf(name, sizeof name, "piece_%05zu.mp4", index);
        return (workDir / name).string();
    }
};

// What one process drew, for the parent's report.
struct cDrawn {
    int pngFiles = 0;
};

// Draws the show for one job: the --at frames, each reached as every program reaches a
// moment; then this job's pieces of the stretch, the whole show for the benchmark, or the
// visits, frame after frame; every frame played on the fixed step from 0 ms on the way, and
// only those asked for drawn. done counts the frames exported so far.
static int drawShow(const cOptions& options, const cPlan& plan, int job, std::atomic<long>& done,
                    bool showProgress, Clock::time_point launched, cDrawn& drawn) {
    std::error_code ec;
    fs::current_path(plan.dataDir, ec);
    if (ec) return fail("cannot enter " + plan.dataDir.string());

    // Nothing is played: the music is only read, at each frame's own time.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    nimra::audio::setNonRealTime(true);
    const cShape& shape = plan.shape;
    nimra::cShowScreen screen;
    if (shape.offscreen) {
        screen.pictureWidth = shape.picture.width * shape.ssaa;
        screen.pictureHeight = shape.picture.height * shape.ssaa;
    }
    nimra::startUp(screen);
    std::string error;
    cFrameGrabber grabber(shape);
    if (!grabber.prepare(error)) return fail(error);

    const int fps = options.fps;
    const bool exportsVideo = !plan.videoPath.empty();
    cVideoEncoder video;
    // Each job's encoder gets its share of the cores, beside the jobs' own drawing.
    const int cores = std::max(1u, std::thread::hardware_concurrency());
    const int encoderThreads = std::max(1, cores / std::max(1, options.jobs));
    cVideoSettings settings;
    settings.width = shape.width;
    settings.height = shape.height;
    settings.fps = fps;
    settings.crf = options.crf;
    settings.lossless = options.lossless;
    settings.threads = encoderThreads;
    std::vector<cFrameTiming> timings;
    std::vector<cLayerFrame> layerFrames;
    if (options.layers) nimra::setLayerProbe(timeLayer);
    useProcessCpuTime(options.cpu);
    nimra::skipHiddenWork = !options.drawHidden;
    long frames = 0;
    double benchSeconds = 0.0;
    cProgress progress(plan.stretch && (options.frames || exportsVideo) ? plan.stretchFrames() : 0,
                       plan.lastMs);

    // After every frame drawn: the start-up time once, and the show's state checked, since a
    // phase or particle that is no longer a number would reach the picture from here on.
    const auto checked = [&](int t) {
        if (frames++ == 0) {
            std::printf("start-up: %.0f ms to the first frame\n", secondsSince(launched) * 1000.0);
            std::fflush(stdout);
        }
        if (nimra::showStateIsFinite()) return true;
        fail("the show's state is not finite after the frame at " + std::to_string(t) + " ms (" +
             std::to_string(nimra::frameTime) + " ms long)");
        return false;
    };
    // The frame just drawn, read back.
    const auto read = [&](int t) {
        if (grabber.read()) return true;
        fail("GL could not read back the frame at " + std::to_string(t) + " ms");
        return false;
    };
    const auto writeAt = [&](int t) {
        if (!read(t)) return false;
        const fs::path file = plan.outDir / ("at_" + std::to_string(t) + ".png");
        const cWriting writing(file.string());
        if (!writePng(file.string(), shape.width, shape.height, grabber.rows(), false, error,
                      nimra::eRows::bottomUp)) {
            fail(error);
            return false;
        }
        ++drawn.pngFiles;
        return true;
    };

    // Visits are a play of their own, with the --at frames in it (see below); otherwise each
    // single frame is the moment as the player, the edit mode and every job reach it.
    if (options.visits.empty()) {
        for (int t : plan.at) {
            nimra::reachMoment(t, fps);
            nimra::redrawFrame();
            grabber.finish();
            glFinish();
            if (!checked(t) || !writeAt(t)) return 1;
        }
    }

    // One drawn frame of a play at t: frame index of the fixed step (-1 off it), whether the
    // benchmark times it and whether it is a single frame asked for.
    size_t piece = 0;
    const auto play = [&](int t, long index, bool timed, bool single) {
        const bool inStretch = plan.stretch && index >= plan.firstFrame && index <= plan.lastFrame;
        while (inStretch && plan.pieces[piece].last < index)
            ++piece;
        const bool exported = inStretch && (options.frames || exportsVideo);
        const double frameStart = benchNowMs();
        layerFrame = cLayerFrame{t};
        layerStart = frameStart;
        nimra::playFrameAt(t, true, fps);
        if (options.bench || single || exported) grabber.finish();
        glFinish();
        double frameMs = benchNowMs() - frameStart;
        if (!checked(t)) return false;

        if (single && !writeAt(t)) return false;
        if (exported && !read(t)) return false;
        if (exported && options.frames) {
            char name[32];
            std::snprintf(name, sizeof name, "frame_%06ld.png", index - plan.firstFrame);
            const std::string file = (plan.outDir / name).string();
            const cWriting writing(file);
            if (!writePng(file, shape.width, shape.height, grabber.rows(), true, error,
                          nimra::eRows::bottomUp)) {
                fail(error);
                return false;
            }
            ++drawn.pngFiles;
        }
        if (exported && exportsVideo) {
            const cPiece& current = plan.pieces[piece];
            bool written =
                index != current.first || video.open(plan.pieceFile(piece), settings, error);
            if (written && !video.write(grabber.rows())) {
                std::string reason;
                video.close(reason);
                error = "writing " + plan.videoPath + ": " + reason;
                written = false;
            }
            if (written && index == current.last) written = video.close(error);
            if (!written) {
                fail(error);
                return false;
            }
        }
        if (exported) done.fetch_add(1, std::memory_order_relaxed);

        if (options.bench) {
            // The demo swaps after every frame; that belongs in its frame time. A picture
            // drawn offscreen for export is never shown.
            double swapMs = 0.0;
            if (!shape.offscreen) {
                const double swapStart = benchNowMs();
                SDL_GL_SwapBuffers();
                glFinish();
                swapMs = benchNowMs() - swapStart;
            }
            frameMs += swapMs;
            if (timed) {
                timings.push_back(cFrameTiming{t, frameMs});
                benchSeconds += frameMs / 1000.0;
                if (options.layers) {
                    layerFrame.milliseconds[layerIndex("swap")] = swapMs;
                    layerFrames.push_back(layerFrame);
                }
            }
        }
        if (showProgress) progress.update(t, progress.exporting() ? done.load() : frames);
        return true;
    };

    if (!options.visits.empty()) {
        // The show's first frame at 0 (always drawn, as it starts the demo's clock, but neither
        // timed nor written unless asked for), then every frame of the step inside a visit and
        // every --at frame, in time order: the clock jumps from one to the next in a single
        // long frame, as after a stall, and the frames in between are never drawn.
        std::vector<int> moments{0};
        for (const auto& [first, last] : options.visits) {
            for (long k = gridFrameBefore(first, fps); gridTime(k, fps) <= last; ++k) {
                if (gridTime(k, fps) >= first) moments.push_back(gridTime(k, fps));
            }
        }
        moments.insert(moments.end(), plan.at.begin(), plan.at.end());
        std::sort(moments.begin(), moments.end());
        moments.erase(std::unique(moments.begin(), moments.end()), moments.end());
        for (int t : moments) {
            const bool single = std::binary_search(plan.at.begin(), plan.at.end(), t);
            const long index = nimra::gridFrameAt(t, fps);
            if (!play(t, index, (single || visiting(options.visits, t)) && index >= 0, single)) {
                return 1;
            }
        }
    } else {
        // Runs of frames of the step, each drawn after the show is reached just before it:
        // this job's pieces of the stretch, or the whole show for the benchmark.
        std::vector<std::pair<long, long>> runs;
        if (plan.drawsStretch) {
            for (const cPiece& mine : plan.pieces) {
                if (mine.job == job) runs.emplace_back(mine.first, mine.last);
            }
        } else if (options.bench) {
            runs.emplace_back(0, gridFrameBefore(showEnd, fps));
        }
        for (const auto& [first, last] : runs) {
            if (first == 0) {
                nimra::startShowOver();
            } else {
                nimra::reachMoment(gridTime(first - 1, fps), fps);
            }
            for (long k = first; k <= last; ++k) {
                if (!play(gridTime(k, fps), k, options.bench, false)) return 1;
            }
        }
    }
    progress.finish();

    if (options.bench) {
        nimra::setLayerProbe(nullptr);
        const double passMs = measureTexturedPass();
        if (options.cpu) std::puts("times below are CPU time of the whole process (--cpu)");
        const int passWidth = shape.offscreen ? shape.picture.width * shape.ssaa : defaultWidth;
        const int passHeight = shape.offscreen ? shape.picture.height * shape.ssaa : defaultHeight;
        std::fputs(benchReport(timings, benchSeconds, passMs, passWidth, passHeight).c_str(),
                   stdout);
        if (options.layers) std::fputs(layerReport(layerFrames).c_str(), stdout);
    }
    return 0;
}

// The frames of the stretch on the fixed step: the first at or after from, the last at or
// before to. False when none falls between.
static bool stretchFrames(const cOptions& options, long& first, long& last) {
    first = (long(options.from) * options.fps) / 1000;
    while (gridTime(first, options.fps) < options.from)
        ++first;
    while (first > 0 && gridTime(first - 1, options.fps) >= options.from)
        --first;
    last = first;
    while (gridTime(last + 1, options.fps) <= options.to)
        ++last;
    return gridTime(first, options.fps) <= options.to;
}

static std::string sizeText(int width, int height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

// Removes the work folder, whatever way the run ends: at its end, at a stop, or at an exit
// from inside the show's start-up.
struct cWorkFolder {
    fs::path path;
    void make(const fs::path& made) {
        path = made;
        removeOnEnd(path.string());
    }
    // Left in place, whatever happens next.
    void keep() {
        keepOnEnd(path.string());
        path.clear();
    }
    ~cWorkFolder() {
        std::error_code ec;
        if (path.empty()) return;
        fs::remove_all(path, ec);
        keepOnEnd(path.string());
    }
};

static int run(const cOptions& options, Clock::time_point launched) {
    const fs::path here = fs::current_path();
    cPlan plan;
    plan.dataDir = options.dataDir.empty() ? here : fs::absolute(options.dataDir);
    plan.outDir = fs::absolute(options.outDir);
    plan.videoPath = options.video.empty() ? "" : fs::absolute(options.video).string();
    plan.shape = shapeOf(options);
    const std::string wavPath = options.wav.empty() ? "" : fs::absolute(options.wav).string();
    std::error_code ec;

    if (!fs::is_directory(plan.dataDir, ec)) {
        return fail("no data directory " + plan.dataDir.string());
    }
    if (!nimra::holdsShowFiles(plan.dataDir.string())) {
        return fail("no show files in " + plan.dataDir.string() +
                    "; run from the data directory or pass --data DIR");
    }
    plan.stretch = options.from >= 0;
    if (plan.stretch && !stretchFrames(options, plan.firstFrame, plan.lastFrame)) {
        return fail("no frame at " + std::to_string(options.fps) + " fps falls between " +
                    std::to_string(options.from) + " and " + std::to_string(options.to) + " ms");
    }
    // A stretch is drawn only for its frames, its video or the benchmark: its music alone
    // needs no display.
    plan.drawsStretch =
        plan.stretch && (options.frames || !plan.videoPath.empty() || options.bench);
    const bool draws =
        !options.at.empty() || plan.drawsStretch || options.bench || !options.visits.empty();
    if (draws && !std::getenv("DISPLAY")) {
        return fail("no DISPLAY; run it under tests/with-xvfb.sh, like the demo");
    }
    // A video follows the show, whose scenes follow the music: without it the frames would be
    // another show's, and the video silent.
    const fs::path music = plan.dataDir / musicFile;
    std::string error;
    if (!plan.videoPath.empty() && !musicReadable(music.string(), error)) {
        return fail("--video needs the show's music: " + error);
    }
    const bool writesPngs = !options.at.empty() || options.frames;
    if (writesPngs) {
        fs::create_directories(plan.outDir, ec);
        if (!fs::is_directory(plan.outDir, ec))
            return fail("cannot create " + plan.outDir.string());
    }

    cWorkFolder work;
    if (!plan.videoPath.empty() || options.jobs > 1) {
        const fs::path parent =
            plan.videoPath.empty() ? plan.outDir : fs::path(plan.videoPath).parent_path();
        fs::create_directories(parent, ec);
        std::string pattern = (parent / ".capture-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            return fail("cannot make a work folder in " + parent.string());
        work.make(pattern);
        plan.workDir = pattern;
    }
    // Everything the encoding needs is there before the first frame is drawn.
    if (!plan.videoPath.empty() &&
        !checkVideoTools(plan.videoPath, options.lossless, plan.workDir.string(), error)) {
        return fail(error);
    }

    // The music from the stretch's first frame for as long as its frames last.
    const int firstMs = plan.stretch ? gridTime(plan.firstFrame, options.fps) : 0;
    const int64_t sampleFrames =
        plan.stretch
            ? (plan.stretchFrames() * nimra::audio::sampleRate + options.fps / 2) / options.fps
            : -1;
    if (!wavPath.empty()) {
        const cWriting writing(wavPath);
        if (!writeMusic(music.string(), wavPath, firstMs, sampleFrames, error)) return fail(error);
        std::printf("music: %s from %d ms to %s\n", musicFile, firstMs, wavPath.c_str());
    }
    std::string videoMusic;
    if (!plan.videoPath.empty()) {
        if (!wavPath.empty()) {
            videoMusic = wavPath;
        } else {
            videoMusic = (plan.workDir / "music.wav").string();
            if (!writeMusic(music.string(), videoMusic, firstMs, sampleFrames, error)) {
                return fail(error);
            }
        }
    }
    if (!draws) return 0;

    plan.at = options.at;
    std::sort(plan.at.begin(), plan.at.end());
    plan.at.erase(std::unique(plan.at.begin(), plan.at.end()), plan.at.end());
    plan.lastMs = plan.at.empty() ? 0 : plan.at.back();
    if (plan.stretch) plan.lastMs = std::max(plan.lastMs, gridTime(plan.lastFrame, options.fps));
    for (const auto& visit : options.visits)
        plan.lastMs = std::max(plan.lastMs, visit.second);
    if (options.bench && !plan.stretch && options.visits.empty()) plan.lastMs = showEnd;
    if (plan.stretch) {
        plan.pieces = cutStretch(plan.firstFrame, plan.lastFrame, options.jobs,
                                 long(pieceSeconds) * options.fps);
    }

    // One job draws in this process; more are processes of their own, each from 0 ms.
    const long exportTotal = options.frames || !plan.videoPath.empty() ? plan.stretchFrames() : 0;
    const int jobs = plan.pieces.empty() ? 1 : std::min<int>(options.jobs, plan.pieces.size());
    const auto started = Clock::now();
    cDrawn drawn;
    if (jobs == 1) {
        std::atomic<long> done{0};
        const int status = drawShow(options, plan, 0, done, true, launched, drawn);
        if (status != 0) return status;
    } else {
        cJobs children;
        const auto body = [&](int job, std::atomic<long>& done) {
            cDrawn mine;
            return drawShow(options, plan, job, done, false, launched, mine);
        };
        if (!children.start(jobs, plan.workDir.string(), body, error)) return fail(error);
        cProgress progress(exportTotal, plan.lastMs);
        const auto tick = [&] { progress.update(0, children.framesDone()); };
        if (!children.wait(tick, error)) return fail(error);
        progress.finish();
        drawn.pngFiles = options.frames ? static_cast<int>(plan.stretchFrames()) : 0;
    }

    if (!plan.videoPath.empty()) {
        std::vector<std::string> files;
        for (size_t i = 0; i < plan.pieces.size(); ++i)
            files.push_back(plan.pieceFile(i));
        // Joined in the work folder, beside the video, so that the video appears whole.
        // (ffmpeg picks the container by the name's extension.)
        const fs::path joined =
            plan.workDir / ("joined" + fs::path(plan.videoPath).extension().string());
        const std::string list = (plan.workDir / "pieces.txt").string();
        if (!joinVideo(files, videoMusic, joined.string(), list, error)) {
            // Hours of drawing are not thrown away: the pieces stay for another try.
            work.keep();
            return fail("ffmpeg could not join the pieces into " + plan.videoPath +
                        " (see its message above); they are kept in " + plan.workDir.string() +
                        " (pieces.txt lists them in order)");
        }
        fs::rename(joined, plan.videoPath, ec);
        if (ec) return fail("cannot move the video to " + plan.videoPath + ": " + ec.message());
        std::printf("video: %ld frames at %d fps, %s, from %d ms to %s\n", plan.stretchFrames(),
                    options.fps, sizeText(plan.shape.width, plan.shape.height).c_str(), firstMs,
                    plan.videoPath.c_str());
    }
    if (drawn.pngFiles > 0) {
        std::printf("wrote %d PNG files to %s\n", drawn.pngFiles, plan.outDir.string().c_str());
    }
    if (exportTotal > 0) {
        const double seconds = secondsSince(started);
        std::printf("exported %ld frames in %.1f s (%.2f frames per second, %d job%s)\n",
                    exportTotal, seconds, exportTotal / seconds, jobs, jobs == 1 ? "" : "s");
    }
    return 0;
}

}  // namespace capture

int main(int argc, char** argv) {
    const auto launched = Clock::now();
    capture::handleEnding();
    capture::cOptions options;
    std::string error;
    if (!capture::parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "capture: %s\n(capture --help lists the options)\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(capture::usage(), stdout);
        return 0;
    }
    return capture::run(options, launched);
}
