// Programs and pictures brought back from their files while the show runs: what a reload
// must draw afterwards, what a bad save must leave alone, and what it must not leak.
#include <unistd.h>

#include <array>
#include <filesystem>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "kit_support.h"
#include "render/live_reload.h"

using namespace nimra;

namespace {

const char* kVertex = "#version 120\nvoid main() { gl_Position = vec4(gl_Vertex.xy, 0.0, 1.0); }\n";
const char* kAsIs =
    "#version 120\nuniform sampler2D picture;\n"
    "void main() { gl_FragColor = texture2D(picture, vec2(0.5)); }\n";
// The texel's green and red, and blue from an int uniform: 4 is full.
const char* kSwizzled =
    "#version 120\nuniform sampler2D picture;\nuniform int blue;\n"
    "void main() { gl_FragColor = vec4(texture2D(picture, vec2(0.5)).gr, float(blue) / 4.0, 1.0); "
    "}\n";

using cRgb = std::array<int, 3>;

cRgb drawnColour(cShaderProgram& program) {
    kit::buildScreenQuad();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glViewport(0, 0, 800, 600);
    glClear(GL_COLOR_BUFFER_BIT);
    screenQuad->draw(&program, GL_TRIANGLES);
    uint8_t pixel[4] = {};
    glReadPixels(400, 300, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    return {pixel[0], pixel[1], pixel[2]};
}

// A 1 x 1 texture of one colour, bound on unit 1 (the scenes' second sampler).
struct cSwatch {
    cTexture texture{true};
    cSwatch(uint8_t r, uint8_t g, uint8_t b) {
        const uint8_t rgba[4] = {r, g, b, 255};
        texture.setImage(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        texture.setParameter(GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, texture.name);
        glActiveTexture(GL_TEXTURE0);
    }
};

// Live shader and program objects: Mesa hands names out rising, so a fresh shader's name
// bounds those given before (with a margin in case a driver reuses freed ones).
int liveShaderObjects() {
    const GLuint top = glCreateShader(GL_VERTEX_SHADER);
    glDeleteShader(top);
    int live = 0;
    for (GLuint name = 1; name < top + 4096; ++name)
        live += glIsShader(name) || glIsProgram(name);
    return live;
}

// The first texel of a level of the texture, and the level's size.
std::pair<cRgb, std::pair<int, int>> level(const cTexture& texture, int number) {
    int w = 0, h = 0;
    std::vector<uint8_t> pixels = kit::levelPixels(texture, number, &w, &h);
    pixels.resize(4);
    return {{pixels[0], pixels[1], pixels[2]}, {w, h}};
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(ShaderReload, ChangedFileDrawsAnewAndKeepsItsConstants) {
    kit::cTempDir dir;
    const std::string vert = dir.write("quad.vert", kVertex);
    const std::string frag = dir.write("picture.frag", kAsIs);
    cSwatch unit1(200, 100, 0);
    cShaderProgram program;
    program.load(vert, frag);
    program.setConstant("picture", 1);
    EXPECT_EQ(drawnColour(program), (cRgb{200, 100, 0}));
    const int oldProgram = program.programName;
    program.attribLocation("gone");

    dir.write("picture.frag", kSwizzled);
    program.setConstant("blue", 4);  // no such uniform yet: remembered all the same
    glUseProgram(0);
    kit::startCapture();
    const bool reloaded = program.reload();
    EXPECT_EQ(kit::stopCapture(), "");
    ASSERT_TRUE(reloaded);
    // The old program is gone, the new one current as after a uniform lookup, the cache
    // started over and the stage read afresh rather than appended to.
    EXPECT_FALSE(glIsProgram(static_cast<GLuint>(oldProgram)));
    EXPECT_EQ(kit::integer(GL_CURRENT_PROGRAM), program.programName);
    EXPECT_TRUE(program.attributeCache.empty());
    EXPECT_EQ(program.fragmentStage.sourceLines.size(), 5u);
    // Sampler unit 1 and the blue level both set again: with either lost the colour differs.
    EXPECT_EQ(drawnColour(program), (cRgb{100, 200, 255}));

    cShaderProgram bare;  // never loaded from files
    EXPECT_FALSE(bare.reload());
}

TEST(ShaderReload, BadSavesKeepTheLastGoodProgramUntilFixed) {
    kit::cTempDir dir;
    const std::string vert = dir.write("quad.vert", kVertex);
    const std::string frag = dir.write("picture.frag", kAsIs);
    cSwatch unit1(30, 60, 90);
    cShaderProgram program;
    program.load(vert, frag);
    program.setConstant("picture", 1);
    const int good = program.programName;
    ASSERT_EQ(drawnColour(program), (cRgb{30, 60, 90}));

    // Each save with what the output must name: the failing stage's file and its log.
    const std::vector<std::array<std::string, 4>> saves = {
        {kVertex, "#version 120\nvoid main() { gl_FragColor = vec4(nope); }\n",
         "fragment stage " + frag + " does not compile", "nope"},
        {"#version 120\nvoid main() { gl_Position = 1; }\n", kAsIs,
         "vertex stage " + vert + " does not compile", "error"},
        // Compiles, but without a main the fragment stage does not link.
        {kVertex, "#version 120\nvoid helper() {}\n", vert + " + " + frag + " do not link", "main"},
    };
    for (const auto& [vertex, fragment, named, logged] : saves) {
        SCOPED_TRACE(named);
        dir.write("quad.vert", vertex);
        dir.write("picture.frag", fragment);
        kit::startCapture();
        EXPECT_FALSE(program.reload());
        const std::string out = kit::stopCapture();
        EXPECT_TRUE(contains(out, named + ", keeping the last good program:\n")) << out;
        EXPECT_TRUE(contains(out.substr(out.find(named)), logged)) << out;
        EXPECT_EQ(program.programName, good);
        EXPECT_EQ(drawnColour(program), (cRgb{30, 60, 90}));
    }
    std::filesystem::remove(frag);
    kit::startCapture();
    EXPECT_FALSE(program.reload());
    EXPECT_EQ(kit::stopCapture(),
              "reload: cannot open " + frag + ", keeping the last good program\n");
    EXPECT_EQ(drawnColour(program), (cRgb{30, 60, 90}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    dir.write("quad.vert", kVertex);
    dir.write("picture.frag", kSwizzled);
    ASSERT_TRUE(program.reload());
    EXPECT_FALSE(glIsProgram(static_cast<GLuint>(good)));  // freed though it was current
    EXPECT_EQ(drawnColour(program), (cRgb{60, 30, 0}));
}

TEST(ShaderReload, CutShortEmptyAndGarbledFilesNeverCrashOrLeak) {
    kit::cTempDir dir;
    const std::string vert = dir.write("quad.vert", kVertex);
    const std::string frag = dir.write("picture.frag", kSwizzled);
    cSwatch unit1(40, 80, 0);
    cShaderProgram program;
    program.load(vert, frag);
    program.setConstant("picture", 1);
    program.setConstant("blue", 4);
    ASSERT_EQ(drawnColour(program), (cRgb{80, 40, 255}));

    const std::string whole = kSwizzled;
    const std::vector<std::pair<std::string, std::string>> damaged = {
        {kVertex, whole.substr(0, whole.find("texture2D") + 4)},  // cut in the middle of a line
        {kVertex, ""},
        {"", ""},
        {kVertex, std::string("\0\xff\x01garbage\n", 12)},
    };
    const int liveBefore = liveShaderObjects();
    kit::startCapture();
    for (int round = 0; round < 25; ++round) {
        for (const auto& [vertex, fragment] : damaged) {
            dir.write("quad.vert", vertex);
            dir.write("picture.frag", fragment);
            EXPECT_FALSE(program.reload());
        }
    }
    kit::stopCapture();
    EXPECT_EQ(liveShaderObjects(), liveBefore);
    EXPECT_EQ(drawnColour(program), (cRgb{80, 40, 255}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // Good reloads replace their three objects, never add to them.
    dir.write("quad.vert", kVertex);
    dir.write("picture.frag", kSwizzled);
    for (int round = 0; round < 10; ++round)
        ASSERT_TRUE(program.reload());
    EXPECT_EQ(liveShaderObjects(), liveBefore);
}

TEST(TextureReload, NewPicturesGoIntoTheSameNameAndDamagedOnesChangeNothing) {
    kit::cTempDir dir;
    const std::string path = kit::writePng(dir, "card.png", 8, 4, 0x208040FFu);
    cTexture texture(false);
    texture.loadFile(path, GL_TEXTURE_2D, true);
    const GLuint name = texture.name;

    // What the active unit has bound before a reload is bound after it.
    cSwatch other(1, 2, 3);
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, other.texture.name);
    const std::string bytes = [&] {
        kit::writePng(dir, "card.png", 16, 16, 0xC01020FFu);
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();
    ASSERT_TRUE(texture.reload());
    EXPECT_EQ(kit::integer(GL_ACTIVE_TEXTURE), GL_TEXTURE2);
    EXPECT_EQ(kit::integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(other.texture.name));
    glActiveTexture(GL_TEXTURE0);
    EXPECT_EQ(texture.name, name);
    const auto reloaded = std::make_pair(cRgb{0xC0, 0x10, 0x20}, std::make_pair(16, 16));
    const auto smallest = std::make_pair(cRgb{0xC0, 0x10, 0x20}, std::make_pair(1, 1));
    EXPECT_EQ(level(texture, 0), reloaded);
    EXPECT_EQ(level(texture, 4), smallest);  // the chain rebuilt to 1 x 1

    const std::vector<std::pair<const char*, std::string>> saves = {
        {"cut in half", bytes.substr(0, bytes.size() / 2)},
        // Cut inside the text chunk after the header: DevIL alone would wait for ever.
        {"cut in its text", bytes.substr(0, 40)},
        {"without its end", bytes.substr(0, bytes.size() - 6)},
        {"empty", ""},
        {"not a picture", "plain text\n"},
    };
    for (const auto& [what, content] : saves) {
        SCOPED_TRACE(what);
        dir.write("card.png", content);
        kit::startCapture();
        EXPECT_FALSE(texture.reload());
        const std::string out = kit::stopCapture();
        EXPECT_EQ(out.rfind("reload: " + path + " ", 0), 0u) << out;
        EXPECT_EQ(out.find('\n'), out.size() - 1) << "one line: " << out;
        EXPECT_EQ(level(texture, 0), reloaded);
        EXPECT_EQ(level(texture, 4), smallest);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // Missing at start-up: the one clear texel, until the picture is saved.
    kit::startCapture();
    cTexture* late = loadImageTexture(dir.file("late.png"));
    kit::stopCapture();
    EXPECT_EQ(level(*late, 0), std::make_pair(cRgb{0, 0, 0}, std::make_pair(1, 1)));
    kit::writePng(dir, "late.png", 4, 4, 0xFFFF00FFu);
    ASSERT_TRUE(late->reload());
    EXPECT_EQ(level(*late, 0), std::make_pair(cRgb{0xFF, 0xFF, 0}, std::make_pair(4, 4)));
    delete late;
}

TEST(TextureReload, CubeMapKeepsEveryFaceUntilAllDecode) {
    kit::cTempDir dir;
    std::string description = "mode:nomip\n";
    for (int face = 0; face < 6; ++face) {
        kit::writePng(dir, "face" + std::to_string(face) + ".png", 4, 4, 0x101010FFu);
        description += "face:" + dir.file("face" + std::to_string(face) + ".png") + "\n";
    }
    cTexture cube(false);
    cube.loadFile(dir.write("sky.cub", description), GL_TEXTURE_2D, false);
    auto red = [&](int face) {
        glBindTexture(GL_TEXTURE_CUBE_MAP, cube.name);
        uint8_t pixels[64] = {};
        glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
        return int(pixels[0]);
    };
    kit::writePng(dir, "face0.png", 4, 4, 0xE0A020FFu);
    dir.write("face5.png", "");
    kit::startCapture();
    EXPECT_FALSE(cube.reload());
    kit::stopCapture();
    EXPECT_EQ(red(0), 0x10);

    // A saved face reaches the cube map that names it.
    kit::writePng(dir, "face5.png", 4, 4, 0x3010F0FFu);
    kit::startCapture();
    EXPECT_EQ(reloadFile(dir.file("face5.png")), 1);
    kit::stopCapture();
    EXPECT_EQ(red(0), 0xE0);
    EXPECT_EQ(red(5), 0x30);
}

TEST(LiveReload, ReloadFileReachesEveryLiveUserOfTheFileByItsLoadedName) {
    kit::cTempDir dir;
    dir.write("shared.vert", kVertex);
    dir.write("first.frag", kAsIs);
    dir.write("second.frag", kAsIs);
    kit::writePng(dir, "pic.png", 4, 4);
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.file(""));  // the show loads bare names from here

    cShaderProgram a;
    a.load("shared.vert", "first.frag");
    cShaderProgram b;
    b.load("shared.vert", "second.frag");
    cTexture texture(false);
    texture.loadFile("pic.png", GL_TEXTURE_2D, true);
    kit::startCapture();
    EXPECT_EQ(reloadFile("shared.vert"), 2);
    EXPECT_EQ(reloadFile("./second.frag"), 1);
    EXPECT_EQ(reloadFile("pic.png"), 1);
    EXPECT_EQ(reloadFile("sub/pic.png"), 0);
    std::string out = kit::stopCapture();
    EXPECT_EQ(out,
              "reloaded shared.vert (program shared.vert + first.frag)\n"
              "reloaded shared.vert (program shared.vert + second.frag)\n"
              "reloaded ./second.frag (program shared.vert + second.frag)\n"
              "reloaded pic.png (texture " +
                  std::to_string(texture.name) + ")\n");

    // One that fails is not counted; objects gone are no longer reached.
    dir.write("first.frag", "broken");
    {
        const cTexture copy = texture;
        cShaderProgram brief;
        brief.load("shared.vert", "second.frag");
        kit::startCapture();
        EXPECT_EQ(reloadFile("shared.vert"), 2);
        EXPECT_EQ(reloadFile("pic.png"), 2);
        kit::stopCapture();
    }
    kit::startCapture();
    EXPECT_EQ(reloadFile("shared.vert"), 1);
    EXPECT_EQ(reloadFile("pic.png"), 1);
    kit::stopCapture();
    std::filesystem::current_path(before);
}
