// Pictures through stb_image and scaled the way DevIL scales them: the browser's path, where
// DevIL does not exist (render/picture_web.cpp), built natively as well for the tests.

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_FAILURE_USERMSG
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

#include "render/gl.h"
#include "render/picture_file.h"

namespace nimra {

bool decodePictureWithStb(const std::string& bytes, const std::string& kind, cPicture& picture,
                          std::string& reason) {
    if (kind != "PNG") {
        reason = "does not decode: only PNG pictures are read here";
        return false;
    }
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels =
        stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                              static_cast<int>(bytes.size()), &width, &height, &channels, 0);
    if (!pixels) {
        reason = std::string("does not decode: ") + stbi_failure_reason();
        return false;
    }
    static const unsigned formats[5] = {0, GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB, GL_RGBA};
    picture.width = width;
    picture.height = height;
    picture.bytesPerPixel = channels;
    picture.format = formats[channels];
    picture.pixels.assign(pixels, pixels + size_t(width) * height * channels);
    stbi_image_free(pixels);
    return true;
}

void scalePictureNearest(cPicture& picture, int width, int height) {
    if (width <= 0) width = 1;
    if (height <= 0) height = 1;
    if (width == picture.width && height == picture.height) return;
    // DevIL's nearest filter: the ratios in single precision, each position divided by its
    // ratio and truncated.
    const float scaleX = static_cast<float>(width) / static_cast<float>(picture.width);
    const float scaleY = static_cast<float>(height) / static_cast<float>(picture.height);
    const int bpp = picture.bytesPerPixel;
    std::vector<uint8_t> scaled(size_t(width) * height * bpp);
    for (int y = 0; y < height; ++y) {
        const size_t fromRow =
            size_t(static_cast<unsigned>(static_cast<float>(y) / scaleY)) * picture.width * bpp;
        for (int x = 0; x < width; ++x) {
            const size_t from =
                fromRow + size_t(static_cast<unsigned>(static_cast<float>(x) / scaleX)) * bpp;
            const size_t to = (size_t(y) * width + x) * bpp;
            for (int c = 0; c < bpp; ++c)
                scaled[to + c] = picture.pixels[from + c];
        }
    }
    picture.width = width;
    picture.height = height;
    picture.pixels.swap(scaled);
}

}  // namespace nimra
