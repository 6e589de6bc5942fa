#pragma once
// One GL texture and what the rest of the engine needs to know about it: the target, the
// size of the last image specified and whether its minification filter uses mipmaps.
// Image files (PNG, DDS, and CUB cube-map descriptions) load through DevIL, with the
// mipmap chain built on the CPU by repeated in-place rescaling.

#include <string>

#include "render/gl.h"

namespace nimra {

class cTexture {
public:
    GLuint name = 0;
    GLenum target = 0;  // unset until the first image
    int width = 0;      // of the most recently specified image: after a mipmapped
    int height = 0;     // load that is the last level, 1 x 1
    int depth = 0;      // recorded only
    bool mipmapped = false;

    // Render targets are built with a name; textures about to be loaded from a file
    // without one (the loader generates it).
    explicit cTexture(bool generateName);

    void setParameter(GLenum parameter, GLint value);
    void setImage(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                  GLsizei depth, GLint border, GLenum format, GLenum type, const void* pixels);
    void setCubeFace(GLenum faceTarget, GLint level, GLint internalFormat, GLsizei width,
                     GLsizei height, GLsizei depth, GLint border, GLenum format, GLenum type,
                     const void* pixels);

    // Makes the unit active, enables the target on it and binds; nothing is undone later.
    void bind(int unit);
    bool isMipmapped() const { return mipmapped; }

    void loadFile(const std::string& path, GLenum target, bool buildMipmaps);
};

// A new texture holding an image file as a 2D texture with its mipmap chain: how every
// picture of the show is loaded. Owned by the caller for the rest of the run.
cTexture* loadImageTexture(const std::string& path);

// The text after the last '.' anywhere in the path, upper-cased; empty without a dot.
std::string fileExtension(const std::string& path);

}  // namespace nimra
