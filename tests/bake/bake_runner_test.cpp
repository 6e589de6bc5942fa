// The runner's promises: incremental rebuilds keyed on recipe, inputs and output bytes,
// and failures that name the file, report non-zero and leave nothing half-written.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "runner.h"

namespace fs = std::filesystem;
using namespace nimra::bake;

namespace {

class BakeRunner : public ::testing::Test {
protected:
    fs::path dir;
    std::map<std::string, int> made;

    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("bake_runner_" + std::to_string(getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    cAsset text(const std::string& file, const std::string& content,
                std::vector<std::string> inputs = {}) {
        return {
            file, {"runner.cpp"}, inputs, content, [this, file, content](const std::string& path) {
                ++made[file];
                std::ofstream(path) << content;
            }};
    }

    int run(const std::vector<cAsset>& assets, std::string* log = nullptr, bool force = false) {
        std::ostringstream out;
        cRunOptions options;
        options.outDir = dir.string();
        options.force = force;
        const int status = runBake(assets, options, out);
        if (log) *log = out.str();
        return status;
    }

    std::string read(const std::string& file) {
        std::ifstream in(dir / file);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

}  // namespace

TEST_F(BakeRunner, SecondRunDoesNothingAndChangedRecipeRebakesOnlyItsOutput) {
    std::vector<cAsset> assets = {text("a.txt", "alpha"), text("b.txt", "beta")};
    ASSERT_EQ(run(assets), 0);
    EXPECT_EQ(made["a.txt"], 1);
    EXPECT_EQ(made["b.txt"], 1);
    EXPECT_EQ(read("a.txt"), "alpha");

    std::string log;
    ASSERT_EQ(run(assets, &log), 0);
    EXPECT_EQ(made["a.txt"], 1);
    EXPECT_EQ(made["b.txt"], 1);
    EXPECT_NE(log.find("0 baked, 2 up to date"), std::string::npos) << log;

    assets[1] = text("b.txt", "beta, revised");
    ASSERT_EQ(run(assets), 0);
    EXPECT_EQ(made["a.txt"], 1);
    EXPECT_EQ(made["b.txt"], 2);
    EXPECT_EQ(read("b.txt"), "beta, revised");
}

TEST_F(BakeRunner, MissingOrEditedOutputIsRebaked) {
    const std::vector<cAsset> assets = {text("a.txt", "alpha")};
    ASSERT_EQ(run(assets), 0);
    fs::remove(dir / "a.txt");
    ASSERT_EQ(run(assets), 0);
    EXPECT_EQ(made["a.txt"], 2);
    std::ofstream(dir / "a.txt") << "hand-edited";
    ASSERT_EQ(run(assets), 0);
    EXPECT_EQ(made["a.txt"], 3);
    EXPECT_EQ(read("a.txt"), "alpha");
    ASSERT_EQ(run(assets, nullptr, true), 0);
    EXPECT_EQ(made["a.txt"], 4);
}

TEST_F(BakeRunner, ChangedInputFileRebakes) {
    const fs::path input = dir / "input.bin";
    std::ofstream(input) << "one";
    const std::vector<cAsset> assets = {text("a.txt", "alpha", {input.string()})};
    ASSERT_EQ(run(assets), 0);
    ASSERT_EQ(run(assets), 0);
    EXPECT_EQ(made["a.txt"], 1);
    std::ofstream(input) << "two";
    ASSERT_EQ(run(assets), 0);
    EXPECT_EQ(made["a.txt"], 2);
}

TEST_F(BakeRunner, FailureNamesTheFileAndLeavesNothingHalfWritten) {
    std::ofstream(dir / "bad.txt") << "the previous good output";
    cAsset bad{"bad.txt", {"runner.cpp"}, {}, "", [](const std::string& path) {
                   std::ofstream(path) << "half";
                   throw cBakeError("the synthesiser fell over");
               }};
    std::string log;
    EXPECT_NE(run({bad}, &log), 0);
    EXPECT_NE(log.find("bad.txt: the synthesiser fell over"), std::string::npos) << log;
    EXPECT_EQ(read("bad.txt"), "the previous good output");
    for (const auto& entry : fs::directory_iterator(dir))
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos)
            << entry.path();

    // A step that claims success without writing anything is a failure too.
    cAsset silent{"silent.txt", {"runner.cpp"}, {}, "", [](const std::string&) {}};
    EXPECT_NE(run({silent}, &log), 0);
    EXPECT_NE(log.find("silent.txt: no output was written"), std::string::npos) << log;
}

TEST_F(BakeRunner, MissingInputOrUnknownRecipeIsReported) {
    std::string log;
    EXPECT_NE(run({text("a.txt", "alpha", {(dir / "nowhere.sf3").string()})}, &log), 0);
    EXPECT_NE(log.find("missing input"), std::string::npos) << log;
    cAsset unknown = text("b.txt", "beta");
    unknown.sources = {"no_such_source.cpp"};
    EXPECT_NE(run({unknown}, &log), 0);
    EXPECT_NE(log.find("unknown recipe source no_such_source.cpp"), std::string::npos) << log;
    EXPECT_EQ(made.size(), 0u);
}

TEST_F(BakeRunner, EveryBakedFileHasAUniqueNameAndAKnownRecipe) {
    std::map<std::string, int> names;
    cInputHashes inputs;
    for (const cAsset& asset : allAssets()) {
        EXPECT_EQ(++names[asset.file], 1) << asset.file;
        EXPECT_NO_THROW(recipeHash(asset, inputs)) << asset.file;
    }
    EXPECT_EQ(names.size(), 63u);
}
