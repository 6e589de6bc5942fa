#include "vector_art.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_STROKER_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <limits>

#include "asset.h"

namespace nimra::bake {

const char* const displayFontPath =
    "/usr/share/fonts/opentype/league-spartan/LeagueSpartan-Bold.otf";
const char* const textFontPath = "/usr/share/fonts/opentype/inter/Inter-Medium.otf";
const char* const textBoldFontPath = "/usr/share/fonts/opentype/inter/Inter-Bold.otf";

cPath& cPath::moveTo(double x, double y) {
    commands.push_back({eVerb::move, {{x, y}}});
    return *this;
}

cPath& cPath::lineTo(double x, double y) {
    commands.push_back({eVerb::line, {{x, y}}});
    return *this;
}

cPath& cPath::quadTo(double cx, double cy, double x, double y) {
    // Degree elevation: the cubic through the same points.
    const cPoint from = currentPoint();
    return cubicTo(from.x + 2.0 / 3.0 * (cx - from.x), from.y + 2.0 / 3.0 * (cy - from.y),
                   x + 2.0 / 3.0 * (cx - x), y + 2.0 / 3.0 * (cy - y), x, y);
}

cPoint cPath::currentPoint() const {
    if (commands.empty()) return {};
    const cCommand& last = commands.back();
    if (last.verb == eVerb::cubic) return last.p[2];
    if (last.verb != eVerb::close) return last.p[0];
    // After a close the pen is back at the contour's start.
    for (auto it = commands.rbegin(); it != commands.rend(); ++it)
        if (it->verb == eVerb::move) return it->p[0];
    return {};
}

cPath& cPath::cubicTo(double c1x, double c1y, double c2x, double c2y, double x, double y) {
    commands.push_back({eVerb::cubic, {{c1x, c1y}, {c2x, c2y}, {x, y}}});
    return *this;
}

cPath& cPath::close() {
    commands.push_back({eVerb::close, {}});
    return *this;
}

cPath& cPath::rect(double x, double y, double w, double h) {
    return moveTo(x, y).lineTo(x + w, y).lineTo(x + w, y + h).lineTo(x, y + h).close();
}

cPath& cPath::roundedRect(double x, double y, double w, double h, double r) {
    r = std::min({r, w / 2, h / 2});
    const double k = 0.5523 * r;  // cubic approximation of a quarter circle
    moveTo(x + r, y).lineTo(x + w - r, y);
    cubicTo(x + w - r + k, y, x + w, y + r - k, x + w, y + r);
    lineTo(x + w, y + h - r);
    cubicTo(x + w, y + h - r + k, x + w - r + k, y + h, x + w - r, y + h);
    lineTo(x + r, y + h);
    cubicTo(x + r - k, y + h, x, y + h - r + k, x, y + h - r);
    lineTo(x, y + r);
    cubicTo(x, y + r - k, x + r - k, y, x + r, y);
    return close();
}

cPath& cPath::ellipse(double cx, double cy, double rx, double ry) {
    const double kx = 0.5523 * rx, ky = 0.5523 * ry;
    moveTo(cx + rx, cy);
    cubicTo(cx + rx, cy + ky, cx + kx, cy + ry, cx, cy + ry);
    cubicTo(cx - kx, cy + ry, cx - rx, cy + ky, cx - rx, cy);
    cubicTo(cx - rx, cy - ky, cx - kx, cy - ry, cx, cy - ry);
    cubicTo(cx + kx, cy - ry, cx + rx, cy - ky, cx + rx, cy);
    return close();
}

cPath& cPath::polygon(const std::vector<cPoint>& points) {
    if (points.empty()) return *this;
    moveTo(points[0].x, points[0].y);
    for (size_t i = 1; i < points.size(); ++i)
        lineTo(points[i].x, points[i].y);
    return close();
}

cPath& cPath::append(const cPath& other) {
    commands.insert(commands.end(), other.commands.begin(), other.commands.end());
    return *this;
}

cBounds bounds(const cPath& path) {
    cBounds b{std::numeric_limits<double>::max(), std::numeric_limits<double>::max(),
              std::numeric_limits<double>::lowest(), std::numeric_limits<double>::lowest()};
    for (const cPath::cCommand& c : path.commands) {
        const int count = c.verb == cPath::eVerb::cubic ? 3 : c.verb == cPath::eVerb::close ? 0 : 1;
        for (int i = 0; i < count; ++i) {
            b.minX = std::min(b.minX, c.p[i].x);
            b.maxX = std::max(b.maxX, c.p[i].x);
            b.minY = std::min(b.minY, c.p[i].y);
            b.maxY = std::max(b.maxY, c.p[i].y);
        }
    }
    if (b.minX > b.maxX) b = {};
    return b;
}

namespace {

// One FreeType library per thread: the baker draws on two threads at once.
FT_Library library() {
    thread_local struct cHolder {
        FT_Library lib = nullptr;
        cHolder() {
            if (FT_Init_FreeType(&lib)) throw cBakeError("FreeType failed to initialise");
        }
        ~cHolder() { FT_Done_FreeType(lib); }
    } holder;
    return holder.lib;
}

// An FT_Outline built from a path, in 26.6 pixels with y up (FreeType's convention).
class cOutline {
public:
    FT_Outline outline{};

    cOutline(const cPath& path, int canvasHeight, const cCanvasMap& map, bool squash) {
        const double sx = squash ? map.squashX : 1.0;
        auto toFt = [&](const cPoint& p) {
            const double px = (map.offsetX + map.scale * p.x) * sx;
            const double py = canvasHeight - (map.offsetY + map.scale * p.y);
            return FT_Vector{FT_Pos(std::lround(px * 64)), FT_Pos(std::lround(py * 64))};
        };
        size_t contourStart = 0;
        auto endContour = [&] {
            if (points.size() > contourStart) {
                contours.push_back(short(points.size() - 1));
                contourStart = points.size();
            }
        };
        for (const cPath::cCommand& c : path.commands) {
            switch (c.verb) {
                case cPath::eVerb::move:
                    endContour();
                    points.push_back(toFt(c.p[0]));
                    tags.push_back(FT_CURVE_TAG_ON);
                    break;
                case cPath::eVerb::line:
                    points.push_back(toFt(c.p[0]));
                    tags.push_back(FT_CURVE_TAG_ON);
                    break;
                case cPath::eVerb::cubic:
                    for (int i = 0; i < 3; ++i) {
                        points.push_back(toFt(c.p[i]));
                        tags.push_back(i < 2 ? FT_CURVE_TAG_CUBIC : FT_CURVE_TAG_ON);
                    }
                    break;
                case cPath::eVerb::close:
                    endContour();
                    break;
            }
        }
        endContour();
        if (points.size() > 32767 || contours.size() > 32767)
            throw cBakeError("path too complex for one outline");
        outline.n_points = short(points.size());
        outline.n_contours = short(contours.size());
        outline.points = points.data();
        outline.tags = reinterpret_cast<char*>(tags.data());
        outline.contours = contours.data();
        outline.flags = FT_OUTLINE_NONE;
    }

private:
    std::vector<FT_Vector> points;
    std::vector<unsigned char> tags;
    std::vector<short> contours;
};

void spanCallback(int y, int count, const FT_Span* spans, void* user) {
    auto* mask = static_cast<cMask*>(user);
    const int row = mask->height - 1 - y;
    if (row < 0 || row >= mask->height) return;
    for (int i = 0; i < count; ++i)
        for (int x = spans[i].x; x < spans[i].x + spans[i].len; ++x)
            if (x >= 0 && x < mask->width)
                mask->at(x, row) = std::min(1.0f, mask->at(x, row) + spans[i].coverage / 255.0f);
}

void render(FT_Outline* outline, cMask& mask) {
    FT_Raster_Params params{};
    params.source = outline;
    params.flags = FT_RASTER_FLAG_AA | FT_RASTER_FLAG_DIRECT | FT_RASTER_FLAG_CLIP;
    params.gray_spans = spanCallback;
    params.user = &mask;
    params.clip_box = {0, 0, mask.width, mask.height};
    if (FT_Outline_Render(library(), outline, &params))
        throw cBakeError("FreeType could not render an outline");
}

}  // namespace

cMask fillPath(const cPath& path, int width, int height, const cCanvasMap& map, bool evenOdd) {
    cMask mask(width, height);
    cOutline shape(path, height, map, true);
    if (evenOdd) shape.outline.flags |= FT_OUTLINE_EVEN_ODD_FILL;
    if (shape.outline.n_points > 0) render(&shape.outline, mask);
    return mask;
}

cMask strokePath(const cPath& path, int width, int height, const cCanvasMap& map,
                 double strokeWidth, bool closed) {
    cMask mask(width, height);
    cOutline shape(path, height, map, false);
    if (shape.outline.n_points == 0) return mask;

    // Stroke before squashing, so the line is even in every direction once stretched.
    FT_Stroker stroker;
    if (FT_Stroker_New(library(), &stroker)) throw cBakeError("FreeType stroker failed");
    FT_Stroker_Set(stroker, FT_Fixed(std::lround(strokeWidth * map.scale * 32)),
                   FT_STROKER_LINECAP_ROUND, FT_STROKER_LINEJOIN_ROUND, 0);
    FT_UInt pointCount = 0, contourCount = 0;
    FT_Outline stroked{};
    bool ok = FT_Stroker_ParseOutline(stroker, &shape.outline, !closed) == 0 &&
              FT_Stroker_GetCounts(stroker, &pointCount, &contourCount) == 0 &&
              FT_Outline_New(library(), pointCount, contourCount, &stroked) == 0;
    if (ok) {
        stroked.n_points = 0;
        stroked.n_contours = 0;
        FT_Stroker_Export(stroker, &stroked);
        FT_Matrix squash{FT_Fixed(std::lround(map.squashX * 65536)), 0, 0, 0x10000};
        FT_Outline_Transform(&stroked, &squash);
        try {
            render(&stroked, mask);
        } catch (...) {
            FT_Outline_Done(library(), &stroked);
            FT_Stroker_Done(stroker);
            throw;
        }
        FT_Outline_Done(library(), &stroked);
    }
    FT_Stroker_Done(stroker);
    if (!ok) throw cBakeError("FreeType could not stroke a path");
    return mask;
}

struct cFont::cState {
    FT_Library lib = nullptr;
    FT_Face face = nullptr;
    ~cState() {
        if (face) FT_Done_Face(face);
        if (lib) FT_Done_FreeType(lib);
    }
};

cFont::cFont(const std::string& path) : state(new cState), filePath(path) {
    if (FT_Init_FreeType(&state->lib)) throw cBakeError("FreeType failed to initialise");
    if (FT_New_Face(state->lib, path.c_str(), 0, &state->face))
        throw cBakeError("cannot load font " + path);
}

cFont::~cFont() = default;

namespace {

struct cDecompose {
    cPath* path;
    double scale;
    double penX;
    cPoint map(const FT_Vector* v) const { return {penX + v->x * scale, -v->y * scale}; }
};

int moveCallback(const FT_Vector* to, void* user) {
    auto* d = static_cast<cDecompose*>(user);
    if (!d->path->commands.empty() && d->path->commands.back().verb != cPath::eVerb::close)
        d->path->close();
    const cPoint p = d->map(to);
    d->path->moveTo(p.x, p.y);
    return 0;
}
int lineCallback(const FT_Vector* to, void* user) {
    auto* d = static_cast<cDecompose*>(user);
    const cPoint p = d->map(to);
    d->path->lineTo(p.x, p.y);
    return 0;
}
int conicCallback(const FT_Vector* control, const FT_Vector* to, void* user) {
    auto* d = static_cast<cDecompose*>(user);
    const cPoint c = d->map(control), p = d->map(to);
    d->path->quadTo(c.x, c.y, p.x, p.y);
    return 0;
}
int cubicCallback(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    auto* d = static_cast<cDecompose*>(user);
    const cPoint a = d->map(c1), b = d->map(c2), p = d->map(to);
    d->path->cubicTo(a.x, a.y, b.x, b.y, p.x, p.y);
    return 0;
}

// The next code point of UTF-8 text; malformed bytes come out as U+FFFD.
uint32_t nextCodePoint(const std::string& s, size_t& i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i++);
    if (lead < 0x80) return lead;
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0 || i + extra > s.size()) return 0xFFFD;
    uint32_t cp = lead & (0x3F >> extra);
    for (int k = 0; k < extra; ++k)
        cp = (cp << 6) | (byte(i++) & 0x3F);
    return cp;
}

}  // namespace

cPath cFont::text(const std::string& utf8, double letterSpacing, double* advance) const {
    FT_Face face = state->face;
    const double scale = 1.0 / face->units_per_EM;
    cPath path;
    cDecompose d{&path, scale, 0};
    FT_Outline_Funcs funcs{moveCallback, lineCallback, conicCallback, cubicCallback, 0, 0};
    FT_UInt previous = 0;
    for (size_t i = 0; i < utf8.size();) {
        const FT_UInt glyph = FT_Get_Char_Index(face, nextCodePoint(utf8, i));
        if (previous && FT_HAS_KERNING(face)) {
            FT_Vector kern;
            if (!FT_Get_Kerning(face, previous, glyph, FT_KERNING_UNSCALED, &kern))
                d.penX += kern.x * scale;
        }
        if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP))
            throw cBakeError("cannot load a glyph of " + filePath);
        if (face->glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
            FT_Outline_Decompose(&face->glyph->outline, &funcs, &d);
            if (!path.commands.empty() && path.commands.back().verb != cPath::eVerb::close)
                path.close();
        }
        d.penX += face->glyph->advance.x * scale + letterSpacing;
        previous = glyph;
    }
    if (advance) *advance = d.penX - (utf8.empty() ? 0 : letterSpacing);
    return path;
}

double cFont::capHeight() const {
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(state->face, FT_SFNT_OS2));
    if (os2 && os2->version >= 2 && os2->sCapHeight > 0)
        return double(os2->sCapHeight) / state->face->units_per_EM;
    const cBounds b = bounds(text("H"));
    return -b.minY;
}

}  // namespace nimra::bake
