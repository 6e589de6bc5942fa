// GL tests share one windowed 800 x 600 context, made here before any test runs.
#include <gtest/gtest.h>

#include <cstdio>

#include <SDL/SDL.h>
#include "render/gl.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "gl_tests: no video: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    if (!SDL_SetVideoMode(800, 600, 32, SDL_OPENGL)) {
        std::fprintf(stderr, "gl_tests: no GL window: %s\n", SDL_GetError());
        return 1;
    }
    if (glewInit() != GLEW_OK) {
        std::fprintf(stderr, "gl_tests: GLEW failed\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
