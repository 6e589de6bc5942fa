#pragma once
// The show drawn at a size of its own: where the picture it draws is not the window's back
// buffer as it stands (a window that is not 4:3, or a picture larger than any window, for
// export), it is drawn into a framebuffer object that stands for the window, and from there
// shown in the window or read back.
//
// The object takes the window's own formats (an alpha channel only where the window has
// one, the window's depth precision), so that the same frame drawn into either comes out
// the same but for what the rasteriser decides differently for a buffer of its own: on
// llvmpipe a few hundred of 480,000 pixels, along edges and where far surfaces meet.

#include "render/gl.h"
#include "render/screen_quad.h"

namespace nimra {

// The largest 4:3 rectangle that fits a width x height window, centred: what is left is
// split evenly between the two bars (the odd pixel going to the right or the top).
cPixelRect fitPicture(int width, int height);

class cPictureTarget {
public:
    GLuint framebuffer = 0;
    GLuint colour = 0;  // a texture, so that a larger picture can be filtered down
    GLuint depth = 0;   // a renderbuffer
    int width = 0;
    int height = 0;

    // Makes (or remakes at another size) the target with the formats of the window's back
    // buffer, which must be bound when the first target is made. False, with the reason
    // printed, when GL cannot give a complete framebuffer of that size.
    bool create(int width, int height);
    bool exists() const { return framebuffer != 0; }

    // The picture into the window's back buffer (GL framebuffer 0) of the given size: black
    // everywhere, the picture over rect, copied pixel for pixel when rect has the picture's
    // size and filtered otherwise. The target is bound again afterwards.
    void present(const cPixelRect& rect, int windowWidth, int windowHeight);
};

// The picture of source filtered down into target, a whole number of times smaller on both
// axes: every target pixel is the mean of its block of source pixels, taken in linear
// light (the sRGB curve undone, averaged, and done again). Leaves target bound and the GL
// state it touched as it found it.
void downsamplePicture(const cPictureTarget& source, cPictureTarget& target);
// Whether GL links the program downsamplePicture draws with (its log is printed when not):
// without it the pictures filtered down would come out wrong.
bool pictureFilterReady();

}  // namespace nimra
