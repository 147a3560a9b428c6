#pragma once
// What the fuzz targets that read files share: a program folder of their own
// under the temporary folder (removed at exit) and the fixed documents in
// tests/fuzz/data that the fuzzed input meets.

#include "base/AkUnit.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace fuzzing {

inline std::string DataFile(const std::string& name)
{
    std::ifstream in(std::string(PELLAGO_FUZZ_DATA_DIR) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Sets the program folder once per process, with Setting/ in it.
class ScratchProgramFolder {
public:
    ScratchProgramFolder()
    {
        const char* tmp = std::getenv("TMPDIR");
        root_ = std::filesystem::path(tmp && *tmp ? tmp : "/tmp") / ("pellago-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(root_ / "Setting");
        SetProgramFolder(root_.string());
    }
    ~ScratchProgramFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    std::string Path(const std::string& relative) const { return (root_ / relative).string(); }

private:
    std::filesystem::path root_;
};

} // namespace fuzzing
