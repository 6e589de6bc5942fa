#include "type_card.h"

#include <algorithm>
#include <cmath>

namespace nimra::bake {

namespace {

cPath place(const cPath& path, double scale, double x, double y) {
    cPath out = path;
    for (cPath::cCommand& c : out.commands)
        for (cPoint& p : c.p)
            p = {p.x * scale + x, p.y * scale + y};
    return out;
}

}  // namespace

std::vector<cPlacedLine> layoutBlock(const cTypeBlock& block, cCanvasMap* map) {
    *map = {1, 0, 0, block.squashX};
    const double centreX = block.centreX / block.squashX;
    const double maxWidth = block.maxWidth / block.squashX;

    struct cPlaced {
        cPath glyphs;  // em units
        double em, width, cap;
    };
    std::vector<cPlaced> placed;
    for (const cTypeLine& line : block.lines) {
        double advance = 0;
        cPath glyphs = line.font->text(line.text, line.letterSpacing, &advance);
        const cBounds b = bounds(glyphs);
        const double inkWidth = std::max(advance, b.maxX) - std::min(0.0, b.minX);
        double em = line.capHeight / line.font->capHeight();
        if (inkWidth * em > maxWidth) em = maxWidth / inkWidth;
        placed.push_back({glyphs, em, inkWidth * em, em * line.font->capHeight()});
    }

    // Stack the lines by cap height, then centre the stack's cap box on the block centre.
    double height = 0;
    std::vector<double> baselines;
    for (size_t i = 0; i < placed.size(); ++i) {
        if (i > 0)
            height +=
                block.lineGap * (0.5 * placed[i - 1].cap + placed[i].cap) + block.lines[i].gapAbove;
        height += placed[i].cap;
        baselines.push_back(height);
    }
    const double top = block.centreY - height / 2;
    std::vector<cPlacedLine> lines;
    for (size_t i = 0; i < placed.size(); ++i)
        lines.push_back({place(placed[i].glyphs, placed[i].em, centreX - placed[i].width / 2,
                               top + baselines[i]),
                         top + baselines[i], placed[i].cap});
    return lines;
}

void paintBlock(cImage& image, const cTypeBlock& block, const cTypeStyle& style) {
    cCanvasMap map;
    const std::vector<cPlacedLine> lines = layoutBlock(block, &map);
    const int w = image.width, h = image.height;

    double largestCap = 0;
    for (const cPlacedLine& line : lines)
        largestCap = std::max(largestCap, line.capHeight);

    // The shadow falls down and to the right, soft enough to read as light, not as a copy.
    const double offset = style.shadowOffset * largestCap;
    cCanvasMap shifted = map;
    shifted.offsetX += offset;
    shifted.offsetY += offset * 1.3;
    cMask shadow(w, h);
    std::vector<cMask> fills, outlines;
    for (const cPlacedLine& line : lines) {
        const double outlineWidth = style.outlineWidth * line.capHeight;
        fills.push_back(fillPath(line.glyphs, w, h, map));
        outlines.push_back(strokePath(line.glyphs, w, h, map, outlineWidth, true));
        outlines.back().add(fills.back());
        shadow.add(fillPath(line.glyphs, w, h, shifted));
        shadow.add(strokePath(line.glyphs, w, h, shifted, outlineWidth * 2, true));
    }
    const float sigma = float(style.shadowBlur * largestCap);
    blur(shadow, sigma * float(block.squashX), sigma);
    image.paint(shadow, style.shadow);

    for (const cMask& outline : outlines)
        image.paint(outline, style.outline);
    for (size_t i = 0; i < lines.size(); ++i) {
        const cTypeLine& line = block.lines[i];
        const double capTop = lines[i].baseline - lines[i].capHeight;
        image.paint(fills[i], [&](float, float v) {
            const double t = (v * h - capTop) / lines[i].capHeight;
            return mix(line.top, line.bottom, float(std::clamp(t, 0.0, 1.0)));
        });
    }
}

}  // namespace nimra::bake
