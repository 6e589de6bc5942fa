// Pictures through DevIL, the native programs' decoder.

#include <IL/il.h>
#include <IL/ilu.h>
#include <IL/ilut.h>

#include <cstring>

#include "render/picture_file.h"

namespace nimra {

namespace {

bool devilReady = false;

// The bound DevIL image, copied out.
void copyBound(cPicture& picture) {
    picture.width = ilGetInteger(IL_IMAGE_WIDTH);
    picture.height = ilGetInteger(IL_IMAGE_HEIGHT);
    picture.bytesPerPixel = ilGetInteger(IL_IMAGE_BYTES_PER_PIXEL);
    picture.format = static_cast<unsigned>(ilGetInteger(IL_IMAGE_FORMAT));
    const size_t bytes = size_t(picture.width) * picture.height * picture.bytesPerPixel;
    const ILubyte* data = ilGetData();
    picture.pixels.assign(data, data + (data ? bytes : 0));
}

}  // namespace

void preparePictureLoading() {
    if (devilReady) return;
    ilInit();
    iluInit();
    // Also sets byte-aligned pixel rows, which odd-sized RGB levels need.
    ilutRenderer(ILUT_OPENGL);
    devilReady = true;
}

bool decodePicture(const std::string& bytes, const std::string& kind, cPicture& picture,
                   std::string& reason) {
    preparePictureLoading();
    while (ilGetError() != IL_NO_ERROR) {
    }
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    const std::string typeName = "picture." + kind;
    const bool loaded =
        ilLoadL(ilTypeFromExt(typeName.c_str()), bytes.data(), static_cast<ILuint>(bytes.size()));
    if (loaded) {
        copyBound(picture);
    } else {
        const ILenum error = ilGetError();
        const char* text = error != IL_NO_ERROR ? iluErrorString(error) : nullptr;
        reason = std::string("does not decode: ") + (text ? text : "unknown error");
    }
    ilDeleteImages(1, &image);
    return loaded;
}

void scalePicture(cPicture& picture, int width, int height) {
    preparePictureLoading();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilTexImage(static_cast<ILuint>(picture.width), static_cast<ILuint>(picture.height), 1,
               static_cast<ILubyte>(picture.bytesPerPixel), static_cast<ILenum>(picture.format),
               IL_UNSIGNED_BYTE, picture.pixels.data());
    iluScale(static_cast<ILuint>(width), static_cast<ILuint>(height), 1);
    copyBound(picture);
    ilDeleteImages(1, &image);
}

}  // namespace nimra
