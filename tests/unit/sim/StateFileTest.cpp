#include "StateFile.h"
#include "unit/UnitFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace sim;
namespace fs = std::filesystem;

TEST(StateFile, SavesWholeFilesAndReadsThemBack)
{
    testsupport::ScratchDir dir;
    const std::string path = dir.file("state.json");

    EXPECT_FALSE(LoadStateFile(path)) << "no file yet";
    Json first = ParseJson(R"({"accounts":[{"id":"a"}]})");
    Json second = ParseJson(R"({"accounts":[]})");
    SaveStateFile(path, first);
    SaveStateFile(path, second);
    EXPECT_EQ(LoadStateFile(path)->dump(), second.dump());
    EXPECT_FALSE(fs::exists(path + ".tmp")) << "no scratch file is left behind";

    testsupport::WriteFileBytes(path, "{broken");
    EXPECT_THROW(LoadStateFile(path), JsonError);

    EXPECT_THROW(SaveStateFile(dir.file("missing/state.json"), first), std::runtime_error);
}
