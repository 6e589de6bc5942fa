#include "shell/screen.h"

#include <SDL/SDL.h>

#include <cstdlib>
#include <string>

#include "demo/demo.h"
#include "render/framebuffer.h"
#include "runtime/state.h"

namespace nimra {

static struct {
    cShowScreen asked;
    uint32_t flags = 0;
    int width = 0;  // the window's
    int height = 0;
    cPixelRect picture;  // where in the window the picture goes
    cPictureTarget target;
    bool offscreen = false;
} state;

[[noreturn]] void failVideo(const std::string& what) {
    console << "nimra: " << what << ": " << SDL_GetError() << std::endl;
    std::exit(1);
}

// The show draws at the picture's size, into the window's back buffer or, where the picture
// is not all of it, into the target that stands for it.
static void placePicture(int width, int height, bool offscreen) {
    state.offscreen = offscreen;
    if (offscreen && (state.target.width != width || state.target.height != height) &&
        !state.target.create(width, height)) {
        failVideo("cannot draw the picture offscreen");
    }
    setWindowFramebuffer(offscreen ? state.target.framebuffer : 0);
    // Whatever was bound stood for the window until now.
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, windowFramebuffer());
    resize(width, height);
}

static void refitPicture() {
    const cPixelRect fitted = fitPicture(state.width, state.height);
    // A window shrunk to a few pixels keeps the picture it had.
    if (fitted.width < 4 || fitted.height < 3) return;
    state.picture = fitted;
    const bool whole = fitted.width == state.width && fitted.height == state.height;
    placePicture(fitted.width, fitted.height, !whole);
}

void openShowWindow(const cShowScreen& asked, uint32_t flags) {
    state.asked = asked;
    state.flags = flags;
    int width = asked.width, height = asked.height;
    if (asked.desktop) {
        // The desktop's mode, as SDL finds it before the first mode is set.
        const SDL_VideoInfo* info = SDL_GetVideoInfo();
        if (info && info->current_w > 0 && info->current_h > 0) {
            width = info->current_w;
            height = info->current_h;
        }
    }
    if (!SDL_SetVideoMode(width, height, 32, flags)) {
        failVideo("cannot open the " + std::to_string(width) + " x " + std::to_string(height) +
                  (asked.keepAspect && asked.fullScreen ? " full-screen" : "") + " GL window");
    }
    if (!glGetString(GL_VERSION)) failVideo("no OpenGL context");
    state.width = width;
    state.height = height;
    if (asked.pictureWidth > 0 || asked.keepAspect) return;  // placed once GL is up
    windowWidth = width;
    windowHeight = height;
    resize(width, height);
}

void placeShowPicture() {
    const cShowScreen& asked = state.asked;
    if (asked.pictureWidth > 0) {
        state.picture = cPixelRect{0, 0, asked.pictureWidth, asked.pictureHeight};
        placePicture(asked.pictureWidth, asked.pictureHeight, true);
    } else if (asked.keepAspect) {
        refitPicture();
    }
}

void windowResized(int width, int height) {
    if (state.asked.pictureWidth > 0) return;  // the picture's size is its own
    if (!state.asked.keepAspect) {
        resize(width, height);
        return;
    }
    // A window's GL surface is its own child window under SDL, which follows the frame only
    // when the mode is set again; on X11 that keeps the context and everything in it.
    if (!state.asked.fullScreen && !SDL_SetVideoMode(width, height, 32, state.flags)) return;
    state.width = width;
    state.height = height;
    const int oldWidth = windowWidth, oldHeight = windowHeight;
    refitPicture();
    if (windowWidth != oldWidth || windowHeight != oldHeight) resizeShowPictures();
}

void presentPicture() {
    if (state.offscreen && state.asked.pictureWidth == 0) {
        state.target.present(state.picture, state.width, state.height);
    }
}

bool toggleFullScreen() {
    SDL_Surface* surface = SDL_GetVideoSurface();
    return surface && SDL_WM_ToggleFullScreen(surface) == 1;
}

bool isFullScreen() {
    const SDL_Surface* surface = SDL_GetVideoSurface();
    return surface && (surface->flags & SDL_FULLSCREEN) != 0;
}

void placePointer() { SDL_ShowCursor(isFullScreen() ? SDL_DISABLE : SDL_ENABLE); }

cPictureTarget* offscreenPicture() { return state.offscreen ? &state.target : nullptr; }

int screenWidth() { return state.width; }
int screenHeight() { return state.height; }

}  // namespace nimra
