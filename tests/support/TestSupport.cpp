#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace testsupport {

namespace fs = std::filesystem;

ScratchDir::ScratchDir()
{
    std::random_device rd;
    fs::path dir = fs::temp_directory_path() / ("pellago-test-" + std::to_string(rd()));
    fs::create_directories(dir);
    path_ = dir.string() + "/";
}

ScratchDir::~ScratchDir()
{
    std::error_code ec;
    fs::remove_all(path_, ec);
}

static std::string FromEnvWithSlash(const char* name, const std::string& fallback)
{
    const char* value = std::getenv(name);
    std::string dir = value && *value ? value : fallback;
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    return dir;
}

std::string BinDir() { return FromEnvWithSlash("PELLAGO_BIN_DIR", "bin"); }
std::string SourceDir() { return FromEnvWithSlash("PELLAGO_SOURCE_DIR", "."); }

bool WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    return true;
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

} // namespace testsupport
