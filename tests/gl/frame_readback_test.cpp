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

// The capture tool's read-back: straight into a kept frame with its bars, rows bottom-up.
TEST(FrameReadback, IntoAFrameThePictureLandsAtItsPlaceAndTheBarsStay) {
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 1, 1);  // the window's bottom-left pixel red
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glPixelStorei(GL_PACK_ALIGNMENT, 8);

    // A 3 x 2 picture at (2, 1) of a 7 x 4 frame whose bars hold 9s.
    const int width = 7, height = 4;
    std::vector<uint8_t> frame(width * height * 3, 9);
    ASSERT_TRUE(nimra::readFrameInto(nimra::cPixelRect{2, 1, 3, 2}, width, height, frame));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = &frame[(size_t(y) * width + x) * 3];
            const bool inside = x >= 2 && x < 5 && y >= 1 && y < 3;
            const bool red = x == 2 && y == 1;
            if (!inside) {
                EXPECT_TRUE(p[0] == 9 && p[1] == 9 && p[2] == 9) << x << "," << y;
            } else {
                EXPECT_EQ(p[0], red ? 255 : 0) << x << "," << y;
                EXPECT_EQ(p[2], red ? 0 : 255) << x << "," << y;
            }
        }
    EXPECT_EQ(kit::integer(GL_PACK_ALIGNMENT), 8);
    EXPECT_EQ(kit::integer(GL_PACK_ROW_LENGTH), 0);
    EXPECT_EQ(kit::integer(GL_PACK_SKIP_PIXELS), 0);
    EXPECT_EQ(kit::integer(GL_PACK_SKIP_ROWS), 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);

    // A picture that does not fit is refused; a framebuffer GL cannot read from is an error,
    // not a frame.
    EXPECT_FALSE(nimra::readFrameInto(nimra::cPixelRect{5, 0, 3, 2}, width, height, frame));
    GLuint empty = 0;
    glGenFramebuffersEXT(1, &empty);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, empty);
    EXPECT_FALSE(nimra::readFrameInto(nimra::cPixelRect{0, 0, 3, 2}, width, height, frame));
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glDeleteFramebuffersEXT(1, &empty);
    while (glGetError() != GL_NO_ERROR) {
    }
}
