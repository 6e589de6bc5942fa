// The readout font: printable ASCII in the fixed grid that render/text.h reads, for the
// on-screen readout of the edit mode. DejaVu Sans Mono Bold, a monospaced face drawn for
// screens, hinted by FreeType at the one size it is shown at so that its stems fall on
// whole pixels; the bold weight holds up over the show's brighter pictures.

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_DRIVER_H
#include FT_MODULE_H

#include <string>

#include "asset.h"
#include "image.h"
#include "render/text.h"

namespace nimra::bake {

namespace {

const char* const readoutFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf";

// The em in pixels: the face's advance of 0.602 em comes to the grid's 12 pixels, and its
// capitals and figures stand 15 pixels tall.
constexpr int pixelSize = 20;

class cFace {
public:
    explicit cFace(const std::string& path) {
        if (FT_Init_FreeType(&library)) throw cBakeError("FreeType failed to initialise");
        // Named rather than left to FREETYPE_PROPERTIES, so the hinting, and with it the
        // bytes, do not change with the environment.
        FT_UInt interpreter = TT_INTERPRETER_VERSION_40;
        FT_Property_Set(library, "truetype", "interpreter-version", &interpreter);
        if (FT_New_Face(library, path.c_str(), 0, &face))
            throw cBakeError("cannot load font " + path);
        if (FT_Set_Pixel_Sizes(face, 0, pixelSize)) throw cBakeError("cannot size font " + path);
    }
    ~cFace() {
        if (face) FT_Done_Face(face);
        FT_Done_FreeType(library);
    }
    cFace(const cFace&) = delete;
    cFace& operator=(const cFace&) = delete;

    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

void makeReadoutFont(const std::string& path) {
    using namespace readoutFont;
    cFace font(readoutFontPath);
    cImage image(atlasWidth, atlasHeight);
    for (int c = firstChar; c <= lastChar; ++c) {
        if (FT_Load_Char(font.face, FT_ULong(c), FT_LOAD_RENDER | FT_LOAD_NO_BITMAP))
            throw cBakeError("cannot render '" + std::string(1, char(c)) + "' of " +
                             readoutFontPath);
        const FT_GlyphSlot glyph = font.face->glyph;
        // The engine advances by the box: a face whose advance differs would crowd or
        // spread the text.
        if (glyph->advance.x != FT_Pos(glyphWidth) * 64)
            throw cBakeError(std::string(readoutFontPath) + " does not advance " +
                             std::to_string(glyphWidth) + " pixels at size " +
                             std::to_string(pixelSize));
        const FT_Bitmap& bitmap = glyph->bitmap;
        if (bitmap.rows > 0 && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
            throw cBakeError("FreeType gave no grey bitmap for '" + std::string(1, char(c)) + "'");

        const int cell = c - firstChar;
        const int boxX = (cell % columns) * cellWidth + glyphX;
        const int boxY = (cell / columns) * cellHeight + glyphY;
        const int left = boxX + glyph->bitmap_left;
        const int top = boxY + baseline - glyph->bitmap_top;
        // Kept to the box: what lies beyond it is the empty last column a few wide glyphs
        // carry, and the margin must stay clear.
        for (int y = 0; y < int(bitmap.rows); ++y)
            for (int x = 0; x < int(bitmap.width); ++x) {
                const int px = left + x, py = top + y;
                if (px < boxX || px >= boxX + glyphWidth || py < boxY || py >= boxY + glyphHeight)
                    continue;
                const float coverage = bitmap.buffer[y * bitmap.pitch + x] / 255.0f;
                float* p = image.at(px, py);
                p[0] = p[1] = p[2] = p[3] = coverage;  // white, premultiplied
            }
    }
    image.writePng(path, true);
}

}  // namespace

void addReadoutFontAssets(std::vector<cAsset>& assets) {
    using namespace readoutFont;
    // The grid lives in the engine's header, which is no baker source: it shapes the
    // bytes through the parameters instead.
    const std::string layout =
        std::to_string(atlasWidth) + "x" + std::to_string(atlasHeight) + " columns " +
        std::to_string(columns) + " chars " + std::to_string(firstChar) + "-" +
        std::to_string(lastChar) + " cells " + std::to_string(cellWidth) + "x" +
        std::to_string(cellHeight) + " glyphs " + std::to_string(glyphWidth) + "x" +
        std::to_string(glyphHeight) + " at " + std::to_string(glyphX) + "," +
        std::to_string(glyphY) + " baseline " + std::to_string(baseline);
    assets.push_back({"readout_font.png",
                      {"readout_font.cpp", "image.cpp", "image.h"},
                      {readoutFontPath},
                      layout,
                      makeReadoutFont,
                      0.5});
}

}  // namespace nimra::bake
