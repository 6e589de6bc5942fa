// The strips the top overlay is drawn through: it blends, so every pixel of its frame must be
// drawn exactly once, at any size of picture.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "demo/opening.h"

using namespace nimra;

namespace {

// Whether pixel (x, y) of a width x height picture has its centre in a clear rectangle.
bool inClearMiddle(int x, int y, int width, int height) {
    const float u = (x + 0.5f) / width * 2.0f - 1.0f, v = (y + 0.5f) / height * 2.0f - 1.0f;
    for (const cScreenRect& rect : overlayClear) {
        if (rect.lowerLeft.x <= u && u <= rect.upperRight.x && rect.lowerLeft.y <= v &&
            v <= rect.upperRight.y)
            return true;
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
        int twice = 0, missed = 0, middle = 0, frame = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const int n = drawn[size_t(y) * width + x];
                twice += n > 1;
                if (!inClearMiddle(x, y, width, height)) {
                    missed += n == 0;
                    ++frame;
                } else {
                    middle += n;
                }
            }
        }
        EXPECT_EQ(twice, 0) << width << " x " << height;
        EXPECT_EQ(missed, 0) << width << " x " << height;
        // The saving: what is drawn of the middle is a thin rim around it.
        EXPECT_LT(middle, frame) << width << " x " << height;
    }
}
