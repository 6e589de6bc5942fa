#include "render/texture.h"

#include <IL/il.h>
#include <IL/ilu.h>
#include <IL/ilut.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>

#include "render/live_reload.h"

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

// Every level of a 2D picture from the bound DevIL image, which is scaled down in place.
void specifyPicture(cTexture& texture, GLenum imageTarget, bool buildMipmaps,
                    const std::string& path) {
    // Every level is specified from what DevIL reports after its rescale.
    auto specify = [&](GLint level) {
        texture.setImage(imageTarget, level, ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL),
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
    texture.setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    texture.setParameter(GL_TEXTURE_MIN_FILTER, minFilter);
}

// One face of a cube map from the bound DevIL image, with its own filters.
void specifyCubeFace(cTexture& texture, GLenum faceTarget, bool mipmaps,
                     const std::string& facePath) {
    auto specify = [&](GLint level) {
        texture.setCubeFace(faceTarget, level, ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL),
                            ilGetInteger(IL_IMAGE_WIDTH), ilGetInteger(IL_IMAGE_HEIGHT), 0, 0,
                            static_cast<GLenum>(ilGetInteger(IL_IMAGE_FORMAT)), GL_UNSIGNED_BYTE,
                            ilGetData());
    };
    if (mipmaps) {
        const ILint w0 = ilGetInteger(IL_IMAGE_WIDTH);
        const ILint h0 = ilGetInteger(IL_IMAGE_HEIGHT);
        if (!isPowerOfTwo(w0, h0)) {
            std::cout << "cube face size is no power of two, expect ugly mipmaps: " << facePath
                      << std::endl;
        }
        // The chain follows the shorter side, so neither side ever reaches 0.
        GLint level = 0;
        for (ILint n = std::min(w0, h0); n != 0; n >>= 1, ++level) {
            if (level > 0) {
                iluScale(static_cast<ILuint>(w0 >> level), static_cast<ILuint>(h0 >> level), 1);
            }
            specify(level);
        }
        texture.setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        texture.setParameter(GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    } else {
        specify(0);
        texture.setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        texture.setParameter(GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }
}

// A cube map description: the mipmap mode, then six face pictures.
struct cCubeDescription {
    bool mipmaps = false;
    std::vector<std::string> faces;
};

cCubeDescription readCubeDescription(std::istream& in) {
    cCubeDescription description;
    description.mipmaps = describedValue(in) == "mipmap";
    for (int face = 0; face < 6; ++face)
        description.faces.push_back(describedValue(in));
    return description;
}

// Whether every chunk of a PNG file is there, up to and including the closing IEND. DevIL
// never returns from some files cut short after the header (cut inside a text chunk, its
// reader waits for the missing bytes for ever), so a reload checks before it decodes.
bool isWholePng(const std::string& bytes) {
    static const char signature[8] = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1a', '\n'};
    if (bytes.size() < 8 || bytes.compare(0, 8, signature, 8) != 0) return false;
    size_t offset = 8;
    while (bytes.size() - offset >= 12) {
        uint32_t length = 0;
        for (int i = 0; i < 4; ++i)
            length = length << 8 | static_cast<uint8_t>(bytes[offset + i]);
        // Chunk lengths are limited to 2^31 - 1; anything longer is damage.
        if (length > 0x7FFFFFFFu || bytes.size() - offset - 12 < length) return false;
        if (bytes.compare(offset + 4, 4, "IEND") == 0) return true;
        offset += 12 + size_t(length);
    }
    return false;
}

// A PNG file there is, with bytes in it, that does not hold every chunk to its end.
bool pngCutShort(const std::string& path) {
    if (fileExtension(path) != "PNG") return false;
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) return false;
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    return !bytes.empty() && !isWholePng(bytes);
}

// A new DevIL image, bound, holding the picture; 0 and why when it cannot be decoded. The
// bytes checked are the bytes decoded, even when the file is being written again meanwhile.
ILuint decodePicture(const std::string& path, std::string& reason) {
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
        reason = "cannot be opened";
        return 0;
    }
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    if (bytes.empty()) {
        reason = "is empty";
        return 0;
    }
    if (fileExtension(path) == "PNG" && !isWholePng(bytes)) {
        reason = "is cut short or no PNG";
        return 0;
    }
    while (ilGetError() != IL_NO_ERROR) {
    }
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    if (ilLoadL(ilTypeFromExt(path.c_str()), bytes.data(), static_cast<ILuint>(bytes.size())))
        return image;
    const ILenum error = ilGetError();
    const char* text = error != IL_NO_ERROR ? iluErrorString(error) : nullptr;
    reason = std::string("does not decode: ") + (text ? text : "unknown error");
    ilDeleteImages(1, &image);
    return 0;
}

// The query for what is bound to a target on the active unit; 0 for targets without one.
GLenum bindingQuery(GLenum target) {
    switch (target) {
        case GL_TEXTURE_1D:
            return GL_TEXTURE_BINDING_1D;
        case GL_TEXTURE_2D:
            return GL_TEXTURE_BINDING_2D;
        case GL_TEXTURE_3D:
            return GL_TEXTURE_BINDING_3D;
        case GL_TEXTURE_CUBE_MAP:
            return GL_TEXTURE_BINDING_CUBE_MAP;
        case GL_TEXTURE_RECTANGLE:
            return GL_TEXTURE_BINDING_RECTANGLE;
        default:
            return 0;
    }
}

// Puts back what the active unit had bound to a target, once a reload is done with it:
// reloads run between frames, and the show's layers draw with what the last one left.
class cBindingKeeper {
public:
    explicit cBindingKeeper(GLenum target) : mTarget(target), mQuery(bindingQuery(target)) {
        if (mQuery != 0) glGetIntegerv(mQuery, &mBound);
    }
    ~cBindingKeeper() {
        if (mQuery != 0) glBindTexture(mTarget, static_cast<GLuint>(mBound));
    }
    cBindingKeeper(const cBindingKeeper&) = delete;
    cBindingKeeper& operator=(const cBindingKeeper&) = delete;

private:
    GLenum mTarget;
    GLenum mQuery;
    GLint mBound = 0;
};

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

cTexture::cTexture(const cTexture& other)
    : name(other.name),
      target(other.target),
      width(other.width),
      height(other.height),
      depth(other.depth),
      mipmapped(other.mipmapped),
      sourcePath(other.sourcePath),
      sourceTarget(other.sourceTarget),
      sourceMipmaps(other.sourceMipmaps),
      faceFiles(other.faceFiles),
      tracked(other.tracked) {
    if (tracked) liveReload::track(*this);
}

cTexture& cTexture::operator=(const cTexture& other) {
    if (this == &other) return *this;
    if (tracked) liveReload::forget(*this);
    name = other.name;
    target = other.target;
    width = other.width;
    height = other.height;
    depth = other.depth;
    mipmapped = other.mipmapped;
    sourcePath = other.sourcePath;
    sourceTarget = other.sourceTarget;
    sourceMipmaps = other.sourceMipmaps;
    faceFiles = other.faceFiles;
    tracked = other.tracked;
    if (tracked) liveReload::track(*this);
    return *this;
}

cTexture::~cTexture() {
    if (tracked) liveReload::forget(*this);
}

void cTexture::loadFile(const std::string& path, GLenum imageTarget, bool buildMipmaps) {
    initDevil();
    const std::string extension = fileExtension(path);
    const bool cube = extension == "CUB";
    if (!cube && extension != "PNG" && extension != "DDS") return;  // not an image we load

    // Remembered whether or not the file decodes, so that fixing it later brings it in.
    sourcePath = path;
    sourceTarget = imageTarget;
    sourceMipmaps = buildMipmaps;
    faceFiles.clear();
    if (!tracked) liveReload::track(*this);
    tracked = true;

    if (!cube) {
        glGenTextures(1, &name);
        glBindTexture(imageTarget, name);
        ILuint image = 0;
        ilGenImages(1, &image);
        ilBindImage(image);
        // A PNG cut short inside one of its first chunks would never come back from DevIL.
        if (pngCutShort(path) || !ilLoadImage(path.c_str())) {
            std::cout << "OH SHIT. the devil fails:" << path << std::endl;
            settleOnClear();
        }
        specifyPicture(*this, imageTarget, buildMipmaps, path);
        ilDeleteImages(1, &image);
        return;
    }

    std::ifstream in(path);
    const cCubeDescription description = readCubeDescription(in);
    faceFiles = description.faces;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_CUBE_MAP, name);
    for (int face = 0; face < 6; ++face) {
        ILuint image = 0;
        ilGenImages(1, &image);
        ilBindImage(image);
        if (!ilLoadImage(description.faces[face].c_str())) {
            std::cout << "OH SHIT. the devil fails" << std::endl;
            settleOnClear();
        }
        specifyCubeFace(*this, GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, description.mipmaps,
                        description.faces[face]);
        ilDeleteImages(1, &image);
    }
}

bool cTexture::reload() {
    if (!tracked) return false;
    initDevil();
    std::string reason;

    if (fileExtension(sourcePath) != "CUB") {
        const ILuint image = decodePicture(sourcePath, reason);
        if (image == 0) {
            std::cout << "reload: " << sourcePath << " " << reason << ", keeping the old picture"
                      << std::endl;
            return false;
        }
        const cBindingKeeper keeper(sourceTarget);
        glBindTexture(sourceTarget, name);
        specifyPicture(*this, sourceTarget, sourceMipmaps, sourcePath);
        ilDeleteImages(1, &image);
        return true;
    }

    // Every face is decoded before any is uploaded, so that a cube never mixes old and new.
    std::ifstream in(sourcePath);
    if (!in.is_open()) {
        std::cout << "reload: " << sourcePath << " cannot be opened, keeping the old picture"
                  << std::endl;
        return false;
    }
    const cCubeDescription description = readCubeDescription(in);
    std::vector<ILuint> images;
    for (const std::string& face : description.faces) {
        const ILuint image = decodePicture(face, reason);
        if (image == 0) {
            std::cout << "reload: " << sourcePath << ": " << face << " " << reason
                      << ", keeping the old picture" << std::endl;
            if (!images.empty()) ilDeleteImages(static_cast<ILsizei>(images.size()), images.data());
            return false;
        }
        images.push_back(image);
    }
    const cBindingKeeper keeper(GL_TEXTURE_CUBE_MAP);
    glBindTexture(GL_TEXTURE_CUBE_MAP, name);
    for (int face = 0; face < 6; ++face) {
        ilBindImage(images[face]);
        specifyCubeFace(*this, GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, description.mipmaps,
                        description.faces[face]);
    }
    ilDeleteImages(static_cast<ILsizei>(images.size()), images.data());
    faceFiles = description.faces;
    return true;
}

}  // namespace nimra
