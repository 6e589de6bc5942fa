// The backdrop on the real renderer, with the show's own shaders and pictures from data/:
// drawn without the dusk picture over the rows night has covered, it is still the picture
// the full program draws over every row.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "demo/opening.h"
#include "kit_support.h"
#include "render/mesh.h"
#include "render/screen_quad.h"

using namespace nimra;

namespace {

constexpr int kWidth = 160, kHeight = 120;

// The opening's objects, and the backdrop's full program on its own.
cShaderProgram& fullProgram() {
    static cShaderProgram* program = nullptr;
    if (program) return *program;
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(kit::showData);
    kit::startCapture();
    initOpeningScene();
    program = new cShaderProgram();
    program->load("overlay.vert", "overlay.frag");
    program->setConstant("mixTex", 1);
    const std::string out = kit::stopCapture();
    std::filesystem::current_path(here);
    EXPECT_EQ(out, "initing scene1\n");  // every shader compiles, every picture loads
    return *program;
}

std::vector<uint8_t> readViewport() {
    std::vector<uint8_t> rgb(size_t(kWidth) * kHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

}  // namespace

TEST(Backdrop, RowsUnderNightAloneComeOutAsTheFullProgramDrawsThem) {
    cShaderProgram& full = fullProgram();
    glViewport(0, 0, kWidth, kHeight);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // A loud twinkle, so the lights count too.
    const float musicPhase = 2.0f, slowPhase = 3.0f;
    int split = 0, partly = 0;
    // From dusk through nightfall and the long swing of dusk coming back, past the show's end.
    for (float anim = 0.0f; anim < 21.0f; anim += 0.3f) {
        SCOPED_TRACE(anim);
        const int from = backdropNightFrom(anim, kHeight);
        split += from < kHeight;
        partly += 0 < from && from < kHeight;

        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        drawBackdrop(anim, musicPhase, slowPhase);
        const std::vector<uint8_t> drawn = readViewport();

        glClear(GL_COLOR_BUFFER_BIT);
        glUniform1f(full.uniformLocation("anim"), anim);
        glUniform1f(full.uniformLocation("mixer"), backdropMixer(musicPhase, slowPhase));
        introImage(3).bind(0);
        introImage(4).bind(1);
        glDisable(GL_BLEND);
        screenQuad->draw(&full, GL_TRIANGLES);
        glEnable(GL_BLEND);
        const std::vector<uint8_t> expected = readViewport();

        int most = 0;
        for (size_t i = 0; i < drawn.size(); ++i)
            most = std::max(most, std::abs(drawn[i] - expected[i]));
        EXPECT_LE(most, 1) << "from row " << from;
    }
    // Night covers part of the picture through most of the show, and all of it at times.
    EXPECT_GT(split, 50);
    EXPECT_GT(partly, 20);
    // As the other tests expect to find the context.
    glViewport(0, 0, 800, 600);
    glDisable(GL_BLEND);
    glUseProgram(0);
    for (GLenum unit : {GL_TEXTURE1, GL_TEXTURE0}) {
        glActiveTexture(unit);
        glDisable(GL_TEXTURE_2D);
    }
}

TEST(Backdrop, NightRowsStayInsideThePicture) {
    for (int rows : {0, 1, 120, 600, 2160}) {
        for (float anim : {-1.0f, 0.0f, 2.0f, 5.0f, 15.0f, 20.7f, 1e9f}) {
            const int from = backdropNightFrom(anim, rows);
            EXPECT_GE(from, 0) << rows << " " << anim;
            EXPECT_LE(from, rows) << rows << " " << anim;
        }
        // Before night falls nothing is left out.
        EXPECT_EQ(backdropNightFrom(0.0f, rows), rows);
    }
}
