#pragma once
// Shared helpers for tests: scratch folders, locating built programs and
// source fixtures, and waiting on the Qt event loop with a bound.

#include <QString>
#include <functional>
#include <string>

namespace testsupport {

// A fresh folder under the system temp folder, removed when the object dies.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    // Absolute path with a trailing '/'.
    const std::string& path() const { return path_; }
    std::string file(const std::string& relative) const { return path_ + relative; }

private:
    std::string path_;
};

// Folder of the built executables (pellago, pellago-sim, helpers), with '/'.
std::string BinDir();
// The repository's root folder, with '/'.
std::string SourceDir();

// Processes Qt events until `done` returns true or `timeoutMs` passes.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs);

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

} // namespace testsupport
