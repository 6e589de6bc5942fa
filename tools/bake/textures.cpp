// Small procedural images: the palette strips the scene shaders look colours up in, the
// radial sprites of the blob layers, two tileable surface textures and the smoke puff.

#include <algorithm>
#include <cmath>

#include "asset.h"
#include "image.h"
#include "noise.h"

namespace nimra::bake {

namespace {

// A palette runs dark to light along u; every row is the same, so any v reads it.
void makePalette(const std::string& path, const std::vector<cColourStop>& stops) {
    cImage image(256, 16);
    image.shade([&](float u, float) { return gradient(stops, u); });
    image.writePng(path, false);
}

// Warm club light: plum, crimson, copper, amber, gold, cream.
const std::vector<cColourStop> warmPalette = {
    {0.0f, rgb(0x14071A)},  {0.18f, rgb(0x4A0E3A)}, {0.36f, rgb(0x9C1F3F)}, {0.54f, rgb(0xE0572F)},
    {0.72f, rgb(0xF9A03F)}, {0.88f, rgb(0xFFD98A)}, {1.0f, rgb(0xFFF6E0)}};
// The harbour at night: navy, teal, sea green, mint, with lamp gold at the top.
const std::vector<cColourStop> coolPalette = {
    {0.0f, rgb(0x050814)},  {0.2f, rgb(0x0E2147)},  {0.4f, rgb(0x15617A)}, {0.58f, rgb(0x2FB3A8)},
    {0.74f, rgb(0x9BE3C8)}, {0.86f, rgb(0xF2C879)}, {1.0f, rgb(0xFFF4E4)}};

// Soft radial sprites: white, with alpha falling to exactly 0 at the rim.
void makeSprite(const std::string& path, bool metaball) {
    cImage image(128, 128);
    image.shade([&](float u, float v) {
        const float dx = u * 2 - 1, dy = v * 2 - 1;
        const float r2 = std::min(1.0f, dx * dx + dy * dy);
        if (metaball) {
            // The classic field falloff: summed, neighbouring blobs melt into each other.
            const float f = (1 - r2) * (1 - r2) * (1 - r2);
            return cColour{1, 1, 1, f};
        }
        const float f = (1 - r2) * (1 - r2);
        return mix(cColour{1.0f, 0.78f, 0.5f, 0}, cColour{1, 0.97f, 0.9f, 1}, f);
    });
    image.writePng(path, true);
}

// Irregular stones in mortar, tiling every 256 pixels.
void makeStoneWall(const std::string& path) {
    cImage image(256, 256);
    constexpr int cells = 6;
    constexpr uint32_t seed = 0x570e;
    image.shade([&](float u, float v) {
        // Stones are wider than tall, as in a coursed wall.
        const float x = u * cells, y = v * cells;
        const cCellSample cell = cellular(x, y * 1.0f, seed, cells);
        const float edge = cell.second - cell.nearest;
        const float mortar = 1 - smoothstep(0.04f, 0.12f, edge);
        const float tone = (cell.id >> 8 & 255) / 255.0f;
        cColour stone = mix(rgb(0x6B5A4E), rgb(0xA08A72), tone);
        stone = mix(stone, rgb(0x7A6A66), (cell.id >> 16 & 255) / 512.0f);
        const float grain = fbm(u * 16, v * 16, seed + 1, 4, 16);
        const float bevel = smoothstep(0.1f, 0.35f, edge);
        stone = scaled(stone, 0.72f + 0.22f * bevel + 0.18f * grain);
        const cColour joint =
            scaled(rgb(0x3A3230), 0.8f + 0.3f * fbm(u * 32, v * 32, seed + 2, 2, 32));
        return mix(stone, joint, mortar);
    });
    image.writePng(path, false);
}

// A coarse weave: threads over and under in a plain weave, gold every fourth thread.
void makeFabric(const std::string& path) {
    cImage image(256, 256);
    constexpr int threads = 16;
    constexpr uint32_t seed = 0xfab;
    image.shade([&](float u, float v) {
        const float x = u * threads, y = v * threads;
        const int ix = int(x), iy = int(y);
        const float fx = x - ix, fy = y - iy;
        // In a plain weave the warp is on top where row and column parity match.
        const bool warpOnTop = ((ix + iy) & 1) == 0;
        const float across = warpOnTop ? fx : fy;  // across the visible thread
        const float along = warpOnTop ? fy : fx;
        const float profile = std::sin(across * 3.14159f);
        const float dip = 0.75f + 0.25f * std::sin(along * 3.14159f);
        const int thread = warpOnTop ? ix : iy;
        const cColour base = thread % 4 == 0 ? rgb(0xC8923A)
                             : warpOnTop     ? rgb(0x27315A)
                                             : rgb(0x1C4752);
        const float fibre = 0.9f + 0.1f * noise(u * 128, v * 128, seed, 128);
        const float gap = smoothstep(0.0f, 0.12f, across) * smoothstep(1.0f, 0.88f, across);
        return scaled(base, (0.35f + 0.65f * profile * dip) * fibre * (0.4f + 0.6f * gap));
    });
    image.writePng(path, false);
}

// A puff of smoke: billowy noise inside a soft disc, pale, alpha 0 at the border.
void makeSmokePuff(const std::string& path) {
    cImage image(128, 128);
    constexpr uint32_t seed = 0x5a0e;
    image.shade([&](float u, float v) {
        const float dx = u * 2 - 1, dy = v * 2 - 1;
        const float r = std::sqrt(dx * dx + dy * dy);
        const float billow = 0.5f + 0.5f * fbm(u * 4, v * 4, seed, 5);
        const float falloff = 1 - smoothstep(0.25f, 0.95f, r + 0.25f * (billow - 0.5f));
        const float a = std::clamp(falloff * (0.35f + 0.9f * billow), 0.0f, 1.0f);
        const float shade = 0.72f + 0.28f * billow;
        return cColour{shade, shade * 0.97f, shade * 0.95f, a};
    });
    image.writePng(path, true);
}

}  // namespace

void addTextureAssets(std::vector<cAsset>& assets) {
    const auto sources = imageSources({"textures.cpp"});
    assets.push_back({"colorscheme.png", sources, {}, "", [](const std::string& p) {
                          makePalette(p, warmPalette);
                      }});
    assets.push_back({"colorscheme2.png", sources, {}, "", [](const std::string& p) {
                          makePalette(p, coolPalette);
                      }});
    assets.push_back(
        {"grad.png", sources, {}, "", [](const std::string& p) { makeSprite(p, false); }});
    assets.push_back(
        {"grad2.png", sources, {}, "", [](const std::string& p) { makeSprite(p, true); }});
    assets.push_back({"stonewall4.png", sources, {}, "", makeStoneWall});
    assets.push_back({"gridlikefabric.png", sources, {}, "", makeFabric});
    assets.push_back({"SMOKEPUFF.PNG", sources, {}, "", makeSmokePuff});
}

}  // namespace nimra::bake
