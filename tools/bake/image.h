#pragma once
// Float RGBA canvases for the baked pictures. Pixels are premultiplied while painting and
// turned back to straight alpha when written, which is what DevIL and the shaders expect.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace nimra::bake {

struct cColour {
    float r = 0, g = 0, b = 0, a = 1;  // straight alpha, 0..1
};

cColour rgb(uint32_t hex, float alpha = 1);
cColour mix(const cColour& a, const cColour& b, float t);
cColour scaled(const cColour& c, float brightness);  // rgb only
cColour withAlpha(const cColour& c, float alpha);

// A colour ramp: stops in increasing order of `at`, clamped at both ends.
struct cColourStop {
    float at;
    cColour colour;
};
cColour gradient(const std::vector<cColourStop>& stops, float t);

float smoothstep(float edge0, float edge1, float x);

// A coverage mask: one value in 0..1 per pixel, row 0 at the top.
struct cMask {
    int width = 0;
    int height = 0;
    std::vector<float> values;

    cMask() = default;
    cMask(int w, int h) : width(w), height(h), values(size_t(w) * h, 0.0f) {}
    float& at(int x, int y) { return values[size_t(y) * width + x]; }
    float at(int x, int y) const { return values[size_t(y) * width + x]; }
    void add(const cMask& other);       // union, saturating
    void subtract(const cMask& other);  // this minus other
    void multiply(float factor);
};

// Separable Gaussian; sigmaX and sigmaY in pixels (0 leaves that axis alone).
void blur(cMask& mask, float sigmaX, float sigmaY);

class cImage {
public:
    int width = 0;
    int height = 0;
    std::vector<float> pixels;  // premultiplied RGBA

    cImage(int w, int h);

    float* at(int x, int y) { return &pixels[(size_t(y) * width + x) * 4]; }
    const float* at(int x, int y) const { return &pixels[(size_t(y) * width + x) * 4]; }
    cColour get(int x, int y) const;  // straight alpha

    void fill(const cColour& c);
    // Sets every pixel from a function of its centre in 0..1 texture coordinates.
    void shade(const std::function<cColour(float u, float v)>& f);
    void blendOver(int x, int y, const cColour& c, float coverage);
    void blendAdd(int x, int y, const cColour& c, float coverage);
    // Paints a colour (or a colour per pixel) through a mask, over what is there.
    void paint(const cMask& mask, const cColour& c);
    void paint(const cMask& mask, const std::function<cColour(float u, float v)>& f);
    // Adds light through a mask, for glows.
    void glow(const cMask& mask, const cColour& c);

    // 8-bit PNG, RGBA or RGB. Throws cBakeError naming the path on failure.
    void writePng(const std::string& path, bool withAlpha) const;
};

struct cPngInfo {
    int width = 0;
    int height = 0;
    int channels = 0;
    std::vector<uint8_t> pixels;  // straight, row 0 at the top
};
// Reads an 8-bit RGB or RGBA PNG; throws cBakeError on failure.
cPngInfo readPng(const std::string& path);

}  // namespace nimra::bake
