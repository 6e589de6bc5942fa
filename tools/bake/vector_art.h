#pragma once
// Vector shapes and type, rasterised with FreeType's anti-aliasing scan converter. Paths
// are built in a design space (y down) and placed on a canvas by a cCanvasMap, which can
// squash x after everything else: the full-screen pictures and cards are stretched to 4:3
// by the demo, so they are drawn narrower to read in true proportion on screen.

#include <memory>
#include <string>
#include <vector>

#include "image.h"

namespace nimra::bake {

struct cPoint {
    double x = 0, y = 0;
};

class cPath {
public:
    enum class eVerb { move, line, cubic, close };
    struct cCommand {
        eVerb verb;
        cPoint p[3];
    };
    std::vector<cCommand> commands;

    cPath& moveTo(double x, double y);
    cPath& lineTo(double x, double y);
    cPath& quadTo(double cx, double cy, double x, double y);
    cPath& cubicTo(double c1x, double c1y, double c2x, double c2y, double x, double y);
    cPath& close();

    cPath& rect(double x, double y, double w, double h);
    cPath& roundedRect(double x, double y, double w, double h, double radius);
    cPath& ellipse(double cx, double cy, double rx, double ry);
    cPath& circle(double cx, double cy, double r) { return ellipse(cx, cy, r, r); }
    cPath& polygon(const std::vector<cPoint>& points);
    cPath& append(const cPath& other);

    cPoint currentPoint() const;
};

// Design space to pixels: px = (offsetX + scale * x) * squashX, py = offsetY + scale * y.
struct cCanvasMap {
    double scale = 1;
    double offsetX = 0;
    double offsetY = 0;
    double squashX = 1;
};

cMask fillPath(const cPath& path, int width, int height, const cCanvasMap& map,
               bool evenOdd = false);
// Strokes the path with round joins and caps; the width is in design units.
cMask strokePath(const cPath& path, int width, int height, const cCanvasMap& map,
                 double strokeWidth, bool closed = false);

class cFont {
public:
    explicit cFont(const std::string& path);  // throws cBakeError
    ~cFont();
    cFont(const cFont&) = delete;
    cFont& operator=(const cFont&) = delete;

    // A line of UTF-8 text as a path in em units (1 = the font's em), baseline at y = 0,
    // y down. Letter spacing is added between glyphs, in em.
    cPath text(const std::string& utf8, double letterSpacing = 0, double* advance = nullptr) const;
    double capHeight() const;  // in em
    const std::string& path() const { return filePath; }

private:
    struct cState;
    std::unique_ptr<cState> state;
    std::string filePath;
};

// Font files the baker draws with (Debian's fonts-league-spartan and fonts-inter).
extern const char* const displayFontPath;
extern const char* const textFontPath;
extern const char* const textBoldFontPath;

// The design-space bounding box of a path's points.
struct cBounds {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
};
cBounds bounds(const cPath& path);

}  // namespace nimra::bake
