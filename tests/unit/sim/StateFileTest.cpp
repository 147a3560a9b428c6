#include "StateFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace sim;
namespace fs = std::filesystem;

TEST(StateFile, SavesWholeFilesAndReadsThemBack)
{
    fs::path dir = fs::temp_directory_path() / ("pellago-sim-state-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::string path = (dir / "state.json").string();

    EXPECT_FALSE(LoadStateFile(path)) << "no file yet";
    Json first = Json::Parse(R"({"accounts":[{"id":"a"}]})");
    Json second = Json::Parse(R"({"accounts":[]})");
    SaveStateFile(path, first);
    SaveStateFile(path, second);
    EXPECT_EQ(LoadStateFile(path)->Dump(), second.Dump());
    EXPECT_FALSE(fs::exists(path + ".tmp")) << "no scratch file is left behind";

    std::ofstream(path) << "{broken";
    EXPECT_THROW(LoadStateFile(path), JsonError);

    EXPECT_THROW(SaveStateFile((dir / "missing" / "state.json").string(), first), std::runtime_error);
    fs::remove_all(dir);
}
