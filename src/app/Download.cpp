#include "app/Download.h"

#include "app/ProxySetting.h"
#include "base/CurlTransfer.h"
#include "base/Log.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr long kMaxRedirects = 10;
constexpr long kConnectTimeoutMs = 20000;
// A stalled server (less than one byte a second for a minute) ends the transfer.
constexpr long kStallSeconds = 60;

void PrepareGet(CURL* easy, const std::string& url)
{
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    ApplyProxySetting(easy);
}

bool RunGet(CURL* easy, const std::string& url)
{
    CURLcode result = PerformWithEvents(easy);
    if (result != CURLE_OK) {
        AddDetailLog("GET " + url + ": " + curl_easy_strerror(result));
        return false;
    }
    return true;
}

size_t WriteToFile(char* data, size_t size, size_t count, void* target)
{
    return std::fwrite(data, size, count, static_cast<std::FILE*>(target)) * size;
}

// A unique temporary file in the target's folder, so the final rename stays
// on one file system.
std::string TemporaryBeside(const std::string& path, std::FILE*& file)
{
    std::string pattern = path + ".partXXXXXX";
    int fd = mkstemp(pattern.data());
    if (fd < 0)
        return {};
    file = fdopen(fd, "wb");
    if (!file) {
        close(fd);
        unlink(pattern.c_str());
        return {};
    }
    return pattern;
}

bool CloseFlushed(std::FILE* file)
{
    bool ok = std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    return std::fclose(file) == 0 && ok;
}

} // namespace

bool FetchText(const std::string& url, std::string& text)
{
    CurlEasy easy;
    if (!easy)
        return false;
    std::string body;
    PrepareGet(easy.get(), url);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, AppendToString);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &body);
    if (!RunGet(easy.get(), url))
        return false;
    text = std::move(body);
    return true;
}

bool DownloadToFile(const std::string& url, const std::string& path)
{
    CurlEasy easy;
    if (!easy)
        return false;
    std::FILE* file = nullptr;
    std::string temp = TemporaryBeside(path, file);
    if (temp.empty()) {
        AddDetailLog("GET " + url + ": cannot create a file beside " + path);
        return false;
    }
    PrepareGet(easy.get(), url);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, WriteToFile);
    curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, file);
    bool ok = RunGet(easy.get(), url);
    ok = CloseFlushed(file) && ok;
    std::error_code ec;
    if (ok && fs::file_size(temp, ec) == 0) {
        AddDetailLog("GET " + url + ": empty body");
        ok = false;
    }
    if (ok) {
        fs::permissions(temp, fs::perms::owner_read | fs::perms::owner_write, ec);
        fs::rename(temp, path, ec);
        ok = !ec;
    }
    if (!ok)
        fs::remove(temp, ec);
    return ok;
}
