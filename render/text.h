#pragma once
// Text and filled rectangles in window pixels, for readouts drawn over whatever is on
// screen. Strings come from the readout font's atlas, a fixed grid the baker draws, so no
// metrics file is needed: every character takes the same box, and a running clock does not
// jitter.

#include <memory>
#include <string>
#include <vector>

#include "math/vector.h"
#include "render/gl.h"
#include "render/shader_program.h"
#include "render/texture.h"

namespace nimra {

// The atlas's layout, shared with the baker that draws it (data/readout_font.png): an RGBA
// picture, white, its alpha the glyphs' anti-aliased coverage. Printable ASCII from
// firstChar to lastChar lies row-major from the top-left in cells of cellWidth x
// cellHeight texels, columns to a row. In each cell the glyph keeps to a box of
// glyphWidth x glyphHeight texels at (glyphX, glyphY), with its baseline `baseline` rows
// below the box's top; that box is what one character covers on screen, so its width is
// the advance and its height the line height. The clear margin around it keeps a scaled or
// filtered glyph from picking up its neighbours.
namespace readoutFont {
constexpr int atlasWidth = 256;
constexpr int atlasHeight = 256;
constexpr int columns = 16;
constexpr int firstChar = 32;
constexpr int lastChar = 126;
constexpr int cellWidth = 16;
constexpr int cellHeight = 32;
constexpr int glyphX = 2;
constexpr int glyphY = 4;
constexpr int glyphWidth = 12;
constexpr int glyphHeight = 24;
constexpr int baseline = 19;
}  // namespace readoutFont

// Queues text and rectangles, then draws them in one batch over the current framebuffer,
// in the order they were queued (a rectangle queued first lies under the text after it).
// Coordinates are window pixels with the origin at the top-left and y growing down.
//
// draw() leaves the GL state as it found it: the current program, the active texture unit
// and unit 0's 2D binding, blending (enable, factors, equation), the depth, cull, scissor,
// alpha and stencil tests, the viewport, and the whole client vertex-array state, buffer
// binding included. It never touches the matrices, the depth buffer (the depth test is off
// while it draws) or the enables of the texture units. Its GL objects live as long as the
// context, like the engine's other GL objects.
class cScreenText {
public:
    // Loads the atlas through loadImageTexture and builds the program, leaving the current
    // program and the active unit's binding as they were. False with a reason when the
    // picture is not the readout font's atlas (missing or damaged files load as one clear
    // texel: text then draws nothing, rectangles still draw) or the program does not link
    // (nothing draws).
    bool load(const std::string& atlasPath, std::string& error);

    // A string whose first character's box has its top-left corner at (x, y); each '\n'
    // starts a new line below at x. Bytes outside printable ASCII show as '?'. scale (1 or
    // more) repeats every texel, for large windows. Nothing until an atlas has loaded.
    void addText(int x, int y, const std::string& text, const cVec4f& colour, int scale = 1);
    // A filled rectangle, top-left corner at (x, y); nothing for an empty one.
    void addRect(float x, float y, float width, float height, const cVec4f& colour);

    // Everything queued, with one draw call, over a target of the given size in pixels (the
    // window's, or that of the framebuffer being drawn); the queue is emptied either way.
    void draw(int targetWidth, int targetHeight);
    void clear() { vertices.clear(); }
    size_t queuedQuads() const { return vertices.size() / 6; }

    // The box a string takes: its longest line's width and its lines' height, in pixels.
    static int textWidth(const std::string& text, int scale = 1);
    static int textHeight(const std::string& text, int scale = 1);

private:
    struct cVertex {
        float x, y;        // window pixels
        float u, v;        // atlas texture coordinates; u below 0 for a plain rectangle
        float r, g, b, a;  // straight alpha
    };
    void addQuad(float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1,
                 const cVec4f& colour);

    cShaderProgram program;
    std::unique_ptr<cTexture> atlas;
    GLuint vertexBuffer = 0;
    GLint targetSizeLocation = -1;
    bool atlasReady = false;
    std::vector<cVertex> vertices;
};

}  // namespace nimra
