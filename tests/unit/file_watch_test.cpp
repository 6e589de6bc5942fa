// The edit mode's folder watch: every way an editor saves is seen once per poll, and
// nothing else is.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "shell/file_watch.h"

using namespace nimra;
namespace fs = std::filesystem;

namespace {

using cNames = std::vector<std::string>;

class FileWatch : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = fs::temp_directory_path() / "nimra-watch-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = pattern;
        folder = root / "show";
        elsewhere = root / "elsewhere";
        fs::create_directory(folder);
        fs::create_directory(elsewhere);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    static void write(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }

    fs::path root, folder, elsewhere;
};

int openDescriptors() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

}  // namespace

TEST_F(FileWatch, HoldsADescriptorOnlyWhileWatching) {
    const int before = openDescriptors();
    {
        cFileWatch watch;
        EXPECT_FALSE(watch.started());
        EXPECT_EQ(watch.changed(), cNames{});
        EXPECT_EQ(openDescriptors(), before);

        // Neither a missing folder nor a file can be watched, and nothing is left open.
        testing::internal::CaptureStdout();
        EXPECT_FALSE(watch.start((root / "missing").string()));
        write(folder / "plain.txt", "x");
        EXPECT_FALSE(watch.start((folder / "plain.txt").string()));
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_NE(out.find("cannot watch " + (root / "missing").string()), std::string::npos)
            << out;
        EXPECT_FALSE(watch.started());
        EXPECT_EQ(openDescriptors(), before);

        ASSERT_TRUE(watch.start(folder.string()));
        EXPECT_EQ(openDescriptors(), before + 1);
        // Starting again watches the new folder instead, on the one descriptor.
        ASSERT_TRUE(watch.start(elsewhere.string()));
        EXPECT_EQ(openDescriptors(), before + 1);
        write(folder / "old.frag", "x");
        write(elsewhere / "new.frag", "x");
        EXPECT_EQ(watch.changed(), cNames{"new.frag"});
        ASSERT_TRUE(watch.start(folder.string()));
    }
    EXPECT_EQ(openDescriptors(), before);
}

TEST_F(FileWatch, EverySaveIsReportedOncePerPoll) {
    cFileWatch watch;
    ASSERT_TRUE(watch.start(folder.string()));
    EXPECT_EQ(watch.changed(), cNames{});

    write(folder / "tunnel.frag", "one");
    EXPECT_EQ(watch.changed(), cNames{"tunnel.frag"});
    EXPECT_EQ(watch.changed(), cNames{});  // reported, then gone

    // Written twice and more between two polls: once, in the order first saved.
    write(folder / "b.png", "1");
    write(folder / "a.vert", "1");
    write(folder / "b.png", "2");
    write(folder / "a.vert", "2");
    write(folder / "b.png", "3");
    EXPECT_EQ(watch.changed(), (cNames{"b.png", "a.vert"}));

    // Written elsewhere and renamed in, as editors that save safely do.
    write(elsewhere / "tunnel.frag.tmp", "two");
    EXPECT_EQ(watch.changed(), cNames{});
    fs::rename(elsewhere / "tunnel.frag.tmp", folder / "tunnel.frag");
    EXPECT_EQ(watch.changed(), cNames{"tunnel.frag"});

    // A temporary file beside it is a saved file too; the renamed one is still seen once.
    write(folder / ".tunnel.frag.swp", "three");
    fs::rename(folder / ".tunnel.frag.swp", folder / "tunnel.frag");
    write(folder / "tunnel.frag", "four");
    EXPECT_EQ(watch.changed(), (cNames{".tunnel.frag.swp", "tunnel.frag"}));
}

TEST_F(FileWatch, SubfoldersAndOtherEventsAreNotReported) {
    write(folder / "kept.png", "x");
    fs::create_directory(folder / "sub");
    write(elsewhere / "x.frag", "x");
    cFileWatch watch;
    ASSERT_TRUE(watch.start(folder.string()));

    write(folder / "sub" / "inner.frag", "x");
    fs::create_directory(folder / "made");
    fs::rename(elsewhere, folder / "moved-in");  // a folder renamed in
    {
        std::ifstream read(folder / "kept.png");  // read, not written
        std::string text;
        read >> text;
    }
    chmod((folder / "kept.png").c_str(), 0600);
    write(folder / "gone.png", "x");
    EXPECT_EQ(watch.changed(), cNames{"gone.png"});
    fs::rename(folder / "gone.png", root / "gone.png");  // renamed away
    fs::remove(folder / "kept.png");
    fs::remove_all(folder / "sub");
    EXPECT_EQ(watch.changed(), cNames{});

    // A file renamed in from a subfolder now lies in the folder.
    write(folder / "moved-in" / "back.frag", "x");
    EXPECT_EQ(watch.changed(), cNames{});
    fs::rename(folder / "moved-in" / "back.frag", folder / "back.frag");
    EXPECT_EQ(watch.changed(), cNames{"back.frag"});
}
