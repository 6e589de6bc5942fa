#pragma once
// Shared by the rendering kit's GL tests: scratch directories, captured standard output
// and small images written through DevIL.

#include <gtest/gtest.h>

#include <IL/il.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "render/gl.h"
#include "render/screen_quad.h"
#include "render/shader_program.h"
#include "render/texture.h"

namespace kit {

// A fresh directory under the system's temporary directory, removed again at the end.
class cTempDir {
public:
    cTempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "nimra-kit-XXXXXX");
        if (mkdtemp(pattern.data())) mPath = pattern;
    }
    ~cTempDir() {
        std::error_code ignored;
        if (!mPath.empty()) std::filesystem::remove_all(mPath, ignored);
    }
    std::string file(const std::string& name) const { return mPath + "/" + name; }
    std::string write(const std::string& name, const std::string& text) const {
        std::ofstream(file(name), std::ios::binary) << text;
        return file(name);
    }

private:
    std::string mPath;
};

// A program whose one attribute, "colour", becomes the fragment colour; gl_Vertex passes
// through unchanged.
inline void loadColourProgram(const cTempDir& dir, nimra::cShaderProgram& program) {
    const std::string vert = dir.write("colour.vert",
                                       "#version 120\n"
                                       "attribute vec3 colour;\n"
                                       "varying vec3 c;\n"
                                       "void main() { c = colour; gl_Position = gl_Vertex; }\n");
    const std::string frag =
        dir.write("colour.frag",
                  "#version 120\nvarying vec3 c;\nvoid main() { gl_FragColor = vec4(c, 1.0); }\n");
    program.load(vert, frag);
}

inline void startCapture() { ::testing::internal::CaptureStdout(); }
inline std::string stopCapture() {
    std::cout.flush();
    return ::testing::internal::GetCapturedStdout();
}

// An RGBA PNG of the given size, every pixel the given colour.
inline std::string writePng(const cTempDir& dir, const std::string& name, int width, int height,
                            uint32_t rgba = 0xFF8040FFu) {
    // The kit brings DevIL up once per process; a load of an unknown kind does just that.
    nimra::cTexture(false).loadFile(dir.file("none.unknown"), GL_TEXTURE_2D, false);
    std::vector<uint8_t> pixels(size_t(width) * height * 4);
    for (size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i] = uint8_t(rgba >> 24);
        pixels[i + 1] = uint8_t(rgba >> 16);
        pixels[i + 2] = uint8_t(rgba >> 8);
        pixels[i + 3] = uint8_t(rgba);
    }
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilTexImage(width, height, 1, 4, IL_RGBA, IL_UNSIGNED_BYTE, pixels.data());
    ilEnable(IL_FILE_OVERWRITE);
    const std::string path = dir.file(name);
    EXPECT_TRUE(ilSave(IL_PNG, path.c_str())) << path;
    ilDeleteImages(1, &image);
    return path;
}

// A level of a 2D texture, RGBA, bottom row first; its size too, when asked. GL hands back
// the whole level whatever is wanted of it.
inline std::vector<uint8_t> levelPixels(const nimra::cTexture& texture, int level,
                                        int* width = nullptr, int* height = nullptr) {
    glBindTexture(GL_TEXTURE_2D, texture.name);
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &h);
    std::vector<uint8_t> rgba(size_t(w) * h * 4 + 4);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    rgba.resize(size_t(w) * h * 4);
    if (width) *width = w;
    if (height) *height = h;
    return rgba;
}

inline GLint integer(GLenum what) {
    GLint value = 0;
    glGetIntegerv(what, &value);
    return value;
}

// The show's own files, as the demo finds them in its working directory.
inline const std::filesystem::path showData =
    std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "data";

// The screen quad that the opening scene's initialiser builds first of all, for the tests
// that draw the layers without it.
inline void buildScreenQuad() {
    if (nimra::screenQuad) return;
    nimra::screenQuad = new nimra::cMesh();
    nimra::fillScreenQuad(*nimra::screenQuad);
}

inline void drainErrors() {
    while (glGetError() != GL_NO_ERROR) {
    }
}

}  // namespace kit
