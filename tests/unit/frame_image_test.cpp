// PNG files from RGB rows: what is written reads back with the same pixels through an
// independent decoder (libpng's simplified reader), and a write that cannot finish
// reports why and leaves no file, partial or whole, behind.

#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "render/frame_image.h"

namespace fs = std::filesystem;

namespace {

class cScratch {
public:
    cScratch() {
        std::string pattern = (fs::temp_directory_path() / "nimra-png-XXXXXX").string();
        if (mkdtemp(pattern.data())) path = pattern;
    }
    ~cScratch() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::string file(const std::string& name) const { return (path / name).string(); }
    // Every name in the directory: a leftover .part shows up here.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& entry : fs::directory_iterator(path))
            out.push_back(entry.path().filename().string());
        return out;
    }

    fs::path path;
};

// A pattern in which every pixel differs from its neighbours and rows differ from each
// other, so a flip, a shift or a swapped channel all show.
std::vector<uint8_t> pattern(int width, int height) {
    std::vector<uint8_t> rgb(size_t(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &rgb[(size_t(y) * width + x) * 3];
            p[0] = uint8_t(x * 37 + y);
            p[1] = uint8_t(y * 53 + 7);
            p[2] = uint8_t((x ^ y) * 11 + 200);
        }
    return rgb;
}

struct cDecoded {
    int width = 0, height = 0;
    std::vector<uint8_t> rgb;
};

cDecoded decode(const std::string& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    cDecoded out;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return out;
    image.format = PNG_FORMAT_RGB;
    out.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr)) return {};
    out.width = int(image.width);
    out.height = int(image.height);
    return out;
}

}  // namespace

TEST(FramePng, WrittenPixelsReadBackTopRowFirstAtEitherCompression) {
    cScratch dir;
    // An odd width: rows that are not a multiple of four bytes.
    const int width = 13, height = 7;
    const std::vector<uint8_t> rgb = pattern(width, height);
    for (const bool quick : {false, true}) {
        SCOPED_TRACE(quick ? "quick" : "tight");
        const std::string path = dir.file(quick ? "quick.png" : "tight.png");
        std::string error;
        ASSERT_TRUE(nimra::writePng(path, width, height, rgb, quick, error)) << error;
        EXPECT_EQ(error, "");
        const cDecoded back = decode(path);
        EXPECT_EQ(back.width, width);
        EXPECT_EQ(back.height, height);
        EXPECT_EQ(back.rgb, rgb);
    }
    EXPECT_EQ(dir.names().size(), 2u);  // no .part beside them

    // Writing again over an existing picture replaces it whole.
    const std::vector<uint8_t> other = pattern(3, 2);
    std::string error;
    ASSERT_TRUE(nimra::writePng(dir.file("tight.png"), 3, 2, other, false, error)) << error;
    EXPECT_EQ(decode(dir.file("tight.png")).rgb, other);
}

TEST(FramePng, AFailedWriteNamesThePathAndLeavesNoFile) {
    cScratch dir;
    const std::vector<uint8_t> rgb = pattern(4, 4);
    std::string error;

    // A folder that does not exist: the partial file cannot even be opened.
    const std::string nowhere = dir.file("missing/shot.png");
    EXPECT_FALSE(nimra::writePng(nowhere, 4, 4, rgb, false, error));
    EXPECT_NE(error.find(nowhere), std::string::npos) << error;
    EXPECT_TRUE(dir.names().empty());

    // The picture is encoded, but the rename onto a folder fails: the partial file goes.
    const std::string folder = dir.file("taken.png");
    fs::create_directory(folder);
    fs::create_directory(folder + "/inside");  // a non-empty folder is never replaced
    error.clear();
    EXPECT_FALSE(nimra::writePng(folder, 4, 4, rgb, false, error));
    EXPECT_NE(error.find(folder), std::string::npos) << error;
    EXPECT_EQ(dir.names(), std::vector<std::string>{"taken.png"});
    EXPECT_TRUE(fs::is_directory(folder));

    // Fewer pixels than the size promises are refused before anything is written, rather
    // than read past the end of the rows.
    error.clear();
    const std::string shortRows = dir.file("short.png");
    EXPECT_FALSE(nimra::writePng(shortRows, 4, 5, rgb, false, error));
    EXPECT_NE(error.find(shortRows), std::string::npos) << error;
    EXPECT_FALSE(nimra::writePng(dir.file("empty.png"), 0, 4, rgb, false, error));
    EXPECT_EQ(dir.names(), std::vector<std::string>{"taken.png"});
}

TEST(FramePng, AFullDiskReportsTheEncoderAndLeavesNoPartialFile) {
    // /dev/full accepts the open and fails every write; a symlink to it under the partial
    // name makes the encoder meet it mid-file.
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    cScratch dir;
    const std::string path = dir.file("full.png");
    fs::create_symlink("/dev/full", path + ".part");
    std::string error;
    EXPECT_FALSE(nimra::writePng(path, 64, 64, pattern(64, 64), false, error));
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_TRUE(dir.names().empty());
    EXPECT_FALSE(fs::exists(path));
}
