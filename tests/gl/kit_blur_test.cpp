#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "kit_support.h"
#include "render/blur.h"
#include "render/framebuffer.h"
#include "render/mesh.h"
#include "render/screen_quad.h"

using namespace nimra;

namespace {

constexpr int kSize = 256;

// The chain loads its shaders from the working directory, as the demo does from data/.
void initOnce() {
    static bool done = false;
    if (done) return;
    done = true;
    kit::buildScreenQuad();
    const std::filesystem::path here = std::filesystem::current_path();
    std::filesystem::current_path(kit::showData);
    kit::startCapture();
    initBlur(kSize, kSize);
    const std::string out = kit::stopCapture();
    std::filesystem::current_path(here);
    EXPECT_EQ(out, "");  // the shaders compile and the framebuffer is complete
}

cTexture* sourceTexture(int width, int height, const std::vector<uint8_t>& rgba) {
    cTexture* texture = new cTexture(true);
    texture->setImage(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                      rgba.data());
    texture->setParameter(GL_TEXTURE_WRAP_S, GL_CLAMP);
    texture->setParameter(GL_TEXTURE_WRAP_T, GL_CLAMP);
    texture->setParameter(GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    texture->setParameter(GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    return texture;
}

// A black source with one white texel at (128, 128).
cTexture& spot() {
    static cTexture* texture = nullptr;
    if (!texture) {
        std::vector<uint8_t> rgba(kSize * kSize * 4, 0);
        uint8_t* p = &rgba[(128 * kSize + 128) * 4];
        p[0] = p[1] = p[2] = p[3] = 255;
        texture = sourceTexture(kSize, kSize, rgba);
    }
    return *texture;
}

std::vector<uint8_t> resultPixels() { return kit::levelPixels(blurResult(), 0); }

int red(const std::vector<uint8_t>& rgba, int x, int y) { return rgba[(y * kSize + x) * 4]; }

// Blurs under a samples-passed query: every pass covers all 256 x 256 texels once.
int countedPasses(int passes) {
    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_SAMPLES_PASSED, query);
    blurTexture(spot(), passes);
    glEndQuery(GL_SAMPLES_PASSED);
    GLuint samples = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &samples);
    glDeleteQueries(1, &query);
    EXPECT_EQ(samples % (kSize * kSize), 0u);
    return static_cast<int>(samples / (kSize * kSize));
}

void plainState() {
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
}

}  // namespace

TEST(Blur, PassCountsRoundUpToEven) {
    initOnce();
    plainState();
    EXPECT_EQ(countedPasses(0), 1);
    EXPECT_EQ(countedPasses(1), 3);
    const std::vector<uint8_t> afterOne = resultPixels();
    EXPECT_EQ(countedPasses(2), 3);
    EXPECT_EQ(resultPixels(), afterOne);
    EXPECT_EQ(countedPasses(3), 5);
}

TEST(Blur, SpreadsASinglePixelSymmetrically) {
    initOnce();
    plainState();

    // Only the horizontal pass: the spot widens along its row and nowhere else.
    blurTexture(spot(), 0);
    std::vector<uint8_t> rgba = resultPixels();
    EXPECT_GT(red(rgba, 128, 128), 0);
    EXPECT_LT(red(rgba, 128, 128), 255);
    EXPECT_GT(red(rgba, 129, 128), 0);
    EXPECT_EQ(red(rgba, 130, 128), 0);  // a pass reaches one texel
    EXPECT_EQ(red(rgba, 128, 127), 0);
    EXPECT_EQ(red(rgba, 128, 129), 0);

    blurTexture(spot(), 1);
    rgba = resultPixels();
    int total = 0;
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            total += red(rgba, x, y);
        }
    }
    for (int d = 0; d <= 6; ++d) {
        SCOPED_TRACE(d);
        EXPECT_EQ(red(rgba, 128 + d, 128), red(rgba, 128 - d, 128));
        EXPECT_EQ(red(rgba, 128, 128 + d), red(rgba, 128, 128 - d));
        if (d > 0) {
            EXPECT_LE(red(rgba, 128 + d, 128), red(rgba, 127 + d, 128));
        }
    }
    EXPECT_GT(red(rgba, 130, 128), 0);      // two horizontal passes reach further
    EXPECT_GT(red(rgba, 128, 128 + 1), 0);  // one vertical pass reaches one texel
    EXPECT_EQ(red(rgba, 128, 128 + 2), 0);
    // A blur moves light around; it neither makes nor loses much of it.
    EXPECT_NEAR(total, 255, 40);

    // More passes spread further.
    blurTexture(spot(), 3);
    const std::vector<uint8_t> wider = resultPixels();
    EXPECT_LT(red(wider, 128, 128), red(rgba, 128, 128));
    EXPECT_GT(red(wider, 128, 128 + 2), 0);
}

TEST(Blur, AnySourceSizeFillsTheWholeResultAndRestoresTheWindow) {
    initOnce();
    plainState();
    cTexture* grey = sourceTexture(40, 30, std::vector<uint8_t>(40 * 30 * 4, 200));

    cDirectFrameBuffer window(800, 600, GL_COLOR_BUFFER_BIT);
    window.begin();
    blurTexture(*grey, 1);
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[2], 800);
    EXPECT_EQ(vp[3], 600);
    EXPECT_EQ(kit::integer(GL_FRAMEBUFFER_BINDING_EXT), 0);
    EXPECT_EQ(kit::integer(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    window.end();

    // Clamped sampling lets some border black in at the very edges.
    const std::vector<uint8_t> rgba = resultPixels();
    for (int at : {8, 64, 128, 200, 247}) {
        EXPECT_NEAR(red(rgba, at, at), 200, 2) << at;
        EXPECT_NEAR(red(rgba, 255 - at, at), 200, 2) << at;
    }
    EXPECT_GT(red(rgba, 0, 0), 40);
    EXPECT_GT(red(rgba, 255, 255), 40);
    EXPECT_EQ(blurResult().width, kSize);
    glDisable(GL_TEXTURE_2D);
    glUseProgram(0);
}

TEST(Blur, ALitBoxGivesTheSameResultForLessWork) {
    initOnce();
    plainState();
    // Sources of the capture's kind (repeating, larger and smaller than the chain), clear
    // outside a box: in the middle, against each edge, and against a corner.
    struct Case {
        int width, height;
        cPixelRect box;
        bool small;  // a quarter of the work or less
    };
    const Case cases[] = {
        {800, 600, {80, 125, 540, 475}, false}, {800, 600, {300, 200, 120, 90}, true},
        {800, 600, {0, 0, 60, 40}, false},      {800, 600, {700, 10, 100, 100}, false},
        {800, 600, {10, 560, 200, 40}, false},  {100, 70, {30, 20, 40, 30}, true},
        {100, 70, {0, 60, 100, 10}, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " box " << c.box.x << ","
                                        << c.box.y << " " << c.box.width << "x" << c.box.height);
        std::vector<uint8_t> rgba(size_t(c.width) * c.height * 4, 0);
        uint32_t noise = 12345;
        for (int y = c.box.y; y < c.box.y + c.box.height; ++y) {
            for (int x = c.box.x; x < c.box.x + c.box.width; ++x) {
                for (int k = 0; k < 4; ++k) {
                    noise = noise * 1664525u + 1013904223u;
                    rgba[(size_t(y) * c.width + x) * 4 + k] = uint8_t(noise >> 24);
                }
            }
        }
        cTexture* source = sourceTexture(c.width, c.height, rgba);
        source->setParameter(GL_TEXTURE_WRAP_S, GL_REPEAT);
        source->setParameter(GL_TEXTURE_WRAP_T, GL_REPEAT);

        const auto samples = [&](const cPixelRect* lit) {
            GLuint query = 0;
            glGenQueries(1, &query);
            glBeginQuery(GL_SAMPLES_PASSED, query);
            blurTexture(*source, 1, lit);
            glEndQuery(GL_SAMPLES_PASSED);
            GLuint count = 0;
            glGetQueryObjectuiv(query, GL_QUERY_RESULT, &count);
            glDeleteQueries(1, &query);
            return count;
        };
        // Stale texels from a blur of something else first, in both of the chain's textures.
        blurTexture(spot(), 1);
        const GLuint whole = samples(nullptr);
        const std::vector<uint8_t> expected = resultPixels();
        blurTexture(*sourceTexture(8, 8, std::vector<uint8_t>(8 * 8 * 4, 255)), 1);
        const GLuint boxed = samples(&c.box);
        EXPECT_EQ(resultPixels(), expected);
        EXPECT_LE(boxed, c.small ? whole / 4 : whole);
        glDeleteTextures(1, &source->name);
        delete source;
    }
}
