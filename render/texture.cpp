#include "render/texture.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>

#include "render/live_reload.h"
#include "render/picture_file.h"

namespace nimra {

namespace {

bool isPowerOfTwo(int w, int h) { return (w & (w - 1)) == 0 && (h & (h - 1)) == 0; }

bool isMipmapFilter(GLint value) {
    return value == GL_NEAREST_MIPMAP_NEAREST || value == GL_LINEAR_MIPMAP_NEAREST ||
           value == GL_NEAREST_MIPMAP_LINEAR || value == GL_LINEAR_MIPMAP_LINEAR;
}

// What a picture that cannot be decoded becomes: one clear texel, so that the layer that
// draws it shows nothing rather than garbage.
cPicture clearPicture() {
    cPicture picture;
    picture.width = picture.height = 1;
    picture.bytesPerPixel = 4;
    picture.format = GL_RGBA;
    picture.pixels.assign(4, 0);
    return picture;
}

// The rest of a "label:value" line; empty once the file runs out.
std::string describedValue(std::istream& in) {
    std::string label, value;
    std::getline(in, label, ':');
    std::getline(in, value);
    return value;
}

// Every level of a 2D picture, scaled down in place for each.
void specifyPicture(cTexture& texture, GLenum imageTarget, bool buildMipmaps, bool halved,
                    cPicture& picture, const std::string& path) {
    // Every level is specified from what the picture holds after its rescale.
    auto specify = [&](GLint level) {
        texture.setImage(imageTarget, level, picture.bytesPerPixel, picture.width, picture.height,
                         0, 0, picture.format, GL_UNSIGNED_BYTE, picture.pixels.data());
    };

    GLint minFilter = GL_LINEAR;
    if (buildMipmaps) {
        const int w0 = picture.width;
        const int h0 = picture.height;
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
        for (int n = std::max(w0, h0); n != 0; n >>= 1, ++level) {
            if (level > 0) {
                const int w = widthDone ? 1 : w0 >> level;
                const int h = heightDone ? 1 : h0 >> level;
                heightDone = h == 1;
                widthDone = w == 1;
                scalePicture(picture, w, h);
            }
            specify(level);
        }
        minFilter = GL_LINEAR_MIPMAP_LINEAR;
    } else {
        // The chain's second level is this same scale of the top one.
        if (halved) {
            scalePicture(picture, std::max(picture.width >> 1, 1),
                         std::max(picture.height >> 1, 1));
        }
        specify(0);
    }
    texture.setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    texture.setParameter(GL_TEXTURE_MIN_FILTER, minFilter);
}

// One face of a cube map, with its own filters.
void specifyCubeFace(cTexture& texture, GLenum faceTarget, bool mipmaps, cPicture& picture,
                     const std::string& facePath) {
    auto specify = [&](GLint level) {
        texture.setCubeFace(faceTarget, level, picture.bytesPerPixel, picture.width, picture.height,
                            0, 0, picture.format, GL_UNSIGNED_BYTE, picture.pixels.data());
    };
    if (mipmaps) {
        const int w0 = picture.width;
        const int h0 = picture.height;
        if (!isPowerOfTwo(w0, h0)) {
            std::cout << "cube face size is no power of two, expect ugly mipmaps: " << facePath
                      << std::endl;
        }
        // The chain follows the shorter side, so neither side ever reaches 0.
        GLint level = 0;
        for (int n = std::min(w0, h0); n != 0; n >>= 1, ++level) {
            if (level > 0) scalePicture(picture, w0 >> level, h0 >> level);
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

// The picture a file holds; false and why when it cannot be decoded. The bytes checked are
// the bytes decoded, even when the file is being written again meanwhile, and a PNG is
// checked whole first: DevIL never returns from some files cut short after the header.
bool readPicture(const std::string& path, cPicture& picture, std::string& reason) {
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
        reason = "cannot be opened";
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    if (bytes.empty()) {
        reason = "is empty";
        return false;
    }
    const std::string kind = fileExtension(path);
    if (kind == "PNG" && !isWholePng(bytes)) {
        reason = "is cut short or no PNG";
        return false;
    }
    return decodePicture(bytes, kind, picture, reason);
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

cTexture* loadImageTexture(const std::string& path, ePictureLevels levels) {
    cTexture* texture = new cTexture(false);
    texture->loadFile(path, GL_TEXTURE_2D, levels == ePictureLevels::chain,
                      levels == ePictureLevels::half);
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
      sourceHalved(other.sourceHalved),
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
    sourceHalved = other.sourceHalved;
    faceFiles = other.faceFiles;
    tracked = other.tracked;
    if (tracked) liveReload::track(*this);
    return *this;
}

cTexture::~cTexture() {
    if (tracked) liveReload::forget(*this);
}

void cTexture::loadFile(const std::string& path, GLenum imageTarget, bool buildMipmaps,
                        bool halved) {
    preparePictureLoading();
    const std::string extension = fileExtension(path);
    const bool cube = extension == "CUB";
    if (!cube && extension != "PNG" && extension != "DDS") return;  // not an image we load

    // Remembered whether or not the file decodes, so that fixing it later brings it in.
    sourcePath = path;
    sourceTarget = imageTarget;
    sourceMipmaps = buildMipmaps;
    sourceHalved = halved && !buildMipmaps;
    faceFiles.clear();
    if (!tracked) liveReload::track(*this);
    tracked = true;

    std::string reason;
    if (!cube) {
        glGenTextures(1, &name);
        glBindTexture(imageTarget, name);
        cPicture picture;
        if (!readPicture(path, picture, reason)) {
            std::cout << "OH SHIT. the devil fails:" << path << std::endl;
            picture = clearPicture();
        }
        specifyPicture(*this, imageTarget, buildMipmaps, sourceHalved, picture, path);
        return;
    }

    std::ifstream in(path);
    const cCubeDescription description = readCubeDescription(in);
    faceFiles = description.faces;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_CUBE_MAP, name);
    for (int face = 0; face < 6; ++face) {
        cPicture picture;
        if (!readPicture(description.faces[face], picture, reason)) {
            std::cout << "OH SHIT. the devil fails" << std::endl;
            picture = clearPicture();
        }
        specifyCubeFace(*this, GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, description.mipmaps, picture,
                        description.faces[face]);
    }
}

bool cTexture::reload() {
    if (!tracked) return false;
    preparePictureLoading();
    std::string reason;

    if (fileExtension(sourcePath) != "CUB") {
        cPicture picture;
        if (!readPicture(sourcePath, picture, reason)) {
            std::cout << "reload: " << sourcePath << " " << reason << ", keeping the old picture"
                      << std::endl;
            return false;
        }
        const cBindingKeeper keeper(sourceTarget);
        glBindTexture(sourceTarget, name);
        specifyPicture(*this, sourceTarget, sourceMipmaps, sourceHalved, picture, sourcePath);
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
    std::vector<cPicture> pictures(6);
    for (int face = 0; face < 6; ++face) {
        if (!readPicture(description.faces[face], pictures[face], reason)) {
            std::cout << "reload: " << sourcePath << ": " << description.faces[face] << " "
                      << reason << ", keeping the old picture" << std::endl;
            return false;
        }
    }
    const cBindingKeeper keeper(GL_TEXTURE_CUBE_MAP);
    glBindTexture(GL_TEXTURE_CUBE_MAP, name);
    for (int face = 0; face < 6; ++face) {
        specifyCubeFace(*this, GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, description.mipmaps,
                        pictures[face], description.faces[face]);
    }
    faceFiles = description.faces;
    return true;
}

}  // namespace nimra
