// Says whether the mouse pointer can be seen where it is now, as the X server draws it: the
// cursor image there (XFixes) with any pixel not fully transparent. Prints "shown" or
// "hidden" and the pointer's position.
//   x_pointer     (on $DISPLAY)

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cstdio>

int main() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "x_pointer: cannot open the display\n");
        return 1;
    }
    int event = 0, error = 0;
    if (!XFixesQueryExtension(display, &event, &error)) {
        std::fprintf(stderr, "x_pointer: the display has no XFixes\n");
        return 1;
    }
    XFixesCursorImage* cursor = XFixesGetCursorImage(display);
    if (!cursor) {
        std::fprintf(stderr, "x_pointer: no cursor image\n");
        return 1;
    }
    bool visible = false;
    for (int i = 0; i < cursor->width * cursor->height; ++i)
        visible = visible || (cursor->pixels[i] >> 24) != 0;
    std::printf("%s at %d %d\n", visible ? "shown" : "hidden", cursor->x, cursor->y);
    XFree(cursor);
    XCloseDisplay(display);
    return 0;
}
