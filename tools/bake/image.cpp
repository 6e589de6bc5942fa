#include "image.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <memory>

#include "asset.h"

namespace nimra::bake {

cColour rgb(uint32_t hex, float alpha) {
    return {((hex >> 16) & 255) / 255.0f, ((hex >> 8) & 255) / 255.0f, (hex & 255) / 255.0f, alpha};
}

cColour mix(const cColour& a, const cColour& b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t,
            a.a + (b.a - a.a) * t};
}

cColour gradient(const std::vector<cColourStop>& stops, float t) {
    if (t <= stops.front().at) return stops.front().colour;
    for (size_t i = 1; i < stops.size(); ++i)
        if (t <= stops[i].at)
            return mix(stops[i - 1].colour, stops[i].colour,
                       (t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at));
    return stops.back().colour;
}

float smoothstep(float edge0, float edge1, float x) {
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

cColour scaled(const cColour& c, float brightness) {
    return {c.r * brightness, c.g * brightness, c.b * brightness, c.a};
}

cColour withAlpha(const cColour& c, float alpha) { return {c.r, c.g, c.b, alpha}; }

void cMask::add(const cMask& other) {
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = std::min(1.0f, values[i] + other.values[i]);
}

void cMask::subtract(const cMask& other) {
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = std::max(0.0f, values[i] - other.values[i]);
}

void cMask::multiply(float factor) {
    for (float& v : values)
        v *= factor;
}

static std::vector<float> gaussianKernel(float sigma) {
    const int radius = std::max(1, int(std::ceil(sigma * 3)));
    std::vector<float> kernel(2 * radius + 1);
    float sum = 0;
    for (int i = -radius; i <= radius; ++i) {
        kernel[i + radius] = std::exp(-0.5f * i * i / (sigma * sigma));
        sum += kernel[i + radius];
    }
    for (float& k : kernel)
        k /= sum;
    return kernel;
}

// One pass along rows (stride 1) or columns (stride width); edges are transparent.
static void blurPass(std::vector<float>& values, int count, int length, int step, int lineStep,
                     float sigma) {
    const std::vector<float> kernel = gaussianKernel(sigma);
    const int radius = int(kernel.size() / 2);
    std::vector<float> line(length);
    for (int l = 0; l < count; ++l) {
        float* base = values.data() + size_t(l) * lineStep;
        for (int i = 0; i < length; ++i)
            line[i] = base[size_t(i) * step];
        for (int i = 0; i < length; ++i) {
            float sum = 0;
            const int from = std::max(-radius, -i), to = std::min(radius, length - 1 - i);
            for (int k = from; k <= to; ++k)
                sum += line[i + k] * kernel[k + radius];
            base[size_t(i) * step] = sum;
        }
    }
}

void blur(cMask& mask, float sigmaX, float sigmaY) {
    if (sigmaX > 0) blurPass(mask.values, mask.height, mask.width, 1, mask.width, sigmaX);
    if (sigmaY > 0) blurPass(mask.values, mask.width, mask.height, mask.width, 1, sigmaY);
}

cImage::cImage(int w, int h) : width(w), height(h), pixels(size_t(w) * h * 4, 0.0f) {}

cColour cImage::get(int x, int y) const {
    const float* p = at(x, y);
    if (p[3] <= 0) return {0, 0, 0, 0};
    return {p[0] / p[3], p[1] / p[3], p[2] / p[3], p[3]};
}

void cImage::fill(const cColour& c) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            float* p = at(x, y);
            p[0] = c.r * c.a;
            p[1] = c.g * c.a;
            p[2] = c.b * c.a;
            p[3] = c.a;
        }
}

void cImage::shade(const std::function<cColour(float u, float v)>& f) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const cColour c = f((x + 0.5f) / width, (y + 0.5f) / height);
            float* p = at(x, y);
            p[0] = c.r * c.a;
            p[1] = c.g * c.a;
            p[2] = c.b * c.a;
            p[3] = c.a;
        }
}

void cImage::blendOver(int x, int y, const cColour& c, float coverage) {
    const float a = std::clamp(c.a * coverage, 0.0f, 1.0f);
    if (a <= 0) return;
    float* p = at(x, y);
    p[0] = c.r * a + p[0] * (1 - a);
    p[1] = c.g * a + p[1] * (1 - a);
    p[2] = c.b * a + p[2] * (1 - a);
    p[3] = a + p[3] * (1 - a);
}

void cImage::blendAdd(int x, int y, const cColour& c, float coverage) {
    const float a = std::max(0.0f, c.a * coverage);
    if (a <= 0) return;
    float* p = at(x, y);
    p[0] += c.r * a;
    p[1] += c.g * a;
    p[2] += c.b * a;
    p[3] = std::min(1.0f, p[3] + a);
}

void cImage::paint(const cMask& mask, const cColour& c) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            blendOver(x, y, c, mask.at(x, y));
}

void cImage::paint(const cMask& mask, const std::function<cColour(float u, float v)>& f) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const float m = mask.at(x, y);
            if (m > 0) blendOver(x, y, f((x + 0.5f) / width, (y + 0.5f) / height), m);
        }
}

void cImage::glow(const cMask& mask, const cColour& c) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            blendAdd(x, y, c, mask.at(x, y));
}

namespace {

struct cFileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

// libpng reports errors by jumping back to the setjmp of the call that failed; the
// functions holding those setjmps own no C++ objects, so nothing is skipped.
struct cPngError {
    jmp_buf jump;
    char message[200];
};

void pngFailure(png_structp png, png_const_charp message) {
    auto* error = static_cast<cPngError*>(png_get_error_ptr(png));
    std::snprintf(error->message, sizeof error->message, "%s", message);
    longjmp(error->jump, 1);
}
void pngWarning(png_structp, png_const_charp) {}

bool encodePng(FILE* file, int width, int height, int channels, const uint8_t* bytes,
               cPngError* error) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, error, pngFailure, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        std::snprintf(error->message, sizeof error->message, "libpng: out of memory");
        return false;
    }
    if (setjmp(error->jump)) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8,
                 channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, bytes + size_t(y) * width * channels);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

// Fills width, height and channels first, then (after the caller has sized pixels) rows.
bool decodePng(FILE* file, cPngInfo* result, std::vector<uint8_t>* pixels, cPngError* error) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, error, pngFailure, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        std::snprintf(error->message, sizeof error->message, "libpng: out of memory");
        return false;
    }
    if (setjmp(error->jump)) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    result->width = int(png_get_image_width(png, info));
    result->height = int(png_get_image_height(png, info));
    result->channels = png_get_channels(png, info);
    if (png_get_bit_depth(png, info) != 8 || (result->channels != 3 && result->channels != 4)) {
        std::snprintf(error->message, sizeof error->message, "not 8-bit RGB or RGBA");
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    const size_t rowBytes = size_t(result->width) * result->channels;
    pixels->resize(rowBytes * result->height);  // may throw: no libpng frame is skipped
    for (int y = 0; y < result->height; ++y)
        png_read_row(png, pixels->data() + rowBytes * y, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

uint8_t toByte(float v) { return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

}  // namespace

void cImage::writePng(const std::string& path, bool withAlpha) const {
    const int channels = withAlpha ? 4 : 3;
    std::vector<uint8_t> bytes(size_t(width) * height * channels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const float* p = at(x, y);
            uint8_t* out = &bytes[(size_t(y) * width + x) * channels];
            // Fully transparent pixels keep black colour, so the mipmaps of cards fade
            // towards the colour of their shadows rather than towards a stray hue.
            const float a = std::clamp(p[3], 0.0f, 1.0f);
            const float inv = withAlpha ? (a > 0 ? 1.0f / a : 0.0f) : 1.0f;
            out[0] = toByte(p[0] * inv);
            out[1] = toByte(p[1] * inv);
            out[2] = toByte(p[2] * inv);
            if (withAlpha) out[3] = toByte(a);
        }

    std::unique_ptr<FILE, cFileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) throw cBakeError("cannot open " + path + " for writing");
    cPngError error{};
    if (!encodePng(file.get(), width, height, channels, bytes.data(), &error))
        throw cBakeError(std::string("PNG encoding failed: ") + error.message);
    if (std::fflush(file.get()) != 0 || std::ferror(file.get()))
        throw cBakeError("write failed: " + path);
}

cPngInfo readPng(const std::string& path) {
    std::unique_ptr<FILE, cFileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) throw cBakeError("cannot open " + path);
    cPngInfo result;
    cPngError error{};
    if (!decodePng(file.get(), &result, &result.pixels, &error))
        throw cBakeError(path + ": " + error.message);
    return result;
}

}  // namespace nimra::bake
