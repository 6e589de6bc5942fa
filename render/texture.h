#pragma once
// One GL texture and what the rest of the engine needs to know about it: the target, the
// size of the last image specified and whether its minification filter uses mipmaps.
// Image files (PNG, DDS, and CUB cube-map descriptions) load through the picture decoder
// (render/picture_file.h: DevIL natively, stb_image in the browser), with the
// mipmap chain built on the CPU by repeated in-place rescaling. A texture loaded from a
// file can be loaded from it again in place (see render/live_reload.h).

#include <string>
#include <vector>

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
    // What loadFile was last given, for reload; a cube map also keeps the six pictures its
    // description named. Empty for render targets and files of no kind the loader knows.
    std::string sourcePath;
    GLenum sourceTarget = 0;
    bool sourceMipmaps = false;
    bool sourceHalved = false;  // a 2D picture kept as its half-size level alone
    std::vector<std::string> faceFiles;

    // Render targets are built with a name; textures about to be loaded from a file
    // without one (the loader generates it).
    explicit cTexture(bool generateName);
    // A copy shares the GL name and is reloaded along with the original. The destructor
    // leaves the name alone, as textures always have.
    cTexture(const cTexture& other);
    cTexture& operator=(const cTexture& other);
    ~cTexture();

    void setParameter(GLenum parameter, GLint value);
    void setImage(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                  GLsizei depth, GLint border, GLenum format, GLenum type, const void* pixels);
    void setCubeFace(GLenum faceTarget, GLint level, GLint internalFormat, GLsizei width,
                     GLsizei height, GLsizei depth, GLint border, GLenum format, GLenum type,
                     const void* pixels);

    // Makes the unit active, enables the target on it and binds; nothing is undone later.
    void bind(int unit);
    bool isMipmapped() const { return mipmapped; }

    // A 2D picture halved is scaled down once, exactly as its mipmap chain's second level,
    // and kept as that one level (without mipmaps).
    void loadFile(const std::string& path, GLenum target, bool buildMipmaps, bool halved = false);

    // Decodes the file loadFile was given again and uploads it into the same GL name, the
    // mipmap chain built as loadFile builds it; what the active unit has bound stays bound.
    // A file that cannot be decoded (missing, cut short, not a picture) leaves the texture
    // as it was, prints one line naming the file and the reason and gives false, as does a
    // texture never loaded from a file.
    bool reload();

private:
    bool tracked = false;
};

// Which levels of its picture a texture keeps. A picture read only at about its own size
// keeps its top level alone, and one read only from its half-size level keeps that level
// alone: filtered without mipmaps, a plain lookup reads exactly what an explicit lookup of
// that level reads from the whole chain, and costs the software renderer less.
enum class ePictureLevels { chain, top, half };

// A new texture holding an image file as a 2D texture, by default with its mipmap chain.
// Owned by the caller for the rest of the run.
cTexture* loadImageTexture(const std::string& path, ePictureLevels levels = ePictureLevels::chain);

// The text after the last '.' anywhere in the path, upper-cased; empty without a dot.
std::string fileExtension(const std::string& path);

}  // namespace nimra
