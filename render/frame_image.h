#pragma once
// Pictures of what GL drew: the read buffer copied back as RGB rows, and RGB rows written
// as a PNG file. The capture tool's frames and the demo's screenshots both go this way.

#include <cstdint>
#include <string>
#include <vector>

#include "render/screen_quad.h"

namespace nimra {

// The lower-left width x height pixels of the current GL read buffer as top-down RGB rows,
// three bytes a pixel with no padding: row 0 of the result is the top of the picture.
void readFrame(int width, int height, std::vector<uint8_t>& rgb);

// The lower-left picture.width x picture.height pixels of the current GL read buffer read
// straight into frame: frameWidth x frameHeight RGB pixels, three bytes a pixel with no
// padding, its rows running bottom-up as GL's do, with the picture's lower-left corner at
// (picture.x, picture.y). The rest of the frame is left as it is, so bars cleared once stay
// clear. The pack state goes back to what it was. False, with the frame not to be trusted,
// when the picture does not fit the frame or GL reports an error.
bool readFrameInto(const cPixelRect& picture, int frameWidth, int frameHeight,
                   std::vector<uint8_t>& frame);

// Which way a picture's rows run in memory.
enum class eRows { topDown, bottomUp };

// Writes RGB rows (top-down as readFrame gives them, or bottom-up as readFrameInto does) as
// an 8-bit PNG. The file appears
// whole or not at all: it is written under path + ".part" and renamed, and the partial
// file is removed again on any failure. False with a reason naming the path when the file
// cannot be written or rgb holds fewer than width x height pixels. quick trades size for
// speed, for long sequences of frames.
bool writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
              bool quick, std::string& error, eRows rows = eRows::topDown);

// readFrame then writePng, for a screenshot of the frame just drawn: call it before the
// buffers are swapped, with the window's size.
bool writeFramePng(const std::string& path, int width, int height, std::string& error);

}  // namespace nimra
