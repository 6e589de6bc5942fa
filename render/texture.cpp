#include "render/texture.h"

#include <IL/il.h>
#include <IL/ilu.h>
#include <IL/ilut.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iostream>

namespace nimra {

namespace {

bool devilReady = false;

void initDevil() {
    if (devilReady) return;
    ilInit();
    iluInit();
    // Also sets byte-aligned pixel rows, which odd-sized RGB levels need.
    ilutRenderer(ILUT_OPENGL);
    devilReady = true;
}

bool isPowerOfTwo(ILint w, ILint h) { return (w & (w - 1)) == 0 && (h & (h - 1)) == 0; }

bool isMipmapFilter(GLint value) {
    return value == GL_NEAREST_MIPMAP_NEAREST || value == GL_LINEAR_MIPMAP_NEAREST ||
           value == GL_NEAREST_MIPMAP_LINEAR || value == GL_LINEAR_MIPMAP_LINEAR;
}

// After a failed load DevIL may be left holding a half-decoded image (a truncated file
// keeps its full size with only the rows read so far) or its default one. The texture gets
// one clear texel instead: the layer that draws it shows nothing rather than garbage.
void settleOnClear() {
    static const ILubyte clear[4] = {0, 0, 0, 0};
    ilTexImage(1, 1, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, const_cast<ILubyte*>(clear));
}

// The rest of a "label:value" line; empty once the file runs out.
std::string describedValue(std::istream& in) {
    std::string label, value;
    std::getline(in, label, ':');
    std::getline(in, value);
    return value;
}

}  // namespace

cTexture::cTexture(bool generateName) {
    if (generateName) glGenTextures(1, &name);
}

void cTexture::setParameter(GLenum parameter, GLint value) {
    glBindTexture(target, name);
    if (parameter == GL_TEXTURE_MIN_FILTER) mipmapped = isMipmapFilter(value);
    glTexParameteri(target, parameter, value);
}

void cTexture::setImage(GLenum imageTarget, GLint level, GLint internalFormat, GLsizei w, GLsizei h,
                        GLsizei d, GLint border, GLenum format, GLenum type, const void* pixels) {
    glBindTexture(imageTarget, name);
    width = w;
    height = h;
    depth = d;
    target = imageTarget;
    // 1D and 3D images are only recorded; nothing in the engine draws with them.
    if (imageTarget == GL_TEXTURE_3D || imageTarget == GL_TEXTURE_1D) return;
    glTexImage2D(imageTarget, level, internalFormat, w, h, border, format, type, pixels);
}

void cTexture::setCubeFace(GLenum faceTarget, GLint level, GLint internalFormat, GLsizei w,
                           GLsizei h, GLsizei d, GLint border, GLenum format, GLenum type,
                           const void* pixels) {
    glBindTexture(GL_TEXTURE_CUBE_MAP, name);
    width = w;
    height = h;
    depth = d;
    target = GL_TEXTURE_CUBE_MAP;
    glTexImage2D(faceTarget, level, internalFormat, w, h, border, format, type, pixels);
}

void cTexture::bind(int unit) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glEnable(target);
    glBindTexture(target, name);
}

cTexture* loadImageTexture(const std::string& path) {
    cTexture* texture = new cTexture(false);
    texture->loadFile(path, GL_TEXTURE_2D, true);
    return texture;
}

std::string fileExtension(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos) return std::string();
    std::string extension = path.substr(dot + 1);
    for (char& c : extension)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return extension;
}

void cTexture::loadFile(const std::string& path, GLenum imageTarget, bool buildMipmaps) {
    initDevil();
    const std::string extension = fileExtension(path);

    if (extension == "PNG" || extension == "DDS") {
        glGenTextures(1, &name);
        glBindTexture(imageTarget, name);
        ILuint image = 0;
        ilGenImages(1, &image);
        ilBindImage(image);
        if (!ilLoadImage(path.c_str())) {
            std::cout << "OH SHIT. the devil fails:" << path << std::endl;
            settleOnClear();
        }

        // Every level is specified from what DevIL reports after its rescale.
        auto specify = [&](GLint level) {
            setImage(imageTarget, level, ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL),
                     ilGetInteger(IL_IMAGE_WIDTH), ilGetInteger(IL_IMAGE_HEIGHT), 0, 0,
                     static_cast<GLenum>(ilGetInteger(IL_IMAGE_FORMAT)), GL_UNSIGNED_BYTE,
                     ilGetData());
        };

        GLint minFilter = GL_LINEAR;
        if (buildMipmaps) {
            const ILint w0 = ilGetInteger(IL_IMAGE_WIDTH);
            const ILint h0 = ilGetInteger(IL_IMAGE_HEIGHT);
            if (!isPowerOfTwo(w0, h0)) {
                std::cout << "texture is not a power of two in size, its mipmaps may come "
                             "out badly: "
                          << path << std::endl;
            }
            // Each level is scaled down from the one before, in place, so the chain never
            // holds a second copy of the pixels. The shorter side stays at 1 once there.
            bool widthDone = false;
            bool heightDone = false;
            GLint level = 0;
            for (ILint n = std::max(w0, h0); n != 0; n >>= 1, ++level) {
                if (level > 0) {
                    const ILint w = widthDone ? 1 : w0 >> level;
                    const ILint h = heightDone ? 1 : h0 >> level;
                    heightDone = h == 1;
                    widthDone = w == 1;
                    iluScale(static_cast<ILuint>(w), static_cast<ILuint>(h), 1);
                }
                specify(level);
            }
            minFilter = GL_LINEAR_MIPMAP_LINEAR;
        } else {
            specify(0);
        }
        setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        setParameter(GL_TEXTURE_MIN_FILTER, minFilter);
        ilDeleteImages(1, &image);
        return;
    }

    if (extension == "CUB") {
        std::ifstream description(path);
        const bool mipmaps = describedValue(description) == "mipmap";
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_CUBE_MAP, name);
        for (int face = 0; face < 6; ++face) {
            const std::string facePath = describedValue(description);
            const GLenum faceTarget = GL_TEXTURE_CUBE_MAP_POSITIVE_X + face;
            ILuint image = 0;
            ilGenImages(1, &image);
            ilBindImage(image);
            if (!ilLoadImage(facePath.c_str())) {
                std::cout << "OH SHIT. the devil fails" << std::endl;
                settleOnClear();
            }
            auto specify = [&](GLint level) {
                setCubeFace(faceTarget, level, ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL),
                            ilGetInteger(IL_IMAGE_WIDTH), ilGetInteger(IL_IMAGE_HEIGHT), 0, 0,
                            static_cast<GLenum>(ilGetInteger(IL_IMAGE_FORMAT)), GL_UNSIGNED_BYTE,
                            ilGetData());
            };
            if (mipmaps) {
                const ILint w0 = ilGetInteger(IL_IMAGE_WIDTH);
                const ILint h0 = ilGetInteger(IL_IMAGE_HEIGHT);
                if (!isPowerOfTwo(w0, h0)) {
                    std::cout << "cube face size is no power of two, expect ugly mipmaps: "
                              << facePath << std::endl;
                }
                // The chain follows the shorter side, so neither side ever reaches 0.
                GLint level = 0;
                for (ILint n = std::min(w0, h0); n != 0; n >>= 1, ++level) {
                    if (level > 0) {
                        iluScale(static_cast<ILuint>(w0 >> level), static_cast<ILuint>(h0 >> level),
                                 1);
                    }
                    specify(level);
                }
                setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
                setParameter(GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
            } else {
                specify(0);
                setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
                setParameter(GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            }
            ilDeleteImages(1, &image);
        }
    }
    // Any other extension: not an image this engine loads.
}

}  // namespace nimra
