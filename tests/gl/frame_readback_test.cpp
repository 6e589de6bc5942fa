// The frame read back for screenshots and captures: top row first, any width, and the
// pack alignment the show's own read-backs use left as it was.

#include <vector>

#include "kit_support.h"
#include "render/frame_image.h"

TEST(FrameReadback, RowsComeTopFirstAtAnOddWidthAndThePackAlignmentStays) {
    // The window's top-left corner red, the rest blue: GL counts rows from the bottom.
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 600 - 3, 2, 3);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glPixelStorei(GL_PACK_ALIGNMENT, 8);

    // Rows of seven pixels are 21 bytes: misread if the rows were padded to the alignment.
    std::vector<uint8_t> rgb;
    nimra::readFrame(7, 600, rgb);
    ASSERT_EQ(rgb.size(), 7u * 600 * 3);
    int red = 0, wrong = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 7; ++x) {
            const uint8_t* p = &rgb[(size_t(y) * 7 + x) * 3];
            const bool corner = x < 2 && y < 3;
            red += corner && p[0] == 255 && p[2] == 0;
            wrong += !corner && !(p[0] == 0 && p[2] == 255);
        }
    EXPECT_EQ(red, 6);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(kit::integer(GL_PACK_ALIGNMENT), 8);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);

    nimra::readFrame(0, 600, rgb);
    EXPECT_TRUE(rgb.empty());
}
