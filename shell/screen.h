#pragma once
// The window and the show's picture in it. As the demo has always played, the picture is the
// window's back buffer, whatever the window's size. Asked to, the picture is instead kept
// 4:3, at the window's own resolution, in the middle of the window with black bars beside
// or above it: drawn offscreen where it does not fill the window and copied into it before
// every buffer swap. The capture tool asks for a picture of a size of its own, drawn
// offscreen whatever the window, and reads it back.

#include <cstdint>
#include <string>

#include "demo/show.h"
#include "render/picture_target.h"

namespace nimra {

// Without a window and a GL context every later step would crash: says what failed, with
// SDL's reason, and exits with status 1.
[[noreturn]] void failVideo(const std::string& what);

struct cShowScreen {
    bool fullScreen = true;
    bool desktop = false;   // full screen at the desktop's resolution, with no mode switch
    int width = showWidth;  // the window, or the full-screen mode, asked for
    int height = showHeight;
    bool keepAspect = false;  // the picture 4:3 in the middle, at the window's resolution
    int pictureWidth = 0;     // above 0: the picture drawn offscreen at exactly this size
    int pictureHeight = 0;
};

// The SDL video mode: the window (or the desktop's size, read before any mode is set) with
// these flags. Exits with a clear line when there is none.
void openShowWindow(const cShowScreen& asked, uint32_t flags);

// Where the picture goes, once the GL entry points are known: the window's back buffer as
// the window opened, or a target that stands for it.
void placeShowPicture();

// The window has a new size (SDL_VIDEORESIZE): as the demo always did, only the stored size,
// the projection and the window framebuffer follow it; a kept-aspect picture is fitted
// again and drawn at its new resolution.
void windowResized(int width, int height);

// Before every buffer swap: a kept-aspect picture drawn offscreen goes into the window.
void presentPicture();

// Switches between window and full screen where SDL can do it in place (a video mode set
// again would take the GL context, and everything start-up made, with it). False when not.
bool toggleFullScreen();

// The mouse pointer as the window stands: hidden over the show in full screen, shown in a
// window. After the window opens and whenever it switches between the two.
void placePointer();
// Whether the window is full screen now.
bool isFullScreen();

// The offscreen picture the show is drawn into now, or null when it is the window's.
cPictureTarget* offscreenPicture();

// The window's size in pixels, whatever the picture's.
int screenWidth();
int screenHeight();

}  // namespace nimra
