// The browser's picture path (stb_image and our copy of DevIL's scaling) against the native
// one (DevIL): every picture of the show, and pictures of awkward shapes, give the same
// format and the same texels at every level of the mipmap chain the loader builds.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "kit_support.h"
#include "render/gl.h"
#include "render/picture_file.h"
#include "render/texture.h"

using namespace nimra;

namespace {

std::string fileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// Level by level as the loader builds a 2D chain: each scaled from the one before, the
// shorter side held at 1 once it gets there.
template <typename Scale>
std::vector<cPicture> chain(cPicture picture, Scale scale) {
    std::vector<cPicture> levels{picture};
    const int w0 = picture.width, h0 = picture.height;
    bool widthDone = false, heightDone = false;
    int level = 1;
    for (int n = std::max(w0, h0) >> 1; n != 0; n >>= 1, ++level) {
        const int w = widthDone ? 1 : w0 >> level;
        const int h = heightDone ? 1 : h0 >> level;
        heightDone = h == 1;
        widthDone = w == 1;
        scale(picture, w, h);
        levels.push_back(picture);
    }
    return levels;
}

// A picture whose every texel differs from its neighbours, so that a texel taken from the
// wrong place shows.
cPicture pattern(int width, int height, int bytesPerPixel) {
    cPicture picture;
    picture.width = width;
    picture.height = height;
    picture.bytesPerPixel = bytesPerPixel;
    picture.format = bytesPerPixel == 3 ? GL_RGB : GL_RGBA;
    for (int i = 0; i < width * height * bytesPerPixel; ++i)
        picture.pixels.push_back(static_cast<uint8_t>(i * 37 + i / 251));
    return picture;
}

void expectSame(const cPicture& native, const cPicture& web, const std::string& what) {
    EXPECT_EQ(native.width, web.width) << what;
    EXPECT_EQ(native.height, web.height) << what;
    EXPECT_EQ(native.bytesPerPixel, web.bytesPerPixel) << what;
    EXPECT_EQ(native.format, web.format) << what;
    EXPECT_TRUE(native.pixels == web.pixels) << what << ": the texels differ";
}

}  // namespace

TEST(PicturePaths, EveryPictureOfTheShowGivesTheSameChainThroughBothDecoders) {
    int pictures = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kit::showData)) {
        const std::string path = entry.path().string();
        if (fileExtension(path) != "PNG") continue;
        const std::string bytes = fileBytes(path);
        cPicture native, web;
        std::string reason;
        ASSERT_TRUE(decodePicture(bytes, "PNG", native, reason)) << path << " " << reason;
        ASSERT_TRUE(decodePictureWithStb(bytes, "PNG", web, reason)) << path << " " << reason;
        const std::vector<cPicture> nativeLevels = chain(native, scalePicture);
        const std::vector<cPicture> webLevels = chain(web, scalePictureNearest);
        ASSERT_EQ(nativeLevels.size(), webLevels.size()) << path;
        for (size_t level = 0; level < nativeLevels.size(); ++level) {
            expectSame(nativeLevels[level], webLevels[level],
                       path + " level " + std::to_string(level));
        }
        ++pictures;
    }
    EXPECT_GE(pictures, 40) << "the show's pictures are not in " << kit::showData.string();
}

TEST(PicturePaths, ScalingMatchesDevilForShapesTheShowDoesNotHave) {
    // Odd sides and ratios that are no power of two, where rounding the source position
    // the wrong way would show.
    const int sizes[][4] = {{7, 5, 3, 2},     {13, 11, 6, 5},   {100, 60, 33, 17}, {3, 300, 1, 7},
                            {255, 1, 101, 1}, {64, 64, 63, 63}, {9, 9, 1, 1}};
    for (int bpp : {3, 4}) {
        for (const auto& s : sizes) {
            cPicture native = pattern(s[0], s[1], bpp);
            cPicture web = native;
            scalePicture(native, s[2], s[3]);
            scalePictureNearest(web, s[2], s[3]);
            expectSame(native, web,
                       std::to_string(s[0]) + "x" + std::to_string(s[1]) + " to " +
                           std::to_string(s[2]) + "x" + std::to_string(s[3]) + " at " +
                           std::to_string(bpp) + " bytes");
        }
    }
}

TEST(PicturePaths, BrokenFilesAreRefusedByBothDecoders) {
    const std::string png = fileBytes((kit::showData / "grad.png").string());
    ASSERT_GT(png.size(), 100u);
    cPicture picture;
    std::string reason;
    for (const std::string& bytes : {std::string("not a picture"), png.substr(0, 60)}) {
        EXPECT_FALSE(decodePictureWithStb(bytes, "PNG", picture, reason));
        EXPECT_NE(reason, "");
    }
    EXPECT_FALSE(decodePictureWithStb(png, "DDS", picture, reason));
}
