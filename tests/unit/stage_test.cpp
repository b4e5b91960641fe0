#include "app/stage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <locale>
#include <string>
#include <vector>

#include "app/scene_objects.h"
#include "model/model.h"

namespace {

namespace fs = std::filesystem;

// A decimal comma, as some user locales have.
struct CommaDecimals : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

class StageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (Model*& tile : tileModels) {
            tile = new Model();
        }
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        directory_ = fs::path(::testing::TempDir()) / ("korvane_stage_" + test);
        fs::remove_all(directory_);
        fs::create_directories(directory_);
    }
    void TearDown() override {
        for (Model*& tile : tileModels) {
            delete tile;
            tile = nullptr;
        }
        fs::remove_all(directory_);
    }

    // Writes `contents` byte for byte and answers the path as core code writes
    // it, with backslashes.
    std::string WriteStage(const std::string& contents, const std::string& name = "Stage1.vtm") {
        const fs::path path = directory_ / name;
        std::ofstream(path, std::ios::binary) << contents;
        std::string core = path.string();
        std::replace(core.begin(), core.end(), '/', '\\');
        return core;
    }

    static std::vector<float> Heights() {
        std::vector<float> heights;
        for (const Model* tile : tileModels) {
            heights.push_back(tile->scale.y);
        }
        return heights;
    }

    // Ten lines of ten numbers, the way the stage is laid out.
    static std::string Board(const std::vector<float>& values, const char* lineEnd) {
        std::string text;
        for (size_t i = 0; i < values.size(); ++i) {
            text += std::to_string(values[i]);
            text += (i % 10 == 9) ? lineEnd : " ";
        }
        return text;
    }

    static std::vector<float> OneToHundred() {
        std::vector<float> values;
        for (int k = 1; k <= 100; ++k) {
            values.push_back(static_cast<float>(k));
        }
        return values;
    }

    // `first` values given, then `rest` for the remaining tiles.
    static std::vector<float> Expected(std::vector<float> first, float rest) {
        first.resize(100, rest);
        return first;
    }

    fs::path directory_;
};

} // namespace

TEST_F(StageTest, ReadsOneFactorPerTileRowByRowWithWindowsOrUnixLineEnds) {
    std::vector<float> values = OneToHundred();
    values[10] = 3.0f;
    values[55] = 0.25f;
    for (const char* lineEnd : {"\r\n", "\n"}) {
        ASSERT_TRUE(LoadStage(WriteStage(Board(values, lineEnd)))) << int{lineEnd[0]};
        EXPECT_EQ(Heights(), values) << int{lineEnd[0]};
        // Only Y carries the factor.
        for (const Model* tile : tileModels) {
            EXPECT_TRUE(tile->scale.x == 1.0f && tile->scale.z == 1.0f);
        }
    }
}

TEST_F(StageTest, ShortBrokenOrLongFilesFollowTheLastGoodValue) {
    std::string hundredThenMore = Board(OneToHundred(), "\n") + "555 666\n";
    std::vector<float> endingIn42 = OneToHundred();
    endingIn42.back() = 42.0f;
    std::string withoutFinalNewline = Board(endingIn42, "\n");
    withoutFinalNewline.pop_back();
    struct Case {
        const char* name;
        std::string contents;
        std::vector<float> expected;
    };
    const Case cases[] = {
        {"two numbers", "2 3", Expected({2.0f}, 3.0f)},
        {"text after some numbers", "5 6 x 7 8", Expected({5.0f, 6.0f}, 6.0f)},
        {"a number glued to text", "4 1.5abc 9", Expected({4.0f}, 1.5f)},
        {"100 numbers then text", Board(OneToHundred(), "\n") + "end of stage\n", OneToHundred()},
        {"more than 100 numbers", hundredThenMore, OneToHundred()},
        {"last number at the end of the file", withoutFinalNewline, endingIn42},
        {"every number form", "2.5 -0.5 1e1 +3 .5 0 7.",
         Expected({2.5f, -0.5f, 10.0f, 3.0f, 0.5f, 0.0f}, 7.0f)},
        {"tabs and blank lines", "\t1\t\t2\r\n\r\n\n 3 \n", Expected({1.0f, 2.0f}, 3.0f)},
        {"a number too large for a float", "4 1e99 5", Expected({4.0f}, 4.0f)},
        {"a negative number too large for a float", "4 -1e99 5", Expected({4.0f}, 4.0f)},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(LoadStage(WriteStage(c.contents))) << c.name;
        EXPECT_EQ(Heights(), c.expected) << c.name;
    }
}

TEST_F(StageTest, AFileWithoutAnyReadableNumberGivesAFlatBoard) {
    const std::string cases[] = {"", "   \r\n\t", "Stage 1\n1 2 3", "- 4",
                                 std::string("\x00\x01\xff 2", 6)};
    for (const std::string& contents : cases) {
        for (Model* tile : tileModels) {
            tile->scale = D3DXVECTOR3{1.0f, 7.0f, 1.0f};
        }
        EXPECT_TRUE(LoadStage(WriteStage(contents))) << contents;
        EXPECT_EQ(Heights(), std::vector<float>(100, 1.0f)) << contents;
    }
}

TEST_F(StageTest, AMissingFileLeavesEveryTileAsItWas) {
    for (size_t k = 0; k < std::size(tileModels); ++k) {
        tileModels[k]->scale = D3DXVECTOR3{2.0f, static_cast<float>(k), 4.0f};
    }
    EXPECT_FALSE(LoadStage(WriteStage("1 2 3") + ".missing"));
    for (size_t k = 0; k < std::size(tileModels); ++k) {
        const D3DXVECTOR3 scale = tileModels[k]->scale;
        EXPECT_TRUE(scale.x == 2.0f && scale.y == static_cast<float>(k) && scale.z == 4.0f) << k;
    }
}

TEST_F(StageTest, NumbersUseADecimalPointWhateverTheUserLocale) {
    const std::locale previous =
        std::locale::global(std::locale(std::locale::classic(), new CommaDecimals));
    const bool opened = LoadStage(WriteStage("2.5 1,5"));
    std::locale::global(previous);

    EXPECT_TRUE(opened);
    EXPECT_EQ(Heights(), Expected({2.5f, 1.0f}, 1.0f));
}

TEST_F(StageTest, ADirectoryOfAnyLengthWorks) {
    fs::path deep = directory_;
    while (deep.string().size() < 600) {
        deep /= std::string(60, 'd');
    }
    fs::create_directories(deep);
    const fs::path relative = fs::relative(deep, directory_);
    const std::string path = WriteStage("8 9", (relative / "Stage1.vtm").string());
    ASSERT_GT(path.size(), 600u);

    EXPECT_TRUE(LoadStage(path));
    EXPECT_EQ(Heights(), Expected({8.0f}, 9.0f));
}
