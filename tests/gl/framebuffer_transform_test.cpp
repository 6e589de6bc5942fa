#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "math/matrix.h"
#include "render/framebuffer.h"
#include "render/gl.h"
#include "render/transform.h"

using namespace nimra;

namespace {

void viewport(GLint out[4]) { glGetIntegerv(GL_VIEWPORT, out); }

void drainErrors() {
    while (glGetError() != GL_NO_ERROR) {
    }
}

}  // namespace

TEST(WindowFramebuffer, ViewportTruncatesAndBeginClearsWithItsColour) {
    cDirectFrameBuffer fb(800, 600, GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    EXPECT_EQ(fb.clearColour().x, 1.0f);  // constructed white, transparent
    EXPECT_EQ(fb.clearColour().w, 0.0f);
    EXPECT_TRUE(fb.clearOnBegin());
    EXPECT_EQ(fb.clearMask(), 0x4100);

    fb.setSize(cVec2f(640.9f, 480.9f));
    fb.setClearColour(cVec4f(0.0f, 1.0f, 0.0f, 1.0f));
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    fb.begin();
    GLint vp[4];
    viewport(vp);
    EXPECT_EQ(vp[2], 640);
    EXPECT_EQ(vp[3], 480);
    ASSERT_EQ(framebufferStack().size(), 1u);
    EXPECT_EQ(framebufferStack().back(), &fb);

    uint8_t pixel[4];
    glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 0);
    EXPECT_EQ(pixel[1], 255);
    float depth = 0.0f;
    glReadPixels(10, 10, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(depth, 1.0f);

    fb.end();
    EXPECT_TRUE(framebufferStack().empty());
    glDisable(GL_DEPTH_TEST);
}

TEST(WindowFramebuffer, NestedEndsRestoreTheOuterViewport) {
    cDirectFrameBuffer outer(800, 600, GL_COLOR_BUFFER_BIT);
    cDirectFrameBuffer inner(100, 50, GL_COLOR_BUFFER_BIT);
    cDirectFrameBuffer innermost(32, 16, GL_COLOR_BUFFER_BIT);

    outer.begin();
    inner.begin();
    innermost.begin();
    GLint vp[4];
    viewport(vp);
    EXPECT_EQ(vp[2], 32);

    innermost.end();
    viewport(vp);
    EXPECT_EQ(vp[2], 100);
    EXPECT_EQ(vp[3], 50);

    inner.end();
    viewport(vp);
    EXPECT_EQ(vp[2], 800);
    EXPECT_EQ(vp[3], 600);

    // Only the viewport comes back: the clear colour stays as the last begin set it.
    outer.end();
    EXPECT_TRUE(framebufferStack().empty());
}

TEST(Transform, PerspectiveLeavesTheProjectionStackAlone) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glTranslatef(3.0f, 0.0f, 0.0f);
    GLint depthBefore = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depthBefore);

    float p[16];
    perspectiveMatrix(p, 90.0f, 1.0f, 0.01f, 20000.0f);
    EXPECT_NEAR(p[0], 1.0f, 1e-6f);  // cot(45 degrees)
    EXPECT_NEAR(p[5], 1.0f, 1e-6f);
    EXPECT_EQ(p[11], -1.0f);
    EXPECT_EQ(p[15], 0.0f);

    GLint mode = 0, depthAfter = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depthAfter);
    EXPECT_EQ(depthAfter, depthBefore);
    float current[16];
    glGetFloatv(GL_PROJECTION_MATRIX, current);
    EXPECT_EQ(current[12], 3.0f);  // the translation set before is still there
    EXPECT_EQ(current[0], 1.0f);
}

TEST(Transform, ApplyCameraTwiceStacksViewsButReplacesProjection) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    cMatrix4f view1, view2, proj1, proj2;
    view1.makeTranslation(cVec3f(1, 0, 0));
    view2.makeTranslation(cVec3f(0, 2, 0));
    proj1.setColumn(0, cVec4f(5, 0, 0, 0));
    proj2.setColumn(1, cVec4f(0, 7, 0, 0));

    applyCamera(view1.m, proj1.m);
    applyCamera(view2.m, proj2.m);

    float mv[16], pr[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, mv);
    glGetFloatv(GL_PROJECTION_MATRIX, pr);
    EXPECT_EQ(mv[12], 1.0f);
    EXPECT_EQ(mv[13], 2.0f);
    EXPECT_EQ(pr[0], 1.0f);  // proj1's 5 is gone
    EXPECT_EQ(pr[5], 7.0f);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    glLoadIdentity();
}

TEST(Transform, PrintGLErrorsReportsAndDrains) {
    drainErrors();
    testing::internal::CaptureStdout();
    printGLErrors();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    glEnd();  // outside glBegin: GL_INVALID_OPERATION
    testing::internal::CaptureStdout();
    printGLErrors("after the box");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "after the box\ngl error:1282\n");
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
