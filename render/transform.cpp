#include "render/transform.h"

#include <iostream>

#include "render/gl.h"

namespace nimra {

void applyCamera(const float* view, const float* projection) {
    glMatrixMode(GL_MODELVIEW);
    glMultMatrixf(view);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMultMatrixf(projection);
    glMatrixMode(GL_MODELVIEW);
}

void perspectiveMatrix(float* out, float fovY, float aspect, float zNear, float zFar) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(fovY, aspect, zNear, zFar);
    glGetFloatv(GL_PROJECTION_MATRIX, out);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void printGLErrors(const char* label) {
    if (label) std::cout << label << std::endl;
    // Without a context glGetError keeps answering; cap the drain so it always ends.
    for (int guard = 0; guard < 64; ++guard) {
        const GLenum code = glGetError();
        if (code == GL_NO_ERROR) break;
        std::cout << "gl error:" << static_cast<unsigned>(code) << std::endl;
    }
}

}  // namespace nimra
