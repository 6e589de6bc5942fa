// The strips the top overlay is drawn through: it blends, so every pixel of its frame must be
// drawn exactly once, at any size of picture.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "demo/opening.h"

using namespace nimra;

namespace {

// Whether pixel (x, y) of a width x height picture has its centre in a clear rectangle, or
// (with inset) that many pixels inside one on each side that is not the picture's edge.
bool inClear(int x, int y, int width, int height, float inset = 0.0f) {
    const float u = (x + 0.5f) / width * 2.0f - 1.0f, v = (y + 0.5f) / height * 2.0f - 1.0f;
    const float across = 2.0f * inset / width, up = 2.0f * inset / height;
    for (const cScreenRect& rect : overlayClear) {
        const float x0 = rect.lowerLeft.x <= -1.0f ? -1.0f : rect.lowerLeft.x + across;
        const float x1 = rect.upperRight.x >= 1.0f ? 1.0f : rect.upperRight.x - across;
        const float y0 = rect.lowerLeft.y <= -1.0f ? -1.0f : rect.lowerLeft.y + up;
        const float y1 = rect.upperRight.y >= 1.0f ? 1.0f : rect.upperRight.y - up;
        if (x0 <= u && u <= x1 && y0 <= v && v <= y1) return true;
    }
    return false;
}

}  // namespace

TEST(TopOverlay, StripsDrawEveryPixelOfTheFrameOnceAndLittleOfTheMiddle) {
    for (auto [x0, y0, width, height] :
         {std::array<int, 4>{0, 0, 800, 600}, std::array<int, 4>{0, 0, 1440, 1080},
          std::array<int, 4>{240, 0, 1440, 1080}, std::array<int, 4>{0, 0, 97, 71}}) {
        const int viewport[4] = {x0, y0, width, height};
        std::vector<int> drawn(size_t(width) * height, 0);
        for (const cPixelRect& strip : overlayStrips(viewport)) {
            ASSERT_GE(strip.x, x0);
            ASSERT_GE(strip.y, y0);
            ASSERT_LE(strip.x + strip.width, x0 + width);
            ASSERT_LE(strip.y + strip.height, y0 + height);
            for (int y = strip.y; y < strip.y + strip.height; ++y)
                for (int x = strip.x; x < strip.x + strip.width; ++x)
                    ++drawn[size_t(y - y0) * width + (x - x0)];
        }
        int twice = 0, missed = 0, middle = 0, deep = 0, frame = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const int n = drawn[size_t(y) * width + x];
                twice += n > 1;
                if (!inClear(x, y, width, height)) {
                    missed += n == 0;
                    ++frame;
                } else {
                    middle += n;
                    if (inClear(x, y, width, height, 2.0f)) deep += n;
                }
            }
        }
        EXPECT_EQ(twice, 0) << width << " x " << height;
        EXPECT_EQ(missed, 0) << width << " x " << height;
        // The saving: what is drawn of the clear rectangles is a thin rim inside their edges
        // (and none at the picture's own edges), far less than the frame at full size.
        EXPECT_EQ(deep, 0) << width << " x " << height;
        if (width >= 800) {
            EXPECT_LT(middle, frame / 4) << width << " x " << height;
        }
    }
}
