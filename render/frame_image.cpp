#include "render/frame_image.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "render/gl.h"

namespace nimra {

void readFrame(int width, int height, std::vector<uint8_t>& rgb) {
    if (width <= 0 || height <= 0) {
        rgb.clear();
        return;
    }
    const size_t row = static_cast<size_t>(width) * 3;
    std::vector<uint8_t> bottomUp(row * height);
    // Rows of an odd width are not a multiple of four bytes; the alignment goes back to
    // what it was, as the show's own read-backs expect theirs.
    GLint alignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    rgb.resize(bottomUp.size());
    for (int y = 0; y < height; ++y) {
        std::memcpy(&rgb[y * row], &bottomUp[(height - 1 - y) * row], row);
    }
}

bool readFrameInto(const cPixelRect& picture, int frameWidth, int frameHeight,
                   std::vector<uint8_t>& frame) {
    const bool fits = picture.x >= 0 && picture.y >= 0 && picture.width > 0 && picture.height > 0 &&
                      picture.x + picture.width <= frameWidth &&
                      picture.y + picture.height <= frameHeight &&
                      frame.size() >= size_t(frameWidth) * frameHeight * 3;
    if (!fits) return false;
    while (glGetError() != GL_NO_ERROR) {
    }
    GLint alignment = 4, rowLength = 0, skipPixels = 0, skipRows = 0;
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glGetIntegerv(GL_PACK_ROW_LENGTH, &rowLength);
    glGetIntegerv(GL_PACK_SKIP_PIXELS, &skipPixels);
    glGetIntegerv(GL_PACK_SKIP_ROWS, &skipRows);
    // GL places the rows itself, the frame's width apart and past the bars.
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, frameWidth);
    glPixelStorei(GL_PACK_SKIP_PIXELS, picture.x);
    glPixelStorei(GL_PACK_SKIP_ROWS, picture.y);
    glReadPixels(0, 0, picture.width, picture.height, GL_RGB, GL_UNSIGNED_BYTE, frame.data());
    const bool read = glGetError() == GL_NO_ERROR;
    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    glPixelStorei(GL_PACK_ROW_LENGTH, rowLength);
    glPixelStorei(GL_PACK_SKIP_PIXELS, skipPixels);
    glPixelStorei(GL_PACK_SKIP_ROWS, skipRows);
    return read;
}

namespace {

// libpng's complaint, kept for the caller's message; the jump goes back to png_jmpbuf.
void keepPngError(png_structp png, png_const_charp message) {
    auto* reason = static_cast<std::string*>(png_get_error_ptr(png));
    if (reason) *reason = message ? message : "";
    png_longjmp(png, 1);
}

// Everything that may jump lives here: the caller's strings are built before and after.
bool encode(FILE* file, int width, int height, const uint8_t* rgb, bool quick, eRows rows,
            std::string* reason) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, reason, keepPngError, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_compression_level(png, quick ? 1 : 6);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) {
        const int row = rows == eRows::topDown ? y : height - 1 - y;
        png_write_row(png, rgb + static_cast<size_t>(row) * width * 3);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
              bool quick, std::string& error, eRows rows) {
    if (width <= 0 || height <= 0 ||
        rgb.size() / 3 / static_cast<size_t>(width) < static_cast<size_t>(height)) {
        error = "cannot write " + path + ": no " + std::to_string(width) + " x " +
                std::to_string(height) + " picture to write";
        return false;
    }
    // Written under a temporary name and renamed, so a reader never sees half a frame.
    const std::string partial = path + ".part";
    FILE* file = std::fopen(partial.c_str(), "wb");
    if (!file) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    std::string reason;
    if (!encode(file, width, height, rgb.data(), quick, rows, &reason)) {
        std::fclose(file);
        std::remove(partial.c_str());
        error = "cannot encode " + path + (reason.empty() ? "" : ": " + reason);
        return false;
    }
    const bool flushed = std::fclose(file) == 0;
    if (!flushed || std::rename(partial.c_str(), path.c_str()) != 0) {
        const int cause = errno;
        std::remove(partial.c_str());
        error = "cannot write " + path + ": " + std::strerror(cause);
        return false;
    }
    return true;
}

bool writeFramePng(const std::string& path, int width, int height, std::string& error) {
    std::vector<uint8_t> rgb;
    readFrame(width, height, rgb);
    return writePng(path, width, height, rgb, false, error);
}

}  // namespace nimra
