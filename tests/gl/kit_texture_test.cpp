#include <string>
#include <utility>
#include <vector>

#include "kit_support.h"
#include "render/texture.h"

using namespace nimra;

namespace {

// Width and height of every level GL holds for the bound 2D texture.
std::vector<std::pair<int, int>> levelSizes(GLenum target = GL_TEXTURE_2D) {
    std::vector<std::pair<int, int>> sizes;
    for (int level = 0; level < 16; ++level) {
        GLint w = 0, h = 0;
        glGetTexLevelParameteriv(target, level, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(target, level, GL_TEXTURE_HEIGHT, &h);
        if (w == 0) break;
        sizes.emplace_back(w, h);
    }
    return sizes;
}

}  // namespace

TEST(Texture, FileExtensionIsTheUpperCasedTailAfterTheLastDot) {
    EXPECT_EQ(fileExtension("card.png"), "PNG");
    EXPECT_EQ(fileExtension("dir/card.Png"), "PNG");
    EXPECT_EQ(fileExtension("sky.cub"), "CUB");
    EXPECT_EQ(fileExtension("mesh.obj.bin"), "BIN");
    EXPECT_EQ(fileExtension("my.dir/readme"), "DIR/README");
    EXPECT_EQ(fileExtension("noextension"), "");
    EXPECT_EQ(fileExtension(""), "");
    EXPECT_EQ(fileExtension("trailing."), "");
}

TEST(Texture, MipmapChainOfAPowerOfTwoImage) {
    kit::cTempDir dir;
    const std::string path = kit::writePng(dir, "wide.PNG", 256, 64, 0x20C0E0FFu);
    cTexture texture(false);
    kit::startCapture();
    texture.loadFile(path, GL_TEXTURE_2D, true);
    EXPECT_EQ(kit::stopCapture(), "");
    ASSERT_NE(texture.name, 0u);
    EXPECT_EQ(texture.target, static_cast<GLenum>(GL_TEXTURE_2D));

    glBindTexture(GL_TEXTURE_2D, texture.name);
    const std::vector<std::pair<int, int>> expected = {
        {256, 64}, {128, 32}, {64, 16}, {32, 8}, {16, 4}, {8, 2}, {4, 1}, {2, 1}, {1, 1}};
    EXPECT_EQ(levelSizes(), expected);
    EXPECT_EQ(kit::integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(texture.name));
    GLint minFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);

    // The smallest level still carries the image's colour, in RGBA.
    uint8_t texel[4] = {};
    glGetTexImage(GL_TEXTURE_2D, 8, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    EXPECT_NEAR(texel[0], 0x20, 2);
    EXPECT_NEAR(texel[1], 0xC0, 2);
    EXPECT_NEAR(texel[2], 0xE0, 2);
    EXPECT_EQ(texel[3], 0xFF);
}

TEST(Texture, NonPowerOfTwoWarnsAndRoundsEachLevelDown) {
    kit::cTempDir dir;
    const std::string path = kit::writePng(dir, "odd.png", 100, 60);
    cTexture texture(false);
    kit::startCapture();
    texture.loadFile(path, GL_TEXTURE_2D, true);
    const std::string out = kit::stopCapture();
    EXPECT_NE(out.find("power of two"), std::string::npos) << out;
    EXPECT_EQ(out.find('\n'), out.size() - 1) << "one line: " << out;

    glBindTexture(GL_TEXTURE_2D, texture.name);
    const std::vector<std::pair<int, int>> expected = {{100, 60}, {50, 30}, {25, 15}, {12, 7},
                                                       {6, 3},    {3, 1},   {1, 1}};
    EXPECT_EQ(levelSizes(), expected);
    EXPECT_EQ(texture.width, 1);
    EXPECT_EQ(texture.height, 1);
    EXPECT_TRUE(texture.isMipmapped());

    texture.setParameter(GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    EXPECT_TRUE(texture.isMipmapped());
    texture.setParameter(GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    EXPECT_FALSE(texture.isMipmapped());
    texture.setParameter(GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST);
    EXPECT_TRUE(texture.isMipmapped());
}

TEST(Texture, FailuresAndUnknownKinds) {
    kit::cTempDir dir;
    const std::string missing = dir.file("missing.png");
    cTexture broken(false);
    kit::startCapture();
    broken.loadFile(missing, GL_TEXTURE_2D, true);
    EXPECT_EQ(kit::stopCapture(), "OH SHIT. the devil fails:" + missing + "\n");
    EXPECT_TRUE(glIsTexture(broken.name));
    kit::drainErrors();

    // A zero-byte file, one cut off half-way through its rows and one cut inside the text
    // chunk after its header (which DevIL alone never comes back from): whatever DevIL
    // decoded before giving up is not uploaded, only one clear texel.
    const std::string whole = kit::writePng(dir, "whole.png", 64, 64);
    std::ifstream in(whole, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const std::string& path :
         {dir.write("zero.png", ""), dir.write("half.png", bytes.substr(0, bytes.size() / 2)),
          dir.write("text.png", bytes.substr(0, 40))}) {
        SCOPED_TRACE(path);
        cTexture damaged(false);
        kit::startCapture();
        damaged.loadFile(path, GL_TEXTURE_2D, true);
        EXPECT_EQ(kit::stopCapture(), "OH SHIT. the devil fails:" + path + "\n");
        glBindTexture(GL_TEXTURE_2D, damaged.name);
        EXPECT_EQ(levelSizes(), (std::vector<std::pair<int, int>>{{1, 1}}));
        uint8_t texel[4] = {1, 2, 3, 4};
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
        EXPECT_EQ(texel[0] | texel[1] | texel[2] | texel[3], 0);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    // Unknown extensions, including a dot that only a folder name carries, are ignored.
    for (const std::string& path : {dir.file("notes.txt"), dir.write("readme", "x")}) {
        cTexture ignored(false);
        kit::startCapture();
        ignored.loadFile(path, GL_TEXTURE_2D, true);
        EXPECT_EQ(kit::stopCapture(), "");
        EXPECT_EQ(ignored.name, 0u);
    }
}

TEST(Texture, RenderTargetImagesAndBinding) {
    cTexture texture(true);
    EXPECT_FALSE(texture.isMipmapped());
    texture.setImage(GL_TEXTURE_2D, 0, GL_RGBA, 64, 32, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    EXPECT_EQ(texture.width, 64);
    EXPECT_EQ(texture.height, 32);

    // A 3D image is recorded only; the GL texture keeps its 2D image.
    texture.setImage(GL_TEXTURE_3D, 0, GL_RGBA, 8, 8, 8, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    EXPECT_EQ(texture.depth, 8);
    EXPECT_EQ(texture.target, static_cast<GLenum>(GL_TEXTURE_3D));
    glBindTexture(GL_TEXTURE_2D, texture.name);
    EXPECT_EQ(levelSizes().front(), std::make_pair(64, 32));
    kit::drainErrors();

    texture.setImage(GL_TEXTURE_2D, 0, GL_RGBA, 64, 32, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    texture.bind(1);
    EXPECT_EQ(kit::integer(GL_ACTIVE_TEXTURE), GL_TEXTURE1);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(kit::integer(GL_TEXTURE_BINDING_2D), static_cast<GLint>(texture.name));
    glDisable(GL_TEXTURE_2D);
    glActiveTexture(GL_TEXTURE0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(Texture, CubeMapFromADescriptionFile) {
    kit::cTempDir dir;
    std::string description = "mode:mipmap\n";
    for (int face = 0; face < 6; ++face) {
        const std::string name = "face" + std::to_string(face) + ".png";
        // The fifth face is missing.
        if (face != 4) kit::writePng(dir, name, 16, 16);
        description += "face " + std::to_string(face) + ":" + dir.file(name) + "\n";
    }
    const std::string path = dir.write("sky.cub", description);

    cTexture cube(false);
    kit::startCapture();
    cube.loadFile(path, GL_TEXTURE_2D, false);
    EXPECT_EQ(kit::stopCapture(), "OH SHIT. the devil fails\n");
    EXPECT_EQ(cube.target, static_cast<GLenum>(GL_TEXTURE_CUBE_MAP));
    EXPECT_TRUE(cube.isMipmapped());
    glBindTexture(GL_TEXTURE_CUBE_MAP, cube.name);
    const std::vector<std::pair<int, int>> expected = {{16, 16}, {8, 8}, {4, 4}, {2, 2}, {1, 1}};
    EXPECT_EQ(levelSizes(GL_TEXTURE_CUBE_MAP_NEGATIVE_Y), expected);
    kit::drainErrors();
}

// A picture kept as one level holds exactly the texels the whole chain holds at that level,
// filtered without mipmaps, and keeps that one level when it is loaded again.
TEST(Texture, APictureKeptAsOneLevelIsThatLevelOfItsChain) {
    for (const char* file : {"grad2.png", "SMOKEPUFF.PNG", "sax_overlay.png", "introback.png"}) {
        SCOPED_TRACE(file);
        const std::string path = (kit::showData / file).string();
        cTexture* chain = loadImageTexture(path);
        cTexture* top = loadImageTexture(path, ePictureLevels::top);
        cTexture* half = loadImageTexture(path, ePictureLevels::half);
        EXPECT_EQ(kit::levelPixels(*top, 0), kit::levelPixels(*chain, 0));
        EXPECT_EQ(kit::levelPixels(*half, 0), kit::levelPixels(*chain, 1));
        for (cTexture* one : {top, half}) {
            glBindTexture(GL_TEXTURE_2D, one->name);
            EXPECT_EQ(levelSizes().size(), 1u);
            GLint minFilter = 0;
            glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
            EXPECT_EQ(minFilter, GL_LINEAR);
        }
        glBindTexture(GL_TEXTURE_2D, half->name);
        const auto halfSize = levelSizes();
        ASSERT_TRUE(half->reload());
        glBindTexture(GL_TEXTURE_2D, half->name);
        EXPECT_EQ(levelSizes(), halfSize);
        EXPECT_EQ(kit::levelPixels(*half, 0), kit::levelPixels(*chain, 1));
        for (cTexture* texture : {chain, top, half}) {
            glDeleteTextures(1, &texture->name);
            delete texture;
        }
    }
}
