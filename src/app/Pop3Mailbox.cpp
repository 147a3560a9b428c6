#include "app/Pop3Mailbox.h"

#include <sstream>

Pop3Mailbox::Pop3Mailbox(const std::string& host, int port, const std::string& user,
                         const std::string& password)
    : base_("pop3://" + host + ":" + std::to_string(port) + "/"), user_(user), password_(password)
{
}

Pop3Mailbox::~Pop3Mailbox() = default;

bool Pop3Mailbox::Run(const std::string& path, const char* command, std::string* body)
{
    if (!easy_ || !multi_.get()) {
        error_ = "libcurl could not be initialised";
        return false;
    }
    CURL* easy = easy_.get();
    std::string url = base_ + path;
    std::string sink;
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_USERNAME, user_.c_str());
    curl_easy_setopt(easy, CURLOPT_PASSWORD, password_.c_str());
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, command);
    curl_easy_setopt(easy, CURLOPT_NOBODY, command ? 1L : 0L);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, AppendToString);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, body ? body : &sink);
    CURLcode result = PerformWithEvents(easy, multi_.get());
    if (result != CURLE_OK) {
        error_ = curl_easy_strerror(result);
        return false;
    }
    return true;
}

bool Pop3Mailbox::Open()
{
    std::string listing;
    if (!Run("", nullptr, &listing))
        return false;
    // LIST answers one "number size" line per waiting message.
    std::istringstream lines(listing);
    std::string line;
    sizes_.clear();
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        long long number = 0;
        long long size = 0;
        if (fields >> number >> size)
            sizes_.push_back(size);
    }
    return true;
}

bool Pop3Mailbox::Retrieve(int k, std::string& raw)
{
    raw.clear();
    if (!Run(std::to_string(k), nullptr, &raw))
        return false;
    // libcurl ends a retrieval quietly when the server hangs up in the middle.
    if (k >= 1 && k <= MessageCount() && static_cast<long long>(raw.size()) < sizes_[k - 1]) {
        error_ = "connection closed inside the message (" + std::to_string(raw.size()) + " of " +
                 std::to_string(sizes_[k - 1]) + " bytes)";
        return false;
    }
    return true;
}

bool Pop3Mailbox::Delete(int k)
{
    return Run(std::to_string(k), "DELE", nullptr);
}
