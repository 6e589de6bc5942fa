// The full-screen pictures: the backdrop's harbour at dusk and at night, the two interlude
// posters and the overlay that frames the whole show. The demo stretches each over the
// 800 x 600 screen, so they are composed on an 800 x 600 design canvas and stored at
// 1024 x 512, pre-squashed.

#include <algorithm>
#include <cmath>

#include "asset.h"
#include "noise.h"
#include "type_card.h"
#include "vector_art.h"

namespace nimra::bake {

namespace {

constexpr double screenW = 800, screenH = 600;
constexpr double horizon = 362;  // design pixels from the top

cCanvasMap screenMap(const cImage& image) {
    const double scale = image.height / screenH;
    return {scale, 0, 0, image.width / (screenW * scale)};
}

// What tells the two harbour pictures apart.
struct cHarbourLight {
    std::vector<cColourStop> sky;  // top of the picture to the horizon
    cColour cloudDark, cloudLit;
    cColour ridge, buildings, silhouette;
    cColour water;
    bool night;
    float windowsLit;  // share of windows with a light on
};

cHarbourLight dusk() {
    return {{{0.0f, rgb(0x1A0F33)},
             {0.35f, rgb(0x4B1A4A)},
             {0.62f, rgb(0xA0345A)},
             {0.82f, rgb(0xEE7440)},
             {1.0f, rgb(0xFFC766)}},
            rgb(0x3A1440),
            rgb(0xFF9A5C),
            rgb(0x6E2A4E),
            rgb(0x3A1535),
            rgb(0x1E0A1E),
            rgb(0x2A1238),
            false,
            0.25f};
}

cHarbourLight night() {
    return {{{0.0f, rgb(0x060818)},
             {0.45f, rgb(0x111A3E)},
             {0.8f, rgb(0x2A2C5E)},
             {1.0f, rgb(0x5A3A6E)}},
            rgb(0x141832),
            rgb(0x8F8FC8),
            rgb(0x24224A),
            rgb(0x14132C),
            rgb(0x07060F),
            rgb(0x0C1028),
            true,
            0.6f};
}

struct cBuilding {
    double x, width, height;
    int roof;  // 0 flat, 1 sawtooth, 2 gable
};

const cBuilding buildings[] = {
    {0, 70, 46, 1},   {66, 58, 30, 0},  {300, 54, 26, 2}, {350, 40, 18, 0},
    {600, 62, 36, 1}, {658, 30, 22, 0}, {740, 64, 40, 2},
};

cPath buildingPath(const cBuilding& b) {
    cPath p;
    const double base = horizon + 2, top = horizon - b.height;
    p.moveTo(b.x, base).lineTo(b.x, top);
    if (b.roof == 1) {
        for (double x = b.x; x < b.x + b.width - 1; x += 14)
            p.lineTo(std::min(x + 10, b.x + b.width), top - 9)
                .lineTo(std::min(x + 14, b.x + b.width), top);
    } else if (b.roof == 2) {
        p.lineTo(b.x + b.width / 2, top - 16);
    }
    p.lineTo(b.x + b.width, top).lineTo(b.x + b.width, base).close();
    return p;
}

// A gantry crane: two legs, a long boom, a cab and a hanging cable.
cPath craneLines(double x, double height, double reach) {
    const double base = horizon + 2, top = horizon - height;
    cPath p;
    p.moveTo(x - 14, base).lineTo(x - 6, top).lineTo(x + 6, top).lineTo(x + 14, base);
    for (double y = base - 18; y > top + 6; y -= 18)
        p.moveTo(x - 12, y).lineTo(x + 12, y - 12);
    p.moveTo(x - reach * 0.35, top - 4).lineTo(x + reach, top - 4);
    p.moveTo(x, top).lineTo(x, top - 26).lineTo(x + reach * 0.7, top - 4);
    p.moveTo(x, top - 26).lineTo(x - reach * 0.35, top - 4);
    p.moveTo(x + reach * 0.8, top - 4).lineTo(x + reach * 0.8, top + height * 0.45);
    return p;
}

void paintHarbour(cImage& image, const cHarbourLight& light, uint32_t seed) {
    const int w = image.width, h = image.height;
    const cCanvasMap map = screenMap(image);
    const float horizonV = float(horizon / screenH);
    const float aspect = float(screenW / screenH);

    // Sky with a band of clouds lit from the horizon.
    image.shade([&](float u, float v) {
        const float t = std::min(1.0f, v / horizonV);
        cColour c = gradient(light.sky, t);
        const float x = u * aspect;
        const float density =
            fbm(x * 2.4f, v * 11.0f, seed, 5) + 0.18f * fbm(x * 7, v * 30, seed + 9, 3);
        const float band = smoothstep(0.08f, 0.22f, v) * (1 - smoothstep(0.42f, 0.55f, v));
        const float cloud = smoothstep(0.05f, 0.32f, density) * band;
        const float lit =
            smoothstep(0.25f, 0.55f, v) * 0.8f + 0.2f * smoothstep(0.0f, 0.3f, density);
        c = mix(c, mix(light.cloudDark, light.cloudLit, lit), cloud * 0.85f);
        if (light.night && v < horizonV * 0.9f) {
            // Stars, fewer towards the glow of the horizon.
            const int sx = int(u * w), sy = int(v * h);
            const float star = latticeValue(sx, sy, seed + 77);
            const float threshold = 0.9965f + 0.003f * t;
            if (star > threshold && cloud < 0.3f)
                c = mix(c, rgb(0xF4F0FF), 0.55f + 0.45f * (star - threshold) / (1 - threshold));
        }
        return c;
    });

    // The sun sinking behind the harbour, cut by the bands of a dusk haze; or the moon.
    if (!light.night) {
        const double sx = 520, sy = horizon - 10, r = 84;
        cMask glow = fillPath(cPath().circle(sx, sy, r * 1.6), w, h, map);
        blur(glow, 38, 38);
        image.glow(glow, withAlpha(rgb(0xFF8A3D), 0.55f));
        cMask disc = fillPath(cPath().circle(sx, sy, r), w, h, map);
        cPath bands;
        for (int i = 0; i < 4; ++i) {
            const double y = sy - 44 + i * 10;
            bands.rect(sx - r - 2, y, 2 * r + 4, 1.5 + i * 1.2);
        }
        disc.subtract(fillPath(bands, w, h, map));
        image.paint(disc, [&](float, float v) {
            const float t = std::clamp(float((v * screenH - (sy - r)) / (2 * r)), 0.0f, 1.0f);
            return mix(rgb(0xFFF0B0), rgb(0xFF6A3A), t);
        });
    } else {
        const double mx = 585, my = 132, r = 30;
        cMask glow = fillPath(cPath().circle(mx, my, r * 2.2), w, h, map);
        blur(glow, 30, 30);
        image.glow(glow, withAlpha(rgb(0x8088D0), 0.35f));
        cMask disc = fillPath(cPath().circle(mx, my, r), w, h, map);
        image.paint(disc, [&](float u, float v) {
            const float n = fbm(u * 60, v * 45, seed + 3, 3);
            return mix(rgb(0xFFF8E4), rgb(0xD8D0C0), smoothstep(-0.2f, 0.5f, n));
        });
    }

    // Far hills, then the quay: warehouses, cranes and the lighthouse on its mole.
    cPath ridge;
    ridge.moveTo(0, horizon + 2);
    for (int i = 0; i <= 40; ++i) {
        const double x = i * screenW / 40;
        ridge.lineTo(x, horizon - 16 - 14 * fbm(float(i) * 0.21f, 0.5f, seed + 5, 3));
    }
    ridge.lineTo(screenW, horizon + 2).close();
    image.paint(fillPath(ridge, w, h, map), light.ridge);

    cPath quay;
    for (const cBuilding& b : buildings)
        quay.append(buildingPath(b));
    quay.rect(0, horizon - 4, screenW, 6);
    image.paint(fillPath(quay, w, h, map), light.buildings);

    // Lit windows: a few at dusk, most of them at night.
    cRandom random(seed + 11);
    cPath windows;
    for (const cBuilding& b : buildings)
        for (double y = horizon - b.height + 8; y < horizon - 6; y += 9)
            for (double x = b.x + 6; x < b.x + b.width - 8; x += 9)
                if (random.chance(light.windowsLit)) windows.rect(x, y, 4, 4.5);
    cMask windowMask = fillPath(windows, w, h, map);
    image.paint(windowMask, rgb(0xFFC870));
    cMask windowGlow = windowMask;
    blur(windowGlow, 4, 4);
    image.glow(windowGlow, withAlpha(rgb(0xFF9A40), 0.7f));

    cPath cranes = craneLines(150, 92, 110);
    cranes.append(craneLines(250, 70, 80));
    image.paint(strokePath(cranes, w, h, map, 3.2), light.silhouette);

    const double lx = 706;
    cPath tower;
    tower.polygon({{lx - 13, horizon + 2},
                   {lx - 8, horizon - 118},
                   {lx + 8, horizon - 118},
                   {lx + 13, horizon + 2}});
    tower.rect(lx - 11, horizon - 134, 22, 16);
    tower.polygon({{lx - 13, horizon - 134}, {lx, horizon - 146}, {lx + 13, horizon - 134}});
    tower.rect(lx - 40, horizon - 2, 80, 6);
    image.paint(fillPath(tower, w, h, map), light.silhouette);
    cMask lamp = fillPath(cPath().circle(lx, horizon - 126, 6), w, h, map);
    image.paint(lamp, rgb(0xFFE9A8));
    cMask beam = fillPath(cPath().polygon({{lx, horizon - 129},
                                           {lx - 330, horizon - 175},
                                           {lx - 330, horizon - 105},
                                           {lx, horizon - 123}}),
                          w, h, map);
    blur(beam, 10, 10);
    image.glow(beam, withAlpha(rgb(0xFFE2A0), light.night ? 0.22f : 0.1f));
    blur(lamp, 9, 9);
    image.glow(lamp, withAlpha(rgb(0xFFD080), 1.0f));

    // Water: the sky and the quay mirrored, broken up by ripples that grow towards the
    // viewer, then tinted and darkened with depth.
    const int horizonRow = int(std::lround(horizon * h / screenH));
    std::vector<float> above(image.pixels.begin(),
                             image.pixels.begin() + size_t(horizonRow) * w * 4);
    for (int y = horizonRow; y < h; ++y) {
        const float depth = float(y - horizonRow) / float(h - horizonRow);  // 0 .. 1
        const float v = (y + 0.5f) / h;
        for (int x = 0; x < w; ++x) {
            const float u = (x + 0.5f) / w;
            // Waves are long and low: squeezed vertically, more so near the horizon.
            const float ripple = noise(u * 7, v * 90 / (0.2f + depth), seed + 21) +
                                 0.5f * noise(u * 23, v * 300 / (0.2f + depth), seed + 22);
            const float mirrored = float(horizonRow) - (y - horizonRow) * 1.15f - 1 +
                                   ripple * h * 0.012f * (0.3f + depth);
            const int my = std::clamp(int(mirrored), 0, horizonRow - 1);
            const int mx = std::clamp(int(x + ripple * w * 0.03f * (0.15f + depth)), 0, w - 1);
            const float* src = &above[(size_t(my) * w + mx) * 4];
            const float keep = 0.62f - 0.3f * depth;
            float* dst = image.at(x, y);
            for (int k = 0; k < 3; ++k) {
                const float tint = (k == 0   ? light.water.r
                                    : k == 1 ? light.water.g
                                             : light.water.b);
                dst[k] = src[k] * keep + tint * (1 - keep) * (1 - 0.35f * depth);
            }
            dst[3] = 1;
        }
    }

    // Glints on the water under the sun (or the moon) and the lighthouse.
    auto glints = [&](double centreX, double spread, cColour colour, float strength) {
        image.shade([&, base = image](float u, float v) {
            const float* p = base.at(std::min(w - 1, int(u * w)), std::min(h - 1, int(v * h)));
            cColour c{p[0], p[1], p[2], 1};
            const double y = v * screenH;
            if (y <= horizon + 2) return c;
            const float depth = float((y - horizon) / (screenH - horizon));
            const double dx = (u * screenW - centreX) / (spread * (0.35 + depth));
            const float column = float(std::exp(-dx * dx));
            const float streak = smoothstep(0.35f, 0.75f, noise(u * 22, v * 260, seed + 31));
            const float amount = column * streak * strength * (1 - 0.5f * depth);
            return mix(c, colour, std::min(1.0f, amount));
        });
    };
    if (!light.night)
        glints(520, 70, rgb(0xFFD27A), 0.9f);
    else
        glints(585, 40, rgb(0xD8DCFF), 0.6f);
    glints(lx, 10, rgb(0xFFD890), 0.7f);

    // A sailing boat at anchor, with its reflection.
    auto boat = [&](double x, double y, double s) {
        cPath hull;
        hull.moveTo(x - 30 * s, y)
            .lineTo(x + 34 * s, y)
            .lineTo(x + 24 * s, y + 9 * s)
            .lineTo(x - 24 * s, y + 9 * s)
            .close();
        hull.rect(x - 1.2 * s, y - 78 * s, 2.4 * s, 78 * s);
        hull.polygon({{x + 3 * s, y - 74 * s}, {x + 3 * s, y - 6 * s}, {x + 30 * s, y - 6 * s}});
        hull.polygon({{x - 3 * s, y - 62 * s}, {x - 3 * s, y - 6 * s}, {x - 22 * s, y - 6 * s}});
        cPath reflection = hull;
        for (cPath::cCommand& c : reflection.commands)
            for (cPoint& p : c.p)
                p.y = 2 * (y + 9 * s) - p.y;
        cMask r = fillPath(reflection, w, h, map);
        blur(r, 2.5f, 1.5f);
        r.multiply(0.45f);
        image.paint(r, light.silhouette);
        image.paint(fillPath(hull, w, h, map), light.silhouette);
    };
    boat(408, horizon + 34, 0.8);
    boat(292, horizon + 16, 0.5);

    // The pier in front: a plank deck on pilings, with lamps and their reflections.
    cPath pier;
    pier.polygon({{0, 446}, {318, 430}, {318, 438}, {0, 468}});
    for (double x = 12; x < 318; x += 34) {
        const double top = 446 - x * 0.05;
        pier.rect(x, top, 4.5, 36 - x * 0.04);
    }
    image.paint(fillPath(pier, w, h, map), light.silhouette);
    cPath posts, lamps;
    for (double x = 70; x < 318; x += 120) {
        const double base = 444 - x * 0.05;
        posts.moveTo(x, base).lineTo(x, base - 92).lineTo(x + 12, base - 98);
        lamps.circle(x + 14, base - 94, 5.5);
    }
    image.paint(strokePath(posts, w, h, map, 3.0), light.silhouette);
    cMask lampMask = fillPath(lamps, w, h, map);
    image.paint(lampMask, rgb(0xFFF0C0));
    cMask halo = lampMask;
    blur(halo, 14, 14);
    image.glow(halo, withAlpha(rgb(0xFFA048), 2.0f));
    for (double x = 70; x < 318; x += 120)
        glints(x + 14, 6, rgb(0xFFC060), 0.5f);

    // A soft vignette keeps the eye in the middle of the screen.
    image.shade([&, base = image](float u, float v) {
        const float* p = base.at(std::min(w - 1, int(u * w)), std::min(h - 1, int(v * h)));
        const float dx = (u - 0.5f) * 1.2f, dy = v - 0.5f;
        const float k = 1 - 0.45f * smoothstep(0.25f, 0.75f, dx * dx + dy * dy);
        return cColour{p[0] * k, p[1] * k, p[2] * k, 1};
    });
}

void makeHarbour(const std::string& path, bool atNight) {
    cImage image(1024, 512);
    paintHarbour(image, atNight ? night() : dusk(), atNight ? 0x2b1d : 0x1a0c);
    image.writePng(path, false);
}

// A saxophone in design units, about 100 tall, bell to the right: a conical body stroked
// along a J, a flared bell, the crook and mouthpiece, and a row of keys.
struct cSaxophone {
    cPath body, crook, bell, keys;
};

cSaxophone saxophone() {
    cSaxophone sax;
    sax.body.moveTo(2, -40)
        .cubicTo(9, -26, 5, 2, 7, 26)
        .cubicTo(8, 46, 32, 48, 35, 28)
        .lineTo(37, 6);
    sax.crook.moveTo(2, -40).cubicTo(-1, -50, -9, -53, -15, -49).lineTo(-21, -45);
    sax.bell.polygon({{30, 10}, {44, 10}, {51, -3}, {23, -3}});
    sax.bell.ellipse(37, -3, 14, 4.5);
    for (int i = 0; i < 6; ++i)
        sax.keys.circle(12.5 + i * 0.2, -24 + i * 8.5, 2.6);
    return sax;
}

void makeOverlay(const std::string& path) {
    cImage image(1024, 512);
    const cCanvasMap map = screenMap(image);
    const int w = image.width, h = image.height;

    // A hairline frame with brighter corner brackets, just inside the screen's edge.
    const double inset = 16, radius = 10;
    cPath frame;
    frame.roundedRect(inset, inset, screenW - 2 * inset, screenH - 2 * inset, radius);
    image.paint(strokePath(frame, w, h, map, 1.3, true), withAlpha(rgb(0xFFE6C0), 0.32f));
    cPath brackets;
    const double arm = 34, i2 = inset - 5;
    for (int corner = 0; corner < 4; ++corner) {
        const double x = corner % 2 ? screenW - i2 : i2, y = corner / 2 ? screenH - i2 : i2;
        const double dx = corner % 2 ? -1 : 1, dy = corner / 2 ? -1 : 1;
        brackets.moveTo(x + dx * arm, y).lineTo(x, y).lineTo(x, y + dy * arm);
    }
    image.paint(strokePath(brackets, w, h, map, 2.2), withAlpha(rgb(0xFFC878), 0.6f));

    // The emblem in the lower right corner, brass with a dark edge and a soft shadow.
    const cSaxophone sax = saxophone();
    cCanvasMap emblem = map;
    const double size = 0.75;
    emblem.scale = map.scale * size;
    emblem.offsetX = 738 * map.scale;
    emblem.offsetY = 520 * map.scale;
    cMask fill = strokePath(sax.body, w, h, emblem, 9);
    fill.add(strokePath(sax.crook, w, h, emblem, 4));
    fill.add(fillPath(sax.bell, w, h, emblem));
    cMask edge = strokePath(sax.body, w, h, emblem, 13);
    edge.add(strokePath(sax.crook, w, h, emblem, 7));
    edge.add(strokePath(sax.bell, w, h, emblem, 4, true));
    edge.add(fill);
    cMask shadow = edge;
    blur(shadow, 5, 5);
    image.paint(shadow, withAlpha(rgb(0x000000), 0.5f));
    image.paint(edge, withAlpha(rgb(0x1A0C10), 0.8f));
    image.paint(fill, [&](float, float v) {
        const float t = std::clamp(float((v * screenH - 490) / 70), 0.0f, 1.0f);
        return withAlpha(mix(rgb(0xFFE39A), rgb(0xC27A28), t), 0.9f);
    });
    image.paint(fillPath(sax.keys, w, h, emblem), withAlpha(rgb(0x5A3312), 0.9f));
    image.writePng(path, true);
}

// Every point of a path rotated by an angle (radians) about a centre, then moved.
cPath turned(const cPath& path, double angle, cPoint centre, cPoint to) {
    cPath out = path;
    const double c = std::cos(angle), s = std::sin(angle);
    for (cPath::cCommand& command : out.commands)
        for (cPoint& p : command.p) {
            const double x = p.x - centre.x, y = p.y - centre.y;
            p = {to.x + c * x - s * y, to.y + s * x + c * y};
        }
    return out;
}

// A slide trombone, lying along +x with its bell forward, in design units (about 380 long).
struct cTrombone {
    cPath tubes;  // stroked
    cPath bell;   // filled
    cPath rim;
};

cTrombone trombone() {
    cTrombone t;
    // The slide: two long tubes joined by the bow at the far end.
    t.tubes.moveTo(200, 0).lineTo(560, 0).cubicTo(575, 0, 575, 22, 560, 22).lineTo(170, 22);
    // The bell section runs back from the slide, round the tuning bow, and forward.
    t.tubes.moveTo(200, 0).lineTo(112, 0).cubicTo(84, 0, 84, -46, 112, -46).lineTo(336, -46);
    // Braces and the mouthpiece shank.
    t.tubes.moveTo(236, 0).lineTo(236, 22).moveTo(150, 0).lineTo(150, -46);
    t.tubes.moveTo(300, -46).lineTo(300, 0);
    t.bell.moveTo(330, -50).cubicTo(400, -52, 440, -66, 472, -112).lineTo(472, 20);
    t.bell.cubicTo(440, -26, 400, -40, 330, -42).close();
    t.rim.ellipse(472, -46, 9, 66);
    t.bell.ellipse(170, 22, 5, 9);
    return t;
}

void makeConcertPoster(const std::string& path) {
    cImage image(1024, 512);
    const cCanvasMap map = screenMap(image);
    const int w = image.width, h = image.height;
    constexpr double cx = 400, cy = 300;

    // Sunburst rays round a warm glow, like an old jazz bill.
    image.shade([&](float u, float v) {
        const double x = u * screenW - cx, y = v * screenH - cy;
        const double angle = std::atan2(y, x), r = std::hypot(x, y) / 500;
        const float ray = smoothstep(-0.15f, 0.15f, float(std::sin(angle * 14)));
        cColour c = mix(rgb(0x3A0D2E), rgb(0x5E1636), ray);
        c = mix(rgb(0xF58A3A), c, std::min(1.0f, float(r * 1.6)));
        return c;
    });
    cMask disc = fillPath(cPath().circle(cx, cy, 175), w, h, map);
    image.paint(disc, [&](float, float v) {
        return mix(rgb(0xFFE2A0), rgb(0xF7A448),
                   std::clamp(float((v * screenH - 125) / 350), 0.0f, 1.0f));
    });
    image.paint(strokePath(cPath().circle(cx, cy, 190), w, h, map, 3, true), rgb(0xFFD27A, 0.8f));

    // The trombone across the sun, in brass with a dark edge and a soft shadow.
    const cTrombone horn = trombone();
    const double angle = -0.3;
    const cPoint centre{330, -10}, to{cx + 10, cy + 10};
    const cPath tubes = turned(horn.tubes, angle, centre, to);
    const cPath bell = turned(horn.bell, angle, centre, to);
    const cPath rim = turned(horn.rim, angle, centre, to);
    cMask edge = strokePath(tubes, w, h, map, 13);
    edge.add(strokePath(bell, w, h, map, 6, true));
    edge.add(fillPath(bell, w, h, map));
    cMask shadow(w, h);
    {
        cCanvasMap shifted = map;
        shifted.offsetX += 10 * map.scale;
        shifted.offsetY += 14 * map.scale;
        shadow = strokePath(tubes, w, h, shifted, 13);
        shadow.add(fillPath(bell, w, h, shifted));
        blur(shadow, 9, 9);
    }
    image.paint(shadow, withAlpha(rgb(0x2A0818), 0.6f));
    image.paint(edge, rgb(0x2A1208));
    cMask brass = strokePath(tubes, w, h, map, 8);
    brass.add(fillPath(bell, w, h, map));
    image.paint(brass, [&](float u, float v) {
        const float n = 0.5f + 0.5f * std::sin(u * 40 + v * 25);
        return mix(rgb(0xB8741E), rgb(0xFFE7A0), n * n);
    });
    image.paint(strokePath(rim, w, h, map, 4, true), rgb(0xFFF0C0));

    // The bill's lettering.
    cFont display(displayFontPath), label(textBoldFontPath);
    cTypeBlock top;
    top.lines.push_back({"TONIGHT", &label, 26, rgb(0xFFD27A), rgb(0xF08A3C), 0.35});
    top.centreX = image.width / 2.0;
    top.centreY = image.height * 0.13;
    top.maxWidth = image.width * 0.8;
    top.squashX = map.squashX;
    paintBlock(image, top);
    cTypeBlock bottom;
    bottom.lines.push_back(
        {"the slow harbour quintet", &display, 34, rgb(0xFFF6E6), rgb(0xFFD9A0), 0.01});
    bottom.centreX = image.width / 2.0;
    bottom.centreY = image.height * 0.86;
    // Narrower than the title: the frame overlay's emblem sits in the lower right corner.
    bottom.maxWidth = image.width * 0.66;
    bottom.squashX = map.squashX;
    paintBlock(image, bottom);
    image.writePng(path, false);
}

// Neon tubes: a hot core, the coloured tube and a wide glow on the wall behind.
void paintNeon(cImage& image, const cMask& tube, const cMask& core, cColour colour) {
    cMask wide = tube;
    blur(wide, 22, 22);
    image.glow(wide, withAlpha(colour, 1.4f));
    cMask near = tube;
    blur(near, 5, 5);
    image.glow(near, withAlpha(colour, 1.2f));
    image.paint(tube, mix(colour, rgb(0xFFFFFF), 0.35f));
    image.paint(core, withAlpha(rgb(0xFFFFFF), 0.85f));
}

void makeNeonSign(const std::string& path) {
    cImage image(1024, 512);
    const cCanvasMap map = screenMap(image);
    const int w = image.width, h = image.height;
    constexpr uint32_t seed = 0x4e0;

    // A dark brick wall.
    image.shade([&](float u, float v) {
        const double x = u * screenW, y = v * screenH;
        const int row = int(y / 26);
        const double bx = x + (row % 2) * 32;
        const int column = int(bx / 64);
        const double fx = bx - column * 64, fy = y - row * 26;
        const float joint = (fx < 3 || fy < 3) ? 1.0f : 0.0f;
        const float tone = latticeValue(column, row, seed);
        const float grain = fbm(u * 40, v * 30, seed + 1, 3);
        cColour brick = mix(rgb(0x3A1A18), rgb(0x5A2820), tone);
        brick = scaled(brick, 0.85f + 0.25f * grain);
        cColour c = mix(brick, rgb(0x1A1012), joint * 0.9f);
        const double dx = (u - 0.5) * 1.3, dy = v - 0.45;
        return scaled(c, float(0.35 + 0.65 * std::exp(-(dx * dx + dy * dy) * 3)));
    });

    cFont display(displayFontPath);
    auto neonWord = [&](const char* text, double capHeight, double x, double y, cColour colour) {
        cTypeBlock block;
        block.lines.push_back({text, &display, capHeight * map.scale, colour, colour, 0.06});
        block.centreX = x * map.scale * map.squashX;
        block.centreY = y * map.scale;
        block.maxWidth = image.width;
        block.squashX = map.squashX;
        cCanvasMap wordMap;
        const std::vector<cPlacedLine> lines = layoutBlock(block, &wordMap);
        const cMask tube = strokePath(lines[0].glyphs, w, h, wordMap, 5.5 * map.scale, true);
        const cMask core = strokePath(lines[0].glyphs, w, h, wordMap, 1.8 * map.scale, true);
        paintNeon(image, tube, core, colour);
    };
    neonWord("jazz", 120, 330, 250, rgb(0xFF4FA0));
    neonWord("& funk", 84, 360, 410, rgb(0x38E0FF));

    // A neon saxophone beside the words.
    const cSaxophone sax = saxophone();
    cCanvasMap emblem = map;
    emblem.scale = map.scale * 2.3;
    emblem.offsetX = 612 * map.scale;
    emblem.offsetY = 300 * map.scale;
    cPath outline = sax.body;
    outline.append(sax.crook).append(sax.bell);
    const cMask tube = strokePath(outline, w, h, emblem, 2.3);
    const cMask core = strokePath(outline, w, h, emblem, 0.8);
    paintNeon(image, tube, core, rgb(0xFFB23A));
    image.writePng(path, false);
}

}  // namespace

void addPictureAssets(std::vector<cAsset>& assets) {
    const auto sources = imageSources({"pictures.cpp"});
    assets.push_back(
        {"introback.png", sources, {}, "", [](const std::string& p) { makeHarbour(p, false); }, 3});
    assets.push_back(
        {"introback2.png", sources, {}, "", [](const std::string& p) { makeHarbour(p, true); }, 3});
    assets.push_back({"sax_overlay.png", sources, {}, "", makeOverlay, 1});
    assets.push_back(
        {"break1.png", sources, {displayFontPath, textBoldFontPath}, "", makeConcertPoster, 2});
    assets.push_back({"break2.png", sources, {displayFontPath}, "", makeNeonSign, 2});
}

}  // namespace nimra::bake
