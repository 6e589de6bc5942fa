#pragma once
// The one way the engine reaches OpenGL: GLEW first (it must precede gl.h), then GLU.
#include <GL/glew.h>
#include <GL/glu.h>
