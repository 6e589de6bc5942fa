#pragma once
// Picture files decoded for textures: 8-bit rows, and scaled down in place for the mipmap
// chain, exactly as the native loader (DevIL) gives and scales them, so that a texture's
// every level is the same whichever decoder made it. The native programs decode with DevIL
// (render/picture_devil.cpp); the browser, where DevIL does not exist, with stb_image and
// our own copy of DevIL's scaling (render/picture_web.cpp over render/picture_stb.cpp, which
// the native build compiles too, so that its tests can hold both paths side by side).

#include <cstdint>
#include <string>
#include <vector>

namespace nimra {

struct cPicture {
    int width = 0;
    int height = 0;
    int bytesPerPixel = 0;        // 1 to 4
    unsigned format = 0;          // the GL format naming the bytes: GL_RGB, GL_RGBA, ...
    std::vector<uint8_t> pixels;  // rows of width * bytesPerPixel bytes, no padding
};

// Before the first picture is decoded, with the GL context current: the decoder's own
// start-up, and the GL unpacking state its pictures are uploaded with (rows of any length).
void preparePictureLoading();

// The bytes of a picture file of the kind its extension names ("PNG", "DDS"; see
// fileExtension). False with a reason when they do not decode.
bool decodePicture(const std::string& bytes, const std::string& kind, cPicture& picture,
                   std::string& reason);

// Scaled in place to width x height (0 counts as 1) as DevIL's iluScale scales with its
// default filter, nearest: every pixel is the source pixel at floor(x / (width / w0)),
// floor(y / (height / h0)), the ratios in single precision.
void scalePicture(cPicture& picture, int width, int height);

// The browser's path, on any platform: stb_image's PNG decoder giving what DevIL gives, and
// DevIL's nearest scaling as described above.
bool decodePictureWithStb(const std::string& bytes, const std::string& kind, cPicture& picture,
                          std::string& reason);
void scalePictureNearest(cPicture& picture, int width, int height);

}  // namespace nimra
