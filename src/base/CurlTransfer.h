#pragma once
// Runs libcurl transfers on the multi interface from the GUI thread,
// processing pending events between polls so the window stays live during
// downloads, mailbox sessions and mail delivery.

#include <curl/curl.h>

#include <string>

// Performs the prepared easy handle to its end and returns its result.
// Connections are kept by the multi handle: a session of several requests
// on one connection (POP3) passes its own; without one each call has a
// fresh one, so nested transfers stay independent.
CURLcode PerformWithEvents(CURL* easy, CURLM* multi = nullptr);

// Write callback that appends to the std::string given as CURLOPT_WRITEDATA.
size_t AppendToString(char* data, size_t size, size_t count, void* target);

class CurlMulti {
public:
    CurlMulti();
    ~CurlMulti();
    CurlMulti(const CurlMulti&) = delete;
    CurlMulti& operator=(const CurlMulti&) = delete;
    CURLM* get() const { return multi_; }

private:
    CURLM* multi_;
};

// Owns one easy handle; curl_global_init runs once for the process.
class CurlEasy {
public:
    CurlEasy();
    ~CurlEasy();
    CurlEasy(const CurlEasy&) = delete;
    CurlEasy& operator=(const CurlEasy&) = delete;
    CURL* get() const { return easy_; }
    explicit operator bool() const { return easy_ != nullptr; }

private:
    CURL* easy_;
};
