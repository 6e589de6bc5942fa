#pragma once
// Lines of type laid out and painted onto a transparent card with a dark outline and a soft
// shadow, so they read over any backdrop. Used by the word cards, the slide cards and the
// pictures that carry lettering.

#include <string>
#include <vector>

#include "image.h"
#include "vector_art.h"

namespace nimra::bake {

struct cTypeLine {
    std::string text;
    const cFont* font = nullptr;
    double capHeight = 40;     // pixels, before any squash
    cColour top, bottom;       // vertical gradient over the cap height
    double letterSpacing = 0;  // em
    double gapAbove = 0;       // extra space above the line, pixels
};

struct cTypeBlock {
    std::vector<cTypeLine> lines;
    double centreX = 256, centreY = 256;  // final canvas pixels
    double maxWidth = 400;                // final canvas pixels; lines shrink to fit
    double squashX = 1;
    double lineGap =
        0.4;  // space between lines, in cap heights (half the upper's, all the lower's)
};

struct cTypeStyle {
    cColour outline = {0.07f, 0.03f, 0.06f, 0.9f};
    double outlineWidth = 0.09;  // in cap heights
    cColour shadow = {0.02f, 0.0f, 0.03f, 0.8f};
    double shadowBlur = 0.12;  // sigma in cap heights of the largest line
    double shadowOffset = 0.05;
};

struct cPlacedLine {
    cPath glyphs;  // pre-squash canvas pixels
    double baseline = 0;
    double capHeight = 0;  // after any shrinking to fit
};

// Each line placed on the canvas; map receives the block's canvas map.
std::vector<cPlacedLine> layoutBlock(const cTypeBlock& block, cCanvasMap* map);

void paintBlock(cImage& image, const cTypeBlock& block, const cTypeStyle& style = {});

}  // namespace nimra::bake
