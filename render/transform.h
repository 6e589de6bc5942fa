#pragma once
// Glue between cMatrix4f values and GL's fixed-function matrix stacks.

namespace nimra {

// Multiplies view onto the modelview and replaces the projection; ends in modelview mode.
void applyCamera(const float* view, const float* projection);

// Has GL compute gluPerspective into out, leaving the projection stack as it was.
void perspectiveMatrix(float* out, float fovY, float aspect, float zNear, float zFar);

// Prints the label (when given), then one "gl error:<code>" line per pending GL error.
void printGLErrors(const char* label = nullptr);

}  // namespace nimra
