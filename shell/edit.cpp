#include "shell/edit.h"

#include <SDL/SDL.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "demo/demo.h"
#include "demo/timeline.h"
#include "render/frame_image.h"
#include "render/live_reload.h"
#include "render/text.h"
#include "runtime/state.h"
#include "shell/file_watch.h"
#include "shell/frame.h"
#include "shell/options.h"
#include "shell/reach.h"
#include "shell/screen.h"

namespace nimra {

namespace {

struct {
    bool on = false;
    bool paused = false;
    bool readout = false;
    bool loopWindow = false;
    cShowWindow looped{"", 0, 0};
    bool shotDue = false;
    bool seeked = false;  // the show was moved: this frame is drawn as it was reached
    bool pausesAtEnd = true;
    std::string shotFolder;
    cFileWatch watch;
    cScreenText text;
    bool textReady = false;
    std::chrono::steady_clock::time_point lastFrame;
    bool pointerShown = false;  // over the show in full screen, since the mouse moved
    bool pointerKnown = false;
    int pointerX = 0;
    int pointerY = 0;
    std::chrono::steady_clock::time_point pointerMoved;
    double frameMs = 0.0;  // smoothed
} edit;

// The edit keys are SDL symbols beyond the 8 bits the show's own key queries keep.
bool pressed(int symbol) {
    const size_t k = static_cast<size_t>(symbol);
    const bool now = k < keys.size() && keys[k] == 1;
    const bool before = k < previousKeys.size() && previousKeys[k] == 1;
    return now && !before;
}

int windowStarts(int starts[sceneWindowCount + 1]) {
    int n = 0;
    starts[n++] = 0;
    for (const cSceneWindow& window : sceneWindows)
        starts[n++] = window.first;
    return n;
}

}  // namespace

std::string showClock(int ms) {
    ms = std::max(ms, 0);
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d.%03d", ms / 60000, ms / 1000 % 60, ms % 1000);
    return text;
}

cShowWindow showWindowAt(int t) {
    cShowWindow found{"opening", 0, tunnelFirst - 1};
    for (const cSceneWindow& window : sceneWindows) {
        if (windowContains(window, t)) {
            found = {window.name, window.first, std::min(window.last, showLength - 1)};
        }
    }
    return found;
}

int previousWindowStart(int t) {
    int starts[sceneWindowCount + 1];
    const int n = windowStarts(starts);
    int found = -1;
    // More than a second into a window, its own start comes first.
    for (int i = 0; i < n; ++i)
        if (starts[i] <= t - 1000) found = starts[i];
    return found;
}

int nextWindowStart(int t) {
    int starts[sceneWindowCount + 1];
    const int n = windowStarts(starts);
    for (int i = 0; i < n; ++i)
        if (starts[i] > t) return starts[i];
    return -1;
}

void startEditing(const std::string& shotFolder, bool loops) {
    edit.on = true;
    edit.pausesAtEnd = !loops;
    edit.shotFolder = shotFolder;
    if (!edit.watch.start(".")) {
        console << "edit: cannot watch the data folder; saved files will not be reloaded"
                << std::endl;
    }
    std::string error;
    edit.textReady = edit.text.load("readout_font.png", error);
    if (!edit.textReady) console << "edit: no readout font: " << error << std::endl;
    edit.lastFrame = std::chrono::steady_clock::now();
    console << "edit: Space pauses, Left/Right step 1 s, Page Up/Down 10 s, Home goes to 0, "
               "[ and ] jump between scene windows, L loops the window, Tab shows the readout, "
               "F12 takes a screenshot"
            << std::endl;
}

// In full screen the pointer goes again once the mouse has been still this long.
constexpr auto pointerStill = std::chrono::seconds(2);

void editPointerMoved(int x, int y) {
    if (!edit.on) return;
    // SDL reports where the pointer is when the window first gets it, moved or not.
    const bool moved = edit.pointerKnown && (x != edit.pointerX || y != edit.pointerY);
    edit.pointerKnown = true;
    edit.pointerX = x;
    edit.pointerY = y;
    if (!moved) return;
    edit.pointerMoved = std::chrono::steady_clock::now();
    if (!edit.pointerShown) SDL_ShowCursor(SDL_ENABLE);
    edit.pointerShown = true;
}

bool editPaused() { return edit.on && edit.paused; }

bool editRedraws() {
    const bool redraw = edit.on && (edit.paused || edit.seeked);
    edit.seeked = false;
    return redraw;
}

static void setPaused(bool paused) {
    edit.paused = paused;
    if (musicChannel) {
        // The music starts again from the show's moment, whatever the clocks drifted apart.
        if (!paused) musicChannel->setPosition(static_cast<uint32_t>(demoTime));
        musicChannel->setPaused(paused);
    }
    if (!paused) syncFrameClock();
    console << "edit: " << (paused ? "paused at " : "playing from ") << showClock(demoTime)
            << std::endl;
}

void seekShow(int target) {
    const auto started = std::chrono::steady_clock::now();
    // The show's end is where it pauses, a moment before its last frame.
    reachMoment(std::clamp(target, 0, showLength - 1));
    edit.seeked = true;
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
            .count();
    console << "edit: at " << showClock(demoTime) << " (" << showWindowAt(demoTime).name << ", "
            << static_cast<int>(ms + 0.5) << " ms to reach)" << std::endl;
}

void editKeys() {
    if (!edit.on) return;
    if (pressed(SDLK_SPACE)) setPaused(!edit.paused);
    if (pressed(SDLK_TAB)) edit.readout = !edit.readout;
    if (pressed(SDLK_F12)) edit.shotDue = true;
    if (pressed(SDLK_l)) {
        edit.loopWindow = !edit.loopWindow;
        edit.looped = showWindowAt(demoTime);
        console << "edit: " << (edit.loopWindow ? "looping " : "no longer looping ")
                << edit.looped.name << " (" << showClock(edit.looped.first) << " to "
                << showClock(edit.looped.last) << ")" << std::endl;
    }
    int target = -1;
    // Back by more than the show has played goes to its start.
    if (pressed(SDLK_LEFT)) target = std::max(demoTime - 1000, 0);
    if (pressed(SDLK_RIGHT)) target = demoTime + 1000;
    if (pressed(SDLK_PAGEUP)) target = std::max(demoTime - 10000, 0);
    if (pressed(SDLK_PAGEDOWN)) target = demoTime + 10000;
    if (pressed(SDLK_HOME)) target = 0;
    if (pressed(SDLK_LEFTBRACKET)) target = previousWindowStart(demoTime);
    if (pressed(SDLK_RIGHTBRACKET)) target = nextWindowStart(demoTime);
    if (target >= 0) seekShow(target);
}

// The readout: the show's time, its window, the frame time and rate, and the three bins
// the scenes listen to as bars, over the top left of the picture.
static void drawReadout() {
    const int x = 28, y = 28;
    const int lineHeight = readoutFont::glyphHeight + 4;
    char timing[64];
    std::snprintf(timing, sizeof timing, "%5.1f ms  %3.0f fps", edit.frameMs,
                  edit.frameMs > 0 ? 1000.0 / edit.frameMs : 0.0);
    const std::string lines[2] = {showClock(demoTime) + "  " + showWindowAt(demoTime).name +
                                      (edit.paused ? "  paused" : "") +
                                      (edit.loopWindow ? "  looping" : ""),
                                  timing};
    const int bins[3] = {10, 20, 50};
    const int barWidth = 160;
    const float fullBar = 0.5f;  // the triggers fire well below this
    int width = 0;
    for (const std::string& line : lines)
        width = std::max(width, cScreenText::textWidth(line));
    width = std::max(
        width, cScreenText::textWidth("S[50] ") + barWidth + cScreenText::textWidth(" 0.000"));
    const int height = 5 * lineHeight;
    edit.text.addRect(x - 8, y - 6, width + 16, height + 8, cVec4f(0.0f, 0.0f, 0.0f, 0.55f));
    const cVec4f white(1.0f, 1.0f, 1.0f, 0.95f), bar(1.0f, 0.72f, 0.3f, 0.9f);
    edit.text.addText(x, y, lines[0], white);
    edit.text.addText(x, y + lineHeight, lines[1], white);
    for (int i = 0; i < 3; ++i) {
        const int row = y + (2 + i) * lineHeight;
        const std::string label = "S[" + std::to_string(bins[i]) + "]";
        edit.text.addText(x, row, label, white);
        const int left = x + cScreenText::textWidth("S[50] ");
        const float value = spectrumBin(static_cast<size_t>(bins[i]));
        const float level = std::clamp(value / fullBar, 0.0f, 1.0f);
        edit.text.addRect(left, row + 4, barWidth, lineHeight - 10, cVec4f(1, 1, 1, 0.15f));
        edit.text.addRect(left, row + 4, barWidth * level, lineHeight - 10, bar);
        char number[16];
        std::snprintf(number, sizeof number, " %.3f", value);
        edit.text.addText(left + barWidth, row, number, white);
    }
    edit.text.draw(windowWidth, windowHeight);
}

void editFrameDrawn() {
    if (!edit.on) return;
    const auto now = std::chrono::steady_clock::now();
    if (edit.pointerShown && now - edit.pointerMoved > pointerStill) {
        edit.pointerShown = false;
        placePointer();
    }
    const double ms = std::chrono::duration<double, std::milli>(now - edit.lastFrame).count();
    edit.lastFrame = now;
    edit.frameMs = edit.frameMs > 0 ? edit.frameMs * 0.9 + ms * 0.1 : ms;

    // Saved files, reloaded where they are used; on screen in this frame's next redraw.
    for (const std::string& file : edit.watch.changed()) {
        if (reloadFile(file) > 0) showFileReloaded(file);
    }

    if (edit.shotDue) {
        edit.shotDue = false;
        // Named after the show's time; a second shot of the same moment (a paused show) gets
        // a number rather than taking the first one's place.
        std::string stem = edit.shotFolder + "/nimra_" + showClock(demoTime);
        std::replace(stem.begin(), stem.end(), ':', '-');
        std::string path = stem + ".png";
        std::error_code ec;
        for (int n = 2; std::filesystem::exists(path, ec); ++n)
            path = stem + "_" + std::to_string(n) + ".png";
        std::string error;
        if (writeFramePng(path, windowWidth, windowHeight, error)) {
            console << "edit: wrote " << path << std::endl;
        } else {
            console << "edit: " << error << std::endl;
        }
    }

    if (edit.readout && edit.textReady) drawReadout();

    // The window loop and the end of the show: a maker's session does not end with it.
    if (edit.loopWindow && demoTime > edit.looped.last) {
        seekShow(edit.looped.first);
    } else if (edit.pausesAtEnd && demoTime >= showLength - 1 && !edit.paused) {
        setPaused(true);
    }
}

}  // namespace nimra
